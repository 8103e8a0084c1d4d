#pragma once

#include <string>

#include "support/bitmap.h"
#include "support/color_types.h"

namespace celwright::cli {

// Picture messages are "title\r\rdetail" for the editor's message boxes; on a terminal a carriage
// return sends the detail back over the title, so they are joined with ": " instead. Any other
// control character (a newline in a file name, say) is shown escaped, so a message stays one line
// and cannot move the cursor.
std::string ForTerminal(const std::string& message);

// Loads a picture of any kind the editor reads (by extension), printing what was wrong with a
// damaged file that still gave a picture to stderr as "celwright-cli: warning: ...". Throws
// CommandError naming the file when it is missing or refused.
Bitmap LoadPicture(const std::string& path, Palette256& palette);

}  // namespace celwright::cli
