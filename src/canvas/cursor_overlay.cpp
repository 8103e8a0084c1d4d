#include "canvas/brush_options.h"
#include "canvas/paint_tools.h"
#include "canvas/select_tools.h"
#include "canvas/tool_controller.h"
#include "support/pixel_spans.h"

namespace celwright {

const Bitmap& ToolController::BrushPicture() {
  const DocumentOptions& options = form_.Options();
  const std::array<int, 3> key{options.BrushShape, options.BrushWidth, options.BrushHeight};
  if (key != brush_key_) {
    brush_picture_ = MakeBrushPicture(key[0], key[1], key[2]);
    brush_key_ = key;
  }
  return brush_picture_;
}

// A shape under construction is drawn as it would be finished at the pointer. The brush
// preview inverts the colour overlay under the brush shape and whitens the index overlay there.
void ToolController::DrawToolOverlay(std::array<Bitmap, 2>& overlay) {
  overlay_drawn_ = OverlayBoxAt(form_.Tool.PointerPos);
  // Placed text shows wherever the pointer is.
  if (form_.Tool.TextPending) {
    DrawTextPreview(overlay);
    return;
  }
  const Point p = form_.Tool.PointerPos;
  const TBAMFrame& frame = form_.FrameRec;
  if (p.x < 0 || p.y < 0 || p.x >= frame.Width || p.y >= frame.Height) return;
  if (form_.Tool.ShapeActive) {
    DrawShapePreview(form_, overlay);
    return;
  }
  const ToolKind tool = form_.Options().Tool;
  if (tool != ToolKind::Brush && tool != ToolKind::Erase) return;
  form_.Log().Line("DRAW: Cursor");
  const DocumentOptions& options = form_.Options();
  const Bitmap& picture = BrushPicture();
  const Rect r = BrushDrawRect(p.x, p.y, options.BrushWidth, options.BrushHeight);
  const Rect visible = r.Intersect(BoundsOf(overlay[0])).Intersect(BoundsOf(overlay[1]));
  const int bytes = overlay[0].BytesPerPixel();
  for (int y = visible.top; y < visible.bottom; ++y) {
    // Column 0 of the brush picture is never part of the shape; the dab starts at column 1.
    const std::uint8_t* shape = picture.Row(y - r.top);
    std::uint8_t* colours = overlay[0].Row(y);
    std::uint8_t* indices = overlay[1].Row(y);
    for (int x = visible.left; x < visible.right; ++x) {
      if (shape[1 + x - r.left] == 0) continue;
      for (int c = 0; c < 3; ++c) colours[bytes * x + c] ^= 0xFF;
      indices[x] = 0xFF;
      // An inverted see-through pixel would stay unseen: the cursor is opaque.
      if (bytes == 4) colours[4 * x + 3] = 255;
    }
  }
  form_.Log().Append(" [OK]");
}

void ToolController::ChoosePointer(Point p) {
  const ShiftKeys shift = form_.Tool.ShiftState;
  const bool selection = form_.HasSelection;
  auto pick_selection = [&](PointerShape add, PointerShape remove, PointerShape plain) {
    if (selection && shift.Shift) return add;
    if (selection && shift.Ctrl) return remove;
    if (form_.MovingSelection || InsideSelection(form_, p)) return PointerShape::HandPoint;
    return plain;
  };
  switch (form_.Options().Tool) {
    case ToolKind::SelRect:
      pointer_ = pick_selection(PointerShape::SelAddRect, PointerShape::SelRemRect,
                                PointerShape::SelectRect);
      break;
    case ToolKind::SelPoly:
      pointer_ = pick_selection(PointerShape::SelAddPoly, PointerShape::SelRemPoly,
                                PointerShape::SelectPoly);
      break;
    case ToolKind::SelWand:
      pointer_ = pick_selection(PointerShape::SelAddWand, PointerShape::SelRemWand,
                                PointerShape::SelectWand);
      break;
    case ToolKind::FreeRotate:
      pointer_ = form_.MovingSelection || InsideSelection(form_, p) ? PointerShape::HandPoint
                                                                     : PointerShape::Cross;
      break;
    case ToolKind::Pan:
      pointer_ = form_.HorizontalScroll().Visible || form_.VerticalScroll().Visible
                     ? PointerShape::SizeAll
                     : PointerShape::Arrow;
      break;
    case ToolKind::ColPick:
      pointer_ = PointerShape::ColPick;
      break;
    case ToolKind::Pencil:
      pointer_ = PointerShape::Pencil;
      break;
    case ToolKind::Brush:
    case ToolKind::Erase:
      pointer_ = PointerShape::None;
      break;
    case ToolKind::Stamp:
      pointer_ = PointerShape::Stamp;
      break;
    case ToolKind::CloneBrush:
      pointer_ = PointerShape::Clone;
      break;
    case ToolKind::Fill:
      pointer_ = PointerShape::FloodFill;
      break;
    case ToolKind::Text:
      pointer_ = PointerShape::IBeam;
      break;
    default:
      pointer_ = PointerShape::Cross;
      break;
  }
}

void ToolController::ReportHover(Point p) {
  if (!HoverChanged) return;
  HoverColour hover;
  if (form_.Paletted()) {
    const int index = RedOf(form_.WorkImage[1].GetPixel(p.x, p.y));
    hover.Index = std::to_string(index);
    // The read-out gives the entry's own values; only the swatch marks the reserved entries.
    hover.Colour = ToColor(form_.BAM.Palette[static_cast<std::size_t>(index)]);
    hover.Transparent = index == form_.BAM.TranspInd;
    hover.Shadow = index == form_.BAM.ShadowInd;
  } else {
    hover.Index = "N/A";
    hover.Colour = form_.WorkImage[0].GetPixel(p.x, p.y);
    if (form_.TrueColour()) hover.Alpha = form_.WorkImage[0].GetAlpha(p.x, p.y);
  }
  HoverChanged(hover);
}

}  // namespace celwright
