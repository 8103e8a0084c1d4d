// The functions the executable exports to plug-ins, by name and as one table. They are the only
// way into the editor from a plug-in's C code, so each one stops every error at the border:
// wrong thread, no editor yet, bad arguments, exceptions.
#include <cstring>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/plugin_host_app.h"
#include "app/plugin_properties.h"
#include "celwright_plugin.h"
#include "support/qm_log.h"

namespace celwright {
namespace {

// What a plug-in may hand over. A caption or an about text far longer than a screen holds
// only freezes the editor while it lays it out, and a file name longer than the system takes
// ends it through the window system; each is refused with a log line instead.
constexpr std::size_t kMaxNameBytes = 256;        // menu, function and property names
constexpr std::size_t kMaxCaptionBytes = 256;     // menu captions
constexpr std::size_t kMaxAboutTextBytes = 1024;  // each about-box text
constexpr std::size_t kMaxFileNameBytes = 4096;   // file names, as the system allows

// The text, or nothing when it is longer than `limit` bytes; never reads past limit + 1 bytes.
std::optional<std::string> Bounded(const char* text, std::size_t limit) {
  if (!text) return std::string();
  const std::size_t length = ::strnlen(text, limit + 1);
  if (length > limit) return std::nullopt;
  return std::string(text, length);
}

// Thrown, and logged at the border, when an argument is refused.
struct TooLong : std::runtime_error {
  TooLong(const char* what, std::size_t limit)
      : std::runtime_error(std::string(what) + " longer than " + std::to_string(limit) + " bytes") {
  }
};

std::string Text(const char* text, std::size_t limit, const char* what) {
  std::optional<std::string> bounded = Bounded(text, limit);
  if (!bounded) throw TooLong(what, limit);
  return std::move(*bounded);
}

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
    const std::string bounded = Text(name, kMaxNameBytes, "the property name is");
    const PropertyWrite outcome = write(*bam, std::string_view(bounded));
    if (outcome.Result == PropertyWrite::kStored) {
      app.PropertyChanged();
    } else if (outcome.Result == PropertyWrite::kRefused) {
      AddLogLine(std::string("PLUG: ") + export_name + " " + name + " [ABORTED] (" +
                 outcome.Reason + ")");
    }
    return 0;
  });
}

// A name too long to be a property is none: the getter answers its default.
std::string BoundedName(const char* name) {
  return Bounded(name, kMaxNameBytes).value_or(std::string());
}

}  // namespace
}  // namespace celwright

using celwright::BoundedName;
using celwright::PluginHostApp;
using celwright::Serve;
using celwright::ServeWrite;
using celwright::TBAM;
using celwright::Text;

extern "C" {

void RegisterMenuEntry(const char* ParentName, const char* Caption, const char* ProcName,
                       CelwrightLibrary Library) {
  Serve("RegisterMenuEntry", 0, [&](PluginHostApp& app) {
    app.RegisterMenuEntry(Text(ParentName, celwright::kMaxNameBytes, "the parent name is"),
                          Text(Caption, celwright::kMaxCaptionBytes, "the caption is"),
                          Text(ProcName, celwright::kMaxNameBytes, "the function name is"),
                          Library);
    return 0;
  });
}

void ShowAboutBox(const char* AppName, const char* Version, const char* Created,
                  const char* Author, const char* Email, const char* URL) {
  Serve("ShowAboutBox", 0, [&](PluginHostApp& app) {
    const auto text = [](const char* about_text) {
      return Text(about_text, celwright::kMaxAboutTextBytes, "an about text is");
    };
    app.ShowAboutBox(
        {text(AppName), text(Version), text(Created), text(Author), text(Email), text(URL)});
    return 0;
  });
}

void OpenFile(const char* FileName, uint8_t FileType, CelwrightBool AddToRecent) {
  Serve("OpenFile", 0, [&](PluginHostApp& app) {
    app.OpenFile(Text(FileName, celwright::kMaxFileNameBytes, "the file name is"),
                 celwright::DocTypeFromNumber(FileType), AddToRecent != 0);
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
    // No text is not an empty name: the document would lose its name.
    if (!Value)
      return celwright::PropertyWrite{celwright::PropertyWrite::kRefused, "no text given"};
    return celwright::WriteStrProperty(bam, name,
                                       Text(Value, celwright::kMaxFileNameBytes, "the text is"));
  });
}

CelwrightBool GetBAMPropertyBool(const char* Name, CelwrightBool Default) {
  return Serve("GetBAMProperty", Default, [&](PluginHostApp& app) -> CelwrightBool {
    const TBAM* bam = app.OpenAnimation();
    if (!bam || !Name) return Default;
    const auto value = celwright::ReadBoolProperty(*bam, BoundedName(Name));
    return value ? static_cast<CelwrightBool>(*value ? 1 : 0) : Default;
  });
}

int32_t GetBAMPropertyInt(const char* Name, int32_t Default) {
  return Serve("GetBAMProperty", Default, [&](PluginHostApp& app) -> int32_t {
    const TBAM* bam = app.OpenAnimation();
    if (!bam || !Name) return Default;
    return celwright::ReadIntProperty(*bam, BoundedName(Name)).value_or(Default);
  });
}

const char* GetBAMPropertyStr(const char* Name, const char* Default) {
  return Serve("GetBAMProperty", Default, [&](PluginHostApp& app) -> const char* {
    const TBAM* bam = app.OpenAnimation();
    if (!bam || !Name) return Default;
    const std::string* value = celwright::ReadStrProperty(*bam, BoundedName(Name));
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
