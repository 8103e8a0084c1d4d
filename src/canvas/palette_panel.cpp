#include "canvas/palette_panel.h"

#include <algorithm>

#include "canvas/paint_tools.h"
#include "support/canvas.h"
#include "support/qm_tools.h"

namespace celwright {

namespace {

constexpr int kFieldRight = 239;
constexpr int kStripLeft = 260, kStripRight = 280;
constexpr int kColourStripLeft = 300;

int SaturationAt(int y) { return (80 - y) * 3; }

}  // namespace

PalettePanel::PalettePanel(DocumentOptions& options, DocumentLog log)
    : options_(options), log_(std::move(log)) {}

int PalettePanel::EntryAt(int x, int y) {
  // A drag beyond the image keeps to the last column and row, never the next row's entries.
  const int column = std::clamp(x, 0, kWidth - 1) / kCell;
  const int row = std::clamp(y, 0, kHeight - 1) / kCell;
  return column + row * 32;
}

void PalettePanel::ShowPalette(const TBAM* bam) {
  bam_ = bam && bam->IsOpen ? bam : nullptr;
  log_.Line("PLTE: Create...");
  if (!bam_) {
    Canvas(picture_).FillRect(BoundsOf(picture_));
  } else if (bam_->GetBAMType() == kPalettedBAM) {
    options_.ForegroundColour = IndexColour(*bam_, options_.ForegroundIndex);
    options_.BackgroundColour = IndexColour(*bam_, options_.BackgroundIndex);
    RenderPaletted();
  } else {
    if (!options_.ColoursChosen) {
      options_.ForegroundColour = bam_->GetShadowCol();
      options_.BackgroundColour = bam_->GetTransCol();
    }
    RenderChooser();
  }
  log_.Append(" [OK]");
}

void PalettePanel::PaintSquare(Bitmap& target, int left, int top, int width, int height,
                               int index) const {
  Canvas canvas(target);
  const bool transparent = index == bam_->TranspInd, shadow = index == bam_->ShadowInd;
  const TColor fill = transparent ? MakeColor(255, 255, 255)
                      : shadow    ? MakeColor(0, 0, 0)
                                  : ToColor(bam_->Palette[static_cast<std::size_t>(index & 0xFF)]);
  canvas.brush.color = fill;
  canvas.FillRect({left, top, left + width, top + height});
  if (!transparent && !shadow) return;
  // The marked entries carry a diagonal stroke in the colour they are shown as.
  canvas.pen.color = transparent ? bam_->GetTransCol() : bam_->GetShadowCol();
  canvas.SetClipRect({left, top, left + width, top + height});
  for (int offset = -1; offset <= 1; ++offset) {
    canvas.MoveTo(left + offset, top + height - 1);
    canvas.LineTo(left + width + offset, top - 1);
  }
}

void PalettePanel::RenderPaletted() {
  for (int i = 0; i < 256; ++i)
    PaintSquare(picture_, (i % 32) * kCell, (i / 32) * kCell, kCell, kCell, i);
}

void PalettePanel::RenderChooser() {
  Canvas canvas(picture_);
  canvas.brush.color = options_.WindowColour;
  canvas.FillRect(BoundsOf(picture_));
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x <= kFieldRight; ++x)
      picture_.SetPixel(x, y, HSLToColor(x, SaturationAt(y), 120));
    const TColor strip = HSLToColor(Hue, Saturation, SaturationAt(y));
    for (int x = kStripLeft; x <= kStripRight; ++x) picture_.SetPixel(x, y, strip);
    const TColor marked = y <= 40 ? bam_->GetShadowCol() : bam_->GetTransCol();
    for (int x = kColourStripLeft; x < kWidth; ++x) picture_.SetPixel(x, y, marked);
  }
  // Black crosses mark the chosen hue and saturation and the chosen luminance.
  canvas.pen.color = MakeColor(0, 0, 0);
  const int field_y = 80 - Saturation / 3, strip_y = 80 - Luminance / 3;
  canvas.MoveTo(Hue, field_y - 5);
  canvas.LineTo(Hue, field_y + 4);
  canvas.MoveTo(Hue - 5, field_y);
  canvas.LineTo(Hue + 4, field_y);
  canvas.MoveTo(kStripLeft, strip_y);
  canvas.LineTo(kStripRight + 1, strip_y);
}

