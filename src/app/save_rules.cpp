#include "app/save_rules.h"

#include <algorithm>
#include <cctype>

#include <filesystem>

#include "app/user_prompts.h"
#include "model/qm_BAM.h"
#include "support/file_io.h"

namespace celwright {

namespace {

// The position of the extension's dot in the file name part, or npos.
std::size_t ExtensionDot(const std::string& path) {
  const auto slash = path.find_last_of("/\\");
  const auto dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return std::string::npos;
  }
  return dot;
}

}  // namespace

bool KindHoldsExactly(TDocType kind, const TBAM& bam) {
  switch (kind) {
    case dtBAM:
      return true;
    case dtBitmap:
    case dtPNG: {
      if (bam.FrameCount() != 1 || bam.GetBAMType() != kUnpalettedBAM) return false;
      // Reopening a picture puts the centre in its middle.
      const TBAMFrame frame = bam.GetFrame(0);
      return frame.CentreX == frame.Width / 2 && frame.CentreY == frame.Height / 2;
    }
    case dtGIF:
    case dtJPEG:
    case dtAVI:
      break;
  }
  return false;
}

std::string BamExtensionLike(const std::string& path) {
  const auto dot = ExtensionDot(path);
  if (dot == std::string::npos || dot + 1 == path.size()) return ".bam";
  const bool upper = std::all_of(path.begin() + static_cast<std::ptrdiff_t>(dot) + 1, path.end(),
                                 [](unsigned char c) { return !std::islower(c); });
  return upper ? ".BAM" : ".bam";
}

std::string BamNameFor(const std::string& path) {
  const auto dot = ExtensionDot(path);
  return (dot == std::string::npos ? path : path.substr(0, dot)) + BamExtensionLike(path);
}

bool IsSameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  const bool same = std::filesystem::equivalent(a, b, error);
  return !error && same;
}

bool ConfirmSaveTarget(UserPrompts& prompts, const std::string& title, const std::string& chosen,
                       const std::string& final_name, const std::string& document_file,
                       const std::string& part) {
  std::error_code error;
  if (!std::filesystem::exists(final_name, error)) return true;
  const std::string shown = "\"" + ShownName(final_name) + "\"";
  if (!part.empty() && IsSameFile(final_name, document_file)) {
    return prompts.AskOkCancel(
        title, shown + " is the file of the open document. Replacing it with " + part +
                   " removes everything else from that file; the document stays open and is "
                   "marked as changed.\r\rReplace it?");
  }
  if (final_name == chosen) return true;  // the dialog has asked about this very name
  return prompts.AskOkCancel(title, shown + " already exists.\r\rDo you want to replace it?");
}

}  // namespace celwright
