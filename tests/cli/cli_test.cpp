#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>

#include "model/bam_test_util.h"
#include "model/qm_BAM.h"
#include "support/file_io.h"
#include "support/palette_file.h"

namespace celwright {
namespace {

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the batch tool with the given arguments, capturing stdout (stderr goes to a file).
Result RunTool(const std::string& arguments) {
  const auto errors = testing::TempPath("cli-stderr.txt");
  const std::string command = std::string(CELWRIGHT_CLI " ") + arguments + " 2>" +
                              errors.string();
  Result result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.out.append(buffer, got);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(errors);
  result.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
  return result;
}

const std::string kSample = std::string(CELWRIGHT_SOURCE_DIR "/resources/sample.bam");

// The per-frame lines of `info`: size, centre and pixel checksum, without the storage columns.
std::vector<std::string> FrameFingerprints(const std::string& info) {
  std::vector<std::string> rows;
  const std::regex row(R"(^\s+(\d+)\s+(\d+)\s+(\d+)\s+(-?\d+)\s+(-?\d+)\s+(yes|no)\s+\d+\s+([0-9A-F]{8})$)");
  std::istringstream lines(info);
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (std::regex_match(line, m, row)) rows.push_back(m[2].str() + "x" + m[3].str() + "@" + m[4].str() + "," + m[5].str() + ":" + m[7].str());
  }
  return rows;
}

TEST(BatchTool, InfoDescribesTheSampleAsTextAndJson) {
  const Result text = RunTool("info " + kSample);
  ASSERT_EQ(text.status, 0);
  EXPECT_NE(text.out.find("Container:  compressed (BAMC)"), std::string::npos);
  EXPECT_EQ(FrameFingerprints(text.out).size(), 20u);
  const Result json = RunTool("info --json " + kSample);
  ASSERT_EQ(json.status, 0);
  EXPECT_NE(json.out.find("\"kind\": \"BAM \""), std::string::npos);
  EXPECT_NE(json.out.find("\"cycles\": [[0, 1, 2, 3, 4, 5, 6, 7], "), std::string::npos);
}

TEST(BatchTool, ConvertKeepsEveryFrameThroughBothContainersAndKinds) {
  const auto plain = testing::TempPath("cli-plain.bam");
  const auto unpaletted = testing::TempPath("cli-u.bam");
  const auto back = testing::TempPath("cli-back.bam");
  const auto original = FrameFingerprints(RunTool("info " + kSample).out);
  ASSERT_EQ(RunTool("convert " + kSample + " " + plain.string() + " --uncompressed").status, 0);
  EXPECT_NE(RunTool("info " + plain.string()).out.find("Container:  plain"), std::string::npos);
  EXPECT_EQ(FrameFingerprints(RunTool("info " + plain.string()).out), original);

  ASSERT_EQ(RunTool("convert " + plain.string() + " " + unpaletted.string() + " --unpaletted").status, 0);
  EXPECT_NE(RunTool("info " + unpaletted.string()).out.find("unpaletted"), std::string::npos);
  ASSERT_EQ(RunTool("convert " + unpaletted.string() + " " + back.string() + " --paletted").status, 0);
  TBAM a, b;
  ASSERT_TRUE(a.LoadFromFile(kSample));
  ASSERT_TRUE(b.LoadFromFile(back));
  // The tool shows transparency and shadow in the default colours, so that is what the trip
  // through true colour keeps; the transparent and shadow pixels keep their indices.
  for (TBAM* bam : {&a, &b}) {
    bam->TransCol = kDefaultTransCol;
    bam->ShadowCol = kDefaultShadowCol;
  }
  ASSERT_EQ(a.FrameCount(), b.FrameCount());
  for (int i = 0; i < a.FrameCount(); ++i) {
    Bitmap pa, pb, ia, ib;
    a.GetFrameBitmap(i, pa, &ia);
    b.GetFrameBitmap(i, pb, &ib);
    ASSERT_EQ(pa, pb) << "frame " << i;
    for (int y = 0; y < ia.Height(); ++y) {
      for (int x = 0; x < ia.Width(); ++x) {
        const bool special_a = RedOf(ia.GetPixel(x, y)) < 2, special_b = RedOf(ib.GetPixel(x, y)) < 2;
        ASSERT_EQ(special_a, special_b);
        if (special_a) {
          ASSERT_EQ(ia.GetPixel(x, y), ib.GetPixel(x, y));
        }
      }
    }
  }
}

TEST(BatchTool, OpensAndWritesBamV2WithItsPages) {
  namespace fs = std::filesystem;
  const auto folder = testing::TempPath("cli-v2");
  fs::remove_all(folder);
  fs::create_directories(folder / "out");
  const std::string pages = fs::path(testing::RealV2File("swirl.bam")).parent_path().string();
  fs::copy_file(testing::RealV2File("swirl.bam"), folder / "swirl.bam");
  const std::string swirl = (folder / "swirl.bam").string();

  const Result alone = RunTool("info " + swirl);
  EXPECT_EQ(alone.status, 0);
  EXPECT_NE(alone.err.find("MOS1000.PVRZ) was not found"), std::string::npos) << alone.err;
  const Result found = RunTool("info " + swirl + " --pages " + folder.string() + " --pages " + pages);
  ASSERT_EQ(found.status, 0) << found.err;
  EXPECT_EQ(found.err, "");
  EXPECT_NE(found.out.find("(\"BAM V2\")"), std::string::npos);
  EXPECT_EQ(FrameFingerprints(found.out).size(), 46u);
  EXPECT_EQ(RunTool("export " + swirl + " " + (folder / "swirl.gif").string() + " --pages " + pages).status, 0);

  // To V2 and back; new pages start where asked and never replace another file's pages.
  const std::string v2 = (folder / "out" / "sample.bam").string();
  ASSERT_EQ(RunTool("convert " + kSample + " " + v2 + " --v2 --first-page 40").status, 0);
  EXPECT_TRUE(fs::exists(folder / "out" / "MOS0040.PVRZ"));
  const std::string other = (folder / "out" / "other.bam").string();
  const Result refused = RunTool("convert " + kSample + " " + other + " --v2 --first-page 40");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("belongs to another file"), std::string::npos) << refused.err;
  EXPECT_FALSE(fs::exists(other));
  EXPECT_EQ(RunTool("convert " + kSample + " " + other + " --v2 --first-page 40 --overwrite-pages").status, 0);
  const std::string back = (folder / "back.bam").string();
  ASSERT_EQ(RunTool("convert " + v2 + " " + back + " --paletted").status, 0);
  EXPECT_NE(RunTool("info " + back).out.find("paletted (\"BAM \")"), std::string::npos);
  EXPECT_EQ(RunTool("convert " + kSample + " " + other + " --v2 --compressed").status, 2);
}

