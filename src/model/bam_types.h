#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace celwright {

// Frame numbers of one cycle in playing order.
using TSmallLookup = std::vector<std::int32_t>;

struct TBAMFrame {
  std::int32_t Height = 0;
  std::int32_t Width = 0;
  std::int32_t CentreX = 0;
  std::int32_t CentreY = 0;
  std::int32_t DataSize = 0;  // encoded bytes of this frame in TBAM::Data
  bool RLE = false;
  // Where the data sat in the file it was read from; edits do not keep it current.
  std::int32_t DataOffset = 0;
};

struct TCycleItem {
  std::int32_t FirstIndex = 0;  // meaningful only as read from a file; the writer recomputes it
  std::int32_t Count = 0;
  TSmallLookup Frames;
};

// Raised with a message that names the bad frame or cycle number.
class EFrameNotExists : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raised when a frame is too large to decode whole in memory; the message names the frame and its
// size.
class FrameTooLargeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raised when a document cannot be written (over the format's limits, or the file layer failed).
class EBAMSaveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A BAM V2 save refused because a texture page it would write belongs to another file; the
// caller may ask the user and save again with `TexturePageSave::OverwritePages`.
class EPageInUse : public EBAMSaveError {
 public:
  using EBAMSaveError::EBAMSaveError;
};

// Progress of long document operations: (Position, Max, Stage).
using TProgressEvent = std::function<void(std::int32_t, std::int32_t, std::uint8_t)>;

// True colour is the BAM V2 kind: 8-bit alpha, pixels kept on texture pages beside the file.
enum BAMKind : std::uint8_t { kNoBAM = 0, kPalettedBAM = 1, kUnpalettedBAM = 2, kTrueColourBAM = 3 };

// ErrorCode bits of the last load.
enum LoadErrorBits : std::int32_t {
  kErrorMissingFile = 1,
  kErrorUnknownSignature = 2,
  kErrorUnsupportedVersion = 4,
  kErrorUnreadable = 8,
};

// Stages reported through TProgressEvent.
enum ProgressStage : std::uint8_t {
  kStageLoadStart = 0,
  kStageLoadRead = 1,
  kStageLoadFrames = 2,
  kStageLoadCycles = 3,
  kStageLoadPalette = 4,
  kStageSaveStart = 5,
  kStageSaveFrameData = 6,
  kStageSaveUpdate = 7,
  kStageSaveWrite = 8,
  kStageSaveCompressed = 9,
  kStageFinished = 10,
};

// How a BAM V2 save numbers and places the texture pages it writes.
struct TexturePageSave {
  // The number of the first new page; below 0, one past the highest page in the folder.
  std::int32_t FirstPage = -1;
  // Pages of other files in the way are replaced instead of refusing the save.
  bool OverwritePages = false;
};

inline constexpr const char* kUntitledBAM = "Untitled BAM";

// The colours transparent and shadow pixels are shown in until the user picks others.
inline constexpr std::uint32_t kDefaultTransCol = 0x00979700;   // red 0, green 151, blue 151
inline constexpr std::uint32_t kDefaultShadowCol = 0x006868FF;  // red 255, green 104, blue 104

// "Requested frame (N) does not exist! (where)": `where` tells the raising operation apart.
inline std::string FrameNotExistsMessage(std::int32_t index, int where) {
  return "Requested frame (" + std::to_string(index) + ") does not exist! (" +
         std::to_string(where) + ")";
}

}  // namespace celwright
