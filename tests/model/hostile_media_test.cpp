#include <gtest/gtest.h>

#include <sys/stat.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <functional>

#include "model/bam_test_util.h"
#include "model/qm_BAM.h"
#include "support/file_io.h"
#include "support/media/avi_writer.h"

namespace celwright {
namespace {

using testing::TempPath;

const std::string kMediaData = std::string(CELWRIGHT_SOURCE_DIR "/tests/media/data/");

void Write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::filesystem::remove(path);
  WriteFileAtomically(path, bytes);
}

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (int b = 0; b < 4; ++b) bytes[at + b] = static_cast<std::uint8_t>(value >> (8 * b));
}

// 2000 one-pixel images on a 4096 x 4096 screen: 30 KB asking for 33 G pixels.
std::vector<std::uint8_t> ManyFramesOnAHugeScreen() {
  std::vector<std::uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 0x00, 0x10, 0x00, 0x10,
                                   0x80, 0, 0, 0, 0, 0, 255, 255, 255};
  for (int f = 0; f < 2000; ++f) {
    const std::vector<std::uint8_t> image = {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0,
                                             0x02, 0x02, 0x44, 0x01, 0x00};
    gif.insert(gif.end(), image.begin(), image.end());
  }
  gif.push_back(0x3B);
  return gif;
}

// One 4096 x 4096 image whose data stops after a clear code.
std::vector<std::uint8_t> HugeImageWithoutData() {
  return {'G', 'I', 'F', '8', '9', 'a', 0x00, 0x10, 0x00, 0x10, 0x80, 0, 0, 0, 0, 0, 255, 255,
          255, 0x2C, 0, 0, 0, 0, 0x00, 0x10, 0x00, 0x10, 0, 0x02, 0x01, 0x04, 0x00, 0x3B};
}

// Our own AVI with its header patched to claim 40 frames of 4096 x 4096.
std::vector<std::uint8_t> AviClaimingHugeFrames() {
  const auto path = TempPath("hostile-source.avi");
  Bitmap frame(4, 4, PixelFormat::Bits8);
  WriteAvi(path, Palette256{}, {frame}, false);
  std::vector<std::uint8_t> bytes = ReadWholeFile(path);
  PutU32(bytes, 48, 40);     // main header: total frames
  PutU32(bytes, 64, 4096);   // main header: width
  PutU32(bytes, 68, 4096);   // main header: height
  PutU32(bytes, 140, 40);    // stream header: length
  PutU32(bytes, 176, 4096);  // bitmap header: width
  PutU32(bytes, 180, 4096);  // bitmap header: height
  return bytes;
}

// ffmpeg -f lavfi -i color=black:s=4096x4096:r=15 -frames:v 40 -c:v zmbv -g 1000 (gzipped).
std::vector<std::uint8_t> ZmbvOfFortyHugeFrames() {
  gzFile file = gzopen((kMediaData + "zmbv_40x4096.avi.gz").c_str(), "rb");
  std::vector<std::uint8_t> bytes;
  if (!file) return bytes;
  std::uint8_t buffer[65536];
  for (int got; (got = gzread(file, buffer, sizeof buffer)) > 0;) {
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  gzclose(file);
  return bytes;
}

struct HostileCase {
  const char* name;
  const char* extension;
  std::function<std::vector<std::uint8_t>()> bytes;  // null: a special file, made below
  const char* message;                                // part of the refusal
};

// Every case is refused with a message saying why, and leaves the document as it was. The
// test's own timeout bounds the time; the bounds checked before any work keep it short.
TEST(HostileMedia, EveryCaseIsRefusedWithItsReason) {
  const std::vector<HostileCase> cases = {
      {"many-frames", ".gif", ManyFramesOnAHugeScreen, "limit of 67108864 pixels"},
      {"no-data", ".gif", HugeImageWithoutData, "Failed to read GIF file"},
      {"empty", ".gif", [] { return std::vector<std::uint8_t>{}; }, "Failed to read GIF file"},
      {"folder", ".gif", nullptr, "Failed to read GIF file"},
      {"fifo", ".gif", nullptr, "Failed to read GIF file"},
      {"claims-huge", ".avi", AviClaimingHugeFrames, "limit of 67108864 pixels"},
      {"zmbv", ".avi", ZmbvOfFortyHugeFrames, "limit of 67108864 pixels"},
      {"empty", ".avi", [] { return std::vector<std::uint8_t>{}; }, "Failed to open AVI file"},
      {"folder", ".avi", nullptr, "Failed to open AVI file"},
      {"fifo", ".avi", nullptr, "Failed to open AVI file"},
  };
  for (const HostileCase& hostile : cases) {
    const auto path = TempPath(std::string("hostile-") + hostile.name + hostile.extension);
    std::filesystem::remove_all(path);
    if (hostile.bytes) {
      Write(path, hostile.bytes());
    } else if (std::string(hostile.name) == "folder") {
      std::filesystem::create_directories(path);
    } else {
      ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    }
    TBAM bam;
    bam.NewBAM(kUntitledBAM, true);
    try {
      if (std::string(hostile.extension) == ".gif") {
        bam.ImportGIF(path.string());
      } else {
        bam.ImportAVI(path.string());
      }
      ADD_FAILURE() << hostile.name << hostile.extension << " was imported";
    } catch (const std::exception& error) {
      EXPECT_NE(std::string(error.what()).find(hostile.message), std::string::npos)
          << hostile.name << hostile.extension << ": " << error.what();
    }
    EXPECT_EQ(bam.FrameCount(), 0) << hostile.name;
    EXPECT_EQ(bam.CycleCount(), 0) << hostile.name;
    std::filesystem::remove_all(path);
  }
}

}  // namespace
}  // namespace celwright
