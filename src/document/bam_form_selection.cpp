#include "document/bam_form.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "document/buffer_ops.h"
#include "support/blit.h"

namespace celwright {

namespace {

// Masks hold one byte a pixel: 0 for a selected pixel, 1 for one that is not.
bool RowHasSelected(const Bitmap& mask, int y) {
  return std::memchr(mask.Row(y), 0, static_cast<std::size_t>(mask.Width())) != nullptr;
}

}  // namespace

TColor TBAMForm::SelectionBackColour() const {
  if (!Paletted()) return options_.BackgroundColour;
  const int index = options_.BackgroundIndex;
  if (index == BAM.TranspInd) return BAM.GetTransCol();
  if (index == BAM.ShadowInd) return BAM.GetShadowCol();
  return ToColor(BAM.Palette[static_cast<std::size_t>(index)]);
}

std::uint8_t TBAMForm::SelectionBackIndex() const {
  return Paletted() ? options_.BackgroundIndex : 0;
}

void TBAMForm::ReleaseScratch() {
  // Released, not cleared: each is a copy of the frame. A tool makes its copy at its press.
  SelImage[0] = Bitmap(0, 0, ColourFormat());
  SelImage[1] = Bitmap(0, 0, PixelFormat::Index8);
}

void TBAMForm::SelectionClear() {
  SelectionMode = 0;
  FixSelectionPosition();
  log_.Line("SELN: Clear");
  ReleaseScratch();
  // Nothing selected: the whole frame is editable, which an empty mask says without a
  // frame-sized one.
  SelMask.Reset(0, 0, PixelFormat::Bits1);
  // No earlier selection for the next to add to or take from: an empty copy reads as nothing
  // selected, without a frame-sized mask to say so.
  SelMaskCopy = Bitmap(0, 0, PixelFormat::Bits1);
  MarkerMask.Reset(0, 0, PixelFormat::Bits1);
  SelOffset = {};
  SelMoved = false;
  SelChanged = false;
  MovingSelection = false;
  HasSelection = false;
  Selecting = false;
  Tool.PointCount = 0;
  log_.Append(" [OK]");
  NotifyCommandsChanged();
}

void TBAMForm::SelectionAll() {
  if (CurrentFrame == -1) return;
  // A moved selection is baked first: otherwise its offset and old content would outlive it and
  // the next move would make the frame jump.
  FixSelectionPosition();
  log_.Line("SELN: Select All");
  SelMask.Reset(FrameRec.Width, FrameRec.Height, PixelFormat::Bits1);
  TakeNewSelectionMask();
}

void TBAMForm::TakeNewSelectionMask() {
  SelMaskCopy = SelMask;
  SelImage = WorkImage;
  SelOffset = {};
  HasSelection = true;
  SelChanged = true;
  log_.Append(" [OK]");
  FinishSelection();
  RedrawImage(false);
  NotifyCommandsChanged();
}

void TBAMForm::RecordWholeFrameEdit() {
  ImageChanged = true;
  HistoryPending = true;
  AddHistoryItem();
  RedrawImage(false);
}

void TBAMForm::FinishSelection() {
  MakeSelMarkerMask();
  MovingSelection = false;
  if (SelChanged) {
    MakeSelectionBG();
    SelChanged = false;
  }
  AddHistoryItem();
  Tool.DrawButton = kNoButton;
}

Rect TBAMForm::GetSelSize() const {
  log_.Line("SELN: Get Selection Bounding Rectangle");
  const int width = SelMask.Width(), height = SelMask.Height();
  Rect box{width, height, 0, 0};
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = SelMask.Row(y);
    const auto* first = static_cast<const std::uint8_t*>(
        std::memchr(row, 0, static_cast<std::size_t>(width)));
    if (first == nullptr) continue;
    int last = width - 1;
    while (row[last] != 0) --last;
    box.left = std::min(box.left, static_cast<int>(first - row));
    box.right = std::max(box.right, last + 1);
    box.top = std::min(box.top, y);
    box.bottom = y + 1;
  }
  log_.Append(" [OK]");
  if (box.right <= box.left) return {};
  return box;
}

void TBAMForm::MakeSelectionBG() {
  const int width = FrameRec.Width, height = FrameRec.Height;
  for (std::size_t j = 0; j < 2; ++j) {
    // A true-colour frame has a real see-through: what the selection leaves is alpha 0.
    Bitmap fill(width, height, j == 0 ? ColourFormat() : PixelFormat::Index8);
    if (j == 1 || !TrueColour())
      FillBitmap(fill, j == 0 ? SelectionBackColour() : MakeColor(SelectionBackIndex(), 0, 0));
    BackImage[j] = WorkImage[j];
    if (BackImage[j].Width() != width || BackImage[j].Height() != height)
      BackImage[j].Resize(width, height, 0);
    MaskBlt(BackImage[j], 0, 0, fill, SelMask);
  }
}

void TBAMForm::FloatSelection() {
  // Pending text is part of what the selection holds: it lands first (clipped to the selection
  // as always), so it moves, turns or goes with the lifted pixels instead of landing later at
  // its old place.
  if (Tool.TextPending) LandPendingEdits();
  if (!HasSelection || SelMoved) return;
  SelImage = WorkImage;
  SelOffset = {};
  MakeSelectionBG();
}

bool TBAMForm::SomethingSelected() const {
  if (!HasSelection) return false;
  for (int y = 0; y < SelMask.Height(); ++y)
    if (RowHasSelected(SelMask, y)) return true;
  return false;
}

