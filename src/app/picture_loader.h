#pragma once

#include <cstdint>
#include <string>

#include "app/user_prompts.h"
#include "document/bam_form.h"

namespace celwright {

// The document window's picture reader: any picture file the image readers know, by kind
// (1 bitmap, 2 JPEG, 3 PNG, 4 GIF; 0 by extension). Throws with a message naming the file when
// it is missing or cannot be read. A damaged picture that still loads is shown with what is
// wrong with it through `prompts`; without prompts such a picture is refused.
LoadedPicture LoadPictureFile(const std::string& file_name, std::uint8_t file_type,
                              UserPrompts* prompts = nullptr);

}  // namespace celwright
