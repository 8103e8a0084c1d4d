#include "cli/cli_common.h"
#include "cli/progress_bar.h"

namespace celwright::cli {

int RunConvert(const std::vector<std::string>& args) {
  const ParsedArgs parsed = ParseArgs(args);
  if (parsed.positional.size() != 2) throw UsageError("convert takes an input and an output file");
  parsed.AllowOnly({"--compressed", "--uncompressed", "--paletted", "--unpaletted"});
  if (parsed.Has("--compressed") && parsed.Has("--uncompressed")) {
    throw UsageError("choose either --compressed or --uncompressed");
  }
  if (parsed.Has("--paletted") && parsed.Has("--unpaletted")) {
    throw UsageError("choose either --paletted or --unpaletted");
  }
  RequireNewBamOutput(parsed.positional[1], {parsed.positional[0]});
  TBAM bam;
  LoadAnimation(bam, parsed.positional[0]);
  bool compressed = bam.Compressed;
  if (parsed.Has("--compressed")) compressed = true;
  if (parsed.Has("--uncompressed")) compressed = false;
  if (parsed.Has("--paletted") || parsed.Has("--unpaletted")) {
    bam.OnProgress = TerminalProgress(ProgressKind::kConversion);
    bam.SetBAMType(parsed.Has("--paletted") ? kPalettedBAM : kUnpalettedBAM);
    bam.OnProgress = nullptr;
  }
  SaveAnimation(bam, parsed.positional[1], compressed);
  return 0;
}

}  // namespace celwright::cli
