#include "support/text_render.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

namespace celwright {

namespace {

// One FreeType library and the faces opened so far, for the whole program. Faces are not safe
// to share between threads, so every use holds the lock.
class FontLibrary {
 public:
  static FontLibrary& Instance() {
    static FontLibrary library;
    return library;
  }
  std::mutex& Lock() { return mutex_; }

  // The face fontconfig chooses for the name and style, or null when there is none.
  FT_Face FaceFor(const Font& font) { return Find(font).face; }

  // The family the face chosen for `font` belongs to: the font's own name when that family is
  // installed, else the one put in its place.
  std::string FamilyFor(const Font& font) {
    const OpenFace& open = Find(font);
    if (!open.face) return {};
    for (const std::string& family : open.families) {
      if (strcasecmp(family.c_str(), font.name.c_str()) == 0) return font.name;
    }
    return open.families.empty() ? std::string(open.face->family_name ? open.face->family_name
                                                                      : "")
                                 : open.families.front();
  }

 private:
  // A font configuration of our own, rather than fontconfig's implicit global one, so that
  // everything it holds is released with the library.
  FontLibrary() : config_(FcInitLoadConfigAndFonts()) {
    if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
  }
  ~FontLibrary() {
    for (auto& entry : faces_) {
      if (entry.second.face) FT_Done_Face(entry.second.face);
    }
    if (library_) FT_Done_FreeType(library_);
    if (config_) FcConfigDestroy(config_);
  }

  struct OpenFace {
    FT_Face face = nullptr;
    std::vector<std::string> families;  // every family name fontconfig gives the face
  };

  const OpenFace& Find(const Font& font) {
    static const OpenFace kNone;
    if (!library_) return kNone;
    const auto key = std::make_tuple(font.name, font.bold, font.italic);
    if (auto found = faces_.find(key); found != faces_.end()) return found->second;
    OpenFace open = Open(font.name, font);
    // A family whose best match has no outlines (a bitmap-only or colour-bitmap font) would draw
    // nothing at most sizes: the default family stands in for it.
    if (!open.face || !FT_IS_SCALABLE(open.face)) {
      if (open.face) FT_Done_Face(open.face);
      open = Open("sans-serif", font);
      if (open.face && !FT_IS_SCALABLE(open.face)) {
        FT_Done_Face(open.face);
        open = OpenFace{};
      }
    }
    return faces_[key] = std::move(open);
  }

  OpenFace Open(const std::string& family, const Font& font) {
    if (!config_) return {};
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return {};
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, font.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, font.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config_, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config_, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return {};
    OpenFace open;
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
      FcPatternGetInteger(match, FC_INDEX, 0, &index);
      if (FT_New_Face(library_, reinterpret_cast<const char*>(file), index, &open.face) != 0) {
        open.face = nullptr;
      }
    }
    FcChar8* name = nullptr;
    for (int n = 0; FcPatternGetString(match, FC_FAMILY, n, &name) == FcResultMatch; ++n) {
      open.families.emplace_back(reinterpret_cast<const char*>(name));
    }
    FcPatternDestroy(match);
    return open;
  }

  std::mutex mutex_;
  FcConfig* config_ = nullptr;
  FT_Library library_ = nullptr;
  std::map<std::tuple<std::string, bool, bool>, OpenFace> faces_;
};

std::vector<char32_t> DecodeUtf8(std::string_view text) {
  std::vector<char32_t> out;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int extra = lead >= 0xF0 && lead < 0xF8 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : 0;
    if (lead >= 0xF8) extra = 0;
    char32_t code = extra == 3 ? lead & 0x07 : extra == 2 ? lead & 0x0F : lead & 0x1F;
    bool valid = extra > 0;
    for (int k = 1; valid && k <= extra; ++k) {
      if (i + k >= text.size()) {
        valid = false;
        break;
      }
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) valid = false;
      code = (code << 6) | (next & 0x3F);
    }
    if (valid) {
      out.push_back(code);
      i += static_cast<std::size_t>(extra) + 1;
    } else {
      out.push_back(lead);  // plain ASCII, or a Latin-1 byte
      ++i;
    }
  }
  return out;
}

int ToPixels(FT_Pos value_26_6) { return static_cast<int>((value_26_6 + 32) >> 6); }

// Lays out one line: where each glyph goes and how big the line is.
struct LineLayout {
  FT_Face face = nullptr;
  bool embolden = false;  // the face has no bold of its own
  bool slant = false;     // the face has no italic of its own
  int ascent = 0;
  int height = 0;
  int width = 0;
  std::vector<std::pair<FT_UInt, int>> glyphs;  // glyph index and pen x
};

FT_Pos EmboldenStrength(FT_Face face) {
  return std::max<FT_Pos>(64, FT_MulFix(face->units_per_EM, face->size->metrics.y_scale) / 24);
}

