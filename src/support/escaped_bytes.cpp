#include "support/escaped_bytes.h"

namespace celwright {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string EscapeControlBytes(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || byte == '%') {
      escaped += '%';
      escaped += kHex[byte >> 4];
      escaped += kHex[byte & 15];
    } else {
      escaped += c;
    }
  }
  return escaped;
}

bool UnescapeControlBytes(std::string_view escaped, std::string& text) {
  text.clear();
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] != '%') {
      text += escaped[i];
      continue;
    }
    if (i + 2 >= escaped.size()) return false;
    const int high = HexValue(escaped[i + 1]), low = HexValue(escaped[i + 2]);
    if (high < 0 || low < 0) return false;
    text += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

}  // namespace celwright
