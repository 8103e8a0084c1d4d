#include <iostream>

#include "cli/animation_summary.h"
#include "cli/cli_common.h"

namespace celwright::cli {

int RunInfo(const std::vector<std::string>& args) {
  const ParsedArgs parsed = ParseArgs(args, {"--pages"});
  if (parsed.positional.size() != 1) throw UsageError("info takes one animation file");
  parsed.AllowOnly({"--json", "--pages"});
  TBAM bam;
  LoadAnimation(bam, parsed.positional[0], parsed.Values("--pages"));
  const AnimationSummary summary = Summarize(bam, parsed.positional[0]);
  std::cout << (parsed.Has("--json") ? FormatJson(summary) : FormatText(summary));
  return 0;
}

}  // namespace celwright::cli
