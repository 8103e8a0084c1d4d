#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/qm_BAM.h"
#include "support/bitmap.h"

namespace celwright {

// What the clipboard holds for a paste: a copy this program made (in this run or another),
// which pastes exactly, or another program's picture, which pastes as a whole rectangle.
struct ClipboardContent {
  bool Own = false;
  // Own copies: colours (24 bits, 32 with alpha from a true-colour document), index image
  // (one entry a pixel), mask (black = copied),
  // all of one size, and whether they came from a paletted document.
  std::array<Bitmap, 3> Copied;
  bool Paletted = false;
  // Another program's picture, 24 bits.
  Bitmap Picture;
  // Set instead of a picture when the clipboard holds one that cannot be pasted (too large, or
  // unreadable): the message that says so.
  std::string Refusal;
};

// The system clipboard as the document sees it; the application provides it.
class SelectionClipboard {
 public:
  virtual ~SelectionClipboard() = default;
  // Offers a copy: `picture` is what other programs get (unselected pixels white), `copied` the
  // exact copy for this program.
  virtual void PutSelection(const std::array<Bitmap, 3>& copied, bool paletted,
                            const Bitmap& picture) = 0;
  // Empty when the clipboard holds no picture.
  virtual std::optional<ClipboardContent> GetSelection() = 0;
};

// The private clipboard format of our own copies, and its reading. The bytes may come from any
// program that put data under that format name, so reading checks every size first and gives
// nothing for data it cannot trust.
inline constexpr const char* kSelectionMimeType = "application/x-celwright-selection";
std::vector<std::uint8_t> EncodeSelectionCopy(const std::array<Bitmap, 3>& copied, bool paletted);
std::optional<ClipboardContent> DecodeSelectionCopy(const std::vector<std::uint8_t>& bytes);

// The copied picture made ready for the document: colours, index image and mask of one size.
// Our own paletted copies keep their entries exactly where this palette shows them in the
// copied colours (entries of equal colour stay apart), and take the nearest colours elsewhere;
// other pictures are mapped to the nearest entries from 2 up, so none of their pixels becomes
// transparent or shadow; unpaletted documents keep colours.
std::array<Bitmap, 3> PasteImagesFor(const ClipboardContent& content, const TBAM& bam);

}  // namespace celwright
