#include <gtest/gtest.h>

#include "model/bam_test_util.h"
#include "model/qm_BAM.h"

namespace celwright {
namespace {

using testing::SetPixels;

class FramePixels : public ::testing::Test {
 protected:
  void SetUp() override {
    bam.NewBAM(kUntitledBAM, true);
    bam.AddCycle(-1);
    bam.Palette[0] = {0, 255, 0};
    bam.Palette[1] = {0, 0, 0};
    bam.Palette[7] = {10, 20, 30};
    bam.TransCol = MakeColor(255, 0, 255);
    bam.ShadowCol = MakeColor(1, 1, 1);
    bam.InsertFrame(-1, 0, -1, false);
    bam.InsertFrame(-1, 0, -1, false);
    // 3x2: transparent, shadow, colour 7 / colour 7, transparent, shadow
    SetPixels(bam, 0, 3, 2, 1, 1, {0, 1, 7, 7, 0, 1});
    SetPixels(bam, 1, 2, 1, 0, 0, {7, 7});
  }
  TBAM bam;
};

TEST_F(FramePixels, PlainDrawingShowsTheDisplayColours) {
  Bitmap picture;
  Bitmap index_image;
  bam.GetFrameBitmap(0, picture, &index_image);
  ASSERT_EQ(picture.Width(), 3);
  EXPECT_EQ(picture.GetPixel(0, 0), bam.TransCol);  // overridden colours by default
  EXPECT_EQ(picture.GetPixel(1, 0), bam.ShadowCol);
  EXPECT_EQ(picture.GetPixel(2, 0), MakeColor(10, 20, 30));
  EXPECT_EQ(index_image.GetPixel(0, 1), MakeColor(7, 0, 0));
  EXPECT_EQ(index_image.GetPixel(2, 1), MakeColor(1, 0, 0));

  bam.OverrideTransCol = false;
  bam.GetFrameBitmap(0, picture, nullptr);
  EXPECT_EQ(picture.GetPixel(0, 0), MakeColor(0, 255, 0));
}

TEST_F(FramePixels, BlendingLetsTheBackgroundThroughAndDarkensShadows) {
  Bitmap canvas(5, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) canvas.SetPixel(x, y, MakeColor(200, 100, 51));
  bam.DrawFrame(0, canvas, 3, 3, nullptr, true);  // partly outside the canvas
  EXPECT_EQ(canvas.GetPixel(3, 3), MakeColor(200, 100, 51));
  EXPECT_EQ(canvas.GetPixel(4, 3), MakeColor(100, 50, 26));
  EXPECT_EQ(canvas.GetPixel(2, 3), MakeColor(200, 100, 51));
  bam.DrawFrame(0, canvas, -2, 0, nullptr, true);  // only the last column lands
  EXPECT_EQ(canvas.GetPixel(0, 0), MakeColor(10, 20, 30));
  EXPECT_EQ(canvas.GetPixel(0, 1), MakeColor(100, 50, 26));
  EXPECT_EQ(canvas.GetPixel(1, 0), MakeColor(200, 100, 51));
  EXPECT_THROW(bam.DrawFrame(2, canvas, 0, 0, nullptr, true), EFrameNotExists);
}

TEST(ShadowBlend, HalvesRoundToEven) {
  EXPECT_EQ(TBAM::ShadowBlend(MakeColor(255, 255, 255)), MakeColor(128, 128, 128));
  EXPECT_EQ(TBAM::ShadowBlend(MakeColor(3, 1, 5)), MakeColor(2, 0, 2));
  EXPECT_EQ(TBAM::ShadowBlend(MakeColor(253, 0, 7)), MakeColor(126, 0, 4));
}

TEST_F(FramePixels, StoringAPictureReplacesOnlyThatFrame) {
  const auto second = bam.DecodeFrame(1);
  Bitmap index_image(4, 4);
  TBAMFrame info = bam.GetFrame(0);
  info.Width = 4;
  info.Height = 4;
  info.CentreX = -3;
  bam.SetFrameBitmap(0, index_image, info);  // all index 0, the key
  const TBAMFrame stored = bam.GetFrame(0);
  EXPECT_TRUE(stored.RLE);
  EXPECT_EQ(stored.DataSize, 2);
  EXPECT_EQ(stored.CentreX, -3);
  EXPECT_EQ(bam.DecodeFrame(1), second);

  Bitmap wrong(3, 3);
  EXPECT_THROW(bam.SetFrameBitmap(0, wrong, info), std::invalid_argument);
}

TEST(UnpalettedPixels, RoundTripAndBlendByColour) {
  TBAM bam;
  testing::NewUnpaletted(bam, MakeColor(0, 255, 0), MakeColor(0, 255, 0));
  bam.InsertFrame(-1, -1, -1, false);
  Bitmap picture(2, 1);
  picture.SetPixel(0, 0, MakeColor(0, 0, 0));
  picture.SetPixel(1, 0, MakeColor(9, 8, 7));
  testing::SetPicture(bam, 0, picture);
  Bitmap back;
  bam.GetFrameBitmap(0, back, nullptr);
  EXPECT_EQ(back, picture);

  Bitmap canvas(2, 1);
  canvas.SetPixel(0, 0, MakeColor(200, 100, 51));
  canvas.SetPixel(1, 0, MakeColor(200, 100, 51));
  bam.DrawFrame(0, canvas, 0, 0, nullptr, true);
  EXPECT_EQ(canvas.GetPixel(0, 0), MakeColor(100, 50, 26));
  EXPECT_EQ(canvas.GetPixel(1, 0), MakeColor(9, 8, 7));
}

TEST(GameFilePixels, DrawWithAndWithoutBlending) {
  TBAM bam;
  ASSERT_TRUE(bam.LoadFromFile(testing::TestFile("CHMB1G11.BAM")));
  bam.OverrideTransCol = bam.OverrideShadowCol = false;
  const TColor background = MakeColor(40, 80, 120);
  int shadows = 0, see_through = 0;
  for (int f = 0; f < bam.FrameCount(); ++f) {
    const TBAMFrame frame = bam.GetFrame(f);
    Bitmap plain, index_image;
    bam.GetFrameBitmap(f, plain, &index_image);
    Bitmap blended(frame.Width, frame.Height);
    for (int y = 0; y < frame.Height; ++y)
      for (int x = 0; x < frame.Width; ++x) blended.SetPixel(x, y, background);
    bam.DrawFrame(f, blended, 0, 0, nullptr, true);
    for (int y = 0; y < frame.Height; ++y) {
      for (int x = 0; x < frame.Width; ++x) {
        const int i = RedOf(index_image.GetPixel(x, y));
        ASSERT_EQ(plain.GetPixel(x, y), ToColor(bam.Palette[i]));
        if (i == 0) {
          ++see_through;
          ASSERT_EQ(blended.GetPixel(x, y), background);
        } else if (i == 1) {
          ++shadows;
          ASSERT_EQ(blended.GetPixel(x, y), MakeColor(20, 40, 60));
        } else {
          ASSERT_EQ(blended.GetPixel(x, y), plain.GetPixel(x, y));
        }
      }
    }
  }
  EXPECT_GT(shadows, 0);
  EXPECT_GT(see_through, 0);
}

}  // namespace
}  // namespace celwright
