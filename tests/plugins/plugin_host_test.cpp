// The plug-in host with real shared objects: the example plug-in driven through the editor's
// menus, and test plug-ins that each misbehave in one way. The editor must keep running, log
// every refusal and leave the animation as it was.
#include <signal.h>
#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QTimer>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "app/app_test_registry.h"
#include "app/command_line.h"
#include "app/editor_fixture.h"
#include "app/plugin_host.h"
#include "app/settings_dialog.h"
#include "celwright_plugin.h"

using namespace celwright;

namespace {

const std::string kCarot = testing::RealFile("carot.bam");

std::vector<std::vector<std::uint8_t>> AllPixels(const TBAM& bam) {
  std::vector<std::vector<std::uint8_t>> frames;
  for (std::int32_t i = 0; i < bam.FrameCount(); ++i) frames.push_back(bam.DecodeFrame(i));
  return frames;
}

bool Logged(const std::string& part) {
  for (const std::string& line : LogLines())
    if (line.find(part) != std::string::npos) return true;
  return false;
}

QAction* EntryCaptioned(QMenu* menu, const QString& caption) {
  for (QAction* action : menu->actions())
    if (action->text() == caption) return action;
  return nullptr;
}

// Picks an entry the way a user does: the menu drops down and the entry is clicked.
void ClickEntry(QMenu* menu, QAction* entry) {
  QVERIFY(entry);
  menu->popup(QPoint(0, 0));
  QVERIFY(QTest::qWaitForWindowExposed(menu));
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

template <typename Condition>
bool WaitUntil(Condition condition, int ms = 20000) {
  QElapsedTimer waited;
  waited.start();
  while (!condition()) {
    if (waited.elapsed() > ms) return false;
    QTest::qWait(50);
  }
  return true;
}

// A copy of the real editor in a folder of its own, with its plug-ins beside it and the user's
// folders pointed at the test's own: each run leaves its log beside the copy.
class EditorInstall {
 public:
  explicit EditorInstall(const std::filesystem::path& root) : root_(root) {
    std::filesystem::create_directories(root / "bin" / "Plugins");
    std::filesystem::copy_file(EDITOR_PROGRAM, root / "bin" / "celwright");
    std::filesystem::create_directories(root / "config" / "Quillmont");
    Settings("");
    env_ = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"HOME", "XDG_STATE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
      env_.insert(name, QString::fromStdString((root / name).string()));
    env_.insert("XDG_CONFIG_HOME", QString::fromStdString((root / "config").string()));
    env_.insert("QT_QPA_PLATFORM", "offscreen");
    env_.insert("CELWRIGHT_TEST_ORDER_FILE", QString::fromStdString(OrderFile().string()));
  }
  void AddPlugin(const std::filesystem::path& plugin) {
    std::filesystem::copy_file(plugin, root_ / "bin" / "Plugins" / plugin.filename());
  }
  // The first-run notices are taken as seen, so nothing waits for a click before the plug-ins.
  void Settings(const std::string& more) {
    std::ofstream(root_ / "config" / "Quillmont" / "Celwright II.ini")
        << "[Settings]\nRunMessage=4\n"
        << more;
  }
  std::unique_ptr<QProcess> Start(const QStringList& arguments = {}) {
    auto editor = std::make_unique<QProcess>();
    editor->setProcessEnvironment(env_);
    editor->setChildProcessModifier([] {
      const rlimit no_core{0, 0};
      setrlimit(RLIMIT_CORE, &no_core);
    });
    editor->start(QString::fromStdString((root_ / "bin" / "celwright").string()), arguments);
    return editor;
  }
  std::string Log() const { return ReadText(root_ / "bin" / "Log.txt"); }
  std::filesystem::path OrderFile() const { return root_ / "order.txt"; }
  std::filesystem::path StateFolder() const { return root_ / "XDG_STATE_HOME" / "celwright-ii"; }
  // What a loading marker in the state folder names; empty when none names anything.
  std::string Loading() const {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(StateFolder(), error))
      if (entry.path().filename().string().rfind("plugin-loading-", 0) == 0)
        if (std::string named = ReadText(entry.path()); !named.empty()) return named;
    return {};
  }

 private:
  std::filesystem::path root_;
  QProcessEnvironment env_;
};

bool EndsOnSignal(QProcess& editor, int signal_number) {
  ::kill(static_cast<pid_t>(editor.processId()), signal_number);
  if (editor.waitForFinished(15000)) return editor.exitCode() == 128 + signal_number;
  editor.kill();
  editor.waitForFinished();
  return false;
}

// The title and the six texts of an about box.
struct AboutShown {
  QString Caption;
  QStringList Texts;
};

}  // namespace

