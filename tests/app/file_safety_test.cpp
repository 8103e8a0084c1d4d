// What the user opened is never destroyed by saving: a picture or video that became a BAM gets
// a new name, an unchanged picture is not rewritten, a changed one that its kind cannot hold
// exactly goes to Save As; Save As keeps the file's own extension case. The repair report of a
// badly damaged file fits on the screen.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTextEdit>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/editor_fixture.h"
#include "app/repair_report.h"
#include "support/image_io/image_file.h"

using namespace celwright;

namespace {

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::string kLargeBAM = CELWRIGHT_TESTDATA_DIR "/bam/CHMB1G11.BAM";

}  // namespace

class FileSafetyTest : public QObject, public EditorFixture {
  Q_OBJECT

  std::string MakePng(const char* name) {
    Bitmap picture(5, 3, PixelFormat::Bits24);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) picture.SetPixel(x, y, MakeColor(static_cast<std::uint8_t>(50 * x),
                                                            static_cast<std::uint8_t>(80 * y), 7));
    const std::string path = Temp(name);
    SaveImageFile(picture, kImageKindPng, path);
    return path;
  }

  std::string MakeGif(const char* name) {
    TBAM sample;
    sample.LoadFromFile(kSample);
    const std::string path = Temp(name);
    sample.ExportGIF(path, 0);
    return path;
  }

 private slots:
  void init() { StartEditor(); }
  void cleanup() { StopEditor(); }

  void aPictureThatBecameABamIsSavedUnderANewName() {
    const std::string png = MakePng("hero.png");
    const std::string before = Bytes(png);
    form_->OpenFile(png, dtPNG);
    prompts_->OkCancelAnswers = {true};
    form_->NewFrame1Click();  // converts to a BAM
    QCOMPARE(Doc().DocType, dtBAM);

    form_->Save1Click();  // goes to Save As, proposing a BAM name; cancelled
    QCOMPARE(prompts_->LastSuggestedPath, Temp("hero.bam"));
    QCOMPARE(prompts_->LastSavePreselected, 0);
    // The close question's Yes takes the same road; cancelling it keeps the document open.
    prompts_->YesNoCancelAnswers = {PromptAnswer::Yes};
    QVERIFY(!form_->Close1Click());
    QCOMPARE(Bytes(png), before);

    prompts_->YesNoCancelAnswers = {PromptAnswer::Yes};
    prompts_->SaveChoices = {{true, Temp("hero"), 0}};
    QVERIFY(form_->Close1Click());
    QCOMPARE(Bytes(png), before);
    TBAM saved;
    QVERIFY(saved.LoadFromFile(Temp("hero.bam")));
    QCOMPARE(saved.FrameCount(), 2);
  }

  void savingAnUnchangedOrLossyPictureNeverRewritesIt() {
    for (const auto& [path, type] :
         {std::pair{MakeGif("walk.gif"), dtGIF}, std::pair{MakePng("still.png"), dtPNG}}) {
      const std::string before = Bytes(path);
      form_->OpenFile(path, type);
      form_->Save1Click();  // unchanged: nothing to write, nothing to ask
      QVERIFY(prompts_->LastSuggestedPath.empty());
      QCOMPARE(Bytes(path), before);
    }
    // A changed GIF would be re-quantised: Save asks for a name instead.
    const std::string gif = Temp("walk.gif");
    const std::string before = Bytes(gif);
    form_->OpenFile(gif, dtGIF);
    Doc().BAM.MoveFrameInCycle(0, 0, 3);
    Doc().Modified = true;
    form_->Save1Click();
    QCOMPARE(prompts_->LastSuggestedPath, gif);
    QCOMPARE(Bytes(gif), before);
  }

  void saveAsToAPictureMakesTheDocumentThatFile() {
    form_->OpenFile(MakePng("first.png"), dtPNG);
    const std::string bmp = Temp("second.bmp");
    form_->SaveAs1Click();  // cancelled: read the offered pairs
    const auto pairs = SplitFilter(prompts_->LastSaveFilter);
    int bitmap_pair = -1;
    for (std::size_t i = 0; i < pairs.size(); ++i)
      if (pairs[i].Patterns == "*.bmp") bitmap_pair = static_cast<int>(i);
    prompts_->SaveChoices = {{true, bmp, bitmap_pair}};
    form_->SaveAs1Click();
    QVERIFY(form_->windowTitle().contains("second.bmp"));
    QCOMPARE(Doc().BAM.FileName, bmp);

    // An exact kind takes a changed picture back under the new name.
    Doc().Modified = true;
    std::filesystem::remove(bmp);
    form_->Save1Click();
    QVERIFY(std::filesystem::exists(bmp));
    Doc().Modified = true;
    prompts_->YesNoCancelAnswers = {PromptAnswer::Cancel};
    QVERIFY(!form_->Close1Click());
    QCOMPARE(prompts_->History.back().Text, "Do you want to save changes to " + bmp + "?");
  }

  void saveAsKeepsTheFilesOwnExtensionCase() {
    if (!std::filesystem::exists(kLargeBAM)) QSKIP("shared test animations not present");
    const std::string upper = Temp("CHMB1G11.BAM");
    std::filesystem::copy_file(kLargeBAM, upper);
    form_->OpenFile(upper, dtBAM);
    prompts_->SaveChoices = {{true, Temp("COPY"), 1}};
    form_->SaveAs1Click();
    QCOMPARE(prompts_->LastSuggestedPath, upper);
    QCOMPARE(prompts_->LastSavePreselected, 0);
    QVERIFY(std::filesystem::exists(Temp("COPY.BAM")));
    QVERIFY(!std::filesystem::exists(Temp("COPY.bam")));
  }

  void theRepairReportOfABadlyDamagedFileFitsTheScreen() {
    if (!std::filesystem::exists(kLargeBAM)) QSKIP("shared test animations not present");
    const std::string truncated = Temp("cut.bam");
    const std::string whole = Bytes(kLargeBAM);
    std::ofstream(truncated, std::ios::binary) << whole.substr(0, whole.size() / 3);
    form_->OpenFile(truncated, dtBAM);
    QVERIFY(form_->BAMForm());
    QCOMPARE(Doc().BAM.Warnings.size() > 20, true);
    const RepairReport report = MakeRepairReport(truncated, Doc().BAM.Warnings);
    QVERIFY(std::count(report.Summary.begin(), report.Summary.end(), '\r') < 12);
    QVERIFY(report.Details.find(Doc().BAM.Warnings.back()) != std::string::npos);

    // Shown with every detail open, the box still fits the screen with its OK button on it.
    auto box = MakeReportBox(form_.get(), "Celwright II", report.Summary, report.Details);
    box->show();
    for (QAbstractButton* button : box->buttons())
      if (box->buttonRole(button) == QMessageBox::ActionRole) button->click();
    QVERIFY(box->findChild<QTextEdit*>()->isVisible());
    QApplication::processEvents();
    const QRect screen = box->screen()->availableGeometry();
    QVERIFY2(box->frameGeometry().height() <= screen.height(),
             qPrintable(QString::number(box->frameGeometry().height())));
  }
};

QTEST_MAIN(FileSafetyTest)
#include "file_safety_test.moc"
