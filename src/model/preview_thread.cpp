#include "model/preview_thread.h"

#include "model/qm_BAM.h"

#include <algorithm>
#include <vector>

namespace celwright {

namespace {

// a * b / c rounded to the nearest integer, halves to the even neighbour.
int RoundedRatio(int a, int b, int c) {
  const long long numerator = static_cast<long long>(a) * b;
  long long quotient = numerator / c;
  const long long twice_rest = 2 * (numerator % c);
  if (twice_rest > c || (twice_rest == c && (quotient & 1))) ++quotient;
  return static_cast<int>(quotient);
}

}  // namespace

Thumbnail MakeThumbnail(const TBAM& bam, std::int32_t frame_index) {
  constexpr int kSize = Thumbnail::kSize;
  const TBAMFrame frame = bam.GetFrame(frame_index);
  const TColor transparent = bam.GetTransCol();
  Thumbnail thumbnail;
  thumbnail.image.Reset(kSize, kSize, PixelFormat::Bits24);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) thumbnail.image.SetPixel(x, y, transparent);

  thumbnail.mask.Reset(kSize, kSize, PixelFormat::Bits1);
  std::fill(thumbnail.mask.Pixels().begin(), thumbnail.mask.Pixels().end(), 1);
  if (frame.Width <= 0 || frame.Height <= 0) return thumbnail;

  Bitmap work(frame.Width, frame.Height);
  bam.DrawFrame(frame_index, work, 0, 0, nullptr, false);
  // Whether each frame pixel is see-through: by index for paletted documents, so an opaque
  // entry that happens to share the transparent colour still shows.
  std::vector<std::uint8_t> see_through(static_cast<std::size_t>(frame.Width) * frame.Height);
  if (bam.Paletted()) {
    const std::vector<std::uint8_t> indices = bam.DecodeFrame(frame_index);
    for (std::size_t p = 0; p < see_through.size(); ++p) {
      see_through[p] = indices[p] == static_cast<std::uint8_t>(bam.TranspInd);
    }
  } else {
    for (std::size_t p = 0; p < see_through.size(); ++p) {
      see_through[p] = work.GetPixel(static_cast<int>(p % frame.Width),
                                     static_cast<int>(p / frame.Width)) == transparent;
    }
  }
  int target_w = kSize, target_h = kSize;
  if (frame.Height >= frame.Width) {
    target_w = RoundedRatio(frame.Width, kSize, frame.Height);
  } else {
    target_h = RoundedRatio(frame.Height, kSize, frame.Width);
  }
  // Nearest-neighbour stretch: each target pixel takes the source pixel it covers.
  for (int y = 0; y < target_h; ++y) {
    const int sy = static_cast<int>(static_cast<long long>(y) * frame.Height / target_h);
    const std::uint8_t* in = work.Row(sy);
    std::uint8_t* out = thumbnail.image.Row(y);
    for (int x = 0; x < target_w; ++x) {
      const std::size_t sx =
          static_cast<std::size_t>(static_cast<long long>(x) * frame.Width / target_w);
      out[3 * x] = in[3 * sx];
      out[3 * x + 1] = in[3 * sx + 1];
      out[3 * x + 2] = in[3 * sx + 2];
      thumbnail.mask.SetIndex(x, y, see_through[static_cast<std::size_t>(sy) * frame.Width + sx]);
    }
  }
  return thumbnail;
}

TMakePreviewThread::TMakePreviewThread(std::unique_ptr<TBAM> snapshot, PreviewCallbacks callbacks,
                                       std::function<void(bool)> finish)
    : snapshot_(std::move(snapshot)), callbacks_(std::move(callbacks)), finish_(std::move(finish)) {}

TMakePreviewThread::~TMakePreviewThread() {
  if (on_demand_) Cancel();
  Wait();
}

void TMakePreviewThread::Start() {
  Cancelled.store(false);
  worker_ = std::thread([this] { Run(); });
}

void TMakePreviewThread::StartOnDemand(std::function<void()> on_idle) {
  Cancelled.store(false);
  on_demand_ = true;
  worker_ = std::thread([this, on_idle = std::move(on_idle)] { ServeRequests(on_idle); });
}

