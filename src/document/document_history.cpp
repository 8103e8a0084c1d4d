#include "document/document_history.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <utility>

#include "model/zlib_codec.h"

namespace celwright {

namespace {

// Steps are made on every stroke: the fastest level keeps recording cheap, and run-length coded
// frames leave little for slower levels to find.
constexpr int kStepDeflateLevel = 1;

bool SameRecord(const TBAMFrame& a, const TBAMFrame& b) {
  return a.Width == b.Width && a.Height == b.Height && a.CentreX == b.CentreX &&
         a.CentreY == b.CentreY && a.DataSize == b.DataSize && a.RLE == b.RLE;
}

bool SameCycles(const std::vector<TCycleItem>& a, const std::vector<TCycleItem>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    // FirstIndex is the writer's business: a save renumbers it.
                    [](const TCycleItem& x, const TCycleItem& y) {
                      return x.Count == y.Count && x.Frames == y.Frames;
                    });
}

std::size_t CyclesBytes(const std::vector<TCycleItem>& cycles) {
  std::size_t bytes = cycles.size() * sizeof(TCycleItem);
  for (const TCycleItem& cycle : cycles) bytes += cycle.Frames.size() * sizeof(std::int32_t);
  return bytes;
}

// Runs from this size on are deflated on a thread of their own: the editor goes on at once.
constexpr std::size_t kPackBesideFrom = std::size_t{1} << 20;

PackedBytes Deflate(const std::uint8_t* bytes, std::size_t size) {
  try {
    return {ZlibDeflate(bytes, size, kStepDeflateLevel), false};
  } catch (const std::bad_alloc&) {
    return {std::vector<std::uint8_t>(bytes, bytes + size), true};
  }
}

std::size_t RecordsBytes(const std::vector<TBAMFrame>& records) {
  std::size_t size = 0;
  for (const TBAMFrame& record : records) size += static_cast<std::size_t>(record.DataSize);
  return size;
}

// Frames [from, to) of a run whose bytes start at `bytes` (offsets measured from the run's
// first frame). `owner`, when given, holds those bytes and is given up to a deflating thread.
StoredFrames Pack(const std::vector<TBAMFrame>& records, const std::uint8_t* bytes, std::size_t from,
                  std::size_t to, std::vector<std::uint8_t>* owner = nullptr) {
  StoredFrames stored;
  std::size_t skip = 0;
  for (std::size_t i = 0; i < from; ++i) skip += static_cast<std::size_t>(records[i].DataSize);
  stored.Records.assign(records.begin() + static_cast<std::ptrdiff_t>(from),
                        records.begin() + static_cast<std::ptrdiff_t>(to));
  stored.RawSize = RecordsBytes(stored.Records);
  if (stored.RawSize == 0) return stored;
  if (stored.RawSize < kPackBesideFrom) {
    stored.Packed = Deflate(bytes + skip, stored.RawSize);
    return stored;
  }
  std::vector<std::uint8_t> raw;
  if (owner && bytes == owner->data()) {
    raw = std::move(*owner);
  } else {
    raw.assign(bytes, bytes + skip + stored.RawSize);
  }
  stored.Packing = std::async(
      std::launch::async, [raw = std::move(raw), skip, size = stored.RawSize]() mutable {
        try {
          return PackedBytes{ZlibDeflate(raw.data() + skip, size, kStepDeflateLevel), false};
        } catch (...) {
          // Shrinking allocates nothing: the bytes are kept as they are.
          raw.erase(raw.begin(), raw.begin() + static_cast<std::ptrdiff_t>(skip));
          raw.resize(size);
          return PackedBytes{std::move(raw), true};
        }
      });
  return stored;
}

// The side after the newest change: the animation holds its bytes.
StoredFrames LeftInAnimation(const std::vector<TBAMFrame>& records, std::size_t from,
                             std::size_t to) {
  StoredFrames stored;
  stored.Records.assign(records.begin() + static_cast<std::ptrdiff_t>(from),
                        records.begin() + static_cast<std::ptrdiff_t>(to));
  stored.RawSize = RecordsBytes(stored.Records);
  stored.InAnimation = true;
  return stored;
}

// Changes how `side` is kept, and the history's count of the bytes it keeps (`used`) with it.
template <typename Change>
void Rekeep(std::size_t& used, StoredFrames& side, Change change) {
  const std::size_t before = side.Bytes();
  change();
  used = used - before + side.Bytes();
}

std::vector<TBAMFrame> RecordsOf(const TBAM& bam, std::int32_t first, std::size_t count) {
  std::vector<TBAMFrame> records;
  records.reserve(count);
  for (std::size_t i = 0; i < count; ++i)
    records.push_back(bam.GetFrame(first + static_cast<std::int32_t>(i)));
  return records;
}

std::vector<std::uint8_t> Unpack(StoredFrames& stored) {
  std::vector<std::uint8_t> bytes;
  if (stored.RawSize == 0) return bytes;
  if (stored.Packed.Raw) return stored.Packed.Bytes;
  if (!InflateInto(stored.Packed.Bytes.data(), stored.Packed.Bytes.size(), stored.RawSize, bytes) ||
      bytes.size() != stored.RawSize) {
    throw ZlibError("An undo step's frames are damaged");
  }
  return bytes;
}

}  // namespace

