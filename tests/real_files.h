#pragma once
// The real game files shipped in testdata/bam. The environment variable CELWRIGHT_TESTDATA points a
// run at another copy of that folder; a missing file fails the case that wants it, named by path,
// and never ends the whole test program.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace celwright::testing {

inline std::string RealFilesDir() {
  const char* other = std::getenv("CELWRIGHT_TESTDATA");
  return std::string(other && *other ? other : CELWRIGHT_TESTDATA_DIR) + "/bam";
}

inline std::string RealFile(const std::string& name) { return RealFilesDir() + "/" + name; }

// The BAM V2 animation and its texture pages, in testdata/v2.
inline std::string RealV2File(const std::string& name) { return RealFilesDir() + "/../v2/" + name; }

inline bool IsRegularFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

inline std::string MissingTestData(const std::string& path) {
  return "missing test data: " + path + " (the real game files belong in testdata/bam)";
}

}  // namespace celwright::testing

// For QTest functions: fails the current function, naming the file, when it is not there.
#define QVERIFY_REAL_FILE(path)                                  \
  QVERIFY2(::celwright::testing::IsRegularFile(path),            \
           ::celwright::testing::MissingTestData(path).c_str())
