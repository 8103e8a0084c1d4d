// The text tool: while a text is being placed every repaint draws its block onto the overlay,
// so a repaint with a large two-line text must stay well inside a frame time. The letters are
// rendered once and kept while the text and font stay the same; the uncached figure shows what
// that saves.
#include <benchmark/benchmark.h>

#include <limits>
#include <string>

#include "canvas/text_block.h"
#include "canvas/tool_controller.h"
#include "bench_frame.h"

namespace celwright {
namespace {

constexpr const char* kTwoLines = "Celwright\nQuillmont";

struct TextBench {
  explicit TextBench(int magnification) : form(Options(magnification)), tools(form) {
    MakeBenchFrame(form, 512, BusyIndex);
    form.FormResize({1280, 800, 1280, 800});
    form.ShowFrame(0);
    const int x = form.ImageOrigin.X + 20 * form.Zoom;
    const int y = form.ImageOrigin.Y + 120 * form.Zoom;
    tools.FormMouseDown(kLeftButton, {}, x, y);
    tools.FormMouseUp(kLeftButton, {}, x, y);
  }
  DocumentOptions& Options(int magnification) {
    options.MagnificationIndex = magnification;
    options.Tool = ToolKind::Text;
    options.Text = kTwoLines;
    options.TextFont.size = 72;
    options.TextHighlight = false;
    return options;
  }
  DocumentOptions options;
  TBAMForm form;
  ToolController tools;
};

void BM_TextPreviewRepaint72pt(benchmark::State& state) {
  TextBench bench(static_cast<int>(state.range(0)));
  if (!bench.form.Tool.TextPending) state.SkipWithError("no text pending");
  for (auto _ : state) {
    bench.form.RedrawImage(false);
    benchmark::DoNotOptimize(bench.form.ViewImage.Pixels().data());
  }
}
BENCHMARK(BM_TextPreviewRepaint72pt)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The same repaint with no tool drawing: the part of the figure above that is not the text.
void BM_RepaintWithoutText(benchmark::State& state) {
  TextBench bench(static_cast<int>(state.range(0)));
  bench.tools.CancelDrawAction();
  for (auto _ : state) {
    bench.form.RedrawImage(false);
    benchmark::DoNotOptimize(bench.form.ViewImage.Pixels().data());
  }
}
BENCHMARK(BM_RepaintWithoutText)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_TextBlockRenderUncached72pt(benchmark::State& state) {
  Font font;
  font.size = 72;
  for (auto _ : state) {
    const Bitmap block = RenderTextBlock(font, kTwoLines);
    benchmark::DoNotOptimize(block.Pixels().data());
  }
}
BENCHMARK(BM_TextBlockRenderUncached72pt)->Unit(benchmark::kMicrosecond);

// The largest size the tool takes, ten lines placed on a 512-pixel frame: every line drawn
// (argument 0) against only those on the frame (argument 1), as the tool does.
void BM_TextBlockLargestSizeOnAFrame(benchmark::State& state) {
  Font font;
  font.size = kMaxFontPoints;
  std::string text;
  for (int k = 0; k < 10; ++k) text += "Celwright\n";
  const int end_row = state.range(0) != 0 ? 512 : std::numeric_limits<int>::max();
  for (auto _ : state) {
    const Bitmap block = RenderTextBlock(font, text, 0, end_row);
    benchmark::DoNotOptimize(block.Pixels().data());
  }
}
BENCHMARK(BM_TextBlockLargestSizeOnAFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace celwright
