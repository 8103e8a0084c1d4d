#pragma once

#include <string>
#include <string_view>

namespace celwright {

// File names may hold any byte but NUL, newlines included. Stored one a line in the program's
// own small text files, they are written with "%", control bytes and DEL as "%XX", so every
// name reads back exactly and none can cut a line short or start another.
std::string EscapeControlBytes(std::string_view text);
// The reverse; false when `escaped` holds a "%" not followed by two hexadecimal digits.
bool UnescapeControlBytes(std::string_view escaped, std::string& text);

}  // namespace celwright
