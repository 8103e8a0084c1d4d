#include "cli/cli_pictures.h"

#include <iostream>

#include "cli/cli_common.h"
#include "support/image_io/image_file.h"

namespace celwright::cli {

std::string ForTerminal(const std::string& message) {
  static const char* const kHex = "0123456789abcdef";
  std::string text;
  for (std::size_t i = 0; i < message.size(); ++i) {
    const auto c = static_cast<unsigned char>(message[i]);
    if (c == '\r' && i + 1 < message.size() && message[i + 1] == '\r') {
      text += ": ";
      ++i;
    } else if (c == '\n') {
      text += "\\n";
    } else if (c == '\r') {
      text += "\\r";
    } else if (c == '\t') {
      text += "\\t";
    } else if (c < 0x20 || c == 0x7f) {
      text += "\\x";
      text += kHex[c >> 4];
      text += kHex[c & 15];
    } else {
      text += static_cast<char>(c);
    }
  }
  return text;
}

Bitmap LoadPicture(const std::string& path, Palette256& palette) {
  Bitmap picture;
  PictureWarnings warnings;
  try {
    if (!LoadImageFile(picture, palette, kImageKindByExtension, path, &warnings)) {
      throw CommandError(path + ": the file does not exist");
    }
  } catch (const ImageFileError& e) {
    throw CommandError(path + ": " + ForTerminal(e.what()));
  }
  if (picture.Empty()) throw CommandError(path + ": not a picture this program reads");
  for (const std::string& warning : warnings) {
    std::cerr << "celwright-cli: warning: " << ForTerminal(warning) << "\n";
  }
  return picture;
}

}  // namespace celwright::cli
