#include "app/picture_loader.h"

#include <stdexcept>

#include "support/image_io/image_file.h"

namespace celwright {

LoadedPicture LoadPictureFile(const std::string& file_name, std::uint8_t file_type) {
  LoadedPicture loaded;
  if (!LoadImageFile(loaded.Picture, loaded.Palette, file_type, file_name))
    throw std::runtime_error("The file " + file_name + " does not exist.");
  if (loaded.Picture.Empty())
    throw std::runtime_error("The file " + file_name + " is not a picture this program reads.");
  return loaded;
}

}  // namespace celwright
