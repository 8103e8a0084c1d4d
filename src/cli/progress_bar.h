#pragma once

#include "model/bam_types.h"

namespace celwright::cli {

// A progress callback that draws a bar on stderr while a long load, save or conversion runs,
// or does nothing when stderr is not a terminal (so scripts and logs stay clean).
enum class ProgressKind { kFile, kConversion };
TProgressEvent TerminalProgress(ProgressKind kind = ProgressKind::kFile);

}  // namespace celwright::cli
