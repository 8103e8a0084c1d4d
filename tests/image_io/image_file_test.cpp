#include "support/image_io/image_file.h"

#include <gtest/gtest.h>

#include <fstream>

#include "image_io/image_test_support.h"

namespace celwright {
namespace {

TEST(ImageFileTest, KindFollowsTheExtensionIgnoringCaseAndSavingAddsItUnlessTypedExactly) {
  const std::pair<const char*, std::uint8_t> kinds[] = {
      {"a/frame.BMP", kImageKindBitmap}, {"x.jpg", kImageKindJpeg}, {"x.JPEG", kImageKindJpeg},
      {"x.jfif", kImageKindJpeg},        {"x.JPE", kImageKindJpeg}, {"x.Png", kImageKindPng},
      {"x.gif", kImageKindGif}, {"x.tif", kImageKindByExtension}, {"bmp", kImageKindByExtension}};
  for (const auto& [name, kind] : kinds) EXPECT_EQ(KindFromExtension(name), kind) << name;
  EXPECT_EQ(SaveNameForKind(kImageKindBitmap, "frame.BMP"), "frame.BMP");
  EXPECT_EQ(SaveNameForKind(kImageKindJpeg, "frame"), "frame.jpg");
  EXPECT_EQ(SaveNameForKind(kImageKindJpeg, "frame.jfif"), "frame.jfif");
  EXPECT_EQ(SaveNameForKind(kImageKindPng, "frame.gif"), "frame.gif.png");
  EXPECT_EQ(SaveNameForKind(kImageKindByExtension, "frame.gif"), "frame.gif");
}

TEST(ImageFileTest, EveryKindRoundTripsThroughTheFileSystem) {
  test::TempFolder folder;
  const Bitmap paletted = test::PalettedSample();
  for (std::uint8_t kind : {kImageKindBitmap, kImageKindPng, kImageKindGif}) {
    ASSERT_TRUE(SaveImageFile(paletted, kind, folder / ("p" + std::to_string(kind))));
    const auto written = SaveNameForKind(kind, folder / ("p" + std::to_string(kind)));
    Bitmap read;
    Palette256 palette{};
    ASSERT_TRUE(LoadImageFile(read, palette, kImageKindByExtension, written));
    EXPECT_EQ(read.Pixels(), paletted.Pixels()) << written;
    EXPECT_EQ(read.ColorTable(), paletted.ColorTable()) << written;
  }
  // JPEG by extension, with its accepted spellings kept as typed.
  ASSERT_TRUE(SaveImageFile(test::TrueColourSample(), 0, folder / "c.jpeg"));
  EXPECT_EQ(KindFromExtension(folder / "c.jpeg"), kImageKindJpeg);
  EXPECT_TRUE(std::filesystem::exists(folder / "c.jpeg"));
}

TEST(ImageFileTest, PaletteIsFilledOnlyByPalettedBitmapsAndPngs) {
  Palette256 palette;
  palette.fill({5, 5, 5});
  Bitmap bitmap;
  ASSERT_TRUE(LoadImageFile(bitmap, palette, 0, test::Fixture("rgb24.bmp")));
  EXPECT_EQ(palette[0], (RGBTriple{5, 5, 5}));
  ASSERT_TRUE(LoadImageFile(bitmap, palette, 0, test::Fixture("pal8.bmp")));
  EXPECT_EQ(palette, bitmap.ColorTable());
}

TEST(ImageFileTest, MissingOrUnknownFilesChangeNothing) {
  test::TempFolder folder;
  Bitmap bitmap = test::PalettedSample();
  const Bitmap before = bitmap;
  Palette256 palette{};
  EXPECT_FALSE(LoadImageFile(bitmap, palette, 0, folder / "absent.png"));
  std::ofstream(folder / "scan.tif") << "II*";
  EXPECT_TRUE(LoadImageFile(bitmap, palette, 0, folder / "scan.tif"));
  EXPECT_EQ(bitmap, before);
  // Nothing could be written for an unknown kind; that must not pass as success.
  EXPECT_FALSE(SaveImageFile(bitmap, 0, folder / "out.tif"));
  EXPECT_FALSE(std::filesystem::exists(folder / "out.tif"));
}

TEST(ImageFileTest, DamagedFileThrowsAndKeepsTheBitmap) {
  test::TempFolder folder;
  std::ofstream(folder / "bad.gif", std::ios::binary) << "GIF89a";
  Bitmap bitmap = test::PalettedSample();
  const Bitmap before = bitmap;
  Palette256 palette{};
  EXPECT_THROW(LoadImageFile(bitmap, palette, 0, folder / "bad.gif"), ImageFileError);
  EXPECT_EQ(bitmap, before);
  EXPECT_THROW(SaveImageFile(bitmap, kImageKindBitmap, folder / "no" / "such.bmp"), ImageFileError);
}

}  // namespace
}  // namespace celwright
