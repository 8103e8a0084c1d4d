// Start-up: main window, splash, start-up notices, the command line (read with the log
// suspended), then the main window is shown and the event loop runs.
#include <QApplication>
#include <QTimer>
#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "support/app_info.h"
#include "app/app_settings.h"
#include "app/command_line.h"
#include "app/main_window.h"
#include "app/plugin_host.h"
#include "app/preview_window.h"
#include "app/qt_prompts.h"
#include "app/settings_dialog.h"
#include "app/splash_window.h"
#include "app/termination_guard.h"
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
  // Silent, as every start: .bam files open with this copy of the program, wherever it lives.
  main_form.CheckAssociation();
  InstallTerminationGuard(main_form);
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
    TPreviewForm& preview = *main_form.PreviewForm();
    if (request.PreviewBackground >= 0 &&
        request.PreviewBackground < preview.Backgrounds().Count() - 1) {
      preview.SelectBackground(request.PreviewBackground);
    }
    if (request.CmdLineFileName.empty()) {
      prompts.Error(main_form.windowTitle().toStdString(),
                    "File does not exist.\rUnable to create preview.");
      return 0;
    }
    splash->hide();
    const int result =
        main_form.RunStandAlonePreview(request.CmdLineFileName, request.CmdLineFileType);
    if (result != TPreviewForm::kResultEditor) return 0;
    // The file is open already; the editor must not open it a second time.
  } else {
    main_form.CmdLineFileNames = request.CmdLineFileNames;
  }

  splash->SetMaximum(10);
  splash.reset();
  CelwrightPluginHandler plugins(main_form);
  if (request.NoPlugins || !ReadDisplaySettings(settings).LoadPlugins) {
    AddLogLine("PLUG: No plug-ins loaded (switched off)");
  } else {
    plugins.LoadPlugins(PluginFolders(QCoreApplication::applicationDirPath().toStdString()),
                        UserStateFolder());
  }
  main_form.showMaximized();
  // Work a crashed run left behind is offered once the window is up.
  QTimer::singleShot(0, &main_form, [&main_form] { main_form.OfferRecoveries(); });
  const int result = QApplication::exec();
  plugins.UnloadPlugins();
  return result;
}
