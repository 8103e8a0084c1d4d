#include "app/recent_files.h"

namespace celwright {

void RecentFiles::Update(const std::string& name, TDocType type) {
  if (name.empty()) return;
  int found = kRecentCount;
  for (int k = 0; k < kRecentCount; ++k) {
    if (Names[static_cast<std::size_t>(k)] == name) {
      found = k;
      break;
    }
  }
  for (int j = std::min(found, kRecentCount - 1); j >= 1; --j) {
    Names[static_cast<std::size_t>(j)] = Names[static_cast<std::size_t>(j - 1)];
    Types[static_cast<std::size_t>(j)] = Types[static_cast<std::size_t>(j - 1)];
  }
  Names[0] = name;
  Types[0] = type;
}

void RecentFiles::Remove(int place) {
  if (place < 0 || place >= kRecentCount) return;
  for (int j = place; j + 1 < kRecentCount; ++j) {
    Names[static_cast<std::size_t>(j)] = Names[static_cast<std::size_t>(j + 1)];
    Types[static_cast<std::size_t>(j)] = Types[static_cast<std::size_t>(j + 1)];
  }
  Names[kRecentCount - 1].clear();
  Types[kRecentCount - 1] = dtBAM;
}

}  // namespace celwright
