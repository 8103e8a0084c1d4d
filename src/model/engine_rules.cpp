#include "model/engine_rules.h"

#include <algorithm>

namespace celwright::engine {

const Rule kFrameOffsetWithoutData{
    "frame-offset-without-data", Severity::kError,
    "a frame's data offset has no byte of the file at or after it", kReimplementation};
const Rule kEmptyFrameEncoded{"empty-frame-encoded", Severity::kError,
                              "a frame without pixels is stored run-length encoded",
                              kReimplementation};
const Rule kTooManyFrames{"too-many-frames", Severity::kError,
                          "more than 65534 frames", kReimplementation};
const Rule kTooManyLookupEntries{"too-many-lookup-entries", Severity::kError,
                                 "more than 65534 lookup entries", kReimplementation};
const Rule kTransparentIndexDisagreement{
    "transparent-index-disagreement", Severity::kWarning,
    "the run-length key, entry 0 and the first pure green entry name different transparent "
    "indices",
    kReimplementation | kOriginalEngines};
const Rule kPaletteAlpha{"palette-alpha", Severity::kWarning,
                         "palette entries with a 4th byte other than 0", kNewerEditions};
const Rule kOpaqueOnTransparentIndex{
    "opaque-on-transparent-index", Severity::kWarning,
    "opaque pixels on an index that an engine draws as transparent",
    kReimplementation | kOriginalEngines};
const Rule kOpaqueOnShadowIndex{"opaque-on-shadow-index", Severity::kNote,
                                "pixels on index 1, which creature animations draw as shadow",
                                kAllEngines};
const Rule kLookupMissingFrame{"lookup-missing-frame", Severity::kError,
                               "lookup entries name frames that do not exist", kAllEngines};
const Rule kSequencePastLookup{"sequence-past-lookup", Severity::kError,
                               "a sequence reaches past the lookup table", kAllEngines};
const Rule kUnusedFrame{"unused-frame", Severity::kNote, "a frame no sequence shows", kAllEngines};
const Rule kDuplicateFrame{"duplicate-frame", Severity::kNote, "identical frames stored twice",
                           kAllEngines};
const Rule kContainerLength{"container-length", Severity::kError,
                            "a compressed BAM whose stated length differs from its data",
                            kAllEngines};
const Rule kLoaderRepair{"loader-repair", Severity::kError,
                         "damage the loader had to repair", kAllEngines};
const Rule kUnpalettedFile{"unpaletted-file", Severity::kError,
                           "an unpaletted BAM, which no engine reads", kAllEngines};
const Rule kUnreadableFile{"unreadable-file", Severity::kError, "a file that cannot be read",
                           kAllEngines};

const Rule kPageMissing{"page-missing", Severity::kError,
                        "a texture page that a data block names is missing or cannot be read",
                        kAllEngines};
const Rule kBlockOutsidePage{"block-outside-page", Severity::kError,
                             "a data block reaches past its texture page or its frame",
                             kAllEngines};
const Rule kPageOverMaxSide{"page-over-1024", Severity::kWarning,
                            "a texture page wider or taller than 1024, more than the games' own",
                            kNewerEditions};
const Rule kSequencePastFrames{"sequence-past-frames", Severity::kError,
                               "a sequence reaches past the last frame entry", kAllEngines};

const std::vector<const Rule*>& AllRules() {
  static const std::vector<const Rule*> rules{
      &kFrameOffsetWithoutData, &kEmptyFrameEncoded,   &kTooManyFrames,
      &kTooManyLookupEntries,   &kTransparentIndexDisagreement,
      &kPaletteAlpha,           &kOpaqueOnTransparentIndex,
      &kOpaqueOnShadowIndex,    &kLookupMissingFrame,  &kSequencePastLookup,
      &kUnusedFrame,            &kDuplicateFrame,      &kContainerLength,
      &kLoaderRepair,           &kUnpalettedFile,      &kUnreadableFile,
      &kPageMissing,            &kBlockOutsidePage,    &kPageOverMaxSide,
      &kSequencePastFrames};
  return rules;
}

const char* SeverityName(Severity severity) {
  switch (severity) {
    case Severity::kError:
      return "error";
    case Severity::kWarning:
      return "warning";
    case Severity::kNote:
      return "note";
  }
  return "note";
}

std::vector<std::string> EngineNames(unsigned engines) {
  std::vector<std::string> names;
  if (engines & kReimplementation) names.emplace_back("reimplementation");
  if (engines & kOriginalEngines) names.emplace_back("original");
  if (engines & kNewerEditions) names.emplace_back("newer editions");
  return names;
}

void RequireFrameCount(std::int64_t frames) {
  if (frames > kMaxFrames) {
    throw EngineLimitError("An animation holds at most " + std::to_string(kMaxFrames) +
                           " frames; engines refuse more");
  }
}

void RequireLookupEntryCount(std::int64_t lookup_entries) {
  if (lookup_entries > kMaxLookupEntries) {
    throw EngineLimitError("The sequences hold at most " + std::to_string(kMaxLookupEntries) +
                           " frame entries together; engines refuse more");
  }
}

TransparentIndices FindTransparentIndices(const Palette256& palette, std::uint8_t key) {
  TransparentIndices found;
  found.key = key;
  for (int i = 0; i < 256; ++i) {
    if (palette[i] == RGBTriple{0, 255, 0}) {
      found.first_green = i;
      break;
    }
  }
  found.original = found.first_green < 0 ? 0 : found.first_green;
  if (found.first_green < 0) {
    found.intended = found.key;
  } else if (found.key == found.first_green || found.key != 0) {
    found.intended = found.first_green;
  } else {
    found.intended = 0;
  }
  return found;
}

bool PaletteMarksShadow(const Palette256& palette) {
  const RGBTriple entry = palette[1];
  const int high = std::max({entry.r, entry.g, entry.b});
  const int low = std::min({entry.r, entry.g, entry.b});
  return high <= kShadowColourMost && high - low <= kShadowColourSpread;
}

}  // namespace celwright::engine
