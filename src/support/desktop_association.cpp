#include "support/desktop_association.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "support/desktop_icon.h"
#include "support/file_io.h"

extern char** environ;

namespace celwright {

namespace {

namespace fs = std::filesystem;

fs::path FolderFromEnvironment(const char* variable, const char* fallback_below_home) {
  // The base directory rules ignore relative values.
  if (const char* value = std::getenv(variable); value && *value == '/') return value;
  const char* home = std::getenv("HOME");
  return fs::path(home && *home ? home : "/") / fallback_below_home;
}

// The program part of an Exec line, written so launchers read back the exact path: quoted, with
// ", `, $ and \ escaped by a backslash inside the quotes; % doubled, since a lone % starts a field
// code; and then, because Exec is a string value whose own escapes are read first, every
// backslash doubled again.
std::string ExecProgram(const fs::path& executable) {
  std::string quoted = "\"";
  for (const char c : executable.string()) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += "\\\\";
    if (c == '\\') {
      quoted += "\\\\";
    } else if (c == '%') {
      quoted += "%%";
    } else {
      quoted += c;
    }
  }
  quoted += '"';
  // GLib looks for the program before it expands field codes, so it would search for a name
  // with "%%" in it and refuse the entry; `env`, found on PATH, starts the program instead.
  if (executable.string().find('%') != std::string::npos) return "env " + quoted;
  return quoted;
}

std::string EditorEntry(const fs::path& executable) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Celwright II\n"
         "GenericName=Animation Editor\n"
         "Comment=Edit BAM animations of the Infinity Engine games\n"
         "Exec=" +
         ExecProgram(executable) +
         " %f\n"
         "Icon=" +
         std::string(kDesktopIconName) +
         "\n"
         "Terminal=false\n"
         "Categories=Graphics;2DGraphics;RasterGraphics;\n"
         "MimeType=" +
         kBamMimeType + ";\n";
}

// The default action: the quick preview. Hidden from menus, it only answers file openings.
std::string PreviewEntry(const fs::path& executable) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Celwright II Preview\n"
         "Comment=Preview a BAM animation\n"
         "Exec=" +
         ExecProgram(executable) +
         " -p %f\n"
         "Icon=" +
         std::string(kDesktopIconName) +
         "\n"
         "Terminal=false\n"
         "NoDisplay=true\n"
         "MimeType=" +
         kBamMimeType + ";\n";
}

std::string MimePackage() {
  return std::string(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
             "  <mime-type type=\"") +
         kBamMimeType +
         "\">\n"
         "    <comment>Infinity Engine Animation</comment>\n"
         "    <glob pattern=\"*.bam\"/>\n"
         "    <magic priority=\"50\">\n"
         "      <match type=\"string\" offset=\"0\" value=\"BAM V1  \"/>\n"
         "      <match type=\"string\" offset=\"0\" value=\"BAMCV1  \"/>\n"
         "      <match type=\"string\" offset=\"0\" value=\"BAMU\"/>\n"
         "    </magic>\n"
         "  </mime-type>\n"
         "</mime-info>\n";
}

// False when the file is missing. A file that is there but is no regular file (opening a FIFO
// for reading would block start-up until a writer came), is larger than any such file can be or
// cannot be read throws: it is then left as it is.
bool ReadText(const fs::path& path, std::string& text) {
  constexpr std::size_t kMaxBytes = 4 << 20;
  text.clear();
  std::string problem;
  struct stat info {};
  int descriptor = -1;
  if (::stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) return false;
    problem = std::strerror(errno);
  } else if (!S_ISREG(info.st_mode)) {
    problem = "it is not a regular file";
  } else if ((descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) < 0) {
    problem = std::strerror(errno);
  } else if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
    problem = "it is not a regular file";  // replaced since it was looked at
  } else {
    char buffer[1 << 16];
    for (ssize_t got; problem.empty() && (got = ::read(descriptor, buffer, sizeof buffer)) != 0;) {
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        problem = std::strerror(errno);
      } else if (text.size() + static_cast<std::size_t>(got) > kMaxBytes) {
        problem = "it is larger than such a file can be";
      } else {
        text.append(buffer, static_cast<std::size_t>(got));
      }
    }
  }
  if (descriptor >= 0) ::close(descriptor);
  if (!problem.empty()) {
    throw std::runtime_error("Cannot read \"" + ShownName(path.string()) + "\": " + problem);
  }
  return true;
}

// Writes `text` unless the file already holds exactly that; returns whether it wrote.
bool WriteIfDifferent(const fs::path& path, const std::string& text) {
  std::string current;
  if (ReadText(path, current) && current == text) return false;
  fs::create_directories(path.parent_path());
  WriteFileAtomically(path, std::vector<std::uint8_t>(text.begin(), text.end()));
  return true;
}