// Loads one glyph's outline with the synthetic styles applied.
bool LoadGlyph(const LineLayout& layout, FT_UInt glyph) {
  if (FT_Load_Glyph(layout.face, glyph, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_MONO) != 0) {
    return false;
  }
  FT_GlyphSlot slot = layout.face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return true;
  if (layout.embolden) FT_Outline_Embolden(&slot->outline, EmboldenStrength(layout.face));
  if (layout.slant) {
    const FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};  // about 12 degrees
    FT_Outline_Transform(&slot->outline, &shear);
  }
  return true;
}

LineLayout Layout(const Font& font, std::string_view text) {
  LineLayout layout;
  const int pixel_height = std::max(1, font.PixelHeight());
  layout.height = pixel_height;
  FT_Face face = FontLibrary::Instance().FaceFor(font);
  if (!face || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixel_height)) != 0) {
    return layout;
  }
  layout.face = face;
  layout.embolden = font.bold && !(face->style_flags & FT_STYLE_FLAG_BOLD);
  layout.slant = font.italic && !(face->style_flags & FT_STYLE_FLAG_ITALIC);
  layout.ascent = ToPixels(face->size->metrics.ascender);
  layout.height = std::max(1, layout.ascent - ToPixels(face->size->metrics.descender));
  const FT_Pos bold_extra = layout.embolden ? EmboldenStrength(face) : 0;
  FT_Pos pen = 0;
  for (const char32_t code : DecodeUtf8(text)) {
    if (ToPixels(pen) >= kMaxTextWidth) break;
    const FT_UInt glyph = FT_Get_Char_Index(face, code);
    if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_MONO) != 0) continue;
    layout.glyphs.emplace_back(glyph, ToPixels(pen));
    pen += face->glyph->advance.x + bold_extra;
  }
  layout.width = std::min(ToPixels(pen), kMaxTextWidth);
  return layout;
}

void DrawBar(Bitmap& mask, int top, int thickness) {
  for (int y = std::max(0, top); y < std::min(mask.Height(), top + thickness); ++y) {
    std::fill(mask.Row(y), mask.Row(y) + mask.Width(), std::uint8_t{0});
  }
}

}  // namespace

std::string DrawingFamily(const Font& font) {
  std::lock_guard lock(FontLibrary::Instance().Lock());
  return FontLibrary::Instance().FamilyFor(font);
}

Size MeasureText(const Font& font, std::string_view text) {
  std::lock_guard lock(FontLibrary::Instance().Lock());
  const LineLayout layout = Layout(font, text);
  return {layout.width, layout.height};
}

Bitmap RenderTextMask(const Font& font, std::string_view text) {
  std::lock_guard lock(FontLibrary::Instance().Lock());
  const LineLayout layout = Layout(font, text);
  Bitmap mask(layout.width, layout.height, PixelFormat::Bits1);
  std::fill(mask.Pixels().begin(), mask.Pixels().end(), std::uint8_t{1});
  if (!layout.face || mask.Empty()) return mask;

  for (const auto& [glyph, pen_x] : layout.glyphs) {
    if (!LoadGlyph(layout, glyph)) continue;
    FT_GlyphSlot slot = layout.face->glyph;
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) continue;
    const FT_Bitmap& bits = slot->bitmap;
    if (bits.pixel_mode != FT_PIXEL_MODE_MONO) continue;
    const int origin_x = pen_x + slot->bitmap_left;
    const int origin_y = layout.ascent - slot->bitmap_top;
    for (unsigned row = 0; row < bits.rows; ++row) {
      const int y = origin_y + static_cast<int>(row);
      if (y < 0 || y >= mask.Height()) continue;
      const unsigned char* line = bits.buffer + static_cast<std::ptrdiff_t>(row) * bits.pitch;
      for (unsigned col = 0; col < bits.width; ++col) {
        const int x = origin_x + static_cast<int>(col);
        if (x < 0 || x >= mask.Width()) continue;
        if (line[col >> 3] & (0x80 >> (col & 7))) mask.Row(y)[x] = 0;
      }
    }
  }

  FT_Face face = layout.face;
  const FT_Fixed scale = face->size->metrics.y_scale;
  const int thickness =
      std::max(1, ToPixels(FT_MulFix(std::max<FT_Short>(face->underline_thickness, 1), scale)));
  if (font.underline) {
    const int position = -ToPixels(FT_MulFix(face->underline_position, scale));
    DrawBar(mask, std::min(layout.ascent + position, mask.Height() - thickness), thickness);
  }
  if (font.strike_out) {
    int position = layout.ascent * 3 / 10;  // fallback: a little under half the cap height
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        os2 && os2->yStrikeoutPosition > 0) {
      position = ToPixels(FT_MulFix(os2->yStrikeoutPosition, scale));
    }
    DrawBar(mask, layout.ascent - position, thickness);
  }
  return mask;
}

}  // namespace celwright
