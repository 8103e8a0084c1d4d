// The write-to-temporary-then-rename helper: keeps permission bits, writes through symbolic
// links, keeps hard links, refuses read-only files and anything but a regular file, creates its
// temporary beside the file, cleans up temporaries of dead processes and leaves nothing behind.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "support/file_io.h"

namespace celwright {
namespace {

namespace fs = std::filesystem;

class FileIo : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("celwright-file-io-" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }
  std::string Read(const fs::path& path) {
    const auto bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
  }
  mode_t Mode(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
  }
  // Everything in the folder except the named files.
  std::vector<std::string> Others(std::initializer_list<std::string> known) {
    std::vector<std::string> others;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      const std::string name = entry.path().filename().string();
      if (std::find(known.begin(), known.end(), name) == known.end()) others.push_back(name);
    }
    return others;
  }

  fs::path folder_;
};

TEST_F(FileIo, KeepsThePermissionBitsOfTheSavedFile) {
  const fs::path path = folder_ / "private.bam";
  WriteFileAtomically(path, Bytes("one"));
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  WriteFileAtomically(path, Bytes("two"));
  EXPECT_EQ(Read(path), "two");
  EXPECT_EQ(Mode(path), 0600u);
  ASSERT_EQ(::chmod(path.c_str(), 0664), 0);
  WriteFileAtomically(path, Bytes("three"));
  EXPECT_EQ(Mode(path), 0664u);
  // A new file gets the usual bits (0666 narrowed by the umask).
  const mode_t mask = ::umask(022);
  ::umask(mask);
  WriteFileAtomically(folder_ / "new.bam", Bytes("x"));
  EXPECT_EQ(Mode(folder_ / "new.bam"), 0666u & ~mask);
}

TEST_F(FileIo, WritesThroughASymbolicLinkToItsTarget) {
  fs::create_directories(folder_ / "real");
  const fs::path target = folder_ / "real" / "anim.bam";
  WriteFileAtomically(target, Bytes("old"));
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  fs::create_symlink("real/anim.bam", folder_ / "link.bam");
  fs::create_symlink(folder_ / "link.bam", folder_ / "link2.bam");  // a chain, absolute
  WriteFileAtomically(folder_ / "link2.bam", Bytes("new"));
  EXPECT_TRUE(fs::is_symlink(folder_ / "link.bam"));
  EXPECT_TRUE(fs::is_symlink(folder_ / "link2.bam"));
  EXPECT_EQ(Read(target), "new");
  EXPECT_EQ(Mode(target), 0640u);
  EXPECT_TRUE(Others({"real", "link.bam", "link2.bam"}).empty());
  // A dangling link creates its target.
  fs::create_symlink("real/made.bam", folder_ / "dangling.bam");
  WriteFileAtomically(folder_ / "dangling.bam", Bytes("made"));
  EXPECT_TRUE(fs::is_symlink(folder_ / "dangling.bam"));
  EXPECT_EQ(Read(folder_ / "real" / "made.bam"), "made");
}

TEST_F(FileIo, RefusesAReadOnlyFileSayingSo) {
  const fs::path path = folder_ / "locked.bam";
  WriteFileAtomically(path, Bytes("keep"));
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  try {
    WriteFileAtomically(path, Bytes("lost"));
    FAIL() << "replaced a read-only file";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("read-only"), std::string::npos) << e.what();
  }
  EXPECT_EQ(Read(path), "keep");
  EXPECT_EQ(Mode(path), 0444u);
  EXPECT_TRUE(Others({"locked.bam"}).empty());
}

TEST_F(FileIo, ALaterSaveRemovesTemporariesOfDeadProcesses) {
  const fs::path path = folder_ / "anim.bam";
  // A child that dies of SIGXFSZ mid-save, as a shell with `ulimit -f` would make it.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_DFL);
    rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
      WriteFileAtomically(path, std::vector<std::uint8_t>(1 << 20, 7));
    } catch (...) {
    }
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
  ASSERT_EQ(Others({}).size(), 1u);  // its temporary was left behind
  EXPECT_FALSE(fs::exists(path));
  // A temporary of another file, and one of a live process, stay.
  std::ofstream(folder_ / "other.bam.celwright-tmp-999999999-1") << "x";
  std::ofstream(folder_ / ("anim.bam.celwright-tmp-" + std::to_string(::getppid()) + "-1")) << "x";
  WriteFileAtomically(path, Bytes("saved"));
  EXPECT_EQ(Read(path), "saved");
  EXPECT_EQ(Others({"anim.bam"}).size(), 2u);
}

TEST_F(FileIo, AFailedWriteLeavesThePreviousFileAndNoTemporary) {
  const fs::path path = folder_ / "anim.bam";
  WriteFileAtomically(path, Bytes("before"));
  fs::create_hard_link(path, folder_ / "twin.bam");  // kept, with its content, too
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);  // as the batch tool and the editor do
    rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
      WriteFileAtomically(path, std::vector<std::uint8_t>(1 << 20, 7));
    } catch (const std::runtime_error&) {
      ::_exit(3);
    }
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  EXPECT_EQ(Read(path), "before");
  EXPECT_EQ(fs::hard_link_count(path), 2u);
  EXPECT_TRUE(Others({"anim.bam", "twin.bam"}).empty());
}

// Renaming over a device or FIFO would replace the node (as root, even /dev/null).
TEST_F(FileIo, RefusesDevicesPipesAndFoldersAlsoThroughALink) {
  ASSERT_EQ(::mkfifo((folder_ / "pipe.bam").c_str(), 0644), 0);
  fs::create_symlink("pipe.bam", folder_ / "to-pipe.bam");
  fs::create_directories(folder_ / "folder.bam");
  std::vector<std::string> names = {"pipe.bam", "to-pipe.bam", "folder.bam"};
  // Creating a character device works as root only; elsewhere the FIFO stands for it.
  if (::mknod((folder_ / "null.bam").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
    names.push_back("null.bam");
  }
  for (const std::string& name : names) {
    try {
      WriteFileAtomically(folder_ / name, Bytes("data"));
      FAIL() << "wrote over " << name;
    } catch (const std::runtime_error& e) {
      const std::string message = e.what();
      EXPECT_TRUE(message.find("not a regular file") != std::string::npos ||
                  message.find("is a folder") != std::string::npos)
          << message;
    }
  }
  EXPECT_TRUE(fs::is_fifo(folder_ / "pipe.bam"));
  EXPECT_TRUE(fs::is_symlink(folder_ / "to-pipe.bam"));
  EXPECT_TRUE(fs::is_directory(folder_ / "folder.bam"));
  if (names.size() == 4) {
    EXPECT_TRUE(fs::is_character_file(folder_ / "null.bam"));
  }
  EXPECT_EQ(Others({"pipe.bam", "to-pipe.bam", "folder.bam", "null.bam"}).size(), 0u);
}

TEST_F(FileIo, KeepsHardLinks) {
  const fs::path path = folder_ / "anim.bam";
  WriteFileAtomically(path, Bytes("first version, rather long"));
  fs::create_hard_link(path, folder_ / "twin.bam");
  WriteFileAtomically(path, Bytes("second"));
  EXPECT_EQ(Read(folder_ / "twin.bam"), "second");
  EXPECT_EQ(Read(path), "second");
  EXPECT_EQ(fs::hard_link_count(path), 2u);
  EXPECT_TRUE(Others({"anim.bam", "twin.bam"}).empty());
}

}  // namespace
}  // namespace celwright
