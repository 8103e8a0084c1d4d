#pragma once

#include <string>
#include <vector>

#include "model/engine_rules.h"
#include "model/qm_BAM.h"

namespace celwright::engine {

// One thing a file or document does that some engine refuses, misreads or shows otherwise.
struct Finding {
  const Rule* rule = nullptr;
  std::string message;  // one line naming the frame, sequence or palette entry
  int frame = -1;       // the frame concerned, or -1
  int sequence = -1;    // the sequence concerned, or -1
  int palette_entry = -1;
  // FixForEngines can clear it without changing any pixel as shown.
  bool fixable = false;
};

struct Report {
  std::vector<Finding> findings;
  int Count(Severity severity) const;
  bool Has(const Rule& rule) const;
};

// Checks a file as engines read it: its bytes (container, tables, offsets) and the document the
// loader makes of it, including what the loader had to repair. `loaded` receives that document,
// ready for FixForEngines; a file that cannot be read gives one unreadable-file finding. The
// texture pages of a BAM V2 file are looked for beside it, then in `page_folders`.
Report CheckFile(const std::string& path, TBAM& loaded,
                 const std::vector<std::string>& page_folders = {});

// Checks a document as the writer would store it (the editor's open animation): everything but
// the byte layout, which the writer always gets right, plus what its last load repaired.
Report CheckDocument(const TBAM& bam);

}  // namespace celwright::engine
