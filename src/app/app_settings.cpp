#include "app/app_settings.h"

#include <QSettings>

#include "app/app_info.h"

namespace celwright {

namespace {
constexpr const char* kGroup = "Settings";
QString Key(const std::string& name) {
  return QString(kGroup) + "/" + QString::fromStdString(name);
}
}  // namespace

AppSettings::AppSettings()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "Quillmont",
                                            kAppTitle)) {}

AppSettings::AppSettings(const std::string& ini_path)
    : settings_(
          std::make_unique<QSettings>(QString::fromStdString(ini_path), QSettings::IniFormat)) {}

AppSettings::~AppSettings() = default;

int AppSettings::ReadInt(const char* name, int fallback) const {
  bool ok = false;
  const int value = settings_->value(Key(name)).toString().trimmed().toInt(&ok);
  return ok ? value : fallback;
}

void AppSettings::WriteInt(const char* name, int value) {
  settings_->setValue(Key(name), QString::number(value));
  settings_->sync();
}

std::optional<std::string> AppSettings::ReadString(const std::string& name) const {
  const QVariant value = settings_->value(Key(name));
  if (!value.isValid()) return std::nullopt;
  return value.toString().toStdString();
}

void AppSettings::WriteString(const std::string& name, const std::string& value) {
  settings_->setValue(Key(name), QString::fromStdString(value));
  settings_->sync();
}

RecentFiles AppSettings::ReadRecentFiles() const {
  RecentFiles recent;
  for (int k = 0; k < kRecentCount; ++k) {
    const std::string name = "RecentFile" + std::to_string(k);
    recent.Names[static_cast<std::size_t>(k)] =
        settings_->value(Key(name)).toString().toStdString();
    recent.Types[static_cast<std::size_t>(k)] =
        DocTypeFromNumber(ReadInt((name + ".type").c_str(), 0));
  }
  return recent;
}

void AppSettings::WriteRecentFiles(const RecentFiles& recent) {
  for (int k = 0; k < kRecentCount; ++k) {
    const std::string name = "RecentFile" + std::to_string(k);
    settings_->setValue(Key(name),
                        QString::fromStdString(recent.Names[static_cast<std::size_t>(k)]));
    settings_->setValue(Key(name + ".type"),
                        QString::number(recent.Types[static_cast<std::size_t>(k)]));
  }
  settings_->sync();
}

}  // namespace celwright
