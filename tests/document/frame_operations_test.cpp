#include <gtest/gtest.h>

#include <stdexcept>

#include "document/document_test_util.h"
#include "document/frame_transfer.h"

namespace celwright::testing {
namespace {

TEST(FrameOperations, InsertShowsABlankFrameOfItsNeighboursSize) {
  DocumentFixture doc(2);
  doc.form.ShowFrame(0);
  doc.form.InsertFrame(-1, 0, -1);
  EXPECT_EQ(doc.form.CurrentFrame, 2);
  EXPECT_EQ(doc.form.FrameRec.Width, 5);
  EXPECT_EQ(IndexAt(doc.form.BAM, 2, 0, 0), 0);
  EXPECT_TRUE(doc.form.Modified);
  EXPECT_EQ(doc.form.BAM.GetCycle(0).Count, 3);
}

TEST(FrameOperations, DuplicateInASequenceShowsTheCopy) {
  DocumentFixture doc(3);
  doc.form.ShowFrame(0);
  doc.form.DuplicateFrameInSeq(1, 0, 0);
  EXPECT_EQ(doc.form.CurrentFrame, 1);
  EXPECT_EQ(IndexAt(doc.form.BAM, 1, 0, 0), 11);
  EXPECT_EQ(IndexAt(doc.form.BAM, 2, 0, 0), 11);
  EXPECT_EQ(doc.form.BAM.GetCycle(0).Frames[0], 1);
}

// Frames pasted from another animation: entries where this palette shows the copied colour,
// transparent and shadow kept, centre kept, one undoable step; an unpaletted one takes colours.
TEST(FrameOperations, PastedFramesLookAsCopiedOnAnyPalette) {
  DocumentFixture source(2);
  TBAMFrame info = source.form.BAM.GetFrame(1);
  Bitmap pixels(info.Width, info.Height);
  for (int y = 0; y < info.Height; ++y)
    for (int x = 0; x < info.Width; ++x) pixels.Row(y)[3 * x + 2] = static_cast<std::uint8_t>(x < 2 ? x : 11);
  source.form.BAM.SetFrameBitmap(1, pixels, info);
  const std::vector<CopiedFrame> copies = CopyFrames(source.form.BAM, {1, 7});
  ASSERT_EQ(copies.size(), 1u);  // no frame 7 to copy

  DocumentFixture target(1);
  for (int i = 2; i < 256; ++i) target.form.BAM.Palette[i] = source.form.BAM.Palette[(i + 5) % 256];
  target.form.ShowFrame(0);
  EXPECT_EQ(target.form.PasteFrames(copies), 1);
  ASSERT_EQ(target.form.BAM.FrameCount(), 2);
  EXPECT_EQ(target.form.BAM.GetFrame(1).Width, 5);
  EXPECT_EQ(target.form.BAM.GetFrame(1).CentreX, 1);
  EXPECT_EQ(IndexAt(target.form.BAM, 1, 0, 0), 0);
  EXPECT_EQ(IndexAt(target.form.BAM, 1, 1, 0), 1);
  EXPECT_EQ(IndexAt(target.form.BAM, 1, 2, 0), 6);  // the target shows colour 11 at entry 6
  EXPECT_TRUE(target.form.Modified);
  target.form.Undo();
  EXPECT_EQ(target.form.BAM.FrameCount(), 1);
  target.form.Redo();
  EXPECT_EQ(IndexAt(target.form.BAM, 1, 2, 0), 6);

  DocumentFixture unpaletted(1);
  unpaletted.form.ConvertBAMType(kUnpalettedBAM, {});
  unpaletted.form.PasteFrames(copies);
  Bitmap colours;
  unpaletted.form.BAM.GetFrameBitmap(1, colours, nullptr);
  EXPECT_EQ(colours.GetPixel(2, 0), ToColor(source.form.BAM.Palette[11]));

  // Into a true-colour animation transparent and shadow become alpha; back out of it, entries.
  DocumentFixture true_colour(1);
  true_colour.form.ConvertBAMType(kTrueColourBAM, {});
  true_colour.form.PasteFrames(copies);
  const Bitmap with_alpha = true_colour.form.BAM.GetFrameAlphaBitmap(1);
  EXPECT_EQ(with_alpha.GetAlpha(0, 0), 0);
  EXPECT_EQ(with_alpha.GetAlpha(1, 0), 128);
  EXPECT_EQ(with_alpha.GetPixel(1, 0), MakeColor(0, 0, 0));
  EXPECT_EQ(with_alpha.GetAlpha(2, 0), 255);
  EXPECT_EQ(with_alpha.GetPixel(2, 0), ToColor(source.form.BAM.Palette[11]));
  EXPECT_EQ(target.form.PasteFrames(CopyFrames(true_colour.form.BAM, {1})), 2);
  EXPECT_EQ(IndexAt(target.form.BAM, 2, 0, 0), 0);
  EXPECT_EQ(IndexAt(target.form.BAM, 2, 1, 0), 1);
  EXPECT_EQ(IndexAt(target.form.BAM, 2, 2, 0), 6);
}

// Dragged frames travel as bytes any program could have written: they come back exactly, and
// anything short, oversized or trailing is refused rather than read past its end.
TEST(FrameOperations, DraggedFramesRoundTripAndDamagedBytesAreRefused) {
  DocumentFixture source(3);
  const std::vector<CopiedFrame> copies = CopyFrames(source.form.BAM, {2, 0});
  const std::vector<std::uint8_t> bytes = EncodeCopiedFrames(copies);
  const auto back = DecodeCopiedFrames(bytes);
  ASSERT_TRUE(back);
  ASSERT_EQ(back->size(), 2u);
  for (std::size_t k = 0; k < 2; ++k) {
    EXPECT_EQ((*back)[k].Colours.Pixels(), copies[k].Colours.Pixels());
    EXPECT_EQ((*back)[k].Indices.Pixels(), copies[k].Indices.Pixels());
    EXPECT_EQ((*back)[k].WithAlpha.Pixels(), copies[k].WithAlpha.Pixels());
    EXPECT_EQ((*back)[k].CentreX, copies[k].CentreX);
    EXPECT_TRUE((*back)[k].Paletted);
  }
  EXPECT_EQ((*back)[0].Colours.Width(), 6);

  std::vector<std::uint8_t> damaged = bytes;
  damaged.pop_back();
  EXPECT_FALSE(DecodeCopiedFrames(damaged));
  damaged = bytes;
  damaged.push_back(0);
  EXPECT_FALSE(DecodeCopiedFrames(damaged));
  damaged = bytes;
  damaged[8] = damaged[9] = damaged[10] = damaged[11] = 0xFF;  // four thousand million frames
  EXPECT_FALSE(DecodeCopiedFrames(damaged));
  damaged = bytes;
  damaged[12 + 8] = damaged[12 + 9] = damaged[12 + 10] = 0xFF;  // a frame wider than any
  EXPECT_FALSE(DecodeCopiedFrames(damaged));
  EXPECT_FALSE(DecodeCopiedFrames({}));
}

TEST(FrameOperations, DeletingTheLastFramesShowsTheNewLastThenNothing) {
  DocumentFixture doc(2);
  doc.form.ShowFrame(1);
  doc.form.DeleteFrame(1);
  EXPECT_EQ(doc.form.CurrentFrame, 0);
  doc.form.DeleteFrame(0);
  EXPECT_EQ(doc.form.CurrentFrame, -1);
  EXPECT_EQ(doc.form.BAM.FrameCount(), 0);
  EXPECT_THROW(doc.form.DeleteFrame(0), EFrameNotExists);
}

LoadedPicture Picture(PixelFormat format, int w, int h) {
  LoadedPicture loaded;
  loaded.Picture.Reset(w, h, format);
  for (int i = 0; i < 256; ++i) {
    loaded.Palette[i] = {static_cast<std::uint8_t>(i), 0, static_cast<std::uint8_t>(255 - i)};
  }
  loaded.Picture.ColorTable() = loaded.Palette;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (format == PixelFormat::Bits8) {
        loaded.Picture.SetIndex(x, y, static_cast<std::uint8_t>(x + 2));
      } else {
        loaded.Picture.SetPixel(x, y, MakeColor(static_cast<std::uint8_t>(x * 8), 250, 6));
      }
    }
  }
  return loaded;
}