DocumentProperties DocumentProperties::Of(const TBAM& bam, std::uint8_t doc_type) {
  DocumentProperties p;
  p.BAMType = bam.BAMType;
  p.DocType = doc_type;
  p.CompCol = bam.CompCol;
  p.CompColIndex = bam.CompColIndex;
  p.TranspInd = bam.TranspInd;
  p.ShadowInd = bam.ShadowInd;
  p.Compressed = bam.Compressed;
  // Only an unpaletted animation's transparent and shadow colours are part of it; a paletted
  // one's are the user's display colours, which no undo should take back.
  if (bam.BAMType == kUnpalettedBAM) {
    p.TransCol = bam.TransCol;
    p.ShadowCol = bam.ShadowCol;
  }
  p.Palette = bam.Palette;
  p.PaletteFourthBytes = bam.PaletteFourthBytes;
  return p;
}

void DocumentProperties::ApplyTo(TBAM& bam) const {
  bam.BAMType = BAMType;
  bam.CompCol = CompCol;
  bam.CompColIndex = CompColIndex;
  bam.TranspInd = TranspInd;
  bam.ShadowInd = ShadowInd;
  bam.Compressed = Compressed;
  if (BAMType == kUnpalettedBAM) {
    bam.TransCol = TransCol;
    bam.ShadowCol = ShadowCol;
  }
  bam.Palette = Palette;
  bam.PaletteFourthBytes = PaletteFourthBytes;
}

std::size_t StoredFrames::Bytes() const {
  const std::size_t records = Records.size() * sizeof(TBAMFrame);
  if (InAnimation) return records;
  return records + (Packing.valid() ? RawSize : Packed.Bytes.size());
}

std::size_t HistoryStep::Bytes() const {
  std::size_t bytes = sizeof(HistoryStep) + Name.size() + Before.Bytes() + After.Bytes();
  if (Cycles) bytes += CyclesBytes(Cycles->first) + CyclesBytes(Cycles->second);
  if (Properties) bytes += sizeof(*Properties);
  return bytes;
}

void DocumentHistory::Reset(const TBAM& bam, const DocumentProperties& properties) {
  steps_.clear();
  position_ = 0;
  saved_ = 0;
  used_ = 0;
  open_.reset();
  started_ = true;
  frame_count_ = bam.FrameCount();
  cycles_ = bam.Cycles();
  properties_ = properties;
}

void DocumentHistory::SetBudget(std::size_t bytes) {
  budget_ = bytes;
  TrimToBudget();
}

bool DocumentHistory::InStep(const TBAM& bam) const {
  return started_ && bam.FrameCount() == frame_count_;
}

