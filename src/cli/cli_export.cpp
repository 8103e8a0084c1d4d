#include <filesystem>
#include <iostream>

#include "cli/cli_common.h"
#include "cli/progress_bar.h"
#include "model/apng_exchange.h"

namespace celwright::cli {

namespace {

std::int32_t CycleNumber(const std::string& text) {
  try {
    std::size_t used = 0;
    const int value = std::stoi(text, &used);
    if (used == text.size() && value >= 0) return value;
  } catch (const std::exception&) {
  }
  throw UsageError("--cycle takes a sequence number from 0");
}

}  // namespace

int RunExport(const std::vector<std::string>& args) {
  const ParsedArgs parsed = ParseArgs(args, {"--cycle", "--pages"});
  if (parsed.positional.size() != 2) throw UsageError("export takes an animation and an output file");
  parsed.AllowOnly({"--cycle", "--pages", "--animated"});
  const std::int32_t cycle = CycleNumber(parsed.Value("--cycle", "0"));
  const std::string& out = parsed.positional[1];
  const std::string extension = LowerExtension(out);

  TBAM bam;
  LoadAnimation(bam, parsed.positional[0], parsed.Values("--pages"));
  if (cycle >= bam.CycleCount()) {
    throw CommandError("the animation has " + std::to_string(bam.CycleCount()) +
                       " sequences; there is no sequence " + std::to_string(cycle));
  }
  try {
    if (extension == ".apng" || (extension == ".png" && parsed.Has("--animated"))) {
      ExportAnimatedPng(bam, out, cycle);
    } else if (parsed.Has("--animated")) {
      throw UsageError("--animated goes with an output ending in .png");
    } else if (extension == ".gif") {
      bam.ExportGIF(out, cycle);
    } else if (extension == ".avi") {
      bam.ExportAVI(out, cycle);
    } else if (extension == ".bmp") {
      bam.ExportBMP(out, cycle);
    } else if (extension == ".bam") {
      RequireNewBamOutput(out, {parsed.positional[0]});
      bam.ExportCycleAsBAM(out, cycle, TerminalProgress());
    } else {
      throw UsageError(
          "the output's extension must be .gif, .avi, .bmp, .bam or .apng (or .png with "
          "--animated)");
    }
  } catch (const UsageError&) {
    throw;
  } catch (const std::exception& e) {
    throw CommandError(out + ": " + e.what());
  }
  return 0;
}

}  // namespace celwright::cli
