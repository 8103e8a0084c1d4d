#include "cli/animation_summary.h"

#include <cstdio>
#include <set>
#include <sstream>

#include "model/texture_origin.h"
#include "support/crc32.h"

namespace celwright::cli {

namespace {

std::string Hex(std::uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

std::string HexColour(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return "#" + Hex((static_cast<std::uint32_t>(r) << 16) | (g << 8) | b, 6);
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

}  // namespace

AnimationSummary Summarize(const TBAM& bam, const std::string& file) {
  AnimationSummary summary;
  summary.file = file;
  summary.paletted = bam.Paletted();
  summary.true_colour = bam.BAMType == kTrueColourBAM;
  if (bam.Textures) {
    std::set<std::uint32_t> pages;
    for (const auto& [hash, frame] : bam.Textures->Frames) {
      for (const TextureBlock& block : frame.Blocks) pages.insert(block.Page);
    }
    summary.pages.assign(pages.begin(), pages.end());
  }
  summary.compressed = bam.Compressed;
  summary.comp_col_index = bam.CompColIndex;
  summary.comp_col = bam.CompCol;
  summary.palette = bam.Palette;
  for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
    const TBAMFrame frame = bam.GetFrame(i);
    // Frames are checksummed a piece at a time, so a huge frame needs no huge buffer.
    const std::uint64_t bytes = std::uint64_t{static_cast<std::uint32_t>(frame.Width)} *
                                static_cast<std::uint32_t>(frame.Height) *
                                static_cast<std::uint32_t>(bam.BytesPerPixel());
    if (bytes > kMaxChecksummedFrameBytes) {
      throw FrameTooLargeError("Frame " + std::to_string(i) + " (" + std::to_string(frame.Width) +
                               " x " + std::to_string(frame.Height) +
                               " pixels) is too large to describe: at most " +
                               std::to_string(kMaxChecksummedFrameBytes >> 20) +
                               " MiB of pixels per frame");
    }
    std::uint32_t crc = 0;
    bam.DecodeFrameInChunks(i, [&](const std::uint8_t* data, std::size_t size) {
      crc = CRC32(data, size, crc);
    });
    summary.frames.push_back(
        {frame.Width, frame.Height, frame.CentreX, frame.CentreY, frame.RLE, frame.DataSize, crc});
  }
  for (std::int32_t c = 0; c < bam.CycleCount(); ++c) {
    const TCycleItem cycle = bam.GetCycle(c);
    summary.cycles.emplace_back(cycle.Frames.begin(), cycle.Frames.begin() + cycle.Count);
  }
  return summary;
}

std::string FormatText(const AnimationSummary& s) {
  std::ostringstream out;
  out << "File:       " << s.file << "\n";
  if (s.true_colour) {
    out << "Kind:       true colour with alpha (\"BAM V2\")\n";
    out << "Pages:     ";
    for (std::uint32_t page : s.pages) out << " " << page;
    out << "\n";
  } else {
    out << "Kind:       " << (s.paletted ? "paletted (\"BAM \")" : "unpaletted (\"BAMU\")") << "\n";
    out << "Container:  " << (s.compressed ? "compressed (BAMC)" : "plain") << "\n";
  }
  if (s.true_colour) {
    // True-colour frames are stored on pages, not run-length encoded.
  } else if (s.paletted) {
    out << "RLE key:    index " << s.comp_col_index << "\n";
  } else {
    out << "RLE key:    colour " << HexColour(RedOf(s.comp_col), GreenOf(s.comp_col),
                                              BlueOf(s.comp_col))
        << "\n";
  }
  out << "Frames:     " << s.frames.size() << "\n";
  out << "  frame  width height centre-x centre-y  rle  bytes  pixel-crc32\n";
  for (std::size_t i = 0; i < s.frames.size(); ++i) {
    const FrameSummary& f = s.frames[i];
    char line[128];
    std::snprintf(line, sizeof line, "  %5zu  %5d  %5d  %7d  %7d  %3s  %5d  %s\n", i, f.width,
                  f.height, f.centre_x, f.centre_y, f.rle ? "yes" : "no", f.encoded_size,
                  Hex(f.pixel_crc, 8).c_str());
    out << line;
  }
  out << "Sequences:  " << s.cycles.size() << "\n";
  for (std::size_t c = 0; c < s.cycles.size(); ++c) {
    out << "  " << c << ": [" << s.cycles[c].size() << "]";
    for (int frame : s.cycles[c]) out << " " << frame;
    out << "\n";
  }
  if (s.paletted) {
    out << "Palette:\n";
    for (int row = 0; row < 256; row += 8) {
      char label[16];
      std::snprintf(label, sizeof label, "  %3d:", row);
      out << label;
      for (int i = row; i < row + 8; ++i) {
        out << " " << HexColour(s.palette[i].r, s.palette[i].g, s.palette[i].b);
      }
      out << "\n";
    }
  }
  return out.str();
}

std::string FormatJson(const AnimationSummary& s) {
  std::ostringstream out;
  out << "{\n  \"file\": " << JsonString(s.file) << ",\n";
  if (s.true_colour) {
    out << "  \"kind\": \"BAM V2\",\n  \"pages\": [";
    for (std::size_t i = 0; i < s.pages.size(); ++i) out << (i ? ", " : "") << s.pages[i];
    out << "],\n";
  } else {
    out << "  \"kind\": " << (s.paletted ? "\"BAM \"" : "\"BAMU\"") << ",\n";
    out << "  \"container\": " << (s.compressed ? "\"BAMC\"" : "\"plain\"") << ",\n";
  }
  if (s.true_colour) {
    // No run-length key.
  } else if (s.paletted) {
    out << "  \"CompColIndex\": " << s.comp_col_index << ",\n";
  } else {
    out << "  \"CompCol\": \""
        << HexColour(RedOf(s.comp_col), GreenOf(s.comp_col), BlueOf(s.comp_col)) << "\",\n";
  }
  out << "  \"frames\": [";
  for (std::size_t i = 0; i < s.frames.size(); ++i) {
    const FrameSummary& f = s.frames[i];
    out << (i ? ",\n" : "\n") << "    {\"width\": " << f.width << ", \"height\": " << f.height
        << ", \"centreX\": " << f.centre_x << ", \"centreY\": " << f.centre_y
        << ", \"rle\": " << (f.rle ? "true" : "false") << ", \"size\": " << f.encoded_size
        << ", \"crc32\": \"" << Hex(f.pixel_crc, 8) << "\"}";
  }
  out << (s.frames.empty() ? "],\n" : "\n  ],\n");
  out << "  \"cycles\": [";
  for (std::size_t c = 0; c < s.cycles.size(); ++c) {
    out << (c ? ", " : "") << "[";
    for (std::size_t j = 0; j < s.cycles[c].size(); ++j) out << (j ? ", " : "") << s.cycles[c][j];
    out << "]";
  }
  out << "]";
  if (s.paletted) {
    out << ",\n  \"palette\": [";
    for (int i = 0; i < 256; ++i) {
      out << (i ? ", " : "") << "\"" << HexColour(s.palette[i].r, s.palette[i].g, s.palette[i].b)
          << "\"";
    }
    out << "]";
  }
  out << "\n}\n";
  return out.str();
}

}  // namespace celwright::cli