std::string Trim(const std::string& text) {
  const auto begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

// The mimeapps.list with our default added to [Default Applications] when the user has none
// for the type. Another application's default stays (`kept` tells so) unless `take_over`,
// when ours replaces it (`taken` tells so).
std::string WithDefaultApplication(const std::string& list, bool take_over, bool& kept,
                                   bool& taken) {
  kept = false;
  taken = false;
  std::istringstream lines(list);
  std::string line, section, result;
  bool inserted = false, saw_section = false;
  const std::string key = kBamMimeType;
  const std::string ours = std::string(key) + "=" + kPreviewDesktopId + ";\n";
  while (std::getline(lines, line)) {
    const std::string trimmed = Trim(line);
    if (!trimmed.empty() && trimmed.front() == '[') {
      if (section == "[Default Applications]" && !inserted) {
        result += ours;
        inserted = true;
      }
      section = trimmed;
      saw_section = saw_section || section == "[Default Applications]";
    } else if (section == "[Default Applications]") {
      const auto equals = trimmed.find('=');
      if (equals != std::string::npos && Trim(trimmed.substr(0, equals)) == key) {
        const std::string value = Trim(trimmed.substr(equals + 1));
        const bool is_ours =
            value.rfind(kPreviewDesktopId, 0) == 0 || value.rfind(kEditorDesktopId, 0) == 0;
        inserted = true;
        if (!is_ours && take_over) {
          taken = true;
          result += ours;
          continue;
        }
        kept = !is_ours;  // a default exists, ours or the user's: it stays as it is
      }
    }
    result += line + "\n";
  }
  if (!inserted) {
    if (!saw_section)
      result += (result.empty() || result.back() == '\n' ? "" : "\n") +
                std::string("[Default Applications]\n");
    result += ours;
  }
  return result;
}

}  // namespace

DesktopFolders DesktopFoldersFromEnvironment() {
  return {FolderFromEnvironment("XDG_DATA_HOME", ".local/share"),
          FolderFromEnvironment("XDG_CONFIG_HOME", ".config")};
}

void RunHelperIfPresent(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return;
  const char* path_variable = std::getenv("PATH");
  std::istringstream folders(path_variable ? path_variable : "");
  std::string folder;
  fs::path program;
  while (std::getline(folders, folder, ':')) {
    const fs::path candidate = fs::path(folder.empty() ? "." : folder) / arguments[0];
    if (::access(candidate.c_str(), X_OK) == 0) {
      program = candidate;
      break;
    }
  }
  if (program.empty()) return;
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return;
  int status = 0;
  waitpid(child, &status, 0);
}

AssociationOutcome EnsureAssociation(const fs::path& executable, const DesktopFolders& folders,
                                     const HelperRunner& run, bool make_default) {
  AssociationOutcome outcome;
  const fs::path applications = folders.DataHome / "applications";
  const fs::path mime = folders.DataHome / "mime";
  bool entries_changed = false, mime_changed = false;
  try {
    const fs::path editor = applications / kEditorDesktopId;
    const fs::path preview = applications / kPreviewDesktopId;
    const fs::path package = mime / "packages" / "celwright.xml";
    if (WriteIfDifferent(editor, EditorEntry(executable))) outcome.Written.push_back(editor);
    if (WriteIfDifferent(preview, PreviewEntry(executable))) outcome.Written.push_back(preview);
    entries_changed = !outcome.Written.empty();
    if (WriteIfDifferent(package, MimePackage())) {
      outcome.Written.push_back(package);
      mime_changed = true;
    }
    // The entries name the icon; `cmake --install` is not the only way the program arrives.
    const fs::path icon = folders.DataHome / "icons" / "hicolor" / "scalable" / "apps" /
                          (std::string(kDesktopIconName) + ".svg");
    if (WriteIfDifferent(icon, kDesktopIconSvg)) outcome.Written.push_back(icon);
    const fs::path list_path = folders.ConfigHome / "mimeapps.list";
    std::string list;
    ReadText(list_path, list);
    const std::string updated =
        WithDefaultApplication(list, make_default, outcome.UserDefaultKept, outcome.DefaultTaken);
    if (WriteIfDifferent(list_path, updated)) outcome.Written.push_back(list_path);
  } catch (const std::exception& e) {
    outcome.Error = e.what();
  }
  if (run) {
    // The caches are the desktop's own; a failed refresh only delays the change.
    if (mime_changed) run({"update-mime-database", mime.string()});
    if (entries_changed) run({"update-desktop-database", applications.string()});
  }
  return outcome;
}

}  // namespace celwright
