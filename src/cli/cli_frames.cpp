#include <cctype>
#include <filesystem>
#include <iostream>

#include "cli/cli_common.h"
#include "cli/cli_pictures.h"
#include "support/image_io/image_file.h"

namespace celwright::cli {

namespace {

std::uint8_t KindForFormat(const std::string& format) {
  if (format == "png") return kImageKindPng;
  if (format == "bmp") return kImageKindBitmap;
  if (format == "gif") return kImageKindGif;
  if (format == "jpg") return kImageKindJpeg;
  throw UsageError("--format takes png, bmp, gif or jpg");
}

// A frame as it is shown: paletted frames keep their indices with the display palette, so
// transparent and shadow pixels appear in their display colours; true-colour frames lie over the
// transparent colour.
Bitmap DisplayPicture(const TBAM& bam, std::int32_t frame_index) {
  if (!bam.Paletted()) {
    Bitmap picture;
    bam.GetFrameBitmap(frame_index, picture, nullptr);
    return picture;
  }
  const TBAMFrame frame = bam.GetFrame(frame_index);
  Bitmap indices(frame.Width, frame.Height, PixelFormat::Bits8);
  indices.ColorTable() = bam.GetDisplayHPalette();
  const std::vector<std::uint8_t> raw = bam.DecodeFrame(frame_index);
  std::copy(raw.begin(), raw.end(), indices.Pixels().begin());
  return indices;
}

}  // namespace

int RunFrames(const std::vector<std::string>& args) {
  const ParsedArgs parsed = ParseArgs(args, {"--format", "--pages"});
  if (parsed.positional.size() != 2) throw UsageError("frames takes an animation and a folder");
  parsed.AllowOnly({"--format", "--pages"});
  // Any case is accepted; the files get the lower-case extension the picture writers expect,
  // so "--format PNG" cannot produce "X_0000.PNG.png".
  std::string format = parsed.Value("--format", "png");
  for (char& c : format) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::uint8_t kind = KindForFormat(format);

  TBAM bam;
  LoadAnimation(bam, parsed.positional[0], parsed.Values("--pages"));
  const std::filesystem::path folder = parsed.positional[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) throw CommandError(folder.string() + ": " + error.message());

  const std::string stem = std::filesystem::path(parsed.positional[0]).stem().string();
  const int digits = std::max<int>(4, static_cast<int>(std::to_string(bam.FrameCount()).size()));
  int written = 0;
  for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
    const Bitmap picture = DisplayPicture(bam, i);
    if (picture.Empty()) {
      std::cerr << "frame " << i << " has no pixels and was skipped\n";
      continue;
    }
    std::string number = std::to_string(i);
    number.insert(0, static_cast<std::size_t>(std::max(0, digits - static_cast<int>(number.size()))), '0');
    const auto target = folder / (stem + "_" + number + "." + format);
    try {
      SaveImageFile(picture, kind, target, bam.GetTransCol());
    } catch (const std::exception& e) {
      throw CommandError(e.what());
    }
    ++written;
  }
  std::cerr << written << " frames written to " << ForTerminal(folder.string()) << "\n";
  return 0;
}

}  // namespace celwright::cli
