#include "document/preview_backgrounds.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>

namespace celwright {

namespace {

// --- Procedural textures -----------------------------------------------------------------------

std::uint32_t Hash(std::uint32_t seed, int x, int y) {
  std::uint32_t h = seed * 0x9E3779B1u ^ static_cast<std::uint32_t>(x) * 0x85EBCA77u ^
                    static_cast<std::uint32_t>(y) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

// Random values on a 256 x 256 lattice, made once; each seed reads it at its own offset. Looking
// values up instead of hashing every corner keeps a background well under a second to draw.
const std::vector<float>& Lattice() {
  static const std::vector<float> lattice = [] {
    std::vector<float> values(256 * 256);
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x)
        values[static_cast<std::size_t>(y * 256 + x)] =
            static_cast<float>((Hash(0x5EED, x, y) & 0xFFFFFF) / 16777216.0);
    return values;
  }();
  return lattice;
}

// A value of its own for every cell, for scattered details that must not repeat.
double CellRandom(std::uint32_t seed, int x, int y) {
  return (Hash(seed, x, y) & 0xFFFFFF) / 16777216.0;
}

double LatticeValue(std::uint32_t seed, int x, int y) {
  const auto column = static_cast<std::uint32_t>(x) + seed * 37u;
  const auto row = static_cast<std::uint32_t>(y) + seed * 91u;
  return Lattice()[(row & 255u) * 256u + (column & 255u)];
}

// Smoothly interpolated lattice noise in [0, 1).
double ValueNoise(std::uint32_t seed, double x, double y) {
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  const double fx = x - x0, fy = y - y0;
  const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  const double a = LatticeValue(seed, x0, y0), b = LatticeValue(seed, x0 + 1, y0);
  const double c = LatticeValue(seed, x0, y0 + 1), d = LatticeValue(seed, x0 + 1, y0 + 1);
  const double top = a + (b - a) * sx;
  const double bottom = c + (d - c) * sx;
  return top + (bottom - top) * sy;
}

// Several octaves of noise, coarse to fine, normalised to [0, 1).
double Fractal(std::uint32_t seed, double x, double y, int octaves) {
  double sum = 0, weight = 1, total = 0, scale = 1;
  for (int o = 0; o < octaves; ++o) {
    sum += ValueNoise(seed + static_cast<std::uint32_t>(o), x * scale, y * scale) * weight;
    total += weight;
    weight *= 0.5;
    scale *= 2;
  }
  return sum / total;
}

struct Rgb {
  double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(Rgb c, double f) { return {c.r * f, c.g * f, c.b * f}; }

void Put(Bitmap& picture, int x, int y, Rgb c) {
  auto channel = [](double v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0)); };
  std::uint8_t* p = picture.Row(y) + 3 * static_cast<std::size_t>(x);
  p[0] = channel(c.b);
  p[1] = channel(c.g);
  p[2] = channel(c.r);
}

// A cave mouth in weathered rock, a dusty floor in front of it.
Rgb CaveEntrance(int x, int y) {
  const double rock = Fractal(11, x / 48.0, y / 48.0, 5);
  const double cracks = std::abs(Fractal(12, x / 20.0, y / 20.0, 3) - 0.5);
  Rgb colour = Mix({58, 52, 46}, {128, 118, 102}, rock);
  if (cracks < 0.03) colour = Scale(colour, 0.55);
  // The opening: an arch whose edge wanders with the rock.
  const double dx = (x - 256) / 170.0, dy = (y - 235) / 175.0;
  const double edge = 1.0 + (Fractal(13, x / 30.0, y / 30.0, 3) - 0.5) * 0.25;
  const double inside = std::sqrt(dx * dx + dy * dy);
  if (y < 235 && inside < edge) {
    const double depth = std::clamp((edge - inside) * 3.0, 0.0, 1.0);
    colour = Mix(Scale(colour, 0.45), {8, 7, 6}, depth);
  }
  if (y >= 220) {
    const double dust = Fractal(14, x / 24.0, y / 12.0, 4);
    const double blend = std::clamp((y - 220) / 40.0, 0.0, 1.0);
    colour = Mix(colour, Mix({96, 80, 60}, {150, 132, 104}, dust), blend);
    if (CellRandom(15, x / 3, y / 3) > 0.985) colour = Scale(colour, 0.7);  // pebbles
  }
  return colour;
}

// Low heath: mossy green with purple heather tufts and pale dry patches.
Rgb SpringHeath(int x, int y) {
  const double base = Fractal(21, x / 40.0, y / 40.0, 5);
  Rgb colour = Mix({52, 78, 38}, {104, 128, 62}, base);
  const double heather = Fractal(22, x / 9.0, y / 9.0, 3);
  if (heather > 0.62) colour = Mix(colour, {128, 70, 128}, (heather - 0.62) * 4.0);
  const double dry = Fractal(23, x / 70.0, y / 70.0, 3);
  if (dry > 0.6) colour = Mix(colour, {150, 140, 96}, (dry - 0.6) * 2.0);
  if (CellRandom(24, x, y) > 0.992) colour = {230, 220, 120};  // small flowers
  return colour;
}

// Long grass: streaks stretched along the blades, lighter where the wind flattens it.
Rgb Grassland(int x, int y) {
  const double blades = Fractal(31, x / 3.0, y / 22.0, 4);
  const double field = Fractal(32, x / 90.0, y / 90.0, 3);
  Rgb colour = Mix({40, 92, 28}, {118, 160, 58}, blades * 0.7 + field * 0.3);
  if (blades < 0.3) colour = Scale(colour, 0.8);
  const double sun = Fractal(33, x / 60.0, y / 40.0, 2);
  return Mix(colour, {170, 176, 90}, (sun - 0.55) * 1.5);
}

// Cobbles in a town square, before a stone wall with its gate.
Rgb TownGate(int x, int y) {
  constexpr int kWallBottom = 110;
  if (y < kWallBottom) {
    const int row = y / 22;
    const int shifted = x + (row % 2) * 20;
    const bool mortar = y % 22 < 2 || shifted % 40 < 2;
    const double grain = Fractal(41, x / 12.0, y / 12.0, 3);
    Rgb wall = mortar ? Rgb{70, 66, 60} : Mix({120, 112, 100}, {168, 160, 146}, grain);
    // The gate: a dark arch with a wooden door.
    const double gx = (x - 385) / 60.0, gy = (y - 110) / 95.0;
    if (gx * gx + gy * gy < 1.0) {
      const bool plank_gap = (x - 325) % 14 < 1;
      wall = plank_gap ? Rgb{40, 26, 14}
                       : Mix({92, 60, 32}, {122, 84, 46}, Fractal(42, x / 4.0, y / 30.0, 3));
    }
    return wall;
  }
  // Cobbles: rows of rounded stones, every row offset by half a stone.
  constexpr int kStone = 18;
  const int row = (y - kWallBottom) / kStone;
  const int local_y = (y - kWallBottom) % kStone;
  const int offset = (row % 2) * (kStone / 2) + static_cast<int>(CellRandom(43, row, 0) * 6);
  const int column = (x + offset) / kStone;
  const int local_x = (x + offset) % kStone;
  const double cx = local_x - kStone / 2.0 + 0.5, cy = local_y - kStone / 2.0 + 0.5;
  const double roundness = std::sqrt(cx * cx + cy * cy) / (kStone / 2.0);
  const double tone = CellRandom(44, column, row);
  Rgb stone = Mix({104, 100, 94}, {160, 152, 140}, tone);
  stone = Scale(stone, 1.05 - 0.3 * roundness * roundness);
  stone = Mix(stone, {60, 58, 54}, (Fractal(45, x / 6.0, y / 6.0, 2) - 0.5) * 0.4);
  if (roundness > 0.92) stone = {58, 54, 48};  // the joints
  return stone;
}

}  // namespace

