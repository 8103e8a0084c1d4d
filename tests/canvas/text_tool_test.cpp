#include <gtest/gtest.h>

#include "canvas/paint_fixture.h"
#include "canvas/text_block.h"
#include "support/text_art.h"

namespace celwright {
namespace {

using testing::InkCount;
using testing::PaintFixture;

// A wide paletted frame, the text tool chosen, foreground 40 on background 50.
struct TextFixture : PaintFixture {
  TextFixture(bool paletted = true) : PaintFixture(paletted, 160, 64) {
    options.ForegroundIndex = 40;
    options.BackgroundIndex = 50;
    options.Text = "Hq";
    options.TextFont.size = 12;  // 16 pixels
    Choose(ToolKind::Text);
  }
};

TEST(TextTool, BlockSitsOnTheClickAndHighlightFillsItWithTheBackground) {
  TextFixture f;
  f.options.TextHighlight = true;
  const Bitmap before = f.form.WorkImage[1];
  f.Click(10, 20);
  // Shown, not yet written: the preview is on the overlay only.
  EXPECT_EQ(f.form.WorkImage[1], before);
  const Rect r = f.form.Tool.DrawRect;
  EXPECT_EQ(r.top, 12);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(f.form.OverlayImage[1].GetPixel(r.left, r.top), MakeColor(50, 0, 0));
  f.Choose(ToolKind::Pencil);
  int ink = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      const int index = f.IndexAt(x, y);
      ASSERT_TRUE(index == 40 || index == 50) << x << "," << y;
      ink += index == 40;
      EXPECT_EQ(f.ColourAt(x, y), IndexColour(f.form.BAM, index));
    }
  }
  EXPECT_GT(ink, 0);
  EXPECT_EQ(f.IndexAt(10, 11), RedOf(before.GetPixel(10, 11)));
  EXPECT_EQ(f.IndexAt(9, 20), RedOf(before.GetPixel(9, 20)));
  EXPECT_EQ(f.IndexAt(r.right, 20), RedOf(before.GetPixel(r.right, 20)));
}

TEST(TextTool, WithoutHighlightOnlyLettersChangeAndUnpalettedKeepsItsIndexImageBlank) {
  TextFixture f(false);
  f.options.ForegroundColour = MakeColor(1, 2, 3);
  const std::array<Bitmap, 2> before = f.form.WorkImage;
  f.Click(4, 30);
  const Rect r = f.form.Tool.DrawRect;
  f.Choose(ToolKind::Pencil);
  int ink = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      const TColor now = f.ColourAt(x, y);
      if (now != before[0].GetPixel(x, y)) {
        EXPECT_EQ(now, MakeColor(1, 2, 3));
        ++ink;
      }
    }
  }
  EXPECT_GT(ink, 0);
  EXPECT_LT(ink, r.Width() * r.Height() / 2);
  EXPECT_EQ(f.form.WorkImage[1], before[1]);
}

TEST(TextTool, SecondClickFixesTheFirstBlockAndPreviewsTheSecond) {
  TextFixture f;
  const Bitmap before = f.form.WorkImage[1];
  f.Click(4, 12);
  const Rect first = f.form.Tool.DrawRect;
  f.Click(80, 44);
  const Rect second = f.form.Tool.DrawRect;
  EXPECT_GT(TextFixture::Changed(before, f.form.WorkImage[1], first), 0);
  EXPECT_EQ(TextFixture::Changed(before, f.form.WorkImage[1], second), 0);
  EXPECT_GT(TextFixture::Changed(before, f.form.OverlayImage[1], second), 0);
  EXPECT_EQ(f.form.UndoCount(), 1);
  EXPECT_TRUE(f.form.Tool.TextPending);
}

TEST(TextTool, AFixedTextIsOneUndoStepOfItsOwn) {
  TextFixture f;
  f.Choose(ToolKind::Pencil);
  f.Click(1, 1);
  const Bitmap after_pencil = f.form.WorkImage[1];
  f.Choose(ToolKind::Text);
  f.Click(20, 30);
  f.Choose(ToolKind::Fill);
  EXPECT_EQ(f.form.UndoCount(), 2);
  const Bitmap with_text = f.form.WorkImage[1];
  ASSERT_NE(with_text, after_pencil);
  f.form.Undo();
  EXPECT_EQ(f.form.WorkImage[1], after_pencil);
  f.form.Redo();
  EXPECT_EQ(f.form.WorkImage[1], with_text);

  // Undo while a text is still being placed takes back exactly that text.
  f.Choose(ToolKind::Text);
  f.Click(60, 30);
  f.form.Undo();
  EXPECT_FALSE(f.form.Tool.TextPending);
  EXPECT_EQ(f.form.WorkImage[1], with_text);
}

TEST(TextBlock, LinesStackByTheLineHeightAndTheWidestLineSetsTheWidth) {
  Font font;
  font.size = 20;
  const Bitmap wide = RenderTextMask(font, "Wide line");
  const Bitmap narrow = RenderTextMask(font, "ij");
  const Bitmap block = RenderTextBlock(font, "ij\r\nWide line");
  const int line = MeasureText(font, "").height;
  ASSERT_EQ(block.Width(), wide.Width());
  ASSERT_EQ(block.Height(), 2 * line);
  for (int y = 0; y < line; ++y) {
    for (int x = 0; x < block.Width(); ++x) {
      ASSERT_EQ(block.GetIndex(x, y), x < narrow.Width() ? narrow.GetIndex(x, y) : 1);
      ASSERT_EQ(block.GetIndex(x, line + y), wide.GetIndex(x, y));
    }
  }
  EXPECT_EQ(InkCount(block), InkCount(wide) + InkCount(narrow));
  EXPECT_TRUE(RenderTextBlock(font, "").Empty());
  EXPECT_TRUE(RenderTextBlock(font, "\n\n").Empty());
  // Thousands of lines are cut to a block no taller than the widest one allowed.
  std::string many;
  for (int k = 0; k < 5000; ++k) many += "x\n";
  const Bitmap tall = RenderTextBlock(font, many);
  EXPECT_GT(tall.Height(), kMaxTextWidth - line);
  EXPECT_LE(tall.Height(), kMaxTextWidth);

  // Asked for the second line's rows only, the block keeps its size and draws that line alone.
  const Bitmap part = RenderTextBlock(font, "Wide line\nij\nWide line", line, 2 * line);
  const Bitmap whole = RenderTextBlock(font, "Wide line\nij\nWide line");
  ASSERT_EQ(part.Width(), whole.Width());
  ASSERT_EQ(part.Height(), whole.Height());
  EXPECT_EQ(InkCount(part), InkCount(narrow));
  for (int y = line; y < 2 * line; ++y)
    for (int x = 0; x < part.Width(); ++x) ASSERT_EQ(part.GetIndex(x, y), whole.GetIndex(x, y));
}

}  // namespace
}  // namespace celwright
