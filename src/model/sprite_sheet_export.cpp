#include "model/sprite_sheet_export.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "support/file_io.h"
#include "support/image_io/image_file_error.h"
#include "support/image_io/qm_png.h"

namespace celwright {

namespace {

using Json = nlohmann::ordered_json;

struct Placement {
  int x = 0, y = 0, w = 0, h = 0;
};

struct SheetLayout {
  std::vector<Placement> places;  // one per distinct picture
  int width = 0, height = 0;
};

SheetLayout GridLayout(const std::vector<Placement>& sizes, int columns, int padding) {
  SheetLayout layout;
  int cell_w = 0, cell_h = 0;
  for (const Placement& size : sizes) {
    cell_w = std::max(cell_w, size.w);
    cell_h = std::max(cell_h, size.h);
  }
  const int count = static_cast<int>(sizes.size());
  if (columns <= 0) columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
  columns = std::max(1, std::min(columns, count));
  for (int i = 0; i < count; ++i) {
    Placement place = sizes[i];
    place.x = (i % columns) * (cell_w + padding);
    place.y = (i / columns) * (cell_h + padding);
    layout.places.push_back(place);
  }
  const int rows = (count + columns - 1) / columns;
  layout.width = columns * cell_w + (columns - 1) * padding;
  layout.height = rows * cell_h + (rows - 1) * padding;
  return layout;
}

// Shelves of pictures, tallest first, in rows about as wide as the sheet is high.
SheetLayout PackedLayout(const std::vector<Placement>& sizes, int padding) {
  SheetLayout layout;
  layout.places = sizes;
  double area = 0;
  int widest = 0;
  for (const Placement& size : sizes) {
    area += double(size.w + padding) * (size.h + padding);
    widest = std::max(widest, size.w);
  }
  const int row_limit = std::max(widest, static_cast<int>(std::ceil(std::sqrt(area))));
  std::vector<std::size_t> order(sizes.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return sizes[a].h > sizes[b].h; });
  int x = 0, y = 0, row_height = 0;
  for (const std::size_t i : order) {
    Placement& place = layout.places[i];
    if (place.w == 0 || place.h == 0) continue;
    if (x > 0 && x + place.w > row_limit) {
      y += row_height + padding;
      x = 0;
      row_height = 0;
    }
    place.x = x;
    place.y = y;
    x += place.w + padding;
    row_height = std::max(row_height, place.h);
    layout.width = std::max(layout.width, place.x + place.w);
    layout.height = std::max(layout.height, place.y + place.h);
  }
  return layout;
}

Json Rectangle(const Placement& place) {
  return Json{{"x", place.x}, {"y", place.y}, {"w", place.w}, {"h", place.h}};
}

std::vector<std::uint8_t> JsonBytes(const Json& data) {
  const std::string text = data.dump(1, '\t') + "\n";
  return {text.begin(), text.end()};
}

}  // namespace

