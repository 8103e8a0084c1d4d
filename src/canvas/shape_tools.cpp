#include "canvas/paint_tools.h"
#include "canvas/shape_figure.h"

namespace celwright {

namespace {

constexpr const char* kShapeNames[] = {" Line...",    " Bezier Curve...", " Rectangle...",
                                       " Rounded Rectangle...", " Ellipse...", " Polygon..."};

}  // namespace

bool FinishShape(PaintCall& call) {
  TBAMForm& form = call.Form;
  ToolState& tool = form.Tool;
  form.Log().Line("MDFY: Shape:");
  if (tool.ShapeKind < std::size(kShapeNames)) form.Log().Append(kShapeNames[tool.ShapeKind]);
  const ShapeFigure figure = FigureOfShape(tool, call.Here(), true);
  const std::array<ShapeInk, 2> inks = ShapeInks(tool);
  const DocumentOptions& options = form.Options();
  for (std::size_t k = 0; k < 2; ++k)
    DrawShapeFigure(form.SelImage[k], figure, options.PenWidth, options.FillStyle, inks[k]);
  if (tool.ShapeKind == kShapePolygon) {
    tool.PolygonClosing = false;
    tool.PointCount = 0;
  } else {
    tool.PointCount = 1;
  }
  form.Log().Append(" [OK]");
  return true;
}

void DrawShapePreview(TBAMForm& form, std::array<Bitmap, 2>& overlay) {
  const ToolState& tool = form.Tool;
  form.Log().Line("DRAW: Cursor");
  const ShapeFigure figure = FigureOfShape(tool, tool.PointerPos, false);
  const std::array<ShapeInk, 2> inks = ShapeInks(tool);
  const DocumentOptions& options = form.Options();
  for (std::size_t k = 0; k < 2; ++k)
    DrawShapeFigure(overlay[k], figure, options.PenWidth, options.FillStyle, inks[k]);
  form.Log().Append(" [OK]");
}

}  // namespace celwright
