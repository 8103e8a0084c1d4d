#include "cli/progress_bar.h"

#include <unistd.h>

#include <cstdio>
#include <memory>

namespace celwright::cli {

namespace {

const char* StageLabel(ProgressKind kind, std::uint8_t stage) {
  if (kind == ProgressKind::kConversion) {
    switch (stage) {
      case 1: return "Scanning";
      case 2: return "Converting";
      case 3: return "Storing";
      default: return nullptr;
    }
  }
  switch (stage) {
    case kStageLoadRead: return "Loading";
    case kStageLoadFrames: return "Frames";
    case kStageLoadCycles: return "Sequences";
    case kStageLoadPalette: return "Palette";
    case kStageSaveFrameData: return "Prepping";
    case kStageSaveUpdate: return "Updating";
    case kStageSaveWrite: return "Saving";
    default: return nullptr;
  }
}

}  // namespace

TProgressEvent TerminalProgress(ProgressKind kind) {
  if (!isatty(STDERR_FILENO)) return {};
  auto last = std::make_shared<int>(-1);
  return [last, kind](std::int32_t position, std::int32_t max, std::uint8_t stage) {
    if (stage == kStageFinished) {
      if (*last >= 0) std::fputs("\r\033[K", stderr);
      *last = -1;
      return;
    }
    const char* label = StageLabel(kind, stage);
    if (!label || max <= 0) return;
    const int percent = static_cast<int>(100LL * position / max);
    const int key = stage * 1000 + percent;
    if (key == *last) return;
    *last = key;
    constexpr int kWidth = 30;
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i) bar[i] = i < percent * kWidth / 100 ? '#' : '.';
    bar[kWidth] = '\0';
    std::fprintf(stderr, "\r%-10s [%s] %3d%%", label, bar, percent);
    std::fflush(stderr);
  };
}

}  // namespace celwright::cli