TEST(BatchTool, FramesExportAndImport) {
  const auto folder = testing::TempPath("cli-frames");
  std::filesystem::remove_all(folder);
  ASSERT_EQ(RunTool("frames " + kSample + " " + folder.string() + " --format bmp").status, 0);
  EXPECT_TRUE(std::filesystem::exists(folder / "sample_0019.bmp"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 20);

  const auto gif = testing::TempPath("cli-bounce.gif");
  const auto imported = testing::TempPath("cli-imported.bam");
  ASSERT_EQ(RunTool("export " + kSample + " " + gif.string() + " --cycle 1").status, 0);
  ASSERT_EQ(RunTool("import " + gif.string() + " " + imported.string()).status, 0);
  TBAM bam;
  ASSERT_TRUE(bam.LoadFromFile(imported));
  EXPECT_EQ(bam.FrameCount(), 12);
  EXPECT_EQ(bam.CycleCount(), 1);
}

TEST(BatchTool, PicturesBecomeOneCycleAndOutputsKeepTheirNames) {
  const std::string pictures = std::string(CELWRIGHT_SOURCE_DIR "/tests/image_io/data/");
  const auto built = testing::TempPath("cli-walk.bam");
  ASSERT_EQ(RunTool("import " + pictures + "pal8.png " + pictures + "rgb24.bmp " + pictures +
                    "colour.jpg " + built.string())
                .status,
            0);
  TBAM bam;
  ASSERT_TRUE(bam.LoadFromFile(built));
  ASSERT_EQ(bam.FrameCount(), 3);
  EXPECT_EQ(bam.GetCycle(0).Frames, (TSmallLookup{0, 1, 2}));
  EXPECT_EQ(bam.BAMType, kPalettedBAM);
  for (int f = 0; f < 3; ++f) {  // standing on the middle of the bottom edge
    EXPECT_EQ(bam.GetFrame(f).CentreX, bam.GetFrame(f).Width / 2);
    EXPECT_EQ(bam.GetFrame(f).CentreY, bam.GetFrame(f).Height);
  }
  ASSERT_EQ(RunTool("import " + pictures + "pal8.png " + built.string() +
                    " --centre 5,-7 --unpaletted")
                .status,
            0);
  ASSERT_TRUE(bam.LoadFromFile(built));
  EXPECT_EQ(bam.BAMType, kUnpalettedBAM);
  EXPECT_EQ(std::make_pair(bam.GetFrame(0).CentreX, bam.GetFrame(0).CentreY), std::make_pair(5, -7));
  EXPECT_EQ(RunTool("import " + pictures + "pal8.png " + built.string() + " --centre 5").status, 2);

  const auto folder = testing::TempPath("cli-exact-names");
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  for (const char* name : {"OUT.AVI", "OUT.GIF", "OUT.BMP", "OUT.BAM", "out.Gif"}) {
    ASSERT_EQ(RunTool("export " + kSample + " " + (folder / name).string()).status, 0) << name;
    EXPECT_TRUE(std::filesystem::exists(folder / name)) << name;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 5);
  ASSERT_EQ(RunTool("frames " + kSample + " " + folder.string() + " --format PNG").status, 0);
  EXPECT_TRUE(std::filesystem::exists(folder / "sample_0000.png"));
}

// Sheets and animated PNGs from the batch tool come back through its own import.
TEST(BatchTool, SheetsAndAnimatedPngsComeBackAsTheSequencesTheyLeftAs) {
  const auto folder = testing::TempPath("cli-exchange");
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::string sheet = (folder / "walk.png").string(), back = (folder / "back.bam").string();
  ASSERT_EQ(RunTool("sheet " + kSample + " " + sheet + " --indexed --packed --padding 1").status, 0);
  ASSERT_EQ(RunTool("import " + (folder / "walk.json").string() + " " + back).status, 0);
  TBAM original, imported;
  ASSERT_TRUE(original.LoadFromFile(kSample));
  ASSERT_TRUE(imported.LoadFromFile(back));
  ASSERT_EQ(imported.CycleCount(), original.CycleCount());
  for (std::int32_t c = 0; c < original.CycleCount(); ++c) {
    const TCycleItem a = original.GetCycle(c), b = imported.GetCycle(c);
    ASSERT_EQ(a.Count, b.Count);
    for (std::int32_t j = 0; j < a.Count; ++j) {
      const TBAMFrame fa = original.GetFrame(a.Frames[j]), fb = imported.GetFrame(b.Frames[j]);
      EXPECT_EQ(std::tie(fa.Width, fa.Height, fa.CentreX, fa.CentreY),
                std::tie(fb.Width, fb.Height, fb.CentreX, fb.CentreY));
      EXPECT_EQ(original.DecodeFrame(a.Frames[j]), imported.DecodeFrame(b.Frames[j]));
    }
  }
  EXPECT_EQ(imported.Palette, original.Palette);

  const std::string animated = (folder / "bounce.png").string();
  ASSERT_EQ(RunTool("export " + kSample + " " + animated + " --animated --cycle 2").status, 0);
  ASSERT_EQ(RunTool("import " + animated + " " + back + " --unpaletted").status, 0);
  ASSERT_TRUE(imported.LoadFromFile(back));
  ASSERT_EQ(imported.CycleCount(), 1);
  EXPECT_EQ(imported.GetCycle(0).Count, original.GetCycle(2).Count);
  EXPECT_EQ(imported.FrameCount(), 8);  // the frames the sequence shows, each once

  ASSERT_EQ(RunTool("import " + sheet + " " + back + " --grid 48x64 --count 3").status, 0);
  ASSERT_TRUE(imported.LoadFromFile(back));
  EXPECT_EQ(imported.GetCycle(0).Count, 3);
  const Result rotated = RunTool("import " CELWRIGHT_TESTDATA_DIR "/exchange/rotated.json " + back);
  EXPECT_EQ(rotated.status, 1);
  EXPECT_NE(rotated.err.find("rotated frames are not supported"), std::string::npos) << rotated.err;
  EXPECT_EQ(RunTool("sheet " + kSample + " " + sheet + " --columns 2 --packed").status, 2);
  EXPECT_EQ(RunTool("import " + sheet + " " + back + " --count 2").status, 2);
}

TEST(BatchTool, ErrorsAndMisuseHaveTheirExitStatus) {
  EXPECT_EQ(RunTool("").status, 2);
  EXPECT_EQ(RunTool("info").status, 2);
  EXPECT_EQ(RunTool("frobnicate x").status, 2);
  EXPECT_EQ(RunTool("convert a b --sideways").status, 2);
  EXPECT_EQ(RunTool("info /no/such/file.bam").status, 1);
  const auto cut = testing::TempPath("cli-cut-v2.bam");
  std::ofstream(cut, std::ios::binary) << "BAM V2  \x01";
  EXPECT_EQ(RunTool("info " + cut.string()).status, 1);
  EXPECT_EQ(RunTool("export " + kSample + " out.tif").status, 2);
  EXPECT_EQ(RunTool("export " + kSample + " out.gif --cycle 9").status, 1);
  const std::string unused = " " + testing::TempPath("cli-unused.bam").string();
  EXPECT_EQ(RunTool("convert " + kSample + unused + " --paletted --dither zigzag").status, 2);
  EXPECT_EQ(RunTool("convert " + kSample + unused + " --dither fs").status, 2);
}

// A picture ImageMagick made, imported plain and dithered both ways: three different results,
// and no pixel on the transparent or shadow entry.
TEST(BatchTool, ImportDithersOnlyWhenAskedAndNeverIntoReservedEntries) {
  const std::string plasma = std::string(CELWRIGHT_TESTDATA_DIR) + "/pictures/plasma.png";
  std::vector<std::vector<std::uint8_t>> results;
  for (const char* dither : {"", " --dither fs", " --dither ordered"}) {
    const auto out = testing::TempPath("cli-dither.bam");
    std::filesystem::remove(out);
    ASSERT_EQ(RunTool("import " + plasma + " " + out.string() + " --uncompressed" + dither).status,
              0);
    TBAM bam;
    ASSERT_TRUE(bam.LoadFromFile(out.string()));
    results.push_back(bam.DecodeFrame(0));
    for (std::uint8_t index : results.back()) ASSERT_GT(index, 1) << dither;
  }
  EXPECT_NE(results[0], results[1]);
  EXPECT_NE(results[0], results[2]);
  EXPECT_NE(results[1], results[2]);
}

// Two real creature files share one palette: both map onto it exactly, every pixel that was
// drawn stays off entries 0 and 1, and transparent and shadow pixels keep them.
TEST(BatchTool, PaletteBuiltFromTwoFilesMapsBoth) {
  const std::string first = testing::TestFile("CHMB1G11.BAM"),
                    second = testing::TestFile("rabbG11.bam");
  const auto pal = testing::TempPath("cli-shared.pal");
  std::filesystem::remove(pal);
  ASSERT_EQ(RunTool("palette build " + first + " " + second + " " + pal.string()).status, 0);
  for (const std::string& source : {first, second}) {
    const auto out = testing::TempPath("cli-shared.bam");
    std::filesystem::remove(out);
    const Result run = RunTool("convert " + source + " " + out.string() + " --palette " +
                               pal.string());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("mean colour error"), std::string::npos);
    TBAM before, after;
    ASSERT_TRUE(before.LoadFromFile(source));
    ASSERT_TRUE(after.LoadFromFile(out.string()));
    Palette256 expected{};
    ASSERT_TRUE(LoadPaletteFile(pal, expected).Ok);
    EXPECT_EQ(after.Palette, expected);
    ASSERT_EQ(after.FrameCount(), before.FrameCount());
    for (int i = 0; i < before.FrameCount(); ++i) {
      const std::vector<std::uint8_t> was = before.DecodeFrame(i), now = after.DecodeFrame(i);
      ASSERT_EQ(was.size(), now.size());
      for (std::size_t p = 0; p < was.size(); ++p) {
        if (was[p] == before.TranspInd) {
          ASSERT_EQ(now[p], 0);
        } else if (was[p] == before.ShadowInd) {
          ASSERT_EQ(now[p], 1);
        } else {
          ASSERT_GT(now[p], 1) << source << " frame " << i << " pixel " << p;
        }
      }
    }
  }
  // Locked entries stay as they were while the rest are rebuilt.
  const auto locked = testing::TempPath("cli-locked.bam");
  std::filesystem::remove(locked);
  ASSERT_EQ(RunTool("convert " + first + " " + locked.string() + " --keep-entries 16-31").status, 0);
  TBAM original, rebuilt;
  ASSERT_TRUE(original.LoadFromFile(first));
  ASSERT_TRUE(rebuilt.LoadFromFile(locked.string()));
  EXPECT_TRUE(std::equal(original.Palette.begin() + 16, original.Palette.begin() + 32,
                         rebuilt.Palette.begin() + 16));
  // Pixels on locked entries stay on them, not on a rebuilt entry of the same colour: a game
  // recolours them by index.
  int pinned = 0;
  for (int i = 0; i < original.FrameCount(); ++i) {
    const std::vector<std::uint8_t> was = original.DecodeFrame(i), now = rebuilt.DecodeFrame(i);
    for (std::size_t p = 0; p < was.size(); ++p) {
      if (was[p] < 16 || was[p] > 31) continue;
      ++pinned;
      ASSERT_EQ(now[p], was[p]) << "frame " << i << " pixel " << p;
    }
  }
  EXPECT_GT(pinned, 0);
  const std::string unused = " " + testing::TempPath("cli-unused.bam").string();
  EXPECT_EQ(RunTool("convert " + first + unused + " --palette " + first + " --keep-entries 2-9").status,
            2);
  EXPECT_EQ(RunTool("convert " + first + unused + " --keep-entries 9-2").status, 2);
  EXPECT_EQ(RunTool("palette build " + first + " out.txt").status, 2);
}

