#include "app/run_messages.h"

namespace celwright {

std::vector<RunMessage> RunMessagesFor(int counter) {
  std::vector<RunMessage> due;
  if (counter == 0) {
    due.push_back({"THIS MESSAGE WILL ONLY APPEAR ONCE: Please read it.",
                   "Thank you for trying this test release of Celwright II.\r\r"
                   "Work planned for later releases:\r"
                   "  - several files open at once\r"
                   "  - an MNG codec\r"
                   "  - a better plug-in system\r\r"
                   "If something goes wrong, please report it and attach the action log: press "
                   "Ctrl+Alt+L to save it to a file.\r\r"
                   "You can read this message again from the Help menu."});
    counter += 2;
  }
  if (counter == 1) {
    due.push_back({"0.2 Alpha Changelog",
                   "- Frames can be added, duplicated, deleted and moved within sequences.\r"
                   "- Selections can be cut, copied, pasted, flipped and cropped.\r"
                   "- Undo and redo keep the last ten steps."});
    ++counter;
  }
  if (counter == 2) {
    due.push_back({"0.3 Alpha Changelog",
                   "- New unpaletted work format (BAMU): three bytes a pixel, so work in "
                   "progress keeps every colour until it is turned into a paletted BAM.\r"
                   "- Conversion between paletted and unpaletted animations."});
    ++counter;
  }
  if (counter == 3) {
    due.push_back({"0.4 Alpha Changelog",
                   "- The program is now in beta.\r"
                   "- New configuration options in Edit > Settings.\r"
                   "- Bitmaps, JPEG, PNG, GIF and AVI files can be opened as documents.\r"
                   "- Free rotation of selections and frames.\r"
                   "- A plug-in system."});
  }
  return due;
}

}  // namespace celwright
