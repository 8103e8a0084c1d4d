// The resize dialog's rules without its widgets: units, the aspect lock, the anchors, and what
// Preview, OK and Cancel leave in the frame.
#include <gtest/gtest.h>

#include "document/buffer_ops.h"
#include "document/document_test_util.h"
#include "document/resize_frame.h"

namespace celwright::testing {
namespace {

TEST(ResizeUnits, ConvertRoundAndShow) {
  EXPECT_EQ(PixelsFromUnit(50, 31, SizeUnit::Percent), 16);  // 15.5, halves to even
  EXPECT_EQ(PixelsFromUnit(25, 30, SizeUnit::Percent), 8);   // 7.5
  EXPECT_EQ(PixelsFromUnit(1, 31, SizeUnit::Inches), 102);
  EXPECT_EQ(PixelsFromUnit(2.5, 31, SizeUnit::Centimetres), 100);
  EXPECT_EQ(PixelsFromUnit(1e300, 31, SizeUnit::Percent), kLargestTypedSize);
  // A frame with no extent: percent must not divide by zero.
  EXPECT_EQ(PixelsFromUnit(300, 0, SizeUnit::Percent), 3);
  EXPECT_EQ(SizeValueText(SizeInUnit(7, 0, SizeUnit::Percent)), "700");

  EXPECT_EQ(SizeValueText(SizeInUnit(31, 31, SizeUnit::Centimetres)), "0.775");
  EXPECT_EQ(SizeValueText(SizeInUnit(2, 3, SizeUnit::Percent)), "66.666");  // cut, not rounded
  EXPECT_EQ(SizeValueText(SizeInUnit(12, 40, SizeUnit::Centimetres)), "0.3");
  EXPECT_EQ(SizeValueText(SizeInUnit(16, 31, SizeUnit::Pixels)), "16");

  EXPECT_EQ(ParseSizeValue(" 7 ", SizeUnit::Pixels), 7.0);
  EXPECT_EQ(ParseSizeValue("2.5", SizeUnit::Centimetres), 2.5);
  for (const char* bad : {"abc", "-1", "", "1x", "nan", "inf"}) {
    EXPECT_FALSE(ParseSizeValue(bad, SizeUnit::Inches)) << bad;
  }
  EXPECT_FALSE(ParseSizeValue("10.5", SizeUnit::Pixels));
}

TEST(ResizeAnchors, ZonesAndTheGeometryTheyGive) {
  EXPECT_EQ(AnchorZoneOf(0), kSizerTyped | kSizerRight | kSizerBottom);
  EXPECT_EQ(AnchorZoneOf(11), kSizerTyped | kSizerCentredX | kSizerCentredY);
  EXPECT_EQ(AnchorZoneOf(22), kSizerTyped | kSizerLeft | kSizerTop);
  EXPECT_EQ(AnchorZoneOf(20), kSizerTyped | kSizerLeft | kSizerBottom);

  TBAMFrame start;
  start.Width = 8;
  start.Height = 6;
  start.CentreX = 4;
  start.CentreY = 3;
  const TBAMFrame cut = SizedFrame(start, AnchorZoneOf(22), 6, 4);
  EXPECT_EQ(cut.CentreX, 2);
  EXPECT_EQ(cut.CentreY, 1);
  const TBAMFrame scaled = SizedFrame(start, AnchorZoneOf(11), 3, 9);
  EXPECT_EQ(scaled.CentreX, 2);  // 1.5 rounds to even
  EXPECT_EQ(scaled.CentreY, 4);  // 4.5 rounds to even
  // Centred growth from nothing: both edges move by half.
  TBAMFrame empty;
  empty.CentreX = 1;
  const TBAMFrame grown = SizedFrame(empty, AnchorZoneOf(11), 10, 4);
  EXPECT_EQ(grown.Width, 10);
  EXPECT_EQ(grown.CentreX, 6);
  EXPECT_EQ(grown.CentreY, 2);
}

// A window showing an 8 x 6 frame with centre (4, 3) whose every pixel has its own index.
struct PatternFixture : DocumentFixture {
  PatternFixture() : DocumentFixture(1) {
    form.ShowFrame(0);
    form.FixFrameSize(0, 0, 4, 3, 8, 6, true, true);
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 8; ++x) Paint(x, y, static_cast<std::uint8_t>(20 + x + 8 * y));
    }
    // Stored and shown again, so the history starts from the pattern.
    form.ImageChanged = true;
    form.ShowFrame(0);
  }
  void Paint(int x, int y, std::uint8_t index) {
    form.WorkImage[1].Row(y)[x] = index;
    form.WorkImage[0].SetPixel(x, y, ToColor(form.BAM.Palette[index]));
  }
  int IndexOf(int x, int y) const { return form.WorkImage[1].Row(y)[x]; }
};

