#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "model/bam_v2_reader.h"
#include "model/engine_check.h"
#include "model/byte_view.h"
#include "model/qm_BAM.h"
#include "model/texture_origin.h"
#include "model/texture_page.h"
#include "model/zlib_codec.h"
#include "support/crc32.h"
#include "support/file_io.h"
#include "bam_test_util.h"

namespace celwright {
namespace {

namespace fs = std::filesystem;
using testing::RealV2File;
using testing::TempPath;

const char* const kSwirlFiles[] = {"swirl.bam",    "MOS1000.PVRZ", "MOS1001.PVRZ", "MOS1002.PVRZ",
                                   "MOS1003.PVRZ", "MOS1004.PVRZ", "MOS1005.PVRZ"};

fs::path FreshFolder(const std::string& name) {
  const fs::path folder = TempPath(name);
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

// A copy of the real animation and its pages; page names may be given another spelling.
fs::path CopySwirl(const fs::path& folder, bool lower_case_pages = false) {
  for (const char* name : kSwirlFiles) {
    std::string target = name;
    if (lower_case_pages && target != "swirl.bam") {
      for (char& c : target) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (!testing::IsRegularFile(RealV2File(name))) ADD_FAILURE() << testing::MissingTestData(RealV2File(name));
    fs::copy_file(RealV2File(name), folder / target, fs::copy_options::overwrite_existing);
    fs::permissions(folder / target, fs::perms::owner_read | fs::perms::owner_write);
  }
  return folder / "swirl.bam";
}

std::vector<std::uint8_t> Bytes(const fs::path& path) { return ReadWholeFile(path); }

struct V2Tables {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> frames;  // (first block, count)
  std::vector<TextureBlock> blocks;
};

V2Tables TablesOf(const fs::path& path) {
  const std::vector<std::uint8_t> bytes = Bytes(path);
  const ByteView v(bytes.data(), bytes.size());
  V2Tables t;
  for (std::uint32_t i = 0; i < v.U32(8); ++i) {
    t.frames.emplace_back(v.U16(v.U32(20) + 12 * i + 8), v.U16(v.U32(20) + 12 * i + 10));
  }
  for (std::uint32_t b = 0; b < v.U32(16); ++b) {
    const std::uint64_t at = v.U32(28) + 28 * b;
    t.blocks.push_back({v.U32(at), v.U32(at + 4), v.U32(at + 8), v.U32(at + 12), v.U32(at + 16),
                        v.U32(at + 20), v.U32(at + 24)});
  }
  return t;
}

std::vector<TextureBlock> BlocksOfFrame(const V2Tables& t, std::size_t frame) {
  const auto [first, count] = t.frames[frame];
  return {t.blocks.begin() + first, t.blocks.begin() + first + count};
}

void Load(TBAM& bam, const fs::path& path) {
  bam.OpenTrueColour = true;
  ASSERT_TRUE(bam.LoadFromFile(path.string())) << bam.ErrorMessage;
}

// A BAM V2 image from its tables.
struct V2Builder {
  struct Frame {
    int w, h, first, count;
  };
  std::vector<Frame> frames;
  std::vector<std::pair<int, int>> sequences;  // (count, first)
  std::vector<TextureBlock> blocks;
  std::vector<std::uint8_t> Build() const {
    std::vector<std::uint8_t> out;
    PutTag(out, "BAM ");
    PutTag(out, "V2  ");
    const std::uint32_t f = static_cast<std::uint32_t>(frames.size());
    const std::uint32_t s = static_cast<std::uint32_t>(sequences.size());
    PutU32(out, f);
    PutU32(out, s);
    PutU32(out, static_cast<std::uint32_t>(blocks.size()));
    PutU32(out, 32);
    PutU32(out, 32 + 12 * f);
    PutU32(out, 32 + 12 * f + 4 * s);
    for (const Frame& fr : frames) {
      for (int v : {fr.w, fr.h, fr.w / 2, fr.h / 2, fr.first, fr.count}) PutU16(out, static_cast<std::uint32_t>(v));
    }
    for (auto [count, first] : sequences) {
      PutU16(out, static_cast<std::uint32_t>(count));
      PutU16(out, static_cast<std::uint32_t>(first));
    }
    for (const TextureBlock& b : blocks) {
      for (std::uint32_t v : {b.Page, b.PageX, b.PageY, b.Width, b.Height, b.FrameX, b.FrameY}) PutU32(out, v);
    }
    return out;
  }
};

void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

// A page file around a texture header and blocks as given (for damaged pages).
std::vector<std::uint8_t> RawPage(std::uint32_t format, std::uint32_t width, std::uint32_t height,
                                  std::size_t block_bytes, std::uint32_t stated = 0) {
  std::vector<std::uint8_t> texture;
  for (std::uint32_t v : {0x03525650u, 0u, format, 0u, 0u, 0u, height, width, 1u, 1u, 1u, 1u, 0u}) {
    PutU32(texture, v);
  }
  texture.resize(texture.size() + block_bytes, 0x55);
  std::vector<std::uint8_t> file;
  PutU32(file, stated ? stated : static_cast<std::uint32_t>(texture.size()));
  const std::vector<std::uint8_t> packed = ZlibDeflate(texture.data(), texture.size());
  file.insert(file.end(), packed.begin(), packed.end());
  return file;
}

TEST(BamV2, RealFileDecodesAsPillowDoes) {
  // Reference: tools/v2_pillow_reference.py, an independent decoding of the same pages.
  std::ifstream reference(RealV2File("swirl.pillow-crc32.txt"));
  ASSERT_TRUE(reference) << testing::MissingTestData(RealV2File("swirl.pillow-crc32.txt"));
  TBAM bam;
  Load(bam, RealV2File("swirl.bam"));
  EXPECT_TRUE(bam.Warnings.empty());
  EXPECT_EQ(bam.BAMType, kTrueColourBAM);
  ASSERT_EQ(bam.FrameCount(), 46);
  ASSERT_EQ(bam.CycleCount(), 1);
  EXPECT_EQ(bam.GetCycle(0).Count, 46);
  int frame, width, height;
  std::string crc;
  int compared = 0;
  while (reference >> frame >> width >> height >> crc) {
    const std::vector<std::uint8_t> rgba = bam.DecodeFrame(frame);
    char ours[16];
    std::snprintf(ours, sizeof ours, "%08X", CRC32(rgba.data(), rgba.size(), 0));
    EXPECT_EQ(bam.GetFrame(frame).Width, width);
    EXPECT_EQ(bam.GetFrame(frame).Height, height);
    EXPECT_EQ(ours, crc) << "frame " << frame;
    ++compared;
  }
  EXPECT_EQ(compared, 46);
  // Shadows and glows: the real file has alpha between the extremes.
  const Bitmap picture = bam.GetFrameAlphaBitmap(10);
  bool partial = false;
  for (int y = 0; y < picture.Height() && !partial; ++y)
    for (int x = 0; x < picture.Width(); ++x) partial |= picture.GetAlpha(x, y) % 255 != 0;
  EXPECT_TRUE(partial);
}

TEST(BamV2, UnchangedAnimationSavesByteForByte) {
  const fs::path source = CopySwirl(FreshFolder("v2-source"));
  const fs::path elsewhere = FreshFolder("v2-elsewhere");
  TBAM bam;
  Load(bam, source);
  // Another folder: the file is the same and its pages are copied beside it.
  ASSERT_TRUE(bam.SaveToFile((elsewhere / "copy.bam").string(), kTrueColourBAM, false, false));
  EXPECT_EQ(Bytes(elsewhere / "copy.bam"), Bytes(source));
  for (const char* page : kSwirlFiles) {
    if (std::string(page) != "swirl.bam") {
      EXPECT_EQ(Bytes(elsewhere / page), Bytes(source.parent_path() / page));
    }
  }
  // The same folder: nothing new is written.
  ASSERT_TRUE(bam.SaveToFile(source.string(), kTrueColourBAM, false, false));
  EXPECT_EQ(Bytes(source), Bytes(RealV2File("swirl.bam")));
  EXPECT_FALSE(fs::exists(source.parent_path() / "MOS1006.PVRZ"));
  EXPECT_TRUE(bam.SaveNotes.empty());
}

TEST(BamV2, EditedFrameGoesOnANewPageAndOthersKeepTheirBlocks) {
  const fs::path file = CopySwirl(FreshFolder("v2-edit"));
  TBAM bam;
  Load(bam, file);
  // Paint an opaque red square (a colour BC1 and BC3 hold exactly) and erase a corner.
  Bitmap picture = bam.GetFrameAlphaBitmap(5);
  for (int y = 100; y < 140; ++y)
    for (int x = 100; x < 140; ++x) picture.SetPixel(x, y, MakeColor(255, 0, 0));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) picture.SetPixelAlpha(x, y, 0, 0);
  bam.SetFrameBitmap(5, picture, bam.GetFrame(5));
  ASSERT_TRUE(bam.SaveToFile(file.string(), kTrueColourBAM, false, false));

  const V2Tables before = TablesOf(RealV2File("swirl.bam"));
  const V2Tables after = TablesOf(file);
  ASSERT_EQ(after.frames.size(), 46u);
  for (std::size_t i = 0; i < 46; ++i) {
    if (i != 5) {
      EXPECT_EQ(BlocksOfFrame(after, i), BlocksOfFrame(before, i)) << "frame " << i;
    }
  }
  for (const TextureBlock& block : BlocksOfFrame(after, 5)) EXPECT_EQ(block.Page, 1006u);
  for (const char* page : kSwirlFiles) {
    if (std::string(page) != "swirl.bam") {
      EXPECT_EQ(Bytes(file.parent_path() / page), Bytes(RealV2File(page)));
    }
  }

  TBAM reopened;
  Load(reopened, file);
  for (std::int32_t i = 0; i < 46; ++i) EXPECT_EQ(reopened.DecodeFrame(i), bam.DecodeFrame(i)) << i;
  const Bitmap shown = reopened.GetFrameAlphaBitmap(5);
  EXPECT_EQ(shown.GetPixel(120, 120), MakeColor(255, 0, 0));
  EXPECT_EQ(shown.GetAlpha(120, 120), 255);
  EXPECT_EQ(shown.GetAlpha(3, 3), 0);
  // The frame's old blocks are still on the old pages, which other frames use: none is unused.
  EXPECT_TRUE(reopened.Warnings.empty());
}

TEST(BamV2, LargeFramesAreSplitOntoThePagesTheirBlocksName) {
  const fs::path folder = FreshFolder("v2-large");
  TBAM bam;
  bam.NewBAM("large.bam", true);
  bam.SetBAMType(kTrueColourBAM);
  bam.BAMType = kTrueColourBAM;
  bam.AddCycle(-1);
  bam.InsertFrame(-1, 0, -1, false);
  const int w = 1500, h = 1300;
  Bitmap picture(w, h, PixelFormat::Bits32);
  // Smooth colours, different in each quarter, so a block on a wrong page cannot pass.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      picture.SetPixelAlpha(x, y, MakeColor(static_cast<std::uint8_t>(x / 6), static_cast<std::uint8_t>(y / 6),
                                            static_cast<std::uint8_t>(x >= 1024 ? 200 : 40) +
                                                static_cast<std::uint8_t>(y >= 1024 ? 50 : 0)),
                            255);
  testing::SetPicture(bam, 0, picture);
  bam.PageSave.FirstPage = 7;
  ASSERT_TRUE(bam.SaveToFile((folder / "large.bam").string(), kTrueColourBAM, false, false));

