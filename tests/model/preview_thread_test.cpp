#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>

#include "model/bam_test_util.h"
#include "model/qm_BAM.h"

namespace celwright {
namespace {

using testing::SetPixels;

// Collects the worker's tasks so the test plays the user-interface thread.
class TaskQueue {
 public:
  std::function<void(std::function<void()>)> Dispatcher() {
    return [this](std::function<void()> task) {
      std::lock_guard lock(mutex_);
      tasks_.push_back(std::move(task));
    };
  }
  void RunAll() {
    std::vector<std::function<void()>> tasks;
    {
      std::lock_guard lock(mutex_);
      tasks.swap(tasks_);
    }
    for (auto& task : tasks) task();
  }

 private:
  std::mutex mutex_;
  std::vector<std::function<void()>> tasks_;
};

TBAM& Document(TBAM& bam, std::initializer_list<std::pair<int, int>> sizes) {
  bam.NewBAM(kUntitledBAM, true);
  bam.TransCol = MakeColor(0, 255, 0);
  bam.Palette[5] = {200, 10, 10};
  int index = 0;
  for (auto [w, h] : sizes) {
    bam.InsertFrame(-1, -1, -1, false);
    SetPixels(bam, index++, w, h, 0, 0, std::vector<std::uint8_t>(w * h, 5));
  }
  return bam;
}

TEST(Thumbnails, WorkerDeliversEveryFrameInOrder) {
  TBAM bam;
  Document(bam, {{4, 4}, {8, 2}, {1, 1}, {5, 9}});
  TaskQueue queue;
  std::vector<int> order;
  std::vector<std::pair<int, int>> progress;
  bool done = false;
  bam.MakePreviews({queue.Dispatcher(), [&](int frame, Thumbnail) { order.push_back(frame); },
                    [&](int position, int max) { progress.emplace_back(position, max); },
                    [&] { done = true; }});
  // Edits while the worker runs cannot disturb it: it reads its own copy.
  bam.DeleteFrame(0);
  bam.DeleteFrame(0);
  bam.PreviewThread->Wait();
  queue.RunAll();
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_TRUE(done);
  EXPECT_FALSE(bam.PreviewsAborted);
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(), std::make_pair(4, 3));
}

TEST(Thumbnails, CancellingStopsAfterTheCurrentFrame) {
  TBAM bam;
  Document(bam, {{4, 4}, {4, 4}, {4, 4}, {4, 4}, {4, 4}});
  int delivered = 0;
  bam.MakePreviews({nullptr,
                    [&](int frame, Thumbnail) {
                      ++delivered;
                      if (frame == 2) bam.CancelPreviews();
                    },
                    nullptr, nullptr});
  bam.PreviewThread->Wait();
  EXPECT_EQ(delivered, 3);
  EXPECT_TRUE(bam.PreviewsAborted);
}

TEST(Thumbnails, ACancelledRunsCompletionNeverFiresDuringTheNextRun) {
  TBAM bam;
  Document(bam, {{4, 4}, {4, 4}, {4, 4}});
  TaskQueue queue;
  std::vector<std::string> events;
  bam.MakePreviews({queue.Dispatcher(), nullptr, nullptr, [&] { events.push_back("first"); }});
  bam.CancelPreviews();
  bam.PreviewThread->Wait();  // its completion now waits in the queue
  bam.MakePreviews({queue.Dispatcher(), nullptr, nullptr, [&] { events.push_back("second"); }});
  bam.PreviewThread->Wait();
  queue.RunAll();
  EXPECT_EQ(events, std::vector<std::string>{"second"});
  EXPECT_FALSE(bam.PreviewsAborted);
}

// On demand only the frames asked for are made; a new request replaces what is not begun, and
// the worker says when it has caught up, then waits until cancelled.
TEST(Thumbnails, OnDemandWorkerMakesOnlyWhatIsAsked) {
  TBAM bam;
  Document(bam, {{4, 4}, {8, 2}, {1, 1}, {5, 9}, {2, 2}});
  TaskQueue queue;
  std::vector<int> made;
  int idle = 0;
  bool done = false;
  bam.MakePreviewsOnDemand({queue.Dispatcher(), [&](int frame, Thumbnail) { made.push_back(frame); },
                            nullptr, [&] { done = true; }},
                           [&] { ++idle; });
  bam.RequestPreviews({3, 1, 7});  // 7 does not exist
  for (int wait = 0; wait < 500 && idle < 1; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    queue.RunAll();
  }
  EXPECT_EQ(idle, 1);
  EXPECT_EQ(made, (std::vector<int>{3, 1}));
  EXPECT_FALSE(done);
  bam.CancelPreviews();
  bam.PreviewThread->Wait();
  queue.RunAll();
  EXPECT_TRUE(done);
  EXPECT_TRUE(bam.PreviewsAborted);
  EXPECT_EQ(made.size(), 2u);
}

TEST(Thumbnails, MaskOnlySeeThroughPixelsNeverWhite) {
  TBAM bam;
  Document(bam, {{2, 2}});
  bam.Palette[5] = {255, 255, 255};
  SetPixels(bam, 0, 2, 2, 0, 0, {5, 5, 0, 5});
  const Thumbnail white = MakeThumbnail(bam, 0);
  EXPECT_EQ(white.mask.GetIndex(0, 0), 0);
  EXPECT_EQ(white.mask.GetIndex(39, 0), 0);
  EXPECT_EQ(white.mask.GetIndex(0, 39), 1);   // entry 0
  EXPECT_EQ(white.mask.GetIndex(39, 39), 0);
}

// The thumbnail as the plain way makes it: the whole frame drawn, each target pixel looked up
// in the drawing, the frame fitted at the top left with its size rounded half to even.
Thumbnail PlainThumbnail(const TBAM& bam, int index) {
  const TBAMFrame frame = bam.GetFrame(index);
  const int size = Thumbnail::kSize;
  Thumbnail plain;
  plain.image.Reset(size, size, PixelFormat::Bits24);
  plain.mask.Reset(size, size, PixelFormat::Bits1);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      plain.image.SetPixel(x, y, bam.GetTransCol());
      plain.mask.SetIndex(x, y, 1);
    }
  }
  if (frame.Width <= 0 || frame.Height <= 0) return plain;
  Bitmap drawn;
  bam.GetFrameBitmap(index, drawn, nullptr);
  const std::vector<std::uint8_t> pixels = bam.DecodeFrame(index);
  const int longest = std::max(frame.Width, frame.Height);
  const int width = static_cast<int>(std::nearbyint(frame.Width * double{size} / longest));
  const int height = static_cast<int>(std::nearbyint(frame.Height * double{size} / longest));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int sx = x * frame.Width / width, sy = y * frame.Height / height;
      const TColor colour = drawn.GetPixel(sx, sy);
      plain.image.SetPixel(x, y, colour);
      plain.mask.SetIndex(x, y, bam.Paletted() ? pixels[sy * frame.Width + sx] == bam.TranspInd
                                               : colour == bam.GetTransCol());
    }
  }
  return plain;
}

