#include "canvas/tool_controller.h"

#include <algorithm>

#include "canvas/select_tools.h"
#include "canvas/shape_figure.h"
#include "document/selection_transfer.h"

namespace celwright {

namespace {

bool Inside(const TBAMFrame& frame, Point p) {
  return p.x >= 0 && p.y >= 0 && p.x < frame.Width && p.y < frame.Height;
}

}  // namespace

void ToolController::FormMouseDown(std::uint8_t button, ShiftKeys shift, int x, int y) {
  ToolState& tool = form_.Tool;
  if (form_.CurrentFrame == -1 || button == kNoButton) return;
  // Every playback tick writes the window back into the frame it shows and moves on: a handle
  // drag or a stroke that spanned ticks would carry this frame's picture, size and centre into
  // the others, beyond the reach of undo. Only the tools that merely look may go on playing.
  const ToolKind kind = form_.Options().Tool;
  const bool only_looks =
      kind == ToolKind::Pan || kind == ToolKind::Mag || kind == ToolKind::ColPick;
  if (form_.Playing() && (tool.SizerZone != 0 || !only_looks)) form_.StopSequence();
  // A curve or polygon under construction takes each press on the frame as its next point,
  // though the polygon's button still counts as held between its presses.
  if (ShapeWaitsForPoint() && !tool.SizingFrame && !tool.Panning) {
    tool.ShiftState = shift;
    const Point p = FramePixel(x, y);
    if (Inside(form_.FrameRec, p)) AddShapePoint(p);
    return;
  }
  // A second button during a stroke does not start another one.
  if (tool.DrawButton != kNoButton || tool.SizingFrame || tool.Panning) return;
  tool.ShiftState = shift;
  const Point p = FramePixel(x, y);
  if (!Inside(form_.FrameRec, p)) {
    if (tool.SizerZone != 0) {
      // The drag restarts from the pictures at its start, which must hold the text and the
      // floating selection already.
      form_.FixSelectionPosition();
      StartSizing();
    }
    return;
  }
  tool.LastPoint = p;
  tool.StrokeMoved = false;
  const DocumentOptions& options = form_.Options();
  if (IsSelectionTool(options.Tool)) {
    SelectionPress(p, button, shift);
    return;
  }
  // Painting goes through the mask at its baked place: a floating selection lands first.
  if (form_.SelMoved && options.Tool != ToolKind::Pan && options.Tool != ToolKind::Mag &&
      options.Tool != ToolKind::ColPick && options.Tool != ToolKind::SetCent &&
      options.Tool != ToolKind::FreeRotate) {
    form_.FixSelectionPosition();
  }
  if (options.Tool == ToolKind::Text) {
    PlaceText(p);
    return;
  }
  if (options.Tool == ToolKind::FreeRotate) {
    // The free rotation tool turns through its panel; on the frame it only drags the selection.
    if (InsideSelection(form_, p)) {
      tool.LastPoint = {p.x - form_.SelOffset.x, p.y - form_.SelOffset.y};
      form_.FloatSelection();
      form_.MovingSelection = true;
    }
    ChoosePointer(p);
    return;
  }
  if (options.Tool == ToolKind::Pan) {
    if (form_.HorizontalScroll().Visible || form_.VerticalScroll().Visible) {
      tool.Panning = true;
      tool.PolyPoints.assign(1, p);
      tool.PointCount = 1;
    }
    return;
  }
  if (const auto shape = ShapeKindOf(options.Tool)) {
    StartShape(p, button, *shape);
    return;
  }
  // The frame stays put under the pointer while its centre is dragged.
  if (options.Tool == ToolKind::SetCent) form_.HoldImageOrigin = true;
  if (options.Tool == ToolKind::CloneBrush) {
    if (tool.PointCount == 0) {
      tool.PointCount = 1;
      tool.PolyPoints.resize(1);
    }
    tool.PolyPoints[0] = p;
  }
  if (options.Tool == ToolKind::Stamp) {
    // The copy may come from another palette, or this one may have changed since: the stamp
    // paints what was copied as this palette can show it, indices and colours agreeing.
    stamp_ = {};
    if (!options.CopiedImage[2].Empty()) {
      ClipboardContent copy;
      copy.Own = true;
      copy.Copied = options.CopiedImage;
      copy.Paletted = options.CopiedPaletted;
      stamp_ = PasteImagesFor(copy, form_.BAM);
    }
  }
  ModifyBAM(p.x, p.y, button);
}

void ToolController::FormMouseMove(ShiftKeys shift, int x, int y) {
  ToolState& tool = form_.Tool;
  if (form_.CurrentFrame == -1) return;
  tool.ShiftState = shift;
  if (tool.SizingFrame) {
    ApplySizing(x, y);
    return;
  }
  UpdateSizerHover(x, y);
  const Point p = FramePixel(x, y);
  tool.PointerPos = p;
  if (form_.MovingSelection) {
    // The dragged pixels follow the pointer even beyond the frame's edge.
    MoveSelection(form_, p);
    status_ = Inside(form_.FrameRec, p) ? std::to_string(p.x) + "," + std::to_string(p.y) : "";
    form_.RedrawImage(false);
    return;
  }
  const bool drawing = tool.DrawButton != kNoButton;
  if (drawing && StrokeTool() && (p.x != tool.LastPoint.x || p.y != tool.LastPoint.y))
    tool.StrokeMoved = true;
  if (!Inside(form_.FrameRec, p)) {
    status_.clear();
    // The stroke goes on along the clamped border; a shape's points stay where they were.
    if (drawing && !tool.ShapeActive) {
      ModifyBAM(p.x, p.y, tool.DrawButton);
    } else {
      form_.RedrawImage(false);
    }
    return;
  }
  status_ = std::to_string(p.x) + "," + std::to_string(p.y);
  if (tool.SizerZone == 0) ChoosePointer(p);
  if (form_.Options().Tool == ToolKind::ColPick) ReportHover(p);
  if (tool.Panning) {
    Pan(p);
    return;
  }
  if (tool.ShapeActive) {
    FollowShapePoint(p);
    form_.RedrawImage(false);
    return;
  }
  if (drawing || (form_.Options().Tool == ToolKind::SelPoly && form_.Selecting)) {
    ModifyBAM(p.x, p.y, tool.DrawButton);
  } else if (const ToolKind kind = form_.Options().Tool;
             kind == ToolKind::Brush || kind == ToolKind::Erase) {
    // A hover moves the brush preview only.
    RedrawStep({});
  } else {
    form_.RedrawImage(false);
  }
}

void ToolController::SelectionPress(Point p, std::uint8_t button, ShiftKeys shift) {
  switch (celwright::SelectionPress(form_, p, shift)) {
    case SelectionPressAction::None:
      form_.RedrawImage(false);
      break;
    case SelectionPressAction::WandOnce:
      ModifyBAM(p.x, p.y, kLeftButton);
      break;
    case SelectionPressAction::ClosePolygon:
      closing_polygon_ = true;
      ModifyBAM(p.x, p.y, button);
      closing_polygon_ = false;
      break;
    case SelectionPressAction::EditCycle:
      ModifyBAM(p.x, p.y, button);
      break;
  }
  ChoosePointer(p);
}

void ToolController::FormMouseUp(std::uint8_t, ShiftKeys shift, int x, int y) {
  ToolState& tool = form_.Tool;
  tool.ShiftState = shift;
  tool.Panning = false;
  if (IsSelectionTool(form_.Options().Tool)) SelectionRelease(form_);
  form_.MovingSelection = false;
  if (tool.SizingFrame) {
    FinishSizing();
  } else if (tool.ShapeActive) {
    if (!ReleaseShape(x, y)) return;
  } else if (tool.DrawButton != kNoButton && StrokeTool() && tool.StrokeMoved) {
    // The moves stop short of the pointer; the release paints where the stroke ends.
    const Point p = FramePixel(x, y);
    include_end_ = true;
    ModifyBAM(p.x, p.y, tool.DrawButton);
    include_end_ = false;
  }
  // Without a selection the scratch pair is only the tools' working copy, two copies of the
  // frame that the next press makes again: it is let go before the step is kept.
  if (!form_.HasSelection && !form_.Selecting) form_.ReleaseScratch();
  form_.SelChanged = false;
  form_.AddHistoryItem();
  tool.DrawButton = kNoButton;
  tool.StrokeMoved = false;
  ReleaseImageOrigin();
}

// Once the centre drag ends, the view centres the frame's centre point again.
void ToolController::ReleaseImageOrigin() {
  if (!form_.HoldImageOrigin) return;
  form_.HoldImageOrigin = false;
  form_.RedrawImage(false);
}

void ToolController::WheelZoom(bool zoom_in, int x, int y) {
  if (form_.CurrentFrame == -1) return;
  const ViewPoint anchor{x, y};
  if (zoom_in) {
    form_.FormMouseWheelUp(anchor);
  } else {
    form_.FormMouseWheelDown(anchor);
  }
  // A stroke goes on from the pixel now under the pointer: joining it to the point taken at the
  // old magnification would paint a line the pointer never drew.
  ToolState& tool = form_.Tool;
  if (tool.DrawButton == kNoButton || !StrokeTool() || form_.FrameRec.Width <= 0 ||
      form_.FrameRec.Height <= 0)
    return;
  const Point p = FramePixel(x, y);
  tool.LastPoint = {std::clamp(p.x, 0, form_.FrameRec.Width - 1),
                    std::clamp(p.y, 0, form_.FrameRec.Height - 1)};
}

void ToolController::ShiftChanged(ShiftKeys shift) {
  if (form_.Tool.ShiftState == shift) return;
  form_.Tool.ShiftState = shift;
  // The selection pointers say whether a press adds or removes.
  if (form_.Tool.SizerZone == 0) ChoosePointer(form_.Tool.PointerPos);
  form_.RedrawImage(false);
}

void ToolController::CancelDrawAction() {
  if (form_.CurrentFrame == -1) return;
  ToolState& tool = form_.Tool;
  const bool shape = tool.ShapeActive;
  AbandonSelection(form_);
  tool.ShapeActive = false;
  tool.PointCount = 0;
  tool.PolygonClosing = false;
  tool.Panning = false;
  tool.TextPending = false;
  if (shape) {
    // An unfinished shape has drawn nothing: dropping it is enough.
  } else if (tool.SizingFrame) {
    RestoreSizingStart();
    tool.SizingFrame = false;
  } else if (tool.DrawButton != kNoButton && form_.HistoryPending) {
    // The stroke so far is taken back (a centre drag too): the animation still holds the frame
    // as it was before it.
    form_.RevertUnrecordedEdits();
  }
  tool.DrawButton = kNoButton;
  tool.StrokeMoved = false;
  form_.HoldImageOrigin = false;
  form_.RedrawImage(false);
}

void ToolController::Pan(Point p) {
  ToolState& tool = form_.Tool;
  const Point anchor = tool.PolyPoints[0];
  if (p == anchor) return;
  const ViewPoint before = form_.ImageOrigin;
  const ScrollBarState& h = form_.HorizontalScroll();
  const ScrollBarState& v = form_.VerticalScroll();
  const int zoom = form_.Zoom;
  const int new_h = h.Visible ? h.Position + (anchor.x - p.x) * zoom : h.Position;
  const int new_v = v.Visible ? v.Position + (anchor.y - p.y) * zoom : v.Position;
  form_.Scroll_Change(new_h, new_v);
  const ViewPoint after = form_.ImageOrigin;
  tool.PolyPoints[0] = {p.x - (after.X - before.X) / zoom, p.y - (after.Y - before.Y) / zoom};
}

}  // namespace celwright