  const V2Tables tables = TablesOf(folder / "large.bam");
  ASSERT_EQ(tables.blocks.size(), 4u);
  std::map<std::pair<std::uint32_t, std::uint32_t>, TextureBlock> by_place;
  for (const TextureBlock& block : tables.blocks) {
    by_place[{block.FrameX, block.FrameY}] = block;
    EXPECT_GE(block.Page, 7u);
    EXPECT_LE(block.Width, 1024u);
    EXPECT_LE(block.Height, 1024u);
    // Each block is on its page, read on its own from the page it names.
    const std::vector<std::uint8_t> file = Bytes(folder / PageFileName(static_cast<int>(block.Page)));
    const TexturePage page = ReadTexturePage(file.data(), file.size());
    EXPECT_LE(page.Width, 1024);
    EXPECT_LE(page.Height, 1024);
    ASSERT_LE(block.PageX + block.Width, static_cast<std::uint32_t>(page.Width));
    ASSERT_LE(block.PageY + block.Height, static_cast<std::uint32_t>(page.Height));
    std::vector<std::uint8_t> rgba(4 * block.Width * block.Height);
    page.DecodeRect(static_cast<int>(block.PageX), static_cast<int>(block.PageY),
                    static_cast<int>(block.Width), static_cast<int>(block.Height), rgba.data(), 4 * block.Width);
    int worst = 0;
    for (std::uint32_t y = 0; y < block.Height; y += 7) {
      for (std::uint32_t x = 0; x < block.Width; x += 7) {
        const TColor want = picture.GetPixel(static_cast<int>(block.FrameX + x), static_cast<int>(block.FrameY + y));
        const std::uint8_t* got = rgba.data() + 4 * (y * block.Width + x);
        worst = std::max({worst, std::abs(got[0] - RedOf(want)), std::abs(got[1] - GreenOf(want)),
                          std::abs(got[2] - BlueOf(want)), 255 - got[3]});
      }
    }
    EXPECT_LE(worst, 12) << "block at " << block.FrameX << ", " << block.FrameY;
  }
  EXPECT_EQ(by_place.count({0, 0}) + by_place.count({1024, 0}) + by_place.count({0, 1024}) +
                by_place.count({1024, 1024}),
            4u);
  const TextureBlock corner = by_place[std::make_pair(1024u, 1024u)];
  EXPECT_EQ(corner.Width, 476u);
  EXPECT_EQ(corner.Height, 276u);
  TBAM reopened;
  Load(reopened, folder / "large.bam");
  EXPECT_EQ(reopened.DecodeFrame(0), bam.DecodeFrame(0));
}

TEST(BamV2, ConversionsBetweenKinds) {
  TBAM bam;
  testing::MakeSample(bam, kPalettedBAM, 4);
  bam.OverrideTransCol = bam.OverrideShadowCol = false;
  std::vector<std::vector<std::uint8_t>> indices;
  for (std::int32_t i = 0; i < bam.FrameCount(); ++i) indices.push_back(bam.DecodeFrame(i));
  const Palette256 palette = bam.Palette;
  bam.SetBAMType(kTrueColourBAM);
  ASSERT_EQ(bam.BAMType, kTrueColourBAM);
  for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
    const std::vector<std::uint8_t> rgba = bam.DecodeFrame(i);
    ASSERT_EQ(rgba.size(), 4 * indices[i].size());
    for (std::size_t p = 0; p < indices[i].size(); ++p) {
      const std::uint8_t index = indices[i][p];
      const std::uint8_t* px = rgba.data() + 4 * p;
      if (index == 0) {
        EXPECT_EQ(px[3], 0);
      } else if (index == 1) {
        EXPECT_EQ(px[0] | px[1] | px[2], 0);
        EXPECT_EQ(px[3], 128);
      } else {
        EXPECT_EQ(MakeColor(px[0], px[1], px[2]), ToColor(palette[index]));
        EXPECT_EQ(px[3], 255);
      }
    }
  }
  // Back: every opaque pixel keeps its colour, transparent and shadow their entries.
  bam.SetBAMType(kPalettedBAM);
  ASSERT_EQ(bam.BAMType, kPalettedBAM);
  for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
    const std::vector<std::uint8_t> back = bam.DecodeFrame(i);
    for (std::size_t p = 0; p < back.size(); ++p) {
      const std::uint8_t was = indices[i][p];
      if (was <= 1) {
        EXPECT_EQ(back[p], was);
      } else {
        EXPECT_EQ(ToColor(bam.Palette[back[p]]), ToColor(palette[was]));
      }
    }
  }

  // From true colour: alpha below 128 is transparent, black at partial alpha shadow.
  TBAM alpha;
  alpha.NewBAM("a.bam", true);
  alpha.BAMType = kTrueColourBAM;
  alpha.TransCol = MakeColor(0, 255, 0);
  alpha.ShadowCol = MakeColor(0, 0, 0);
  alpha.AddCycle(-1);
  alpha.InsertFrame(-1, 0, -1, false);
  Bitmap pixels(4, 1, PixelFormat::Bits32);
  pixels.SetPixelAlpha(0, 0, MakeColor(200, 10, 10), 127);
  pixels.SetPixelAlpha(1, 0, MakeColor(200, 10, 10), 128);
  pixels.SetPixelAlpha(2, 0, MakeColor(0, 0, 0), 60);
  pixels.SetPixelAlpha(3, 0, MakeColor(0, 255, 0), 255);  // opaque, yet the transparent colour
  testing::SetPicture(alpha, 0, pixels);
  alpha.SetBAMType(kUnpalettedBAM);
  const std::vector<std::uint8_t> rgb = alpha.DecodeFrame(0);
  EXPECT_EQ(MakeColor(rgb[0], rgb[1], rgb[2]), MakeColor(0, 255, 0));
  EXPECT_EQ(MakeColor(rgb[3], rgb[4], rgb[5]), MakeColor(200, 10, 10));
  EXPECT_EQ(MakeColor(rgb[6], rgb[7], rgb[8]), MakeColor(0, 0, 0));
  EXPECT_NE(MakeColor(rgb[9], rgb[10], rgb[11]), MakeColor(0, 255, 0));
}

