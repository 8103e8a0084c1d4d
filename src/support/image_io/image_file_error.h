#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace celwright {

// The one failure every picture reader and writer reports. The message is a title and a detail
// joined by two carriage returns, the form the editor's message boxes show; the file it concerns
// is kept beside it so a caller can log or show it separately.
class ImageFileError : public std::runtime_error {
 public:
  ImageFileError(std::filesystem::path file, std::string title, std::string detail);

  const std::filesystem::path& File() const { return file_; }
  const std::string& Title() const { return title_; }
  const std::string& Detail() const { return detail_; }

 private:
  std::filesystem::path file_;
  std::string title_;
  std::string detail_;
};

// Joins a title and a detail as message boxes show them: "title\r\rdetail", or the title alone.
std::string JoinTitleAndDetail(const std::string& title, const std::string& detail);

// What a picture reader worked around in a damaged file that still gave a picture, one
// sentence each, naming the file; the caller shows them to the user.
using PictureWarnings = std::vector<std::string>;

// Pictures larger than this are refused before any pixel memory is reserved, so a damaged or
// hostile header cannot make a reader allocate gigabytes.
inline constexpr unsigned long long kMaxPicturePixels = 1ull << 26;

// True when width x height is a size the readers accept (both at least 1, product in range).
bool PictureSizeAcceptable(long long width, long long height);

}  // namespace celwright
