#include <cstdio>
#include <iostream>

#include "cli/cli_common.h"
#include "cli/progress_bar.h"
#include "model/frame_compaction.h"

namespace celwright::cli {

namespace {

std::int32_t PageNumber(const std::string& text) {
  try {
    std::size_t used = 0;
    const int value = std::stoi(text, &used);
    if (used == text.size() && value >= 0 && value <= 9999) return value;
  } catch (const std::exception&) {
  }
  throw UsageError("--first-page takes a page number from 0 to 9999");
}

// The palette an animation is mapped onto: the one given, or its own rebuilt around the kept
// entries.
Palette256 TargetPalette(const std::string& given, const TBAM& bam, const EntryRange& keep) {
  if (!given.empty()) return LoadGivenPalette(given);
  if (bam.BAMType != kPalettedBAM) {
    throw CommandError("--keep-entries keeps entries of a paletted animation's palette");
  }
  SharedPaletteBuilder builder(bam.GetTransCol(), bam.GetShadowCol());
  builder.AddAnimation(bam, keep);
  return builder.Build(bam.Palette, keep);
}

}  // namespace

int RunConvert(const std::vector<std::string>& args) {
  const ParsedArgs parsed =
      ParseArgs(args, {"--pages", "--first-page", "--dither", "--palette", "--keep-entries"});
  if (parsed.positional.size() != 2) throw UsageError("convert takes an input and an output file");
  parsed.AllowOnly({"--compressed", "--uncompressed", "--paletted", "--unpaletted", "--v2", "--pages",
                    "--first-page", "--overwrite-pages", "--dither", "--palette", "--keep-entries",
                    "--merge-identical", "--trim"});
  if (parsed.Has("--compressed") && parsed.Has("--uncompressed")) {
    throw UsageError("choose either --compressed or --uncompressed");
  }
  const int kinds = parsed.Has("--paletted") + parsed.Has("--unpaletted") + parsed.Has("--v2");
  if (kinds > 1) throw UsageError("choose one of --paletted, --unpaletted and --v2");
  if (parsed.Has("--v2") && (parsed.Has("--compressed") || parsed.Has("--uncompressed"))) {
    throw UsageError("a BAM V2 file has no compressed container; leave out --compressed");
  }
  // Valued options are kept as "--name=value".
  const std::string given_palette = parsed.Value("--palette", "");
  const EntryRange keep = KeptEntriesOption(parsed);
  const bool remap = !given_palette.empty() || !keep.Empty();
  if (remap && parsed.Has("--unpaletted")) {
    throw UsageError("--palette and --keep-entries make a paletted animation");
  }
  if (!given_palette.empty() && !keep.Empty()) {
    throw UsageError("--palette takes the whole palette as it is; --keep-entries rebuilds one");
  }
  const Dithering dithering = DitheringOption(parsed);
  if (dithering != Dithering::kNone && !parsed.Has("--paletted") && !remap) {
    throw UsageError("--dither goes with --paletted, --palette or --keep-entries");
  }
  RequireNewBamOutput(parsed.positional[1], {parsed.positional[0]});
  TBAM bam;
  LoadAnimation(bam, parsed.positional[0], parsed.Values("--pages"));
  bool compressed = bam.Compressed;
  if (parsed.Has("--compressed")) compressed = true;
  if (parsed.Has("--uncompressed")) compressed = false;
  if (remap) {
    const MappingError error = MapOntoPalette(bam, TargetPalette(given_palette, bam, keep), dithering, keep);
    std::printf("mean colour error %.2f, largest %.2f\n", error.mean, error.largest);
  } else if (kinds == 1) {
    bam.OnProgress = TerminalProgress(ProgressKind::kConversion);
    bam.ConversionDithering = dithering;
    bam.SetBAMType(parsed.Has("--paletted")     ? kPalettedBAM
                   : parsed.Has("--unpaletted") ? kUnpalettedBAM
                                                : kTrueColourBAM);
    bam.OnProgress = nullptr;
  }
  if (parsed.Has("--trim") || parsed.Has("--merge-identical")) {
    const std::int64_t before = FrameDataBytes(bam);
    // Trimming first lets frames that differ only in their transparent borders merge.
    const int trimmed = parsed.Has("--trim") ? TrimFrames(bam) : 0;
    const int merged = parsed.Has("--merge-identical") ? MergeIdenticalFrames(bam) : 0;
    std::printf("%d frames trimmed, %d identical frames merged: %lld bytes of frame data saved\n",
                trimmed, merged, static_cast<long long>(before - FrameDataBytes(bam)));
  }
  const std::string first_page = parsed.Value("--first-page", "");
  if (bam.BAMType == kTrueColourBAM) {
    bam.PageSave.FirstPage = first_page.empty() ? -1 : PageNumber(first_page);
    bam.PageSave.OverwritePages = parsed.Has("--overwrite-pages");
  } else if (!first_page.empty() || parsed.Has("--overwrite-pages")) {
    throw UsageError("--first-page and --overwrite-pages are for BAM V2 output");
  }
  SaveAnimation(bam, parsed.positional[1], compressed);
  return 0;
}

}  // namespace celwright::cli
