#include "cli/cli_pictures.h"

#include <iostream>

#include "cli/cli_common.h"
#include "support/file_io.h"
#include "support/image_io/image_file.h"

namespace celwright::cli {

std::string ForTerminal(const std::string& message) {
  std::string text;
  for (std::size_t from = 0;;) {
    const std::size_t split = message.find("\r\r", from);
    text += ShownName(message.substr(from, split == std::string::npos ? split : split - from));
    if (split == std::string::npos) return text;
    text += ": ";
    from = split + 2;
  }
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
