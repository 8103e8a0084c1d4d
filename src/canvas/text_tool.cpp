// The text tool: a click places a block of the panel's text, shown as a preview until the next
// click, a tool change or anything that writes the frame back fixes it, or Esc drops it.
#include "canvas/paint_tools.h"
#include "canvas/tool_controller.h"

namespace celwright {

void ToolController::PlaceText(Point p) {
  FixPendingText();
  ToolState& tool = form_.Tool;
  tool.TextPending = true;
  tool.TextAnchor = p;
  if (TextPlaced) TextPlaced();
  form_.RedrawImage(false);
}

void ToolController::FixPendingText() {
  ToolState& tool = form_.Tool;
  if (!tool.TextPending) return;
  tool.FixTextRequest = true;
  // The fix takes the left button's values: foreground letters on the background.
  ModifyBAM(0, 0, kLeftButton);
  // The edit cycle draws nothing without a frame; the text goes with it.
  tool.FixTextRequest = false;
  tool.TextPending = false;
  // A step of its own: otherwise the text would join whatever edit is recorded next, and one
  // undo would take both away.
  form_.AddHistoryItem();
}

void ToolController::FixText() {
  ToolState& tool = form_.Tool;
  form_.Log().Line("MDFY: Fix Text...");
  tool.FixTextRequest = false;
  tool.TextPending = false;
  form_.SelImage = form_.WorkImage;
  DrawTextBlock(form_.SelImage);
  form_.Log().Append(" [OK]");
  // Clipped to the selection like every edit; a text that changes no pixel is no edit.
  Tail();
  form_.RedrawImage(false);
}

void ToolController::DrawTextPreview(std::array<Bitmap, 2>& overlay) {
  form_.Log().Line("DRAW: Cursor");
  DrawTextBlock(overlay);
  form_.Log().Append(" [OK]");
}

void ToolController::DrawTextBlock(std::array<Bitmap, 2>& pair) {
  const DocumentOptions& options = form_.Options();
  ToolState& tool = form_.Tool;
  // Only the rows that fall on the picture are drawn.
  const int top = TextBlockRect(tool.TextAnchor, options.TextFont, {}).top;
  const Bitmap& mask =
      text_block_.Mask(options.TextFont, options.Text, -top, pair[0].Height() - top);
  tool.DrawRect = TextBlockRect(tool.TextAnchor, options.TextFont, {mask.Width(), mask.Height()});
  TColor ink = options.ForegroundColour;
  TColor paper = options.BackgroundColour;
  // An unpaletted frame keeps its index image blank.
  std::uint8_t ink_index = 0;
  std::uint8_t paper_index = 0;
  if (form_.Paletted()) {
    ink_index = options.ForegroundIndex;
    paper_index = options.BackgroundIndex;
    ink = IndexColour(form_.BAM, ink_index);
    paper = IndexColour(form_.BAM, paper_index);
  }
  const Point at{tool.DrawRect.left, tool.DrawRect.top};
  const bool highlight = options.TextHighlight;
  StampTextBlock(mask, at, highlight, ink, paper, pair[0]);
  StampTextBlock(mask, at, highlight, MakeColor(ink_index, 0, 0), MakeColor(paper_index, 0, 0),
                 pair[1]);
}

}  // namespace celwright
