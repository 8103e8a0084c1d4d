#pragma once

#include <array>
#include <string>

#include "document/doc_type.h"

namespace celwright {

inline constexpr int kRecentCount = 4;

// The four most recently opened or saved files, most recent first; empty names are free places.
struct RecentFiles {
  std::array<std::string, kRecentCount> Names;
  std::array<TDocType, kRecentCount> Types{dtBAM, dtBAM, dtBAM, dtBAM};

  // Moves `name` to the top (dropping the last entry when it was not listed); an empty name
  // changes nothing.
  void Update(const std::string& name, TDocType type);
  // Drops entry `place`; the later ones move up and the last place becomes free.
  void Remove(int place);
};

}  // namespace celwright
