#include "app/command_line.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>

namespace celwright {

namespace {

bool IsExistingFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

int NumberAfterColon(const std::string& text) {
  int value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() ? value : 0;
}

}  // namespace

CommandLineRequest ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLineRequest request;
  for (const std::string& argument : arguments) {
    std::string lowered = argument;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (IsExistingFile(argument)) {
      request.CmdLineFileName = argument;
      request.CmdLineFileNames.push_back(argument);
    }
    int number = -1;
    if (const auto colon = lowered.find(':'); colon != std::string::npos) {
      number = NumberAfterColon(lowered.substr(colon + 1));
      lowered.erase(colon);
    }
    if (lowered == "/p" || lowered == "-p" || lowered == "/preview" || lowered == "-preview") {
      request.PreviewMode = true;
      request.PreviewBackground = number;
    } else if (lowered == "/l" || lowered == "-l" || lowered == "/log" || lowered == "-log" ||
               lowered == "/logging" || lowered == "-logging") {
      request.LoggingSwitch = true;
    } else if (lowered == "--no-plugins" || lowered == "-no-plugins" || lowered == "/no-plugins") {
      request.NoPlugins = true;
    }
  }
  if (!request.CmdLineFileName.empty())
    request.CmdLineFileType = DocTypeFromFileName(request.CmdLineFileName);
  return request;
}

}  // namespace celwright
