// Export Frame, Export Sequence and Import Sequence from the menus, as a user runs them.
#include <QAction>
#include <QListWidget>
#include <array>
#include <filesystem>
#include <fstream>

#include "app/app_test_registry.h"
#include "app/editor_fixture.h"
#include "support/image_io/image_file.h"

using namespace celwright;

class ImportExportTest : public QObject, public EditorFixture {
  Q_OBJECT

  FileChoice Choice(const std::string& path, int filter) { return {true, path, filter}; }
  int LastSequence() { return form_->List_Sequences->count() - 1; }
  QAction* Entry(const char* name) { return form_->Entry(name); }

 private slots:
  void init() { StartEditor(); }
  void cleanup() { StopEditor(); }

  void exportFrameWritesTheExactIndicesAndNoOverlay() {
    form_->New1Click();
    QVERIFY(Enabled("ExportFrame1"));
    Entry("ExportFrame1")->trigger();  // cancelled: nothing written, the name was proposed
    QCOMPARE(prompts_->LastSuggestedPath, std::string("Untitled BAM_Frame0"));

    form_->OpenFile(kSample, dtBAM);
    TBAMForm& doc = Doc();
    // A tool preview or the onion skin on the display must never reach the file.
    doc.DrawOverlays = [](std::array<Bitmap, 2>& overlay) {
      overlay[0].SetPixel(0, 0, MakeColor(1, 2, 3));
      overlay[1].Row(0)[0] = 77;
    };
    form_->Options().OnionSkin.Enabled = true;
    doc.RedrawImage(false);
    const std::string path = Temp("frame.bmp");
    prompts_->SaveChoices.push_back(Choice(path, 0));
    Entry("ExportFrame1")->trigger();
    QCOMPARE(prompts_->LastSuggestedPath,
             std::filesystem::path(kSample).replace_extension().string() + "_Frame" +
                 std::to_string(doc.CurrentFrame));
    Bitmap written;
    Palette256 palette{};
    QVERIFY(LoadImageFile(written, palette, kImageKindBitmap, path));
    QCOMPARE(written.Format(), PixelFormat::Bits8);
    QCOMPARE(written.Width(), doc.WorkImage[1].Width());
    for (int y = 0; y < written.Height(); ++y)
      for (int x = 0; x < written.Width(); ++x)
        QCOMPARE(int(written.GetIndex(x, y)), int(doc.WorkImage[1].Row(y)[x]));
    QCOMPARE(ToColor(palette[0]), doc.BAM.GetTransCol());
  }

