#include "model/apng_exchange.h"

#include <sstream>
#include <stdexcept>

#include "model/bam_export.h"
#include "support/file_io.h"
#include "support/image_io/apng_file.h"
#include "support/media/media_error.h"

namespace celwright {

namespace {

struct FramePlace {
  int x = 0, y = 0, w = 0, h = 0;
};

// Where each frame sat in the box and where the common centre is, so an export comes back with
// every frame's own size and centre: "centre X Y", then one "frame X Y W H" line per frame.
struct PlacementNote {
  int centre_x = 0, centre_y = 0;
  std::vector<FramePlace> frames;

  std::string Text() const {
    std::ostringstream text;
    text << "centre " << centre_x << ' ' << centre_y << '\n';
    for (const FramePlace& f : frames)
      text << "frame " << f.x << ' ' << f.y << ' ' << f.w << ' ' << f.h << '\n';
    return text.str();
  }

  // False for a note that does not describe these frames on this canvas.
  bool Parse(const std::string& note, std::size_t count, int width, int height) {
    std::istringstream text(note);
    std::string word;
    if (!(text >> word >> centre_x >> centre_y) || word != "centre") return false;
    FramePlace f;
    while (text >> word >> f.x >> f.y >> f.w >> f.h) {
      if (word != "frame" || f.x < 0 || f.y < 0 || f.w < 0 || f.h < 0 || f.x > width - f.w ||
          f.y > height - f.h) {
        return false;
      }
      frames.push_back(f);
    }
    return text.eof() && frames.size() == count;
  }
};

RgbaPicture Crop(const RgbaPicture& from, const FramePlace& place) {
  RgbaPicture piece(place.w, place.h);
  for (int y = 0; y < place.h; ++y) {
    std::copy_n(from.At(place.x, place.y + y), 4 * static_cast<std::size_t>(place.w),
                piece.At(0, y));
  }
  return piece;
}

}  // namespace

bool IsAnimatedPngFile(const std::string& path) {
  if (WithExtension(path, ".apng") == path) return true;
  if (WithExtension(path, ".png") != path) return false;
  try {
    RequireRegularFile(path);
    return IsAnimatedPng(ReadWholeFile(path));
  } catch (const std::exception&) {
    return false;  // the picture reader names what is wrong with it
  }
}

ExchangeAnimation ReadAnimatedPng(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  try {
    RequireRegularFile(path);
    bytes = ReadWholeFile(path);
  } catch (const std::exception& e) {
    throw MediaError(std::string("Failed to read animated PNG file: ") + e.what());
  }
  ApngAnimation decoded = DecodeApng(bytes, path);
  PlacementNote note;
  const bool placed =
      note.Parse(decoded.note, decoded.frames.size(), decoded.width, decoded.height);
  ExchangeAnimation animation;
  animation.sequences.emplace_back();
  for (std::size_t i = 0; i < decoded.frames.size(); ++i) {
    ExchangeFrame frame;
    if (placed) {
      frame.picture = Crop(decoded.frames[i], note.frames[i]);
      frame.centre_x = note.centre_x - note.frames[i].x;
      frame.centre_y = note.centre_y - note.frames[i].y;
    } else {
      frame.picture = std::move(decoded.frames[i]);
      frame.centre_x = frame.picture.width / 2;
      frame.centre_y = frame.picture.height / 2;
    }
    animation.frames.push_back(std::move(frame));
    animation.sequences.back().frames.push_back(i);
  }
  return animation;
}

void ExportAnimatedPng(const TBAM& bam, const std::string& path, std::int32_t cycle_number,
                       int frame_ms) {
  const TCycleItem cycle = bam.GetCycle(ExportedCycles(bam, cycle_number).front());
  const ExportBox box = ComputeExportBox(bam, cycle);
  if (box.Width() <= 0 || box.Height() <= 0) {
    throw std::runtime_error("The sequence's frames are all empty; there is nothing to show");
  }
  std::vector<RgbaPicture> frames;
  PlacementNote note{box.max_centre_x, box.max_centre_y, {}};
  for (const std::int32_t index : cycle.Frames) {
    const TBAMFrame info = bam.GetFrame(index);
    const RgbaPicture picture = FrameAsRgba(bam, index);
    const FramePlace place{box.FrameLeft(info), box.FrameTop(info), info.Width, info.Height};
    RgbaPicture canvas(box.Width(), box.Height());
    for (int y = 0; y < place.h; ++y) {
      std::copy_n(picture.At(0, y), 4 * static_cast<std::size_t>(place.w),
                  canvas.At(place.x, place.y + y));
    }
    frames.push_back(std::move(canvas));
    note.frames.push_back(place);
  }
  const std::string name =
      WithExtension(path, ".apng") == path ? path : WithExtension(path, ".png");
  try {
    WriteFileAtomically(name,
                        EncodeApng(frames, std::vector<int>(frames.size(), frame_ms), note.Text()));
  } catch (const std::exception& e) {
    throw std::runtime_error("Cannot write " + name + ": " + e.what());
  }
}

}  // namespace celwright
