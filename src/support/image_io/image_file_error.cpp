#include "support/image_io/image_file_error.h"

#include <utility>

namespace celwright {

std::string JoinTitleAndDetail(const std::string& title, const std::string& detail) {
  return detail.empty() ? title : title + "\r\r" + detail;
}

ImageFileError::ImageFileError(std::filesystem::path file, std::string title, std::string detail)
    : std::runtime_error(JoinTitleAndDetail(title, detail)),
      file_(std::move(file)),
      title_(std::move(title)),
      detail_(std::move(detail)) {}

bool PictureSizeAcceptable(long long width, long long height) {
  if (width < 1 || height < 1) return false;
  if (width > static_cast<long long>(kMaxPicturePixels)) return false;
  if (height > static_cast<long long>(kMaxPicturePixels)) return false;
  return static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) <=
         kMaxPicturePixels;
}

}  // namespace celwright