  // Sprite sheets leave and come back through File > Export and File > Import with every
  // sequence, size and centre; an animated PNG opens as its frames.
  void spriteSheetsAndAnimatedPngsGoOutAndComeBackThroughTheFileMenu() {
    form_->OpenFile(kSample, dtBAM);
    form_->File1Click();
    QVERIFY(Enabled("ExportSpriteSheet1"));
    std::vector<std::vector<std::array<int, 4>>> shown;  // size and centre of every entry
    const auto entries = [](const TBAM& bam) {
      std::vector<std::vector<std::array<int, 4>>> all(static_cast<std::size_t>(bam.CycleCount()));
      for (std::int32_t c = 0; c < bam.CycleCount(); ++c) {
        for (const std::int32_t f : bam.GetCycle(c).Frames) {
          const TBAMFrame info = bam.GetFrame(f);
          all[c].push_back({info.Width, info.Height, info.CentreX, info.CentreY});
        }
      }
      return all;
    };
    shown = entries(Doc().BAM);
    prompts_->SaveChoices.push_back(Choice(Temp("walk"), 0));
    Entry("ExportSpriteSheet1")->trigger();
    QCOMPARE(prompts_->Count("error"), 0);
    QVERIFY(std::filesystem::exists(Temp("walk.png")));
    // The name was typed without its extension: replacing the existing "walk.png" is asked
    // about, and declining (the scripted default) leaves it as it was.
    std::ofstream(Temp("walk-mine.png")) << "mine";
    std::filesystem::copy_file(Temp("walk.png"), Temp("walk-sheet.png"));
    std::filesystem::copy_file(Temp("walk-mine.png"), Temp("walk.png"),
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove(Temp("walk.json"));
    prompts_->SaveChoices.push_back(Choice(Temp("walk"), 0));
    Entry("ExportSpriteSheet1")->trigger();
    QCOMPARE(std::filesystem::file_size(Temp("walk.png")), std::uintmax_t{4});
    std::filesystem::copy_file(Temp("walk-sheet.png"), Temp("walk.png"),
                               std::filesystem::copy_options::overwrite_existing);
    prompts_->SaveChoices.push_back(Choice(Temp("walk"), 0));
    prompts_->OkCancelAnswers.push_back(true);
    Entry("ExportSpriteSheet1")->trigger();
    QVERIFY(std::filesystem::exists(Temp("walk.json")));

    prompts_->OpenChoices.push_back(Choice(Temp("walk.json"), 0));
    Entry("ImportSpriteSheet1")->trigger();
    QCOMPARE(Doc().BAM.FileName, std::string(kUntitledBAM));
    QVERIFY(Doc().Modified);
    QCOMPARE(form_->List_Sequences->count(), 3);
    QVERIFY(entries(Doc().BAM) == shown);

    // A sheet that cannot be read says why and leaves the open document alone.
    prompts_->OpenChoices.push_back(
        Choice(CELWRIGHT_TESTDATA_DIR "/exchange/rotated.json", 0));
    Entry("ImportSpriteSheet1")->trigger();
    QCOMPARE(prompts_->Count("error"), 1);
    QVERIFY(entries(Doc().BAM) == shown);

    Doc().Modified = false;
    form_->OpenFile(CELWRIGHT_TESTDATA_DIR "/exchange/pillow_ops.png", dtPNG);
    QCOMPARE(Doc().BAM.FrameCount(), 4);
    QCOMPARE(Doc().BAM.CycleCount(), 1);

    // Export Sequence writes an animated PNG that opens again with the sequence's frames.
    form_->OpenFile(kSample, dtBAM);
    ClickRow(form_->List_Sequences, 2);
    prompts_->SaveChoices.push_back(Choice(Temp("bounce"), 4));
    Entry("ExportSequence1")->trigger();
    QCOMPARE(prompts_->Count("error"), 1);
    form_->OpenFile(Temp("bounce.png"), dtPNG);
    QVERIFY(entries(Doc().BAM) == decltype(shown){shown[2]});
  }

  void exportSequenceWritesEveryFormatWithTheSequencesFrames() {
    form_->OpenFile(kSample, dtBAM);
    ClickRow(form_->List_Sequences, 1);
    const TCycleItem cycle = Doc().BAM.GetCycle(1);
    const std::string base = Temp("walk");
    for (int filter = 0; filter < 4; ++filter) {
      prompts_->SaveChoices.push_back(Choice(base, filter));
      Entry("ExportSequence1")->trigger();
    }
    QCOMPARE(prompts_->LastSuggestedPath,
             std::filesystem::path(kSample).replace_extension().string() + "_Sequence1");
    QCOMPARE(prompts_->Count("error"), 0);

    TBAM avi, gif, bam;
    avi.NewBAM("a", true);
    avi.ImportAVI(base + ".avi");
    QCOMPARE(avi.FrameCount(), cycle.Count);
    gif.NewBAM("g", true);
    gif.ImportGIF(base + ".gif");
    QCOMPARE(gif.FrameCount(), cycle.Count);
    QVERIFY(bam.LoadFromFile(base + ".bam"));
    QCOMPARE(bam.CycleCount(), 1);
    QCOMPARE(bam.GetCycle(0).Count, cycle.Count);
    Bitmap strip;
    Palette256 palette{};
    QVERIFY(LoadImageFile(strip, palette, kImageKindBitmap, base + ".bmp"));
    QCOMPARE(strip.Width() % cycle.Count, 0);
  }

  // The dialog asks only about the name as typed; the extension comes later. Every save asks
  // about the name really written, and an export never silently replaces the document's file.
  void savesAskAboutTheNameWrittenAndKeepTheDocumentsFile() {
    namespace fs = std::filesystem;
    const std::string walk = Temp("walk.bam");
    fs::copy_file(kSample, walk);
    form_->OpenFile(walk, dtBAM);
    const int frames = Doc().BAM.FrameCount();
    ClickRow(form_->List_Sequences, 1);
    const auto frames_in = [](const std::string& path) {
      TBAM bam;
      return bam.LoadFromFile(path) ? bam.FrameCount() : -1;
    };
    prompts_->SaveChoices.push_back(Choice(Temp("walk"), 3));  // declined
    Entry("ExportSequence1")->trigger();
    QCOMPARE(prompts_->Count("confirm"), 1);
    QVERIFY(prompts_->History.back().Text.find("is the file of the open document") != std::string::npos);
    QCOMPARE(frames_in(walk), frames);
    prompts_->SaveChoices.push_back(Choice(walk, 3));  // typed in full: asked all the same
    prompts_->OkCancelAnswers.push_back(true);
    Entry("ExportSequence1")->trigger();
    QCOMPARE(prompts_->Count("confirm"), 2);
    QCOMPARE(frames_in(walk), int(Doc().BAM.GetCycle(1).Count));
    QVERIFY(Doc().Modified);  // the rest of the document still needs saving
    QVERIFY(form_->isWindowModified());

    // Other existing files: the sequence as GIF, Save As and Export Frame ask, and a "no" keeps
    // the file.
    for (const char* name : {"other.gif", "copy.bam", "frame.bmp"}) fs::copy_file(kSample, Temp(name));
    const auto size = fs::file_size(kSample);
    prompts_->SaveChoices.push_back(Choice(Temp("other"), 1));
    Entry("ExportSequence1")->trigger();
    prompts_->SaveChoices.push_back(Choice(Temp("copy"), 0));
    form_->SaveAs1Click();
    prompts_->SaveChoices.push_back(Choice(Temp("frame"), 0));
    Entry("ExportFrame1")->trigger();
    QCOMPARE(prompts_->Count("confirm"), 5);
    QVERIFY(prompts_->History.back().Text.find("already exists") != std::string::npos);
    for (const char* name : {"other.gif", "copy.bam", "frame.bmp"}) QCOMPARE(fs::file_size(Temp(name)), size);
    QCOMPARE(prompts_->Count("error"), 0);
    QVERIFY(Doc().Modified);
  }

  void importSequenceAppendsSelectsAndShowsTheNewSequence() {
    form_->OpenFile(kSample, dtBAM);
    const int cycles = Doc().BAM.CycleCount(), frames = Doc().BAM.FrameCount();
    prompts_->OpenChoices.push_back(
        Choice(CELWRIGHT_SOURCE_DIR "/tests/media/data/imagemagick_two_sizes.gif", 1));
    QVERIFY(Enabled("ImportSequence1"));
    Entry("ImportSequence1")->trigger();
    QCOMPARE(Doc().BAM.CycleCount(), cycles + 1);
    QCOMPARE(Doc().BAM.FrameCount(), frames + 2);
    QCOMPARE(form_->List_Sequences->currentRow(), LastSequence());
    QCOMPARE(Doc().CurrentFrame, frames);
    QVERIFY(Doc().Modified);
    QCOMPARE(LastLogLine("APP : Import Sequence"), std::string("APP : Import Sequence [OK]"));

    // Another BAM: all its sequences, through the pop-up twin of the command.
    const std::string rabbit = testing::RealFile("rabbG11.bam");
    QVERIFY_REAL_FILE(rabbit);
    TBAM other;
    QVERIFY(other.LoadFromFile(rabbit));
    prompts_->OpenChoices.push_back(Choice(rabbit, 2));
    form_->SequencePopupPopup();
    Entry("ImportSequence2")->trigger();
    QCOMPARE(Doc().BAM.CycleCount(), cycles + 1 + other.CycleCount());

    // A file that is no BAM: said so, logged as such, nothing added.
    const int now = Doc().BAM.CycleCount(), frames_now = Doc().BAM.FrameCount();
    prompts_->OpenChoices.push_back(Choice(CELWRIGHT_SOURCE_DIR "/README.md", 2));
    Entry("ImportSequence1")->trigger();
    QCOMPARE(Doc().BAM.CycleCount(), now);
    QCOMPARE(Doc().BAM.FrameCount(), frames_now);
    QCOMPARE(prompts_->Count("error"), 1);
    QVERIFY(LastLogLine("APP : Import Sequence").find(" [ABORTED]") != std::string::npos);
  }
};

CELWRIGHT_APP_TEST(ImportExportTest)
#include "import_export_test.moc"
