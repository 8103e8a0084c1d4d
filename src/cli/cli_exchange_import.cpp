#include <filesystem>
#include <iostream>

#include "cli/cli_common.h"
#include "cli/progress_bar.h"
#include "model/apng_exchange.h"
#include "model/sprite_sheet_import.h"

namespace celwright::cli {

namespace {

const std::vector<std::string> kValued = {"--grid", "--count", "--centre"};

void ParseGrid(const std::string& text, int& width, int& height) {
  const auto x = text.find_first_of("xX");
  try {
    std::size_t used_w = 0, used_h = 0;
    if (x != std::string::npos) {
      const std::string w = text.substr(0, x), h = text.substr(x + 1);
      width = std::stoi(w, &used_w);
      height = std::stoi(h, &used_h);
      if (used_w == w.size() && used_h == h.size() && width > 0 && height > 0) return;
    }
  } catch (const std::exception&) {
  }
  throw UsageError("--grid takes the cell size as WxH (for example 32x48)");
}

int ParseCount(const std::string& text) {
  try {
    std::size_t used = 0;
    const int value = std::stoi(text, &used);
    if (used == text.size() && value > 0) return value;
  } catch (const std::exception&) {
  }
  throw UsageError("--count takes a number of cells from 1");
}

}  // namespace

bool IsExchangeImport(const std::vector<std::string>& args) {
  const ParsedArgs parsed = ParseArgs(args, kValued);
  if (parsed.Has("--grid")) return true;
  if (parsed.positional.size() != 2) return false;
  const std::string& in = parsed.positional.front();
  return LowerExtension(in) == ".json" || IsAnimatedPngFile(in);
}

int RunExchangeImport(const std::vector<std::string>& args) {
  const ParsedArgs parsed = ParseArgs(args, kValued);
  if (parsed.positional.size() != 2) {
    throw UsageError("a sprite sheet or animated PNG is imported on its own into one BAM file");
  }
  parsed.AllowOnly({"--grid", "--count", "--paletted", "--unpaletted", "--uncompressed"});
  if (parsed.Has("--paletted") && parsed.Has("--unpaletted")) {
    throw UsageError("choose either --paletted or --unpaletted");
  }
  if (parsed.Has("--count") && !parsed.Has("--grid")) {
    throw UsageError("--count goes with --grid");
  }
  const std::string& in = parsed.positional[0];
  const std::string& out = parsed.positional[1];
  RequireNewBamOutput(out, {in});

  ExchangeAnimation animation;
  try {
    if (parsed.Has("--grid")) {
      int width = 0, height = 0;
      ParseGrid(parsed.Value("--grid", ""), width, height);
      const int count = parsed.Has("--count") ? ParseCount(parsed.Value("--count", "")) : 0;
      animation = CutSpriteSheet(in, width, height, count);
    } else if (LowerExtension(in) == ".json") {
      animation = ReadSpriteSheet(in);
    } else {
      animation = ReadAnimatedPng(in);
    }
  } catch (const UsageError&) {
    throw;
  } catch (const std::exception& e) {
    throw CommandError(in + ": " + e.what());
  }

  TBAM bam;
  bam.NewBAM(out, true);
  ApplyDisplayDefaults(bam);
  bam.OnProgress = TerminalProgress(ProgressKind::kConversion);
  BuildExchangedDocument(bam, animation, !parsed.Has("--unpaletted"));
  bam.OnProgress = nullptr;
  SaveAnimation(bam, out, !parsed.Has("--uncompressed"));
  std::cerr << bam.FrameCount() << " frames in " << bam.CycleCount() << " sequences imported\n";
  return 0;
}

}  // namespace celwright::cli
