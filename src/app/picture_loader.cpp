#include "app/picture_loader.h"

#include <stdexcept>

#include "support/app_info.h"
#include "support/image_io/image_file.h"

namespace celwright {

LoadedPicture LoadPictureFile(const std::string& file_name, std::uint8_t file_type,
                              UserPrompts* prompts) {
  LoadedPicture loaded;
  PictureWarnings warnings;
  if (!LoadImageFile(loaded.Picture, loaded.Palette, file_type, file_name,
                     prompts ? &warnings : nullptr))
    throw std::runtime_error("The file " + file_name + " does not exist.");
  if (loaded.Picture.Empty())
    throw std::runtime_error("The file " + file_name + " is not a picture this program reads.");
  std::string text;
  for (const std::string& warning : warnings) text += (text.empty() ? "" : "\n") + warning;
  if (!text.empty()) prompts->Information(kAppTitle, text);
  return loaded;
}

}  // namespace celwright
