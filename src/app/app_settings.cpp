#include "app/app_settings.h"

#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <cstring>
#include <filesystem>

#include "support/app_info.h"

namespace celwright {

namespace {
constexpr const char* kGroup = "Settings";
QString Key(const std::string& name) {
  return QString(kGroup) + "/" + QString::fromStdString(name);
}

// The range of each stored number the program reads, so a hand-edited or damaged file cannot
// overflow what is computed from it (an autosave interval in milliseconds, say).
struct NumberRange {
  const char* Name;
  int Low, High;
};
constexpr NumberRange kRanges[] = {
    {"AutosaveInterval", 0, 24 * 60 * 60}, {"PlaySpeed", 0, 1000},
    {"OnionSkin", 0, 1},                   {"OnionSkinBefore", 0, 8},
    {"OnionSkinAfter", 0, 8},              {"OnionSkinBeforeTint", 0, 0xFFFFFF},
    {"OnionSkinAfterTint", 0, 0xFFFFFF},   {"TransCol", 0, 0xFFFFFF},
    {"ShadowCol", 0, 0xFFFFFF},            {"OverrideTrans", 0, 1},
    {"OverrideShadow", 0, 1},              {"RunMessage", 0, 1000},
    {"UndoMemoryMB", 1, 1 << 20},
};

// Why the file at `path` must not be read, or nothing when it may (also when it is missing).
std::string RefusalOf(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::exists(status)) return {};
  if (!fs::is_regular_file(status)) {
    return "The settings file \"" + path +
           "\" is not a regular file, so it was not read. The editor starts with its default "
           "settings and does not change that file.";
  }
  const std::uintmax_t size = fs::file_size(path, error);
  if (!error && size > AppSettings::kMaxFileBytes) {
    return "The settings file \"" + path + "\" is " + std::to_string(size / (1 << 20)) +
           " MB, far larger than settings can be, so it was not read. The editor starts with "
           "its default settings and leaves that file as it is.";
  }
  return {};
}
}  // namespace

AppSettings::AppSettings() {
  // The file QSettings' user scope uses, named here so it can be checked before it is read.
  Open(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Quillmont/" +
       kAppTitle + ".ini");
}

AppSettings::AppSettings(const std::string& ini_path) { Open(QString::fromStdString(ini_path)); }

AppSettings::~AppSettings() = default;

void AppSettings::Open(const QString& path) {
  problem_ = RefusalOf(path.toStdString());
  if (problem_.empty()) settings_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
}

QString AppSettings::Value(const QString& key) const {
  return settings_ ? settings_->value(key).toString() : memory_.value(key);
}

bool AppSettings::HasValue(const QString& key) const {
  return settings_ ? settings_->value(key).isValid() : memory_.contains(key);
}

void AppSettings::SetValue(const QString& key, const QString& value) {
  if (settings_) {
    settings_->setValue(key, value);
  } else {
    memory_.insert(key, value);
  }
}

void AppSettings::Sync() {
  if (settings_) settings_->sync();
}

int AppSettings::ReadInt(const char* name, int fallback) const {
  bool ok = false;
  const int value = Value(Key(name)).trimmed().toInt(&ok);
  if (!ok) return fallback;
  for (const NumberRange& range : kRanges) {
    if (std::strcmp(range.Name, name) == 0) return std::clamp(value, range.Low, range.High);
  }
  return value;
}

void AppSettings::WriteInt(const char* name, int value) {
  SetValue(Key(name), QString::number(value));
  Sync();
}

std::optional<std::string> AppSettings::ReadString(const std::string& name) const {
  if (!HasValue(Key(name))) return std::nullopt;
  return Value(Key(name)).toStdString();
}

void AppSettings::WriteString(const std::string& name, const std::string& value) {
  SetValue(Key(name), QString::fromStdString(value));
  Sync();
}

RecentFiles AppSettings::ReadRecentFiles() const {
  RecentFiles recent;
  for (int k = 0; k < kRecentCount; ++k) {
    const std::string name = "RecentFile" + std::to_string(k);
    recent.Names[static_cast<std::size_t>(k)] = Value(Key(name)).toStdString();
    recent.Types[static_cast<std::size_t>(k)] =
        DocTypeFromNumber(ReadInt((name + ".type").c_str(), 0));
  }
  return recent;
}

void AppSettings::WriteRecentFiles(const RecentFiles& recent) {
  for (int k = 0; k < kRecentCount; ++k) {
    const std::string name = "RecentFile" + std::to_string(k);
    SetValue(Key(name), QString::fromStdString(recent.Names[static_cast<std::size_t>(k)]));
    SetValue(Key(name + ".type"), QString::number(recent.Types[static_cast<std::size_t>(k)]));
  }
  Sync();
}

}  // namespace celwright
