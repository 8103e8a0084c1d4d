#include "app/texture_page_files.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <set>
#include <sstream>

#include "app/app_settings.h"
#include "app/user_prompts.h"
#include "model/page_numbering.h"
#include "model/texture_origin.h"
#include "document/doc_type.h"

namespace celwright {

namespace {

constexpr const char* kPageFoldersKey = "TexturePageFolders";
// Enough for every game and mod a user works on; the oldest is forgotten first.
constexpr std::size_t kMaxStoredFolders = 16;
constexpr const char* kSaveTitle = "Save BAM File";

void StorePageFolders(AppSettings& settings, const std::vector<std::string>& folders) {
  std::string joined;
  for (const std::string& folder : folders) joined += folder + "\n";
  settings.WriteString(kPageFoldersKey, joined);
}

std::string PageList(const std::set<std::uint32_t>& pages) {
  std::string list;
  int shown = 0;
  for (std::uint32_t number : pages) {
    if (shown++ == 3) return list + ", ...";
    std::string digits = std::to_string(number);
    digits.insert(0, digits.size() < 4 ? 4 - digits.size() : 0, '0');
    list += (list.empty() ? "MOS" : ", MOS") + digits + ".PVRZ";
  }
  return list;
}

// The first page number the user wants; nothing when cancelled.
std::optional<int> AskFirstPage(UserPrompts& prompts, int proposal) {
  std::string shown = std::to_string(proposal);
  for (;;) {
    const std::optional<std::string> answer = prompts.AskText(
        kSaveTitle, "Number of the first new texture page (0 to 9999):", shown);
    if (!answer) return std::nullopt;
    int number = -1;
    const char* begin = answer->data();
    const char* end = begin + answer->size();
    const auto [stop, error] = std::from_chars(begin, end, number);
    if (error == std::errc() && stop == end && number >= 0 && number <= 9999) return number;
    prompts.Error(kSaveTitle, "\"" + *answer + "\" is not a page number (0 to 9999).");
    shown = *answer;
  }
}

}  // namespace

std::vector<std::string> StoredPageFolders(const AppSettings& settings) {
  std::vector<std::string> folders;
  std::istringstream stored(settings.ReadString(kPageFoldersKey).value_or(""));
  for (std::string line; std::getline(stored, line);) {
    if (!line.empty()) folders.push_back(line);
  }
  return folders;
}

bool LoadAnimationFile(TBAM& bam, const std::string& file_name, UserPrompts& prompts,
                       AppSettings& settings, const TProgressEvent& on_progress) {
  bam.OpenTrueColour = true;
  std::vector<std::string> folders = StoredPageFolders(settings);
  bam.PageFolders = folders;
  if (!bam.LoadFromFile(file_name, on_progress)) return false;
  if (bam.GetBAMType() != kTrueColourBAM || !bam.Textures || bam.Textures->MissingPages.empty())
    return true;
  const std::optional<std::string> folder = prompts.ChooseFolder(
      "Folder with the texture pages of " + FileNamePart(file_name) + " (" +
      PageList(bam.Textures->MissingPages) + ")");
  if (!folder) return true;
  folders.erase(std::remove(folders.begin(), folders.end(), *folder), folders.end());
  folders.insert(folders.begin(), *folder);
  if (folders.size() > kMaxStoredFolders) folders.resize(kMaxStoredFolders);
  StorePageFolders(settings, folders);
  bam.PageFolders = folders;
  return bam.LoadFromFile(file_name, on_progress);
}

bool SaveTextureAnimation(TBAM& bam, const std::string& file_name, UserPrompts& prompts,
                          const TProgressEvent& on_progress) {
  // The page choices are for this save only: the next one asks again.
  struct ResetPageSave {
    TBAM& bam;
    ~ResetPageSave() { bam.PageSave = TexturePageSave{}; }
  } reset{bam};
  bam.PageSave = TexturePageSave{};
  if (NeedsNewPages(bam)) {
    const std::optional<int> first = AskFirstPage(prompts, ProposedFirstPage(bam, file_name));
    if (!first) return false;
    bam.PageSave.FirstPage = *first;
  }
  try {
    bam.SaveToFile(file_name, kTrueColourBAM, false, false, on_progress);
  } catch (const EPageInUse& e) {
    if (!prompts.AskOkCancel(kSaveTitle, std::string(e.what()) +
                                             ".\r\rOverwrite the texture pages of the other file?"))
      return false;
    bam.PageSave.OverwritePages = true;
    bam.SaveToFile(file_name, kTrueColourBAM, false, false, on_progress);
  }
  return true;
}

}  // namespace celwright
