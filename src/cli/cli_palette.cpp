#include <iostream>

#include "cli/cli_common.h"
#include "model/shared_palette.h"
#include "support/image_io/image_file.h"
#include "support/palette_file.h"

namespace celwright::cli {

namespace {

bool IsBam(const std::string& path) { return LowerExtension(path) == ".bam"; }

Bitmap LoadPicture(const std::string& path, Palette256& palette) {
  Bitmap picture;
  try {
    if (KindFromExtension(path) == kImageKindByExtension) {
      throw std::runtime_error("not a .bam, .png, .bmp, .jpg or .gif file");
    }
    if (!LoadImageFile(picture, palette, kImageKindByExtension, path)) {
      throw std::runtime_error("the file does not exist");
    }
  } catch (const std::exception& e) {
    throw CommandError(path + ": " + e.what());
  }
  return picture;
}

}  // namespace

EntryRange KeptEntriesOption(const ParsedArgs& parsed) {
  const std::string text = parsed.Value("--keep-entries", "");
  if (text.empty()) return {};
  try {
    return ParseEntryRange(text);
  } catch (const std::exception& e) {
    throw UsageError(std::string("--keep-entries: ") + e.what());
  }
}

Palette256 LoadGivenPalette(const std::string& path) {
  Palette256 palette{};
  if (LowerExtension(path) == ".pal") {
    const PaletteFileResult result = LoadPaletteFile(path, palette);
    if (!result.Ok) throw CommandError(path + ": " + result.Error);
    return palette;
  }
  if (IsBam(path)) {
    TBAM bam;
    LoadAnimation(bam, path);
    if (bam.BAMType != kPalettedBAM) throw CommandError(path + ": the animation has no palette");
    return bam.Palette;
  }
  const Bitmap picture = LoadPicture(path, palette);
  if (picture.Format() != PixelFormat::Bits8) {
    throw CommandError(path + ": the picture has no palette");
  }
  return picture.ColorTable();
}

int RunPalette(const std::vector<std::string>& args) {
  const ParsedArgs parsed = ParseArgs(args, {"--keep-entries"});
  parsed.AllowOnly({"--keep-entries"});
  if (parsed.positional.size() < 3 || parsed.positional[0] != "build") {
    throw UsageError("palette build takes animations or pictures and a .pal file");
  }
  const std::vector<std::string> inputs(parsed.positional.begin() + 1,
                                        parsed.positional.end() - 1);
  const std::string& out = parsed.positional.back();
  if (LowerExtension(out) != ".pal") {
    throw UsageError(out + ": the palette is written to a .pal file");
  }
  const EntryRange keep = KeptEntriesOption(parsed);
  SharedPaletteBuilder builder(kDefaultTransCol, kDefaultShadowCol);
  // Kept entries come from the first input that has a palette.
  Palette256 base{};
  bool have_base = false;
  for (const std::string& in : inputs) {
    if (IsBam(in)) {
      TBAM bam;
      LoadAnimation(bam, in);
      builder.AddAnimation(bam);
      if (!have_base && bam.BAMType == kPalettedBAM) {
        base = bam.Palette;
        have_base = true;
      }
    } else {
      Palette256 palette{};
      const Bitmap picture = LoadPicture(in, palette);
      builder.AddPicture(picture);
      if (!have_base && picture.Format() == PixelFormat::Bits8) {
        base = picture.ColorTable();
        have_base = true;
      }
    }
  }
  if (!keep.Empty() && !have_base) {
    throw CommandError("--keep-entries needs an input with a palette to keep entries of");
  }
  try {
    SavePaletteFile(out, builder.Build(base, keep));
  } catch (const std::exception& e) {
    throw CommandError(e.what());
  }
  std::cerr << "one palette for " << inputs.size() << " files written to " << out << "\n";
  return 0;
}

}  // namespace celwright::cli
