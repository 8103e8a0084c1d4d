// The rules behind the dialogs and the command line: which save formats are offered, what is
// preselected, how the recent list moves.
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "app/app_test_registry.h"
#include "app/app_settings.h"
#include "app/command_line.h"
#include "app/recent_files.h"
#include "document/doc_type.h"

using namespace celwright;

namespace {
std::vector<std::string> Captions(const std::string& filter) {
  std::vector<std::string> out;
  for (const FileFilter& f : SplitFilter(filter)) out.push_back(f.Caption);
  return out;
}
bool Offers(const std::string& filter, const std::string& caption_start) {
  for (const std::string& c : Captions(filter))
    if (c.rfind(caption_start, 0) == 0) return true;
  return false;
}
}  // namespace

class ShellLogicTest : public QObject {
  Q_OBJECT
 private slots:
  void saveAsOffersOnlyWhatTheAnimationFits() {
    // Paletted, several frames and sequences: the two BAM entries only.
    SaveAsChoices many = BuildSaveAsChoices(1, 5, 3, "/x/a.bam");
    QCOMPARE(Captions(many.Filter).size(), size_t(2));
    // Paletted, one frame, one sequence: bitmap, GIF and PNG too, never JPEG or AVI.
    SaveAsChoices single = BuildSaveAsChoices(1, 1, 1, "/x/a.bam");
    QVERIFY(Offers(single.Filter, "Bitmap"));
    QVERIFY(Offers(single.Filter, "Compuserve GIF"));
    QVERIFY(Offers(single.Filter, "Portable Network Graphic"));
    QVERIFY(!Offers(single.Filter, "JPEG"));
    QVERIFY(!Offers(single.Filter, "Windows AVI"));
    // Paletted with no sequence: a lone frame can be a GIF, several frames cannot.
    QVERIFY(!Offers(BuildSaveAsChoices(1, 4, 0, "a.bam").Filter, "Compuserve GIF"));
    QVERIFY(Offers(BuildSaveAsChoices(1, 1, 0, "a.bam").Filter, "Compuserve GIF"));
    // Unpaletted, several frames, one sequence: AVI yes, GIF no.
    SaveAsChoices video = BuildSaveAsChoices(2, 4, 1, "a.bam");
    QVERIFY(Offers(video.Filter, "Windows AVI"));
    QVERIFY(!Offers(video.Filter, "Compuserve GIF"));
  }

  void saveAsPreselectsByExtension() {
    SaveAsChoices png = BuildSaveAsChoices(1, 1, 1, "/pics/Hero.PNG");
    QCOMPARE(SplitFilter(png.Filter)[static_cast<size_t>(png.Preselected)].Caption,
             std::string("Portable Network Graphic (*.png)"));
    QCOMPARE(png.DefaultExtension, std::string("*.PNG"));  // the file's own case
    // Whole patterns only: ".jp" is not a JPEG name.
    QCOMPARE(BuildSaveAsChoices(2, 1, 1, "a.jp").Preselected,
             static_cast<int>(SplitFilter(BuildSaveAsChoices(2, 1, 1, "a.jp").Filter).size()) - 1);
    // PNG not offered: the last entry stays selected.
    SaveAsChoices no_png = BuildSaveAsChoices(1, 5, 3, "/pics/Hero.png");
    QCOMPARE(no_png.Preselected, 1);
    // No extension: "*" matches the first pair.
    QCOMPARE(BuildSaveAsChoices(1, 5, 3, "Untitled BAM").Preselected, 0);
  }

  void typesFromExtensions() {
    QCOMPARE(DocTypeFromFileName("walk.Jpe"), dtJPEG);
    QCOMPARE(DocTypeFromFileName("notes.txt"), dtBAM);
    QCOMPARE(DocTypeFromFileName("dir.avi/noext"), dtBAM);
    QCOMPARE(DocTypeFromNumber(9), dtBAM);
  }

  void recentListMovesEntriesUp() {
    RecentFiles r;
    for (const char* name : {"d", "c", "b", "a"}) r.Update(name, dtBAM);
    r.Update("a", dtBAM);  // already first: unchanged
    QCOMPARE(r.Names, (std::array<std::string, 4>{"a", "b", "c", "d"}));
    r.Update("c", dtPNG);  // place 3 moves to the top
    QCOMPARE(r.Names, (std::array<std::string, 4>{"c", "a", "b", "d"}));
    QCOMPARE(r.Types[0], dtPNG);
    r.Update("e", dtGIF);  // a new name drops the last
    QCOMPARE(r.Names, (std::array<std::string, 4>{"e", "c", "a", "b"}));
    r.Update("", dtBAM);
    QCOMPARE(r.Names[0], std::string("e"));
  }

  void recentListSurvivesTheSettingsFile() {
    QTemporaryDir dir;
    const std::string ini = dir.filePath("settings.ini").toStdString();
    RecentFiles r;
    r.Update("/a/one.bam", dtBAM);
    r.Update("/a/two.png", dtPNG);
    {
      AppSettings settings(ini);
      settings.WriteRecentFiles(r);
    }
    AppSettings again(ini);
    const RecentFiles read = again.ReadRecentFiles();
    QCOMPARE(read.Names, r.Names);
    QCOMPARE(read.Types[0], dtPNG);
  }

  void commandLine() {
    QTemporaryDir dir;
    const std::string first = dir.filePath("one.bam").toStdString();
    const std::string second = dir.filePath("two.JPE").toStdString();
    std::ofstream(first) << "x";
    std::ofstream(second) << "x";
    CommandLineRequest r = ParseCommandLine({first, "-P:2", "/LOG", second, "/missing.bam"});
    QCOMPARE(r.CmdLineFileName, second);  // the last existing file wins the preview
    QCOMPARE(r.CmdLineFileNames, (std::vector<std::string>{first, second}));  // the editor opens all
    QCOMPARE(r.CmdLineFileType, dtJPEG);
    QVERIFY(r.PreviewMode);
    QCOMPARE(r.PreviewBackground, 2);
    QVERIFY(r.LoggingSwitch);
    QCOMPARE(ParseCommandLine({"-p:abc"}).PreviewBackground, 0);
    QCOMPARE(ParseCommandLine({"/preview"}).PreviewBackground, -1);
    QVERIFY(!ParseCommandLine({"-x"}).PreviewMode);
  }
};

CELWRIGHT_APP_TEST(ShellLogicTest)
#include "shell_logic_test.moc"
