#pragma once

#include <string>
#include <vector>

#include "canvas/paint_tools.h"
#include "canvas/tool_controller.h"
#include "document/document_test_util.h"

namespace celwright::testing {

// A 32 x 32 frame shown at the window's middle, with the tool layer attached. Paletted frames
// hold index (x + y) % 7 + 2 (the palette's entry i is (i, 255 - i, 7)); unpaletted ones the
// colour (8x, 8y, 50).
struct PaintFixture : DocumentFixture {
  explicit PaintFixture(bool paletted = true, int width = 32, int height = 32)
      : DocumentFixture(1), tools(form) {
    if (!paletted) form.BAM.SetBAMType(kUnpalettedBAM);
    TBAMFrame info = form.BAM.GetFrame(0);
    info.Width = width;
    info.Height = height;
    info.CentreX = width / 2;
    info.CentreY = height / 2;
    Bitmap image(width, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        image.SetPixel(x, y,
                       paletted ? MakeColor(static_cast<std::uint8_t>((x + y) % 7 + 2), 0, 0)
                                : MakeColor(static_cast<std::uint8_t>(8 * x),
                                            static_cast<std::uint8_t>(8 * y), 50));
      }
    }
    form.BAM.SetFrameBitmap(0, image, info);
    form.FormResize({400, 300, 400, 300});
    form.ShowFrame(0);
  }

  int ClientX(int fx) const { return form.ImageOrigin.X + fx * form.Zoom; }
  int ClientY(int fy) const { return form.ImageOrigin.Y + fy * form.Zoom; }
  void Down(int fx, int fy, std::uint8_t button = kLeftButton) {
    tools.FormMouseDown(button, {}, ClientX(fx), ClientY(fy));
  }
  void Move(int fx, int fy) { tools.FormMouseMove({}, ClientX(fx), ClientY(fy)); }
  void Up(int fx, int fy, std::uint8_t button = kLeftButton) {
    tools.FormMouseUp(button, {}, ClientX(fx), ClientY(fy));
  }
  void Click(int fx, int fy, std::uint8_t button = kLeftButton) {
    Down(fx, fy, button);
    Up(fx, fy, button);
  }
  void Drag(Point from, Point to, ShiftKeys keys = {}, std::uint8_t button = kLeftButton) {
    tools.FormMouseDown(button, keys, ClientX(from.x), ClientY(from.y));
    tools.FormMouseMove(keys, ClientX(to.x), ClientY(to.y));
    tools.FormMouseUp(button, keys, ClientX(to.x), ClientY(to.y));
  }
  void Choose(ToolKind tool) {
    options.Tool = tool;
    tools.ToolBtnClick("Tool");
  }
  // Turns the document true-colour, its frame a colour ramp whose alpha falls from left to
  // right, with a see-through column at x = 31.
  void ShowTrueColourRamp() {
    form.BAM.SetBAMType(kTrueColourBAM);
    Bitmap picture(32, 32, PixelFormat::Bits32);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 31; ++x)
        picture.SetPixelAlpha(x, y, MakeColor(static_cast<std::uint8_t>(8 * x), 9, 50),
                              static_cast<std::uint8_t>(255 - 8 * x));
    form.BAM.SetFrameBitmap(0, picture, form.BAM.GetFrame(0));
    form.ShowFrame(0);
  }
  int IndexAt(int x, int y) const { return RedOf(form.WorkImage[1].GetPixel(x, y)); }
  // Pixels of `image` inside `r` that differ from `before`.
  static int Changed(const Bitmap& before, const Bitmap& image, const Rect& r) {
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) count += before.GetPixel(x, y) != image.GetPixel(x, y);
    return count;
  }
  TColor ColourAt(int x, int y) const { return form.WorkImage[0].GetPixel(x, y); }
  // The colour image as the index image shows it, for a paletted frame.
  Bitmap Rendered() const {
    Bitmap colours(form.WorkImage[1].Width(), form.WorkImage[1].Height());
    for (int y = 0; y < colours.Height(); ++y)
      for (int x = 0; x < colours.Width(); ++x)
        colours.SetPixel(x, y, IndexColour(form.BAM, IndexAt(x, y)));
    return colours;
  }

  ToolController tools;
};

}  // namespace celwright::testing
