// The functions the executable exports to plug-ins, by name and as one table. They are the only
// way into the editor from a plug-in's C code, so each one stops every error at the border:
// wrong thread, no editor yet, bad arguments, exceptions.
#include <exception>
#include <string>

#include "app/plugin_host_app.h"
#include "app/plugin_properties.h"
#include "celwright_plugin.h"
#include "support/qm_log.h"

namespace celwright {
namespace {

std::string Text(const char* text) { return text ? std::string(text) : std::string(); }

void LogQuietly(const std::string& line) {
  try {
    AddLogLine(line);
  } catch (...) {
    // Nothing may reach the plug-in, not even a failed log line.
  }
}

// Runs `body` for the plug-in when the call may be served, else answers `fallback`.
template <typename Result, typename Body>
Result Serve(const char* export_name, Result fallback, Body body) {
  try {
    PluginHostApp* app = InstalledPluginHostApp();
    if (!app) return fallback;
    if (!OnPluginHostThread()) {
      app->LogFromOtherThread(std::string("PLUG: ") + export_name +
                              " [ABORTED] (called from another thread)");
      return fallback;
    }
    return body(*app);
  } catch (const std::exception& e) {
    LogQuietly(std::string("PLUG: ") + export_name + " [ABORTED] (" + e.what() + ")");
  } catch (...) {
    LogQuietly(std::string("PLUG: ") + export_name + " [ABORTED] (unknown error)");
  }
  return fallback;
}

// The setters: a write to the open animation, refused or stored.
template <typename Write>
void ServeWrite(const char* export_name, const char* name, Write write) {
  Serve(export_name, 0, [&](PluginHostApp& app) {
    TBAM* bam = app.OpenAnimation();
    if (!bam || !name) return 0;
    const PropertyWrite outcome = write(*bam, std::string_view(name));
    if (outcome.Result == PropertyWrite::kStored) {
      app.PropertyChanged();
    } else if (outcome.Result == PropertyWrite::kRefused) {
      AddLogLine(std::string("PLUG: ") + export_name + " " + name + " [ABORTED] (" +
                 outcome.Reason + ")");
    }
    return 0;
  });
}

}  // namespace
}  // namespace celwright

using celwright::PluginHostApp;
using celwright::Serve;
using celwright::ServeWrite;
using celwright::TBAM;
using celwright::Text;

extern "C" {

void RegisterMenuEntry(const char* ParentName, const char* Caption, const char* ProcName,
                       CelwrightLibrary Library) {
  Serve("RegisterMenuEntry", 0, [&](PluginHostApp& app) {
    app.RegisterMenuEntry(Text(ParentName), Text(Caption), Text(ProcName), Library);
    return 0;
  });
}

void ShowAboutBox(const char* AppName, const char* Version, const char* Created,
                  const char* Author, const char* Email, const char* URL) {
  Serve("ShowAboutBox", 0, [&](PluginHostApp& app) {
    app.ShowAboutBox(
        {Text(AppName), Text(Version), Text(Created), Text(Author), Text(Email), Text(URL)});
    return 0;
  });
}

void OpenFile(const char* FileName, uint8_t FileType, CelwrightBool AddToRecent) {
  Serve("OpenFile", 0, [&](PluginHostApp& app) {
    app.OpenFile(Text(FileName), celwright::DocTypeFromNumber(FileType), AddToRecent != 0);
    return 0;
  });
}

void SaveCurrent(void) {
  Serve("SaveCurrent", 0, [](PluginHostApp& app) {
    app.SaveCurrent();
    return 0;
  });
}

void CloseCurrent(void) {
  Serve("CloseCurrent", 0, [](PluginHostApp& app) {
    app.CloseCurrent();
    return 0;
  });
}

void SetBAMPropertyBool(const char* Name, CelwrightBool Value) {
  ServeWrite("SetBAMProperty", Name, [&](TBAM& bam, std::string_view name) {
    return celwright::WriteBoolProperty(bam, name, Value != 0);
  });
}

void SetBAMPropertyInt(const char* Name, int32_t Value) {
  ServeWrite("SetBAMProperty", Name, [&](TBAM& bam, std::string_view name) {
    return celwright::WriteIntProperty(bam, name, Value);
  });
}

void SetBAMPropertyStr(const char* Name, const char* Value) {
  ServeWrite("SetBAMProperty", Name, [&](TBAM& bam, std::string_view name) {
    return celwright::WriteStrProperty(bam, name, Text(Value));
  });
}

CelwrightBool GetBAMPropertyBool(const char* Name, CelwrightBool Default) {
  return Serve("GetBAMProperty", Default, [&](PluginHostApp& app) -> CelwrightBool {
    const TBAM* bam = app.OpenAnimation();
    if (!bam || !Name) return Default;
    const auto value = celwright::ReadBoolProperty(*bam, Name);
    return value ? static_cast<CelwrightBool>(*value ? 1 : 0) : Default;
  });
}

int32_t GetBAMPropertyInt(const char* Name, int32_t Default) {
  return Serve("GetBAMProperty", Default, [&](PluginHostApp& app) -> int32_t {
    const TBAM* bam = app.OpenAnimation();
    if (!bam || !Name) return Default;
    return celwright::ReadIntProperty(*bam, Name).value_or(Default);
  });
}

const char* GetBAMPropertyStr(const char* Name, const char* Default) {
  return Serve("GetBAMProperty", Default, [&](PluginHostApp& app) -> const char* {
    const TBAM* bam = app.OpenAnimation();
    if (!bam || !Name) return Default;
    const std::string* value = celwright::ReadStrProperty(*bam, Name);
    return value ? value->c_str() : Default;
  });
}

const CelwrightHost CelwrightHostTable = {
    sizeof(CelwrightHost), CELWRIGHT_HOST_VERSION,
    &RegisterMenuEntry,    &ShowAboutBox,
    &OpenFile,             &SaveCurrent,
    &SetBAMPropertyBool,   &SetBAMPropertyInt,
    &SetBAMPropertyStr,    &GetBAMPropertyBool,
    &GetBAMPropertyInt,    &GetBAMPropertyStr,
    &CloseCurrent,
};

}  // extern "C"