// A plain paletted BAM read here on its own, from the layout of the format: what every sequence
// slot shows, as the shown (non-zero) pixels by position relative to the frame's centre.
using ShownPixels = std::map<std::pair<int, int>, std::uint8_t>;
std::vector<std::vector<ShownPixels>> ReadSlotsIndependently(const std::filesystem::path& path,
                                                             int& frame_count) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> f((std::istreambuf_iterator<char>(in)), {});
  auto u16 = [&](std::size_t at) { return f.at(at) | f.at(at + 1) << 8; };
  auto u32 = [&](std::size_t at) { return static_cast<std::uint32_t>(u16(at) | u16(at + 2) << 16); };
  EXPECT_EQ(std::string(f.begin(), f.begin() + 8), "BAM V1  ");
  frame_count = u16(8);
  const int cycles = f.at(10), key = f.at(11);
  const std::size_t frames_at = u32(12), lookup_at = u32(20);
  std::vector<ShownPixels> frames;
  for (int i = 0; i < frame_count; ++i) {
    const std::size_t e = frames_at + 12 * i;
    const int w = u16(e), h = u16(e + 2);
    const int cx = static_cast<std::int16_t>(u16(e + 4)), cy = static_cast<std::int16_t>(u16(e + 6));
    const std::uint32_t word = u32(e + 8);
    std::size_t at = word & 0x7FFFFFFFu;
    std::vector<std::uint8_t> pixels;
    while (pixels.size() < static_cast<std::size_t>(w) * h) {
      const std::uint8_t v = f.at(at++);
      const int run = (!(word & 0x80000000u) && v == key) ? f.at(at++) + 1 : 1;
      pixels.insert(pixels.end(), run, v);
    }
    ShownPixels shown;
    for (int p = 0; p < w * h; ++p) {
      if (pixels[p] != 0) shown[{p % w - cx, p / w - cy}] = pixels[p];
    }
    frames.push_back(shown);
  }
  std::vector<std::vector<ShownPixels>> slots(cycles);
  for (int c = 0; c < cycles; ++c) {
    const std::size_t e = frames_at + 12 * frame_count + 4 * c;
    for (int j = 0; j < u16(e); ++j) slots[c].push_back(frames.at(u16(lookup_at + 2 * (u16(e + 2) + j))));
  }
  return slots;
}

