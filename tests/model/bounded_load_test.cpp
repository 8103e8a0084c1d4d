// The reader's bounds: frame positions in O(1) that always match the frame sizes, frames that
// share their data read once, damaged data repaired only within a bound proportional to the
// file, compressed files unpacked within what their header describes, and huge frames refused by
// name instead of decoded.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

#include "model/bam_reader.h"
#include "model/bam_test_util.h"
#include "model/byte_view.h"
#include "model/qm_BAM.h"
#include "model/zlib_codec.h"
#include "support/file_io.h"

namespace celwright {
namespace {

using testing::MakeSample;
using testing::TempPath;

using testing::HandFrame;

// A paletted BAM image of `frames` in one sequence, their offsets relative to `data`.
std::vector<std::uint8_t> PalettedImage(const std::vector<HandFrame>& frames,
                                        const std::vector<std::uint8_t>& data) {
  testing::HandBam bam;
  bam.frames = frames;
  bam.cycles = {{static_cast<std::uint16_t>(frames.size()), 0}};
  for (std::size_t i = 0; i < frames.size(); ++i) bam.lookup.push_back(static_cast<std::uint16_t>(i));
  bam.data = data;
  return bam.Bytes();
}

std::vector<std::uint8_t> Compressed(const std::vector<std::uint8_t>& image, std::uint32_t stated) {
  return testing::BamcFile(ZlibDeflate(image.data(), image.size()), stated);
}

void ExpectPositionsMatchSizes(const TBAM& bam) {
  std::size_t position = static_cast<std::size_t>(bam.DataStart);
  for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
    ASSERT_EQ(bam.FrameDataPosition(i), position) << "frame " << i;
    ASSERT_EQ(bam.GetFrame(i).DataOffset, static_cast<std::int32_t>(position));
    position += static_cast<std::size_t>(bam.GetFrame(i).DataSize);
  }
  ASSERT_EQ(bam.FrameDataPosition(bam.FrameCount()), position);
  ASSERT_EQ(position, bam.Data.size());
}

TEST(FramePositions, StayEqualToTheSumOfSizesThroughEveryEdit) {
  TBAM bam;
  MakeSample(bam, kPalettedBAM, 12);
  ExpectPositionsMatchSizes(bam);
  std::mt19937 random(5);
  for (int step = 0; step < 300; ++step) {
    const int count = bam.FrameCount();
    switch (random() % 5) {
      case 0:
        bam.InsertFrame(static_cast<std::int32_t>(random() % (count + 1)), 0, -1, random() % 2 == 0);
        break;
      case 1:
        if (count > 1) bam.DeleteFrame(static_cast<std::int32_t>(random() % count));
        break;
      case 2: {
        const auto index = static_cast<std::int32_t>(random() % count);
        const int w = 1 + static_cast<int>(random() % 30), h = 1 + static_cast<int>(random() % 30);
        std::vector<std::uint8_t> raw(static_cast<std::size_t>(w) * h * bam.BytesPerPixel());
        for (auto& p : raw) p = random() % 3 ? 3 : static_cast<std::uint8_t>(random());
        testing::SetPixels(bam, index, w, h, 0, 0, raw);
        break;
      }
      case 3:
        bam.InsertFrameData(-1, 0, -1, {1, 2, 3, 4}, TBAMFrame{2, 2, 0, 0, 4, false, 0});
        break;
      default:
        bam.SetBAMType(bam.BAMType == kPalettedBAM ? kUnpalettedBAM : kPalettedBAM);
        break;
    }
    ExpectPositionsMatchSizes(bam);
    if (::testing::Test::HasFatalFailure()) return;
  }
  const auto path = TempPath("positions.bam");
  ASSERT_TRUE(bam.SaveToFile(path, bam.BAMType, false, false));
  ExpectPositionsMatchSizes(bam);
  TBAM loaded;
  ASSERT_TRUE(loaded.LoadFromFile(path)) << loaded.ErrorMessage;
  ExpectPositionsMatchSizes(loaded);
  const auto clone = loaded.CloneContent();
  ExpectPositionsMatchSizes(*clone);
}

TEST(BoundedLoad, FramesSharingTheirDataAreReadOnceAndKeepTheirPixels) {
  // 300 frames, all pointing at one 3 x 2 frame: loads, every frame decodes to it.
  const std::vector<std::uint8_t> data = {5, 0, 1, 7, 8, 9};  // 5, key run of 2, 7, 8, 9
  std::vector<HandFrame> frames(300, HandFrame{3, 2, 0, true});
  const auto path = TempPath("shared.bam");
  WriteFileAtomically(path, PalettedImage(frames, data));
  TBAM bam;
  ASSERT_TRUE(bam.LoadFromFile(path)) << bam.ErrorMessage;
  ASSERT_EQ(bam.FrameCount(), 300);
  EXPECT_TRUE(bam.Warnings.empty());
  for (int i = 0; i < 300; ++i) {
    EXPECT_EQ(bam.DecodeFrame(i), (std::vector<std::uint8_t>{5, 0, 0, 7, 8, 9}));
  }
  ExpectPositionsMatchSizes(bam);
}

TEST(BoundedLoad, FrameTablesThatWouldReadTheFileOverAndOverAreRefusedBeforeTheWork) {
  // 16,000 frames of 4096 x 4096 at one offset of a file of key runs: each would hold the whole
  // file again, gigabytes in all.
  std::vector<std::uint8_t> key_runs;
  for (int i = 0; i < 65536; ++i) key_runs.insert(key_runs.end(), {0, 255});
  const std::vector<HandFrame> one_offset(16000, HandFrame{4096, 4096, 0, true});
  // 2,000 distinct offsets into literals: every scan runs to the end.
  std::vector<HandFrame> staggered;
  for (std::uint32_t i = 0; i < 2000; ++i) staggered.push_back({4096, 4096, i, true});
  const struct {
    const std::vector<HandFrame>& frames;
    std::vector<std::uint8_t> data;
    const char* message;
  } cases[] = {{one_offset, key_runs, "frame table is damaged"},
               {staggered, std::vector<std::uint8_t>(200000, 9), "would read"}};
  const auto path = TempPath("shared-huge.bam");
  for (const auto& c : cases) {
    WriteFileAtomically(path, PalettedImage(c.frames, c.data));
    TBAM bam;
    EXPECT_FALSE(bam.LoadFromFile(path));
    EXPECT_NE(bam.ErrorMessage.find(c.message), std::string::npos) << bam.ErrorMessage;
  }
}

TEST(BoundedLoad, RepairIsBoundedByTheFileSize) {
  // A small frame whose data ends early is repaired and reported.
  const auto path = TempPath("repair.bam");
  WriteFileAtomically(path, PalettedImage({{100, 100, 0, true}}, {4, 4, 4}));
  TBAM bam;
  ASSERT_TRUE(bam.LoadFromFile(path)) << bam.ErrorMessage;
  ASSERT_EQ(bam.Warnings.size(), 1u);
  EXPECT_NE(bam.Warnings[0].find("ends early"), std::string::npos);
  const auto pixels = bam.DecodeFrame(0);
  EXPECT_EQ(pixels[2], 4);
  EXPECT_EQ(pixels[3], 0);

  // A few-KB file asking for 4 x 16 M pixels of repair is refused before any of it.
  std::vector<HandFrame> frames;
  for (std::uint32_t i = 0; i < 4; ++i) frames.push_back({4096, 4096, i, true});
  WriteFileAtomically(path, PalettedImage(frames, {1, 2, 3, 4}));
  EXPECT_FALSE(bam.LoadFromFile(path));
  EXPECT_NE(bam.ErrorMessage.find("too large to repair"), std::string::npos) << bam.ErrorMessage;
  EXPECT_NE(bam.ErrorMessage.find("4096 x 4096"), std::string::npos);
}

TEST(BoundedLoad, AHugeStatedLengthIsOnlyAHint) {
  TBAM bam;
  MakeSample(bam, kPalettedBAM, 5);
  const auto path = TempPath("hint.bam");
  ASSERT_TRUE(bam.SaveToFile(path, kPalettedBAM, false, false));
  const auto image = ReadWholeFile(path);
  for (std::uint32_t stated : {0u, 1u, 100u, static_cast<std::uint32_t>(image.size()),
                               static_cast<std::uint32_t>(image.size()) + 1, 0xFFFFFFFFu}) {
    WriteFileAtomically(path, Compressed(image, stated));
    TBAM loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path)) << stated << ": " << loaded.ErrorMessage;
    EXPECT_EQ(loaded.Data.size(), image.size());
    EXPECT_TRUE(loaded.Warnings.empty());
    ExpectPositionsMatchSizes(loaded);
  }
  // A 21-byte compressed file stating 1 GiB.
  const std::vector<std::uint8_t> signature = {'B', 'A', 'M', ' ', 'V', '1', ' ', ' '};
  WriteFileAtomically(path, Compressed(signature, 1u << 30));
  TBAM loaded;
  EXPECT_FALSE(loaded.LoadFromFile(path));
  EXPECT_NE(loaded.ErrorMessage.find("header is incomplete"), std::string::npos) << loaded.ErrorMessage;
}

