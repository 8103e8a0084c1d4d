// Every file of the BAM crasher corpus loads or is refused within the bounds of issue 10: at
// most 5 s of CPU and 512 MB (the child's address space is limited to 768 MiB, which holds the
// program's libraries besides), exit 0 ("ok") or 1 with the expected words ("refused"), and never
// a bare exception name. The limits are set in the child with setrlimit; a process that passes
// one is killed by a signal, which fails the case.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

struct CorpusCase {
  std::string file, expect, words, how;
};

void PrintTo(const CorpusCase& c, std::ostream* os) { *os << c.file << " (" << c.how << ")"; }

std::vector<CorpusCase> Manifest() {
  std::vector<CorpusCase> cases;
  std::ifstream in(std::string(CELWRIGHT_CORPUS_DIR "/bam.tsv"));
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::stringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
    fields.resize(4);
    cases.push_back({fields[0], fields[1], fields[2], fields[3]});
  }
  return cases;
}

struct Outcome {
  bool exited = false;
  int code = -1;
  int signal = 0;
  std::string errors;
};

Outcome RunLimited(const std::vector<std::string>& args) {
  char errors_path[] = "/tmp/celwright-corpus-XXXXXX";
  const int errors_fd = mkstemp(errors_path);
  Outcome outcome;
  if (errors_fd < 0) return outcome;
  const pid_t child = fork();
  if (child == 0) {
    const rlim_t cpu = kSanitized ? 60 : 5;
    rlimit cpu_limit{cpu, cpu + 1};
    setrlimit(RLIMIT_CPU, &cpu_limit);
    if (!kSanitized) {  // the sanitizers reserve terabytes of address space up front
      rlimit memory{rlim_t{768} << 20, rlim_t{768} << 20};
      setrlimit(RLIMIT_AS, &memory);
    }
    const int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, 1);
    dup2(errors_fd, 2);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  outcome.exited = WIFEXITED(status);
  outcome.code = outcome.exited ? WEXITSTATUS(status) : -1;
  outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  std::ifstream in(errors_path);
  outcome.errors.assign(std::istreambuf_iterator<char>(in), {});
  close(errors_fd);
  unlink(errors_path);
  return outcome;
}

class CrasherCorpus : public ::testing::TestWithParam<CorpusCase> {};

TEST_P(CrasherCorpus, InfoLoadsOrRefusesWithinBounds) {
  const CorpusCase& c = GetParam();
  const std::string file = std::string(CELWRIGHT_CORPUS_DIR "/bam/") + c.file;
  SCOPED_TRACE(c.file + ": " + c.how);
  const Outcome outcome = RunLimited({CELWRIGHT_CLI, "info", file});
  ASSERT_TRUE(outcome.exited) << "killed by signal " << outcome.signal
                              << " (SIGXCPU: over 5 s of CPU; SIGSEGV/SIGABRT: often over the "
                                 "memory limit)\n"
                              << outcome.errors;
  EXPECT_EQ(outcome.errors.find("std::"), std::string::npos) << outcome.errors;
  EXPECT_EQ(outcome.errors.find("bad_alloc"), std::string::npos) << outcome.errors;
  if (c.expect == "ok") {
    EXPECT_EQ(outcome.code, 0) << outcome.errors;
  } else {
    EXPECT_EQ(outcome.code, 1) << outcome.errors;
    EXPECT_NE(outcome.errors.find(c.words), std::string::npos) << outcome.errors;
  }
}

INSTANTIATE_TEST_SUITE_P(Bam, CrasherCorpus, ::testing::ValuesIn(Manifest()),
                         [](const ::testing::TestParamInfo<CorpusCase>& param_info) {
                           std::string name = param_info.param.file;
                           for (char& ch : name) {
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           }
                           return name;
                         });

}  // namespace