// Five frames, three of them alike (one of those framed by a transparent border) in three
// sequences: trimmed and merged, three frames remain and every slot shows what it showed.
TEST(BatchTool, TrimAndMergeIdenticalKeepEverySequenceSlot) {
  TBAM bam;
  bam.NewBAM("five.bam", true);
  bam.BAMType = kPalettedBAM;
  for (int i = 0; i < 256; ++i) bam.Palette[i] = {static_cast<std::uint8_t>(i), 0, 0};
  const std::vector<std::uint8_t> alike = {5, 6, 7, 8, 9, 10}, other = {1, 2, 3, 4, 5, 6},
                                  framed = {0, 0, 0, 0, 0, 0, 5, 6, 7, 0, 0, 8, 9, 10, 0, 0, 0, 0, 0, 0};
  for (int c = 0; c < 3; ++c) bam.AddCycle(-1);
  for (int i = 0; i < 5; ++i) bam.InsertFrame(-1, 0, -1, false);
  testing::SetPixels(bam, 0, 3, 2, 1, 2, alike);
  testing::SetPixels(bam, 1, 3, 2, 1, 2, other);
  testing::SetPixels(bam, 2, 5, 4, 2, 3, framed);  // the same picture one pixel further in
  testing::SetPixels(bam, 3, 3, 2, 0, 0, alike);   // same pixels, another centre
  testing::SetPixels(bam, 4, 3, 2, 1, 2, alike);
  for (int f : {4, 2, 0}) bam.AddFrameToCycle(f, 1);
  for (int f : {3, 4, 4}) bam.AddFrameToCycle(f, 2);
  const auto in = testing::TempPath("cli-five.bam"), out = testing::TempPath("cli-three.bam");
  std::filesystem::remove(out);
  ASSERT_NO_THROW(bam.SaveToFile(in.string(), kPalettedBAM, false, false));
  const Result run = RunTool("convert " + in.string() + " " + out.string() +
                             " --trim --merge-identical --uncompressed");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("1 frames trimmed, 2 identical frames merged"), std::string::npos)
      << run.out;
  int frames_before = 0, frames_after = 0;
  const auto before = ReadSlotsIndependently(in, frames_before);
  const auto after = ReadSlotsIndependently(out, frames_after);
  EXPECT_EQ(frames_before, 5);
  EXPECT_EQ(frames_after, 3);
  EXPECT_EQ(before, after);
}

