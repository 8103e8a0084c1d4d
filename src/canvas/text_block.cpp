#include "canvas/text_block.h"

#include <algorithm>
#include <vector>

#include "support/pixel_spans.h"

namespace celwright {

namespace {

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (;;) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace

Bitmap RenderTextBlock(const Font& font, std::string_view text, int first_row, int end_row) {
  std::vector<std::string_view> lines = SplitLines(text);
  // Every line of a font is as tall as every other, whatever its letters.
  const int line_height = std::max(1, MeasureText(font, "").height);
  // Lines that would make the block taller than any frame could be are cut off.
  const std::size_t max_lines = static_cast<std::size_t>(std::max(1, kMaxTextWidth / line_height));
  if (lines.size() > max_lines) lines.resize(max_lines);
  std::vector<Bitmap> rendered;
  rendered.reserve(lines.size());
  int width = 0;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const int top = static_cast<int>(k) * line_height;
    if (top + line_height <= first_row || top >= end_row) {
      width = std::max(width, MeasureText(font, lines[k]).width);
      rendered.emplace_back(0, 0, PixelFormat::Bits1);
      continue;
    }
    rendered.push_back(RenderTextMask(font, lines[k]));
    width = std::max(width, rendered.back().Width());
  }
  // A block of nothing but empty lines has no width and is drawn as nothing, even highlighted.
  if (width == 0) return Bitmap(0, 0, PixelFormat::Bits1);
  const int line_count = static_cast<int>(rendered.size());
  Bitmap block(width, line_height * line_count, PixelFormat::Bits1);
  std::fill(block.Pixels().begin(), block.Pixels().end(), std::uint8_t{1});
  for (int k = 0; k < line_count; ++k) {
    const Bitmap& line = rendered[static_cast<std::size_t>(k)];
    const int rows = std::min(line.Height(), line_height);
    for (int y = 0; y < rows; ++y) {
      std::copy_n(line.Row(y), line.Width(), block.Row(k * line_height + y));
    }
  }
  return block;
}

Rect TextBlockRect(Point anchor, const Font& font, Size size) {
  const int top = anchor.y - font.PixelHeight() / 2;
  return {anchor.x, top, anchor.x + size.width, top + size.height};
}

void StampTextBlock(const Bitmap& mask, Point at, bool highlight, TColor ink, TColor paper,
                    Bitmap& picture) {
  const Rect bounds = BoundsOf(picture);
  const Rect block{at.x, at.y, at.x + mask.Width(), at.y + mask.Height()};
  const Rect visible = block.Intersect(bounds);
  if (visible.Empty()) return;
  const PixelValue ink_value = EncodeColor(picture, ink);
  const PixelValue paper_value = EncodeColor(picture, paper);
  for (int y = visible.top; y < visible.bottom; ++y) {
    if (highlight) FillSpan(picture, bounds, y, visible.left, visible.right, paper_value);
    const std::uint8_t* letters = mask.Row(y - at.y);
    // Runs of ink, so a line of letters costs a few span writes rather than a call a pixel.
    for (int x = visible.left; x < visible.right;) {
      if (letters[x - at.x] != 0) {
        ++x;
        continue;
      }
      int end = x + 1;
      while (end < visible.right && letters[end - at.x] == 0) ++end;
      FillSpan(picture, bounds, y, x, end, ink_value);
      x = end;
    }
  }
}

const Bitmap& TextBlockCache::Mask(const Font& font, const std::string& text, int first_row,
                                   int end_row) {
  Font key = font;
  key.color = 0;  // the letters' colour is applied when the block is drawn
  const bool rows_drawn = first_row >= first_row_ && end_row <= end_row_;
  if (!valid_ || !(key == font_) || text != text_ || !rows_drawn) {
    mask_ = RenderTextBlock(key, text, first_row, end_row);
    font_ = key;
    text_ = text;
    first_row_ = first_row;
    end_row_ = end_row;
    valid_ = true;
  }
  return mask_;
}

}  // namespace celwright