TEST(BoundedLoad, CompressedDataPastWhatTheHeaderDescribesIsIgnored) {
  // One 4 x 4 frame followed by 64 MiB of zeros inside the stream: only what the header can
  // reach is unpacked.
  auto image = PalettedImage({{4, 4, 0}},
                             std::vector<std::uint8_t>(16, 7));
  const std::size_t described = image.size();
  image.resize(image.size() + (std::size_t{64} << 20));
  const auto path = TempPath("bomb.bam");
  WriteFileAtomically(path, Compressed(image, static_cast<std::uint32_t>(image.size())));
  EXPECT_EQ(BAMReader::DescribedImageSize(ByteView(image.data(), image.size())), described);
  TBAM bam;
  ASSERT_TRUE(bam.LoadFromFile(path)) << bam.ErrorMessage;
  EXPECT_TRUE(bam.Warnings.empty());
  EXPECT_LE(bam.Data.size(), described);
  EXPECT_EQ(bam.DecodeFrame(0), std::vector<std::uint8_t>(16, 7));
}

TEST(BoundedLoad, HugeFramesAreRefusedByNameInsteadOfDecoded) {
  // 16384 x 8192 transparent pixels in key runs of 256: 1 MiB of data.
  const std::size_t pixels = std::size_t{16384} * 8192;
  std::vector<std::uint8_t> data;
  for (std::size_t i = 0; i < pixels / 256; ++i) {
    data.push_back(0);
    data.push_back(255);
  }
  const auto path = TempPath("huge-frame.bam");
  WriteFileAtomically(path, PalettedImage({{16384, 8192, 0, true}}, data));
  TBAM bam;
  ASSERT_TRUE(bam.LoadFromFile(path)) << bam.ErrorMessage;
  try {
    bam.DecodeFrame(0);
    FAIL() << "decoded a frame of 128 M pixels";
  } catch (const FrameTooLargeError& e) {
    EXPECT_NE(std::string(e.what()).find("Frame 0 (16384 x 8192 pixels)"), std::string::npos)
        << e.what();
  }
  // Piece by piece it can still be read through.
  std::size_t seen = 0;
  bool all_transparent = true;
  bam.DecodeFrameInChunks(0, [&](const std::uint8_t* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) all_transparent = all_transparent && bytes[i] == 0;
    seen += size;
  });
  EXPECT_EQ(seen, pixels);
  EXPECT_TRUE(all_transparent);
}

