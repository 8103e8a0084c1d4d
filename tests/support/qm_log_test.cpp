#include "support/qm_log.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/file_io.h"

namespace celwright {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
  return {bytes.begin(), bytes.end()};
}

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("celwright_log_" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    LogDisabled = false;
    SetLogFolder(folder_);
    ClearLogLines();
    SetLogListener(nullptr);
  }
  void TearDown() override {
    SetLogFolder(folder_);  // closes the file
    LogDisabled = false;
    fs::remove_all(folder_);
  }
  fs::path folder_;
};

TEST_F(LogTest, LineAndOutcomeFormTheFileFormat) {
  AddLogLine("OPEN: test.bam...");
  AppendToLog(" [OK]");
  AddLogLine("BAM : Insert Frame (1,2,3)");
  ASSERT_EQ(LogLines().size(), 2u);
  EXPECT_EQ(LogLines()[0], "OPEN: test.bam... [OK]");
  EXPECT_EQ(ReadFile(folder_ / "Log.txt"),
            "\r\nOPEN: test.bam... [OK]\r\nBAM : Insert Frame (1,2,3)");
  EXPECT_EQ(LogFilePath(), folder_ / "Log.txt");
}

TEST_F(LogTest, AfterClearAnOutcomeReachesOnlyTheFile) {
  AddLogLine("MDFY: Draw: Pencil...");
  ClearLogLines();
  AppendToLog(" [OK]");
  EXPECT_TRUE(LogLines().empty());
  EXPECT_EQ(ReadFile(folder_ / "Log.txt"), "\r\nMDFY: Draw: Pencil... [OK]");
}

TEST_F(LogTest, ANewRunReplacesTheOldFile) {
  AddLogLine("APP : first run");
  SetLogFolder(folder_);  // as if the program started again
  AddLogLine("APP : second run");
  EXPECT_EQ(ReadFile(folder_ / "Log.txt"), "\r\nAPP : second run");
}

// A regular file where folders are expected: no log file can go there, even for root. The
// state folder takes over; when it cannot either, logging goes on in memory.
TEST_F(LogTest, UnwritableFoldersFallBackToTheStateFolderThenToMemory) {
  const fs::path blocker = folder_ / "blocker";
  std::ofstream(blocker) << "x";
  for (const fs::path& state : {folder_ / "state", blocker / "state"}) {
    ClearLogLines();
    ::setenv("XDG_STATE_HOME", state.c_str(), 1);
    SetLogFolder(blocker / "program");
    AddLogLine("APP : Show Main Form");
    AppendToLog(" [OK]");
    ::unsetenv("XDG_STATE_HOME");
    ASSERT_EQ(LogLines().size(), 1u);
    EXPECT_EQ(LogLines()[0], "APP : Show Main Form [OK]");
    if (state == blocker / "state") {
      EXPECT_TRUE(LogFilePath().empty());
    } else {
      EXPECT_EQ(LogFilePath().parent_path().parent_path(), state);
      EXPECT_EQ(ReadFile(LogFilePath()), "\r\nAPP : Show Main Form [OK]");
    }
  }
}

// Playback logs a line a frame: memory keeps the latest lines, the file every one.
TEST_F(LogTest, MemoryKeepsTheLatestLinesAndTheFileEveryLine) {
  std::size_t dropped = 0;
  SetLogListener(
      [&](LogChange change, std::size_t) { dropped += change == LogChange::OldestDropped; });
  const std::size_t total = kMaxLogLinesInMemory + 3;
  for (std::size_t i = 0; i < total; ++i) AddLogLine("PLAY: " + std::to_string(i));
  AppendToLog(" [OK]");
  ASSERT_EQ(LogLines().size(), kMaxLogLinesInMemory);
  EXPECT_EQ(LogLines().front(), "PLAY: 3");
  EXPECT_EQ(LogLines().back(), "PLAY: " + std::to_string(total - 1) + " [OK]");
  EXPECT_EQ(dropped, 3u);
  const std::string file = ReadFile(folder_ / "Log.txt");
  EXPECT_TRUE(file.starts_with("\r\nPLAY: 0\r\nPLAY: 1\r\n"));
  EXPECT_TRUE(file.ends_with("PLAY: " + std::to_string(total - 1) + " [OK]"));
}

TEST_F(LogTest, ListenerFollowsTheListAndSaveWritesOneLineEach) {
  std::vector<std::pair<LogChange, std::size_t>> changes;
  SetLogListener([&](LogChange change, std::size_t index) { changes.emplace_back(change, index); });
  AddLogLine("SELN: Invert");
  AppendToLog(" [OK]");
  AddLogLine("HIST: Undo");
  ASSERT_EQ(changes.size(), 3u);
  EXPECT_EQ(changes[1], std::make_pair(LogChange::LineCompleted, std::size_t{0}));
  EXPECT_EQ(changes[2], std::make_pair(LogChange::LineAdded, std::size_t{1}));
  SaveLogLines(folder_ / "saved.txt");
  EXPECT_EQ(ReadFile(folder_ / "saved.txt"), "SELN: Invert [OK]\nHIST: Undo\n");
  SetLogListener(nullptr);
}

}  // namespace
}  // namespace celwright
