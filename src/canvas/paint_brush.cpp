#include <cmath>

#include "canvas/brush_options.h"
#include "canvas/paint_tools.h"
#include "support/blit.h"
#include "support/raster_shapes.h"

namespace celwright {

namespace {

constexpr const char* kNoStampArea = "You must copy an area before painting with the stamp brush.";
constexpr const char* kNoCloneSource =
    "You must specify the source for the clone brush by right clicking on the image first.";

int Round(double value) { return static_cast<int>(std::nearbyint(value)); }

void Inform(TBAMForm& form, const char* text) {
  if (DocumentPrompts* prompts = form.Prompts())
    prompts->ShowInformation(form.Options().ApplicationTitle, text);
}

// Both scratch images with the same figure, the colour image in the draw colour and the index
// image in the draw index.
void FillRows(PaintCall& call, const FigureRows& rows) {
  for (int k = 0; k < 2; ++k) {
    Bitmap& image = call.Target()[static_cast<std::size_t>(k)];
    const PixelValue value = k == 0 ? DrawColourValue(image, call)
                                    : EncodeColor(image, MakeColor(call.DrawIndex, 0, 0));
    EmitFill(rows, SpanWriter(image, BoundsOf(image), value));
  }
}

void SetBoth(PaintCall& call, Point p) {
  call.Target()[0].SetPixelAlpha(p.x, p.y, call.DrawColour, call.DrawAlpha);
  call.Target()[1].SetPixel(p.x, p.y, MakeColor(call.DrawIndex, 0, 0));
}

void BrushDab(PaintCall& call, const Rect& r, int shape) {
  const Rect bounds = BoundsOf(call.Target()[0]);
  switch (shape) {
    case 0:
      FillRows(call, EllipseRows(r, bounds));
      break;
    case 1:
      FillRows(call, RectangleRows(r, bounds));
      break;
    case 2:
      for (const Point& p : LinePixels({r.left, r.top}, {r.right, r.bottom}, false, bounds))
        SetBoth(call, p);
      break;
    default:
      for (const Point& p : LinePixels({r.left, r.bottom - 1}, {r.right, r.top - 1}, false, bounds))
        SetBoth(call, p);
      break;
  }
}

// The pixels the right-button eraser tests around (x, y): the dab's own rectangle, so it
// erases no wider than the brush paints.
std::vector<Point> EraseFootprint(int x, int y, const Rect& r, int shape, int w, int h) {
  std::vector<Point> points;
  if (shape <= 1) {
    for (int b = r.top - y; b < r.bottom - y; ++b) {
      for (int a = r.left - x; a < r.right - x; ++a) {
        const double u = a / (w / 2.0), v = b / (h / 2.0);
        if (shape == 1 || u * u + v * v <= 1.0) points.push_back({x + a, y + b});
      }
    }
    return points;
  }
  const int n = std::max(w, h);
  for (int k = 0; k <= n; ++k) {
    const int px = r.left + Round(static_cast<double>(w) / n * k);
    const int dy = Round(static_cast<double>(h) / n * k);
    points.push_back({px, shape == 2 ? r.top + dy : r.top + h - dy});
  }
  return points;
}

void EraseForegroundDab(PaintCall& call, Point at, const Rect& r, int shape, int w, int h) {
  TBAMForm& form = call.Form;
  const bool paletted = form.Paletted();
  for (const Point& p : EraseFootprint(at.x, at.y, r, shape, w, h)) {
    if (!call.Target()[0].Contains(p.x, p.y)) continue;
    const bool hit = paletted ? RedOf(call.Target()[1].GetPixel(p.x, p.y)) == call.OtherIndex
                              : call.Target()[0].GetPixel(p.x, p.y) == call.OtherColour;
    if (hit) SetBoth(call, p);
  }
}

void StampDab(const PaintCall& call, const std::array<Bitmap, 3>& copied, Point at) {
  const int left = at.x - copied[0].Width() / 2, top = at.y - copied[0].Height() / 2;
  for (std::size_t k = 0; k < 2; ++k) MaskBlt(call.Target()[k], left, top, copied[k], copied[2]);
}

void CloneDab(const PaintCall& call, Point at, const Rect& r, const Bitmap& mask, int w, int h) {
  const TBAMForm& form = call.Form;
  const ToolState& tool = form.Tool;
  const int source_x = tool.CloneOrigin.x + at.x - tool.PolyPoints[0].x;
  const int source_y = tool.CloneOrigin.y + at.y - tool.PolyPoints[0].y;
  // The brush picture's column 0 is blank: the shape's W columns start at column 1.
  for (std::size_t k = 0; k < 2; ++k) {
    MaskBlt(call.Target()[k], r.left, r.top, w, h, form.CloneSource[k], source_x, source_y, mask, 1,
            0);
  }
}

}  // namespace

bool PaintBrushFamily(PaintCall& call) {
  TBAMForm& form = call.Form;
  ToolState& tool = form.Tool;
  const DocumentOptions& options = form.Options();
  const ToolKind kind = options.Tool;
  const int w = options.BrushWidth, h = options.BrushHeight, shape = options.BrushShape;
  const char* suffix = kind == ToolKind::Brush        ? " (Basic)"
                       : kind == ToolKind::CloneBrush ? " (Clone)"
                       : kind == ToolKind::Erase      ? " (Erase)"
                                                      : " (Stamp)";
  form.Log().Line(std::string("MDFY: Draw: Brush") + suffix + "...");

  if (kind == ToolKind::Stamp && (!call.Stamp || (*call.Stamp)[2].Width() == 0)) {
    Inform(form, kNoStampArea);
    tool.DrawButton = kNoButton;
    form.Log().Append(" [ABORTED] (No area selected)");
    return false;
  }
  if (kind == ToolKind::CloneBrush && call.Button == kRightButton) {
    form.Log().Append(" Define Source...");
    tool.PointCount = 2;
    tool.PolyPoints.resize(2);
    tool.PolyPoints[1] = call.Here();
    form.CloneSource = call.Target();
    const Rect source = BrushDrawRect(call.X, call.Y, w, h);
    tool.CloneOrigin = {source.left, source.top};
    form.Log().Append(" [OK]");
    return false;
  }
  if (kind == ToolKind::CloneBrush && tool.PointCount != 2) {
    tool.DrawButton = kNoButton;
    Inform(form, kNoCloneSource);
    form.Log().Append(" [ABORTED] (No source selected)");
    return false;
  }
  if (kind == ToolKind::Erase) {
    if (form.Paletted()) {
      call.DrawIndex = options.BackgroundIndex;
      call.DrawColour = IndexColour(form.BAM, call.DrawIndex);
      call.OtherIndex = options.ForegroundIndex;
    } else if (form.TrueColour()) {
      // Erasing a true-colour frame makes it see-through, whatever colours are chosen.
      call.DrawColour = 0;
      call.DrawAlpha = 0;
      call.OtherColour = options.ForegroundColour;
    } else {
      call.DrawColour = options.BackgroundColour;
      call.OtherColour = options.ForegroundColour;
    }
  }

  form.Log().Append(" Degapping...");
  Bitmap clone_mask;
  if (kind == ToolKind::CloneBrush) {
    // The copy is masked where the brush shape is, so the picture is turned black-on-white.
    clone_mask = MakeBrushPicture(shape, w, h);
    for (auto& bit : clone_mask.Pixels()) bit ^= 1;
  }
  for (const Point& p : StrokePoints(tool.LastPoint, call.Here(), call.IncludeEnd)) {
    tool.DrawRect = BrushDrawRect(p.x, p.y, w, h);
    if (kind == ToolKind::Stamp) {
      StampDab(call, *call.Stamp, p);
    } else if (kind == ToolKind::CloneBrush) {
      CloneDab(call, p, tool.DrawRect, clone_mask, w, h);
    } else if (kind == ToolKind::Erase && call.Button == kRightButton) {
      EraseForegroundDab(call, p, tool.DrawRect, shape, w, h);
    } else {
      BrushDab(call, tool.DrawRect, shape);
    }
  }
  form.Log().Append(" [OK]");
  tool.LastPoint = call.Here();
  return true;
}

}  // namespace celwright