TEST(ImportFrame, FirstPictureDecidesTheKindOfAnEmptyDocument) {
  for (PixelFormat format : {PixelFormat::Bits24, PixelFormat::Bits8}) {
    DocumentFixture doc(0);
    doc.form.LoadPicture = [format](const std::string&, std::uint8_t) {
      return Picture(format, 31, 20);
    };
    doc.form.ImportFrame("pic", 1, -1, 0, -1);
    const TBAM& bam = doc.form.BAM;
    ASSERT_EQ(bam.FrameCount(), 1);
    EXPECT_EQ(bam.GetFrame(0).CentreX, 15);
    EXPECT_EQ(bam.GetFrame(0).CentreY, 10);
    Bitmap colours;
    bam.GetFrameBitmap(0, colours, nullptr);
    if (format == PixelFormat::Bits24) {
      EXPECT_EQ(bam.GetBAMType(), kUnpalettedBAM);
      EXPECT_EQ(colours.GetPixel(3, 5), MakeColor(24, 250, 6));
    } else {
      EXPECT_EQ(bam.GetBAMType(), kPalettedBAM);
      EXPECT_EQ(bam.Palette[9], (RGBTriple{9, 0, 246}));
      EXPECT_EQ(IndexAt(bam, 0, 7, 3), 9);
    }
  }
}

