#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "document/document_test_util.h"
#include "document/recovery_store.h"

namespace celwright::testing {
namespace {

namespace fs = std::filesystem;

TEST(RecoveryStore, CopyHoldsPendingEditsAndIsOnlyOfferedOnceItsSessionIsGone) {
  const fs::path folder = fs::temp_directory_path() / "celwright_recovery_store_test";
  fs::remove_all(folder);
  DocumentFixture doc(2);
  doc.form.ShowFrame(1);
  doc.form.WorkImage[1].Row(0)[0] = 99;  // not yet written back
  doc.form.ImageChanged = true;
  {
    RecoveryStore store(folder);
    ASSERT_TRUE(store.WriteAsync(MakeRecoverySnapshot(doc.form), {"/tmp/docs/anim.bam", 0, 42}));
    store.Wait();
    EXPECT_TRUE(store.LastError().empty());
    EXPECT_NE(IndexAt(doc.form.BAM, 1, 0, 0), 99);        // the document itself is untouched
    EXPECT_TRUE(FindOrphanedRecoveries(folder).empty());  // this session still runs
  }
  // The store is gone without Discard, as after a crash.
  const std::vector<FoundRecovery> found = FindOrphanedRecoveries(folder);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].Details.OriginalFile, "/tmp/docs/anim.bam");
  EXPECT_EQ(found[0].Details.SavedAt, 42);
  TBAM recovered;
  ASSERT_TRUE(recovered.LoadFromFile(found[0].Copy.string()));
  EXPECT_EQ(IndexAt(recovered, 1, 0, 0), 99);
  EXPECT_EQ(recovered.FrameCount(), 2);

  RemoveRecovery(found[0]);
  EXPECT_TRUE(fs::is_empty(folder));
  fs::remove_all(folder);
}

// True-colour work is kept exactly (the BAM V2 format would re-encode it onto lossy pages); a
// damaged copy is refused, never read past its end.
TEST(RecoveryStore, TrueColourCopyKeepsEveryColourAndAlpha) {
  const fs::path folder = fs::temp_directory_path() / "celwright_recovery_true_colour_test";
  fs::remove_all(folder);
  DocumentFixture doc(3);
  doc.form.ConvertBAMType(kTrueColourBAM, {});
  TBAMFrame info = doc.form.BAM.GetFrame(1);
  info.CentreX = -7;
  Bitmap pixels = doc.form.BAM.GetFrameAlphaBitmap(1);
  for (int x = 0; x < info.Width; ++x) pixels.Row(0)[4 * x + 3] = static_cast<std::uint8_t>(x * 37 + 1);
  doc.form.BAM.SetFrameBitmap(1, pixels, info);
  const fs::path copy = folder / "copy.bam";
  {
    RecoveryStore store(folder);
    ASSERT_TRUE(store.WriteAsync(MakeRecoverySnapshot(doc.form), {"/tmp/docs/swirl.bam", 0, 1}));
    store.Wait();
    ASSERT_TRUE(store.LastError().empty()) << store.LastError();
    fs::copy_file(store.CopyPath(), copy);
  }
  TBAM recovered;
  ASSERT_TRUE(recovered.LoadFromFile(copy.string())) << recovered.ErrorMessage;
  ASSERT_EQ(recovered.GetBAMType(), kTrueColourBAM);
  ASSERT_EQ(recovered.FrameCount(), doc.form.BAM.FrameCount());
  ASSERT_EQ(recovered.CycleCount(), doc.form.BAM.CycleCount());
  for (int i = 0; i < recovered.FrameCount(); ++i) {
    EXPECT_EQ(recovered.DecodeFrame(i), doc.form.BAM.DecodeFrame(i)) << "frame " << i;
    EXPECT_EQ(recovered.GetFrame(i).CentreX, doc.form.BAM.GetFrame(i).CentreX);
  }
  for (int c = 0; c < recovered.CycleCount(); ++c) {
    EXPECT_EQ(recovered.GetCycle(c).Frames, doc.form.BAM.GetCycle(c).Frames);
  }
  std::ifstream in(copy, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (std::size_t cut = 0; cut < bytes.size(); cut += 3) {
    std::ofstream(folder / "cut.bam", std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(cut));
    TBAM damaged;
    EXPECT_FALSE(damaged.LoadFromFile((folder / "cut.bam").string())) << cut;
  }
  fs::remove_all(folder);
}

// A folder of the test's own, and the variables that name the user's folders set for the test.
class RecoveryFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "celwright_recovery_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    for (const char* name : {"HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR"}) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
      ::unsetenv(name);
    }
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_)
      value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
    fs::remove_all(dir_);
  }
  // Leaves the copy of a session that ended without closing, as after a crash.
  void LeaveCopy(const fs::path& folder, const std::string& original) {
    DocumentFixture doc(1);
    RecoveryStore store(folder);
    ASSERT_TRUE(store.WriteAsync(MakeRecoverySnapshot(doc.form), {original, 0, 7}));
    store.Wait();
    ASSERT_TRUE(store.LastError().empty());
  }
  static unsigned Mode(const fs::path& path) {
    struct stat status = {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 0777 : 0;
  }

  fs::path dir_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(RecoveryFolders, CopiesGoOnlyToAFolderPrivateToTheUser) {
  // Without HOME and XDG_STATE_HOME: the runtime folder, never a fixed name in a shared one.
  ::setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
  const fs::path folder = DefaultRecoveryFolder();
  EXPECT_EQ(folder.parent_path(), dir_);
  LeaveCopy(folder, "/docs/a.bam");
  EXPECT_EQ(Mode(folder), 0700u);

  // A folder of ours left open to others is closed before a copy goes in.
  const fs::path open_folder = dir_ / "open";
  fs::create_directory(open_folder);
  fs::permissions(open_folder, fs::perms(0755));
  LeaveCopy(open_folder, "/docs/b.bam");
  EXPECT_EQ(Mode(open_folder), 0700u);

  // With no folder of the user's own at all nothing is written, and the reason is given.
  ::unsetenv("XDG_RUNTIME_DIR");
  EXPECT_TRUE(DefaultRecoveryFolder().empty());
  DocumentFixture doc(1);
  RecoveryStore store(DefaultRecoveryFolder());
  EXPECT_FALSE(store.WriteAsync(MakeRecoverySnapshot(doc.form), {"/docs/c.bam", 0, 7}));
  EXPECT_FALSE(store.LastError().empty());
  EXPECT_FALSE(store.HasCopy());
}

TEST_F(RecoveryFolders, AnyFileNameRoundTripsAndDescriptionsAreBounded) {
  const std::string odd = "/docs/two\nlines %41 \r\x01tab\t.bam";
  LeaveCopy(dir_, odd);
  std::vector<FoundRecovery> found = FindOrphanedRecoveries(dir_);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].Details.OriginalFile, odd);
  RemoveRecovery(found[0]);

  // A description written before names were escaped still reads; one far larger than any
  // description (a planted or damaged file) is passed over without being read.
  const auto plant = [this](const std::string& id, const std::string& text) {
    std::ofstream(dir_ / (id + ".bam")) << "BAM V1  ";
    std::ofstream(dir_ / (id + ".info")) << text;
  };
  plant("old", "original=/docs/100% old.bam\ntype=0\ntime=5\n");
  plant("huge", "original=/" + std::string(1 << 20, 'x') + "\ntype=0\ntime=6\n");
  found = FindOrphanedRecoveries(dir_);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].Details.OriginalFile, "/docs/100% old.bam");
}

}  // namespace
}  // namespace celwright::testing