TEST(ResizeModel, TypingUnitsAndTheAspectLock) {
  PatternFixture f;
  f.form.FixFrameSize(0, 0, 20, 10, 40, 20, true, true);
  ResizeFrameModel model;
  model.Begin(f.form);
  model.Units = {SizeUnit::Pixels, SizeUnit::Pixels};
  ResizeFrameModel::TypeResult typed = model.Type(ResizeFrameModel::kWidth, "10");
  EXPECT_EQ(typed.OtherText, "5");
  EXPECT_EQ(model.NewFrame.Height, 5);

  model.Units[ResizeFrameModel::kHeight] = SizeUnit::Percent;
  EXPECT_EQ(model.CurrentText(ResizeFrameModel::kHeight), "100 %");
  EXPECT_EQ(model.CurrentText(ResizeFrameModel::kWidth), "40 pixels");
  EXPECT_EQ(model.NewText(ResizeFrameModel::kHeight), "25");
  typed = model.Type(ResizeFrameModel::kHeight, "150");
  EXPECT_EQ(typed.OtherText, "60");
  EXPECT_EQ(model.NewFrame.Width, 60);
  EXPECT_EQ(model.NewFrame.Height, 30);

  // Refused text leaves the size alone and asks for the stored value to be shown again; an
  // emptied edit is left to the user.
  EXPECT_TRUE(model.Type(ResizeFrameModel::kWidth, "abc").RewriteThis);
  EXPECT_FALSE(model.Type(ResizeFrameModel::kWidth, "").RewriteThis);
  EXPECT_EQ(model.NewFrame.Width, 60);
  model.LockAspect = false;
  EXPECT_TRUE(model.Type(ResizeFrameModel::kWidth, "70000").RewriteThis);
  EXPECT_EQ(model.NewText(ResizeFrameModel::kWidth), "65535");
  EXPECT_EQ(model.NewFrame.Height, 30);
  model.LockAspect = true;
  model.Units = {SizeUnit::Pixels, SizeUnit::Pixels};
  EXPECT_EQ(model.Type(ResizeFrameModel::kHeight, "40000").OtherText, "65535");

  // No starting width: no ratio to keep and no division by zero.
  f.form.FixFrameSize(0, 0, 0, 0, 0, 20, true, true);
  model.Begin(f.form);
  model.LockAspect = true;
  EXPECT_FALSE(model.Type(ResizeFrameModel::kWidth, "10").OtherText);
  EXPECT_EQ(model.CurrentText(ResizeFrameModel::kWidth), "0 pixels");
}

TEST(ResizeModel, ContentFollowsTheCentreForEveryAnchor) {
  struct Case {
    int tag, width, height, centre_x, centre_y, shift_x, shift_y;
  };
  // Top-left keeps the centre; bottom-right moves it by the cut; centred scales it.
  for (const Case& c : {Case{0, 5, 4, 4, 3, 0, 0}, Case{22, 6, 4, 2, 1, 2, 2},
                        Case{11, 4, 2, 2, 1, 2, 2}, Case{20, 5, 5, 1, 3, 3, 0}}) {
    PatternFixture f;
    ResizeFrameModel model;
    model.Begin(f.form);
    model.SetAnchor(c.tag);
    model.NewFrame.Width = c.width;
    model.NewFrame.Height = c.height;
    ASSERT_EQ(model.Ok(), "");
    ASSERT_EQ(f.form.FrameRec.Width, c.width) << c.tag;
    EXPECT_EQ(f.form.FrameRec.CentreX, c.centre_x) << c.tag;
    EXPECT_EQ(f.form.FrameRec.CentreY, c.centre_y) << c.tag;
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) {
        ASSERT_EQ(f.IndexOf(x, y), 20 + (x + c.shift_x) + 8 * (y + c.shift_y))
            << c.tag << ": " << x << "," << y;
      }
    }
  }
}

TEST(ResizeModel, CancelAfterPreviewRestoresAndOkIsOneUndoStep) {
  PatternFixture f;
  const std::array<Bitmap, 2> images = f.form.WorkImage;
  const Bitmap mask = f.form.SelMask;
  const int undo_before = f.form.UndoCount();
  ResizeFrameModel model;
  model.Begin(f.form);
  model.SetAnchor(22);
  model.NewFrame.Width = 3;
  EXPECT_EQ(model.Preview(), "");
  model.NewFrame.Width = 12;
  model.NewFrame.Height = 9;
  EXPECT_EQ(model.Preview(), "");
  EXPECT_EQ(f.form.FrameRec.Width, 12);
  model.Cancel();
  EXPECT_EQ(f.form.FrameRec.Width, 8);
  EXPECT_EQ(f.form.FrameRec.CentreX, 4);
  EXPECT_EQ(f.form.WorkImage[0].Pixels(), images[0].Pixels());
  EXPECT_EQ(f.form.WorkImage[1].Pixels(), images[1].Pixels());
  EXPECT_EQ(f.form.SelMask.Pixels(), mask.Pixels());
  EXPECT_FALSE(f.form.ImageChanged);
  EXPECT_EQ(f.form.UndoCount(), undo_before);

  // A size that cannot be made says so and changes nothing.
  model.Begin(f.form);
  model.NewFrame.Width = model.NewFrame.Height = 65535;
  EXPECT_NE(model.Ok(), "");
  model.Cancel();
  EXPECT_EQ(f.form.FrameRec.Width, 8);

  model.Begin(f.form);
  model.NewFrame.Width = 3;
  model.NewFrame.Height = 9;
  model.Preview();
  ASSERT_EQ(model.Ok(), "");
  EXPECT_EQ(f.form.FrameRec.CentreX, -1);  // the anchor stayed bottom-right
  EXPECT_EQ(f.IndexOf(0, 3), 20 + 5);
  EXPECT_EQ(f.form.UndoCount(), undo_before + 1);
  f.form.Undo();
  EXPECT_EQ(f.form.FrameRec.Width, 8);
  EXPECT_EQ(f.form.WorkImage[1].Pixels(), images[1].Pixels());
}

}  // namespace
}  // namespace celwright::testing
