#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/recent_files.h"

class QSettings;

namespace celwright {

// The values the shell keeps between runs, under their stored names. Everything is written as
// text, integers in decimal, so the file reads the same as the settings of earlier releases.
class AppSettings {
 public:
  // The per-user settings file of "Quillmont/Celwright II".
  AppSettings();
  // A settings file of the caller's choosing (tests).
  explicit AppSettings(const std::string& ini_path);
  ~AppSettings();

  RecentFiles ReadRecentFiles() const;
  void WriteRecentFiles(const RecentFiles& recent);

  int ReadInt(const char* name, int fallback) const;
  void WriteInt(const char* name, int value);
  // Nothing when the value was never stored.
  std::optional<std::string> ReadString(const std::string& name) const;
  void WriteString(const std::string& name, const std::string& value);

 private:
  std::unique_ptr<QSettings> settings_;
};

}  // namespace celwright
