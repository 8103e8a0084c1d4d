#include <gtest/gtest.h>

#include "document/document_test_util.h"
#include "document/work_image_render.h"
#include "support/palette_adjust.h"

namespace celwright::testing {
namespace {

RGBTriple ShownAt(const TBAMForm& form, int x, int y) {
  return ToTriple(form.WorkImage[0].GetPixel(x, y));
}

TEST(PaletteCommands, PreviewAndCancelKeepHistoryAndRestoreExactly) {
  DocumentFixture doc(1);
  doc.form.ShowFrame(0);
  doc.Edit(0, 0, 40);
  doc.Edit(1, 0, 41);
  const Palette256 saved = doc.form.BAM.Palette;
  const std::vector<std::uint8_t> frame_before = doc.form.BAM.Data;

  const Palette256 balanced = ColorizePalette(saved, 50, 0, 0);
  doc.form.PreviewPalette(balanced);
  doc.form.PreviewPalette(ColorizePalette(saved, 50, 0, 0));
  EXPECT_EQ(doc.form.BAM.Palette, balanced);
  EXPECT_EQ(ShownAt(doc.form, 0, 0), balanced[40]);  // the frame shows the preview
  EXPECT_EQ(ShownAt(doc.form, 2, 0), balanced[10]);

  doc.form.PreviewPalette(saved);  // Cancel
  EXPECT_EQ(doc.form.BAM.Palette, saved);
  EXPECT_EQ(ShownAt(doc.form, 0, 0), saved[40]);
  EXPECT_EQ(doc.form.UndoCount(), 2);
  EXPECT_EQ(doc.form.WorkImage[1].Row(0)[1], 41);  // edits untouched
  EXPECT_EQ(doc.form.BAM.Data, frame_before);
  EXPECT_GT(doc.hosts.palette_changed, 0);
}

// A palette change is a step of the frame's history: Undo and Redo take it back and forth and
// leave the paint steps around it alone.
TEST(PaletteCommands, RecordedChangeMarksModifiedKeepsEditsAndCanBeUndone) {
  DocumentFixture doc(1);
  doc.form.ShowFrame(0);
  doc.Edit(0, 0, 40);
  doc.form.Modified = false;
  const Palette256 before = doc.form.BAM.Palette;
  const Palette256 negative = NegativePalette(before);
  doc.form.BAM.Palette = negative;
  doc.form.RecordPaletteChange();
  EXPECT_TRUE(doc.form.Modified);
  EXPECT_EQ(ShownAt(doc.form, 1, 0), negative[10]);
  EXPECT_EQ(doc.form.UndoCount(), 2);

  doc.form.Undo();
  EXPECT_EQ(doc.form.BAM.Palette, before);
  EXPECT_EQ(ShownAt(doc.form, 1, 0), before[10]);
  EXPECT_EQ(ShownAt(doc.form, 0, 0), before[40]);  // the paint step stays
  doc.form.Redo();
  EXPECT_EQ(doc.form.BAM.Palette, negative);
  EXPECT_EQ(ShownAt(doc.form, 0, 0), negative[40]);
  doc.form.ShowFrame(0);
  EXPECT_EQ(IndexAt(doc.form.BAM, 0, 0, 0), 40);
}

TEST(PaletteCommands, DisplayColoursReachPalettedDocumentsOnly) {
  DocumentFixture doc(1);
  doc.form.ShowFrame(0);
  doc.Edit(0, 0, 0);  // a transparent pixel
  EXPECT_TRUE(doc.form.ApplyDisplayColours(MakeColor(1, 2, 3), MakeColor(4, 5, 6), true, true));
  EXPECT_EQ(ShownAt(doc.form, 0, 0), (RGBTriple{1, 2, 3}));
  EXPECT_EQ(doc.form.UndoCount(), 1);

  doc.form.ConvertBAMType(kUnpalettedBAM, {});
  const TColor data_trans = doc.form.BAM.TransCol;
  EXPECT_FALSE(doc.form.ApplyDisplayColours(MakeColor(9, 9, 9), MakeColor(8, 8, 8), true, true));
  EXPECT_EQ(doc.form.BAM.TransCol, data_trans);
}

TEST(PaletteCommands, ConversionBothWaysReportsProgressAndMarksModified) {
  DocumentFixture doc(3);
  doc.form.ShowFrame(1);
  doc.Edit(0, 0, 77);
  const Palette256 palette = doc.form.BAM.Palette;
  std::vector<std::uint8_t> stages;
  const TProgressEvent progress = [&](std::int32_t, std::int32_t, std::uint8_t stage) {
    stages.push_back(stage);
  };
  doc.form.Modified = false;
  ASSERT_TRUE(doc.form.ConvertBAMType(kUnpalettedBAM, progress));
  EXPECT_EQ(doc.form.BAM.GetBAMType(), kUnpalettedBAM);
  EXPECT_TRUE(doc.form.Modified);
  EXPECT_EQ(stages.back(), kStageFinished);
  EXPECT_EQ(doc.form.CurrentFrame, 1);
  EXPECT_EQ(ShownAt(doc.form, 0, 0), palette[77]);  // the pending edit came along
  EXPECT_FALSE(doc.form.ConvertBAMType(kUnpalettedBAM, progress));

  doc.form.Modified = false;
  stages.clear();
  ASSERT_TRUE(doc.form.ConvertBAMType(kPalettedBAM, progress));
  EXPECT_TRUE(doc.form.Modified);
  EXPECT_EQ(doc.form.BAM.GetBAMType(), kPalettedBAM);
  EXPECT_FALSE(stages.empty());
  EXPECT_EQ(ShownAt(doc.form, 0, 0), palette[77]);
  EXPECT_EQ(ShownAt(doc.form, 2, 0), palette[11]);
}

TEST(PaletteCommands, ConversionOfAPictureKindAsksFirst) {
  DocumentFixture doc(1);
  doc.form.DocType = dtGIF;  // holds paletted pictures only
  doc.form.ShowFrame(0);
  doc.hosts.confirm = false;
  EXPECT_FALSE(doc.form.ConvertBAMType(kUnpalettedBAM, {}));
  EXPECT_EQ(doc.form.BAM.GetBAMType(), kPalettedBAM);
  doc.hosts.confirm = true;
  EXPECT_TRUE(doc.form.ConvertBAMType(kUnpalettedBAM, {}));
  EXPECT_EQ(doc.form.DocType, dtBAM);
}

TEST(PaletteCommands, SetTransparencyRefusesEqualColoursAndAsksOtherwise) {
  DocumentFixture doc(1);
  doc.form.ShowFrame(0);
  doc.form.ConvertBAMType(kUnpalettedBAM, {});
  const TColor trans = doc.form.BAM.TransCol, shadow = doc.form.BAM.ShadowCol;
  doc.form.Modified = false;
  EXPECT_FALSE(doc.form.SetPaletteTransparency(MakeColor(5, 5, 5), MakeColor(5, 5, 5)));
  EXPECT_NE(doc.hosts.questions.back().find("You cannot set the same colour"), std::string::npos);
  doc.hosts.confirm = false;
  EXPECT_FALSE(doc.form.SetPaletteTransparency(MakeColor(1, 1, 1), MakeColor(2, 2, 2)));
  EXPECT_EQ(doc.form.BAM.TransCol, trans);
  EXPECT_EQ(doc.form.BAM.ShadowCol, shadow);
  EXPECT_FALSE(doc.form.Modified);
  doc.hosts.confirm = true;
  EXPECT_TRUE(doc.form.SetPaletteTransparency(MakeColor(1, 1, 1), MakeColor(2, 2, 2)));
  EXPECT_EQ(doc.form.BAM.TransCol, MakeColor(2, 2, 2));
  EXPECT_EQ(doc.form.BAM.ShadowCol, MakeColor(1, 1, 1));
  EXPECT_TRUE(doc.form.Modified);
}

}  // namespace
}  // namespace celwright::testing
