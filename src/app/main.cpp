// Start-up: main window, splash, start-up notices, the command line (read with the log
// suspended), then the main window is shown and the event loop runs.
#include <QApplication>
#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "app/app_info.h"
#include "app/app_settings.h"
#include "app/command_line.h"
#include "app/main_window.h"
#include "app/qt_prompts.h"
#include "app/splash_window.h"
#include "support/qm_log.h"

int main(int argc, char** argv) {
  // Past a file-size limit a save fails with a message and its temporary file is removed,
  // instead of the editor being killed with the temporary left behind.
  std::signal(SIGXFSZ, SIG_IGN);
  using namespace celwright;
  QApplication app(argc, argv);
  QApplication::setApplicationName(kAppTitle);
  QApplication::setOrganizationName("Quillmont");

  QtPrompts prompts(nullptr);
  AppSettings settings;
  // The main window also creates the log, about and progress windows it owns.
  TMainForm main_form(prompts, settings);
  prompts.SetParent(&main_form);
  auto splash = std::make_unique<TSplashForm>();
  QApplication::processEvents();

  splash->SetMaximum(4);
  main_form.ShowRunMessage(false);
  for (int step = 0; step < 4; ++step) splash->Advance();

  LogDisabled = true;
  const CommandLineRequest request =
      ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  LogDisabled = false;

  if (request.PreviewMode) {
    if (request.CmdLineFileName.empty()) {
      prompts.Error(main_form.windowTitle().toStdString(),
                    "File does not exist.\rUnable to create preview.");
      return 0;
    }
    prompts.Information(main_form.windowTitle().toStdString(),
                        "The quick preview window is not available yet; the file opens in the "
                        "editor instead.");
  }
  main_form.CmdLineFileName = request.CmdLineFileName;
  main_form.CmdLineFileType = request.CmdLineFileType;

  splash->SetMaximum(10);
  splash.reset();
  main_form.showMaximized();
  return QApplication::exec();
}