// Paletted pictures laid out as the games' palettes keep every index, even where two entries
// share a colour; any other paletted picture is a picture of colours whose opaque black at
// index 0 stays opaque.
TEST(ImportFrame, GameLayoutKeepsIndicesOtherPalettesKeepOpaquePixels) {
  for (const int layout : {0, 1, 2}) {  // entry 0 pure green; entry 0 see-through; neither
    DocumentFixture doc(0);
    doc.form.LoadPicture = [layout](const std::string&, std::uint8_t) {
      LoadedPicture loaded;
      loaded.Picture.Reset(4, 2, PixelFormat::Bits8);
      Palette256& table = loaded.Picture.ColorTable();
      for (int i = 0; i < 256; ++i) table[i] = {static_cast<std::uint8_t>(i), 90, 40};
      table[0] = layout == 0 ? RGBTriple{0, 255, 0} : RGBTriple{0, 0, 0};
      table[12] = table[3];
      if (layout == 1) loaded.Picture.transparent_color = ToColor(table[0]);
      const std::uint8_t indices[] = {0, 1, 3, 12, 200, 0, 12, 3};
      std::copy(std::begin(indices), std::end(indices), loaded.Picture.Pixels().begin());
      loaded.Palette = table;
      return loaded;
    };
    doc.form.BAM.TransCol = MakeColor(0, 151, 151);  // the editor's default display colours
    doc.form.BAM.ShadowCol = MakeColor(255, 104, 104);
    doc.form.ImportFrame("pic", 1, -1, 0, -1);
    doc.form.CommitPendingEdits();
    const TBAM& bam = doc.form.BAM;
    const std::vector<std::uint8_t> got = bam.DecodeFrame(0);
    if (layout < 2) {
      EXPECT_EQ(got, (std::vector<std::uint8_t>{0, 1, 3, 12, 200, 0, 12, 3})) << layout;
      EXPECT_EQ(bam.Palette[12], bam.Palette[3]);
      continue;
    }
    for (std::size_t p = 0; p < got.size(); ++p) EXPECT_GE(got[p], 2) << p;
    EXPECT_EQ(bam.Palette[got[0]], (RGBTriple{0, 0, 0}));
    EXPECT_EQ(bam.Palette[got[3]], bam.Palette[got[2]]);
  }
}