Bitmap MakeBuiltInBackground(int index) {
  Rgb (*painter)(int, int) = CaveEntrance;
  switch (index) {
    case 1:
      painter = SpringHeath;
      break;
    case 2:
      painter = Grassland;
      break;
    case 3:
      painter = TownGate;
      break;
    default:
      break;
  }
  Bitmap picture(kPreviewAreaWidth, kPreviewAreaHeight);
  for (int y = 0; y < kPreviewAreaHeight; ++y)
    for (int x = 0; x < kPreviewAreaWidth; ++x) Put(picture, x, y, painter(x, y));
  return picture;
}

// --- The list ------------------------------------------------------------------------------------

namespace {

std::vector<PreviewBackground> BuiltInItems() {
  return {{"Cave Entrance", "", {256, 270}},
          {"Spring Heath (drawn for Celwright II)", "", {180, 160}},
          {"Grassland (drawn for Celwright II)", "", {290, 240}},
          {"Town Gate", "", {385, 198}}};
}

int ToInt(const std::optional<std::string>& text, int fallback) {
  if (!text) return fallback;
  try {
    std::size_t used = 0;
    const int value = std::stoi(*text, &used);
    return used == text->size() ? value : fallback;
  } catch (const std::exception&) {
    return fallback;
  }
}

std::string Key(int i, const char* field) { return "CustBG" + std::to_string(i) + field; }

bool FileExists(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_regular_file(path, error);
}

}  // namespace

