#include "document/frame_sizing.h"

#include <cmath>
#include <limits>
#include <new>

#include "document/bam_form.h"

namespace celwright {

namespace {

// Frames are stored with 16-bit sizes and centres; beyond this many pixels the buffers and the
// eleven history snapshots of one frame would not fit in memory.
constexpr long long kMaxFramePixels = 16LL * 1024 * 1024;
constexpr int kMaxFrameSide = 65535;

bool SameGeometry(const TBAMFrame& a, const TBAMFrame& b) {
  return a.Width == b.Width && a.Height == b.Height && a.CentreX == b.CentreX &&
         a.CentreY == b.CentreY;
}

bool FitsCentre(long long value) {
  return value >= std::numeric_limits<std::int16_t>::min() &&
         value <= std::numeric_limits<std::int16_t>::max();
}

// One dimension of SizedFrame. `low` and `high` say whether the left (top) or right (bottom)
// edge moves; both means centred.
void SizeDimension(std::int32_t& size, std::int32_t& centre, bool low, bool high, int wanted) {
  if (wanted < 0 || wanted == size) return;
  if (low && high) {
    // A frame with no extent has no centre to scale: both edges move by half the growth.
    centre = size > 0 ? static_cast<std::int32_t>(std::nearbyint(
                            static_cast<double>(centre) / size * static_cast<double>(wanted)))
                      : centre + wanted / 2;
  } else if (low) {
    centre -= size - wanted;
  } else if (!high) {
    return;
  }
  size = wanted;
}

bool FitsSize(long long width, long long height) {
  return width >= 0 && height >= 0 && width <= kMaxFrameSide && height <= kMaxFrameSide &&
         width * height <= kMaxFramePixels;
}

}  // namespace

TBAMFrame SizedFrame(const TBAMFrame& start, std::uint8_t zone, int width, int height) {
  TBAMFrame next = start;
  const bool centred_y = zone & kSizerCentredY, centred_x = zone & kSizerCentredX;
  SizeDimension(next.Height, next.CentreY, centred_y || (zone & kSizerTop),
                centred_y || (zone & kSizerBottom), height);
  SizeDimension(next.Width, next.CentreX, centred_x || (zone & kSizerLeft),
                centred_x || (zone & kSizerRight), width);
  return next;
}

std::string PictureSizeRefusal(const std::string& what, long long width, long long height,
                               const std::string& done) {
  if (FitsSize(width, height)) return {};
  return what + " is " + std::to_string(width) + " x " + std::to_string(height) +
         " pixels, more than a frame can hold (" + std::to_string(kMaxFrameSide) + " a side and " +
         std::to_string(kMaxFramePixels) + " pixels at most); nothing was " + done + ".";
}

std::string FrameSizeRefusal(const TBAMFrame& frame) {
  if (FitsSize(frame.Width, frame.Height) && FitsCentre(frame.CentreX) &&
      FitsCentre(frame.CentreY)) {
    return {};
  }
  return "A frame of " + std::to_string(frame.Width) + " x " + std::to_string(frame.Height) +
         " pixels with its centre at " + std::to_string(frame.CentreX) + "," +
         std::to_string(frame.CentreY) +
         " cannot be made; the frame keeps the last size that could.";
}

void FrameSizing::Begin(TBAMForm& form) {
  form_ = &form;
  start_ = applied_ = form.FrameRec;
  changed_before_ = form.ImageChanged;
  work_ = form.WorkImage;
  selection_ = form.SelImage;
  mask_ = form.SelMask;
  overlay_ = form.OverlayImage[0];
  refusal_.clear();
  DocumentOptions& options = form.Options();
  if (form.Paletted()) {
    options.BackgroundColour =
        ToColor(form.BAM.GetDisplayHPalette()[options.BackgroundIndex & 0xFF]);
  }
}

void FrameSizing::PutBackStart() {
  TBAMForm& form = *form_;
  form.WorkImage = work_;
  form.SelImage = selection_;
  form.SelMask = mask_;
  form.OverlayImage[0] = overlay_;
  form.FrameRec = start_;
}

bool FrameSizing::Apply(const TBAMFrame& next) {
  if (!form_) return false;
  if (SameGeometry(next, applied_)) return true;
  std::string refusal = FrameSizeRefusal(next);
  if (!refusal.empty()) {
    refusal_ = std::move(refusal);
    return false;
  }
  TBAMForm& form = *form_;
  // The screen shows the applied frame, not the start the buffers go back to.
  form.ClearOuter(applied_, next);
  try {
    PutBackStart();
    form.FixFrameSize(start_.CentreX - next.CentreX, start_.CentreY - next.CentreY, next.CentreX,
                      next.CentreY, next.Width, next.Height, true, false);
    applied_ = next;
    return true;
  } catch (const std::bad_alloc&) {
    refusal_ = "There is not enough memory for a frame of " + std::to_string(next.Width) + " x " +
               std::to_string(next.Height) + " pixels.";
    PutBackStart();
    form.ImageChanged = changed_before_;
    applied_ = start_;
    form.RedrawImage(false);
    return false;
  }
}

void FrameSizing::Restore() {
  if (!form_) return;
  TBAMForm& form = *form_;
  form.ClearOuter(applied_, start_);
  PutBackStart();
  // Same size, no shift: hides the sizer blocks and redraws without touching a pixel.
  form.FixFrameSize(0, 0, start_.CentreX, start_.CentreY, start_.Width, start_.Height, true, false);
  form.ImageChanged = changed_before_;
  applied_ = start_;
  *this = FrameSizing{};
}

bool FrameSizing::Finish() {
  if (!form_) return false;
  TBAMForm& form = *form_;
  const bool resized = !SameGeometry(applied_, start_);
  if (resized) {
    form.ImageChanged = true;
    form.HistoryPending = true;
    // The area the frame gained is editable like the rest.
    if (!form.HasSelection) form.SelectionClear();
  } else {
    form.ImageChanged = changed_before_;
  }
  std::string refusal = std::move(refusal_);
  *this = FrameSizing{};
  refusal_ = std::move(refusal);
  return resized;
}

std::string FrameSizing::TakeRefusal() {
  std::string refusal = std::move(refusal_);
  refusal_.clear();
  return refusal;
}

}  // namespace celwright