TEST(Thumbnails, ShowEveryRealFrameAsDrawnInEveryKind) {
  TBAM bam;
  ASSERT_TRUE(bam.LoadFromFile(testing::TestFile("rabbG11.bam")));
  bam.InsertFrame(-1, -1, -1, false);  // and an empty one
  TBAMFrame empty = bam.GetFrame(bam.FrameCount() - 1);
  empty.Width = empty.Height = 0;
  bam.ReplaceFrameData(bam.FrameCount() - 1, {}, empty);
  for (const std::uint8_t kind : {kPalettedBAM, kUnpalettedBAM, kTrueColourBAM}) {
    bam.SetBAMType(kind);
    for (int i = 0; i < bam.FrameCount(); ++i) {
      const Thumbnail made = MakeThumbnail(bam, i), plain = PlainThumbnail(bam, i);
      ASSERT_EQ(made.image, plain.image) << "kind " << int{kind} << ", frame " << i;
      ASSERT_EQ(made.mask, plain.mask) << "kind " << int{kind} << ", frame " << i;
    }
  }
}

TEST(Thumbnails, AnEmptyDocumentFinishesAtOnce) {
  TBAM bam;
  bam.NewBAM(kUntitledBAM, true);
  bool done = false;
  bam.MakePreviews({nullptr, nullptr, nullptr, [&] { done = true; }});
  bam.PreviewThread->Wait();
  EXPECT_TRUE(done);
  EXPECT_FALSE(bam.PreviewsAborted);
}

TEST(Thumbnails, WorkQueuedAfterTheDocumentIsGoneIsHarmless) {
  TaskQueue queue;
  bool done = false;
  {
    TBAM bam;
    Document(bam, {{4, 4}});
    bam.MakePreviews({queue.Dispatcher(), nullptr, nullptr, [&] { done = true; }});
  }
  queue.RunAll();
  EXPECT_TRUE(done);
}

}  // namespace
}  // namespace celwright