BackgroundList::BackgroundList() : items_(BuiltInItems()) {
  items_.push_back({kCustomBackgroundText, "", {}});
}

void BackgroundList::Load(const SettingReader& read) {
  items_ = BuiltInItems();
  const int stored = std::clamp(ToInt(read("CustBGCount"), 0), 0, kMaxCustomBackgrounds);
  for (int i = 1; i <= stored; ++i) {
    PreviewBackground item;
    item.Name = read(Key(i, ".Name")).value_or("");
    item.File = read(Key(i, ".File")).value_or("");
    // Far outside any picture is as good as the limit, and nothing computed from it overflows.
    item.Anchor = {std::clamp(ToInt(read(Key(i, ".XPos")), 256), -kAnchorLimit, kAnchorLimit),
                   std::clamp(ToInt(read(Key(i, ".YPos")), 240), -kAnchorLimit, kAnchorLimit)};
    if (FileExists(item.File)) items_.push_back(std::move(item));
  }
  items_.push_back({kCustomBackgroundText, "", {}});
  default_ = ToInt(read("DefaultBG"), 0);
  if (default_ < 0 || default_ >= LastItem()) default_ = 0;
}

void BackgroundList::Save(const SettingWriter& write) const {
  const int count = std::min(SavedCustomCount(), kMaxCustomBackgrounds);
  write("CustBGCount", std::to_string(count));
  for (int i = 1; i <= count; ++i) {
    const PreviewBackground& item =
        items_[static_cast<std::size_t>(kBuiltInBackgroundCount + i - 1)];
    write(Key(i, ".Name"), item.Name);
    write(Key(i, ".File"), item.File);
    write(Key(i, ".XPos"), std::to_string(item.Anchor.X));
    write(Key(i, ".YPos"), std::to_string(item.Anchor.Y));
  }
  write("DefaultBG", std::to_string(default_));
}

int BackgroundList::SaveCustom(const std::string& name, const std::string& file) {
  if (Full()) return -1;
  const int saved = LastItem();
  items_.back().Name = name;
  items_.back().File = file;
  items_.push_back({kCustomBackgroundText, "", {}});
  return saved;
}

int BackgroundList::Remove(int index) {
  if (!IsSavedCustom(index)) return index;
  items_.erase(items_.begin() + index);
  if (default_ == index) {
    default_ = 0;
  } else if (default_ > index) {
    --default_;
  }
  return index - 1;
}

void BackgroundList::SetDefault(int index) {
  if (index >= 0 && index < LastItem()) default_ = index;
}

}  // namespace celwright
