// The onion skin: neighbours of the sequence faintly under the current frame, display only.
#include <gtest/gtest.h>

#include "document/document_test_util.h"

namespace celwright {
namespace {

using testing::DocumentFixture;

void SetFrame(TBAM& bam, int frame, int centre_x,
              const std::function<std::uint8_t(int)>& index_at) {
  TBAMFrame info = bam.GetFrame(frame);
  info.CentreX = centre_x;
  Bitmap indices(info.Width, info.Height, PixelFormat::Bits8);
  for (int y = 0; y < info.Height; ++y)
    for (int x = 0; x < info.Width; ++x) indices.SetIndex(x, y, index_at(x));
  bam.SetFrameBitmap(frame, indices, info);
}

TColor ViewPixel(const TBAMForm& form, int fx, int fy) {
  return form.ViewImage.GetPixel(form.ImageOrigin.X + fx, form.ImageOrigin.Y + fy);
}

TColor Expected(TColor plain, TColor own, TColor tint, int alpha) {
  auto channel = [&](std::uint8_t (*of)(TColor)) {
    const int under = (of(own) + of(tint)) / 2;
    return static_cast<std::uint8_t>((of(plain) * (256 - alpha) + under * alpha) >> 8);
  };
  return MakeColor(channel(RedOf), channel(GreenOf), channel(BlueOf));
}

TEST(OnionSkin, NeighboursShowByTheirCentresUnderTransparentPixelsOnly) {
  DocumentFixture doc(3);  // frames 4, 5, 6 wide, 3 high, all in cycle 0
  TBAM& bam = doc.form.BAM;
  // Frame 0 (before) sits on the current frame's centre, covering its columns 0 to 3; frame 2
  // (after), centred at x 5, covers columns 0 and 1 only. The current frame is transparent but
  // for its top-left pixel.
  SetFrame(bam, 0, 1, [](int) { return 10; });
  SetFrame(bam, 1, 1, [](int x) { return x == 0 ? 11 : 0; });
  SetFrame(bam, 2, 5, [](int) { return 12; });
  doc.options.SelectedSequence = 0;
  doc.form.ShowFrame(1);
  const std::vector<std::uint8_t> data_before = bam.Data;
  const int undo_before = doc.form.UndoCount();
  const Bitmap plain = doc.form.ViewImage;
  const TColor transparent_shown = ViewPixel(doc.form, 3, 1);

  doc.options.OnionSkin.Enabled = true;
  doc.form.RedrawImage(false);
  const OnionSkinOptions& onion = doc.options.OnionSkin;
  EXPECT_EQ(ViewPixel(doc.form, 3, 1),
            Expected(transparent_shown, ToColor(bam.Palette[10]), onion.BeforeTint, 104));
  EXPECT_EQ(ViewPixel(doc.form, 1, 2),
            Expected(transparent_shown, ToColor(bam.Palette[12]), onion.AfterTint, 104));
  EXPECT_EQ(ViewPixel(doc.form, 4, 1), transparent_shown);         // no neighbour there
  EXPECT_EQ(ViewPixel(doc.form, 0, 0), ToColor(bam.Palette[11]));  // the frame's own pixel

  // Display only: the frame, the history and what would be saved stay as they were.
  EXPECT_EQ(bam.Data, data_before);
  EXPECT_EQ(doc.form.UndoCount(), undo_before);
  EXPECT_FALSE(doc.form.ImageChanged);

  doc.options.OnionSkin.Enabled = false;
  doc.form.RedrawImage(false);
  EXPECT_EQ(doc.form.ViewImage, plain);
}

TEST(OnionSkin, UnpalettedAndTrueColourNeighboursShowTheirOwnColours) {
  for (const std::uint8_t kind : {kUnpalettedBAM, kTrueColourBAM}) {
    DocumentFixture doc(3);
    TBAM& bam = doc.form.BAM;
    SetFrame(bam, 0, 1, [](int) { return 10; });
    SetFrame(bam, 1, 1, [](int x) { return x == 0 ? 11 : 0; });
    SetFrame(bam, 2, 5, [](int) { return 12; });
    const TColor own = ToColor(bam.Palette[10]);
    bam.SetBAMType(kind);
    doc.options.SelectedSequence = 0;
    doc.form.ShowFrame(1);
    const TColor transparent_shown = ViewPixel(doc.form, 3, 1);
    doc.options.OnionSkin.Enabled = true;
    doc.form.RedrawImage(false);
    EXPECT_EQ(ViewPixel(doc.form, 3, 1),
              Expected(transparent_shown, own, doc.options.OnionSkin.BeforeTint, 104))
        << int{kind};
  }
}

TEST(OnionSkin, ANeighbourShowsWholeBeyondTheCurrentFramesBox) {
  DocumentFixture doc(3);
  TBAM& bam = doc.form.BAM;
  SetFrame(bam, 1, 1, [](int) { return 0; });  // the current frame, 5 wide, all transparent
  // The next frame is 20 wide around its centre at x 8: it reaches 7 columns left of the
  // current frame and 7 beyond its right edge.
  TBAMFrame wide = bam.GetFrame(2);
  wide.Width = 20;
  wide.CentreX = 8;
  Bitmap indices(wide.Width, wide.Height, PixelFormat::Bits8);
  for (int y = 0; y < wide.Height; ++y)
    for (int x = 0; x < wide.Width; ++x) indices.SetIndex(x, y, 12);
  bam.SetFrameBitmap(2, indices, wide);
  doc.options.SelectedSequence = 0;
  doc.options.OnionSkin.Before = 0;
  doc.form.ShowFrame(1);
  const Bitmap plain = doc.form.ViewImage;
  doc.options.OnionSkin.Enabled = true;
  doc.form.RedrawImage(false);
  const ViewPoint o = doc.form.ImageOrigin;
  for (const int fx : {-6, 2, 11}) {
    EXPECT_EQ(ViewPixel(doc.form, fx, 1),
              Expected(plain.GetPixel(o.X + fx, o.Y + 1), ToColor(bam.Palette[12]),
                       doc.options.OnionSkin.AfterTint, 104))
        << fx;
  }
  EXPECT_EQ(ViewPixel(doc.form, -8, 1), plain.GetPixel(o.X - 8, o.Y + 1));  // past its end
}

TEST(OnionSkin, MagnifiedWithGridAndTransparencyLeavesGridLinesAndChecksEveryBlock) {
  DocumentFixture doc(3);
  TBAM& bam = doc.form.BAM;
  SetFrame(bam, 1, 1, [](int) { return 0; });
  doc.options.SelectedSequence = 0;
  doc.options.ShowGrid = true;
  doc.options.MagnificationIndex = 2;  // 9 times: blocks straddle the checkerboard's bands
  doc.form.ViewTransparency = true;
  doc.form.FormResize({400, 200, 400, 200});
  doc.form.MagnificationChanged();
  doc.form.ShowFrame(1);
  const Bitmap plain = doc.form.ViewImage;
  doc.options.OnionSkin.Enabled = true;
  doc.form.RedrawImage(false);
  const int zoom = doc.form.Zoom;
  ASSERT_EQ(zoom, 9);
  const ViewPoint o = doc.form.ImageOrigin;
  const OnionSkinOptions& onion = doc.options.OnionSkin;
  for (int vy = 0; vy < 3 * zoom; ++vy) {
    for (int vx = 0; vx < 4 * zoom; ++vx) {
      const TColor before = plain.GetPixel(o.X + vx, o.Y + vy);
      const TColor after = doc.form.ViewImage.GetPixel(o.X + vx, o.Y + vy);
      if (vx % zoom == 0 || vy % zoom == 0) {
        ASSERT_EQ(after, before) << vx << "," << vy;
      } else {
        ASSERT_EQ(after, Expected(before, ToColor(bam.Palette[12]), onion.AfterTint, 104))
            << vx << "," << vy;
      }
    }
  }
}

}  // namespace
}  // namespace celwright