bool DocumentHistory::Begin(const TBAM& bam, std::string name, FrameSpan span,
                            std::int32_t shown_frame) {
  open_.reset();
  // The frame list changed behind the history's back: its steps would splice the wrong frames.
  if (!InStep(bam)) Reset(bam, properties_);
  const std::int32_t count = bam.FrameCount();
  if (span.Count < 0) span = {0, count};
  span.First = std::clamp(span.First, 0, count);
  span.Count = std::clamp(span.Count, 0, count - span.First);

  const std::size_t from = bam.FrameDataPosition(span.First);
  const std::size_t to = bam.FrameDataPosition(span.First + span.Count);
  // What the step must keep at least: the frames it replaces (before deflating) and the cycle
  // table it may rewrite.
  if (to - from + CyclesBytes(cycles_) > budget_) return false;
  try {
    OpenStep step;
    step.Name = std::move(name);
    step.First = span.First;
    step.Count = span.Count;
    step.FrameCount = count;
    step.Shown = shown_frame;
    step.Records.reserve(static_cast<std::size_t>(span.Count));
    for (std::int32_t i = 0; i < span.Count; ++i) step.Records.push_back(bam.GetFrame(span.First + i));
    step.Bytes.assign(bam.Data.begin() + static_cast<std::ptrdiff_t>(from),
                      bam.Data.begin() + static_cast<std::ptrdiff_t>(to));
    open_ = std::move(step);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool DocumentHistory::End(const TBAM& bam, const DocumentProperties& properties,
                          std::int32_t shown_frame) {
  if (!open_) return false;
  OpenStep open = std::move(*open_);
  open_.reset();
  const std::int32_t after_count = open.Count + bam.FrameCount() - open.FrameCount;
  if (after_count < 0 || open.First + after_count > bam.FrameCount()) {
    // The change reached past the frames it announced; nothing here could take it back.
    Reset(bam, properties);
    return false;
  }

  std::vector<TBAMFrame> after_records;
  after_records.reserve(static_cast<std::size_t>(after_count));
  for (std::int32_t i = 0; i < after_count; ++i) after_records.push_back(bam.GetFrame(open.First + i));
  const std::uint8_t* after_bytes = bam.Data.data() + bam.FrameDataPosition(open.First);
  const std::uint8_t* before_bytes = open.Bytes.data();

  // Only the frames that really differ are kept: a step announced for the whole animation
  // (a conversion that left most frames alone) costs what it changed.
  const std::size_t before_n = open.Records.size(), after_n = after_records.size();
  std::size_t head = 0, head_bytes = 0;
  while (head < before_n && head < after_n && SameRecord(open.Records[head], after_records[head]) &&
         std::memcmp(before_bytes + head_bytes, after_bytes + head_bytes,
                     static_cast<std::size_t>(after_records[head].DataSize)) == 0) {
    head_bytes += static_cast<std::size_t>(after_records[head].DataSize);
    ++head;
  }
  std::size_t tail = 0;
  std::size_t before_end = open.Bytes.size();
  std::size_t after_end = bam.FrameDataPosition(open.First + after_count) -
                          bam.FrameDataPosition(open.First);
  while (tail < before_n - head && tail < after_n - head) {
    const TBAMFrame& b = open.Records[before_n - 1 - tail];
    const TBAMFrame& a = after_records[after_n - 1 - tail];
    const auto size = static_cast<std::size_t>(a.DataSize);
    if (!SameRecord(a, b) ||
        std::memcmp(before_bytes + before_end - size, after_bytes + after_end - size, size) != 0)
      break;
    before_end -= size;
    after_end -= size;
    ++tail;
  }
  const bool frames_changed = head + tail != before_n || head + tail != after_n;
  const bool cycles_changed = !SameCycles(cycles_, bam.Cycles());
  const bool properties_changed = !(properties_ == properties);
  if (!frames_changed && !cycles_changed && !properties_changed) return false;

  HistoryStep step;
  step.Name = std::move(open.Name);
  step.First = open.First + static_cast<std::int32_t>(head);
  step.Before = Pack(open.Records, before_bytes, head, before_n - tail, &open.Bytes);
  step.After = LeftInAnimation(after_records, head, after_n - tail);
  if (cycles_changed) {
    step.Cycles = std::make_unique<const std::pair<std::vector<TCycleItem>, std::vector<TCycleItem>>>(
        std::move(cycles_), bam.Cycles());
    cycles_ = bam.Cycles();
  }
  if (properties_changed) {
    step.Properties = std::make_unique<const std::pair<DocumentProperties, DocumentProperties>>(
        properties_, properties);
    properties_ = properties;
  }
  step.FrameBefore = open.Shown;
  step.FrameAfter = shown_frame;

  // A new step ends the redo branch; runs deflated meanwhile count at their deflated size.
  DropRedoBranch();
  SettlePacking(false);
  used_ += step.Bytes();
  steps_.push_back(std::move(step));
  ++position_;
  frame_count_ = bam.FrameCount();
  TrimToBudget();
  return true;
}

void DocumentHistory::Settle(StoredFrames& side, bool wait) {
  if (!side.Packing.valid()) return;
  if (!wait && side.Packing.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return;
  Rekeep(used_, side, [&side] { side.Packed = side.Packing.get(); });
}

void DocumentHistory::SettlePacking(bool wait) {
  for (HistoryStep& step : steps_) {
    Settle(step.Before, wait);
    Settle(step.After, wait);
  }
}

void DocumentHistory::TakeFromAnimation(const TBAM& bam, std::int32_t first, StoredFrames& side) {
  if (!side.InAnimation) return;
  // The animation's own records: they say where its bytes lie now.
  const std::vector<TBAMFrame> records = RecordsOf(bam, first, side.Records.size());
  Rekeep(used_, side, [&] {
    side = Pack(records, bam.Data.data() + bam.FrameDataPosition(first), 0, records.size());
  });
}

void DocumentHistory::DropRedoBranch() {
  while (steps_.size() > position_) {
    used_ -= steps_.back().Bytes();
    steps_.pop_back();
  }
  if (saved_ > static_cast<std::ptrdiff_t>(position_)) saved_ = -1;
}

void DocumentHistory::TrimToBudget() {
  // The newest step stays whatever its size: it was allowed in when it began.
  while (used_ > budget_ && steps_.size() > 1) {
    if (steps_.size() > position_) {
      // Undone steps go first: without the oldest, none of them could be redone anyway.
      used_ -= steps_.back().Bytes();
      steps_.pop_back();
      if (saved_ > static_cast<std::ptrdiff_t>(steps_.size())) saved_ = -1;
      continue;
    }
    used_ -= steps_.front().Bytes();
    steps_.pop_front();
    --position_;
    saved_ = saved_ > 0 ? saved_ - 1 : -1;
  }
}

std::optional<HistoryMove> DocumentHistory::Undo(TBAM& bam, DocumentProperties& properties) {
  return Move(bam, properties, true);
}

std::optional<HistoryMove> DocumentHistory::Redo(TBAM& bam, DocumentProperties& properties) {
  return Move(bam, properties, false);
}

std::optional<HistoryMove> DocumentHistory::Move(TBAM& bam, DocumentProperties& properties,
                                                 bool back) {
  if (!InStep(bam)) {
    Reset(bam, properties);
    return std::nullopt;
  }
  if (back ? position_ == 0 : position_ == steps_.size()) return std::nullopt;
  SettlePacking(false);
  HistoryStep& step = steps_[back ? position_ - 1 : position_];
  StoredFrames& from = back ? step.After : step.Before;
  StoredFrames& to = back ? step.Before : step.After;
  const auto count = static_cast<std::int32_t>(from.Records.size());
  Settle(to, true);
  std::vector<std::uint8_t> incoming = Unpack(to);
  const std::size_t position = bam.FrameDataPosition(step.First);
  // The animation is in the state after this step exactly when it is undone: that is when the
  // bytes after it are first needed (to redo it). Where the two sides take the same room (a
  // large frame edited without changing its size, mostly) they trade places, so those bytes
  // are never copied.
  if (back && from.InAnimation &&
      bam.FrameDataPosition(step.First + count) - position == incoming.size()) {
    const std::vector<TBAMFrame> records = RecordsOf(bam, step.First, from.Records.size());
    std::swap_ranges(incoming.begin(), incoming.end(),
                     bam.Data.begin() + static_cast<std::ptrdiff_t>(position));
    bam.SpliceFrameRecords(step.First, count, to.Records);
    Rekeep(used_, from, [&] { from = Pack(records, incoming.data(), 0, records.size(), &incoming); });
  } else {
    if (back) TakeFromAnimation(bam, step.First, from);
    bam.SpliceFrames(step.First, count, to.Records, incoming);
  }
  if (!back) {
    // Redone: the animation holds these bytes again until the step is undone once more.
    Rekeep(used_, to, [&to] {
      to.Packed = {};
      to.InAnimation = true;
    });
  }
  if (step.Cycles) {
    cycles_ = back ? step.Cycles->first : step.Cycles->second;
    bam.SetCycles(cycles_);
  }
  if (step.Properties) {
    properties = back ? step.Properties->first : step.Properties->second;
    properties.ApplyTo(bam);
    properties_ = properties;
  }
  back ? --position_ : ++position_;
  frame_count_ = bam.FrameCount();
  return HistoryMove{back ? step.FrameBefore : step.FrameAfter, step.Properties != nullptr};
}

}  // namespace celwright
