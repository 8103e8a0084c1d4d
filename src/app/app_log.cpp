#include "app/app_log.h"

#include <filesystem>
#include <fstream>

namespace celwright::app_log {

namespace {

struct LogState {
  bool disabled = false;
  LineObserver observer;
  std::string folder = ".";
  std::string path;
  std::ofstream file;
};

LogState& State() {
  static LogState state;
  return state;
}

// The file is opened on the first write so a run that logs nothing leaves the old file alone.
void Write(const std::string& bytes) {
  LogState& s = State();
  if (!s.file.is_open()) {
    s.path = (std::filesystem::path(s.folder) / "Log.txt").string();
    s.file.open(s.path, std::ios::binary | std::ios::trunc);
  }
  if (!s.file) return;
  s.file << bytes;
  // Flushed line by line so the file tells where the program stopped if it ever crashes.
  s.file.flush();
}

}  // namespace

void AddLogLine(const std::string& text) {
  if (State().disabled) return;
  if (State().observer) State().observer(true, text);
  Write("\r\n" + text);
}

void AppendToLog(const std::string& text) {
  if (State().disabled) return;
  if (State().observer) State().observer(false, text);
  Write(text);
}

void SetLogDisabled(bool disabled) { State().disabled = disabled; }
bool LogDisabled() { return State().disabled; }
void SetObserver(LineObserver observer) { State().observer = std::move(observer); }

void SetLogFolder(const std::string& folder) {
  LogState& s = State();
  if (s.file.is_open()) s.file.close();
  s.folder = folder;
}

std::string LogFilePath() { return (std::filesystem::path(State().folder) / "Log.txt").string(); }

}  // namespace celwright::app_log
