#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <random>

#include "document/document_test_util.h"
#include "document/frames_manager_ops.h"
#include "support/file_io.h"

namespace celwright::testing {
namespace {

std::uint8_t Shown(const TBAMForm& form) { return form.WorkImage[1].Row(0)[0]; }

// The whole animation as a save writes it: frames, sizes, centres, cycles, palette, key.
std::vector<std::uint8_t> Saved(TBAMForm& form) {
  form.CommitPendingEdits();
  const std::string path = ::testing::TempDir() + "history_" + std::to_string(getpid()) + ".bam";
  form.BAM.SaveToFile(path, form.BAM.GetBAMType(), false, false);
  std::vector<std::uint8_t> bytes = ReadWholeFile(path);
  std::filesystem::remove(path);
  return bytes;
}

// Three frames in two cycles, frame 1 shown.
struct HistoryFixture : DocumentFixture {
  HistoryFixture() : DocumentFixture(3) {
    form.BAM.AddCycle(-1);
    form.BAM.AddFrameToCycle(2, 1);
    form.BAM.AddFrameToCycle(0, 1);
    form.LoadPicture = [](const std::string&, std::uint8_t) {
      LoadedPicture loaded;
      loaded.Picture = Bitmap(5, 2);
      for (auto& byte : loaded.Picture.Pixels()) byte = 0x40;
      return loaded;
    };
    form.ShowFrame(1);
  }
};

TEST(History, EveryKindOfChangeUndoesAndRedoesByteForByte) {
  const std::vector<std::pair<std::string, std::function<void(TBAMForm&)>>> changes = {
      {"paint", [](TBAMForm& f) {
         f.WorkImage[1].Row(1)[5] = 77;
         f.ImageChanged = f.HistoryPending = true;
         f.AddHistoryItem();
       }},
      {"size and centre", [](TBAMForm& f) { f.FixFrameSize(1, 0, 3, 2, 9, 4, false, true); }},
      {"insert", [](TBAMForm& f) { f.InsertFrame(1, 0, 0); }},
      {"duplicate", [](TBAMForm& f) { f.DuplicateFrame(0); }},
      {"duplicate in sequence", [](TBAMForm& f) { f.DuplicateFrameInSeq(2, 1, 1); }},
      {"delete shown", [](TBAMForm& f) { f.DeleteFrame(1); }},
      {"delete other", [](TBAMForm& f) { f.DeleteFrame(0); }},
      {"import", [](TBAMForm& f) { f.ImportFrame("x.png", 1, -1, 1, -1); }},
      {"palette", [](TBAMForm& f) {
         f.BAM.Palette[9] = {1, 2, 3};
         f.RecordPaletteChange("Color Balance");
       }},
      {"to unpaletted", [](TBAMForm& f) { f.ConvertBAMType(kUnpalettedBAM, {}); }},
      {"sequences", [](TBAMForm& f) {
         f.RecordChange("Sequences", FrameSpan::Before(0), [&] {
           f.BAM.MoveFrameInCycle(1, 0, 1);
           f.BAM.DeleteCycle(0);
         });
       }},
      {"key", [](TBAMForm& f) {
         f.RecordChange("RLE key", FrameSpan::Before(0), [&] { f.BAM.CompColIndex = 3; });
       }},
      {"frames manager", [](TBAMForm& f) {
         ThumbnailSlots thumbnails;
         DeleteFrames(f, {0, 2}, thumbnails);
       }},
  };
  for (const auto& [label, change] : changes) {
    SCOPED_TRACE(label);
    HistoryFixture doc;
    const std::vector<std::uint8_t> before = Saved(doc.form);
    change(doc.form);
    const std::vector<std::uint8_t> after = Saved(doc.form);
    ASSERT_NE(before, after);
    EXPECT_EQ(doc.form.UndoCount(), 1);
    doc.form.Undo();
    EXPECT_EQ(Saved(doc.form), before);
    EXPECT_FALSE(doc.form.Modified);
    doc.form.Redo();
    EXPECT_EQ(Saved(doc.form), after);
    EXPECT_TRUE(doc.form.Modified);
  }
}

TEST(History, UndoCrossesFramesAndShowsTheFrameItChanged) {
  HistoryFixture doc;
  doc.Edit(0, 0, 50);
  EXPECT_EQ(doc.form.UndoName(), "Edit on frame 1");
  doc.form.ShowFrame(2);
  doc.form.DeleteFrame(0);
  EXPECT_EQ(doc.form.UndoName(), "Delete frame 0");
  doc.form.Undo();
  EXPECT_EQ(doc.form.CurrentFrame, 0);
  EXPECT_EQ(doc.form.BAM.FrameCount(), 3);
  EXPECT_EQ(doc.form.RedoName(), "Delete frame 0");
  doc.form.ShowFrame(2);
  doc.form.Undo();
  EXPECT_EQ(doc.form.CurrentFrame, 1);
  EXPECT_EQ(Shown(doc.form), 11);
  doc.form.Redo();
  EXPECT_EQ(Shown(doc.form), 50);
  const std::vector<HistoryViewItem> items = doc.form.HistoryViewItems();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[1].Label, "Edit on frame 1");
  EXPECT_TRUE(items[1].Current);
  doc.form.JumpInHistory(2);
  EXPECT_EQ(doc.form.BAM.FrameCount(), 2);
  doc.form.JumpInHistory(0);
  EXPECT_EQ(IndexAt(doc.form.BAM, 1, 0, 0), 11);
}

TEST(History, UndoingToTheSavedStateClearsModified) {
  HistoryFixture doc;
  doc.Edit(0, 0, 1);
  doc.form.MarkSaved();
  doc.Edit(0, 0, 2);
  EXPECT_TRUE(doc.form.Modified);
  doc.form.Undo();
  EXPECT_FALSE(doc.form.Modified);
  doc.form.Undo();
  EXPECT_TRUE(doc.form.Modified);
  doc.form.Redo();
  EXPECT_FALSE(doc.form.Modified);
  // A new step after an undo makes the saved state unreachable.
  doc.form.Undo();
  doc.Edit(0, 0, 3);
  doc.form.Undo();
  EXPECT_TRUE(doc.form.Modified);
  EXPECT_EQ(doc.form.RedoCount(), 1);
}

TEST(History, AFloatingSelectionIsFixedAsAStepBeforeUndo) {
  HistoryFixture doc;
  doc.Edit(0, 0, 40);
  doc.form.SelectionAll();
  ASSERT_TRUE(doc.form.NudgeSelection(1, 0));
  EXPECT_EQ(doc.form.UndoCount(), 1);
  EXPECT_TRUE(doc.form.CanUndo());
  doc.form.Undo();  // bakes the selection as a step, then takes exactly that step back
  EXPECT_EQ(Shown(doc.form), 40);
  EXPECT_FALSE(doc.form.HasSelection);
}

TEST(History, MemoryBudgetDropsOldestStepsAndRefusesWhatCannotFit) {
  HistoryFixture doc;
  doc.form.SetHistoryBudget(3000);
  for (int i = 0; i < 40; ++i) doc.Edit(i % 4, 0, static_cast<std::uint8_t>(100 + i));
  EXPECT_LE(doc.form.History().MemoryUsed(), 3000u);
  EXPECT_GT(doc.form.UndoCount(), 2);
  EXPECT_LT(doc.form.UndoCount(), 40);
  while (doc.form.UndoCount() > 0) doc.form.Undo();
  EXPECT_GT(Shown(doc.form), 100);  // the oldest edits are gone for good

  // A step whose frames alone exceed the budget is refused before anything changes.
  doc.form.SetHistoryBudget(10);
  const std::vector<std::uint8_t> before = Saved(doc.form);
  EXPECT_FALSE(doc.form.ConvertBAMType(kUnpalettedBAM, {}));
  EXPECT_EQ(Saved(doc.form), before);
  ASSERT_FALSE(doc.hosts.questions.empty());
  EXPECT_NE(doc.hosts.questions.back().find("not enough memory"), std::string::npos);
  doc.Edit(0, 0, 9);  // refused too: the paint is taken off the frame again
  EXPECT_NE(Shown(doc.form), 9);
  EXPECT_EQ(Saved(doc.form), before);
}

// Random edits and undos against a model that keeps every state whole.
TEST(History, RandomEditsAndUndosMatchFullCopies) {
  HistoryFixture doc;
  std::mt19937 random(26);
  std::vector<std::vector<std::uint8_t>> states{Saved(doc.form)};
  std::size_t position = 0;
  for (int round = 0; round < 300; ++round) {
    TBAMForm& f = doc.form;
    const int count = f.BAM.FrameCount();
    const int frame = static_cast<int>(random() % static_cast<unsigned>(count));
    const unsigned op = random() % 7;
    if (op == 5 || op == 6) {
      const bool back = op == 5;
      if (back ? position == 0 : position + 1 == states.size()) continue;
      back ? f.Undo() : f.Redo();
      back ? --position : ++position;
    } else {
      if (op == 0) {
        f.ShowFrame(frame);
        doc.Edit(static_cast<int>(random() % 4), static_cast<int>(random() % 3),
                 static_cast<std::uint8_t>(random()));
      } else if (op == 1 && count > 1) {
        f.DeleteFrame(frame);
      } else if (op == 2) {
        f.InsertFrame(frame, 1, 0);
      } else if (op == 3) {
        f.BAM.Palette[random() % 256] = {static_cast<std::uint8_t>(random()), 1, 2};
        f.RecordPaletteChange();
      } else {
        f.ShowFrame(frame);
        f.FixFrameSize(0, 0, 1, 1, 4 + static_cast<int>(random() % 3), 3, false, true);
      }
      if (static_cast<std::size_t>(f.UndoCount()) == position) continue;  // changed nothing
      states.resize(position + 1);
      states.push_back(Saved(f));
      ++position;
      ASSERT_EQ(static_cast<std::size_t>(f.UndoCount()), position);
    }
    ASSERT_EQ(Saved(f), states[position]) << "round " << round;
  }
}

// Frames of a megabyte and more are deflated on a thread of their own, and the side after the
// newest change is taken from the animation only when that change is undone: a walk of edits,
// undos, redos and a new branch must still give back every state byte for byte.
TEST(History, LargeFramesUndoAndRedoByteForByte) {
  TBAM bam;
  bam.NewBAM("large.bam", true);
  bam.AddCycle(-1);
  for (int f = 0; f < 2; ++f) bam.InsertFrame(-1, 0, -1, false);
  std::mt19937 random(30);
  const auto paint = [&](int frame) {
    TBAMFrame info = bam.GetFrame(frame);
    info.Width = 1200;
    info.Height = 1000;
    Bitmap indices(info.Width, info.Height);
    const auto seed = static_cast<std::uint8_t>(random());
    for (int y = 0; y < info.Height; ++y)
      for (int x = 0; x < info.Width; ++x)
        indices.Row(y)[3 * x + 2] = static_cast<std::uint8_t>(2 + (x * seed + y) % 200);
    bam.SetFrameBitmap(frame, indices, info);
  };
  paint(0);
  paint(1);
  const DocumentProperties properties = DocumentProperties::Of(bam, 0);
  DocumentHistory history;
  history.Reset(bam, properties);
  std::vector<std::vector<std::uint8_t>> states{bam.Data};
  const auto step = [&](FrameSpan span, const std::vector<int>& frames) {
    ASSERT_TRUE(history.Begin(bam, "Edit", span, frames.front()));
    for (const int frame : frames) paint(frame);
    ASSERT_TRUE(history.End(bam, properties, frames.front()));
    states.push_back(bam.Data);
  };
  DocumentProperties moved = properties;
  // Undoes every step, then redoes `redos` of them, checking each state on the way.
  const auto walk = [&](std::size_t redos) {
    for (std::size_t i = states.size() - 1; i > 0; --i) {
      ASSERT_TRUE(history.Undo(bam, moved));
      EXPECT_EQ(bam.Data, states[i - 1]) << "state " << i - 1;
    }
    for (std::size_t i = 1; i <= redos; ++i) {
      ASSERT_TRUE(history.Redo(bam, moved));
      EXPECT_EQ(bam.Data, states[i]) << "state " << i;
    }
  };
  step(FrameSpan::One(0), {0});
  step(FrameSpan::All(), {0, 1});
  step(FrameSpan::One(1), {1});
  walk(2);
  // A new step ends the redo branch (the third step) and keeps the other two.
  states.resize(3);
  step(FrameSpan::One(0), {0});
  walk(3);
  EXPECT_FALSE(history.Redo(bam, moved));
}

}  // namespace
}  // namespace celwright::testing
