#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace celwright {

// Where the desktop keeps per-user file types and applications ($XDG_DATA_HOME, default
// ~/.local/share) and the user's default applications ($XDG_CONFIG_HOME/mimeapps.list, default
// ~/.config).
struct DesktopFolders {
  std::filesystem::path DataHome;
  std::filesystem::path ConfigHome;
};
DesktopFolders DesktopFoldersFromEnvironment();

inline constexpr const char* kBamMimeType = "application/x-infinity-bam";
inline constexpr const char* kEditorDesktopId = "celwright.desktop";
inline constexpr const char* kPreviewDesktopId = "celwright-preview.desktop";
inline constexpr const char* kDesktopIconName = "celwright";

// Runs a helper program (argument 0 is its name or path) and waits for it; failures are the
// caller's to ignore.
using HelperRunner = std::function<void(const std::vector<std::string>& arguments)>;
// Runs it when it is found on PATH; does nothing otherwise.
void RunHelperIfPresent(const std::vector<std::string>& arguments);

struct AssociationOutcome {
  std::vector<std::filesystem::path> Written;  // files (re)written; empty when all was current
  bool UserDefaultKept = false;  // another application is the user's default for .bam files
  bool DefaultTaken = false;     // this program replaced another as the default
  std::string Error;             // why something could not be written
};

// Makes .bam files open in the program at `executable` (an absolute path): the editor's menu
// entry, the hidden quick-preview entry that is the default action, and the file type with its
// name pattern and signatures, and the icon they name. Anything already current is left
// untouched, and when everything is, nothing is written and no helper runs; otherwise the files
// are replaced atomically and the desktop's caches refreshed through `run`. The user's own
// default application for .bam files is kept unless `make_default` (the user asked for this
// program).
AssociationOutcome EnsureAssociation(const std::filesystem::path& executable,
                                     const DesktopFolders& folders, const HelperRunner& run,
                                     bool make_default = false);

}  // namespace celwright
