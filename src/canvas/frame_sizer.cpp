#include <algorithm>

#include "canvas/paint_tools.h"
#include "canvas/tool_controller.h"
#include "document/frame_sizing.h"

namespace celwright {

namespace {

struct SizerHandle {
  int left, top, right, bottom;  // inclusive client rectangle
  std::uint8_t zone;
  PointerShape pointer;
};

int FloorDiv(int value, int divisor) {
  return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

}  // namespace

void ToolController::UpdateSizerHover(int x, int y) {
  const int x0 = form_.ImageOrigin.X, y0 = form_.ImageOrigin.Y;
  const int w = form_.FrameRec.Width * form_.Zoom, h = form_.FrameRec.Height * form_.Zoom;
  const int hw = w / 2, hh = h / 2;
  const SizerHandle handles[] = {
      {x0 - 4, y0 - 4, x0, y0, 9, PointerShape::SizeNWSE},
      {x0 + w, y0 - 4, x0 + w + 4, y0, 12, PointerShape::SizeNESW},
      {x0 - 4, y0 + h, x0, y0 + h + 4, 33, PointerShape::SizeNESW},
      {x0 + w, y0 + h, x0 + w + 4, y0 + h + 4, 36, PointerShape::SizeNWSE},
      {x0 - 4, y0 + hh - 2, x0, y0 + hh + 2, 1, PointerShape::SizeWE},
      {x0 + hw - 2, y0 - 4, x0 + hw + 2, y0, 8, PointerShape::SizeNS},
      {x0 + w, y0 + hh - 2, x0 + w + 4, y0 + hh + 2, 4, PointerShape::SizeWE},
      {x0 + hw - 2, y0 + h, x0 + hw + 2, y0 + h + 4, 32, PointerShape::SizeNS},
  };
  for (const SizerHandle& handle : handles) {
    if (x >= handle.left && x <= handle.right && y >= handle.top && y <= handle.bottom) {
      form_.Tool.SizerZone = handle.zone;
      pointer_ = handle.pointer;
      return;
    }
  }
  form_.Tool.SizerZone = 0;
  if (x < x0 || y < y0 || x >= x0 + w || y >= y0 + h) pointer_ = PointerShape::Arrow;
}

void ToolController::StartSizing() {
  form_.Tool.SizingFrame = true;
  sizing_origin_ = form_.ImageOrigin;
  sizing_.Begin(form_);
}

void ToolController::ApplySizing(int x, int y) {
  const int zoom = std::max(form_.Zoom, 1);
  const int fx = FloorDiv(x - sizing_origin_.X, zoom), fy = FloorDiv(y - sizing_origin_.Y, zoom);
  const std::uint8_t zone = form_.Tool.SizerZone;
  const TBAMFrame& start = sizing_.Start();
  // The pointer gives the moving edge's position; a left or top edge cuts from the far side.
  const int width = (zone & kSizerLeft) ? start.Width - fx : fx;
  const int height = (zone & kSizerTop) ? start.Height - fy : fy;
  sizing_.Apply(SizedFrame(start, zone, width, height));
}

void ToolController::RestoreSizingStart() { sizing_.Restore(); }

void ToolController::FinishSizing() {
  form_.Tool.SizingFrame = false;
  sizing_.Finish();
  const std::string refusal = sizing_.TakeRefusal();
  if (!refusal.empty()) Inform(refusal);
}

}  // namespace celwright