TEST(ImportFrame, MapsIntoAnExistingPaletteCountingDisplayColours) {
  DocumentFixture doc(1);
  doc.form.ShowFrame(0);
  doc.form.LoadPicture = [&doc](const std::string&, std::uint8_t) {
    LoadedPicture loaded;
    loaded.Picture.Reset(3, 1, PixelFormat::Bits24);
    loaded.Picture.SetPixel(0, 0, doc.form.BAM.GetTransCol());
    loaded.Picture.SetPixel(1, 0, MakeColor(40, 215, 30));  // nearest: entry 40 (40, 215, 7)
    loaded.Picture.SetPixel(2, 0, doc.form.BAM.GetShadowCol());
    return loaded;
  };
  doc.form.ImportFrame("pic", 3, 0, -1, -1);
  EXPECT_EQ(doc.form.CurrentFrame, 0);
  EXPECT_EQ(IndexAt(doc.form.BAM, 0, 0, 0), 0);
  EXPECT_EQ(IndexAt(doc.form.BAM, 0, 1, 0), 40);
  EXPECT_EQ(IndexAt(doc.form.BAM, 0, 2, 0), 1);
  EXPECT_EQ(IndexAt(doc.form.BAM, 1, 0, 0), 10);
  EXPECT_EQ(doc.form.BAM.GetBAMType(), kPalettedBAM);
}

TEST(ImportFrame, UnreadablePictureLeavesTheDocumentAlone) {
  DocumentFixture doc(1);
  doc.form.ShowFrame(0);
  doc.form.LoadPicture = [](const std::string&, std::uint8_t) -> LoadedPicture {
    throw std::runtime_error("not a picture");
  };
  EXPECT_THROW(doc.form.ImportFrame("bad", 0, -1, 0, -1), std::runtime_error);
  EXPECT_EQ(doc.form.BAM.FrameCount(), 1);
  EXPECT_FALSE(doc.form.Modified);
}

TEST(FixFrameSize, ShiftsContentAndFillsWhatItUncovers) {
  DocumentFixture doc(1);
  doc.form.ShowFrame(0);
  for (int x = 0; x < 4; ++x) {
    doc.form.WorkImage[1].Row(0)[x] = static_cast<std::uint8_t>(20 + x);
  }
  doc.options.BackgroundIndex = 5;
  doc.form.FixFrameSize(2, 0, 0, 0, 4, 3, false, false);
  const Bitmap& indices = doc.form.WorkImage[1];
  EXPECT_EQ(indices.Row(0)[0], 22);
  EXPECT_EQ(indices.Row(0)[1], 23);
  EXPECT_EQ(indices.Row(0)[2], 5);
  EXPECT_EQ(indices.Row(0)[3], 5);
  EXPECT_EQ(doc.form.UndoCount(), 1);
  doc.form.FixFrameSize(-1, -1, 0, 0, 6, 5, true, true);
  EXPECT_EQ(doc.form.WorkImage[1].Row(1)[1], 22);
  EXPECT_EQ(doc.form.WorkImage[1].Row(0)[0], 0);
  EXPECT_EQ(doc.form.WorkImage[0].GetPixel(5, 4), doc.form.BAM.GetTransCol());
  EXPECT_EQ(doc.form.SelMask.GetIndex(0, 0), 0);  // no selection: the new area is editable
  EXPECT_EQ(doc.form.UndoCount(), 1);
  doc.form.ShowFrame(0);
  EXPECT_EQ(doc.form.BAM.GetFrame(0).Width, 6);
  EXPECT_EQ(IndexAt(doc.form.BAM, 0, 1, 1), 22);
  EXPECT_THROW(doc.form.FixFrameSize(0, 0, 0, 0, -1, 3, true, true), std::invalid_argument);
}

}  // namespace
}  // namespace celwright::testing
