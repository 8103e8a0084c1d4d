#include <iostream>

#include <nlohmann/json.hpp>

#include "cli/cli_common.h"
#include "cli/cli_pictures.h"
#include "model/engine_check.h"
#include "model/engine_fix.h"

namespace celwright::cli {

namespace {

struct CheckedFile {
  std::string path;
  engine::Report report;
};

nlohmann::json FindingJson(const engine::Finding& finding) {
  nlohmann::json out = {{"id", finding.rule->id},
                        {"severity", engine::SeverityName(finding.rule->severity)},
                        {"message", finding.message},
                        {"engines", engine::EngineNames(finding.rule->engines)},
                        {"fixable", finding.fixable}};
  if (finding.frame >= 0) out["frame"] = finding.frame;
  if (finding.sequence >= 0) out["sequence"] = finding.sequence;
  if (finding.palette_entry >= 0) out["palette_entry"] = finding.palette_entry;
  return out;
}

std::string FindingText(const std::string& path, const engine::Finding& finding) {
  std::string engines;
  for (const std::string& name : engine::EngineNames(finding.rule->engines)) {
    engines += (engines.empty() ? "" : ", ") + name;
  }
  return path + ": " + engine::SeverityName(finding.rule->severity) + " " + finding.rule->id +
         ": " + finding.message + " [" + engines + "]" + (finding.fixable ? " (fixable)" : "");
}

// Prints the findings and the summary line; returns the exit status they call for.
int Finish(const std::vector<CheckedFile>& files, const std::vector<std::string>& fixes,
           bool json, bool strict) {
  int errors = 0, warnings = 0, notes = 0;
  for (const CheckedFile& file : files) {
    errors += file.report.Count(engine::Severity::kError);
    warnings += file.report.Count(engine::Severity::kWarning);
    notes += file.report.Count(engine::Severity::kNote);
  }
  if (json) {
    nlohmann::json out = {{"files", nlohmann::json::array()},
                          {"summary",
                           {{"files", files.size()},
                            {"errors", errors},
                            {"warnings", warnings},
                            {"notes", notes}}}};
    for (const CheckedFile& file : files) {
      nlohmann::json findings = nlohmann::json::array();
      for (const engine::Finding& finding : file.report.findings) {
        findings.push_back(FindingJson(finding));
      }
      out["files"].push_back({{"file", file.path}, {"findings", findings}});
    }
    if (!fixes.empty()) out["fixes"] = fixes;
    std::cout << out.dump(2) << "\n";
  } else {
    for (const std::string& fix : fixes) std::cout << ForTerminal("fixed: " + fix) << "\n";
    for (const CheckedFile& file : files) {
      for (const engine::Finding& finding : file.report.findings) {
        std::cout << ForTerminal(FindingText(file.path, finding)) << "\n";
      }
    }
    std::cout << files.size() << (files.size() == 1 ? " file: " : " files: ") << errors
              << (errors == 1 ? " error, " : " errors, ") << warnings
              << (warnings == 1 ? " warning, " : " warnings, ") << notes
              << (notes == 1 ? " note" : " notes") << "\n";
  }
  return errors > 0 || (strict && warnings > 0) ? 1 : 0;
}

}  // namespace

int RunCheck(const std::vector<std::string>& args) {
  const ParsedArgs parsed = ParseArgs(args, {"--pages"});
  parsed.AllowOnly({"--json", "--strict", "--fix", "--pages"});
  const std::vector<std::string> page_folders = parsed.Values("--pages");
  const bool json = parsed.Has("--json"), strict = parsed.Has("--strict");
  if (!parsed.Has("--fix")) {
    if (parsed.positional.empty()) throw UsageError("check takes one or more animation files");
    std::vector<CheckedFile> files;
    for (const std::string& path : parsed.positional) {
      TBAM bam;
      files.push_back(CheckedFile{path, engine::CheckFile(path, bam, page_folders)});
    }
    return Finish(files, {}, json, strict);
  }

  if (parsed.positional.size() != 2) throw UsageError("check --fix takes an input and an output file");
  const std::string& in = parsed.positional[0];
  const std::string& out = parsed.positional[1];
  RequireNewBamOutput(out, {in});
  TBAM bam;
  const engine::Report before = engine::CheckFile(in, bam, page_folders);
  if (before.Has(engine::kUnreadableFile)) throw CommandError(in + ": " + bam.ErrorMessage);
  const std::vector<std::string> fixes = engine::FixForEngines(bam, before);
  SaveAnimation(bam, out, bam.Compressed);
  // What remains is what the written file holds.
  TBAM written;
  return Finish({CheckedFile{out, engine::CheckFile(out, written, page_folders)}}, fixes, json, strict);
}

}  // namespace celwright::cli
