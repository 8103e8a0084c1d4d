// Engine rules: hand-built files (bytes written here, not by our writer) where each rule fires,
// the fix clears it and every pixel stays as shown; and the real files, whose findings follow
// from a reading of their bytes done here.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "model/bam_test_util.h"
#include "model/byte_view.h"
#include "model/engine_check.h"
#include "model/engine_fix.h"
#include "model/zlib_codec.h"
#include "support/file_io.h"

namespace celwright {
namespace {

using testing::HandBam;
using testing::HandFrame;
using testing::TempPath;

// Two raw frames of 2 x 2 in one sequence: the base of most cases.
HandBam TwoFrames(std::vector<std::uint8_t> pixels0, std::vector<std::uint8_t> pixels1) {
  HandBam bam;
  bam.frames = {{2, 2, 0}, {2, 2, 4}};
  bam.cycles = {{2, 0}};
  bam.lookup = {0, 1};
  bam.data = std::move(pixels0);
  bam.data.insert(bam.data.end(), pixels1.begin(), pixels1.end());
  return bam;
}

std::vector<std::uint8_t> Container(const std::vector<std::uint8_t>& image, std::uint32_t stated) {
  return testing::BamcFile(ZlibDeflateClassic(image.data(), image.size(), 9), stated);
}

// Every pixel as shown: transparent when on the transparent index, else its colour.
std::vector<std::vector<TColor>> Shown(const TBAM& bam, int transparent) {
  std::vector<std::vector<TColor>> frames;
  for (int f = 0; f < bam.FrameCount(); ++f) {
    std::vector<TColor> pixels;
    for (std::uint8_t index : bam.DecodeFrame(f)) {
      pixels.push_back(index == transparent ? 0xFF000000u : ToColor(bam.Palette[index]));
    }
    frames.push_back(std::move(pixels));
  }
  return frames;
}

struct Case {
  const char* name;
  std::vector<std::uint8_t> file;
  const engine::Rule* rule;
  bool fixable;
  int transparent = 0;  // the index the file means as transparent
};

std::vector<Case> Cases() {
  std::vector<Case> cases;
  {  // A 0 x 0 frame flagged run-length encoded, pointing at the other frame's data.
    HandBam bam = TwoFrames({1, 2, 3, 4}, {5, 6, 7, 8});
    bam.frames.push_back({0, 0, 0, true});
    cases.push_back({"empty encoded", bam.Bytes(), &engine::kEmptyFrameEncoded, true});
  }
  {  // An empty frame at the very end of the file.
    HandBam bam = TwoFrames({1, 2, 3, 4}, {5, 6, 7, 8});
    bam.frames.push_back({0, 0, 8});
    cases.push_back({"offset at the end", bam.Bytes(), &engine::kFrameOffsetWithoutData, true});
  }
  {  // Frames all 0 x 0 and no data at all.
    HandBam bam;
    bam.frames = {{0, 0, 0}, {0, 0, 0}};
    bam.cycles = {{2, 0}};
    bam.lookup = {0, 1};
    cases.push_back({"only empty frames", bam.Bytes(), &engine::kFrameOffsetWithoutData, true});
  }
  {  // 65535 frames sharing one byte.
    HandBam bam;
    bam.frames.assign(65535, HandFrame{1, 1, 0});
    bam.data = {3};
    cases.push_back({"65535 frames", bam.Bytes(), &engine::kTooManyFrames, false});
  }
  {
    HandBam bam;
    bam.frames = {{1, 1, 0}};
    bam.cycles = {{65535, 0}};
    bam.lookup.assign(65535, 0);
    bam.data = {3};
    cases.push_back({"65535 lookup entries", bam.Bytes(), &engine::kTooManyLookupEntries, false});
  }
  {  // Key and green agree on 5, entry 0 is an ordinary colour in use.
    HandBam bam = TwoFrames({5, 0, 7, 5}, {0, 0, 5, 9});
    bam.key = 5;
    bam.palette[5] = {0, 255, 0, 0};
    bam.palette[0] = {200, 10, 10, 0};
    cases.push_back(
        {"green at 5", bam.Bytes(), &engine::kTransparentIndexDisagreement, true, 5});
    cases.push_back(
        {"colour at 0", bam.Bytes(), &engine::kOpaqueOnTransparentIndex, true, 5});
  }
  {  // Key 0 but a green entry further on, in use: the original engines make it a hole.
    HandBam bam = TwoFrames({0, 9, 3, 0}, {9, 9, 1, 2});
    bam.palette[9] = {0, 255, 0, 0};
    cases.push_back({"green at 9", bam.Bytes(), &engine::kOpaqueOnTransparentIndex, true, 0});
  }
  {  // Entry 0 green, the key an ordinary colour in use (encoded, so the key matters).
    HandBam bam;
    bam.key = 7;
    bam.palette[0] = {0, 255, 0, 0};
    bam.frames = {{4, 1, 0, true}};
    bam.cycles = {{1, 0}};
    bam.lookup = {0};
    bam.data = {0, 7, 1, 2};  // 0, then two pixels of 7, then 2
    cases.push_back({"key 7", bam.Bytes(), &engine::kTransparentIndexDisagreement, true, 0});
  }
  {  // The key and no green at index 1: moving entry 0's pixels there would make them shadow.
    HandBam bam = TwoFrames({1, 0, 4, 1}, {1, 1, 1, 1});
    bam.key = 1;
    cases.push_back({"key 1", bam.Bytes(), &engine::kTransparentIndexDisagreement, false, 1});
  }
  {
    HandBam bam = TwoFrames({1, 2, 3, 4}, {5, 6, 7, 8});
    bam.palette[200][3] = 128;
    cases.push_back({"alpha", bam.Bytes(), &engine::kPaletteAlpha, false});
  }
  {
    HandBam bam = TwoFrames({1, 2, 3, 4}, {5, 6, 7, 8});
    bam.palette[1] = {0, 0, 0, 0};
    cases.push_back({"shadow", bam.Bytes(), &engine::kOpaqueOnShadowIndex, false});
  }
  {
    HandBam bam = TwoFrames({1, 2, 3, 4}, {5, 6, 7, 8});
    bam.lookup = {0, 7};
    cases.push_back({"missing frame", bam.Bytes(), &engine::kLookupMissingFrame, true});
  }
  {  // The sequence's last two entries lie in the frame data.
    HandBam bam = TwoFrames({1, 0, 0, 0}, {5, 6, 7, 8});
    bam.cycles = {{4, 0}};
    cases.push_back({"past the lookup", bam.Bytes(), &engine::kSequencePastLookup, true});
  }
  {
    HandBam bam = TwoFrames({1, 2, 3, 4}, {5, 6, 7, 8});
    bam.cycles = {{1, 0}};
    bam.lookup = {0};
    cases.push_back({"unused", bam.Bytes(), &engine::kUnusedFrame, false});
  }
  {
    HandBam bam = TwoFrames({1, 2, 3, 4}, {1, 2, 3, 4});
    cases.push_back({"duplicate", bam.Bytes(), &engine::kDuplicateFrame, false});
  }
  {
    const HandBam bam = TwoFrames({1, 2, 3, 4}, {5, 6, 7, 8});
    const auto image = bam.Bytes();
    cases.push_back({"stated length", Container(image, static_cast<std::uint32_t>(image.size() - 3)),
                     &engine::kContainerLength, true});
  }
  {  // The second frame's data ends early.
    HandBam bam = TwoFrames({1, 2, 3, 4}, {5, 6});
    cases.push_back({"repaired", bam.Bytes(), &engine::kLoaderRepair, true});
  }
  {
    std::vector<std::uint8_t> bamu;
    PutTag(bamu, "BAMU");
    PutTag(bamu, "V1  ");
    PutU16(bamu, 1);
    bamu.push_back(0);
    bamu.insert(bamu.end(), {0, 255, 0, 0, 255, 0, 0, 0, 0});
    PutU32(bamu, 28);
    PutU32(bamu, 40);
    bamu.insert(bamu.end(), {1, 0, 1, 0, 0, 0, 0, 0});
    PutU32(bamu, 0x80000000u | 40);
    bamu.insert(bamu.end(), {9, 9, 9});
    cases.push_back({"unpaletted", bamu, &engine::kUnpalettedFile, false});
  }
  return cases;
}

TEST(EngineCheck, EachRuleFiresAndItsFixClearsItKeepingThePixels) {
  const auto in = TempPath("engine-in.bam"), out = TempPath("engine-out.bam");
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    WriteFileAtomically(in, c.file);
    TBAM bam;
    const engine::Report report = engine::CheckFile(in, bam);
    const auto finding = std::find_if(report.findings.begin(), report.findings.end(),
                                      [&](const engine::Finding& f) { return f.rule == c.rule; });
    ASSERT_NE(finding, report.findings.end());
    EXPECT_FALSE(finding->message.empty());
    EXPECT_EQ(finding->fixable, c.fixable);
    if (!c.fixable) continue;
    const auto before = Shown(bam, c.transparent);
    EXPECT_FALSE(engine::FixForEngines(bam, report).empty());
    ASSERT_TRUE(bam.SaveToFile(out, bam.BAMType, bam.Compressed, false));
    TBAM fixed;
    const engine::Report after = engine::CheckFile(out, fixed);
    EXPECT_FALSE(after.Has(*c.rule));
    EXPECT_EQ(after.Count(engine::Severity::kError), 0);
    EXPECT_EQ(after.Count(engine::Severity::kWarning), 0);
    EXPECT_EQ(Shown(fixed, 0), before);
  }
}

// --- Real files: what their bytes predict ---------------------------------------------------

std::set<std::string> PredictedIds(const std::vector<std::uint8_t>& file) {
  std::set<std::string> ids;
  std::vector<std::uint8_t> image = file;
  if (ByteView(file.data(), file.size()).Tag(0, "BAMC")) {
    image = ZlibInflate(file.data() + 12, file.size() - 12, 0, 1 << 26);
    if (ByteView(file.data(), file.size()).U32(8) != image.size()) ids.insert("container-length");
  }
  const ByteView b(image.data(), image.size());
  if (b.Tag(0, "BAM ") && b.Tag(4, "V2  ")) {
    // Sequences are runs of frame entries; the page rules need the pages and are tested apart.
    std::vector<bool> shown(b.U32(8), false);
    for (std::uint32_t c = 0; c < b.U32(12); ++c) {
      const std::uint32_t at = b.U32(24) + 4 * c;
      for (std::uint32_t j = 0; j < b.U16(at); ++j) {
        if (b.U16(at + 2) + j < shown.size()) shown[b.U16(at + 2) + j] = true;
      }
    }
    if (std::find(shown.begin(), shown.end(), false) != shown.end()) ids.insert("unused-frame");
    return ids;
  }
  if (!b.Tag(4, "V1  ")) return {"unreadable-file"};
  if (b.Tag(0, "BAMU")) ids.insert("unpaletted-file");
  const std::uint32_t frames = b.U16(8), cycles = b.U8(10);
  const std::uint32_t frame_table = b.U32(12), palette = b.U32(16), lookup = b.U32(20);
  std::set<std::uint32_t> shown;
  for (std::uint32_t c = 0; c < cycles; ++c) {
    const std::uint32_t at = frame_table + 12 * frames + 4 * c;
    for (std::uint32_t j = 0; j < b.U16(at); ++j) {
      const std::uint64_t entry = lookup + 2 * (std::uint64_t{b.U16(at + 2)} + j);
      if (!b.Fits(entry, 2)) continue;
      if (b.U16(entry) >= frames) ids.insert("lookup-missing-frame");
      shown.insert(b.U16(entry));
    }
  }
  for (std::uint32_t k = 0; k < frames; ++k) {
    const std::uint32_t at = frame_table + 12 * k;
    const std::uint32_t word = b.U32(at + 8);
    if (b.U16(at) * b.U16(at + 2) == 0 && (word >> 31) == 0) ids.insert("empty-frame-encoded");
    if ((word & 0x7FFFFFFF) >= image.size()) ids.insert("frame-offset-without-data");
    if (!shown.count(k)) ids.insert("unused-frame");
  }
  int first_green = -1;
  for (int i = 255; i >= 0; --i) {
    const std::uint64_t at = palette + 4u * static_cast<unsigned>(i);
    if (b.U8(at) == 0 && b.U8(at + 1) == 255 && b.U8(at + 2) == 0) first_green = i;
    if (b.U8(at + 3) != 0) ids.insert("palette-alpha");
  }
  if (b.U8(11) != 0 || first_green > 0) ids.insert("transparent-index-disagreement");
  return ids;
}

TEST(EngineCheck, RealFilesGiveTheFindingsTheirBytesPredict) {
  const std::set<std::string> predictable = {
      "container-length", "unreadable-file",     "unpaletted-file",
      "lookup-missing-frame", "empty-frame-encoded", "frame-offset-without-data",
      "unused-frame",     "palette-alpha",       "transparent-index-disagreement"};
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(testing::RealFilesDir())) {
    SCOPED_TRACE(entry.path().filename().string());
    ++files;
    TBAM bam;
    const engine::Report report = engine::CheckFile(entry.path().string(), bam);
    std::set<std::string> found;
    int repairs = 0;
    for (const engine::Finding& f : report.findings) {
      if (predictable.count(f.rule->id)) found.insert(f.rule->id);
      repairs += f.rule == &engine::kLoaderRepair;
    }
    EXPECT_EQ(found, PredictedIds(ReadWholeFile(entry.path())));
    // A BAM V2 file's page faults are told by their own rules instead.
    if (bam.GetBAMType() != kTrueColourBAM) {
      EXPECT_EQ(repairs, static_cast<int>(bam.Warnings.size()));
    }
  }
  EXPECT_GE(files, 20);
}

}  // namespace
}  // namespace celwright
