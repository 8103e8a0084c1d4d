#include "cli/cli_common.h"
#include "cli/progress_bar.h"

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

}  // namespace

int RunConvert(const std::vector<std::string>& args) {
  const ParsedArgs parsed = ParseArgs(args, {"--pages", "--first-page"});
  if (parsed.positional.size() != 2) throw UsageError("convert takes an input and an output file");
  parsed.AllowOnly({"--compressed", "--uncompressed", "--paletted", "--unpaletted", "--v2",
                    "--pages", "--first-page", "--overwrite-pages"});
  if (parsed.Has("--compressed") && parsed.Has("--uncompressed")) {
    throw UsageError("choose either --compressed or --uncompressed");
  }
  const int kinds = parsed.Has("--paletted") + parsed.Has("--unpaletted") + parsed.Has("--v2");
  if (kinds > 1) throw UsageError("choose one of --paletted, --unpaletted and --v2");
  if (parsed.Has("--v2") && (parsed.Has("--compressed") || parsed.Has("--uncompressed"))) {
    throw UsageError("a BAM V2 file has no compressed container; leave out --compressed");
  }
  RequireNewBamOutput(parsed.positional[1], {parsed.positional[0]});
  TBAM bam;
  LoadAnimation(bam, parsed.positional[0], parsed.Values("--pages"));
  bool compressed = bam.Compressed;
  if (parsed.Has("--compressed")) compressed = true;
  if (parsed.Has("--uncompressed")) compressed = false;
  if (kinds == 1) {
    bam.OnProgress = TerminalProgress(ProgressKind::kConversion);
    bam.SetBAMType(parsed.Has("--paletted")     ? kPalettedBAM
                   : parsed.Has("--unpaletted") ? kUnpalettedBAM
                                                : kTrueColourBAM);
    bam.OnProgress = nullptr;
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