void PalettePanel::MouseDown(std::uint8_t button, int x, int y) {
  if (!bam_) return;
  palette_button_ = button == 0 ? 1 : 2;
  MouseMove(x, y);
}

void PalettePanel::MouseMove(int x, int y) {
  if (palette_button_ == 0 || !bam_) return;
  x = std::clamp(x, 0, kWidth - 1);
  y = std::clamp(y, 0, kHeight - 1);
  const bool foreground = palette_button_ == 1;
  options_.ColoursChosen = true;
  (foreground ? options_.ForegroundAlpha : options_.BackgroundAlpha) = 255;
  if (bam_->GetBAMType() == kPalettedBAM) {
    const int index = EntryAt(x, y);
    (foreground ? options_.ForegroundIndex : options_.BackgroundIndex) =
        static_cast<std::uint8_t>(index);
    (foreground ? options_.ForegroundColour : options_.BackgroundColour) =
        IndexColour(*bam_, index);
  } else {
    TColor chosen = 0;
    if (x >= kColourStripLeft) {
      // The exact transparent or shadow colour: a trip through hue, saturation and luminance
      // would give a colour that only looks like it.
      chosen = y <= 40 ? bam_->GetShadowCol() : bam_->GetTransCol();
      ColorToHSL(chosen, Hue, Saturation, Luminance);
    } else {
      if (x <= kFieldRight) {
        Hue = x;
        Saturation = SaturationAt(y);
      } else if (x >= kStripLeft && x <= kStripRight) {
        Luminance = SaturationAt(y);
      }
      chosen = HSLToColor(Hue, Saturation, Luminance);
    }
    (foreground ? options_.ForegroundColour : options_.BackgroundColour) = chosen;
    RenderChooser();
  }
  if (ColoursChanged) ColoursChanged();
}

void PalettePanel::MouseUp(int x, int y) {
  if (palette_button_ == 0) return;
  MouseMove(x, y);
  log_.Line("PLTE: Color Selected");
  palette_button_ = 0;
}

std::string PalettePanel::DescribeEntry(int index) const {
  std::string text = "Entry " + std::to_string(index);
  if (!bam_) return text;
  if (index == bam_->TranspInd) return text + ": transparent";
  if (index == bam_->ShadowInd) return text + ": shadow";
  const RGBTriple& c = bam_->Palette[static_cast<std::size_t>(index & 0xFF)];
  return text + ": red " + std::to_string(c.r) + ", green " + std::to_string(c.g) + ", blue " +
         std::to_string(c.b);
}

Bitmap PalettePanel::EntrySwatch(int index, int width, int height) const {
  Bitmap swatch(std::max(width, 1), std::max(height, 1));
  if (bam_) PaintSquare(swatch, 0, 0, swatch.Width(), swatch.Height(), index);
  return swatch;
}

Bitmap PalettePanel::Swatch(bool foreground, int width, int height) const {
  Bitmap swatch(std::max(width, 1), std::max(height, 1));
  if (bam_ && bam_->GetBAMType() == kPalettedBAM) {
    swatch = EntrySwatch(foreground ? options_.ForegroundIndex : options_.BackgroundIndex, width,
                         height);
  } else {
    Canvas canvas(swatch);
    canvas.brush.color = foreground ? options_.ForegroundColour : options_.BackgroundColour;
    canvas.FillRect(BoundsOf(swatch));
  }
  return swatch;
}

}  // namespace celwright