TEST(BamV2, PagesAreFoundInAnyCaseAndInNamedFolders) {
  TBAM lower;
  Load(lower, CopySwirl(FreshFolder("v2-lower"), true));
  EXPECT_TRUE(lower.Warnings.empty());

  const fs::path alone = FreshFolder("v2-alone");
  fs::copy_file(RealV2File("swirl.bam"), alone / "swirl.bam");
  TBAM missing;
  Load(missing, alone / "swirl.bam");
  ASSERT_EQ(missing.Warnings.size(), 6u);
  EXPECT_NE(missing.Warnings[0].find("MOS1000.PVRZ"), std::string::npos);
  for (std::int32_t i = 0; i < missing.FrameCount(); ++i) {
    for (std::uint8_t byte : missing.DecodeFrame(i)) ASSERT_EQ(byte, 0);
  }

  TBAM found;
  found.PageFolders = {(alone / "nowhere").string(), CopySwirl(FreshFolder("v2-override")).parent_path().string()};
  Load(found, alone / "swirl.bam");
  EXPECT_TRUE(found.Warnings.empty());
  TBAM reference;
  Load(reference, RealV2File("swirl.bam"));
  EXPECT_EQ(found.DecodeFrame(20), reference.DecodeFrame(20));

  // Without the caller's consent V2 files are still refused, with the reason.
  TBAM refusing;
  EXPECT_FALSE(refusing.LoadFromFile(RealV2File("swirl.bam")));
  EXPECT_NE(refusing.ErrorMessage.find("V2"), std::string::npos);
}

