#pragma once

#include <cstdint>
#include <string>

#include "app/about_texts.h"
#include "document/doc_type.h"
#include "model/qm_BAM.h"

namespace celwright {

// The running editor as the exported plug-in functions see it. The exports check the thread,
// catch every error and validate what they are given before they get here.
class PluginHostApp {
 public:
  virtual ~PluginHostApp() = default;
  virtual void RegisterMenuEntry(const std::string& parent_name, const std::string& caption,
                                 const std::string& proc_name, void* library) = 0;
  virtual void ShowAboutBox(const AboutTexts& texts) = 0;
  virtual void OpenFile(const std::string& file_name, TDocType file_type, bool add_to_recent) = 0;
  virtual void SaveCurrent() = 0;
  virtual void CloseCurrent() = 0;
  // The animation of the open document, or null when none is open.
  virtual TBAM* OpenAnimation() = 0;
  // A plug-in changed a property of the open animation.
  virtual void PropertyChanged() = 0;
  // Hands a log line over to the user-interface thread, which owns the log.
  virtual void LogFromOtherThread(const std::string& line) = 0;
};

// The editor the exports drive; null before start-up and after the plug-ins are unloaded. The
// thread that installs it is the only one whose calls are served.
void InstallPluginHostApp(PluginHostApp* app);
PluginHostApp* InstalledPluginHostApp();
bool OnPluginHostThread();

}  // namespace celwright
