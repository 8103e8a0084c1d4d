// The .bam association under a private XDG home: written once, left alone while current,
// rewritten for a moved program, and never over the user's own choice of default.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/desktop_association.h"

namespace celwright {
namespace {

namespace fs = std::filesystem;

std::string Text(const fs::path& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

class DesktopAssociation : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::temp_directory_path() /
            ("celwright_xdg_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(home_);
    setenv("XDG_DATA_HOME", (home_ / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home_ / "config").c_str(), 1);
    setenv("HOME", (home_ / "home").c_str(), 1);
    folders_ = DesktopFoldersFromEnvironment();
  }
  void TearDown() override { fs::remove_all(home_); }

  HelperRunner Recorder() {
    return
        [this](const std::vector<std::string>& arguments) { helpers_run_.push_back(arguments[0]); };
  }
  fs::path Data(const char* relative) { return home_ / "data" / relative; }
  fs::path MimeApps() { return home_ / "config" / "mimeapps.list"; }

  fs::path home_;
  DesktopFolders folders_;
  std::vector<std::string> helpers_run_;
};

TEST_F(DesktopAssociation, FirstStartWritesSecondNothingMovedProgramRewrites) {
  ASSERT_EQ(folders_.DataHome, home_ / "data");
  const AssociationOutcome first =
      EnsureAssociation("/opt/celwright/bin/celwright", folders_, Recorder());
  EXPECT_TRUE(first.Error.empty());
  EXPECT_EQ(first.Written.size(), 5u);
  // The icon the entries name is there without `cmake --install`.
  EXPECT_NE(Text(Data("icons/hicolor/scalable/apps/celwright.svg")).find("<svg"),
            std::string::npos);
  EXPECT_EQ(helpers_run_,
            (std::vector<std::string>{"update-mime-database", "update-desktop-database"}));
  const std::string editor = Text(Data("applications/celwright.desktop"));
  const std::string preview = Text(Data("applications/celwright-preview.desktop"));
  EXPECT_NE(editor.find("Exec=\"/opt/celwright/bin/celwright\" %f\n"), std::string::npos);
  EXPECT_EQ(editor.find("-p"), std::string::npos);
  EXPECT_NE(preview.find("Exec=\"/opt/celwright/bin/celwright\" -p %f\n"), std::string::npos);
  EXPECT_NE(preview.find("NoDisplay=true"), std::string::npos);
  const std::string package = Text(Data("mime/packages/celwright.xml"));
  for (const char* needle : {"*.bam", "BAM V1  ", "BAMCV1  ", "BAMU"})
    EXPECT_NE(package.find(needle), std::string::npos) << needle;
  EXPECT_NE(Text(MimeApps())
                .find("[Default Applications]\napplication/x-infinity-bam="
                      "celwright-preview.desktop;"),
            std::string::npos);

  const auto stamp = fs::last_write_time(Data("applications/celwright.desktop"));
  helpers_run_.clear();
  EXPECT_TRUE(
      EnsureAssociation("/opt/celwright/bin/celwright", folders_, Recorder()).Written.empty());
  EXPECT_TRUE(helpers_run_.empty());
  EXPECT_EQ(fs::last_write_time(Data("applications/celwright.desktop")), stamp);

  const AssociationOutcome moved =
      EnsureAssociation("/home/me/my \"bin\"/celwright", folders_, Recorder());
  EXPECT_EQ(moved.Written.size(), 2u);
  EXPECT_EQ(helpers_run_, (std::vector<std::string>{"update-desktop-database"}));
  EXPECT_NE(Text(Data("applications/celwright.desktop"))
                .find("Exec=\"/home/me/my \\\\\"bin\\\\\"/celwright\" %f"),
            std::string::npos);
}

bool OnPath(const std::string& program) {
  return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// A folder whose name holds what the Exec line must escape: the entry is valid, and the desktop
// starts the program at its real path with the file.
TEST_F(DesktopAssociation, ExecSurvivesPercentDollarQuotesAndBackslashes) {
  const fs::path folder = home_ / "100% $HOME `id` \\ \"q\" %f";
  fs::create_directories(folder);
  const fs::path program = folder / "celwright";
  std::ofstream(program) << "#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/launched\"\n";
  fs::permissions(program, fs::perms::owner_all);
  ASSERT_TRUE(EnsureAssociation(program, folders_, {}).Error.empty());
  const std::string entry = Data("applications/celwright.desktop").string();
  if (!OnPath("desktop-file-validate") || !OnPath("gio"))
    GTEST_SKIP() << "desktop-file-validate or gio is missing (scripts/install-deps installs them)";
  EXPECT_EQ(std::system(("desktop-file-validate '" + entry + "'").c_str()), 0);
  const std::string opened = (home_ / "walk.bam").string();
  EXPECT_EQ(std::system(("timeout 30 gio launch '" + entry + "' '" + opened + "'").c_str()), 0);
  std::string launched;
  for (int wait = 0; wait < 100 && launched.empty(); ++wait) {
    launched = Text(folder / "launched");
    if (launched.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(launched, opened);
}

TEST_F(DesktopAssociation, TheUsersOwnDefaultIsLeftAlone) {
  fs::create_directories(MimeApps().parent_path());
  const std::string mine =
      "[Added Associations]\ntext/plain=gedit.desktop;\n\n"
      "[Default Applications]\napplication/x-infinity-bam=nearinfinity.desktop;\n"
      "image/png=gimp.desktop;\n";
  std::ofstream(MimeApps()) << mine;
  const AssociationOutcome outcome = EnsureAssociation("/usr/bin/celwright", folders_, {});
  EXPECT_TRUE(outcome.UserDefaultKept);
  EXPECT_EQ(Text(MimeApps()), mine);

  // Asked for by the user, this program replaces it; the rest of the list stays.
  const AssociationOutcome asked = EnsureAssociation("/usr/bin/celwright", folders_, {}, true);
  EXPECT_TRUE(asked.DefaultTaken);
  EXPECT_FALSE(asked.UserDefaultKept);
  std::string expected = mine;
  expected.replace(expected.find("nearinfinity.desktop"), 20, "celwright-preview.desktop");
  EXPECT_EQ(Text(MimeApps()), expected);

  // Without a default for the type, ours joins the user's section and nothing else moves.
  std::ofstream(MimeApps()) << "[Default Applications]\nimage/png=gimp.desktop;\n"
                               "[Added Associations]\n";
  EnsureAssociation("/usr/bin/celwright", folders_, {});
  EXPECT_EQ(Text(MimeApps()),
            "[Default Applications]\nimage/png=gimp.desktop;\n"
            "application/x-infinity-bam=celwright-preview.desktop;\n"
            "[Added Associations]\n");
}

// A FIFO (opening it would block start-up until a writer came) or an oversized file in place of
// the list is left as it is, with a message, and nothing blocks.
TEST_F(DesktopAssociation, AListThatIsNoSmallRegularFileIsLeftAlone) {
  fs::create_directories(MimeApps().parent_path());
  ASSERT_EQ(::mkfifo(MimeApps().c_str(), 0644), 0);
  AssociationOutcome outcome = EnsureAssociation("/usr/bin/celwright", folders_, {});
  EXPECT_NE(outcome.Error.find("not a regular file"), std::string::npos) << outcome.Error;
  EXPECT_TRUE(fs::is_fifo(MimeApps()));

  fs::remove(MimeApps());
  std::ofstream(MimeApps()) << std::string(5 << 20, '#');
  outcome = EnsureAssociation("/usr/bin/celwright", folders_, {});
  EXPECT_NE(outcome.Error.find("larger"), std::string::npos) << outcome.Error;
  EXPECT_EQ(fs::file_size(MimeApps()), 5u << 20);
}

}  // namespace
}  // namespace celwright
