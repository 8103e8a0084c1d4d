#include "cli/cli_pictures.h"

#include <iostream>

#include "cli/cli_common.h"
#include "support/image_io/image_file.h"

namespace celwright::cli {

std::string ForTerminal(const std::string& message) {
  std::string text;
  for (std::size_t i = 0; i < message.size(); ++i) {
    if (message[i] != '\r') {
      text += message[i];
    } else if (i + 1 < message.size() && message[i + 1] == '\r') {
      text += ": ";
      ++i;
    } else {
      text += ' ';
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
    std::cerr << "celwright-cli: warning: " << warning << "\n";
  }
  return picture;
}

}  // namespace celwright::cli
