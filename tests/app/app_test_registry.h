#pragma once
// The editor's QTest classes share one program: each file registers its class, and the program
// runs the class named on its command line (ctest starts one process a class) or all of them.
#include <QObject>
#include <memory>

namespace celwright::testing {

using AppTestFactory = std::unique_ptr<QObject> (*)();
bool RegisterAppTest(const char* name, AppTestFactory factory);

// A test that starts this program again as a helper process (a crashing editor, say) registers
// the first argument that selects it; such a run never reaches QTest.
using ChildProcessMain = int (*)(int argc, char** argv);
bool RegisterChildProcess(const char* first_argument, ChildProcessMain main);

}  // namespace celwright::testing

#define CELWRIGHT_APP_TEST(Class)                                          \
  [[maybe_unused]] static const bool kRegistered##Class =                  \
      ::celwright::testing::RegisterAppTest(#Class, [] {                   \
        return std::unique_ptr<QObject>(new Class);                        \
      });
