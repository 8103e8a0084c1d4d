#include "document/frames_manager_ops.h"

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>

#include "support/qm_log.h"

namespace celwright {

namespace {

void SortDescending(std::vector<int>& frames) {
  std::sort(frames.begin(), frames.end(), std::greater<>());
  frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
}

}  // namespace

void CheckRoomForFrames(int frame_count, std::size_t adding) {
  if (adding <= static_cast<std::size_t>(std::max(0, kMaxDocumentFrames - frame_count))) return;
  throw std::runtime_error("Duplicating " + std::to_string(adding) + " frames would make " +
                           std::to_string(static_cast<std::size_t>(frame_count) + adding) +
                           " frames, more than a BAM file can hold (" +
                           std::to_string(kMaxDocumentFrames) + "). Nothing was duplicated.");
}

void DuplicateFrames(TBAMForm& doc, std::vector<int> selected, ThumbnailSlots& thumbnails) {
  SortDescending(selected);
  try {
    CheckRoomForFrames(doc.BAM.FrameCount(), selected.size());
  } catch (const std::runtime_error&) {
    AddLogLine("MNGR: Duplicate Frames");  // the caller completes the line with the reason
    throw;
  }
  // All of one command is one step.
  const std::string name = selected.size() == 1
                               ? "Duplicate frame " + std::to_string(selected.front())
                               : "Duplicate " + std::to_string(selected.size()) + " frames";
  doc.RecordChange(name, FrameSpan::Before(doc.BAM.FrameCount()), [&] {
    for (const int frame : selected) {
      AddLogLine("MNGR: Duplicate Frame");
      doc.DuplicateFrame(frame);
      if (frame >= 0 && frame < static_cast<int>(thumbnails.size())) {
        thumbnails.push_back(thumbnails[static_cast<std::size_t>(frame)]);
      }
      AppendToLog(" [OK]");
    }
    doc.Modified = true;
  });
}

void DeleteFrames(TBAMForm& doc, std::vector<int> selected, ThumbnailSlots& thumbnails) {
  SortDescending(selected);
  if (selected.empty()) return;
  const int first = std::max(selected.back(), 0);
  const std::string name = selected.size() == 1
                               ? "Delete frame " + std::to_string(selected.front())
                               : "Delete " + std::to_string(selected.size()) + " frames";
  doc.RecordChange(name, {first, selected.front() - first + 1}, [&] {
    for (const int frame : selected) {
      AddLogLine("MNGR: Delete Frame");
      doc.DeleteFrame(frame);
      if (frame >= 0 && frame < static_cast<int>(thumbnails.size()))
        thumbnails.erase(thumbnails.begin() + frame);
      AppendToLog(" [OK]");
    }
    doc.Modified = true;
  });
}

void AddFramesToCycle(TBAMForm& doc, std::vector<int> selected, int cycle) {
  std::sort(selected.begin(), selected.end());
  doc.RecordChange("Add frames to sequence " + std::to_string(cycle), FrameSpan::Before(0), [&] {
    for (const int frame : selected) {
      AddLogLine("MNGR: Add Frame (" + std::to_string(frame) + ") To Sequence(" +
                 std::to_string(cycle) + ")");
      doc.BAM.AddFrameToCycle(frame, cycle);
      AppendToLog(" [OK]");
    }
    doc.Modified = true;
  });
}

int SelectionAfterRefresh(int selected, int count) {
  if (selected < 0) return -1;
  if (count > selected) return selected;
  if (count == selected) return selected - 1;
  return -1;
}

}  // namespace celwright
