#pragma once

#include <functional>
#include <string>

namespace celwright {

// Where the document window's log lines go. A line starts with AddLogLine and is completed by
// AppendToLog (" [OK]", " [ABORTED]" ...). Every new window starts from DefaultDocumentLog(),
// which is the one place to point at the program's action log once it is linked in; tests give
// a window their own sinks to read the lines back.
struct DocumentLog {
  std::function<void(const std::string&)> AddLogLine;
  std::function<void(const std::string&)> AppendToLog;

  void Line(const std::string& text) const {
    if (AddLogLine) AddLogLine(text);
  }
  void Append(const std::string& text) const {
    if (AppendToLog) AppendToLog(text);
  }
};

DocumentLog DefaultDocumentLog();

}  // namespace celwright
