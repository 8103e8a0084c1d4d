#include "model/preview_thread.h"

#include "model/qm_BAM.h"

#include <algorithm>
#include <array>
#include <cstring>
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
  // Every row starts as the first: the transparent colour, see-through.
  thumbnail.image.Reset(kSize, kSize, PixelFormat::Bits24);
  std::uint8_t* first = thumbnail.image.Row(0);
  for (int x = 0; x < kSize; ++x) thumbnail.image.SetPixel(x, 0, transparent);
  for (int y = 1; y < kSize; ++y) std::memcpy(thumbnail.image.Row(y), first, 3 * kSize);
  thumbnail.mask.Reset(kSize, kSize, PixelFormat::Bits1);
  std::fill(thumbnail.mask.Pixels().begin(), thumbnail.mask.Pixels().end(), 1);
  if (frame.Width <= 0 || frame.Height <= 0) return thumbnail;

  int target_w = kSize, target_h = kSize;
  if (frame.Height >= frame.Width) {
    target_w = RoundedRatio(frame.Width, kSize, frame.Height);
  } else {
    target_h = RoundedRatio(frame.Height, kSize, frame.Width);
  }
  // Nearest-neighbour stretch: each target pixel takes the source pixel it covers. Only those
  // pixels are looked at, straight in the decoded frame.
  std::array<std::size_t, kSize> columns{};
  for (int x = 0; x < target_w; ++x) {
    columns[x] = static_cast<std::size_t>(static_cast<long long>(x) * frame.Width / target_w);
  }
  const auto source_row = [&](int y) {
    return static_cast<std::size_t>(static_cast<long long>(y) * frame.Height / target_h) *
           static_cast<std::size_t>(frame.Width);
  };
  if (bam.Paletted()) {
    // See-through by index, so an opaque entry that happens to share the transparent colour
    // still shows.
    const std::vector<std::uint8_t> indices = bam.DecodeFrame(frame_index);
    Bitmap colours(256, 1);
    const std::array<TColor, 256> drawn = bam.DrawnColours();
    for (int i = 0; i < 256; ++i) colours.SetPixel(i, 0, drawn[i]);
    const auto see_through = static_cast<std::uint8_t>(bam.TranspInd);
    for (int y = 0; y < target_h; ++y) {
      const std::uint8_t* in = indices.data() + source_row(y);
      std::uint8_t* out = thumbnail.image.Row(y);
      std::uint8_t* mask = thumbnail.mask.Row(y);
      for (int x = 0; x < target_w; ++x) {
        const std::uint8_t index = in[columns[x]];
        std::memcpy(out + 3 * x, colours.Row(0) + 3 * index, 3);
        mask[x] = index == see_through;
      }
    }
    return thumbnail;
  }
  // Other kinds are drawn as the editor shows them (true colour over the transparent colour).
  Bitmap work(frame.Width, frame.Height);
  bam.DrawFrame(frame_index, work, 0, 0, nullptr, false);
  std::uint8_t clear[3];
  std::memcpy(clear, first, 3);
  for (int y = 0; y < target_h; ++y) {
    const std::uint8_t* in = work.Pixels().data() + 3 * source_row(y);
    std::uint8_t* out = thumbnail.image.Row(y);
    std::uint8_t* mask = thumbnail.mask.Row(y);
    for (int x = 0; x < target_w; ++x) {
      const std::uint8_t* pixel = in + 3 * columns[x];
      std::memcpy(out + 3 * x, pixel, 3);
      mask[x] = std::memcmp(pixel, clear, 3) == 0;
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
