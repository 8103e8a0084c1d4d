#include "model/sprite_sheet_import.h"

#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "support/file_io.h"
#include "support/image_io/image_file_error.h"
#include "support/image_io/qm_png.h"
#include "support/media/media_limits.h"
#include "support/media/palette_mapper.h"

namespace celwright {

namespace {

using Json = nlohmann::ordered_json;

// Sheet data holds a few hundred bytes an entry; more than this is no sheet data.
constexpr std::uintmax_t kMaxDataBytes = std::uintmax_t{64} << 20;

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
};

// The sheet picture, and its indices when it is paletted as the games lay out palettes.
struct SheetPicture {
  RgbaPicture rgba;
  Bitmap indices;
  std::optional<Palette256> palette;
};

SheetPicture ReadSheetPicture(const std::filesystem::path& path) {
  RequireRegularFile(path);
  const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
  SheetPicture sheet;
  sheet.rgba = DecodePNGToRGBA(bytes, path);
  Palette256 palette{};
  Bitmap indexed = DecodePNG(bytes, palette, path);
  if (HasGameLayout(indexed)) {
    sheet.indices = std::move(indexed);
    sheet.palette = palette;
  }
  return sheet;
}

// Copies `rect` of the sheet to (left, top) of the frame's picture (and indices).
void CopyPiece(const SheetPicture& sheet, const Rect& rect, int left, int top,
               ExchangeFrame& frame) {
  for (int y = 0; y < rect.h; ++y) {
    std::copy_n(sheet.rgba.At(rect.x, rect.y + y), 4 * static_cast<std::size_t>(rect.w),
                frame.picture.At(left, top + y));
  }
  if (!sheet.palette) return;
  frame.indices.assign(static_cast<std::size_t>(frame.picture.width) * frame.picture.height, 0);
  for (int y = 0; y < rect.h; ++y) {
    std::copy_n(
        sheet.indices.Row(rect.y + y) + rect.x, rect.w,
        frame.indices.begin() + static_cast<std::ptrdiff_t>(top + y) * frame.picture.width + left);
  }
}

class SheetData {
 public:
  explicit SheetData(std::string path) : path_(std::move(path)) {}

  ExchangeAnimation Read() {
    const Json data = Parse();
    if (!data.is_object() || !data.contains("frames")) Fail("it has no \"frames\"");
    const Json& meta = data.contains("meta") ? data["meta"] : Json::object();
    if (!meta.is_object()) Fail("\"meta\" is not an object");
    LoadSheet(meta);

    const Json& frames = data["frames"];
    if (!frames.is_array() && !frames.is_object()) Fail("\"frames\" is neither a list nor a map");
    if (frames.size() > kMaxSheetEntries) Fail("it lists too many frames");
    ExchangeAnimation animation;
    if (frames.is_array()) {
      for (std::size_t i = 0; i < frames.size(); ++i) {
        const Json& entry = frames[i];
        const std::string name =
            entry.is_object() && entry.contains("filename") && entry["filename"].is_string()
                ? entry["filename"].get<std::string>()
                : "frame " + std::to_string(i);
        animation.frames.push_back(ReadEntry(entry, name));
      }
    } else {
      for (const auto& [name, entry] : frames.items()) {
        animation.frames.push_back(ReadEntry(entry, name));
      }
    }
    ReadTags(meta, animation);
    // Indices are the sheet's meaning only where its data says it is indexed.
    if (meta.contains("format") && meta["format"] == "I8") animation.palette = sheet_.palette;
    return animation;
  }

 private:
  [[noreturn]] void Fail(const std::string& reason) const {
    throw std::runtime_error("Cannot read the sprite sheet data " + ShownName(path_) + ": " +
                             reason);
  }

  Json Parse() const {
    std::vector<std::uint8_t> bytes;
    try {
      RequireRegularFile(path_);
      if (std::filesystem::file_size(path_) > kMaxDataBytes) Fail("the file is too large");
      bytes = ReadWholeFile(path_);
    } catch (const std::exception& e) {
      throw std::runtime_error(e.what());
    }
    Json data = Json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (data.is_discarded()) Fail("it is not valid JSON");
    return data;
  }