void ExportSpriteSheet(const TBAM& bam, const std::string& picture_path,
                       const std::string& data_path, const SheetExportOptions& options) {
  const std::vector<std::int32_t> cycles = ExportedCycles(bam, options.cycle);
  if (options.padding < 0 || options.columns < 0) {
    throw std::runtime_error("Padding and columns cannot be negative");
  }
  const bool indexed = options.indexed && bam.BAMType != kUnpalettedBAM;

  // Distinct pictures by their stored pixels, so a frame shown twice, or two frames that are the
  // same picture, take one place on the sheet.
  std::map<std::tuple<int, int, std::vector<std::uint8_t>>, std::size_t> picture_of_pixels;
  std::map<std::int32_t, std::size_t> picture_of_frame;
  std::vector<std::int32_t> picture_frames;  // a frame showing each picture
  std::vector<Placement> sizes;
  for (const std::int32_t c : cycles) {
    for (const std::int32_t frame : bam.GetCycle(c).Frames) {
      if (picture_of_frame.count(frame)) continue;
      const TBAMFrame info = bam.GetFrame(frame);
      auto key = std::make_tuple(info.Width, info.Height, bam.DecodeFrame(frame));
      const auto [at, added] = picture_of_pixels.emplace(std::move(key), sizes.size());
      if (added) {
        picture_frames.push_back(frame);
        sizes.push_back({0, 0, info.Width, info.Height});
      }
      picture_of_frame[frame] = at->second;
    }
  }
  const SheetLayout layout = options.packed ? PackedLayout(sizes, options.padding)
                                            : GridLayout(sizes, options.columns, options.padding);
  const int sheet_w = std::max(1, layout.width), sheet_h = std::max(1, layout.height);
  if (!PictureSizeAcceptable(sheet_w, sheet_h)) {
    throw std::runtime_error("The sheet would be " + std::to_string(sheet_w) + " x " +
                             std::to_string(sheet_h) + " pixels, more than a picture may hold");
  }

  std::vector<std::uint8_t> png;
  if (indexed) {
    Bitmap sheet(sheet_w, sheet_h, PixelFormat::Bits8);
    sheet.ColorTable() = bam.Palette;
    std::fill(sheet.Pixels().begin(), sheet.Pixels().end(),
              static_cast<std::uint8_t>(bam.TranspInd));
    for (std::size_t p = 0; p < picture_frames.size(); ++p) {
      const Placement& place = layout.places[p];
      const std::vector<std::uint8_t> raw = bam.DecodeFrame(picture_frames[p]);
      for (int y = 0; y < place.h; ++y) {
        std::copy_n(raw.begin() + static_cast<std::ptrdiff_t>(y) * place.w, place.w,
                    sheet.Row(place.y + y) + place.x);
      }
    }
    png = EncodePNG(sheet, ToColor(bam.Palette[static_cast<std::uint8_t>(bam.TranspInd)]), true);
  } else {
    RgbaPicture sheet(sheet_w, sheet_h);
    for (std::size_t p = 0; p < picture_frames.size(); ++p) {
      const Placement& place = layout.places[p];
      const RgbaPicture picture = FrameAsRgba(bam, picture_frames[p]);
      for (int y = 0; y < place.h; ++y) {
        std::copy_n(picture.At(0, y), 4 * static_cast<std::size_t>(place.w),
                    sheet.At(place.x, place.y + y));
      }
    }
    png = EncodeRGBAPNG(sheet);
  }

  Json frames = Json::array(), tags = Json::array();
  const std::string stem = std::filesystem::path(picture_path).stem().string();
  for (const std::int32_t c : cycles) {
    const TCycleItem cycle = bam.GetCycle(c);
    const int from = static_cast<int>(frames.size());
    for (std::size_t j = 0; j < cycle.Frames.size(); ++j) {
      const TBAMFrame info = bam.GetFrame(cycle.Frames[j]);
      const Placement& place = layout.places[picture_of_frame.at(cycle.Frames[j])];
      const double pivot_x = info.Width > 0 ? double(info.CentreX) / info.Width : 0.5;
      const double pivot_y = info.Height > 0 ? double(info.CentreY) / info.Height : 1.0;
      frames.push_back(Json{{"filename", stem + " " + std::to_string(c) + "-" + std::to_string(j)},
                            {"frame", Rectangle(place)},
                            {"rotated", false},
                            {"trimmed", false},
                            {"spriteSourceSize", Rectangle({0, 0, info.Width, info.Height})},
                            {"sourceSize", Json{{"w", info.Width}, {"h", info.Height}}},
                            {"duration", options.frame_ms},
                            {"pivot", Json{{"x", pivot_x}, {"y", pivot_y}}},
                            {"centre", Json{{"x", info.CentreX}, {"y", info.CentreY}}}});
    }
    tags.push_back(Json{{"name", "sequence " + std::to_string(c)},
                        {"from", from},
                        {"to", static_cast<int>(frames.size()) - 1},
                        {"direction", "forward"}});
  }
  const Json data{{"frames", frames},
                  {"meta", Json{{"app", options.app},
                                {"version", options.version},
                                {"image", std::filesystem::path(picture_path).filename().string()},
                                {"format", indexed ? "I8" : "RGBA8888"},
                                {"size", Json{{"w", sheet_w}, {"h", sheet_h}}},
                                {"scale", "1"},
                                {"frameTags", tags}}}};
  try {
    WriteFileAtomically(picture_path, png);
  } catch (const std::exception& e) {
    throw std::runtime_error("Cannot write " + picture_path + ": " + e.what());
  }
  try {
    WriteFileAtomically(data_path, JsonBytes(data));
  } catch (const std::exception& e) {
    throw std::runtime_error("Cannot write " + data_path + ": " + e.what());
  }
}

}  // namespace celwright
