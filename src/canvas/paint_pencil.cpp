#include "canvas/paint_tools.h"

namespace celwright {

bool PaintPencil(PaintCall& call) {
  TBAMForm& form = call.Form;
  form.Log().Line("MDFY: Draw: Pencil...");
  const TColor index_value = MakeColor(call.DrawIndex, 0, 0);
  for (const Point& p : StrokePoints(form.Tool.LastPoint, call.Here(), call.IncludeEnd)) {
    call.Target()[0].SetPixelAlpha(p.x, p.y, call.DrawColour, call.DrawAlpha);
    call.Target()[1].SetPixel(p.x, p.y, index_value);
  }
  form.Tool.LastPoint = call.Here();
  form.Log().Append(" [OK]");
  return true;
}

}  // namespace celwright