class PluginHostTest : public QObject, public EditorFixture {
  Q_OBJECT

  std::unique_ptr<CelwrightPluginHandler> plugins_;
  QMenu* Menu(const char* name) { return form_->findChild<QMenu*>(name); }
  void Load(const std::vector<std::filesystem::path>& folders) {
    plugins_ = std::make_unique<CelwrightPluginHandler>(*form_);
    plugins_->LoadPlugins(folders);
  }
  // Runs `click` and returns what the about box it opens showed.
  template <typename Action>
  AboutShown AboutBoxOf(Action click) {
    AboutShown shown;
    // Polled, since the box only appears once the menu has dropped down and been clicked.
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&shown] {
      QWidget* box = QApplication::activeModalWidget();
      if (!box || box->objectName() != "AboutBox" || !shown.Texts.isEmpty()) return;
      shown.Caption = box->windowTitle();
      for (const char* name :
           {"Lbl_AppName", "Lbl_Version", "Lbl_Created", "Lbl_Author", "Lbl_Email", "Lbl_URL"})
        shown.Texts << box->findChild<QLabel*>(name)->text();
      box->close();
    });
    poll.start(10);
    click();
    return shown;
  }

 private slots:
  void init() { StartEditor(); }
  void cleanup() {
    plugins_.reset();
    StopEditor();
  }

  // The executable exports the interface by name and nothing else.
  void executableExportsExactlyTheInterface() {
    QProcess nm;
    nm.start("nm", {"-D", "--defined-only", EDITOR_PROGRAM});
    QVERIFY(nm.waitForFinished(30000));
    QCOMPARE(nm.exitCode(), 0);
    std::set<std::string> exported;
    std::istringstream lines(nm.readAllStandardOutput().toStdString());
    for (std::string address, type, name; lines >> address >> type >> name;) {
      // Local symbols are not exported, and copies of shared libraries' data carry their
      // library's version: neither is ours.
      const bool global = std::isupper(static_cast<unsigned char>(type[0])) || type == "u";
      if (global && name.find('@') == std::string::npos) exported.insert(name);
    }
    const std::set<std::string> interface{
        "RegisterMenuEntry",  "ShowAboutBox",       "OpenFile",          "SaveCurrent",
        "SetBAMPropertyBool", "SetBAMPropertyInt",  "SetBAMPropertyStr", "GetBAMPropertyBool",
        "GetBAMPropertyInt",  "GetBAMPropertyStr",  "CloseCurrent",      "CelwrightHostTable"};
    QCOMPARE(exported, interface);
    QCOMPARE(CelwrightHostTable.Size, static_cast<std::uint32_t>(sizeof(CelwrightHost)));
    QVERIFY(CelwrightHostTable.GetBAMPropertyInt == &GetBAMPropertyInt);
    QVERIFY(CelwrightHostTable.CloseCurrent == &CloseCurrent);
  }

  void foldersAreBesideTheProgramThenInTheUsersData() {
    using Folders = std::vector<std::filesystem::path>;
    const QByteArray saved_home = qgetenv("HOME"), saved_data = qgetenv("XDG_DATA_HOME");
    qputenv("HOME", "/home/someone");
    qputenv("XDG_DATA_HOME", "/data");
    QCOMPARE(PluginFolders("/opt/cw"), Folders({"/opt/cw/Plugins", "/data/celwright-ii/plugins"}));
    qputenv("XDG_DATA_HOME", "relative/is/ignored");
    QCOMPARE(PluginFolders("/opt/cw"),
             Folders({"/opt/cw/Plugins", "/home/someone/.local/share/celwright-ii/plugins"}));
    qputenv("HOME", saved_home);
    saved_data.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", saved_data);
  }

  void gettersAnswerTheDocumentOrTheirDefault() {
    Load({});
    const char* fallback = "fallback";
    QCOMPARE(GetBAMPropertyInt("frames", 42), 42);
    QCOMPARE(GetBAMPropertyBool("isopen", 1), 1);
    QCOMPARE(GetBAMPropertyStr("filename", fallback), fallback);
    SetBAMPropertyInt("palette:1", 5);  // nothing open: nothing to do, nothing breaks

    OpenFile("", CELWRIGHT_DOC_BAM, 0);
    QCOMPARE(std::string(GetBAMPropertyStr("FileName", fallback)), std::string(kUntitledBAM));
    QCOMPARE(GetBAMPropertyBool("isopen", 0), 1);
    QCOMPARE(GetBAMPropertyStr("frames", fallback), fallback);  // not a string property

    OpenFile(kSample.c_str(), CELWRIGHT_DOC_BAM, 0);
    QCOMPARE(GetBAMPropertyInt("Frames", -1), 20);
    const RGBTriple entry = Doc().BAM.Palette[1];
    QCOMPARE(GetBAMPropertyInt("palette:1", -1),
             static_cast<std::int32_t>(entry.r | entry.g << 8 | entry.b << 16));
    QCOMPARE(GetBAMPropertyInt("palette:256", -1), -1);

    // Another thread is refused, with a line the log gets once the loop runs.
    std::int32_t from_thread = 0;
    std::thread([&from_thread] { from_thread = GetBAMPropertyInt("frames", -7); }).join();
    QCOMPARE(from_thread, -7);
    QTRY_VERIFY(Logged("GetBAMProperty [ABORTED] (called from another thread)"));

    // Each OpenFile added a document; CloseCurrent closes the active one, and the getters then
    // answer for the one that comes forward.
    CloseCurrent();
    QCOMPARE(std::string(GetBAMPropertyStr("FileName", fallback)), std::string(kUntitledBAM));
    CloseCurrent();
    QVERIFY(!form_->BAMForm());
    QCOMPARE(GetBAMPropertyInt("frames", 42), 42);
  }

  void fileMenuEntriesStayAboveExit() {
    Load({Temp("no plug-ins")});
    // As a plug-in calls it; the unknown library leaves the entries there, disabled.
    ::RegisterMenuEntry("File1", "Batch Convert", "", nullptr);
    ::RegisterMenuEntry("File1", "Batch Export", "", nullptr);
    const QList<QAction*> entries = Menu("File1")->actions();
    QCOMPARE(entries.back()->objectName(), QString("Exit1"));
    QVERIFY(entries[entries.size() - 2]->isSeparator());
    QCOMPARE(entries[entries.size() - 3]->text(), QString("Batch Export"));
    QCOMPARE(entries[entries.size() - 4]->text(), QString("Batch Convert"));
  }

  void misbehavingPluginsAreRefusedAndLogged() {
    const std::string order_file = Temp("order.txt");
    setenv("CELWRIGHT_TEST_ORDER_FILE", order_file.c_str(), 1);
    Load({TEST_PLUGINS_DIR});
    // Loaded: foreign_handle, missing_function, order1, order2, refused_writes.
    QCOMPARE(plugins_->LoadedCount(), std::size_t{5});
    QVERIFY(Logged("no_entry_point.so... [ABORTED] (no InitializePlugin)"));
    QVERIFY(Logged("/x.so... [ABORTED]"));
    QVERIFY(Logged("[ABORTED] (the library handle is not a loaded plug-in)"));

    QVERIFY_REAL_FILE(kCarot);
    const std::string path = CopyToTemp(kCarot, "carot.bam");
    form_->OpenFile(path, dtBAM);
    TBAM& bam = Doc().BAM;
    const auto pixels = AllPixels(bam);
    const Palette256 palette = bam.Palette;
    const std::vector<std::uint8_t> data = bam.Data;
    const int frames = bam.FrameCount(), cycles = bam.CycleCount();

    QMenu* colors = Menu("Colors1");
    ClickEntry(colors, EntryCaptioned(colors, "Write Refused"));
    QVERIFY(bam.Palette == palette && bam.Data == data && bam.IsOpen);
    QCOMPARE(bam.FrameCount(), frames);
    QCOMPARE(bam.CycleCount(), cycles);
    QCOMPARE(bam.TranspInd, 0);
    QCOMPARE(bam.ShadowInd, 1);
    QVERIFY(Logged("SetBAMProperty palette:256 [ABORTED]"));
    QVERIFY(Logged("SetBAMProperty Frames [ABORTED] (frames is read-only)"));
    QVERIFY(Logged("SetBAMProperty isopen [ABORTED]"));
    QVERIFY(Logged("SetBAMProperty transpind [ABORTED]"));

    // A new run-length key re-encodes every frame: same pixels, now a change worth saving.
    QCOMPARE(bam.CompColIndex, std::uint8_t{129});
    ClickEntry(colors, EntryCaptioned(colors, "Change Key"));
    QCOMPARE(bam.CompColIndex, std::uint8_t{7});
    QVERIFY(AllPixels(bam) == pixels);
    QVERIFY(Doc().Modified);

    // A parent that is a command gets no entries: they go to the Plugins menu.
    QMenu* plugins = Menu("PluginsMenu");
    QVERIFY(plugins->menuAction()->isVisible());
    QVERIFY(!form_->Entry("Open1")->menu());
    QVERIFY(EntryCaptioned(plugins, "Not Under Open"));

    // The function that is not exported: never called, the user told once.
    ClickEntry(plugins, EntryCaptioned(plugins, "Missing"));
    ClickEntry(plugins, EntryCaptioned(plugins, "Missing"));
    QCOMPARE(prompts_->Count("error"), 1);
    QVERIFY(Logged("NotExported") && Logged("[ABORTED] (not exported)"));

    // The foreign handle's entry is inert: the editor's own CloseCurrent is never looked up.
    QAction* foreign = EntryCaptioned(plugins, "Foreign");
    QVERIFY(foreign && !foreign->isEnabled());
    foreign->trigger();
    QVERIFY(form_->BAMForm());

    // Plug-ins calling the editor by name work as through the table.
    bam.Compressed = true;
    ClickEntry(plugins, EntryCaptioned(plugins, "Order 1"));
    QVERIFY(!bam.Compressed);

    plugins_->UnloadPlugins();
    QCOMPARE(GetBAMPropertyInt("frames", -3), -3);  // nobody serves calls any more
    std::ifstream order(order_file);
    std::stringstream recorded;
    recorded << order.rdbuf();
    QCOMPARE(recorded.str(), std::string("load 1\nload 2\nunload 2\nunload 1\n"));
    unsetenv("CELWRIGHT_TEST_ORDER_FILE");
  }

  void oversizedStringsAndCountsAreRefusedWithALogLine() {
    ClearLogLines();
    Load({std::string(LONE_PLUGINS_DIR) + "/oversized"});
    QMenu* plugins = Menu("PluginsMenu");
    QCOMPARE(plugins->actions().size(),
             static_cast<int>(CelwrightPluginHandler::kMaxPluginMenuEntries));
    for (QAction* entry : plugins->actions()) QVERIFY(entry->text().size() <= 256);
    QVERIFY(Logged("RegisterMenuEntry [ABORTED] (the caption is longer than 256 bytes)"));
    QVERIFY(Logged("[ABORTED] (more than 1000 plug-in menu entries"));
    QVERIFY(LogLines().size() < 1100);  // not a line for each refused entry

    const std::string path = CopyToTemp(kSample, "sample.bam");
    form_->OpenFile(path, dtBAM);
    const AboutShown about = AboutBoxOf([&] { EntryCaptioned(plugins, "Huge About")->trigger(); });
    QVERIFY(about.Texts.isEmpty());
    QVERIFY(Logged("ShowAboutBox [ABORTED] (an about text is longer than 1024 bytes)"));
    EntryCaptioned(plugins, "Null Name")->trigger();
    EntryCaptioned(plugins, "Huge Name")->trigger();
    QVERIFY(form_->BAMForm());
    QCOMPARE(Doc().BAM.FileName, path);
    QVERIFY(!Doc().Modified);
    QVERIFY(Logged("SetBAMProperty filename [ABORTED] (no text given)"));
    QVERIFY(Logged("SetBAMProperty [ABORTED] (the text is longer than 4096 bytes)"));
    QVERIFY(Logged("OpenFile [ABORTED] (the file name is longer than 4096 bytes)"));
  }

  // Through the real editor: a plug-in that crashes, aborts or never returns ends a start (a
  // loop is ended by SIGTERM); the next start skips it, loads the rest and says why.
  void aPluginThatEndedAStartIsSkippedAtTheNext() {
    for (const char* death : {"crash", "abort", "loop"}) {
      EditorInstall install(std::filesystem::path(Temp(death)));
      const std::filesystem::path deadly =
          std::filesystem::path(LONE_PLUGINS_DIR) / death / (std::string(death) + ".so");
      install.AddPlugin(deadly);
      install.AddPlugin(std::filesystem::path(TEST_PLUGINS_DIR) / "order1.so");

      std::unique_ptr<QProcess> first = install.Start();
      if (std::string(death) == "loop") {
        QVERIFY(WaitUntil([&] { return install.Loading().find("loop.so") != std::string::npos; }));
        QVERIFY(EndsOnSignal(*first, SIGTERM));
      } else {
        QVERIFY(first->waitForFinished(30000));
        QCOMPARE(first->exitStatus(), QProcess::CrashExit);
      }
      QVERIFY(ReadText(install.OrderFile()).empty());

      std::unique_ptr<QProcess> second = install.Start();
      QVERIFY2(WaitUntil([&] { return ReadText(install.OrderFile()) == "load 1\n"; }), death);
      QVERIFY(WaitUntil(
          [&] { return install.Log().find("(it ended an earlier start)") != std::string::npos; }));
      QVERIFY(EndsOnSignal(*second, SIGINT));
    }
  }

  void pluginsCanBeSwitchedOffForAStartOrForGood() {
    QVERIFY(ParseCommandLine({"--no-plugins"}).NoPlugins);
    QVERIFY(!ParseCommandLine({"-p"}).NoPlugins);
    TSettingsForm* settings = form_->SettingsForm();
    settings->Begin(nullptr);
    QVERIFY(settings->Chk_LoadPlugins->isChecked());
    settings->Chk_LoadPlugins->setChecked(false);
    settings->Btn_DoneClick();
    QVERIFY(!ReadDisplaySettings(*settings_).LoadPlugins);

    // The looping plug-in is never reached: the editor comes up and ends when asked.
    for (const bool by_settings : {false, true}) {
      EditorInstall install(std::filesystem::path(Temp(by_settings ? "settings" : "switch")));
      install.AddPlugin(std::filesystem::path(LONE_PLUGINS_DIR) / "loop" / "loop.so");
      if (by_settings) install.Settings("LoadPlugins=0\n");
      std::unique_ptr<QProcess> editor =
          install.Start(by_settings ? QStringList() : QStringList({"--no-plugins"}));
      QVERIFY(WaitUntil([&] {
        return install.Log().find("PLUG: No plug-ins loaded (switched off)") != std::string::npos;
      }));
      QVERIFY(install.Loading().empty());
      QVERIFY(EndsOnSignal(*editor, SIGHUP));
    }
  }

  void examplePluginDrivesTheEditorThroughItsMenus() {
    Load({std::filesystem::path(EXAMPLE_PLUGIN).parent_path()});
    QCOMPARE(plugins_->LoadedCount(), std::size_t{1});
    QMenu* colors = Menu("Colors1");
    QMenu* plugins = Menu("PluginsMenu");
    QCOMPARE(colors->actions().last()->text(), QString("&Invert Palette"));
    QVERIFY(plugins->menuAction()->isVisible());
    QStringList captions;
    for (QAction* entry : plugins->actions()) captions << entry->text();
    QCOMPARE(captions, QStringList({"Example Plug-in", "Document &Summary",
                                    "&Toggle Compressed Save", "Sa&ve", "C&lose"}));

    const AboutShown about = AboutBoxOf(
        [&] { ClickEntry(Menu("Help1"), EntryCaptioned(Menu("Help1"), "About the &Example Plug-in")); });
    QCOMPARE(about.Caption, QString("Example Plug-in : About"));
    QCOMPARE(about.Texts, QStringList({"Example Plug-in", "1.0", "2026", "The Celwright II developers",
                                       "celwright@example.org", "example.org/celwright"}));

    const std::string path = CopyToTemp(kSample, "sample.bam");
    form_->OpenFile(path, dtBAM);
    const Palette256 before = Doc().BAM.Palette;
    const bool compressed = Doc().BAM.Compressed;

    ClickEntry(plugins, plugins->actions().first());  // the heading does nothing
    QVERIFY(!Doc().Modified && prompts_->History.empty());

    const AboutShown summary = AboutBoxOf([&] { ClickEntry(plugins, plugins->actions()[1]); });
    QCOMPARE(summary.Caption, QString::fromStdString(path) + " : About");
    QCOMPARE(summary.Texts[1], QString("20 frames"));

    ClickEntry(colors, colors->actions().last());
    for (int i = 0; i < 256; ++i) {
      const std::string name = "palette:" + std::to_string(i);
      QCOMPARE(GetBAMPropertyInt(name.c_str(), -1),
               static_cast<std::int32_t>(ToColor(before[static_cast<std::size_t>(i)]) ^ 0xFFFFFF));
    }
    QVERIFY(Doc().Modified);
    ClickEntry(plugins, EntryCaptioned(plugins, "&Toggle Compressed Save"));
    QCOMPARE(Doc().BAM.Compressed, !compressed);
    ClickEntry(plugins, EntryCaptioned(plugins, "Sa&ve"));
    QVERIFY(!Doc().Modified);
    ClickEntry(plugins, EntryCaptioned(plugins, "C&lose"));
    QVERIFY(!form_->BAMForm());
    QVERIFY(prompts_->History.empty());

    std::ifstream file(path, std::ios::binary);
    std::string signature(4, '\0');
    file.read(signature.data(), 4);
    QCOMPARE(signature == "BAMC", !compressed);
    TBAM saved;
    QVERIFY(saved.LoadFromFile(path));
    for (std::size_t i = 0; i < 256; ++i)
      QCOMPARE(ToColor(saved.Palette[i]), ToColor(before[i]) ^ 0xFFFFFFu);
  }
};

CELWRIGHT_APP_TEST(PluginHostTest)
#include "plugin_host_test.moc"
