#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "document/document_log.h"
#include "document/document_options.h"
#include "model/qm_BAM.h"
#include "support/bitmap.h"

namespace celwright {

// The palette image of the bottom panel, without the toolkit: for a paletted document the 256
// entries as 10 x 10 squares (32 a row), for an unpaletted one a hue and saturation field, a
// luminance strip and a strip of the transparent and shadow colours. The left button chooses
// the foreground, the right button the background, by click or by drag; the choice is written
// into the options the tools read.
class PalettePanel {
 public:
  static constexpr int kWidth = 320;
  static constexpr int kHeight = 80;
  static constexpr int kCell = 10;

  explicit PalettePanel(DocumentOptions& options, DocumentLog log = DefaultDocumentLog());

  // Redraws the image for `bam` (null: no document). The chosen colours stay as they are; for
  // a paletted document their colours follow the palette of the chosen entries.
  void ShowPalette(const TBAM* bam);
  const Bitmap& Picture() const { return picture_; }
  // The image shows the 256 palette entries (not the colour chooser, nor nothing at all).
  bool ShowsEntries() const { return bam_ != nullptr && bam_->GetBAMType() == kPalettedBAM; }

  // Image coordinates; button 0 left, 1 right.
  void MouseDown(std::uint8_t button, int x, int y);
  void MouseMove(int x, int y);
  void MouseUp(int x, int y);
  bool Dragging() const { return palette_button_ != 0; }

  // The palette entry under an image point (points off the image count as the nearest square).
  static int EntryAt(int x, int y);
  // "Entry 67: red 67, green 188, blue 7" (or "transparent" / "shadow" for those entries).
  std::string DescribeEntry(int index) const;
  // A swatch of the foreground or background as the panel shows it.
  Bitmap Swatch(bool foreground, int width, int height) const;
  // Entry `index` as a swatch: its colour, the transparent and shadow entries marked.
  Bitmap EntrySwatch(int index, int width, int height) const;

  // Hue 0..239, saturation and luminance 0..240 of the unpaletted chooser.
  int Hue = 0;
  int Saturation = 240;
  int Luminance = 120;

  // A foreground or background choice changed.
  std::function<void()> ColoursChanged;

 private:
  void RenderPaletted();
  void RenderChooser();
  void PaintSquare(Bitmap& target, int left, int top, int width, int height, int index) const;

  DocumentOptions& options_;
  DocumentLog log_;
  const TBAM* bam_ = nullptr;
  Bitmap picture_{kWidth, kHeight};
  int palette_button_ = 0;  // 1 left (foreground), 2 right (background), 0 none
};

}  // namespace celwright