TEST(BamV2, DamagedPagesAndTablesAreRepairedOrRefused) {
  const fs::path folder = FreshFolder("v2-hostile");
  // Four frames, each drawn from one page: a sound one, a page of another pixel format, one
  // claiming 8192 x 8192 in a few bytes, and a truncated stream; block 4 reaches past its page.
  const std::vector<std::uint8_t> rgba(8 * 8 * 4, 255);
  WriteBytes(folder / "MOS0001.PVRZ", EncodeTexturePage(rgba.data(), 8, 8, PageFormat::kBC1));
  WriteBytes(folder / "MOS0002.PVRZ", RawPage(2, 8, 8, 32));
  WriteBytes(folder / "MOS0003.PVRZ", RawPage(11, 8192, 8192, 64, 0xFFFFFFFF));
  const std::vector<std::uint8_t> whole = RawPage(7, 8, 8, 32);
  WriteBytes(folder / "MOS0004.PVRZ", {whole.begin(), whole.end() - 8});
  V2Builder v2;
  v2.frames = {{8, 8, 0, 1}, {8, 8, 1, 1}, {8, 8, 2, 1}, {8, 8, 3, 1}, {8, 8, 4, 1}, {8, 8, 5, 9}};
  v2.sequences = {{4, 0}, {9, 3}};
  v2.blocks = {{1, 0, 0, 8, 8, 0, 0}, {2, 0, 0, 8, 8, 0, 0}, {3, 0, 0, 8, 8, 0, 0},
               {4, 0, 0, 8, 8, 0, 0}, {1, 4, 4, 8, 8, 2, 2}};
  WriteBytes(folder / "hostile.bam", v2.Build());
  TBAM bam;
  Load(bam, folder / "hostile.bam");
  const std::string warnings = [&] {
    std::string all;
    for (const std::string& w : bam.Warnings) all += w + "\n";
    return all;
  }();
  EXPECT_NE(warnings.find("MOS0002.PVRZ"), std::string::npos) << warnings;
  EXPECT_NE(warnings.find("MOS0003.PVRZ"), std::string::npos) << warnings;
  EXPECT_NE(warnings.find("MOS0004.PVRZ"), std::string::npos) << warnings;
  EXPECT_NE(warnings.find("Frame 4: a data block reaches past"), std::string::npos) << warnings;
  EXPECT_NE(warnings.find("Frame 5: 9 of its data blocks do not exist"), std::string::npos) << warnings;
  EXPECT_NE(warnings.find("past the last frame"), std::string::npos) << warnings;
  EXPECT_EQ(bam.GetFrameAlphaBitmap(0).GetAlpha(7, 7), 255);
  EXPECT_EQ(bam.GetFrameAlphaBitmap(1).GetAlpha(7, 7), 0);
  const Bitmap clipped = bam.GetFrameAlphaBitmap(4);
  EXPECT_EQ(clipped.GetAlpha(1, 1), 0);
  EXPECT_EQ(clipped.GetAlpha(5, 5), 255);  // from the page's (7, 7)
  EXPECT_EQ(clipped.GetAlpha(6, 6), 0);    // past the page
  EXPECT_EQ(bam.GetCycle(1).Count, 3);

  // Headers that cannot be read at all are refused with the reason.
  auto refused = [&](std::vector<std::uint8_t> bytes, const std::string& words) {
    WriteBytes(folder / "bad.bam", bytes);
    TBAM bad;
    bad.OpenTrueColour = true;
    EXPECT_FALSE(bad.LoadFromFile((folder / "bad.bam").string()));
    EXPECT_NE(bad.ErrorMessage.find(words), std::string::npos) << bad.ErrorMessage;
  };
  std::vector<std::uint8_t> image = v2.Build();
  refused({image.begin(), image.begin() + 20}, "header is incomplete");
  std::vector<std::uint8_t> many = image;
  many[8] = 0xFF, many[9] = 0xFF;  // 65535 frames in a file of a few bytes
  refused(many, "frame table");
  V2Builder huge;
  for (int i = 0; i < 40; ++i) huge.frames.push_back({65535, 65535, 0, 0});
  refused(huge.Build(), "pixels together");
  V2Builder overlapping;
  overlapping.frames = {{2048, 2048, 0, 1000}};
  overlapping.blocks.assign(1000, TextureBlock{1, 0, 0, 4096, 4096, 0, 0});
  refused(overlapping.Build(), "overlap");
  V2Builder shared;  // a small file whose frames all name the same empty blocks
  shared.frames.assign(2000, {1, 1, 0, 1000});
  shared.blocks.assign(1000, TextureBlock{1, 0, 0, 0, 0, 0, 0});
  refused(shared.Build(), "data blocks together");
}