  void LoadSheet(const Json& meta) {
    if (!meta.contains("image") || !meta["image"].is_string()) Fail("\"meta\" names no \"image\"");
    const std::filesystem::path image =
        std::filesystem::path(path_).parent_path() / meta["image"].get<std::string>();
    try {
      sheet_ = ReadSheetPicture(image);
    } catch (const std::exception& e) {
      Fail(std::string("its picture cannot be read: ") + e.what());
    }
  }

  int Integer(const Json& object, const char* key, const std::string& entry) const {
    if (!object.is_object() || !object.contains(key) || !object[key].is_number()) {
      Fail(entry + " has no number \"" + key + "\"");
    }
    const double value = object[key].get<double>();
    if (value != std::floor(value) || value < -1e6 || value > 1e6) {
      Fail(entry + " has an unusable \"" + key + "\"");
    }
    return static_cast<int>(value);
  }

  Rect ReadRect(const Json& entry, const char* key, const std::string& name) const {
    if (!entry.contains(key)) Fail("\"" + name + "\" has no \"" + key + "\"");
    const Json& rect = entry[key];
    const std::string where = "\"" + name + "\" " + key;
    Rect r{0, 0, Integer(rect, "w", where), Integer(rect, "h", where)};
    if (rect.contains("x") || rect.contains("y")) {
      r.x = Integer(rect, "x", where);
      r.y = Integer(rect, "y", where);
    }
    if (r.w < 0 || r.h < 0) Fail(where + " has a negative size");
    return r;
  }

  ExchangeFrame ReadEntry(const Json& entry, const std::string& name) {
    if (!entry.is_object()) Fail("\"" + name + "\" is not an object");
    if (entry.contains("rotated") && entry["rotated"] == true) {
      Fail("\"" + name + "\" is rotated on the sheet; rotated frames are not supported");
    }
    const Rect rect = ReadRect(entry, "frame", name);
    if (rect.x < 0 || rect.y < 0 || rect.x + rect.w > sheet_.rgba.width ||
        rect.y + rect.h > sheet_.rgba.height) {
      Fail("\"" + name + "\" lies outside the sheet picture");
    }
    // Trimmed frames go back to their place in the untrimmed picture.
    Rect source{0, 0, rect.w, rect.h};
    if (entry.contains("sourceSize")) {
      source = ReadRect(entry, "sourceSize", name);
      if (entry.contains("spriteSourceSize")) {
        const Rect placed = ReadRect(entry, "spriteSourceSize", name);
        source.x = placed.x;
        source.y = placed.y;
      }
      if (source.x < 0 || source.y < 0 || source.x + rect.w > source.w ||
          source.y + rect.h > source.h) {
        Fail("\"" + name + "\" does not fit in its \"sourceSize\"");
      }
    }
    if (!PictureSizeAcceptable(source.w, source.h) || source.w > 32767 || source.h > 32767) {
      Fail("\"" + name + "\" is too large for a frame");
    }
    pixels_ += std::int64_t{source.w} * source.h;
    if (pixels_ > kMaxImportedPixels) Fail("its frames hold too many pixels together");

    ExchangeFrame frame;
    frame.picture = RgbaPicture(source.w, source.h);
    CopyPiece(sheet_, rect, source.x, source.y, frame);
    if (entry.contains("centre")) {
      frame.centre_x = Integer(entry["centre"], "x", "\"" + name + "\" centre");
      frame.centre_y = Integer(entry["centre"], "y", "\"" + name + "\" centre");
    } else if (entry.contains("pivot")) {
      const Json& pivot = entry["pivot"];
      if (!pivot.is_object() || !pivot.contains("x") || !pivot.contains("y") ||
          !pivot["x"].is_number() || !pivot["y"].is_number()) {
        Fail("\"" + name + "\" has an unusable \"pivot\"");
      }
      const double x = pivot["x"].get<double>() * source.w, y = pivot["y"].get<double>() * source.h;
      if (!(std::abs(x) < 1e6 && std::abs(y) < 1e6))
        Fail("\"" + name + "\" has an unusable \"pivot\"");
      frame.centre_x = static_cast<int>(std::lround(x));
      frame.centre_y = static_cast<int>(std::lround(y));
    } else {
      frame.centre_x = source.w / 2;
      frame.centre_y = source.h;
    }
    return frame;
  }

