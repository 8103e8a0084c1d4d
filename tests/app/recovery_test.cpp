// Unsaved work survives a killed editor: a child editor edits a frame and is killed with
// SIGKILL once its recovery copy exists; the next start offers the copy and recovering it
// shows the edit, while the user's file stays as it was.
#include <signal.h>

#include <cstdio>
#include <cstdlib>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "app/app_test_registry.h"
#include "app/document_session.h"
#include "app/editor_fixture.h"
#include "app/termination_guard.h"
#include "document/recovery_store.h"

using namespace celwright;
namespace fs = std::filesystem;

namespace {

constexpr std::uint8_t kPaintedIndex = 77;

// The child: an editor on `file` with a one-second autosave, one pixel painted, then it waits to
// be killed. A busy child, once its first copy is written, stops serving its event loop for good
// (as in a long operation) and says "busy". Given `second`, it edits that file too, in a
// document of its own.
int RunEditingChild(const std::string& folder, const std::string& file, int autosave_seconds,
                    bool busy, const std::string& second) {
  int argc = 1;
  char name[] = "child";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  SetLogFolder(folder);
  AppSettings settings(folder + "/settings.ini");
  settings.WriteInt("AutosaveInterval", autosave_seconds);
  ScriptedPrompts prompts;
  TMainForm form(prompts, settings);
  form.SetRecoveryFolder(folder + "/recovery");
  form.show();
  form.OpenFile(file, dtBAM);
  TBAMForm& doc = *form.BAMForm();
  doc.WorkImage[1].Row(0)[0] = kPaintedIndex;  // as the pencil leaves it, not yet written back
  doc.ImageChanged = true;
  if (!second.empty()) {
    form.OpenFile(second, dtBAM);
    form.BAMForm()->WorkImage[1].Row(0)[0] = kPaintedIndex + 1;
    form.BAMForm()->ImageChanged = true;
  }
  InstallTerminationGuard(form);
  std::printf("ready\n");
  std::fflush(stdout);
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&form, busy] {
    if (!busy || !form.Recovery()->HasCopy()) return;
    std::printf("busy\n");
    std::fflush(stdout);
    for (;;) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  });
  poll.start(20);
  return QApplication::exec();
}

}  // namespace

class RecoveryTest : public QObject, public EditorFixture {
  Q_OBJECT

 private slots:
  void init() { StartEditor(); }
  void cleanup() { StopEditor(); }

  // Each open document keeps its own copy; the next start offers and restores them all, while
  // the user's files stay as they were. The first name holds a line break: the copy keeps it
  // exactly, and the question shows it escaped, on one line.
  void everyOpenDocumentOfAKilledEditorIsOfferedAndRecovered() {
    const std::string first = Temp("work\nplace.bam"), second = Temp("second.bam");
    fs::copy_file(kSample, first);
    fs::copy_file(kSample, second);
    const auto original_size = fs::file_size(first);
    const fs::path folder = Temp("recovery");
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {"--editing-child", dir_->path(), QString::fromStdString(first), "1", "idle",
                 QString::fromStdString(second)});
    QVERIFY(child.waitForStarted());
    // The copies exist but count as orphaned only once their session is gone; look for them.
    const auto copies = [&folder] {
      int infos = 0;
      std::error_code ignored;
      for (const auto& entry : fs::directory_iterator(folder, ignored))
        infos += entry.path().extension() == ".info";
      return infos;
    };
    QTRY_COMPARE_WITH_TIMEOUT(copies(), 2, 20000);
    ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
    QVERIFY(child.waitForFinished());

    // The first file is open as it is on disk (named again on the command line): the recovered
    // work replaces that tab rather than adding a second one on the same file.
    form_->OpenFile(first, dtBAM);
    prompts_->Choices = {0, 0};  // "Recover" both
    form_->OfferRecoveries();
    QCOMPARE(prompts_->Count("choice"), 2);
    bool named = false;
    for (const ScriptedPrompts::Shown& shown : prompts_->History) {
      named = named || shown.Text.find(ShownName(first)) != std::string::npos;
      QVERIFY(shown.Text.find('\n') == std::string::npos);
    }
    QVERIFY(named);
    QCOMPARE(form_->DocumentCount(), 2);
    std::set<std::string> names;
    for (int i = 0; i < 2; ++i) {
      TBAMForm& doc = *form_->DocumentAt(i);
      names.insert(doc.BAM.FileName);
      QVERIFY(doc.Modified);
      const int painted = doc.BAM.FileName == first ? kPaintedIndex : kPaintedIndex + 1;
      QCOMPARE(int(doc.WorkImage[1].Row(0)[0]), painted);
    }
    QCOMPARE(names, (std::set<std::string>{first, second}));
    QCOMPARE(fs::file_size(first), original_size);  // the user's file is untouched
    QVERIFY(FindOrphanedRecoveries(folder).empty());  // the old copies were taken over