bool TBAMForm::NudgeSelection(int dx, int dy) {
  if (CurrentFrame == -1 || !HasSelection || Selecting || MovingSelection) return false;
  log_.Line("SELN: Nudge (" + std::to_string(dx) + "," + std::to_string(dy) + ")");
  FloatSelection();
  SelMoved = true;
  ImageChanged = true;
  SelOffset = {SelOffset.x + dx, SelOffset.y + dy};
  ComposeSelection();
  MakeSelMarkerMask();
  log_.Append(" [OK]");
  RedrawImage(false);
  NotifyCommandsChanged();
  return true;
}

void TBAMForm::ComposeSelection() {
  for (std::size_t j = 0; j < 2; ++j) {
    if (BackImage[j].Width() != WorkImage[j].Width() ||
        BackImage[j].Height() != WorkImage[j].Height())
      continue;
    // Plain assignment keeps the working image's storage: a drag composes on every move.
    std::copy(BackImage[j].Pixels().begin(), BackImage[j].Pixels().end(),
              WorkImage[j].Pixels().begin());
    MaskBlt(WorkImage[j], SelOffset.x, SelOffset.y, SelImage[j], SelMask);
  }
}

void TBAMForm::FixSelectionPosition() {
  log_.Line("SELN: Fix");
  // Pending text lands in the frame before a moved selection is baked over it.
  FixPendingText();
  if (ToolLayer) ToolLayer->EndToolActivity();
  Tool.PointCount = 0;
  Tool.ShapeActive = false;
  if (!HasSelection || !SelMoved) return;
  SelMoved = false;
  SelImage = WorkImage;
  // The mask moves to where the content now is; what lies beyond the frame is gone with it.
  Bitmap moved(std::max(FrameRec.Width, 0), std::max(FrameRec.Height, 0), PixelFormat::Bits1);
  FillBitmap(moved, kWhite);
  BitBlt(moved, SelOffset.x, SelOffset.y, SelMask.Width(), SelMask.Height(), SelMask, 0, 0,
         RasterOp::SrcCopy);
  SelMask = std::move(moved);
  SelMaskCopy = SelMask;
  SelOffset = {};
  MakeSelectionBG();
  MakeSelMarkerMask();
  ImageChanged = true;
  log_.Append(" [OK]");
  HistoryPending = true;
  AddHistoryItem();
  RedrawImage(false);
}

void TBAMForm::MakeSelMarkerMask() {
  if (!HasSelection && !Selecting) return;
  log_.Line("SELN: Make Selection Marker");
  const int frame_w = std::max(FrameRec.Width, 0), frame_h = std::max(FrameRec.Height, 0);
  MarkerMask.Reset(frame_w, frame_h, PixelFormat::Bits1);
  FillBitmap(MarkerMask, kWhite);
  const int mask_w = SelMask.Width(), mask_h = SelMask.Height();
  const int dx = SelOffset.x, dy = SelOffset.y;
  // Only mask rows and columns that land on the frame matter.
  const int y_begin = std::max(0, -dy), y_end = std::min(mask_h, frame_h - dy);
  const int x_begin = std::max(0, -dx), x_end = std::min(mask_w, frame_w - dx);
  for (int y = y_begin; y < y_end; ++y) {
    if (!RowHasSelected(SelMask, y)) continue;
    const std::uint8_t* row = SelMask.Row(y);
    const std::uint8_t* above = y > 0 ? SelMask.Row(y - 1) : nullptr;
    const std::uint8_t* below = y + 1 < mask_h ? SelMask.Row(y + 1) : nullptr;
    const bool edge_row = y + dy == 0 || y + dy == frame_h - 1;
    std::uint8_t* out = MarkerMask.Row(y + dy) + dx;
    for (int x = x_begin; x < x_end; ++x) {
      if (row[x] != 0) continue;
      // A pixel on the frame's border counts as having a neighbour outside the selection.
      const bool border = edge_row || x + dx == 0 || x + dx == frame_w - 1 || above == nullptr ||
                          below == nullptr || x == 0 || x + 1 == mask_w || above[x] != 0 ||
                          below[x] != 0 || row[x - 1] != 0 || row[x + 1] != 0;
      if (border) out[x] = 0;
    }
  }
  log_.Append(" [OK]");
}

void TBAMForm::DrawSelectMarker(std::array<Bitmap, 2>& overlay) const {
  if ((!HasSelection && !Selecting) || MarkerMask.Empty()) return;
  // The index overlay is marked too: in the transparency view a transparent pixel would hide
  // an inverted colour. Its mark is an entry that shows as an opaque colour.
  std::uint8_t mark = 255;
  while (mark == BAM.TranspInd || mark == BAM.ShadowInd) --mark;
  const int width = std::min(MarkerMask.Width(), overlay[0].Width());
  const int height = std::min(MarkerMask.Height(), overlay[0].Height());
  const int bytes = overlay[0].BytesPerPixel();
  const bool indices = overlay[1].Width() >= width && overlay[1].Height() >= height &&
                       overlay[1].Format() == PixelFormat::Index8;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* marker = MarkerMask.Row(y);
    if (std::memchr(marker, 0, static_cast<std::size_t>(width)) == nullptr) continue;
    std::uint8_t* colours = overlay[0].Row(y);
    std::uint8_t* index_row = indices ? overlay[1].Row(y) : nullptr;
    for (int x = 0; x < width; ++x) {
      if (marker[x] != 0) continue;
      if (bytes == 4) {
        // Inverted see-through would stay unseen: the mark is opaque.
        for (int c = 0; c < 3; ++c) colours[4 * x + c] ^= 0xFF;
        colours[4 * x + 3] = 255;
      } else {
        for (int c = 0; c < 3; ++c) colours[3 * x + c] ^= 0xFF;
      }
      if (index_row != nullptr) index_row[x] = mark;
    }
  }
}

}  // namespace celwright
