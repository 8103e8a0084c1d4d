#pragma once

#include <QCursor>

#include "canvas/pointer_shape.h"

namespace celwright {

// The pointer for a shape the tools ask for: the platform's own shapes, or one of the program's
// fourteen pointers, drawn in code like the tool icons.
QCursor PointerCursor(PointerShape shape);

}  // namespace celwright
