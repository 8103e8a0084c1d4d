#include <iostream>

#include "cli/cli_common.h"

namespace celwright::cli {

int RunConvert(const std::vector<std::string>& args) {
  const ParsedArgs parsed = ParseArgs(args);
  if (parsed.positional.size() != 2) throw UsageError("convert takes an input and an output file");
  for (const std::string& flag : parsed.flags) {
    if (flag != "--compressed" && flag != "--uncompressed") {
      throw UsageError("convert does not know " + flag);
    }
  }
  if (parsed.Has("--compressed") && parsed.Has("--uncompressed")) {
    throw UsageError("choose either --compressed or --uncompressed");
  }
  TBAM bam;
  LoadAnimation(bam, parsed.positional[0]);
  bool compressed = bam.Compressed;
  if (parsed.Has("--compressed")) compressed = true;
  if (parsed.Has("--uncompressed")) compressed = false;
  try {
    if (!bam.SaveToFile(parsed.positional[1], bam.BAMType, compressed, false)) {
      throw CommandError("\"" + parsed.positional[1] + "\" is reserved for unsaved animations");
    }
  } catch (const EBAMSaveError& e) {
    throw CommandError(parsed.positional[1] + ": " + e.what());
  }
  return 0;
}

}  // namespace celwright::cli
