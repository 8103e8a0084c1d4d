#include "document/doc_type.h"

#include <algorithm>
#include <cctype>

#include "model/bam_types.h"

namespace celwright {

const std::array<TFileDetails, kDocTypeCount> DocTypeTable = {{
    {"BAM", "Frame", "Sequence", false, false, true, true, "BAM File (*.bam)|*.bam|"},
    {"Bitmap", "Bitmap", "Bitmap", true, true, true, true, "Bitmap (*.bmp)|*.bmp|"},
    {"GIF", "Frame", "GIF", false, true, true, false, "Compuserve GIF (*.gif)|*.gif|"},
    {"JPG", "JPEG", "JPEG", true, true, false, true,
     "JPEG (*.jpg; *.jpeg; *.jfif; *.jpe)|*.jpg;*.jpeg;*.jfif;*.jpe|"},
    {"PNG", "PNG", "PNG", true, true, true, true, "Portable Network Graphic (*.png)|*.png|"},
    {"AVI", "Frame", "AVI", false, true, false, true, "Windows AVI (*.avi)|*.avi|"},
}};

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string ExtensionOf(const std::string& path) {
  const std::string name = FileNamePart(path);
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

// True when `patterns` ("*.jpg;*.jpeg") lists `pattern` itself.
bool HasPattern(const std::string& patterns, const std::string& pattern) {
  std::size_t start = 0;
  while (start <= patterns.size()) {
    const auto end = std::min(patterns.find(';', start), patterns.size());
    if (Lower(patterns.substr(start, end - start)) == pattern) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

const TFileDetails& DetailsOf(TDocType type) { return DocTypeTable[DocTypeFromNumber(type)]; }

TDocType DocTypeFromNumber(int number) {
  return number >= 0 && number < kDocTypeCount ? static_cast<TDocType>(number) : dtBAM;
}

TDocType DocTypeFromFileName(const std::string& file_name) {
  std::string ext = Lower(ExtensionOf(file_name));
  if (!ext.empty()) ext.erase(0, 1);
  if (ext == "bmp") return dtBitmap;
  if (ext == "gif") return dtGIF;
  if (ext == "jpg" || ext == "jpeg" || ext == "jfif" || ext == "jpe") return dtJPEG;
  if (ext == "png" || ext == "apng") return dtPNG;
  if (ext == "avi") return dtAVI;
  return dtBAM;
}

std::vector<FileFilter> SplitFilter(const std::string& filter) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start < filter.size()) {
    const auto bar = filter.find('|', start);
    const auto end = bar == std::string::npos ? filter.size() : bar;
    parts.push_back(filter.substr(start, end - start));
    start = end + 1;
  }
  std::vector<FileFilter> pairs;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) pairs.push_back({parts[i], parts[i + 1]});
  return pairs;
}

std::string OpenDialogFilter() {
  std::string filter;
  for (const auto& details : DocTypeTable) filter += details.SaveFilter;
  return filter;
}

SaveAsChoices BuildSaveAsChoices(std::uint8_t bam_type, int frame_count, int cycle_count,
                                 const std::string& current_file_name) {
  SaveAsChoices choices;
  // True colour with alpha is only ever a BAM V2 file with its texture pages.
  choices.Filter = bam_type == kTrueColourBAM
                       ? "BAM V2 with texture pages (*.bam)|*.bam|"
                       : "Compressed BAM (*.bam)|*.bam|Uncompressed BAM (*.bam)|*.bam|";
  for (TDocType type : {dtBitmap, dtGIF, dtJPEG, dtPNG, dtAVI}) {
    const TFileDetails& d = DetailsOf(type);
    const bool colour_ok =
        (d.AllowsPaletted && bam_type == 1) || (d.AllowsUnpaletted && bam_type == 2);
    const bool frames_ok = !d.SingleFrame || frame_count == 1;
    // A GIF holds one sequence; with no sequence only a lone frame can be written as one.
    const bool cycles_ok = d.SingleFrame || !d.SingleSequence || cycle_count == 1 ||
                           (type == dtGIF && cycle_count == 0 && frame_count == 1);
    if (colour_ok && frames_ok && cycles_ok) choices.Filter += d.SaveFilter;
  }
  // The extension keeps the case the file has, so CHMB1G11.BAM is proposed as .BAM again;
  // matching ignores case and compares whole patterns ("*.jp" does not pick "*.jpg").
  choices.DefaultExtension = "*" + ExtensionOf(current_file_name);
  const std::string wanted = Lower(choices.DefaultExtension);
  const auto pairs = SplitFilter(choices.Filter);
  choices.Preselected = static_cast<int>(pairs.size()) - 1;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    if (HasPattern(pairs[i].Patterns, wanted) || wanted == "*") {
      choices.Preselected = static_cast<int>(i);
      break;
    }
  }
  return choices;
}

SaveAsTarget SaveAsTargetOf(const std::string& filter, int chosen_pair) {
  SaveAsTarget target;
  target.Compressed = chosen_pair != 1;
  const auto pairs = SplitFilter(filter);
  if (chosen_pair < 0 || chosen_pair >= static_cast<int>(pairs.size())) return target;
  const std::string needle = "|" + pairs[static_cast<std::size_t>(chosen_pair)].Patterns + "|";
  for (int t = 0; t < kDocTypeCount; ++t) {
    if (std::string(DocTypeTable[static_cast<std::size_t>(t)].SaveFilter).find(needle) !=
        std::string::npos) {
      target.Type = static_cast<TDocType>(t);
      break;
    }
  }
  return target;
}

std::string FileNamePart(const std::string& path) {
  const auto slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace celwright
