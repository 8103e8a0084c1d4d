#include <gtest/gtest.h>

#include "document/document_test_util.h"

namespace celwright::testing {
namespace {

TEST(ShowFrame, LoadsWorkingImagesAndRecordIntoTheWindow) {
  DocumentFixture doc(3);
  ASSERT_TRUE(doc.form.ShowFrame(2));
  EXPECT_EQ(doc.form.CurrentFrame, 2);
  EXPECT_EQ(doc.form.FrameRec.Width, 6);
  EXPECT_EQ(doc.form.WorkImage[1].Row(1)[5], 12);
  EXPECT_EQ(doc.form.WorkImage[0].GetPixel(5, 1), ToColor(doc.form.BAM.Palette[12]));
  EXPECT_TRUE(doc.form.SelMask.Empty());  // nothing selected: the whole frame is editable
  EXPECT_EQ(doc.hosts.caption, "anim.bam (Frame 2)");
  EXPECT_FALSE(doc.form.ImageChanged);
}

TEST(ShowFrame, InvalidIndicesEmptyTheWindow) {
  DocumentFixture doc(2);
  doc.form.ShowFrame(0);
  for (int bad : {-1, 2}) {
    EXPECT_FALSE(doc.form.ShowFrame(bad));
    EXPECT_EQ(doc.form.CurrentFrame, -1);
    EXPECT_EQ(doc.form.FrameRec.Width, 0);
    EXPECT_EQ(doc.log.back(), "SHOW: Aborted (Invalid Frame ID)");
  }
  EXPECT_EQ(doc.form.ViewImage.GetPixel(100, 50), doc.options.WindowColour);
}

// 8448 x 8192 transparent pixels take half a megabyte of runs; decoded they would pass the
// model's limit. The refusal comes before any buffer of that size, and the frame shown stays.
TEST(ShowFrame, AFrameTooLargeToDecodeIsRefusedBeforeItsBuffersAreMade) {
  DocumentFixture doc(1);
  doc.form.ShowFrame(0);
  doc.Edit(0, 0, 40);
  TBAMFrame huge;
  huge.Width = 8448;
  huge.Height = 8192;
  huge.RLE = true;
  std::vector<std::uint8_t> runs;
  for (int i = 0; i < 8448 * 8192 / 256; ++i) runs.insert(runs.end(), {0, 255});
  doc.form.BAM.InsertFrameData(-1, 0, -1, runs, huge);
  EXPECT_THROW(doc.form.ShowFrame(1), FrameTooLargeError);
  EXPECT_EQ(doc.form.CurrentFrame, 0);
  EXPECT_EQ(doc.form.FrameRec.Width, 4);
  EXPECT_EQ(doc.form.WorkImage[0].Width(), 4);
  EXPECT_TRUE(doc.form.SelMask.Empty());
  EXPECT_EQ(doc.form.WorkImage[1].Row(0)[0], 40);
}

TEST(ShowFrame, WritesEditsBackIntoTheFrameBeingLeftEvenForAnEmptyWindow) {
  DocumentFixture doc(3);
  doc.form.ShowFrame(1);
  doc.Edit(2, 1, 99);
  doc.form.WorkImage[1].Row(0)[0] = 98;  // an edit not recorded yet
  doc.form.ImageChanged = true;
  EXPECT_EQ(IndexAt(doc.form.BAM, 1, 0, 0), 11);
  doc.form.ShowFrame(0);
  EXPECT_EQ(IndexAt(doc.form.BAM, 1, 0, 0), 98);
  EXPECT_EQ(IndexAt(doc.form.BAM, 1, 2, 1), 99);
  EXPECT_EQ(IndexAt(doc.form.BAM, 1, 1, 1), 11);
  EXPECT_TRUE(doc.form.Modified);
  doc.Edit(0, 0, 77);
  doc.form.ShowFrame(-1);
  EXPECT_EQ(IndexAt(doc.form.BAM, 0, 0, 0), 77);
}

TEST(ShowFrame, UnpalettedFramesWriteBackTheirColours) {
  DocumentFixture doc(1);
  doc.form.BAM.NewBAM("u.bam", false);
  doc.form.BAM.BAMType = kUnpalettedBAM;
  doc.form.BAM.InsertFrame(-1, 0, -1, false);
  doc.form.ShowFrame(0);
  doc.form.WorkImage[0].SetPixel(3, 4, MakeColor(1, 2, 3));
  doc.form.ImageChanged = true;
  doc.form.ShowFrame(1);
  Bitmap colours;
  doc.form.BAM.GetFrameBitmap(0, colours, nullptr);
  EXPECT_EQ(colours.GetPixel(3, 4), MakeColor(1, 2, 3));
}

// Pending edits must follow the frame they were made on through insertions and deletions.
TEST(PendingEdits, ReachTheEditedFrameAfterAnInsertionBeforeIt) {
  DocumentFixture doc(4);
  doc.form.ShowFrame(2);
  doc.Edit(1, 1, 55);
  doc.form.InsertFrame(0, 0, 0);  // frame 2 becomes frame 3
  doc.form.ShowFrame(1);
  EXPECT_EQ(IndexAt(doc.form.BAM, 3, 1, 1), 55);
  for (int f : {0, 1, 2, 4}) EXPECT_NE(IndexAt(doc.form.BAM, f, 1, 1), 55) << f;
}

TEST(PendingEdits, AreDroppedWithTheirDeletedFrameAndTouchNothingElse) {
  DocumentFixture doc(4);
  doc.form.ShowFrame(1);
  doc.Edit(0, 0, 66);
  doc.form.DeleteFrame(1);
  doc.form.ShowFrame(0);
  ASSERT_EQ(doc.form.BAM.FrameCount(), 3);
  const std::uint8_t expected[] = {10, 12, 13};
  for (int f = 0; f < 3; ++f) {
    EXPECT_EQ(IndexAt(doc.form.BAM, f, 0, 0), expected[f]);
    EXPECT_EQ(doc.form.BAM.GetFrame(f).Width, 4 + expected[f] - 10);
  }
}

TEST(PendingEdits, SurviveDeletingAnotherFrameBeforeIt) {
  DocumentFixture doc(4);
  doc.form.ShowFrame(3);
  doc.Edit(2, 2, 44);
  doc.form.DeleteFrame(0);
  EXPECT_EQ(IndexAt(doc.form.BAM, 2, 2, 2), 44);
  EXPECT_EQ(IndexAt(doc.form.BAM, 2, 0, 0), 13);
}

// The editor's close test covers the answers; a save that fails must keep the document open.
TEST(CloseQuestion, AFailedSaveKeepsTheDocumentOpen) {
  DocumentFixture doc(1);
  doc.form.ShowFrame(0);
  doc.Edit(0, 0, 3);
  doc.form.Modified = true;
  doc.hosts.save_succeeds = false;
  doc.hosts.answers = {PromptAnswer::Yes};
  EXPECT_FALSE(doc.form.CheckCanClose());
  EXPECT_EQ(doc.hosts.saves, 1);
  doc.hosts.save_succeeds = true;
  doc.hosts.answers = {PromptAnswer::Yes};
  EXPECT_TRUE(doc.form.CheckCanClose());
}

TEST(InfoTexts, DescribeFileSequenceAndFrame) {
  DocumentFixture doc(2);
  doc.form.BAM.AddCycle(-1);
  doc.form.ShowFrame(0);
  doc.form.FixFrameSize(0, 0, 16, 16, 32, 32, true, true);
  EXPECT_EQ(doc.form.FileInfo(), "anim.bam\n\nSequences:\t2\t\nFrames:\t\t2\n\nCompressed: \tYes");
  doc.options.SelectedSequence = 0;
  EXPECT_EQ(doc.form.SequenceInfo(), "Sequence #0\n\nFrames:\t2\t\n");
  EXPECT_EQ(doc.form.FrameInfo(),
            "Frame #0\n\nWidth:\t\t32\t\nHeight:\t\t32\nHorizontal Offset:\t16\n"
            "Vertical Offset:\t16\n");
  EXPECT_EQ(doc.hosts.questions.back().substr(0, 11), "Frame Info|");
}

TEST(Playback, StepsThroughTheSelectedCycleAndWrapsButNeverAnEmptyOne) {
  DocumentFixture doc(3);
  doc.form.BAM.MoveFrameInCycle(0, 2, 0);  // plays 2, 0, 1
  EXPECT_FALSE(doc.form.PlaySequence());   // nothing selected
  doc.options.SelectedSequence = 0;
  doc.options.FrameSpeedMs = 120;
  ASSERT_TRUE(doc.form.PlaySequence());
  EXPECT_EQ(doc.hosts.timer_ms, 120);
  std::vector<int> shown;
  for (int i = 0; i < 4; ++i) {
    doc.form.Timer1Timer();
    shown.push_back(doc.form.CurrentFrame);
  }
  EXPECT_EQ(shown, (std::vector<int>{2, 0, 1, 2}));
  doc.form.StopSequence();
  EXPECT_EQ(doc.hosts.timer_ms, 0);
  doc.form.Timer1Timer();
  EXPECT_EQ(doc.form.CurrentFrame, 2);
  // A stored speed of 0 or 1 ms plays at a pace a screen can show, not on a spinning timer.
  for (const int speed : {0, 1, -5}) {
    doc.options.FrameSpeedMs = speed;
    ASSERT_TRUE(doc.form.PlaySequence());
    EXPECT_EQ(doc.hosts.timer_ms, 10);
    doc.form.StopSequence();
  }

  // An empty cycle does not start, and the timer moves nothing.
  doc.form.BAM.AddCycle(-1);
  doc.options.SelectedSequence = 1;
  EXPECT_FALSE(doc.form.PlaySequence());
  EXPECT_EQ(doc.hosts.timer_ms, 0);
  doc.form.Timer1Timer();
  EXPECT_EQ(doc.form.CurrentFrame, 2);
}

}  // namespace
}  // namespace celwright::testing
