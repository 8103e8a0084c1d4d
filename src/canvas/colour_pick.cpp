#include "canvas/paint_tools.h"

namespace celwright {

// Takes the index under the pointer for a paletted document and the exact colour otherwise:
// a round trip through hue, saturation and luminance would return a near colour, and a picked
// transparent pixel would paint opaque pixels that only look transparent.
bool PickColour(PaintCall& call) {
  TBAMForm& form = call.Form;
  DocumentOptions& options = form.Options();
  form.Log().Line("MDFY: Color Pick...");
  const bool foreground = call.Button == kLeftButton;
  options.ColoursChosen = true;
  if (form.Paletted()) {
    const std::uint8_t index = RedOf(call.Target()[1].GetPixel(call.X, call.Y));
    (foreground ? options.ForegroundIndex : options.BackgroundIndex) = index;
    (foreground ? options.ForegroundColour : options.BackgroundColour) =
        IndexColour(form.BAM, index);
  } else {
    const TColor colour = call.Target()[0].GetPixel(call.X, call.Y);
    (foreground ? options.ForegroundColour : options.BackgroundColour) = colour;
    // 255 outside true colour, where pictures have no alpha.
    (foreground ? options.ForegroundAlpha : options.BackgroundAlpha) =
        call.Target()[0].GetAlpha(call.X, call.Y);
  }
  form.Log().Append(" [OK]");
  return true;
}

}  // namespace celwright
