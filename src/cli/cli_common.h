#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "model/qm_BAM.h"
#include "model/shared_palette.h"

namespace celwright::cli {

// A command line that does not make sense: exit status 2 with the usage text.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A command that could not be carried out: exit status 1 with the message.
class CommandError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Loads an animation, printing what the reader repaired to stderr; throws CommandError with the
// reader's message when the file is refused. Transparent and shadow pixels are then shown in the
// editor's default colours. BAM V2 files open too, their texture pages looked for beside the file
// and then in `page_folders`.
void LoadAnimation(TBAM& bam, const std::string& path,
                   const std::vector<std::string>& page_folders = {});

// Gives a document the editor's default display colours for transparent and shadow pixels.
void ApplyDisplayDefaults(TBAM& bam);

// Saves through SaveToFile, turning its refusals into CommandError; prints what a BAM V2 save
// had to tell about its texture pages.
void SaveAnimation(TBAM& bam, const std::string& path, bool compressed);

// Refuses (as a usage error) an output that does not end in .bam, in any case, or that is one of
// `inputs`, also under another spelling of the same file: either would replace a picture or the
// source with a new animation.
void RequireNewBamOutput(const std::string& out, const std::vector<std::string>& inputs);

// Options of the form --name, in any position; what remains are the positional arguments.
struct ParsedArgs {
  std::vector<std::string> positional;
  std::vector<std::string> flags;
  // Given at all, with or without a value.
  bool Has(const std::string& flag) const;
  // The value of "--name VALUE" or "--name=VALUE", or `fallback`.
  std::string Value(const std::string& flag, const std::string& fallback) const;
  // Every value of a flag that may be given several times, in order.
  std::vector<std::string> Values(const std::string& flag) const;
  // Fails with a usage error for any flag not listed.
  void AllowOnly(const std::vector<std::string>& known) const;
};
// `valued` lists the flags that take the next argument as their value.
ParsedArgs ParseArgs(const std::vector<std::string>& args,
                     const std::vector<std::string>& valued = {});

// The file name's extension in lower case, with its dot (".png"); empty for none.
std::string LowerExtension(const std::string& path);

// The value of --dither (fs or ordered), Dithering::kNone without it; anything else is a usage
// error.
Dithering DitheringOption(const ParsedArgs& parsed);

// The value of --keep-entries A-B; empty without it.
EntryRange KeptEntriesOption(const ParsedArgs& parsed);
// The palette of a .pal file, a paletted BAM or a paletted picture.
Palette256 LoadGivenPalette(const std::string& path);

int RunPalette(const std::vector<std::string>& args);
int RunInfo(const std::vector<std::string>& args);
int RunConvert(const std::vector<std::string>& args);
int RunFrames(const std::vector<std::string>& args);
int RunExport(const std::vector<std::string>& args);
int RunImport(const std::vector<std::string>& args);
int RunCheck(const std::vector<std::string>& args);
int RunSheet(const std::vector<std::string>& args);
// Imports of whole animations from pixel-art editors: sprite sheets (with JSON data, or cut by
// --grid) and animated PNG.
bool IsExchangeImport(const std::vector<std::string>& args);
int RunExchangeImport(const std::vector<std::string>& args);

}  // namespace celwright::cli
