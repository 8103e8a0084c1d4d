#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace celwright {

// The action log: every user action starts a line ("MDFY: Draw: Pencil...") and later completes
// it with its outcome (" [OK]", " [ABORTED] (reason)"). Lines are kept in memory for the log
// window and mirrored to "Log.txt" as they arrive. User-interface thread only.
//
// Logging never makes a command fail: when the program folder is not writable the file goes to
// the per-user state folder instead, and when that fails too the log stays in memory only.

// While true every log call does nothing (start-up sets it while reading the command line).
extern bool LogDisabled;

void AddLogLine(std::string_view text);
void AppendToLog(std::string_view text);

// The folder "Log.txt" is written to; by default the folder of the running executable. Setting
// it closes the current file, so the next log call creates the file afresh there.
void SetLogFolder(const std::filesystem::path& folder);
// Where the log file of this run actually is; empty until the first write, and empty for good
// when no folder could take it.
std::filesystem::path LogFilePath();
// The per-user state folder of the program ($XDG_STATE_HOME/celwright-ii, by default under
// ~/.local/state); empty when neither variable is set.
std::filesystem::path UserStateFolder();
// Ends file logging for the run (the log window's destruction): closes the file and sets
// LogDisabled.
void CloseLog();

// The in-memory log, one entry per line, as the log window lists it: the latest lines only, since
// playback alone logs a line a frame and a long session would fill memory. "Log.txt" keeps all.
inline constexpr std::size_t kMaxLogLinesInMemory = 5000;
const std::deque<std::string>& LogLines();
// Empties the in-memory list; "Log.txt" keeps everything.
void ClearLogLines();
// Saves the in-memory lines as a text file, one line each. Throws std::runtime_error naming the
// file and the reason when it cannot be written.
void SaveLogLines(const std::filesystem::path& file);

// The log window attaches here to follow the list. `line_index` is the changed entry; when the
// list is full the oldest line goes first (OldestDropped, index 0), then the new one is added.
enum class LogChange { LineAdded, LineCompleted, Cleared, OldestDropped };
using LogListener = std::function<void(LogChange change, std::size_t line_index)>;
void SetLogListener(LogListener listener);

}  // namespace celwright
