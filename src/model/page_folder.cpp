#include "model/page_folder.h"

#include <cctype>

namespace celwright {

namespace {

// The page number of a file name "MOSNNNN.PVRZ" in any case, or -1.
int PageNumberOf(const std::string& name) {
  if (name.size() != 12) return -1;
  std::string lower = name;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower.compare(0, 3, "mos") != 0 || lower.compare(7, 5, ".pvrz") != 0) return -1;
  int number = 0;
  for (int i = 3; i < 7; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(lower[static_cast<std::size_t>(i)]))) return -1;
    number = number * 10 + (lower[static_cast<std::size_t>(i)] - '0');
  }
  return number;
}

}  // namespace

PageFolder::PageFolder(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::directory_iterator it(folder.empty() ? "." : folder, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    const int number = PageNumberOf(it->path().filename().string());
    if (number < 0) continue;
    std::error_code kind_error;
    if (!it->is_regular_file(kind_error)) continue;
    // Two spellings of one page: the upper-case name the games use wins.
    const auto [place, added] = pages_.emplace(number, it->path());
    if (!added && it->path().filename().string().compare(0, 3, "MOS") == 0) place->second = it->path();
  }
}

std::filesystem::path PageFolder::Find(int number) const {
  const auto it = pages_.find(number);
  return it == pages_.end() ? std::filesystem::path() : it->second;
}

}  // namespace celwright
