#include "model/engine_fix.h"

#include <algorithm>
#include <array>
#include <utility>

#include "model/bam_rle_key.h"

namespace celwright::engine {

namespace {

bool Offers(const Report& report, const Rule& rule) {
  return std::any_of(report.findings.begin(), report.findings.end(),
                     [&](const Finding& f) { return f.rule == &rule && f.fixable; });
}

// Stores every frame again with indices `a` and `b` exchanged, under run-length key 0.
void SwapIndicesAndKeyZero(TBAM& bam, std::uint8_t a, std::uint8_t b) {
  std::array<std::uint8_t, 256> map{};
  for (int i = 0; i < 256; ++i) map[i] = static_cast<std::uint8_t>(i);
  std::swap(map[a], map[b]);
  std::vector<std::uint8_t> bytes;
  for (std::int32_t f = 0; f < bam.FrameCount(); ++f) {
    std::vector<std::uint8_t> raw = bam.DecodeFrame(f);  // under the old key
    for (std::uint8_t& pixel : raw) pixel = map[pixel];
    TBAMFrame info = bam.GetFrame(f);
    bytes.clear();
    info.RLE = rle::EncodeIfSmaller(raw.data(), raw.size(), rle::Key::Index(0), bytes);
    bam.ReplaceFrameData(f, bytes, info);
  }
  bam.CompColIndex = 0;
}

std::vector<std::string> FixTransparency(TBAM& bam) {
  std::vector<std::string> done;
  const TransparentIndices indices = FindTransparentIndices(bam.Palette, bam.CompColIndex);
  const std::uint8_t key = bam.CompColIndex;
  if (indices.intended != 0) {
    const auto t = static_cast<std::uint8_t>(indices.intended);
    SwapIndicesAndKeyZero(bam, 0, t);
    std::swap(bam.Palette[0], bam.Palette[t]);
    std::swap(bam.PaletteFourthBytes[0], bam.PaletteFourthBytes[t]);
    done.push_back("Swapped palette entries 0 and " + std::to_string(t) +
                   " and remapped every pixel, so entry 0 is the transparent colour");
  } else if (key != 0) {
    SetCompressionKey(bam, 0, bam.CompCol);
  }
  if (key != 0) done.push_back("Set the run-length key to index 0, the transparent index");
  if (FindTransparentIndices(bam.Palette, bam.CompColIndex).original != 0) {
    // A pure green entry further on would be the original engines' transparent colour; entry 0
    // (never shown, being transparent) takes that colour so the original engines stop there.
    bam.Palette[0] = RGBTriple{0, 255, 0};
    done.push_back("Set palette entry 0 to pure green (0, 255, 0), the transparent colour of the "
                   "original engines");
  }
  return done;
}

}  // namespace

std::vector<std::string> FixForEngines(TBAM& bam, const Report& report) {
  std::vector<std::string> done;
  if (bam.GetBAMType() == kPalettedBAM && (Offers(report, kTransparentIndexDisagreement) ||
                                           Offers(report, kOpaqueOnTransparentIndex))) {
    done = FixTransparency(bam);
  }
  for (std::int32_t f = 0; f < bam.FrameCount(); ++f) {
    TBAMFrame frame = bam.GetFrame(f);
    if (frame.RLE && !MayStoreEncoded(frame.Width, frame.Height)) {
      frame.RLE = false;
      bam.ReplaceFrameData(f, {}, frame);
    }
  }
  // What the writer lays out afresh needs no change to the document; each is listed.
  for (const Finding& finding : report.findings) {
    if (!finding.fixable) continue;
    const Rule* rule = finding.rule;
    if (rule == &kEmptyFrameEncoded) {
      done.push_back(finding.message + ": stored raw");
    } else if (rule == &kFrameOffsetWithoutData) {
      done.push_back(finding.message + ": pointed at data");
    } else if (rule == &kLookupMissingFrame) {
      done.push_back(finding.message + ": those entries dropped");
    } else if (rule == &kSequencePastFrames) {
      done.push_back(finding.message + ": those entries dropped");
    } else if (rule == &kSequencePastLookup) {
      done.push_back(finding.message + ": the lookup table written whole");
    } else if (rule == &kContainerLength) {
      done.push_back(finding.message + ": the length written true");
    } else if (rule == &kLoaderRepair) {
      done.push_back(finding.message + ": written as repaired");
    }
  }
  return done;
}

}  // namespace celwright::engine
