#include <gtest/gtest.h>

#include <filesystem>

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
  doc.form.WorkImage[1].Row(0)[2] = 99;  // not yet written back
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

}  // namespace
}  // namespace celwright::testing