TEST(BatchTool, CheckReportsFixesAndExitsByWhatItFound) {
  const std::string warned = testing::TestFile("carot.bam");      // a warning only
  const std::string damaged = testing::TestFile("minimal_carot.bam");  // errors
  const Result one = RunTool("check " + kSample + " " + warned);
  EXPECT_EQ(one.status, 0);
  EXPECT_NE(one.out.find("transparent-index-disagreement"), std::string::npos);
  EXPECT_NE(one.out.rfind("2 files: 0 errors, 1 warning, "), std::string::npos);
  EXPECT_EQ(RunTool("check --strict " + warned).status, 1);
  const Result errors = RunTool("check --json " + kSample + " " + damaged);
  EXPECT_EQ(errors.status, 1);
  EXPECT_NE(errors.out.find("\"id\": \"empty-frame-encoded\""), std::string::npos);
  EXPECT_NE(errors.out.find("\"summary\""), std::string::npos);
  EXPECT_EQ(RunTool("check").status, 2);
  EXPECT_EQ(RunTool("check --loose " + warned).status, 2);
  EXPECT_EQ(RunTool("check --fix " + warned).status, 2);

  const auto fixed = testing::TempPath("cli-fixed.bam");
  const Result fix = RunTool("check --fix " + damaged + " " + fixed.string());
  EXPECT_EQ(fix.status, 0) << fix.out << fix.err;
  EXPECT_NE(fix.out.find("fixed: Frame 0"), std::string::npos);
  EXPECT_NE(RunTool("check " + fixed.string()).out.find("1 file: 0 errors"), std::string::npos);
}

