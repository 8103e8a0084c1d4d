// Reflect, flip and rotation of the selection, or of the whole frame when nothing is selected.
#include <cmath>

#include "document/bam_form.h"
#include "support/bitmap_mirror.h"
#include "support/rotate_bitmap.h"

namespace celwright {

namespace {

// Rounds like the size rule does: to nearest, halves to even.
int RoundHalfEven(long double value) { return static_cast<int>(std::llrint(value)); }

}  // namespace

bool TBAMForm::FrameShown() const {
  return CurrentFrame >= 0 && FrameRec.Width > 0 && FrameRec.Height > 0;
}

void TBAMForm::SelectionMirror() { MirrorSelection(true); }

void TBAMForm::SelectionFlip() { MirrorSelection(false); }

void TBAMForm::MirrorSelection(bool left_right) {
  if (!FrameShown()) return;
  auto mirror = [left_right](Bitmap& picture) {
    left_right ? ReflectBitmap(picture) : FlipBitmap(picture);
  };
  if (!HasSelection) {
    // Pending text and the like are settled first, so they turn with the frame.
    SelectionClear();
    log_.Line(left_right ? "SELN: Mirror" : "SELN: Flip");
    for (Bitmap& image : WorkImage) mirror(image);
    log_.Append(" [OK]");
    ImageChanged = true;
    HistoryPending = true;
    AddHistoryItem();
    RedrawImage(false);
    return;
  }
}

void TBAMForm::SelectionRotateFree(long double angle) {
  if (!FrameShown()) return;
  if (!HasSelection) {
    SelectionClear();
    log_.Line("SELN: Rotate Free");
    // The whole frame takes the turned size (a quarter turn of W x H gives H x W) and its
    // centre point scales with it; corners the turned picture does not cover are transparent.
    const int width = FrameRec.Width, height = FrameRec.Height;
    const Size turned = TurnedSize(width, height, static_cast<double>(angle));
    Bitmap colours = RotateBitmapToSize(WorkImage[0], turned.width, turned.height,
                                        BAM.GetTransCol(), static_cast<double>(angle));
    Bitmap indices = RotateBitmapToSize(WorkImage[1], turned.width, turned.height,
                                        MakeColor(static_cast<std::uint8_t>(BAM.TranspInd), 0, 0),
                                        static_cast<double>(angle));
    log_.Append(" [OK]");
    const int centre_x =
        RoundHalfEven(static_cast<long double>(turned.width) * FrameRec.CentreX / width);
    const int centre_y =
        RoundHalfEven(static_cast<long double>(turned.height) * FrameRec.CentreY / height);
    FixFrameSize(0, 0, centre_x, centre_y, turned.width, turned.height, true, true);
    WorkImage[0] = std::move(colours);
    WorkImage[1] = std::move(indices);
    ImageChanged = true;
    HistoryPending = true;
    AddHistoryItem();
    RedrawImage(false);
    return;
  }
}

}  // namespace celwright
