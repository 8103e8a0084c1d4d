#pragma once

#include <QMap>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "app/recent_files.h"

class QSettings;

namespace celwright {

// The values the shell keeps between runs, under their stored names. Everything is written as
// text, integers in decimal, so the file reads the same as the settings of earlier releases.
// A settings file that is no regular file (a FIFO would block start-up) or is far too large is
// never read nor written: the editor starts with the defaults, keeps changes in memory for the
// run and says why (Problem()), and the user's file stays as it is.
class AppSettings {
 public:
  // The per-user settings file of "Quillmont/Celwright II".
  AppSettings();
  // A settings file of the caller's choosing (tests).
  explicit AppSettings(const std::string& ini_path);
  ~AppSettings();

  RecentFiles ReadRecentFiles() const;
  void WriteRecentFiles(const RecentFiles& recent);

  // Known numbers come back within their range, whatever the file holds.
  int ReadInt(const char* name, int fallback) const;
  void WriteInt(const char* name, int value);
  // Nothing when the value was never stored.
  std::optional<std::string> ReadString(const std::string& name) const;
  void WriteString(const std::string& name, const std::string& value);

  // Why the settings file was not used; empty when it was (or did not exist yet).
  const std::string& Problem() const { return problem_; }

  // The largest settings file read: far more than any real one holds.
  static constexpr std::uintmax_t kMaxFileBytes = 1 << 20;

 private:
  void Open(const QString& path);
  QString Value(const QString& key) const;
  bool HasValue(const QString& key) const;
  void SetValue(const QString& key, const QString& value);
  void Sync();

  std::unique_ptr<QSettings> settings_;  // null when the file is refused
  QMap<QString, QString> memory_;        // the values of this run, when it is
  std::string problem_;
};

}  // namespace celwright
