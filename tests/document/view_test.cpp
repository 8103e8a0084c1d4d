#include <gtest/gtest.h>

#include <random>

#include "document/document_test_util.h"
#include "document/view_composer.h"
#include "model/bam_test_util.h"
#include "model/qm_BAM.h"

namespace celwright::testing {
namespace {

TColor ViewPixel(const TBAMForm& form, int vx, int vy) {
  return form.ViewImage.GetPixel(form.ImageOrigin.X + vx, form.ImageOrigin.Y + vy);
}

TEST(RedrawImage, SmallFrameSitsWithItsCentreInTheMiddleWithoutScrollBars) {
  DocumentFixture doc(1);
  doc.form.ShowFrame(0);  // 4 x 3, centre (1, 1)
  EXPECT_EQ(doc.form.ImageOrigin, (ViewPoint{99, 49}));
  EXPECT_FALSE(doc.hosts.horizontal.Visible);
  EXPECT_FALSE(doc.hosts.vertical.Visible);
  EXPECT_EQ(doc.form.ViewImage.Width(), 200);
  EXPECT_EQ(ViewPixel(doc.form, 3, 2), ToColor(doc.form.BAM.Palette[10]));
  // Sizer blocks just outside the top-left corner.
  EXPECT_EQ(ViewPixel(doc.form, -2, -2), doc.options.HighlightColour);
  EXPECT_GT(doc.hosts.repaints, 0);
}

TEST(RedrawImage, GridDrawsOneLineMoreThanBlocksFromTwoHundredPercent) {
  DocumentFixture doc(1);
  doc.options.ShowGrid = true;
  doc.form.ShowFrame(0);
  EXPECT_NE(ViewPixel(doc.form, 0, 0), kGridColour);  // no grid at 100%
  EXPECT_TRUE(doc.form.FormMouseWheelUp());
  EXPECT_EQ(doc.options.MagnificationIndex, 1);
  ASSERT_EQ(doc.form.Zoom, 4);
  int vertical_lines = 0;
  for (int vx = 0; vx <= 4 * 4; ++vx) vertical_lines += ViewPixel(doc.form, vx, 2) == kGridColour;
  int horizontal_lines = 0;
  for (int vy = 0; vy <= 3 * 4; ++vy) horizontal_lines += ViewPixel(doc.form, 2, vy) == kGridColour;
  EXPECT_EQ(vertical_lines, 5);
  EXPECT_EQ(horizontal_lines, 4);
  // The bottom-right resize handle covers the picture's corner.
  EXPECT_EQ(ViewPixel(doc.form, 17, 13), doc.options.HighlightColour);
}

TEST(RedrawImage, TransparencyViewShowsCheckerboardAndShadowsOverIt) {
  DocumentFixture doc(1);
  doc.options.MagnificationIndex = 3;
  doc.form.MagnificationChanged();
  doc.form.ViewTransparency = true;
  doc.form.ShowFrame(0);
  doc.Edit(0, 0, 0);  // transparent
  doc.Edit(1, 0, 0);
  doc.Edit(2, 0, 1);  // shadow
  doc.form.RedrawImage(false);
  EXPECT_EQ(ViewPixel(doc.form, 5, 5), kCheckerSilver);
  EXPECT_EQ(ViewPixel(doc.form, 20, 5), kCheckerWhite);
  EXPECT_EQ(ViewPixel(doc.form, 40, 5), TBAM::ShadowBlend(kCheckerSilver));
  EXPECT_EQ(ViewPixel(doc.form, 40, 20), ToColor(doc.form.BAM.Palette[10]));
}

TEST(RedrawImage, UnpalettedTransparencyComparesColours) {
  DocumentFixture doc(1);
  TBAM& bam = doc.form.BAM;
  bam.NewBAM("u.bam", false);
  bam.BAMType = kUnpalettedBAM;
  bam.InsertFrame(-1, 0, -1, false);  // 32 x 32 of the transparent colour
  doc.form.ViewTransparency = true;
  doc.form.ShowFrame(1);
  doc.form.WorkImage[0].SetPixel(20, 20, bam.GetShadowCol());
  doc.form.WorkImage[0].SetPixel(21, 20, MakeColor(9, 9, 9));
  doc.form.RedrawImage(false);
  EXPECT_EQ(ViewPixel(doc.form, 0, 0), kCheckerSilver);
  EXPECT_EQ(ViewPixel(doc.form, 20, 20), TBAM::ShadowBlend(kCheckerSilver));  // square (1, 1)
  EXPECT_EQ(ViewPixel(doc.form, 21, 20), MakeColor(9, 9, 9));
}

TEST(RedrawImage, TrueColourLiesOverTheCheckerboardWithItsAlpha) {
  DocumentFixture doc(1);
  TBAM& bam = doc.form.BAM;
  bam.SetBAMType(kTrueColourBAM);
  Bitmap picture(32, 32, PixelFormat::Bits32);  // all see-through
  picture.SetPixelAlpha(20, 20, MakeColor(200, 0, 0), 255);
  picture.SetPixelAlpha(21, 20, MakeColor(0, 0, 200), 128);
  SetPicture(bam, 0, picture);
  doc.form.FormResize({400, 300, 400, 300});
  // Alpha needs no switch: the checkerboard shows whether the transparency view is on or off.
  for (int zoom_index : {0, 1}) {
    doc.options.MagnificationIndex = zoom_index;
    doc.form.MagnificationChanged();
    doc.form.ShowFrame(0);
    ASSERT_EQ(doc.form.WorkImage[0].Format(), PixelFormat::Bits32);
    const int zoom = doc.form.Zoom;
    // The squares are 16 view pixels whatever the zoom.
    EXPECT_EQ(ViewPixel(doc.form, 0, 0), kCheckerSilver);
    EXPECT_EQ(ViewPixel(doc.form, 17, 0), kCheckerWhite);
    EXPECT_EQ(ViewPixel(doc.form, 20 * zoom, 20 * zoom), MakeColor(200, 0, 0));
    // Half-transparent blue over a silver square: rounded per channel.
    EXPECT_EQ(ViewPixel(doc.form, 21 * zoom, 20 * zoom), MakeColor(96, 96, 196));
  }
}

TEST(RedrawImage, LargeFrameGetsScrollBarsThatMoveThePicture) {
  DocumentFixture doc(1);
  doc.options.MagnificationIndex = 1;
  doc.form.MagnificationChanged();
  doc.form.ShowFrame(0);
  doc.form.FixFrameSize(0, 0, 50, 1, 100, 3, true, true);
  EXPECT_TRUE(doc.hosts.horizontal.Visible);
  EXPECT_FALSE(doc.hosts.vertical.Visible);
  EXPECT_EQ(doc.hosts.horizontal.SmallChange, 4);
  EXPECT_EQ(doc.hosts.horizontal.Max, 204);
  EXPECT_EQ(doc.form.ImageOrigin.X, 0);
  doc.form.Scroll_Change(10, 0);
  EXPECT_EQ(doc.form.ImageOrigin.X, -10);
  doc.form.Scroll_Change(1000, 0);
  EXPECT_EQ(doc.hosts.horizontal.Position, 204);
  EXPECT_EQ(doc.form.ImageOrigin.X, -204);
  // A small frame whose centre lies far outside it fits once moved: no bar for nothing.
  doc.form.FixFrameSize(0, 0, 30, 1, 4, 3, true, true);
  EXPECT_FALSE(doc.hosts.horizontal.Visible);
  EXPECT_GE(doc.form.ImageOrigin.X, 0);
  EXPECT_LE(doc.form.ImageOrigin.X + 16, 200);
}

// The composer computes only the client area and copies repeated rows; it must show exactly
// what a whole magnified picture, cut to the window, shows.
Bitmap NaiveView(const ViewSources& s, ViewPoint origin, int client_w, int client_h) {
  const int z = s.Zoom, vw = s.Width * z, vh = s.Height * z;
  Bitmap client(client_w, client_h);
  for (int y = 0; y < client_h; ++y) {
    for (int x = 0; x < client_w; ++x) {
      const int vx = x - origin.X, vy = y - origin.Y;
      TColor c = s.WindowColour;
      if (vx >= 0 && vy >= 0 && vx <= vw && vy <= vh) {
        const TColor tile = ((vx / 16 + vy / 16) % 2) ? kCheckerWhite : kCheckerSilver;
        const bool edge = vx == vw || vy == vh, corner = vx == vw && vy == vh;
        if (edge) {
          c = s.Transparency ? tile : s.WindowColour;
          if (!corner && !s.ShowGrid) c = s.WindowColour;
          if (!corner && s.ShowGrid && z > 1) c = kGridColour;
        } else if (s.ShowGrid && z > 1 && (vx % z == 0 || vy % z == 0)) {
          c = kGridColour;
        } else {
          c = s.Colours->GetPixel(vx / z, vy / z);
          const int index = RedOf(s.Indices->GetPixel(vx / z, vy / z));
          if (s.Transparency && index == s.ShadowInd) c = TBAM::ShadowBlend(tile);
          if (s.Transparency && index == s.TranspInd) c = tile;
        }
      }
      client.SetPixel(x, y, c);
    }
  }
  return client;
}

TEST(ComposeView, MatchesTheWholeMagnifiedPictureCutToTheWindow) {
  std::mt19937 random(3);
  Bitmap colours(13, 9), indices(13, 9, PixelFormat::Index8);
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 13; ++x) {
      const std::uint8_t index = static_cast<std::uint8_t>(random() % 4);
      indices.SetPixel(x, y, MakeColor(index, 0, 0));
      colours.SetPixel(x, y, MakeColor(index * 60, 200, 30));
    }
  }
  for (int zoom : {1, 4, 9, 16}) {
    for (bool grid : {false, true}) {
      for (bool transparency : {false, true}) {
        for (ViewPoint origin : {ViewPoint{3, 5}, ViewPoint{-37, -20}, ViewPoint{60, -3}}) {
          ViewSources s{&colours, &indices, 13, 9, zoom, grid, transparency, true, 0, 1,
                        0, 0, MakeColor(1, 2, 3)};
          Bitmap composed(97, 71);
          ComposeView(s, origin, composed);
          ASSERT_EQ(composed, NaiveView(s, origin, 97, 71))
              << "zoom " << zoom << " grid " << grid << " transparency " << transparency
              << " origin " << origin.X << "," << origin.Y;
        }
      }
    }
  }
}

}  // namespace
}  // namespace celwright::testing
