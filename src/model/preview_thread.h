#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "support/bitmap.h"

namespace celwright {

class TBAM;

// A 40 x 40 frame thumbnail and its mask (0 = opaque, 1 = see-through).
struct Thumbnail {
  static constexpr int kSize = 40;
  Bitmap image;
  Bitmap mask;
};

// Renders one thumbnail: the frame scaled to fit, keeping its aspect ratio, at the top left; the
// rest of the square in the transparent colour. Only see-through pixels are masked: the square
// outside the frame and the frame's transparent pixels (entry 0 of a paletted document, the
// transparent colour of an unpaletted one), never an opaque white.
Thumbnail MakeThumbnail(const TBAM& bam, std::int32_t frame);

// Where the worker's results go. Every callback is handed to `dispatch`, which must run it on
// the user-interface thread (the Qt app posts it to its event loop; tests may run it inline).
struct PreviewCallbacks {
  std::function<void(std::function<void()>)> dispatch;
  std::function<void(std::int32_t frame, Thumbnail thumbnail)> on_thumbnail;
  // (position, maximum), only when the position has moved by at least 2 percent of the range.
  std::function<void(std::int32_t, std::int32_t)> on_progress;
  // Runs last; the document's PreviewsAborted already tells whether the run was cancelled.
  std::function<void()> on_done;
};

// Builds thumbnails on its own thread: those of every frame (Start), or only those asked for
// (StartOnDemand, then Request). The worker renders from a private copy of the document taken
// when it starts, so nothing the user does meanwhile can change what it reads: the thumbnails
// show the frames as they were when it started.
class TMakePreviewThread {
 public:
  // `finish` runs on the user-interface thread (through the dispatcher) just before `on_done`,
  // with whether the run was cancelled.
  TMakePreviewThread(std::unique_ptr<TBAM> snapshot, PreviewCallbacks callbacks,
                     std::function<void(bool)> finish);
  ~TMakePreviewThread();  // waits for the worker; an on-demand worker is cancelled first
  TMakePreviewThread(const TMakePreviewThread&) = delete;
  TMakePreviewThread& operator=(const TMakePreviewThread&) = delete;

  void Start();
  // The worker waits for Request and builds only the frames asked for, until cancelled.
  // `on_idle` runs on the user-interface thread each time it has built all it was asked for;
  // progress then counts the frames asked for since the last idle time.
  void StartOnDemand(std::function<void()> on_idle);
  // The frames wanted now, most urgent first. They replace those asked for earlier and not yet
  // begun: what scrolled out of sight meanwhile is not built. Frames the copy lacks are skipped.
  void Request(std::vector<std::int32_t> frames);
  // The worker stops after the frame it is working on.
  void Cancel();
  // Called on the user-interface thread when a new run replaces this one: whatever this run
  // still has queued there (thumbnails, progress, completion) is dropped, so an old run's
  // completion can never fire while the new one works.
  void Supersede() { *superseded_ = true; }
  void Wait();

  std::atomic<bool> Cancelled{false};

 private:
  void Run();
  void ServeRequests(const std::function<void()>& on_idle);
  void Dispatch(std::function<void()> task) const;

  std::unique_ptr<TBAM> snapshot_;
  PreviewCallbacks callbacks_;
  std::function<void(bool)> finish_;
  // Read only on the user-interface thread, by the queued tasks.
  std::shared_ptr<bool> superseded_ = std::make_shared<bool>(false);
  std::thread worker_;
  bool on_demand_ = false;
  std::mutex requests_mutex_;
  std::condition_variable requests_changed_;
  std::deque<std::int32_t> requested_;  // guarded by requests_mutex_
  bool idle_owed_ = false;              // a Request came since the last idle report
};

}  // namespace celwright