void TMakePreviewThread::Request(std::vector<std::int32_t> frames) {
  {
    const std::lock_guard lock(requests_mutex_);
    requested_.assign(frames.begin(), frames.end());
    idle_owed_ = true;
  }
  requests_changed_.notify_one();
}

void TMakePreviewThread::Cancel() {
  {
    // Under the lock, so a worker about to wait cannot miss it.
    const std::lock_guard lock(requests_mutex_);
    Cancelled.store(true);
  }
  requests_changed_.notify_one();
}

void TMakePreviewThread::Wait() {
  if (worker_.joinable()) worker_.join();
}

void TMakePreviewThread::Dispatch(std::function<void()> task) const {
  if (callbacks_.dispatch) {
    callbacks_.dispatch(std::move(task));
  } else {
    task();
  }
}

void TMakePreviewThread::Run() {
  // Tasks may run after this object is gone (a new run replaced it), so they carry copies of
  // the callbacks rather than a pointer back here.
  const auto on_thumbnail = callbacks_.on_thumbnail;
  const auto on_progress = callbacks_.on_progress;
  const std::shared_ptr<bool> superseded = superseded_;
  const std::int32_t frames = snapshot_->FrameCount();
  const std::int32_t maximum = frames > 0 ? frames - 1 : 0;
  std::int32_t last_shown = 0;
  std::int32_t done = 0;
  for (; done < frames && !Cancelled.load(); ++done) {
    auto thumbnail = std::make_shared<Thumbnail>(MakeThumbnail(*snapshot_, done));
    if (on_thumbnail) {
      Dispatch([on_thumbnail, done, thumbnail, superseded] {
        if (!*superseded) on_thumbnail(done, std::move(*thumbnail));
      });
    }
    const std::int32_t position = done + 1;
    if (on_progress && static_cast<int>((position - last_shown) / (maximum + 0.001) * 100) >= 1.5) {
      last_shown = position;
      Dispatch([on_progress, position, maximum, superseded] {
        if (!*superseded) on_progress(position, maximum);
      });
    }
  }
  const bool aborted = done < frames;
  Dispatch([finish = finish_, on_done = callbacks_.on_done, aborted, superseded] {
    if (*superseded) return;
    if (finish) finish(aborted);
    if (on_done) on_done();
  });
}

void TMakePreviewThread::ServeRequests(const std::function<void()>& on_idle) {
  const auto on_thumbnail = callbacks_.on_thumbnail;
  const auto on_progress = callbacks_.on_progress;
  const std::shared_ptr<bool> superseded = superseded_;
  const std::int32_t frames = snapshot_->FrameCount();
  std::int32_t done = 0;  // since the last idle report
  int shown_percent = -1;
  for (;;) {
    std::int32_t frame = -1;
    std::int32_t still_asked = 0;
    {
      std::unique_lock lock(requests_mutex_);
      requests_changed_.wait(lock, [&] {
        return Cancelled.load() || !requested_.empty() || idle_owed_;
      });
      if (Cancelled.load()) break;
      if (requested_.empty()) {
        idle_owed_ = false;
        done = 0;
        shown_percent = -1;
        Dispatch([on_idle, superseded] {
          if (!*superseded && on_idle) on_idle();
        });
        continue;
      }
      frame = requested_.front();
      requested_.pop_front();
      still_asked = static_cast<std::int32_t>(requested_.size());
    }
    if (frame >= 0 && frame < frames) {
      auto thumbnail = std::make_shared<Thumbnail>(MakeThumbnail(*snapshot_, frame));
      if (on_thumbnail) {
        Dispatch([on_thumbnail, frame, thumbnail, superseded] {
          if (!*superseded) on_thumbnail(frame, std::move(*thumbnail));
        });
      }
    }
    ++done;
    const std::int32_t asked = done + still_asked;
    const int percent = static_cast<int>(static_cast<long long>(done) * 100 / asked);
    if (on_progress && (percent >= shown_percent + 2 || percent < shown_percent)) {
      shown_percent = percent;
      Dispatch([on_progress, done, asked, superseded] {
        if (!*superseded) on_progress(done, asked);
      });
    }
  }
  Dispatch([finish = finish_, on_done = callbacks_.on_done, superseded] {
    if (*superseded) return;
    if (finish) finish(true);
    if (on_done) on_done();
  });
}

}  // namespace celwright
