#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/qm_BAM.h"

namespace celwright {

// The animation properties plug-ins read and write by name. Names are compared in lower case;
// "palette:N" addresses palette entry N. The readers give nothing for a name that is not a
// property of their kind, so the caller can answer with the plug-in's default.
std::optional<bool> ReadBoolProperty(const TBAM& bam, std::string_view name);
std::optional<std::int32_t> ReadIntProperty(const TBAM& bam, std::string_view name);
const std::string* ReadStrProperty(const TBAM& bam, std::string_view name);

// What became of a write: stored, ignored (no such property of this kind), or refused because
// it would break the animation, with the reason for the log.
struct PropertyWrite {
  enum Outcome { kStored, kUnknown, kRefused } Result = kUnknown;
  std::string Reason;
};

PropertyWrite WriteBoolProperty(TBAM& bam, std::string_view name, bool value);
PropertyWrite WriteIntProperty(TBAM& bam, std::string_view name, std::int32_t value);
PropertyWrite WriteStrProperty(TBAM& bam, std::string_view name, std::string_view value);

}  // namespace celwright
