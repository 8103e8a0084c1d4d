#pragma once

#include <string>

#include "document/doc_type.h"

namespace celwright {

class TBAM;
class UserPrompts;

// True when a file of `kind` written from `bam` opens again as the same document. Only then
// may Save overwrite the file a picture or video document came from: GIF and AVI re-quantise
// and retime, JPEG loses detail, and a paletted frame or a moved centre does not survive a
// bitmap or PNG.
bool KindHoldsExactly(TDocType kind, const TBAM& bam);

// `path` with its extension replaced by ".bam" (".BAM" when the old one was upper case).
std::string BamNameFor(const std::string& path);

// ".BAM" when `path` ends in an upper-case extension, else ".bam": what a name typed without
// an extension gets.
std::string BamExtensionLike(const std::string& path);

// True when both names exist and are one file (the same device and inode).
bool IsSameFile(const std::string& a, const std::string& b);

// The save dialog asks before replacing only the name as typed; the extension is added later.
// So, before anything is written to `final_name`: asks whether to replace it when it exists and
// differs from `chosen`, and, when `part` is not empty (an export holding only part of the
// document) and `final_name` is the open document's own file, always asks, saying that the
// document's file would then hold `part` alone. False when the user declines.
bool ConfirmSaveTarget(UserPrompts& prompts, const std::string& title, const std::string& chosen,
                       const std::string& final_name, const std::string& document_file,
                       const std::string& part);

}  // namespace celwright
