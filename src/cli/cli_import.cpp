#include <iostream>

#include "cli/cli_common.h"
#include "cli/progress_bar.h"
#include "support/image_io/image_file.h"
#include "support/media/palette_mapper.h"

namespace celwright::cli {

namespace {

struct Centre {
  bool given = false;
  int x = 0, y = 0;
};

Centre ParseCentre(const ParsedArgs& parsed) {
  Centre centre;
  const std::string text = parsed.Value("--centre", "");
  if (text.empty()) return centre;
  const auto comma = text.find(',');
  try {
    std::size_t used_x = 0, used_y = 0;
    const std::string x = text.substr(0, comma), y = text.substr(comma + 1);
    if (comma != std::string::npos) {
      centre.x = std::stoi(x, &used_x);
      centre.y = std::stoi(y, &used_y);
      if (used_x == x.size() && used_y == y.size() && centre.x >= -32768 && centre.x <= 32767 &&
          centre.y >= -32768 && centre.y <= 32767) {
        centre.given = true;
        return centre;
      }
    }
  } catch (const std::exception&) {
  }
  throw UsageError("--centre takes X,Y (whole numbers, for example 24,70)");
}

// One picture file as the next frame of the document's only cycle, 24 bits with the picture's
// see-through colour (a PNG's tRNS) in the document's transparent colour.
void AppendPicture(TBAM& bam, const std::string& path, const Centre& centre) {
  Bitmap picture;
  Palette256 palette{};
  try {
    if (!LoadImageFile(picture, palette, kImageKindByExtension, path)) {
      throw std::runtime_error("the file does not exist");
    }
  } catch (const std::exception& e) {
    throw CommandError(path + ": " + e.what());
  }
  if (picture.Empty()) throw CommandError(path + ": the picture has no pixels");
  bam.InsertFrame(-1, 0, -1, false);
  const std::int32_t index = bam.FrameCount() - 1;
  TBAMFrame info = bam.GetFrame(index);
  info.Width = picture.Width();
  info.Height = picture.Height();
  // Without a given centre, the middle of the bottom edge: where a creature stands.
  info.CentreX = centre.given ? centre.x : picture.Width() / 2;
  info.CentreY = centre.given ? centre.y : picture.Height();
  bam.SetFrameBitmap(index, TrueColourForDocument(picture, bam.GetTransCol()), info);
}

bool IsAnimation(const std::string& extension) { return extension == ".gif" || extension == ".avi"; }

}  // namespace

int RunImport(const std::vector<std::string>& args) {
  if (IsExchangeImport(args)) return RunExchangeImport(args);
  const ParsedArgs parsed = ParseArgs(args, {"--centre", "--dither"});
  if (parsed.positional.size() < 2) {
    throw UsageError("import takes pictures, or a GIF or AVI file, and a BAM file");
  }
  parsed.AllowOnly({"--paletted", "--unpaletted", "--uncompressed", "--centre", "--dither"});
  if (parsed.Has("--paletted") && parsed.Has("--unpaletted")) {
    throw UsageError("choose either --paletted or --unpaletted");
  }
  const Dithering dithering = DitheringOption(parsed);
  if (dithering != Dithering::kNone && parsed.Has("--unpaletted")) {
    throw UsageError("--dither goes with paletted imports");
  }
  const Centre centre = ParseCentre(parsed);
  const std::vector<std::string> inputs(parsed.positional.begin(), parsed.positional.end() - 1);
  const std::string& out = parsed.positional.back();
  RequireNewBamOutput(out, inputs);
  for (const std::string& in : inputs) {
    const std::string extension = LowerExtension(in);
    if (KindFromExtension(in) == kImageKindByExtension && extension != ".avi") {
      throw UsageError(in + ": import reads .png, .bmp, .jpg, .gif or .avi files");
    }
    if (extension == ".avi" && inputs.size() > 1) {
      throw UsageError(in + ": a video is imported on its own");
    }
  }
  const bool paletted = !parsed.Has("--unpaletted");
  // One GIF or video: all its frames. Anything else: every picture is one frame.
  const std::string first_extension = LowerExtension(inputs.front());
  const bool animation = inputs.size() == 1 && IsAnimation(first_extension);

  TBAM bam;
  bam.NewBAM(out, true);
  ApplyDisplayDefaults(bam);
  bam.ConversionDithering = dithering;
  // A GIF brings its own palette; everything else is gathered unpaletted and gets one palette
  // made for all of its frames.
  const bool direct = animation && first_extension == ".gif" && paletted;
  bam.BAMType = direct ? kPalettedBAM : kUnpalettedBAM;
  if (!direct) bam.CompCol = bam.TransCol;
  if (animation) {
    try {
      if (first_extension == ".gif") {
        bam.ImportGIF(inputs.front());
      } else {
        bam.ImportAVI(inputs.front());
      }
    } catch (const std::exception& e) {
      throw CommandError(inputs.front() + ": " + e.what());
    }
    if (centre.given) {
      for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
        TBAMFrame info = bam.GetFrame(i);
        const auto begin = bam.Data.begin() + static_cast<std::ptrdiff_t>(bam.FrameDataPosition(i));
        const std::vector<std::uint8_t> bytes(begin, begin + info.DataSize);
        info.CentreX = centre.x;
        info.CentreY = centre.y;
        bam.ReplaceFrameData(i, bytes, info);
      }
    }
  } else {
    bam.AddCycle(-1);
    for (const std::string& in : inputs) AppendPicture(bam, in, centre);
  }
  if (paletted && bam.BAMType != kPalettedBAM) {
    bam.OnProgress = TerminalProgress(ProgressKind::kConversion);
    bam.SetBAMType(kPalettedBAM);
    bam.OnProgress = nullptr;
  }
  SaveAnimation(bam, out, !parsed.Has("--uncompressed"));
  std::cerr << bam.FrameCount() << " frames imported\n";
  return 0;
}

}  // namespace celwright::cli
