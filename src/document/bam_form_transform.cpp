// Reflect, flip and rotation of the selection, or of the whole frame when nothing is selected.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "document/bam_form.h"
#include "document/buffer_ops.h"
#include "document/frame_sizing.h"
#include "support/bitmap_mirror.h"
#include "support/rotate_bitmap.h"

namespace celwright {

namespace {

// What the turned colour picture shows where nothing was: never seen, as the mask leaves it out.
constexpr TColor kUncoveredColour = MakeColor(0, 0, 255);

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
  const char* line = left_right ? "SELN: Mirror" : "SELN: Flip";
  auto mirror = [left_right](Bitmap& picture) {
    left_right ? ReflectBitmap(picture) : FlipBitmap(picture);
  };
  if (!HasSelection) {
    // Pending text and the like are settled first, so they turn with the frame.
    SelectionClear();
    log_.Line(line);
    for (Bitmap& image : WorkImage) mirror(image);
    log_.Append(" [OK]");
    RecordWholeFrameEdit();
    return;
  }

  FloatSelection();
  const Rect before = GetSelSize();
  log_.Line(line);
  if (before.Empty()) {
    log_.Append(kNothingSelected);
    return;
  }
  for (Bitmap& image : SelImage) mirror(image);
  mirror(SelMask);
  // The bounding box stays where it was.
  const Rect after = GetSelSize();
  SelOffset.x += before.left - after.left;
  SelOffset.y += before.top - after.top;
  PlaceTransformedSelection();
}

void TBAMForm::SelectionRotateFree(long double angle) {
  if (!FrameShown()) return;
  const double radians = static_cast<double>(angle);
  if (!HasSelection) {
    SelectionClear();
    log_.Line("SELN: Rotate Free");
    // The whole frame takes the turned size (a quarter turn of W x H gives H x W) and its
    // centre point scales with it; corners the turned picture does not cover are transparent.
    const int width = FrameRec.Width, height = FrameRec.Height;
    const Size turned = TurnedSize(width, height, radians);
    const int centre_x =
        RoundHalfEven(static_cast<long double>(turned.width) * FrameRec.CentreX / width);
    const int centre_y =
        RoundHalfEven(static_cast<long double>(turned.height) * FrameRec.CentreY / height);
    // A diagonal turn nearly doubles the area: past what a frame may hold it is refused before
    // anything is allocated, as a handle drag or the resize dialog would be.
    TBAMFrame turned_frame = FrameRec;
    turned_frame.Width = turned.width;
    turned_frame.Height = turned.height;
    turned_frame.CentreX = centre_x;
    turned_frame.CentreY = centre_y;
    std::string refusal =
        PictureSizeRefusal("The turned frame", turned.width, turned.height, "turned");
    if (refusal.empty()) refusal = FrameSizeRefusal(turned_frame);
    if (!refusal.empty()) {
      log_.Append(" [ABORTED] (" + refusal + ")");
      if (hosts_.Prompts) hosts_.Prompts->ShowInformation(options_.ApplicationTitle, refusal);
      return;
    }
    std::vector<Bitmap> turned_images = RotateBitmapsToSize(
        {&WorkImage[0], &WorkImage[1]},
        {BAM.GetTransCol(), MakeColor(static_cast<std::uint8_t>(BAM.TranspInd), 0, 0)},
        turned.width, turned.height, radians);
    log_.Append(" [OK]");
    FixFrameSize(0, 0, centre_x, centre_y, turned.width, turned.height, true, true);
    WorkImage[0] = std::move(turned_images[0]);
    WorkImage[1] = std::move(turned_images[1]);
    RecordWholeFrameEdit();
    return;
  }

  FloatSelection();
  const Rect before = GetSelSize();
  log_.Line("SELN: Rotate Free");
  if (before.Empty()) {
    log_.Append(kNothingSelected);
    return;
  }
  // Only the selected box is turned, about its own exact centre, onto a canvas that holds it
  // whole. The canvas keeps the parity of the turned size: a canvas one pixel wider or higher
  // than that would put the mapped rows on the edges between source pixels, and a quarter turn
  // would then take one row twice and lose another. The margin of two pixels a side keeps what
  // a diagonal turn reaches past its rounded size. Nothing changes before the turn has
  // succeeded.
  Bitmap box_images[3] = {SelImage[0], SelImage[1], SelMask};
  for (Bitmap& picture : box_images) {
    ShiftAndResize(picture, before.left, before.top, before.Width(), before.Height(), kWhite);
  }
  const Size turned = TurnedSize(before.Width(), before.Height(), radians);
  const TColor fills[3] = {kUncoveredColour,
                           MakeColor(static_cast<std::uint8_t>(BAM.TranspInd), 0, 0), kWhite};
  std::vector<Bitmap> turned_images =
      RotateBitmapsToSize({&box_images[0], &box_images[1], &box_images[2]},
                          {fills[0], fills[1], fills[2]}, turned.width + 4, turned.height + 4,
                          radians);
  Bitmap* pictures[3] = {&SelImage[0], &SelImage[1], &SelMask};
  for (int k = 0; k < 3; ++k) *pictures[k] = std::move(turned_images[static_cast<std::size_t>(k)]);
  // Only the turned content is kept, so turning again starts from its size: a canvas grown from
  // the last canvas would double in area with every diagonal turn.
  const Rect after = GetSelSize();
  for (Bitmap* picture : pictures) {
    ShiftAndResize(*picture, after.left, after.top, after.Width(), after.Height(), kWhite);
  }
  // The bounding box keeps its top-left corner.
  SelOffset.x += before.left;
  SelOffset.y += before.top;
  PlaceTransformedSelection();
}

void TBAMForm::PlaceTransformedSelection() {
  ComposeSelection();
  SelMaskCopy = SelMask;
  log_.Append(" [OK]");
  // The result floats like a moved selection: showing another frame, painting or any other
  // fix bakes it into the frame as a history step.
  SelMoved = true;
  ImageChanged = true;
  MakeSelMarkerMask();
  RedrawImage(false);
  NotifyCommandsChanged();
}

}  // namespace celwright
