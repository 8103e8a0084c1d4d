#include "cli/cli_common.h"

#include <algorithm>
#include <iostream>

namespace celwright::cli {

void LoadAnimation(TBAM& bam, const std::string& path) {
  if (!bam.LoadFromFile(path)) {
    throw CommandError(path + ": " + bam.ErrorMessage);
  }
  for (const std::string& warning : bam.Warnings) {
    std::cerr << path << ": warning: " << warning << "\n";
  }
}

bool ParsedArgs::Has(const std::string& flag) const {
  return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

ParsedArgs ParseArgs(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  for (const std::string& arg : args) {
    if (arg.size() > 2 && arg.rfind("--", 0) == 0) {
      parsed.flags.push_back(arg);
    } else {
      parsed.positional.push_back(arg);
    }
  }
  return parsed;
}

}  // namespace celwright::cli
