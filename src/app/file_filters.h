#pragma once

namespace celwright {

// File-dialog filters, "caption|patterns|..."; the chosen entry's position decides how a file is
// read or written, not its extension. The picture entries are in the picture kinds' order, so the
// position plus one is the kind.
inline constexpr const char* kImageFilter =
    "Bitmap (*.bmp)|*.bmp|JPEG (*.jpg; *.jpeg; *.jfif; *.jpe)|*.jpg;*.jpeg;*.jfif;*.jpe|"
    "Portable Network Graphic (*.png)|*.png|Compuserve GIF (*.gif)|*.gif|";
inline constexpr const char* kSequenceImportFilter =
    "Windows AVI (*.avi)|*.avi|Compuserve GIF (*.gif)|*.gif|BAM File (*.bam)|*.bam|";
inline constexpr const char* kSequenceExportFilter =
    "Windows AVI (*.avi)|*.avi|Compuserve GIF (*.gif)|*.gif|"
    "Bitmap (Concatenated) (*.bmp)|*.bmp|BAM File (*.bam)|*.bam|"
    "Animated PNG (*.png; *.apng)|*.png;*.apng|";

}  // namespace celwright
