#include "canvas/select_tools.h"

#include <algorithm>

#include "document/buffer_ops.h"
#include "support/blit.h"
#include "support/flood_fill.h"
#include "support/raster_shapes.h"

namespace celwright {

namespace {

// A fresh mask of the frame's size: white (nothing selected), or the selection before this
// drag when adding to or subtracting from it.
void StartMask(TBAMForm& form) {
  const int width = form.FrameRec.Width, height = form.FrameRec.Height;
  form.SelMask.Reset(width, height, PixelFormat::Bits1);
  FillBitmap(form.SelMask, kWhite);
  if (form.SelectionMode != 0) {
    BitBlt(form.SelMask, 0, 0, width, height, form.SelMaskCopy, 0, 0, RasterOp::SrcCopy);
  }
}

// Mask value a selection tool draws: black selects, white (subtract mode) deselects.
PixelValue DrawnValue(const TBAMForm& form) {
  PixelValue value;
  value.size = 1;
  value.bytes[0] = form.SelectionMode == 2 ? 1 : 0;
  return value;
}

// The selection is complete: it becomes the base of the next added or subtracted one.
void CompleteSelection(TBAMForm& form) {
  form.SelChanged = true;
  form.HasSelection = true;
  form.Selecting = false;
  form.SelMaskCopy = form.SelMask;
  form.NotifyCommandsChanged();
}

}  // namespace

bool IsSelectionTool(ToolKind tool) {
  return tool == ToolKind::SelRect || tool == ToolKind::SelPoly || tool == ToolKind::SelWand;
}

bool InsideSelection(const TBAMForm& form, Point p) {
  if (!form.HasSelection) return false;
  const int x = p.x - form.SelOffset.x, y = p.y - form.SelOffset.y;
  return form.SelMask.Contains(x, y) && form.SelMask.Row(y)[x] == 0;
}

SelectionPressAction SelectionPress(TBAMForm& form, Point p, ShiftKeys shift) {
  ToolState& tool = form.Tool;
  const ToolKind kind = form.Options().Tool;
  // The grabbed pixel stays under the pointer: the move adds the pointer's travel to this.
  tool.LastPoint = {p.x - form.SelOffset.x, p.y - form.SelOffset.y};
  if (!form.Selecting) {
    if (InsideSelection(form, p) && !shift.Shift && !shift.Ctrl) {
      form.FloatSelection();
      form.MovingSelection = true;
      return SelectionPressAction::None;
    }
    form.FixSelectionPosition();
    form.HasSelection = false;
    if (shift.Shift) {
      form.SelectionMode = 1;
    } else if (shift.Ctrl) {
      form.SelectionMode = 2;
    } else {
      form.SelectionClear();
    }
    form.MovingSelection = false;
    tool.LastPoint = p;
    if (kind == ToolKind::SelPoly) {
      StartMask(form);
      tool.ShapeKind = 5;
      tool.PointCount = 2;
      tool.PolyPoints.assign(2, p);
    }
    form.Selecting = true;
    form.NotifyCommandsChanged();
    return kind == ToolKind::SelWand ? SelectionPressAction::WandOnce
                                     : SelectionPressAction::EditCycle;
  }
  if (form.HasSelection) {
    form.FloatSelection();
    form.MovingSelection = true;
    return SelectionPressAction::None;
  }
  if (kind == ToolKind::SelPoly && tool.PointCount >= 2 &&
      tool.PolyPoints.size() >= static_cast<std::size_t>(tool.PointCount)) {
    tool.LastPoint = p;
    // A press on the last fixed vertex (the second click of a double click) closes the polygon;
    // any other press fixes a vertex where it is, whether or not a move got there first.
    const auto last = static_cast<std::size_t>(tool.PointCount - 1);
    if (p == tool.PolyPoints[last - 1]) return SelectionPressAction::ClosePolygon;
    tool.PolyPoints[last] = p;
    ++tool.PointCount;
    return SelectionPressAction::EditCycle;
  }
  tool.LastPoint = p;
  return SelectionPressAction::EditCycle;
}

void MoveSelection(TBAMForm& form, Point p) {
  const Point offset{p.x - form.Tool.LastPoint.x, p.y - form.Tool.LastPoint.y};
  if (form.SelMoved && offset == form.SelOffset) return;
  form.SelMoved = true;
  form.SelOffset = offset;
  // The frame on screen differs from the stored one from the first pixel moved on.
  if (offset != Point{}) form.ImageChanged = true;
  form.ComposeSelection();
  form.MakeSelMarkerMask();
}

void SelectionRelease(TBAMForm& form) {
  // A finished move is an edit: undo and the unsaved marker follow it.
  if (form.MovingSelection && form.SelMoved) form.NotifyCommandsChanged();
  form.MovingSelection = false;
  if (form.Selecting) {
    const bool polygon_open = form.Options().Tool == ToolKind::SelPoly && form.Tool.PointCount > 0;
    if (!polygon_open) {
      if (!form.HasSelection) {
        CompleteSelection(form);
      } else {
        form.Selecting = false;
      }
    }
  }
  if (form.SelChanged) {
    form.MakeSelectionBG();
    form.MakeSelMarkerMask();
  }
}

void AbandonSelection(TBAMForm& form) {
  if (!form.Selecting) return;
  form.Selecting = false;
  const bool had_selection = form.SelectionMode != 0 && form.GetSelSize().Width() > 0 &&
                             form.SelMaskCopy.Width() == form.FrameRec.Width &&
                             form.SelMaskCopy.Height() == form.FrameRec.Height;
  if (had_selection) {
    // The selection this one was to be added to or taken from comes back unchanged.
    form.SelMask = form.SelMaskCopy;
    form.HasSelection = true;
    form.MakeSelectionBG();
    form.MakeSelMarkerMask();
  } else {
    form.SelMask.Reset(0, 0, PixelFormat::Bits1);  // nothing selected: everything editable
    form.MarkerMask.Reset(0, 0, PixelFormat::Bits1);
    form.HasSelection = false;
  }
  form.NotifyCommandsChanged();
}

void SelectRectangle(PaintCall& call) {
  TBAMForm& form = call.Form;
  form.Log().Line("MDFY: Select: Rectangle...");
  form.SelOffset = {};
  const Point start = form.Tool.LastPoint;
  const Rect r{std::min(start.x, call.X), std::min(start.y, call.Y),
               std::max(start.x, call.X) + 1, std::max(start.y, call.Y) + 1};
  StartMask(form);
  const PixelValue value = DrawnValue(form);
  for (int y = std::max(r.top, 0); y < std::min(r.bottom, form.SelMask.Height()); ++y)
    FillSpan(form.SelMask, BoundsOf(form.SelMask), y, r.left, r.right, value);
  form.Log().Append(" [OK]");
  form.MakeSelMarkerMask();
}

void SelectWand(PaintCall& call) {
  TBAMForm& form = call.Form;
  form.Log().Line("MDFY: Select: Wand...");
  form.SelOffset = {};
  StartMask(form);
  // Connected pixels of exactly the colour under the pointer: in a paletted frame entries of
  // equal colour join one region, as the user sees them.
  const PixelValue value = DrawnValue(form);
  const Rect bounds = BoundsOf(form.SelMask);
  FloodFillSpans(form.WorkImage[0], call.Here(), BoundsOf(form.WorkImage[0]),
                 SpanWriter(form.SelMask, bounds, value));
  form.Log().Append(" [OK]");
  CompleteSelection(form);
  form.MakeSelMarkerMask();
}

void SelectPolygon(PaintCall& call, bool closing) {
  TBAMForm& form = call.Form;
  ToolState& tool = form.Tool;
  form.Log().Line("MDFY: Select: Poly...");
  form.SelOffset = {};
  tool.PolyPoints.resize(static_cast<std::size_t>(std::max(tool.PointCount, 1)));
  tool.PolyPoints.back() = call.Here();
  StartMask(form);
  const PixelValue value = DrawnValue(form);
  const Rect bounds = BoundsOf(form.SelMask);
  const SpanSink sink = SpanWriter(form.SelMask, bounds, value);
  EmitPolygonFill(tool.PolyPoints, sink, bounds);
  // The outline belongs to the polygon too, so a thin or degenerate one still selects its edge.
  const std::size_t count = tool.PolyPoints.size();
  for (std::size_t i = 0; i < count; ++i) {
    const Point from = tool.PolyPoints[i], to = tool.PolyPoints[(i + 1) % count];
    for (const Point& q : LinePixels(from, to, true, bounds)) sink(q.y, q.x, q.x + 1);
  }
  form.Log().Append(" [OK]");
  if (closing) {
    CompleteSelection(form);
    tool.PointCount = 0;
  }
  form.MakeSelMarkerMask();
}

void SetCentre(PaintCall& call) {
  TBAMForm& form = call.Form;
  form.Log().Line("MDFY: Set Center...");
  form.DrawSizerBlocks(false);
  const TBAMFrame old = form.FrameRec;
  form.FrameRec.CentreX = call.X;
  form.FrameRec.CentreY = call.Y;
  form.Log().Append(" [OK]");
  form.ClearOuter(old, form.FrameRec);
  // A new centre is an edit of its own: undoable, and the document has changed.
  if (old.CentreX != call.X || old.CentreY != call.Y) {
    form.ImageChanged = true;
    form.HistoryPending = true;
  }
}

}  // namespace celwright
