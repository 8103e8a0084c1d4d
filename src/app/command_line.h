#pragma once

#include <string>
#include <vector>

#include "document/doc_type.h"

namespace celwright {

// What the program was asked to do on its command line.
struct CommandLineRequest {
  std::string CmdLineFileName;  // last argument naming an existing file
  std::vector<std::string> CmdLineFileNames;  // every argument naming an existing file, in order
  TDocType CmdLineFileType = dtBAM;
  bool PreviewMode = false;
  int PreviewBackground = -1;  // the number after "-p:", -1 when none was given
  bool LoggingSwitch = false;
  bool NoPlugins = false;  // "--no-plugins": a start that a broken plug-in cannot end
};

// Reads the arguments (without the program name). "/x" and "-x" switches are the same and are
// compared in lower case; a number after ":" that is not a number counts as 0.
CommandLineRequest ParseCommandLine(const std::vector<std::string>& arguments);

}  // namespace celwright
