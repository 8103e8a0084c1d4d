// libFuzzer target: any bytes read as a BAM V2 texture page must be read or refused with a
// message, and a page that reads must decode everywhere.
#include <cstdint>
#include <vector>

#include "model/texture_page.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  celwright::TexturePage page;
  try {
    page = celwright::ReadTexturePage(data, size);
  } catch (const celwright::TexturePageError&) {
    return 0;
  }
  // Big pages are decoded along their first rows only, to keep each run short.
  const int rows = page.Height < 64 ? page.Height : 64;
  std::vector<std::uint8_t> rgba(4 * static_cast<std::size_t>(page.Width) * rows);
  page.DecodeRect(0, 0, page.Width, rows, rgba.data(), 4 * static_cast<std::size_t>(page.Width));
  return 0;
}
