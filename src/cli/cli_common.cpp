#include "cli/cli_common.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>

#include "cli/cli_pictures.h"
#include "cli/progress_bar.h"

namespace celwright::cli {

void ApplyDisplayDefaults(TBAM& bam) {
  bam.TransCol = kDefaultTransCol;
  bam.ShadowCol = kDefaultShadowCol;
  bam.OverrideTransCol = true;
  bam.OverrideShadowCol = true;
}

void LoadAnimation(TBAM& bam, const std::string& path,
                   const std::vector<std::string>& page_folders) {
  ApplyDisplayDefaults(bam);
  bam.OpenTrueColour = true;
  bam.PageFolders = page_folders;
  if (!bam.LoadFromFile(path, TerminalProgress())) {
    throw CommandError(path + ": " + bam.ErrorMessage);
  }
  for (const std::string& warning : bam.Warnings) {
    std::cerr << ForTerminal(path + ": warning: " + warning) << "\n";
  }
}

void SaveAnimation(TBAM& bam, const std::string& path, bool compressed) {
  try {
    if (!bam.SaveToFile(path, bam.BAMType, compressed, false, TerminalProgress())) {
      throw CommandError("\"" + path + "\" is reserved for unsaved animations");
    }
    for (const std::string& note : bam.SaveNotes) std::cerr << ForTerminal(path + ": " + note) << "\n";
  } catch (const EBAMSaveError& e) {
    throw CommandError(path + ": " + e.what());
  }
}

namespace {

// Two names of one file: the same device and inode when both exist, else the same path once
// "..", "." and links are resolved.
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  const bool same = std::filesystem::equivalent(a, b, error);
  if (!error) return same;
  const auto left = std::filesystem::weakly_canonical(a, error);
  if (error) return a == b;
  const auto right = std::filesystem::weakly_canonical(b, error);
  return error ? a == b : left == right;
}

}  // namespace

void RequireNewBamOutput(const std::string& out, const std::vector<std::string>& inputs) {
  std::string extension = std::filesystem::path(out).extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension != ".bam") throw UsageError(out + ": the output must be a .bam file");
  for (const std::string& in : inputs) {
    if (SameFile(in, out)) throw UsageError(out + ": the output must not be one of the inputs");
  }
}

bool ParsedArgs::Has(const std::string& flag) const {
  return std::any_of(flags.begin(), flags.end(), [&](const std::string& given) {
    return given == flag || given.rfind(flag + "=", 0) == 0;
  });
}

std::string ParsedArgs::Value(const std::string& flag, const std::string& fallback) const {
  for (const std::string& given : flags) {
    if (given.rfind(flag + "=", 0) == 0) return given.substr(flag.size() + 1);
  }
  return fallback;
}

std::vector<std::string> ParsedArgs::Values(const std::string& flag) const {
  std::vector<std::string> values;
  for (const std::string& given : flags) {
    if (given.rfind(flag + "=", 0) == 0) values.push_back(given.substr(flag.size() + 1));
  }
  return values;
}

void ParsedArgs::AllowOnly(const std::vector<std::string>& known) const {
  for (const std::string& given : flags) {
    const std::string name = given.substr(0, given.find('='));
    if (std::find(known.begin(), known.end(), name) == known.end()) {
      throw UsageError("unknown option " + name);
    }
  }
}

std::string LowerExtension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

Dithering DitheringOption(const ParsedArgs& parsed) {
  const std::string value = parsed.Value("--dither", "");
  if (value.empty()) return Dithering::kNone;
  if (value == "fs") return Dithering::kFloydSteinberg;
  if (value == "ordered") return Dithering::kOrdered;
  throw UsageError("--dither takes fs or ordered");
}

ParsedArgs ParseArgs(const std::vector<std::string>& args, const std::vector<std::string>& valued) {
  ParsedArgs parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() > 2 && arg.rfind("--", 0) == 0) {
      if (std::find(valued.begin(), valued.end(), arg) != valued.end()) {
        if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
        parsed.flags.push_back(arg + "=" + args[++i]);
      } else {
        parsed.flags.push_back(arg);
      }
    } else {
      parsed.positional.push_back(arg);
    }
  }
  return parsed;
}

}  // namespace celwright::cli
