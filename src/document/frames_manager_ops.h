#pragma once

#include <memory>
#include <vector>

#include "document/bam_form.h"
#include "model/preview_thread.h"

namespace celwright {

// What the frames manager does to several frames at once, with its thumbnails kept in step
// (thumbnail i shows frame i). `selected` lists frame numbers in any order.

// One slot per frame; a thumbnail not made yet (or let go) is null. Thumbnails are made only
// for frames that come into sight, so a file of tens of thousands of frames holds few of them.
using ThumbnailSlots = std::vector<std::shared_ptr<const Thumbnail>>;

// The most frames a document may grow to: the frame numbers of a BAM are 16-bit, and growth
// past what can be saved would only end in a refused save after minutes of work.
inline constexpr int kMaxDocumentFrames = 65534;
// Throws std::runtime_error saying so when `adding` more frames would pass kMaxDocumentFrames.
void CheckRoomForFrames(int frame_count, std::size_t adding);

// Duplicates each selected frame, the last first; every copy goes to the end of the frames, and
// so does a copy of its thumbnail. Nothing is done when the copies would not fit (see above).
void DuplicateFrames(TBAMForm& doc, std::vector<int> selected, ThumbnailSlots& thumbnails);
// Deletes the selected frames, the last first so the numbers still to go stay valid.
void DeleteFrames(TBAMForm& doc, std::vector<int> selected, ThumbnailSlots& thumbnails);
// Appends the selected frames, the first first, to the end of `cycle`.
void AddFramesToCycle(TBAMForm& doc, std::vector<int> selected, int cycle);

// Which item stays selected after the list is refilled with `count` items: the same one while it
// exists, the one before when exactly that one went, otherwise none (-1).
int SelectionAfterRefresh(int selected, int count);

}  // namespace celwright
