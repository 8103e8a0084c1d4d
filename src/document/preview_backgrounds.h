#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/bitmap.h"

namespace celwright {

// The preview's picture area, and the size of every built-in background.
inline constexpr int kPreviewAreaWidth = 512;
inline constexpr int kPreviewAreaHeight = 320;

// How far from the area an anchor may lie; stored anchors beyond are brought back to it.
inline constexpr int kAnchorLimit = 1 << 16;

struct BackgroundAnchor {
  int X = 256;
  int Y = 240;
  friend bool operator==(const BackgroundAnchor&, const BackgroundAnchor&) = default;
};

// One entry of the preview's background list.
struct PreviewBackground {
  std::string Name;
  std::string File;  // picture of a saved custom background; empty otherwise
  BackgroundAnchor Anchor;
};

inline constexpr int kBuiltInBackgroundCount = 4;
inline constexpr int kMaxCustomBackgrounds = 12;
inline constexpr const char* kCustomBackgroundText = "[Custom Background]";

// The four built-in backgrounds, drawn in code for this program: ground textures in the spirit
// of the games' own (cave rock, heath, grass, town cobbles). `index` 0 to 3; the same picture on
// every call.
Bitmap MakeBuiltInBackground(int index);

// Reads and writes the stored values of the list ("CustBGCount", "CustBG1.Name", ...); a read of
// a name never stored gives nothing.
using SettingReader = std::function<std::optional<std::string>(const std::string& name)>;
using SettingWriter = std::function<void(const std::string& name, const std::string& value)>;

// The background list: the built-ins, the saved custom backgrounds, and last the item that loads
// a new picture. Knows nothing of pictures; it keeps names, files, anchors and the default.
class BackgroundList {
 public:
  BackgroundList();

  const std::vector<PreviewBackground>& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size()); }
  int LastItem() const { return Count() - 1; }
  bool IsBuiltIn(int index) const { return index >= 0 && index < kBuiltInBackgroundCount; }
  bool IsSavedCustom(int index) const {
    return index >= kBuiltInBackgroundCount && index < LastItem();
  }
  int SavedCustomCount() const { return LastItem() - kBuiltInBackgroundCount; }
  bool Full() const { return SavedCustomCount() >= kMaxCustomBackgrounds; }
  BackgroundAnchor& Anchor(int index) { return items_.at(static_cast<std::size_t>(index)).Anchor; }

  // Replaces the saved custom items with the stored ones whose files still exist, and reads the
  // default (kept only when it names an item other than the last).
  void Load(const SettingReader& read);
  void Save(const SettingWriter& write) const;

  // The last item becomes a saved item with this name and file (its anchor kept) and a fresh last
  // item follows; returns the saved item's index. Refused (-1) when the list is full.
  int SaveCustom(const std::string& name, const std::string& file);
  // Removes a saved custom item; returns the item to show next (the one before it). The default
  // follows: back to the first built-in when it was the removed item, one lower when it was
  // after it.
  int Remove(int index);

  int Default() const { return default_; }
  void SetDefault(int index);

 private:
  std::vector<PreviewBackground> items_;
  int default_ = 0;
};

}  // namespace celwright
