// Runs the registered editor test classes: `app_tests CLASS [QTest options]` runs one class,
// `app_tests` alone runs every class in turn, `app_tests --list` names them.
#include <QApplication>
#include <QTest>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "app/app_test_registry.h"

namespace celwright::testing {
namespace {

std::map<std::string, AppTestFactory>& Tests() {
  static std::map<std::string, AppTestFactory> tests;
  return tests;
}

std::map<std::string, ChildProcessMain>& Children() {
  static std::map<std::string, ChildProcessMain> children;
  return children;
}

int RunClass(const std::string& name, AppTestFactory factory, const QStringList& options) {
  std::unique_ptr<QObject> test = factory();
  QStringList arguments = {QString::fromStdString(name)};
  arguments += options;
  return QTest::qExec(test.get(), arguments);
}

}  // namespace

bool RegisterAppTest(const char* name, AppTestFactory factory) {
  return Tests().emplace(name, factory).second;
}

bool RegisterChildProcess(const char* first_argument, ChildProcessMain main) {
  return Children().emplace(first_argument, main).second;
}

}  // namespace celwright::testing

int main(int argc, char** argv) {
  using namespace celwright::testing;
  if (argc > 1) {
    const auto child = Children().find(argv[1]);
    if (child != Children().end()) return child->second(argc, argv);
    if (std::strcmp(argv[1], "--list") == 0) {
      for (const auto& [name, factory] : Tests()) std::printf("%s\n", name.c_str());
      return 0;
    }
  }
  QApplication app(argc, argv);
  app.setAttribute(Qt::AA_Use96Dpi, true);
  QStringList options = app.arguments().mid(1);
  if (!options.isEmpty() && !options.front().startsWith('-')) {
    const std::string name = options.takeFirst().toStdString();
    const auto test = Tests().find(name);
    if (test == Tests().end()) {
      std::fprintf(stderr, "app_tests: no test class %s (see --list)\n", name.c_str());
      return 2;
    }
    return RunClass(name, test->second, options);
  }
  int failed = 0;
  for (const auto& [name, factory] : Tests()) failed += RunClass(name, factory, options);
  return failed == 0 ? 0 : 1;
}
