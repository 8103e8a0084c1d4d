#pragma once

#include <array>
#include <optional>

#include "support/bitmap.h"
#include "support/geometry.h"

namespace celwright {

// The tool layer as the document window sees it. The document calls in only through this, so
// it never depends on the tools themselves.
class ToolActivity {
 public:
  virtual ~ToolActivity() = default;
  // Ends every drag, shape, pan and clone source, as choosing another tool does.
  virtual void EndToolActivity() = 0;
  // Draws what the active tool would do at the pointer onto the overlay pair.
  virtual void DrawToolOverlay(std::array<Bitmap, 2>& overlay) = 0;
  // The frame box DrawToolOverlay would draw within now (empty when nothing), or nothing when
  // it may draw anywhere.
  virtual std::optional<Rect> ToolOverlayBox() const { return std::nullopt; }
  // Writes a pending text block into the frame as one history step. A layer that never leaves
  // text pending has nothing to do.
  virtual void FixPendingText() {}
};

}  // namespace celwright