TEST(BoundedLoad, ChunkedDecodingMatchesWholeDecoding) {
  for (std::uint8_t kind : {kPalettedBAM, kUnpalettedBAM}) {
    TBAM bam;
    MakeSample(bam, kind, 20, 99);
    for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
      std::vector<std::uint8_t> pieces;
      bam.DecodeFrameInChunks(i, [&](const std::uint8_t* bytes, std::size_t size) {
        pieces.insert(pieces.end(), bytes, bytes + size);
      });
      EXPECT_EQ(pieces, bam.DecodeFrame(i)) << "frame " << i;
    }
  }
}

TEST(Deflate, OurCompressedFilesInflateWithPlainZlib) {
  TBAM bam;
  MakeSample(bam, kUnpalettedBAM, 30);
  const auto path = TempPath("plain-zlib.bam");
  ASSERT_TRUE(bam.SaveToFile(path, kUnpalettedBAM, true, false));
  const auto file = ReadWholeFile(path);
  ASSERT_EQ(std::string(file.begin(), file.begin() + 8), "BAMCV1  ");
  const std::uint32_t stated = ByteView(file.data(), file.size()).U32(8);
  std::vector<std::uint8_t> image(stated);
  uLongf length = stated;
  ASSERT_EQ(uncompress(image.data(), &length, file.data() + 12, static_cast<uLong>(file.size() - 12)),
            Z_OK);
  ASSERT_EQ(length, stated);
  ASSERT_TRUE(bam.SaveToFile(path, kUnpalettedBAM, false, false));
  EXPECT_EQ(image, ReadWholeFile(path));

  // And files compressed by zlib itself (as other programs write them) load.
  WriteFileAtomically(path,
                      testing::BamcFile(ZlibDeflateClassic(image.data(), image.size(), 9), stated));
  TBAM loaded;
  ASSERT_TRUE(loaded.LoadFromFile(path)) << loaded.ErrorMessage;
  EXPECT_EQ(loaded.Data, image);
}

TEST(Deflate, InflateRefusesCutAndDamagedStreams) {
  std::vector<std::uint8_t> text(100000);
  for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<std::uint8_t>(i * i >> 5);
  auto packed = ZlibDeflate(text.data(), text.size());
  EXPECT_EQ(ZlibInflate(packed.data(), packed.size(), 0, 1 << 20), text);
  EXPECT_EQ(ZlibInflate(packed.data(), packed.size(), 10, 1 << 20), text);
  EXPECT_THROW(ZlibInflate(packed.data(), packed.size() / 2, text.size(), 1 << 20), ZlibError);
  EXPECT_THROW(ZlibInflate(packed.data(), packed.size(), 0, 1000), ZlibError);
  packed[packed.size() / 2] ^= 0xFF;
  EXPECT_THROW(ZlibInflate(packed.data(), packed.size(), text.size(), 1 << 20), ZlibError);
}

}  // namespace
}  // namespace celwright
