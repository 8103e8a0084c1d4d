#pragma once

#include <string>

#include "document/doc_type.h"

namespace celwright {

class TBAM;

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

}  // namespace celwright
