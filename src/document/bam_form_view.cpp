#include "document/bam_form.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "document/view_composer.h"
#include "support/pixel_spans.h"

namespace celwright {

class TBAMForm::ToolOverlayPass {
 public:
  explicit ToolOverlayPass(TBAMForm& form) : form_(form) {
    if (form.OverlayKept() || !form.ToolLayer) return;
    const std::optional<Rect> box = form.ToolLayer->ToolOverlayBox();
    box_ = box ? *box : Rect{};
    for (std::size_t k = 0; k < 2; ++k) CopyBoxOut(form.WorkImage[k], box_, saved_[k]);
    active_ = true;
    // Called even with nothing to draw: the tool notes where its overlay last was.
    form.ToolLayer->DrawToolOverlay(form.WorkImage);
  }
  ~ToolOverlayPass() {
    if (!active_) return;
    for (std::size_t k = 0; k < 2; ++k) CopyBoxIn(form_.WorkImage[k], box_, saved_[k]);
  }
  ToolOverlayPass(const ToolOverlayPass&) = delete;
  ToolOverlayPass& operator=(const ToolOverlayPass&) = delete;

 private:
  TBAMForm& form_;
  Rect box_{};
  std::array<std::vector<std::uint8_t>, 2> saved_;
  bool active_ = false;
};

void TBAMForm::RebuildOverlays() {
  overlay_current_ = true;
  const bool marker = (HasSelection || Selecting) && !MarkerMask.Empty();
  const bool tool_in_box = !ToolLayer || ToolLayer->ToolOverlayBox().has_value();
  if (!marker && !DrawOverlays && tool_in_box) {
    // Released, not cleared: the pair is two copies of the frame.
    OverlayImage[0] = Bitmap(0, 0, OverlayImage[0].Format());
    OverlayImage[1] = Bitmap(0, 0, OverlayImage[1].Format());
    overlay_kept_ = false;
    return;
  }
  OverlayImage[0] = WorkImage[0];
  OverlayImage[1] = WorkImage[1];
  overlay_kept_ = true;
  if (ToolLayer) ToolLayer->DrawToolOverlay(OverlayImage);
  DrawSelectMarker(OverlayImage);
  if (DrawOverlays) DrawOverlays(OverlayImage);
}

bool TBAMForm::OverlayKept() const {
  // A pair left behind by a size change or a restored start is no composition's source.
  return overlay_kept_ && OverlayImage[0].Width() == WorkImage[0].Width() &&
         OverlayImage[0].Height() == WorkImage[0].Height() &&
         OverlayImage[0].Format() == WorkImage[0].Format() &&
         OverlayImage[1].Width() == WorkImage[1].Width() &&
         OverlayImage[1].Height() == WorkImage[1].Height() &&
         OverlayImage[1].Format() == WorkImage[1].Format();
}

ViewSources TBAMForm::FrameViewSources() const {
  ViewSources sources;
  const std::array<Bitmap, 2>& pair = OverlayKept() ? OverlayImage : WorkImage;
  sources.Colours = &pair[0];
  sources.Indices = Paletted() ? &pair[1] : nullptr;
  sources.Width = FrameRec.Width;
  sources.Height = FrameRec.Height;
  sources.Zoom = Zoom;
  sources.ShowGrid = options_.ShowGrid;
  sources.Transparency = ViewTransparency || TrueColour();
  sources.Paletted = Paletted();
  sources.TranspInd = BAM.TranspInd;
  sources.ShadowInd = BAM.ShadowInd;
  sources.TransCol = BAM.GetTransCol();
  sources.ShadowCol = BAM.GetShadowCol();
  sources.WindowColour = options_.WindowColour;
  return sources;
}

bool TBAMForm::CanRedrawArea() const {
  if (!BAM.IsOpen || CurrentFrame == -1 || !overlay_current_ || !onion_.Empty() ||
      DrawOverlays || HasSelection || Selecting || ViewOrigin != ViewPoint{})
    return false;
  if (ViewImage.Width() != std::max(viewport_.ClientWidth, 0) ||
      ViewImage.Height() != std::max(viewport_.ClientHeight, 0) ||
      ViewImage.Format() != PixelFormat::Bits24)
    return false;
  for (const Bitmap& work : WorkImage) {
    if (work.Width() != FrameRec.Width || work.Height() != FrameRec.Height) return false;
  }
  if (overlay_kept_ && !OverlayKept()) return false;
  if (HoldImageOrigin) return true;
  // The picture must stay where it is: otherwise every pixel of the view moves.
  const ViewLayout layout =
      ComputeViewLayout(viewport_, FrameRec.Width, FrameRec.Height, FrameRec.CentreX,
                        FrameRec.CentreY, Zoom, horizontal_.Position, vertical_.Position);
  const auto same_bar = [](const ScrollBarState& laid_out, const ScrollBarState& shown) {
    return laid_out.Visible ? laid_out == shown : !shown.Visible;
  };
  return layout.Origin == ImageOrigin && same_bar(layout.Horizontal, horizontal_) &&
         same_bar(layout.Vertical, vertical_);
}

void TBAMForm::RedrawArea(const Rect& frame_box) {
  if (!CanRedrawArea()) {
    RedrawImage(false);
    return;
  }
  const Rect box = frame_box.Intersect({0, 0, FrameRec.Width, FrameRec.Height});
  if (box.Empty()) return;
  if (OverlayKept()) {
    for (std::size_t k = 0; k < 2; ++k) {
      const std::size_t bytes = static_cast<std::size_t>(WorkImage[k].BytesPerPixel());
      const std::size_t offset = bytes * static_cast<std::size_t>(box.left);
      for (int y = box.top; y < box.bottom; ++y) {
        std::memcpy(OverlayImage[k].Row(y) + offset, WorkImage[k].Row(y) + offset,
                    bytes * static_cast<std::size_t>(box.Width()));
      }
    }
    if (ToolLayer) ToolLayer->DrawToolOverlay(OverlayImage);
  }
  log_.Line("DRAW: Image");
  // The grid line right of and below the box's last blocks belongs to the box as well.
  const ViewRect area{ImageOrigin.X + box.left * Zoom, ImageOrigin.Y + box.top * Zoom,
                      ImageOrigin.X + box.right * Zoom + 1,
                      ImageOrigin.Y + box.bottom * Zoom + 1};
  {
    const ToolOverlayPass pass(*this);
    ComposeViewArea(FrameViewSources(), ImageOrigin, ViewImage, area);
  }
  log_.Append(" [OK]");
  if (options_.ShowGrid && Zoom > 1) {
    log_.Line("DRAW: Grid");
    log_.Append(" [OK]");
  }
  DrawSizerBlocks(true);
  if (hosts_.View) hosts_.View->RepaintArea(area);
}

void TBAMForm::RedrawImage(bool keep_overlay) {
  const int client_w = std::max(viewport_.ClientWidth, 0);
  const int client_h = std::max(viewport_.ClientHeight, 0);
  if (ViewImage.Width() != client_w || ViewImage.Height() != client_h ||
      ViewImage.Format() != PixelFormat::Bits24) {
    ViewImage.Reset(client_w, client_h, PixelFormat::Bits24);
  }
  ViewOrigin = ViewPoint{};

  if (!BAM.IsOpen || CurrentFrame == -1) {
    // No frame: the window shows its own colour only.
    ComposeView(ViewSources{.WindowColour = options_.WindowColour}, ViewPoint{}, ViewImage);
    horizontal_.Visible = false;
    vertical_.Visible = false;
  } else {
    if (keep_overlay && OverlayKept()) {
      overlay_current_ = false;
    } else {
      RebuildOverlays();
    }
    log_.Line("DRAW: Image");
    if (!HoldImageOrigin) {
      const ViewLayout layout =
          ComputeViewLayout(viewport_, FrameRec.Width, FrameRec.Height, FrameRec.CentreX,
                            FrameRec.CentreY, Zoom, horizontal_.Position, vertical_.Position);
      ImageOrigin = layout.Origin;
      // A hidden bar keeps its position for when it comes back.
      horizontal_ = layout.Horizontal.Visible ? layout.Horizontal
                                              : ScrollBarState{.Position = horizontal_.Position};
      vertical_ = layout.Vertical.Visible ? layout.Vertical
                                          : ScrollBarState{.Position = vertical_.Position};
    }

    const ToolOverlayPass pass(*this);
    const ViewSources sources = FrameViewSources();
    ComposeView(sources, ImageOrigin, ViewImage);
    onion_.Update({&BAM, CurrentFrame, FrameRec, options_.SelectedSequence, -1},
                  options_.OnionSkin);
    onion_.Apply(sources, ImageOrigin, ViewImage);
    log_.Append(" [OK]");
    if (options_.ShowGrid && Zoom > 1) {
      log_.Line("DRAW: Grid");
      log_.Append(" [OK]");
    }
    DrawSizerBlocks(true);
  }
  if (hosts_.View) {
    hosts_.View->ShowScrollBars(horizontal_, vertical_);
    hosts_.View->Repaint();
  }
}

void TBAMForm::DrawSizerBlocks(bool show) {
  log_.Line(show ? "Draw: Sizer Blocks" : "Draw: Sizer Blocks (Remove)");
  PaintSizerBlocks(show);
}

void TBAMForm::PaintSizerBlocks(bool show) {
  if (!show && !sizer_blocks_shown_) return;
  sizer_blocks_shown_ = show;
  if (CurrentFrame == -1) return;
  const TColor colour = show ? options_.HighlightColour : options_.WindowColour;
  for (const ViewRect& block :
       SizerBlockRects(ImageOrigin, FrameRec.Width * Zoom, FrameRec.Height * Zoom)) {
    FillClientRect(ViewImage, block, colour);
  }
}

void TBAMForm::FormResize(const ViewportSize& viewport) {
  viewport_ = viewport;
  RedrawImage(false);
}

void TBAMForm::Scroll_Change(int horizontal_position, int vertical_position) {
  DrawSizerBlocks(false);
  horizontal_.Position = horizontal_position;
  vertical_.Position = vertical_position;
  RedrawImage(false);
}

void TBAMForm::MagnificationChanged() {
  Zoom = ZoomForMagnification(options_.MagnificationIndex);
  RedrawImage(false);
}

void TBAMForm::ZoomAbout(int magnification_index, std::optional<ViewPoint> anchor) {
  const int old_zoom = std::max(Zoom, 1);
  options_.MagnificationIndex = magnification_index;
  if (!anchor || CurrentFrame == -1) {
    MagnificationChanged();
    return;
  }
  // The frame point under the anchor, in frame pixels.
  const double fx = static_cast<double>(anchor->X - ImageOrigin.X) / old_zoom;
  const double fy = static_cast<double>(anchor->Y - ImageOrigin.Y) / old_zoom;
  Zoom = ZoomForMagnification(magnification_index);
  const ViewPoint wanted{anchor->X - static_cast<int>(std::lround(fx * Zoom)),
                         anchor->Y - static_cast<int>(std::lround(fy * Zoom))};
  // With the bars at 0 the frame lands at `Origin`; each step of a bar moves it back one pixel.
  const ViewLayout at_start = ComputeViewLayout(viewport_, FrameRec.Width, FrameRec.Height,
                                                FrameRec.CentreX, FrameRec.CentreY, Zoom, 0, 0);
  if (at_start.Horizontal.Visible)
    horizontal_.Position =
        std::clamp(at_start.Origin.X - wanted.X, at_start.Horizontal.Min, at_start.Horizontal.Max);
  if (at_start.Vertical.Visible)
    vertical_.Position =
        std::clamp(at_start.Origin.Y - wanted.Y, at_start.Vertical.Min, at_start.Vertical.Max);
  if (HoldImageOrigin) ImageOrigin = wanted;
  RedrawImage(false);
}

bool TBAMForm::FormMouseWheelDown(std::optional<ViewPoint> anchor) {
  if (options_.MagnificationIndex > 0) {
    ZoomAbout(options_.MagnificationIndex - 1, anchor);
    NotifyCommandsChanged();
  }
  return true;
}

bool TBAMForm::FormMouseWheelUp(std::optional<ViewPoint> anchor) {
  if (options_.MagnificationIndex < kMagnificationSteps - 1) {
    ZoomAbout(options_.MagnificationIndex + 1, anchor);
    NotifyCommandsChanged();
  }
  return true;
}

}  // namespace celwright
