#pragma once

#include "document/document_options.h"
#include "support/bitmap.h"

namespace celwright {

enum class BrushControl { Shape, Width, Height, Lock };

// Applies the lock after `changed` was set: with the lock on, the other dimension follows the
// height when the height changed and the width otherwise (the shape never moves a dimension).
void BrushModify(DocumentOptions& options, BrushControl changed);

// The brush as a (width + 1) x height mask: column 0 black, the shape white from column 1 on.
Bitmap MakeBrushPicture(int shape, int width, int height);

}  // namespace celwright
