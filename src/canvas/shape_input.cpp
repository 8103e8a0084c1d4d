#include "canvas/shape_figure.h"
#include "canvas/tool_controller.h"

namespace celwright {

bool ToolController::ShapeWaitsForPoint() const {
  const ToolState& tool = form_.Tool;
  const ToolKind kind = form_.Options().Tool;
  return tool.ShapeActive && tool.PointCount >= 1 &&
         (kind == ToolKind::Curve || kind == ToolKind::Poly);
}

void ToolController::StartShape(Point p, std::uint8_t button, std::uint8_t kind) {
  ToolState& tool = form_.Tool;
  tool.ShapeActive = false;
  tool.PointCount = 0;
  // Draws nothing yet: records the button and the colours the whole shape keeps.
  ModifyBAM(p.x, p.y, button);
  tool.ShapeKind = kind;
  tool.PolygonClosing = false;
  if (kind == kShapeCurve) {
    // The end point is dragged first; both control points wait on the start.
    tool.PointCount = 3;
    tool.PolyPoints.assign(4, p);
  } else if (kind == kShapePolygon) {
    tool.PointCount = 2;
    tool.PolyPoints.assign(2, p);
  } else {
    tool.PointCount = 1;
    tool.PolyPoints.assign(1, p);
  }
  tool.ShapeActive = true;
  form_.RedrawImage(false);
}

// The curve's presses place the end point, then the first and the second control point; the
// polygon's add a vertex each, and a press on the last fixed vertex closes it on release.
void ToolController::AddShapePoint(Point p) {
  ToolState& tool = form_.Tool;
  tool.DrawButton = kLeftButton;
  if (form_.Options().Tool == ToolKind::Curve) {
    tool.PolyPoints.resize(4, tool.PolyPoints.front());
    tool.PolyPoints[tool.PointCount == 3 ? 3 : 3 - tool.PointCount] = p;
  } else {
    const auto count = static_cast<std::size_t>(tool.PointCount);
    if (count < 2 || count > tool.PolyPoints.size()) return;
    // The point that follows the pointer becomes a vertex where the press is, even when no
    // move reached it first.
    tool.PolyPoints[count - 1] = p;
    if (p == tool.PolyPoints[count - 2]) tool.PolygonClosing = true;
    ++tool.PointCount;
    tool.PolyPoints.resize(count + 1);
    tool.PolyPoints.back() = p;
  }
  form_.RedrawImage(false);
}

// The point being placed follows the pointer: while the button is held for the curve, and from
// the first press to the closing one for the polygon.
void ToolController::FollowShapePoint(Point p) {
  ToolState& tool = form_.Tool;
  if (tool.DrawButton == kNoButton) return;
  const ToolKind kind = form_.Options().Tool;
  if (kind == ToolKind::Curve && tool.PointCount >= 1 && tool.PolyPoints.size() >= 4) {
    tool.PolyPoints[tool.PointCount == 3 ? 3 : 3 - tool.PointCount] = p;
  } else if (kind == ToolKind::Poly && tool.PointCount > 1 &&
             static_cast<std::size_t>(tool.PointCount) <= tool.PolyPoints.size()) {
    tool.PolyPoints[static_cast<std::size_t>(tool.PointCount) - 1] = p;
  }
}

// False while the shape waits for more points (a curve phase ended, a polygon vertex placed):
// then the release records nothing.
bool ToolController::ReleaseShape(int x, int y) {
  ToolState& tool = form_.Tool;
  // A press off the frame placed nothing, so its release ends nothing either.
  if (tool.DrawButton == kNoButton) return false;
  const ToolKind kind = form_.Options().Tool;
  if (kind == ToolKind::Curve && tool.PointCount > 1) {
    tool.DrawButton = kNoButton;
    --tool.PointCount;
    return false;
  }
  if (kind == ToolKind::Poly && !tool.PolygonClosing) return false;
  const Point p = FramePixel(x, y);
  ModifyBAM(p.x, p.y, tool.DrawButton);
  return true;
}

}  // namespace celwright