    // A clean close leaves no copy behind.
    form_->AutosaveTick();
    form_->Recovery()->Wait();
    QVERIFY(fs::exists(form_->Recovery()->CopyPath()));
    prompts_->YesNoCancelAnswers = {PromptAnswer::No, PromptAnswer::No};
    QVERIFY(form_->Close1Click() && form_->Close1Click());
    std::error_code ignored;
    QVERIFY(fs::is_empty(folder, ignored));
  }

  // Idle without an autosave timer, the editor writes its copy as the session ends. Busy in a
  // long loop, it still goes on each ending signal, and the copy it had written stays for the
  // next start.
  void endingSignalsEndTheEditorAndKeepItsWork() {
    const std::string original = Temp("work.bam");
    fs::copy_file(kSample, original);
    const struct {
      int signal_number;
      const char* autosave_seconds;
      QByteArray state;
    } cases[] = {{SIGTERM, "0", "idle"}, {SIGINT, "1", "busy"}, {SIGTERM, "1", "busy"},
                 {SIGHUP, "1", "busy"}};
    for (const auto& [signal_number, autosave_seconds, state] : cases) {
      QProcess child;
      child.start(QCoreApplication::applicationFilePath(),
                  {"--editing-child", dir_->path(), QString::fromStdString(original),
                   autosave_seconds, QString::fromLatin1(state)});
      QElapsedTimer waited;
      waited.start();
      QByteArray said;
      const QByteArray awaited = state == "busy" ? "busy" : "ready";
      while (!said.contains(awaited) && waited.elapsed() < 20000) {
        child.waitForReadyRead(100);
        said += child.readAllStandardOutput();
      }
      ::kill(static_cast<pid_t>(child.processId()), signal_number);
      const bool ended = child.waitForFinished(15000);
      if (!ended) ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
      QVERIFY2(ended, qPrintable(QString("signal %1").arg(signal_number)));
      QCOMPARE(child.exitCode(), 128 + signal_number);
      const std::vector<FoundRecovery> found = FindOrphanedRecoveries(Temp("recovery"));
      QCOMPARE(found.size(), std::size_t{1});
      QCOMPARE(found[0].Details.OriginalFile, original);
      RemoveRecovery(found[0]);
    }
  }

  void withoutAPrivateFolderNoCopyIsKeptAndTheUserIsToldOnce() {
    form_->SetRecoveryFolder({});  // as when the user has no folder of their own
    form_->OpenFile(kSample, dtBAM);
    Doc().Modified = true;
    form_->AutosaveTick();
    form_->AutosaveTick();
    QTRY_COMPARE(prompts_->Count("info"), 1);
    QTest::qWait(50);
    QCOMPARE(prompts_->Count("info"), 1);
    QVERIFY(!form_->Recovery()->HasCopy());
  }

  void discardedCopiesAreGoneAndUnchangedDocumentsWriteNone() {
    const fs::path folder = Temp("recovery");
    form_->OpenFile(kSample, dtBAM);
    form_->AutosaveTick();
    form_->Recovery()->Wait();
    QVERIFY(!fs::exists(folder));
    Doc().Modified = true;
    form_->AutosaveTick();
    form_->Recovery()->Wait();
    QVERIFY(form_->Recovery()->HasCopy());
  }
};

CELWRIGHT_APP_TEST(RecoveryTest)
[[maybe_unused]] static const bool kEditingChildRegistered =
    celwright::testing::RegisterChildProcess("--editing-child", [](int argc, char** argv) {
      return argc >= 6 ? RunEditingChild(argv[2], argv[3], std::atoi(argv[4]),
                                         std::string(argv[5]) == "busy", argc > 6 ? argv[6] : "")
                       : 2;
    });

#include "recovery_test.moc"
