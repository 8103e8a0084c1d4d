#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace celwright {

// The texture pages (MOSNNNN.PVRZ, any case) in one folder, listed once.
class PageFolder {
 public:
  explicit PageFolder(const std::filesystem::path& folder);

  // The file of page `number`, or an empty path when the folder has none.
  std::filesystem::path Find(int number) const;
  // The highest page number in the folder, or -1 when it has none.
  int Highest() const { return pages_.empty() ? -1 : pages_.rbegin()->first; }

 private:
  std::map<int, std::filesystem::path> pages_;
};

}  // namespace celwright
