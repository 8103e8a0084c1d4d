// The frames manager's operations, the exported frame picture and importing another BAM's
// sequences.
#include <gtest/gtest.h>

#include "document/document_test_util.h"
#include "document/frame_pictures.h"
#include "document/frames_manager_ops.h"
#include "document/sequence_import.h"
#include "model/bam_test_util.h"

namespace celwright {
namespace {

using testing::DocumentFixture;

std::vector<int> Widths(const TBAM& bam) {
  std::vector<int> widths;
  for (int i = 0; i < bam.FrameCount(); ++i) widths.push_back(bam.GetFrame(i).Width);
  return widths;
}

ThumbnailSlots ThumbnailsOf(const TBAM& bam) {
  ThumbnailSlots thumbnails;
  for (int i = 0; i < bam.FrameCount(); ++i)
    thumbnails.push_back(std::make_shared<Thumbnail>(MakeThumbnail(bam, i)));
  return thumbnails;
}

TEST(FramesManager, DeleteAndDuplicateKeepThumbnailsInStepWithFrames) {
  DocumentFixture doc(10);  // frame i is 4 + i wide
  doc.form.ShowFrame(4);
  ThumbnailSlots thumbnails = ThumbnailsOf(doc.form.BAM);

  DeleteFrames(doc.form, {2, 5}, thumbnails);
  EXPECT_EQ(Widths(doc.form.BAM), (std::vector<int>{4, 5, 7, 8, 10, 11, 12, 13}));
  ASSERT_EQ(thumbnails.size(), 8u);
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(thumbnails[i]->image, MakeThumbnail(doc.form.BAM, i).image) << "thumbnail " << i;
  // Frame 5 went first, so "Delete Frame (5)" comes before "(2)".
  std::vector<std::string> deletes;
  for (const std::string& line : doc.log)
    if (line.rfind("BAM : Delete Frame", 0) == 0) deletes.push_back(line);
  ASSERT_EQ(deletes.size(), 2u);
  EXPECT_NE(deletes[0].find("(5)"), std::string::npos);

  DuplicateFrames(doc.form, {3}, thumbnails);
  EXPECT_EQ(doc.form.BAM.FrameCount(), 9);
  EXPECT_EQ(doc.form.BAM.GetFrame(8).Width, doc.form.BAM.GetFrame(3).Width);
  ASSERT_EQ(thumbnails.size(), 9u);
  EXPECT_EQ(thumbnails[8]->image, thumbnails[3]->image);
  EXPECT_TRUE(doc.form.Modified);
}

TEST(FramesManager, AddsInOrderAndKeepsASelectionThatStillExists) {
  DocumentFixture doc(4);
  doc.form.BAM.AddCycle(-1);
  AddFramesToCycle(doc.form, {3, 1}, 1);
  EXPECT_EQ(doc.form.BAM.GetCycle(1).Frames, (TSmallLookup{1, 3}));
  EXPECT_THROW(AddFramesToCycle(doc.form, {0}, 5), EFrameNotExists);

  EXPECT_EQ(SelectionAfterRefresh(3, 8), 3);
  EXPECT_EQ(SelectionAfterRefresh(8, 8), 7);
  EXPECT_EQ(SelectionAfterRefresh(9, 8), -1);
  EXPECT_EQ(SelectionAfterRefresh(-1, 8), -1);
}

TEST(FramesManager, DuplicatesNeverGrowPastWhatABamHolds) {
  EXPECT_NO_THROW(CheckRoomForFrames(60000, 5534));
  EXPECT_THROW(CheckRoomForFrames(60000, 5535), std::runtime_error);
  EXPECT_THROW(CheckRoomForFrames(0, 70000), std::runtime_error);
  DocumentFixture doc(3);
  ThumbnailSlots thumbnails;
  DuplicateFrames(doc.form, {0, 1, 2}, thumbnails);
  EXPECT_EQ(doc.form.BAM.FrameCount(), 6);
}

TEST(FramePictures, PalettedFramesKeepTheirIndicesAndNamesFollowTheDocument) {
  DocumentFixture doc(3);
  const Bitmap picture = FramePicture(doc.form.BAM, 2);
  ASSERT_EQ(picture.Format(), PixelFormat::Bits8);
  EXPECT_EQ(picture.GetIndex(0, 0), 12);
  EXPECT_EQ(ToColor(picture.ColorTable()[0]), doc.form.BAM.GetTransCol());
  EXPECT_EQ(ToColor(picture.ColorTable()[1]), doc.form.BAM.GetShadowCol());

  EXPECT_EQ(ProposedExportName(kUntitledBAM, "_Frame", 0), "Untitled BAM_Frame0");
  EXPECT_EQ(ProposedExportName("/games/walk.bam", "_Frame", 3), "/games/walk_Frame3");
  EXPECT_EQ(ProposedExportName("/games/walk.bam", "_Sequence", 2), "/games/walk_Sequence2");
}

// A source animation: palette entry i is (i, i, i); frame 0 holds transparent, shadow and the
// colours of entries 0 and 1 as opaque pixels elsewhere in its palette; cycles {0, 1, 0} and {1}.
void MakeSource(TBAM& source) {
  source.NewBAM("other.bam", true);
  for (int i = 0; i < 256; ++i) source.Palette[i] = {static_cast<std::uint8_t>(i), 0, 0};
  source.Palette[0] = {0, 255, 0};
  source.Palette[1] = {0, 0, 0};
  source.Palette[7] = {0, 255, 0};  // an opaque pixel in the transparent colour
  source.Palette[8] = {0, 0, 0};    // an opaque pixel in the shadow colour
  source.AddCycle(-1);
  source.AddCycle(-1);
  for (int f = 0; f < 2; ++f) {
    source.InsertFrame(-1, -1, -1, false);
    TBAMFrame info = source.GetFrame(f);
    info.Width = 4;
    info.Height = 1;
    info.CentreX = f;
    Bitmap indices(4, 1, PixelFormat::Bits8);
    const std::uint8_t pixels[] = {0, 1, 7, 8};
    for (int x = 0; x < 4; ++x) indices.SetIndex(x, 0, f == 0 ? pixels[x] : 200);
    source.SetFrameBitmap(f, indices, info);
  }
  for (const int f : {0, 1, 0}) source.AddFrameToCycle(f, 0);
  source.AddFrameToCycle(1, 1);
}

TEST(SequenceImport, AppendsCyclesAndFramesMappedWithoutTouchingTransparentOrShadow) {
  TBAM source;
  MakeSource(source);
  DocumentFixture doc(2);
  TBAM& target = doc.form.BAM;
  target.Palette[0] = {0, 255, 0};
  target.Palette[1] = {0, 0, 0};
  EXPECT_EQ(AppendCyclesOf(target, source), 2);
  ASSERT_EQ(target.FrameCount(), 4);  // each used frame once
  ASSERT_EQ(target.CycleCount(), 3);
  EXPECT_EQ(target.GetCycle(1).Frames, (TSmallLookup{2, 3, 2}));
  EXPECT_EQ(target.GetCycle(2).Frames, (TSmallLookup{3}));
  EXPECT_EQ(target.GetFrame(3).CentreX, 1);
  const std::vector<std::uint8_t> raw = target.DecodeFrame(2);
  EXPECT_EQ(raw[0], 0);
  EXPECT_EQ(raw[1], 1);
  EXPECT_GE(raw[2], 2);  // opaque, however close to the transparent colour
  EXPECT_GE(raw[3], 2);

  TBAM unpaletted;
  unpaletted.NewBAM("u.bam", true);
  unpaletted.SetBAMType(kUnpalettedBAM);
  AppendCyclesOf(unpaletted, source);
  Bitmap colours;
  unpaletted.GetFrameBitmap(0, colours, nullptr);
  EXPECT_EQ(colours.GetPixel(0, 0), unpaletted.GetTransCol());
  EXPECT_EQ(colours.GetPixel(1, 0), unpaletted.GetShadowCol());
  EXPECT_EQ(colours.GetPixel(2, 0), MakeColor(0, 255, 0));

  // Into true colour: transparent is alpha 0, shadow black at half alpha, the rest opaque.
  TBAM true_colour;
  true_colour.NewBAM("t.bam", true);
  true_colour.SetBAMType(kTrueColourBAM);
  AppendCyclesOf(true_colour, source);
  const std::vector<std::uint8_t> rgba = true_colour.DecodeFrame(0);
  EXPECT_EQ(std::vector<std::uint8_t>(rgba.begin(), rgba.begin() + 12),
            (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0, 128, 0, 255, 0, 255}));
}

TEST(FramePictures, TrueColourFramesGiveTheirColoursAndMostlySeeThroughIsTransparent) {
  DocumentFixture doc(1);
  TBAM& bam = doc.form.BAM;
  bam.SetBAMType(kTrueColourBAM);
  Bitmap pixels(3, 1, PixelFormat::Bits32);
  pixels.SetPixelAlpha(0, 0, MakeColor(10, 20, 30), 200);
  pixels.SetPixelAlpha(1, 0, MakeColor(10, 20, 30), 100);
  testing::SetPicture(bam, 0, pixels);
  const Bitmap picture = FramePicture(bam, 0);
  ASSERT_EQ(picture.Format(), PixelFormat::Bits24);
  EXPECT_EQ(picture.GetPixel(0, 0), MakeColor(10, 20, 30));
  EXPECT_EQ(picture.GetPixel(1, 0), bam.GetTransCol());
  EXPECT_EQ(picture.GetPixel(2, 0), bam.GetTransCol());
}

}  // namespace
}  // namespace celwright
