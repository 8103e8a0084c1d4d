#include "support/qm_log.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <utility>

#include "support/file_io.h"

namespace celwright {

bool LogDisabled = false;

namespace {

constexpr const char* kLogFileName = "Log.txt";
constexpr const char* kStateSubfolder = "celwright-ii";

struct LogState {
  std::deque<std::string> lines;
  std::filesystem::path folder;  // empty: the executable's folder
  std::FILE* file = nullptr;
  std::filesystem::path file_path;
  bool file_tried = false;  // this run already chose where the file goes (or that none can)
  LogListener listener;
};

LogState& State() {
  static LogState state;
  return state;
}

std::filesystem::path ExecutableFolder() {
  std::error_code error;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::filesystem::current_path(error);
  return exe.parent_path();
}

std::FILE* CreateLogFile(const std::filesystem::path& folder) {
  if (folder.empty()) return nullptr;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return std::fopen((folder / kLogFileName).c_str(), "wb");
}

void CloseFile(LogState& state) {
  if (state.file) std::fclose(state.file);
  state.file = nullptr;
}

// Opens "Log.txt" on the first write of a run, replacing an older one.
void EnsureFile(LogState& state) {
  if (state.file_tried) return;
  state.file_tried = true;
  const std::filesystem::path program_folder =
      state.folder.empty() ? ExecutableFolder() : state.folder;
  for (const auto& folder : {program_folder, UserStateFolder()}) {
    if (std::FILE* file = CreateLogFile(folder)) {
      state.file = file;
      state.file_path = folder / kLogFileName;
      return;
    }
  }
}

// Writes and flushes so the file is complete up to the last action if the program stops. A
// write that fails (disk full, file removed under us) ends file logging for the run.
void WriteToFile(LogState& state, std::string_view bytes) {
  EnsureFile(state);
  if (!state.file) return;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), state.file) == bytes.size() &&
                       std::fflush(state.file) == 0;
  if (!written) {
    CloseFile(state);
    state.file_path.clear();
  }
}

void Notify(LogState& state, LogChange change, std::size_t index) {
  if (state.listener) state.listener(change, index);
}

}  // namespace

std::filesystem::path UserStateFolder() {
  if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state) {
    return std::filesystem::path(state) / kStateSubfolder;
  }
  if (const char* home = std::getenv("HOME"); home && *home) {
    return std::filesystem::path(home) / ".local" / "state" / kStateSubfolder;
  }
  return {};
}

void AddLogLine(std::string_view text) {
  if (LogDisabled) return;
  LogState& state = State();
  if (state.lines.size() >= kMaxLogLinesInMemory) {
    state.lines.pop_front();
    Notify(state, LogChange::OldestDropped, 0);
  }
  state.lines.emplace_back(text);
  std::string record = "\r\n";
  record += text;
  WriteToFile(state, record);
  Notify(state, LogChange::LineAdded, state.lines.size() - 1);
}

void AppendToLog(std::string_view text) {
  if (LogDisabled) return;
  LogState& state = State();
  if (!state.lines.empty()) state.lines.back() += text;
  WriteToFile(state, text);
  if (!state.lines.empty()) Notify(state, LogChange::LineCompleted, state.lines.size() - 1);
}

void SetLogFolder(const std::filesystem::path& folder) {
  LogState& state = State();
  CloseFile(state);
  state.folder = folder;
  state.file_path.clear();
  state.file_tried = false;
}

std::filesystem::path LogFilePath() { return State().file_path; }

void CloseLog() {
  CloseFile(State());
  LogDisabled = true;
}

const std::deque<std::string>& LogLines() { return State().lines; }

void ClearLogLines() {
  LogState& state = State();
  // Swapped out rather than cleared, so the memory of a long session goes back.
  std::deque<std::string>().swap(state.lines);
  Notify(state, LogChange::Cleared, 0);
}

void SaveLogLines(const std::filesystem::path& file) {
  std::vector<std::uint8_t> bytes;
  for (const std::string& line : State().lines) {
    bytes.insert(bytes.end(), line.begin(), line.end());
    bytes.push_back('\n');
  }
  WriteFileAtomically(file, bytes);
}

void SetLogListener(LogListener listener) { State().listener = std::move(listener); }

}  // namespace celwright
