#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace celwright {

// The kind of file a document came from or was last saved as. The numbers are stored with the
// recent-file list, so their order never changes.
enum TDocType : std::uint8_t {
  dtBAM = 0,
  dtBitmap = 1,
  dtGIF = 2,
  dtJPEG = 3,
  dtPNG = 4,
  dtAVI = 5,
};
inline constexpr int kDocTypeCount = 6;

struct TFileDetails {
  const char* Name;
  const char* FrameLabel;
  const char* SequenceLabel;
  bool SingleFrame;
  bool SingleSequence;
  bool AllowsPaletted;
  bool AllowsUnpaletted;
  const char* SaveFilter;  // one "caption|patterns|" pair
};

extern const std::array<TFileDetails, kDocTypeCount> DocTypeTable;

const TFileDetails& DetailsOf(TDocType type);
// The kind's short name as messages quote it ("BAM", "Bitmap", "GIF", "JPG", "PNG", "AVI").
inline const char* DocTypeName(TDocType type) { return DetailsOf(type).Name; }
// Clamps a stored number to a known type (unknown numbers read as a BAM).
TDocType DocTypeFromNumber(int number);
// The type a file name's extension suggests; anything unknown is a BAM.
TDocType DocTypeFromFileName(const std::string& file_name);

// One entry of a file dialog's filter list.
struct FileFilter {
  std::string Caption;
  std::string Patterns;  // "*.jpg;*.jpeg"
};
// Splits "a|*.x|b|*.y|" into its pairs.
std::vector<FileFilter> SplitFilter(const std::string& filter);

// The filter of the open dialog: every kind a document can be opened from, in type order.
std::string OpenDialogFilter();

// What Save As offers for an animation of the given colour mode and shape.
struct SaveAsChoices {
  std::string Filter;            // "|"-separated pairs, ending in a bar
  int Preselected = 0;           // 0-based pair to select first
  std::string DefaultExtension;  // "*.png" style, from the current file name
};
SaveAsChoices BuildSaveAsChoices(std::uint8_t bam_type, int frame_count, int cycle_count,
                                 const std::string& current_file_name);
// The document type and container a chosen Save As pair stands for.
struct SaveAsTarget {
  TDocType Type = dtBAM;
  bool Compressed = true;
};
SaveAsTarget SaveAsTargetOf(const std::string& filter, int chosen_pair);

// The file name without its folder.
std::string FileNamePart(const std::string& path);

}  // namespace celwright
