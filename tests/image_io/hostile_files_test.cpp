// Hostile picture files (hostile/README.md says how each was made): every one loads or is
// refused with its message, within bounded time and memory. Each runs in a child process under
// an address-space limit and an alarm, so a runaway loader fails the test instead of the machine.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "image_io/image_test_support.h"
#include "support/image_io/image_file.h"

namespace celwright {
namespace {

// Debug builds and libc arenas need headroom over the 512 MB a Release build must stay within.
constexpr rlim_t kAddressSpaceLimit = 1536ull << 20;
constexpr unsigned kSecondsAllowed = 30;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kCanLimitMemory = false;  // the sanitizers reserve terabytes of shadow memory
#else
constexpr bool kCanLimitMemory = true;
#endif

struct Outcome {
  std::string how;      // "loaded", "refused", or how the child ended otherwise
  std::string message;  // the refusal's message, or the warnings
};

// Loads `path` in a child process and reports what became of it.
Outcome LoadInChild(const std::filesystem::path& path) {
  int channel[2];
  if (pipe(channel) != 0) return {"no pipe", ""};
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    alarm(kSecondsAllowed);
    if (kCanLimitMemory) {
      const rlimit limit{kAddressSpaceLimit, kAddressSpaceLimit};
      setrlimit(RLIMIT_AS, &limit);
    }
    std::string how = "loaded", message;
    try {
      Bitmap bitmap;
      Palette256 palette{};
      PictureWarnings warnings;
      if (!LoadImageFile(bitmap, palette, kImageKindByExtension, path, &warnings)) how = "missing";
      for (const std::string& warning : warnings) message += warning;
    } catch (const ImageFileError& e) {
      how = "refused";
      message = e.what();
    } catch (const std::exception& e) {
      how = "threw";
      message = e.what();
    }
    const std::string report = how + "\n" + message;
    [[maybe_unused]] const auto written = write(channel[1], report.data(), report.size());
    _exit(0);
  }
  close(channel[1]);
  std::string report;
  char buffer[4096];
  for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) report.append(buffer, got);
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFSIGNALED(status)) {
    return {WTERMSIG(status) == SIGALRM ? "took too long" : "crashed", strsignal(WTERMSIG(status))};
  }
  const std::size_t split = report.find('\n');
  if (split == std::string::npos) return {"said nothing", ""};
  return {report.substr(0, split), report.substr(split + 1)};
}

TEST(HostileFilesTest, EveryFileLoadsOrIsRefusedWithinBounds) {
  const std::filesystem::path folder = std::filesystem::path(CELWRIGHT_SOURCE_DIR "/tests/image_io/hostile");
  const test::TempFolder scratch;
  const std::filesystem::path fifo = scratch / "fifo.png";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::filesystem::path named_folder = scratch / "folder.bmp";
  std::filesystem::create_directory(named_folder);
  const std::filesystem::path device = scratch / "zero.gif";
  std::filesystem::create_symlink("/dev/zero", device);
  const struct {
    std::filesystem::path file;
    const char* how;
    const char* message;  // a part of the refusal or warning
  } cases[] = {
      {folder / "jpeg_claims_8192.jpg", "refused", "claims 8192 x 8192 pixels, more than its 884"},
      {folder / "jpeg_corrupt_scan.jpg", "loaded", "Corrupt JPEG data"},
      {folder / "jpeg_cut.jpg", "refused", "Premature end of JPEG file"},
      {folder / "jpeg_1000_scans.jpg", "refused", "more than 100 scans"},
      {folder / "bmp_offset_in_header.bmp", "refused", "would start at byte 20, inside its headers"},
      {folder / "bmp_zero_masks.bmp", "refused", "colour masks are all zero"},
      {folder / "bmp_claims_8192.bmp", "refused", "the pixel data ends early"},
      {folder / "png_claims_8192.png", "refused", "Data Section has invalid size"},
      {folder / "png_bomb.png", "refused", "Data Section has invalid size"},
      {folder / "gif_claims_8192.gif", "refused", "needs more data than the file holds"},
      {named_folder, "refused", "is a folder, not a file"},
      {fifo, "refused", "is not a regular file"},
      {device, "refused", "is not a regular file"},
  };
  for (const auto& c : cases) {
    const Outcome outcome = LoadInChild(c.file);
    EXPECT_EQ(outcome.how, c.how) << c.file << ": " << outcome.message;
    EXPECT_NE(outcome.message.find(c.message), std::string::npos) << c.file << ": "
                                                                   << outcome.message;
  }
}

}  // namespace
}  // namespace celwright
