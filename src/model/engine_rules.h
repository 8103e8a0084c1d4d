#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/bam_types.h"
#include "support/color_types.h"

namespace celwright::engine {

// What a finding means for the game: an engine refuses or misreads the file (error), engines
// disagree or a user is likely surprised (warning), or worth knowing (note).
enum class Severity { kError, kWarning, kNote };

// The engines a rule concerns, as bits.
enum Engines : unsigned {
  kReimplementation = 1,  // the open-source engine reimplementation
  kOriginalEngines = 2,   // the games' own engines
  kNewerEditions = 4,     // the newer editions of the games' engines
  kAllEngines = kReimplementation | kOriginalEngines | kNewerEditions,
};

// One rule that files for the game must obey. Ids are stable: scripts and mod build pipelines
// match on them.
struct Rule {
  const char* id;
  Severity severity;
  const char* summary;
  unsigned engines;
};

extern const Rule kFrameOffsetWithoutData;
extern const Rule kEmptyFrameEncoded;
extern const Rule kTooManyFrames;
extern const Rule kTooManyLookupEntries;
extern const Rule kTransparentIndexDisagreement;
extern const Rule kPaletteAlpha;
extern const Rule kOpaqueOnTransparentIndex;
extern const Rule kOpaqueOnShadowIndex;
extern const Rule kLookupMissingFrame;
extern const Rule kSequencePastLookup;
extern const Rule kUnusedFrame;
extern const Rule kDuplicateFrame;
extern const Rule kContainerLength;
extern const Rule kLoaderRepair;
extern const Rule kUnpalettedFile;
extern const Rule kUnreadableFile;
extern const Rule kPageMissing;
extern const Rule kBlockOutsidePage;
extern const Rule kPageOverMaxSide;
extern const Rule kSequencePastFrames;

const std::vector<const Rule*>& AllRules();
const char* SeverityName(Severity severity);
std::vector<std::string> EngineNames(unsigned engines);

// --- Rules the writer obeys -------------------------------------------------------------
// 0xFFFF means "none" to the reimplementation's reader, so neither count may reach it.
inline constexpr std::int64_t kMaxFrames = 65534;
inline constexpr std::int64_t kMaxLookupEntries = 65534;

// Raised when an edit would take the animation past what engines read.
class EngineLimitError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// Throws EngineLimitError when `frames` frames or `lookup_entries` lookup entries are too many.
void RequireFrameCount(std::int64_t frames);
void RequireLookupEntryCount(std::int64_t lookup_entries);

// The largest texture page side the games' own pages use.
inline constexpr int kGamePageSide = 1024;

// A frame without pixels must be stored raw: an encoded one reads as a null frame.
inline bool MayStoreEncoded(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0;
}
// Every frame data offset needs at least one byte of the file at or after it.
inline bool OffsetHasData(std::uint64_t offset, std::uint64_t image_size) {
  return offset < image_size;
}

// --- Transparency ------------------------------------------------------------------------
// Which palette index each engine draws as transparent. The reimplementation takes the
// run-length key; the original engines take the first pure green entry, or entry 0 when there
// is none; this program shows entry 0 as transparent.
struct TransparentIndices {
  int key = 0;
  int first_green = -1;  // -1: no pure green entry
  int original = 0;
  // The index the file means as transparent: the one the engines agree on; without a green
  // entry the key (an ordinary colour at entry 0 is then meant to be seen); with one and a key
  // of 0 entry 0, as this program writes; else the green entry.
  int intended = 0;
  bool AllAgree() const { return key == 0 && original == 0; }
};
TransparentIndices FindTransparentIndices(const Palette256& palette, std::uint8_t key);

// Creature animations draw index 1 as shadow; a palette marks it so with a shadow colour at
// entry 1: black or a dark, nearly neutral grey (the games' creature palettes use both).
inline constexpr int kShadowColourMost = 64;
inline constexpr int kShadowColourSpread = 8;
bool PaletteMarksShadow(const Palette256& palette);

}  // namespace celwright::engine
