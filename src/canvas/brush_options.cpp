#include "canvas/brush_options.h"

#include <algorithm>

#include "support/canvas.h"

namespace celwright {

void BrushModify(DocumentOptions& options, BrushControl changed) {
  options.BrushWidth = std::clamp(options.BrushWidth, 1, 64);
  options.BrushHeight = std::clamp(options.BrushHeight, 1, 64);
  if (!options.LockBrushDims || changed == BrushControl::Shape) return;
  if (changed == BrushControl::Height) {
    options.BrushWidth = options.BrushHeight;
  } else {
    options.BrushHeight = options.BrushWidth;
  }
}

Bitmap MakeBrushPicture(int shape, int width, int height) {
  Bitmap picture(width + 1, height, PixelFormat::Bits1);  // all black
  Canvas canvas(picture);
  canvas.pen.color = kWhite;
  canvas.brush.color = kWhite;
  switch (shape) {
    case 0:
      canvas.Ellipse({1, 0, width + 1, height});
      break;
    case 1:
      canvas.Rectangle({1, 0, width + 1, height});
      break;
    case 2:
      canvas.MoveTo(1, 0);
      canvas.LineTo(width + 1, height);
      break;
    default:
      canvas.MoveTo(width, 0);
      canvas.LineTo(0, height);
      break;
  }
  return picture;
}

}  // namespace celwright
