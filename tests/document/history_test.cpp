#include <gtest/gtest.h>

#include "document/document_test_util.h"

namespace celwright::testing {
namespace {

std::uint8_t Shown(const TBAMForm& form) { return form.WorkImage[1].Row(0)[2]; }

TEST(History, KeepsTenStepsOfTwelveEdits) {
  DocumentFixture doc(1);
  doc.form.ShowFrame(0);
  for (int i = 1; i <= 12; ++i) doc.Edit(0, 0, static_cast<std::uint8_t>(100 + i));
  EXPECT_EQ(doc.form.UndoCount(), 10);
  for (int i = 0; i < 10; ++i) doc.form.Undo();
  EXPECT_EQ(Shown(doc.form), 102);  // the state after the second edit
  EXPECT_EQ(doc.form.RedoCount(), 10);
  doc.form.Undo();
  EXPECT_EQ(Shown(doc.form), 102);
  EXPECT_EQ(doc.form.UndoCount(), 0);
  doc.form.Redo();
  doc.form.Redo();
  EXPECT_EQ(Shown(doc.form), 104);
}

TEST(History, FirstUndoReturnsToTheFrameAsShown) {
  DocumentFixture doc(2);
  doc.form.ShowFrame(1);
  doc.Edit(0, 0, 50);
  doc.form.Undo();
  EXPECT_EQ(Shown(doc.form), 11);
  EXPECT_TRUE(doc.form.ImageChanged);
  EXPECT_GT(doc.hosts.commands_changed, 0);
}

TEST(History, EditingAfterUndoDropsTheRedoBranch) {
  DocumentFixture doc(1);
  doc.form.ShowFrame(0);
  doc.Edit(0, 0, 1);
  doc.Edit(0, 0, 2);
  doc.form.Undo();
  doc.Edit(0, 0, 3);
  EXPECT_EQ(doc.form.RedoCount(), 0);
  EXPECT_EQ(doc.form.UndoCount(), 2);
  doc.form.Redo();
  EXPECT_EQ(Shown(doc.form), 3);
  doc.form.Undo();
  EXPECT_EQ(Shown(doc.form), 1);
  doc.form.Undo();
  EXPECT_EQ(Shown(doc.form), 10);
}

TEST(History, UndoRestoresSizeCentreAndPalette) {
  DocumentFixture doc(1);
  doc.form.ShowFrame(0);
  doc.form.BAM.Palette[0] = {1, 2, 3};
  doc.form.HistoryPending = true;
  doc.form.AddHistoryItem();
  doc.form.FixFrameSize(1, 0, 5, 6, 9, 8, false, true);
  EXPECT_EQ(doc.form.SelMask.Width(), 9);
  doc.form.Undo();
  EXPECT_EQ(doc.form.FrameRec.Width, 4);
  EXPECT_EQ(doc.form.FrameRec.CentreX, 1);
  EXPECT_EQ(doc.form.WorkImage[0].Width(), 4);
  EXPECT_EQ(doc.form.SelMask.Width(), 4);
  EXPECT_EQ(doc.form.BAM.Palette[0], (RGBTriple{1, 2, 3}));
  doc.form.Undo();
  EXPECT_EQ(doc.form.BAM.Palette[0], (RGBTriple{0, 255, 7}));
  EXPECT_GT(doc.hosts.palette_changed, 0);
}

TEST(History, SwitchingFramesLeavesNothingToUndo) {
  DocumentFixture doc(2);
  doc.form.ShowFrame(0);
  doc.Edit(0, 0, 1);
  doc.form.ShowFrame(1);
  doc.form.ShowFrame(0);
  EXPECT_EQ(doc.form.UndoCount(), 0);
  doc.form.Undo();
  EXPECT_EQ(Shown(doc.form), 1);
}

TEST(History, RecordsOnlyPendingEditsAndListsStepsForTheViewer) {
  DocumentFixture doc(1);
  doc.form.ShowFrame(0);
  doc.form.AddHistoryItem();
  EXPECT_EQ(doc.form.UndoCount(), 0);
  doc.Edit(0, 0, 1);
  doc.Edit(0, 0, 2);
  doc.form.Undo();
  const std::vector<HistoryViewItem> items = doc.form.HistoryViewItems();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].Label, "0");
  EXPECT_EQ(items[0].Indices.Row(0)[2], 2);
  EXPECT_TRUE(items[1].Current);
  EXPECT_EQ(items[2].Colours.Width(), 4);
}

}  // namespace
}  // namespace celwright::testing
