#include <gtest/gtest.h>

#include <array>
#include <numbers>

#include "document/document_test_util.h"

namespace celwright::testing {
namespace {

constexpr long double kAntiClockwise = 1.5707963267948966L;
constexpr long double kClockwise = 4.71238898038469L;

// A window on a paletted document whose frames 0 and 1 are width x height with centre
// (centre_x, centre_y), every pixel an index of its own (as far as 2..251 go), frame 0 shown.
struct TransformFixture : DocumentFixture {
  TransformFixture(int width, int height, int centre_x, int centre_y) : DocumentFixture(2) {
    for (int frame = 0; frame < 2; ++frame) {
      TBAMFrame info = form.BAM.GetFrame(frame);
      info.Width = width;
      info.Height = height;
      info.CentreX = centre_x;
      info.CentreY = centre_y;
      Bitmap indices(width, height);
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) indices.Row(y)[3 * x + 2] = Numbered(x, y);
      form.BAM.SetFrameBitmap(frame, indices, info);
    }
    form.ShowFrame(0);
  }
  static std::uint8_t Numbered(int x, int y) {
    return static_cast<std::uint8_t>((x * 7 + y * 3) % 250 + 2);
  }
  int At(int x, int y) const { return RedOf(form.WorkImage[1].GetPixel(x, y)); }
  // Selects the pixels `inside` says, as a selection tool leaves them.
  template <typename Inside>
  void Select(Inside inside) {
    form.SelMask.Reset(form.FrameRec.Width, form.FrameRec.Height, PixelFormat::Bits1);
    for (int y = 0; y < form.FrameRec.Height; ++y)
      for (int x = 0; x < form.FrameRec.Width; ++x)
        form.SelMask.SetIndex(x, y, inside(x, y) ? 0 : 1);
    form.SelMaskCopy = form.SelMask;
    form.HasSelection = true;
    form.MakeSelectionBG();
  }
};

TEST(WholeFrameRotation, FourQuarterTurnsAreTheIdentityInFourUndoSteps) {
  TransformFixture doc(32, 32, 16, 16);
  const std::array<Bitmap, 2> before = doc.form.WorkImage;
  for (int turn = 0; turn < 4; ++turn) {
    doc.form.SelectionRotateFree(kAntiClockwise);
    if (turn == 0) {
      EXPECT_EQ(doc.At(0, 0), TransformFixture::Numbered(31, 0));
    }
  }
  EXPECT_EQ(doc.form.WorkImage, before);
  EXPECT_EQ(doc.form.UndoCount(), 4);
  EXPECT_FALSE(doc.form.HasSelection);
  doc.form.Undo();
  EXPECT_EQ(doc.At(0, 0), TransformFixture::Numbered(0, 31));  // three turns left: clockwise once
}

TEST(WholeFrameRotation, AQuarterTurnSwapsTheSidesScalesTheCentreAndReachesTheFile) {
  TransformFixture doc(40, 20, 10, 5);
  doc.form.SelectionRotateFree(kClockwise);
  EXPECT_EQ(doc.form.FrameRec.Width, 20);
  EXPECT_EQ(doc.form.FrameRec.Height, 40);
  EXPECT_EQ(doc.form.FrameRec.CentreX, 5);
  EXPECT_EQ(doc.form.FrameRec.CentreY, 10);
  // Clockwise: the source's bottom-left pixel is now the top-left one.
  EXPECT_EQ(doc.At(0, 0), TransformFixture::Numbered(0, 19));
  EXPECT_EQ(doc.At(19, 39), TransformFixture::Numbered(39, 0));
  doc.form.ShowFrame(1);
  const TBAMFrame saved = doc.form.BAM.GetFrame(0);
  EXPECT_EQ(saved.Width, 20);
  EXPECT_EQ(saved.Height, 40);
  EXPECT_EQ(IndexAt(doc.form.BAM, 0, 19, 0), TransformFixture::Numbered(0, 0));
}

TEST(WholeFrameRotation, FortyFiveDegreesGrowsTheFrameWithTransparentCorners) {
  TransformFixture doc(10, 10, 5, 5);
  doc.form.SelectionRotateFree(std::numbers::pi_v<long double> / 4);
  EXPECT_EQ(doc.form.FrameRec.Width, 14);
  EXPECT_EQ(doc.form.FrameRec.Height, 14);
  EXPECT_EQ(doc.form.FrameRec.CentreX, 7);
  EXPECT_EQ(doc.At(0, 0), 0);
  EXPECT_EQ(doc.form.WorkImage[0].GetPixel(13, 13), doc.form.BAM.GetTransCol());
  EXPECT_NE(doc.At(7, 7), 0);
}

TEST(WholeFrameMirror, ReflectAndFlipAreOneUndoStepEach) {
  TransformFixture doc(6, 4, 1, 1);
  doc.form.SelectionMirror();
  EXPECT_EQ(doc.At(0, 0), TransformFixture::Numbered(5, 0));
  EXPECT_EQ(doc.form.UndoCount(), 1);
  doc.form.SelectionFlip();
  EXPECT_EQ(doc.At(0, 0), TransformFixture::Numbered(5, 3));
  EXPECT_EQ(doc.form.UndoCount(), 2);
  EXPECT_EQ(doc.form.FrameRec.CentreX, 1);  // mirroring leaves the centre point alone
  doc.form.Undo();
  EXPECT_EQ(doc.At(0, 0), TransformFixture::Numbered(5, 0));
  doc.form.ShowFrame(1);
  EXPECT_EQ(IndexAt(doc.form.BAM, 0, 0, 0), TransformFixture::Numbered(5, 0));
}

// An L of three pixels in a 6 x 4 frame: (1, 1), (1, 2), (2, 2). Reflected in its 2 x 2 box it
// becomes (2, 1), (2, 2), (1, 2); the pixel it leaves shows the background.
TEST(SelectionMirror, ReflectsInItsBoxFloatsAndReachesTheFrameWhenAnotherIsShown) {
  TransformFixture doc(6, 4, 1, 1);
  doc.options.BackgroundIndex = 9;
  doc.Select([](int x, int y) { return (x == 1 && y == 1) || (y == 2 && (x == 1 || x == 2)); });
  doc.form.SelectionMirror();
  EXPECT_EQ(doc.At(2, 1), TransformFixture::Numbered(1, 1));
  EXPECT_EQ(doc.At(1, 2), TransformFixture::Numbered(2, 2));
  EXPECT_EQ(doc.At(1, 1), 9);
  EXPECT_EQ(doc.At(2, 0), TransformFixture::Numbered(2, 0));
  EXPECT_TRUE(doc.form.HasSelection);
  EXPECT_EQ(doc.form.UndoCount(), 0);  // it floats until something fixes it
  doc.form.ShowFrame(1);
  doc.form.ShowFrame(0);
  EXPECT_EQ(doc.At(2, 1), TransformFixture::Numbered(1, 1));
  EXPECT_EQ(doc.At(1, 1), 9);
  EXPECT_EQ(doc.form.UndoCount(), 1);  // fixed as a step, which showing frames keeps
}

TEST(SelectionRotation, KeepsTheBoxCornerAndFrameSizeAndFourTurnsRestoreIt) {
  TransformFixture doc(10, 8, 5, 4);
  doc.options.BackgroundIndex = 9;
  doc.Select([](int x, int y) { return x >= 3 && x < 7 && y >= 2 && y < 4; });  // 4 x 2 at (3, 2)
  doc.form.SelectionRotateFree(kAntiClockwise);
  EXPECT_EQ(doc.form.FrameRec.Width, 10);
  EXPECT_EQ(doc.form.FrameRec.Height, 8);
  // Now 2 x 4 at (3, 2): its top-left pixel is the old top-right one.
  EXPECT_EQ(doc.At(3, 2), TransformFixture::Numbered(6, 2));
  EXPECT_EQ(doc.At(4, 5), TransformFixture::Numbered(3, 3));
  EXPECT_EQ(doc.At(6, 2), 9);
  EXPECT_EQ(doc.At(3, 6), TransformFixture::Numbered(3, 6));
  for (int turn = 0; turn < 3; ++turn) doc.form.SelectionRotateFree(kAntiClockwise);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_EQ(doc.At(x, y), TransformFixture::Numbered(x, y));
  // Showing another frame bakes the result in: the file holds it.
  doc.form.SelectionRotateFree(kClockwise);
  doc.form.ShowFrame(1);
  EXPECT_EQ(IndexAt(doc.form.BAM, 0, 3, 2), TransformFixture::Numbered(3, 3));
  EXPECT_EQ(IndexAt(doc.form.BAM, 0, 4, 2), TransformFixture::Numbered(3, 2));
  EXPECT_EQ(IndexAt(doc.form.BAM, 0, 5, 2), 9);
  // Diagonal turns of a floating selection do not pile canvas upon canvas.
  doc.Select([](int x, int y) { return x >= 3 && x < 7 && y >= 2 && y < 4; });
  for (int turn = 0; turn < 8; ++turn) {
    doc.form.SelectionRotateFree(std::numbers::pi_v<long double> / 4);
  }
  EXPECT_LT(doc.form.SelMask.Width(), 20);
}

// A quarter turn moves every selected pixel exactly once, whatever the parities of the frame
// and of the box and wherever the box lies (also across the frame's middle row and column):
// compared here with a turn done by hand.
TEST(SelectionRotation, QuarterTurnsAreExactForEveryParityAndPlace) {
  constexpr int kBackground = 253;  // no numbered pixel has it
  for (const Size frame : {Size{12, 21}, Size{11, 21}, Size{12, 20}, Size{11, 20}}) {
    for (const Size box : {Size{6, 4}, Size{5, 4}, Size{6, 3}, Size{5, 3}}) {
      for (const Point corner : {Point{2, 6}, Point{3, 7}, Point{0, 0}, Point{5, 9}}) {
        for (const bool clockwise : {true, false}) {
          TransformFixture doc(frame.width, frame.height, 3, 3);
          doc.options.BackgroundIndex = kBackground;
          const auto inside = [&](int x, int y) {
            return x >= corner.x && x < corner.x + box.width && y >= corner.y &&
                   y < corner.y + box.height;
          };
          doc.Select(inside);
          doc.form.SelectionRotateFree(clockwise ? kClockwise : kAntiClockwise);
          for (int y = 0; y < frame.height; ++y) {
            for (int x = 0; x < frame.width; ++x) {
              // (u, v): the position in the turned box, box.height wide and box.width high.
              const int u = x - corner.x, v = y - corner.y;
              int expected = inside(x, y) ? kBackground : TransformFixture::Numbered(x, y);
              if (u >= 0 && u < box.height && v >= 0 && v < box.width) {
                expected =
                    clockwise
                        ? TransformFixture::Numbered(corner.x + v, corner.y + box.height - 1 - u)
                        : TransformFixture::Numbered(corner.x + box.width - 1 - v, corner.y + u);
              }
              ASSERT_EQ(doc.At(x, y), expected)
                  << frame.width << "x" << frame.height << " frame, " << box.width << "x"
                  << box.height << " box at " << corner.x << "," << corner.y
                  << (clockwise ? " clockwise" : " anticlockwise") << ", pixel " << x << "," << y;
            }
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace celwright::testing