TEST(BatchTool, RefusesToWriteMoreFramesThanEnginesRead) {
  testing::HandBam image;  // 65535 frames of one pixel sharing one byte of data
  image.frames.assign(65535, testing::HandFrame{1, 1, 0});
  image.data = {3};
  const auto big = testing::TempPath("cli-65535.bam"), out = testing::TempPath("cli-65535-out.bam");
  std::filesystem::remove(out);
  WriteFileAtomically(big, image.Bytes());
  const Result convert = RunTool("convert " + big.string() + " " + out.string());
  EXPECT_EQ(convert.status, 1);
  EXPECT_NE(convert.err.find("65534"), std::string::npos) << convert.err;
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_EQ(RunTool("check " + big.string()).status, 1);
}

// Picture messages are "title\r\rdetail" for message boxes; a terminal must show both parts.
TEST(BatchTool, PictureErrorsKeepTitleAndDetailOnATerminal) {
  const auto folder = testing::TempPath("cli-blocked");
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder / "sample_0000.png");  // a folder in the way
  const Result result = RunTool("frames " + kSample + " " + folder.string() + " --format png");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err.find('\r'), std::string::npos);
  EXPECT_NE(result.err.find("Cannot Write Picture: "), std::string::npos) << result.err;
}

// An output that is a picture, or one of the inputs under any spelling, would be replaced by a
// new animation; a device or pipe would be replaced by a file.
TEST(BatchTool, RefusesOutputsThatWouldReplaceAnInputOrANonFile) {
  const auto folder = testing::TempPath("cli-outputs");
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder / "sub");
  const std::string pictures = std::string(CELWRIGHT_SOURCE_DIR) + "/tests/image_io/data/";
  const auto a = folder / "a.png", b = folder / "b.png", bam = folder / "s.bam";
  std::filesystem::copy_file(pictures + "pal8.png", a);
  std::filesystem::copy_file(pictures + "pal8.png", b);
  std::filesystem::copy_file(kSample, bam);
  ASSERT_EQ(RunTool("export " + kSample + " " + (folder / "g.gif").string() + " --cycle 1").status, 0);
  const auto size = [](const std::filesystem::path& p) { return std::filesystem::file_size(p); };
  const auto before = std::make_tuple(size(a), size(b), size(bam), size(folder / "g.gif"));

  const std::string again = (folder / "sub" / ".." / "s.bam").string();
  for (const std::string& arguments :
       {"import " + a.string() + " " + b.string(),
        "import " + (folder / "g.gif").string() + " " + (folder / "g.gif").string(),
        "convert " + bam.string() + " " + (folder / "pic.png").string(),
        "convert " + bam.string() + " " + again, "export " + bam.string() + " " + again}) {
    const Result result = RunTool(arguments);
    EXPECT_EQ(result.status, 2) << arguments;
    EXPECT_NE(result.err.find("the output must"), std::string::npos) << result.err;
  }
  EXPECT_EQ(std::make_tuple(size(a), size(b), size(bam), size(folder / "g.gif")), before);
  EXPECT_FALSE(std::filesystem::exists(folder / "pic.png"));
  // The same file under another name: a hard link is one of the inputs too.
  std::filesystem::create_hard_link(bam, folder / "twin.bam");
  EXPECT_EQ(RunTool("convert " + bam.string() + " " + (folder / "twin.bam").string()).status, 2);
  EXPECT_EQ(RunTool("import " + a.string() + " " + (folder / "OUT.BAM").string()).status, 0);

  ASSERT_EQ(::mkfifo((folder / "pipe.bam").c_str(), 0644), 0);
  std::filesystem::create_symlink("pipe.bam", folder / "link.bam");
  for (const char* name : {"pipe.bam", "link.bam"}) {
    const Result result = RunTool("convert " + bam.string() + " " + (folder / name).string());
    EXPECT_EQ(result.status, 1) << name;
    EXPECT_NE(result.err.find("not a regular file"), std::string::npos) << result.err;
  }
  EXPECT_TRUE(std::filesystem::is_fifo(folder / "pipe.bam"));
}

// A file name with a newline or escape sequence is printed escaped, on one line.
TEST(BatchTool, ControlCharactersInNamesArePrintedEscaped) {
  const Result result = RunTool("info '/no/such/bad\nname\033[2J.bam'");
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("bad\\nname\\x1b[2J.bam"), std::string::npos) << result.err;
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  EXPECT_EQ(result.err.find('\033'), std::string::npos);
}

}  // namespace
}  // namespace celwright