TEST(BamV2, EngineCheckFindsPageAndTableFaults) {
  const fs::path real = FreshFolder("v2-check-real");
  TBAM swirl;
  const engine::Report clean = engine::CheckFile(CopySwirl(real).string(), swirl);
  for (const engine::Finding& finding : clean.findings) {
    EXPECT_NE(finding.rule->severity, engine::Severity::kError) << finding.message;
  }

  // Page 1 sound, page 2 missing, page 6 wider than the games' pages; the second block reaches
  // past page 1 and the second sequence past the last frame entry.
  const fs::path folder = FreshFolder("v2-check");
  const std::vector<std::uint8_t> rgba(1028 * 8 * 4, 255);
  WriteBytes(folder / "MOS0001.PVRZ", EncodeTexturePage(rgba.data(), 8, 8, PageFormat::kBC1));
  WriteBytes(folder / "mos0006.pvrz", EncodeTexturePage(rgba.data(), 1028, 8, PageFormat::kBC1));
  V2Builder v2;
  v2.frames = {{8, 8, 0, 1}, {8, 8, 1, 1}, {8, 8, 2, 1}, {8, 8, 3, 1}};
  v2.sequences = {{4, 0}, {3, 2}};
  v2.blocks = {{1, 0, 0, 8, 8, 0, 0}, {1, 4, 0, 8, 8, 0, 0}, {2, 0, 0, 8, 8, 0, 0}, {6, 1020, 0, 8, 8, 0, 0}};
  WriteBytes(folder / "faults.bam", v2.Build());
  TBAM bam;
  const engine::Report report = engine::CheckFile((folder / "faults.bam").string(), bam);
  std::map<std::string, std::vector<int>> found;  // rule -> frame or sequence
  for (const engine::Finding& f : report.findings) {
    found[f.rule->id].push_back(f.frame >= 0 ? f.frame : f.sequence);
  }
  EXPECT_EQ(found["block-outside-page"], std::vector<int>{1});
  EXPECT_EQ(found["page-missing"], std::vector<int>{2});
  EXPECT_EQ(found["page-over-1024"].size(), 1u);
  EXPECT_EQ(found["sequence-past-frames"], std::vector<int>{1});
  EXPECT_FALSE(report.Has(engine::kUnreadableFile));
  EXPECT_FALSE(report.Has(engine::kLoaderRepair));  // each fault is told once
}

