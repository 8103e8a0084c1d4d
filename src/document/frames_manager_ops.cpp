#include "document/frames_manager_ops.h"

#include <algorithm>
#include <functional>

#include "support/qm_log.h"

namespace celwright {

namespace {

void SortDescending(std::vector<int>& frames) {
  std::sort(frames.begin(), frames.end(), std::greater<>());
  frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
}

}  // namespace

void DuplicateFrames(TBAMForm& doc, std::vector<int> selected, std::vector<Thumbnail>& thumbnails) {
  SortDescending(selected);
  for (const int frame : selected) {
    AddLogLine("MNGR: Duplicate Frame");
    doc.DuplicateFrame(frame);
    if (frame >= 0 && frame < static_cast<int>(thumbnails.size())) {
      const Thumbnail copy = thumbnails[static_cast<std::size_t>(frame)];
      thumbnails.push_back(copy);
    }
    AppendToLog(" [OK]");
  }
  doc.Modified = true;
}

void DeleteFrames(TBAMForm& doc, std::vector<int> selected, std::vector<Thumbnail>& thumbnails) {
  SortDescending(selected);
  for (const int frame : selected) {
    AddLogLine("MNGR: Delete Frame");
    doc.DeleteFrame(frame);
    if (frame >= 0 && frame < static_cast<int>(thumbnails.size()))
      thumbnails.erase(thumbnails.begin() + frame);
    AppendToLog(" [OK]");
  }
  doc.Modified = true;
}

void AddFramesToCycle(TBAMForm& doc, std::vector<int> selected, int cycle) {
  std::sort(selected.begin(), selected.end());
  for (const int frame : selected) {
    AddLogLine("MNGR: Add Frame (" + std::to_string(frame) + ") To Sequence(" +
               std::to_string(cycle) + ")");
    doc.BAM.AddFrameToCycle(frame, cycle);
    AppendToLog(" [OK]");
  }
  doc.Modified = true;
}

int SelectionAfterRefresh(int selected, int count) {
  if (selected < 0) return -1;
  if (count > selected) return selected;
  if (count == selected) return selected - 1;
  return -1;
}

}  // namespace celwright