  void ReadTags(const Json& meta, ExchangeAnimation& animation) const {
    const std::size_t count = animation.frames.size();
    const bool tagged =
        meta.contains("frameTags") && meta["frameTags"].is_array() && !meta["frameTags"].empty();
    if (!tagged) {
      ExchangeSequence all;
      all.name = std::filesystem::path(path_).stem().string();
      for (std::size_t i = 0; i < count; ++i) all.frames.push_back(i);
      animation.sequences.push_back(std::move(all));
      return;
    }
    for (const Json& tag : meta["frameTags"]) {
      ExchangeSequence sequence;
      if (tag.is_object() && tag.contains("name") && tag["name"].is_string()) {
        sequence.name = tag["name"].get<std::string>();
      }
      const std::string where = "frame tag \"" + sequence.name + "\"";
      const int from = Integer(tag, "from", where), to = Integer(tag, "to", where);
      if (from < 0 || to < from || static_cast<std::size_t>(to) >= count) {
        Fail(where + " names frames the sheet does not have");
      }
      const std::string direction = tag.contains("direction") && tag["direction"].is_string()
                                        ? tag["direction"].get<std::string>()
                                        : "forward";
      std::vector<std::size_t> forward, backward;
      for (int i = from; i <= to; ++i) forward.push_back(static_cast<std::size_t>(i));
      backward.assign(forward.rbegin(), forward.rend());
      // A ping-pong turns on its end frames without showing them twice.
      const auto bounce = [](std::vector<std::size_t> there, const std::vector<std::size_t>& back) {
        if (back.size() > 2) there.insert(there.end(), back.begin() + 1, back.end() - 1);
        return there;
      };
      if (direction == "forward") {
        sequence.frames = forward;
      } else if (direction == "reverse") {
        sequence.frames = backward;
      } else if (direction == "pingpong") {
        sequence.frames = bounce(forward, backward);
      } else if (direction == "pingpong_reverse") {
        sequence.frames = bounce(backward, forward);
      } else {
        Fail(where + " has the unknown direction \"" + direction + "\"");
      }
      animation.sequences.push_back(std::move(sequence));
    }
  }

  std::string path_;
  SheetPicture sheet_;
  std::int64_t pixels_ = 0;
};

}  // namespace

ExchangeAnimation ReadSpriteSheet(const std::string& data_path) {
  return SheetData(data_path).Read();
}

ExchangeAnimation CutSpriteSheet(const std::string& picture_path, int cell_width, int cell_height,
                                 int count) {
  SheetPicture picture;
  try {
    picture = ReadSheetPicture(picture_path);
  } catch (const std::exception& e) {
    throw std::runtime_error("Cannot read the sprite sheet " + ShownName(picture_path) + ": " +
                             e.what());
  }
  const RgbaPicture& sheet = picture.rgba;
  if (cell_width <= 0 || cell_height <= 0 || cell_width > sheet.width ||
      cell_height > sheet.height) {
    throw std::runtime_error("The cells must be at least 1 x 1 pixels and fit in the " +
                             std::to_string(sheet.width) + " x " + std::to_string(sheet.height) +
                             " sheet");
  }
  const int columns = sheet.width / cell_width;
  const int cells = columns * (sheet.height / cell_height);
  if (count < 0 || count > cells) {
    throw std::runtime_error("The sheet has " + std::to_string(cells) + " cells of " +
                             std::to_string(cell_width) + " x " + std::to_string(cell_height) +
                             " pixels");
  }
  if (count == 0) count = cells;
  ExchangeAnimation animation;
  animation.palette = picture.palette;
  animation.sequences.emplace_back();
  animation.sequences.back().name = std::filesystem::path(picture_path).stem().string();
  for (int i = 0; i < count; ++i) {
    ExchangeFrame frame;
    frame.picture = RgbaPicture(cell_width, cell_height);
    const int left = (i % columns) * cell_width, top = (i / columns) * cell_height;
    CopyPiece(picture, {left, top, cell_width, cell_height}, 0, 0, frame);
    frame.centre_x = cell_width / 2;
    frame.centre_y = cell_height;
    animation.frames.push_back(std::move(frame));
    animation.sequences.back().frames.push_back(static_cast<std::size_t>(i));
  }
  return animation;
}

}  // namespace celwright
