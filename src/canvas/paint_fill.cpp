#include "canvas/paint_tools.h"
#include "support/flood_fill.h"

namespace celwright {

// A paletted frame is filled by its index image, and the same runs are painted into the colour
// image: filling the colour image on its own would join regions of two entries that share a
// colour and leave the screen showing something the data does not hold.
bool PaintFill(PaintCall& call) {
  TBAMForm& form = call.Form;
  form.Log().Line("MDFY: Draw: Fill...");
  Bitmap& colours = call.Target()[0];
  Bitmap& indices = call.Target()[1];
  const PixelValue colour = DrawColourValue(colours, call);
  const PixelValue index = EncodeColor(indices, MakeColor(call.DrawIndex, 0, 0));
  const Rect bounds = BoundsOf(colours);
  const Bitmap& regions = form.Paletted() ? indices : colours;
  FloodFillSpans(regions, call.Here(), bounds, [&](int y, int x_begin, int x_end) {
    FillSpan(colours, bounds, y, x_begin, x_end, colour);
    FillSpan(indices, bounds, y, x_begin, x_end, index);
  });
  form.Tool.DrawButton = kNoButton;
  form.Log().Append(" [OK]");
  return true;
}

}  // namespace celwright
