// The preview's composition and its background list.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <map>

#include "document/document_test_util.h"
#include "document/preview_backgrounds.h"
#include "document/preview_player.h"

namespace celwright {
namespace {

using testing::DocumentFixture;

TEST(PreviewPlayer, PlacesEachFrameByItsCentreOnTheAnchorAndLoops) {
  DocumentFixture doc(3);
  TBAM& bam = doc.form.BAM;
  TBAMFrame info = bam.GetFrame(0);
  info.CentreX = 10;
  info.CentreY = 40;
  Bitmap indices(info.Width, info.Height);
  for (int y = 0; y < info.Height; ++y)
    for (int x = 0; x < info.Width; ++x) indices.Row(y)[3 * x + 2] = 10;
  bam.SetFrameBitmap(0, indices, info);

  const Bitmap background = MakeBuiltInBackground(0);
  const BackgroundAnchor cave = BackgroundList().Items()[0].Anchor;
  PreviewPlayer player;
  player.Start(bam.GetCycle(0).Frames);
  Bitmap area;
  EXPECT_EQ(player.Tick(bam, background, cave, area), 0);
  const TColor frame_colour = ToColor(bam.Palette[10]);
  EXPECT_EQ(area.GetPixel(246, 230), frame_colour);  // top-left corner: (256 - 10, 270 - 40)
  EXPECT_EQ(area.GetPixel(245, 230), background.GetPixel(245, 230));
  EXPECT_EQ(area.GetPixel(246, 229), background.GetPixel(246, 229));

  std::vector<std::int32_t> shown{0};
  for (int tick = 0; tick < 4; ++tick) shown.push_back(player.Tick(bam, background, cave, area));
  EXPECT_EQ(shown, (std::vector<std::int32_t>{0, 1, 2, 0, 1}));
}

TEST(PreviewPlayer, EmptyOrBrokenSequencesShowTheBackgroundOnly) {
  DocumentFixture doc(2);
  const Bitmap background = MakeBuiltInBackground(3);
  Bitmap area;
  PreviewPlayer player;
  player.Start({});
  EXPECT_EQ(player.Tick(doc.form.BAM, background, {256, 240}, area), -1);
  EXPECT_EQ(area, background);

  player.Start({7, -1, 1});  // numbers past the frame count are skipped, the good one drawn
  EXPECT_EQ(player.Tick(doc.form.BAM, background, {256, 240}, area), -1);
  EXPECT_EQ(player.Tick(doc.form.BAM, background, {256, 240}, area), -1);
  EXPECT_EQ(player.Tick(doc.form.BAM, background, {256, 240}, area), 1);
}

TEST(PreviewPlayer, ASmallBackgroundLeavesNoTrailsOfEarlierFrames) {
  DocumentFixture doc(1);
  Bitmap small(100, 50);
  std::fill(small.Pixels().begin(), small.Pixels().end(), std::uint8_t{200});
  PreviewPlayer player;
  player.Start({0});
  Bitmap area;
  player.Tick(doc.form.BAM, small, {300, 200}, area);
  ASSERT_NE(area.GetPixel(300, 200), 0u);
  player.Tick(doc.form.BAM, small, {10, 10}, area);  // the frame moved away
  EXPECT_EQ(area.GetPixel(300, 200), 0u);
  EXPECT_EQ(area.GetPixel(99, 49), MakeColor(200, 200, 200));
  EXPECT_EQ(area.GetPixel(100, 49), 0u);
}

TEST(PreviewBackgrounds, BuiltInsAreTexturedAndFullSize) {
  for (int i = 0; i < kBuiltInBackgroundCount; ++i) {
    const Bitmap picture = MakeBuiltInBackground(i);
    ASSERT_EQ(picture.Width(), kPreviewAreaWidth);
    ASSERT_EQ(picture.Height(), kPreviewAreaHeight);
    std::map<TColor, int> colours;
    for (int y = 0; y < picture.Height(); y += 7)
      for (int x = 0; x < picture.Width(); x += 7) ++colours[picture.GetPixel(x, y)];
    EXPECT_GT(colours.size(), 100u) << "background " << i << " is flat";
  }
}

class BackgroundListTest : public ::testing::Test {
 protected:
  SettingReader Reader() {
    return [this](const std::string& name) -> std::optional<std::string> {
      const auto found = stored.find(name);
      if (found == stored.end()) return std::nullopt;
      return found->second;
    };
  }
  SettingWriter Writer() {
    return [this](const std::string& name, const std::string& value) { stored[name] = value; };
  }
  std::string Picture(const std::string& name) {
    const auto path = std::filesystem::temp_directory_path() / ("celwright_bg_" + name);
    std::ofstream(path) << "x";
    return path.string();
  }
  std::map<std::string, std::string> stored;
};

TEST_F(BackgroundListTest, SavingRemovingAndTheDefaultGoThroughTheSettings) {
  BackgroundList list;
  list.Load(Reader());
  ASSERT_EQ(list.Count(), 5);
  EXPECT_EQ(list.Items()[3].Name, "Town Gate");
  EXPECT_EQ(list.Items()[4].Name, kCustomBackgroundText);

  list.Anchor(list.LastItem()) = {40, 50};
  const int saved = list.SaveCustom("Dungeon", Picture("a.bmp"));
  EXPECT_EQ(saved, 4);
  list.SetDefault(saved);
  list.Save(Writer());

  // The setting names themselves are checked through the preview window's buttons.
  BackgroundList reloaded;
  reloaded.Load(Reader());
  ASSERT_EQ(reloaded.Count(), 6);
  EXPECT_EQ(reloaded.Items()[4].Name, "Dungeon");
  EXPECT_EQ(reloaded.Items()[4].File, Picture("a.bmp"));
  EXPECT_EQ(reloaded.Items()[4].Anchor, (BackgroundAnchor{40, 50}));
  EXPECT_EQ(reloaded.Default(), 4);

  // Removing the default puts it back on the first built-in; removing one before it lowers it.
  EXPECT_EQ(reloaded.Remove(4), 3);
  EXPECT_EQ(reloaded.Default(), 0);
  reloaded.SaveCustom("One", Picture("b.bmp"));
  reloaded.SaveCustom("Two", Picture("c.bmp"));
  reloaded.SetDefault(5);
  reloaded.Remove(4);
  EXPECT_EQ(reloaded.Default(), 4);
  EXPECT_EQ(reloaded.Items()[4].Name, "Two");
}

TEST_F(BackgroundListTest, TwelveSavedAtMostAndMissingFilesDropped) {
  BackgroundList list;
  for (int i = 0; i < kMaxCustomBackgrounds; ++i)
    ASSERT_GE(list.SaveCustom("bg" + std::to_string(i), Picture(std::to_string(i))), 0);
  EXPECT_TRUE(list.Full());
  EXPECT_EQ(list.SaveCustom("one too many", Picture("x")), -1);
  EXPECT_EQ(list.Count(), kBuiltInBackgroundCount + kMaxCustomBackgrounds + 1);

  list.Save(Writer());
  stored["CustBG2.File"] = "/no/such/picture.bmp";
  stored["CustBGCount"] = "40";  // hand-edited beyond the limit
  BackgroundList reloaded;
  reloaded.Load(Reader());
  EXPECT_EQ(reloaded.SavedCustomCount(), kMaxCustomBackgrounds - 1);
  EXPECT_EQ(reloaded.Items()[4].Name, "bg0");
  EXPECT_EQ(reloaded.Items()[5].Name, "bg2");
}

// A hand-edited settings file can hold any number: the anchor comes back within its limit, and
// an anchor and centre at the ends of their range still give a place (UBSan checks the sums).
TEST_F(BackgroundListTest, AnchorsAndCentresAtTheEndsOfTheirRangeStayDrawable) {
  stored = {{"CustBGCount", "1"}, {"CustBG1.Name", "far"}, {"CustBG1.File", Picture("far.bmp")},
            {"CustBG1.XPos", "-2147483648"}, {"CustBG1.YPos", "2147483647"}};
  BackgroundList list;
  list.Load(Reader());
  ASSERT_EQ(list.Count(), kBuiltInBackgroundCount + 2);
  EXPECT_EQ(list.Items()[4].Anchor, (BackgroundAnchor{-kAnchorLimit, kAnchorLimit}));

  DocumentFixture doc(1);
  TBAM& bam = doc.form.BAM;
  TBAMFrame info = bam.GetFrame(0);
  info.CentreX = 32767;  // the ends of what a BAM file holds
  info.CentreY = -32768;
  bam.SetFrameBitmap(0, Bitmap(info.Width, info.Height), info);
  const Bitmap background = MakeBuiltInBackground(1);
  PreviewPlayer player;
  player.Start(bam.GetCycle(0).Frames);
  Bitmap area;
  const int far = std::numeric_limits<int>::min();
  EXPECT_EQ(player.Tick(bam, background, {far, std::numeric_limits<int>::max()}, area), 0);
  EXPECT_EQ(area, background);
}

}  // namespace
}  // namespace celwright