TEST(BamV2, PagesOfOtherFilesAreNeverOverwrittenUnlessAllowed) {
  const fs::path folder = FreshFolder("v2-owned");
  const fs::path other = folder / "MOS0500.PVRZ";
  WriteBytes(other, {1, 2, 3});
  TBAM bam;
  testing::MakeSample(bam, kPalettedBAM, 2);
  bam.SetBAMType(kTrueColourBAM);
  bam.PageSave.FirstPage = 500;
  const fs::path target = folder / "new.bam";
  WriteBytes(target, {9, 9});
  EXPECT_THROW(bam.SaveToFile(target.string(), kTrueColourBAM, false, false), EBAMSaveError);
  EXPECT_EQ(Bytes(other), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(Bytes(target), (std::vector<std::uint8_t>{9, 9}));
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++entries;
  EXPECT_EQ(entries, 2u);  // no temporaries left

  bam.PageSave.OverwritePages = true;
  ASSERT_TRUE(bam.SaveToFile(target.string(), kTrueColourBAM, false, false));
  EXPECT_NE(Bytes(other).size(), 3u);
  // Saved again without permission: the pages are its own now, so they may be replaced, and a
  // page it no longer needs is reported and kept.
  bam.PageSave.OverwritePages = false;
  bam.PageSave.FirstPage = 600;
  bam.DeleteFrame(1);
  Bitmap changed = bam.GetFrameAlphaBitmap(0);
  changed.SetPixel(0, 0, MakeColor(1, 2, 3));
  bam.SetFrameBitmap(0, changed, bam.GetFrame(0));
  ASSERT_TRUE(bam.SaveToFile(target.string(), kTrueColourBAM, false, false));
  std::string notes;
  for (const std::string& note : bam.SaveNotes) notes += note + "\n";
  EXPECT_NE(notes.find("MOS0500.PVRZ is no longer used"), std::string::npos) << notes;
  EXPECT_TRUE(fs::exists(other));
}

}  // namespace
}  // namespace celwright
