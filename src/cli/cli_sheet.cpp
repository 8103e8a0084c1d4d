#include <filesystem>
#include <iostream>

#include "support/app_info.h"
#include "cli/cli_common.h"
#include "model/sprite_sheet_export.h"

namespace celwright::cli {

namespace {

int Count(const ParsedArgs& parsed, const std::string& flag, int fallback, int least) {
  const std::string text = parsed.Value(flag, std::to_string(fallback));
  try {
    std::size_t used = 0;
    const int value = std::stoi(text, &used);
    if (used == text.size() && value >= least) return value;
  } catch (const std::exception&) {
  }
  throw UsageError(flag + " takes a whole number from " + std::to_string(least));
}

}  // namespace

int RunSheet(const std::vector<std::string>& args) {
  const std::vector<std::string> valued = {"--json", "--cycle", "--columns", "--padding"};
  const ParsedArgs parsed = ParseArgs(args, valued);
  if (parsed.positional.size() != 2) throw UsageError("sheet takes an animation and a PNG file");
  std::vector<std::string> known = valued;
  known.insert(known.end(), {"--packed", "--indexed"});
  parsed.AllowOnly(known);
  if (parsed.Has("--columns") && parsed.Has("--packed")) {
    throw UsageError("choose either --columns or --packed");
  }
  SheetExportOptions options;
  options.cycle = parsed.Has("--cycle") ? Count(parsed, "--cycle", 0, 0) : -1;
  options.columns = parsed.Has("--columns") ? Count(parsed, "--columns", 0, 1) : 0;
  options.packed = parsed.Has("--packed");
  options.padding = Count(parsed, "--padding", 0, 0);
  options.indexed = parsed.Has("--indexed");
  options.app = kAppTitle;
  options.version = kVersionText;
  const std::string& out = parsed.positional[1];
  const std::string json =
      parsed.Value("--json", std::filesystem::path(out).replace_extension(".json").string());

  TBAM bam;
  LoadAnimation(bam, parsed.positional[0]);
  if (options.indexed && bam.BAMType == kUnpalettedBAM) {
    std::cerr << "celwright-cli: the animation has no palette; the sheet keeps full colours\n";
  }
  try {
    ExportSpriteSheet(bam, out, json, options);
  } catch (const std::exception& e) {
    throw CommandError(e.what());
  }
  return 0;
}

}  // namespace celwright::cli
