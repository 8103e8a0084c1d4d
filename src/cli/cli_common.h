#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "model/qm_BAM.h"

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
// reader's message when the file is refused.
void LoadAnimation(TBAM& bam, const std::string& path);

// Options of the form --name, in any position; what remains are the positional arguments.
struct ParsedArgs {
  std::vector<std::string> positional;
  std::vector<std::string> flags;
  bool Has(const std::string& flag) const;
};
ParsedArgs ParseArgs(const std::vector<std::string>& args);

int RunInfo(const std::vector<std::string>& args);
int RunConvert(const std::vector<std::string>& args);

}  // namespace celwright::cli
