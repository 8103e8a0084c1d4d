#pragma once

#include <functional>
#include <string>

// The shell's one way into the action log. Every log call of src/app goes through these functions,
// so pointing the shell at the shared log unit later is a change in app_log.cpp alone.
namespace celwright::app_log {

// Starts a new line ("OPEN: name...").
void AddLogLine(const std::string& text);
// Completes the current line (" [OK]").
void AppendToLog(const std::string& text);

// While disabled every call does nothing (the command line is read with the log suspended).
void SetLogDisabled(bool disabled);
bool LogDisabled();

// The log window listens here: `added` is true for a new line, false when `text` completes the
// last one.
using LineObserver = std::function<void(bool added, const std::string& text)>;
void SetObserver(LineObserver observer);

// "Log.txt" lives in this folder; the first log call of a run replaces the file.
void SetLogFolder(const std::string& folder);
std::string LogFilePath();

}  // namespace celwright::app_log
