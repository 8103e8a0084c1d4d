#include <algorithm>
#include <cstring>

#include "canvas/paint_tools.h"
#include "canvas/tool_controller.h"

namespace celwright {

namespace {

// The smallest rectangle holding both; an empty one adds nothing.
Rect Cover(const Rect& a, const Rect& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

}  // namespace

std::optional<Rect> ToolController::StrokeBox(const PaintCall& call) const {
  const DocumentOptions& options = form_.Options();
  int reach = 0;  // how far a dab reaches from its point, in any direction
  switch (options.Tool) {
    case ToolKind::Pencil:
      break;
    case ToolKind::Brush:
    case ToolKind::Erase:
      reach = std::max(options.BrushWidth, options.BrushHeight);
      break;
    case ToolKind::CloneBrush:
      // Setting the source keeps the whole scratch pair as the source picture.
      if (call.Button == kRightButton) return std::nullopt;
      reach = std::max(options.BrushWidth, options.BrushHeight);
      break;
    case ToolKind::Stamp:
      if (call.Stamp) reach = std::max((*call.Stamp)[0].Width(), (*call.Stamp)[0].Height());
      break;
    default:
      return std::nullopt;
  }
  // The dab shapes end on their rectangle's far edge, one beyond it: one more pixel of margin.
  ++reach;
  const Point from = form_.Tool.LastPoint, to = call.Here();
  const Rect box{std::min(from.x, to.x) - reach, std::min(from.y, to.y) - reach,
                 std::max(from.x, to.x) + 1 + reach, std::max(from.y, to.y) + 1 + reach};
  return box.Intersect({0, 0, form_.FrameRec.Width, form_.FrameRec.Height});
}

void ToolController::SyncScratch(const Rect& box) {
  for (std::size_t k = 0; k < 2; ++k) {
    const Bitmap& work = form_.WorkImage[k];
    Bitmap& scratch = form_.SelImage[k];
    const Rect inside = box.Intersect(BoundsOf(work));
    if (scratch.Width() != work.Width() || scratch.Height() != work.Height() ||
        scratch.Format() != work.Format()) {
      scratch = work;
      continue;
    }
    if (inside.Empty()) continue;
    const std::size_t bytes = static_cast<std::size_t>(work.BytesPerPixel());
    const std::size_t offset = bytes * static_cast<std::size_t>(inside.left);
    for (int y = inside.top; y < inside.bottom; ++y) {
      std::memcpy(scratch.Row(y) + offset, work.Row(y) + offset,
                  bytes * static_cast<std::size_t>(inside.Width()));
    }
  }
}

bool ToolController::PaintsDirectly() const {
  return !form_.HasSelection && !form_.Selecting && !form_.MovingSelection;
}

void ToolController::SetAside(const Rect& box) {
  for (std::size_t k = 0; k < 2; ++k) CopyBoxOut(form_.WorkImage[k], box, aside_[k]);
}

bool ToolController::ChangedSinceAside(const Rect& box) const {
  // A frame whose size changed under the step reads as changed too.
  for (std::size_t k = 0; k < 2; ++k)
    if (!SameAsBox(form_.WorkImage[k], box, aside_[k])) return true;
  return false;
}

bool ToolController::FillChanges(const PaintCall& call) const {
  // Every pixel of the region holds the seed's values: the index decides the colour in a
  // paletted frame, and the index image of an unpaletted one is blank. The fill changes
  // something exactly when it writes other values at the seed.
  const Point p = call.Here();
  for (std::size_t k = 0; k < 2; ++k) {
    const Bitmap& plane = form_.WorkImage[k];
    if (!plane.Contains(p.x, p.y)) continue;
    const PixelValue value = k == 0 ? DrawColourValue(plane, call)
                                    : EncodeColor(plane, MakeColor(call.DrawIndex, 0, 0));
    const std::size_t bytes = static_cast<std::size_t>(plane.BytesPerPixel());
    if (value.size != plane.BytesPerPixel() ||
        std::memcmp(plane.Row(p.y) + bytes * static_cast<std::size_t>(p.x), value.bytes, bytes) != 0)
      return true;
  }
  return false;
}

Rect ToolController::OverlayBoxAt(Point p) const {
  const TBAMFrame& frame = form_.FrameRec;
  const Rect whole{0, 0, frame.Width, frame.Height};
  if (form_.Tool.TextPending) return whole;
  if (p.x < 0 || p.y < 0 || p.x >= frame.Width || p.y >= frame.Height) return {};
  if (form_.Tool.ShapeActive) return whole;
  const ToolKind tool = form_.Options().Tool;
  if (tool != ToolKind::Brush && tool != ToolKind::Erase) return {};
  const DocumentOptions& options = form_.Options();
  return BrushDrawRect(p.x, p.y, options.BrushWidth, options.BrushHeight).Intersect(whole);
}

std::optional<Rect> ToolController::ToolOverlayBox() const {
  // Placed text and shapes in progress may reach anywhere in the frame.
  if (form_.Tool.TextPending || form_.Tool.ShapeActive) return std::nullopt;
  return OverlayBoxAt(form_.Tool.PointerPos);
}

void ToolController::RedrawStep(const Rect& changed) {
  // The brush preview leaves where it was drawn and shows where the pointer is now.
  form_.RedrawArea(Cover(Cover(changed, overlay_drawn_), OverlayBoxAt(form_.Tool.PointerPos)));
}

}  // namespace celwright
