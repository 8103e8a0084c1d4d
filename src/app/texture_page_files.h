#pragma once

#include <string>
#include <vector>

#include "model/qm_BAM.h"

namespace celwright {

class AppSettings;
class UserPrompts;

// The folders the user named for texture pages, most recent first.
std::vector<std::string> StoredPageFolders(const AppSettings& settings);

// Reads a BAM file of any kind into `bam`, BAM V2 included. Texture pages are looked for beside
// the file, then in the stored folders; when some are found nowhere the user is asked once for
// the folder holding them, which is remembered and searched too. Pages still missing (or
// damaged) are repairs in `bam.Warnings`; they never fail the file. False as LoadFromFile.
bool LoadAnimationFile(TBAM& bam, const std::string& file_name, UserPrompts& prompts,
                       AppSettings& settings, const TProgressEvent& on_progress);

// Saves the true-colour `bam` as the BAM V2 file `file_name` and its pages. When new pages are
// written the user is asked for the first page number (the next free one proposed), and pages
// of another file in the way are replaced only when the user agrees. False, with nothing
// written, when the user cancelled; throws EBAMSaveError when the save failed.
bool SaveTextureAnimation(TBAM& bam, const std::string& file_name, UserPrompts& prompts,
                          const TProgressEvent& on_progress);

}  // namespace celwright
