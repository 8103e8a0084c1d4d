#include <limits>
#include <new>

#include "canvas/paint_tools.h"
#include "canvas/tool_controller.h"

namespace celwright {

namespace {

// Frames are stored with 16-bit sizes and centres; beyond this many pixels the buffers and the
// eleven history snapshots of one frame would not fit in memory.
constexpr long long kMaxFramePixels = 16LL * 1024 * 1024;
constexpr int kMaxFrameSide = 65535;

struct SizerHandle {
  int left, top, right, bottom;  // inclusive client rectangle
  std::uint8_t zone;
  PointerShape pointer;
};

int FloorDiv(int value, int divisor) {
  return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

bool SameGeometry(const TBAMFrame& a, const TBAMFrame& b) {
  return a.Width == b.Width && a.Height == b.Height && a.CentreX == b.CentreX &&
         a.CentreY == b.CentreY;
}

bool FitsCentre(int value) {
  return value >= std::numeric_limits<std::int16_t>::min() &&
         value <= std::numeric_limits<std::int16_t>::max();
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
  sizing_.Frame = form_.FrameRec;
  sizing_.Applied = form_.FrameRec;
  sizing_.Images = form_.WorkImage;
  sizing_.Origin = form_.ImageOrigin;
  sizing_refusal_.clear();
  changed_before_stroke_ = form_.ImageChanged;
  // New area shows the background the palette panel shows.
  DocumentOptions& options = form_.Options();
  if (form_.Paletted()) options.BackgroundColour = IndexColour(form_.BAM, options.BackgroundIndex);
}

void ToolController::ApplySizing(int x, int y) {
  const int zoom = std::max(form_.Zoom, 1);
  const int fx = FloorDiv(x - sizing_.Origin.X, zoom), fy = FloorDiv(y - sizing_.Origin.Y, zoom);
  const std::uint8_t zone = form_.Tool.SizerZone;
  TBAMFrame next = sizing_.Frame;
  if ((zone & kSizerTop) && next.Height - fy >= 0 && fy != 0) {
    next.CentreY -= fy;
    next.Height -= fy;
  }
  if ((zone & kSizerBottom) && fy >= 0 && fy != next.Height) next.Height = fy;
  if ((zone & kSizerLeft) && next.Width - fx >= 0 && fx != 0) {
    next.CentreX -= fx;
    next.Width -= fx;
  }
  if ((zone & kSizerRight) && fx >= 0 && fx != next.Width) next.Width = fx;
  if (SameGeometry(next, sizing_.Applied)) return;
  if (next.Width > kMaxFrameSide || next.Height > kMaxFrameSide || !FitsCentre(next.CentreX) ||
      !FitsCentre(next.CentreY) ||
      static_cast<long long>(next.Width) * next.Height > kMaxFramePixels) {
    sizing_refusal_ = "A frame of " + std::to_string(next.Width) + " x " +
                      std::to_string(next.Height) + " pixels with its centre at " +
                      std::to_string(next.CentreX) + "," + std::to_string(next.CentreY) +
                      " cannot be made; the frame keeps the last size that could.";
    return;
  }
  try {
    form_.WorkImage = sizing_.Images;
    form_.FrameRec = sizing_.Frame;
    // The picture stays on its centre: content moves by the change of the centre point.
    form_.FixFrameSize(sizing_.Frame.CentreX - next.CentreX, sizing_.Frame.CentreY - next.CentreY,
                       next.CentreX, next.CentreY, next.Width, next.Height, true, false);
    sizing_.Applied = next;
  } catch (const std::bad_alloc&) {
    sizing_refusal_ = "There is not enough memory for a frame of " + std::to_string(next.Width) +
                      " x " + std::to_string(next.Height) + " pixels.";
    RestoreSizingStart();
    sizing_.Applied = sizing_.Frame;
  }
}

void ToolController::RestoreSizingStart() {
  form_.FrameRec = sizing_.Frame;
  form_.FixFrameSize(0, 0, sizing_.Frame.CentreX, sizing_.Frame.CentreY, sizing_.Frame.Width,
                     sizing_.Frame.Height, true, false);
  form_.WorkImage = sizing_.Images;
  form_.ImageChanged = changed_before_stroke_;
  if (!form_.HasSelection) form_.SelectionClear();
  form_.RedrawImage(false);
}

void ToolController::FinishSizing() {
  form_.Tool.SizingFrame = false;
  const bool resized = !SameGeometry(sizing_.Applied, sizing_.Frame);
  if (resized) {
    form_.ImageChanged = true;
    form_.HistoryPending = true;
    // The area the frame gained is editable like the rest.
    if (!form_.HasSelection) form_.SelectionClear();
  } else {
    form_.ImageChanged = changed_before_stroke_;
  }
  sizing_.Images = {};
  if (!sizing_refusal_.empty()) Inform(sizing_refusal_);
  sizing_refusal_.clear();
}

}  // namespace celwright
