// Several documents in one window: each in its own tab with its own frame, zoom and history;
// a selection cut from one real animation and pasted into another keeps its colours on the
// other palette; closing the window asks once about every unsaved document.
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPushButton>
#include <QMimeData>
#include <QTabBar>
#include <QTimer>
#include <QUrl>

#include <filesystem>

#include "app/app_test_registry.h"
#include "app/editor_fixture.h"
#include "app/settings_dialog.h"

using namespace celwright;
namespace fs = std::filesystem;

namespace {

int Distance(RGBTriple a, RGBTriple b) {
  const int r = a.r - b.r, g = a.g - b.g, bl = a.b - b.b;
  return r * r + g * g + bl * bl;
}

}  // namespace

class DocumentSetTest : public QObject, public EditorFixture {
  Q_OBJECT

  std::string CopyOf(const char* name) { return CopyToTemp(testing::RealFile(name), name); }
  // The w x h block at the top-left of `pasted` (entries of `target`) shows what the block of
  // `copied` (entries of `source`) showed: transparent and shadow stay, every other pixel takes
  // an entry from 2 up, and the copied colour itself where the target's palette had it.
  // Returns how many pixels changed entry.
  static int CheckSeenAlike(const TBAM& source, const Bitmap& copied, const TBAM& target_before,
                            const TBAM& target, const Bitmap& pasted, int w, int h) {
    int remapped = 0;
    for (int y = 0; y < std::min(h, pasted.Height()); ++y) {
      for (int x = 0; x < std::min(w, pasted.Width()); ++x) {
        const int was = RedOf(copied.GetPixel(x, y));
        const int now = RedOf(pasted.GetPixel(x, y));
        const QString where = QString("pixel %1,%2").arg(x).arg(y);
        if (was < 2) {
          if (now != was) QTest::qFail(qPrintable(where + " left transparent or shadow"), __FILE__, __LINE__);
          continue;
        }
        if (now < 2) QTest::qFail(qPrintable(where + " became transparent or shadow"), __FILE__, __LINE__);
        const RGBTriple colour = source.Palette[static_cast<std::size_t>(was)];
        bool exact_exists = false;
        for (std::size_t k = 2; k < 256; ++k)
          exact_exists = exact_exists || Distance(target_before.Palette[k], colour) == 0;
        if (exact_exists && Distance(target.Palette[static_cast<std::size_t>(now)], colour) != 0)
          QTest::qFail(qPrintable(where + " lost its exact colour"), __FILE__, __LINE__);
        remapped += now != was;
      }
    }
    return remapped;
  }

 private slots:
  void init() { StartEditor(); }
  void cleanup() { StopEditor(); }

  void aSelectionCutInOneDocumentPastesIntoAnotherPaletteAsSeen() {
    QApplication::clipboard()->clear();
    QVERIFY_REAL_FILE(testing::RealFile("rabbG11.bam"));
    QVERIFY_REAL_FILE(testing::RealFile("wmdag.bam"));
    const std::string source = CopyOf("rabbG11.bam"), target = CopyOf("wmdag.bam");
    TBAM source_before, target_before;
    QVERIFY(source_before.LoadFromFile(source) && target_before.LoadFromFile(target));

    form_->OpenFile(source, dtBAM);
    form_->OpenFile(target, dtBAM);
    QCOMPARE(form_->DocumentCount(), 2);
    QCOMPARE(form_->ActiveDocumentIndex(), 1);
    auto* tabs = form_->findChild<QWidget*>("DocumentArea")->findChild<QTabBar*>();
    QVERIFY(tabs);
    QCOMPARE(tabs->count(), 2);
    QVERIFY(tabs->tabText(0).startsWith("rabbG11.bam") && !tabs->tabText(0).endsWith("*"));
    QVERIFY(tabs->tabText(1).startsWith("wmdag.bam"));
    // Opening a file that is open shows its tab instead of a second copy.
    form_->OpenFile(source, dtBAM);
    QCOMPARE(form_->DocumentCount(), 2);
    QCOMPARE(form_->ActiveDocumentIndex(), 0);
    QCOMPARE(Doc().BAM.FileName, source);
    QVERIFY(ActivateEditor());

    // Cut a block from the source's first frame at 4x.
    form_->Combo_MagChange(1);
    const Bitmap source_indices = Indices(source_before, 0);
    const int w = std::min(8, source_indices.Width()), h = std::min(8, source_indices.Height());
    QTest::mouseClick(form_->findChild<QAbstractButton*>("Btn_SelRect"), Qt::LeftButton);
    Drag({0, 0}, {w - 1, h - 1});
    Key(Qt::Key_X, Qt::ControlModifier);
    QVERIFY(Doc().Modified || Doc().ImageChanged);
    QVERIFY(tabs->tabText(0).endsWith("*"));

    // Over to the target: its own zoom and an empty history.
    Key(Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(form_->ActiveDocumentIndex(), 1);
    QCOMPARE(tabs->currentIndex(), 1);
    QVERIFY(form_->View()->isVisible());
    QCOMPARE(form_->findChild<QComboBox*>("Combo_Mag")->currentIndex(), 0);
    QVERIFY(!Enabled("Undo1"));
    Key(Qt::Key_V, Qt::ControlModifier);
    Key(Qt::Key_D, Qt::ControlModifier);
    QVERIFY(Enabled("Undo1"));
    Key(Qt::Key_S, Qt::ControlModifier);

    // Back to the source: its zoom, and its cut still undoable apart from the paste.
    Key(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(form_->ActiveDocumentIndex(), 0);
    QCOMPARE(form_->findChild<QComboBox*>("Combo_Mag")->currentIndex(), 1);
    QVERIFY(Enabled("Undo1"));
    Key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(prompts_->Count("error"), 0);

    TBAM source_after, target_after;
    QVERIFY(source_after.LoadFromFile(source) && target_after.LoadFromFile(target));
    const Bitmap cut = Indices(source_after, 0), pasted = Indices(target_after, 0);
    for (int y = 0; y < std::min(h, pasted.Height()); ++y)
      for (int x = 0; x < std::min(w, pasted.Width()); ++x)
        QCOMPARE(RedOf(cut.GetPixel(x, y)), 0);  // the cut left the background
    const int remapped = CheckSeenAlike(source_before, source_indices, target_before, target_after,
                                        pasted, w, h);
    if (QTest::currentTestFailed()) return;
    QVERIFY(remapped > 0);  // the two palettes differ where the block was
    // Beyond the block both frames are as they were.
    QCOMPARE(cut.Width(), source_indices.Width());
    if (cut.Width() > w) QCOMPARE(cut.GetPixel(w, 0), source_indices.GetPixel(w, 0));
  }

  // A frame copied whole, or dragged from the list, goes to the end of another document, centre
  // and look kept, as one step.
  void copyFramesAndPasteFramesCarryAFrameToAnotherDocument() {
    const std::string source = CopyOf("rabbG11.bam"), target = CopyOf("wmdag.bam");
    TBAM source_bam, target_before;
    QVERIFY(source_bam.LoadFromFile(source) && target_before.LoadFromFile(target));
    form_->OpenFile(source, dtBAM);
    form_->OpenFile(target, dtBAM);
    QVERIFY(!Enabled("PasteFrames1"));
    form_->ActivateDocument(0);
    QCOMPARE(Doc().CurrentFrame, source_bam.GetCycle(0).Frames[0]);
    const int copied = Doc().CurrentFrame;
    form_->Entry("CopyFrames1")->trigger();
    form_->NextDocument1Click();
    QVERIFY(Enabled("PasteFrames1"));
    const int count = Doc().BAM.FrameCount();
    form_->Entry("PasteFrames1")->trigger();
    QCOMPARE(Doc().BAM.FrameCount(), count + 1);
    QCOMPARE(form_->DocumentAt(0)->BAM.FrameCount(), source_bam.FrameCount());
    form_->Save1Click();

    TBAM saved;
    QVERIFY(saved.LoadFromFile(target));
    QCOMPARE(saved.FrameCount(), count + 1);
    const TBAMFrame was = source_bam.GetFrame(copied), now = saved.GetFrame(count);
    QCOMPARE(now.Width, was.Width);
    QCOMPARE(now.Height, was.Height);
    QCOMPARE(now.CentreX, was.CentreX);
    QCOMPARE(now.CentreY, was.CentreY);
    QVERIFY(CheckSeenAlike(source_bam, Indices(source_bam, copied), target_before, saved,
                           Indices(saved, count), was.Width, was.Height) > 0);

    form_->Undo1Click();
    QCOMPARE(Doc().BAM.FrameCount(), count);

    // The frame's entry dragged from the source's list adds it the same way; dropped back on
    // its own document it adds nothing.
    form_->ActivateDocument(0);
    RowList* list = form_->List_Frames;
    std::unique_ptr<QMimeData> dragged(list->model()->mimeData({list->model()->index(copied, 0)}));
    QVERIFY(dragged);
    const auto drop = [&] {
      QWidget* view = form_->View()->viewport();
      QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, dragged.get(), Qt::LeftButton, {});
      QApplication::sendEvent(view, &enter);
      QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, dragged.get(), Qt::LeftButton, {});
      QApplication::sendEvent(view, &dropped);
    };
    drop();
    QCOMPARE(Doc().BAM.FrameCount(), source_bam.FrameCount());
    form_->ActivateDocument(1);
    drop();
    QCOMPARE(Doc().BAM.FrameCount(), count + 1);
    QCOMPARE(Doc().BAM.GetFrame(count).CentreX, was.CentreX);
  }

  // Files named on the command line and files dropped on the window each get a tab; a tab's
  // close button closes its own document, whichever is active.
  void commandLineDropAndTabCloseButtons() {
    const std::string first = CopyOf("rabbG11.bam"), second = CopyOf("wmdag.bam"),
                      third = CopyOf("carot.bam");
    form_ = std::make_unique<TMainForm>(*prompts_, *settings_);
    form_->SetRecoveryFolder(Temp("recovery"));
    form_->CmdLineFileNames = {first, second};
    form_->show();
    QCOMPARE(form_->DocumentCount(), 2);
    QCOMPARE(Doc().BAM.FileName, second);

    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(QString::fromStdString(third)),
                     QUrl::fromLocalFile(QString::fromStdString(first))});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &dropped, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(form_.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form_.get(), &drop);
    QCOMPARE(form_->DocumentCount(), 3);
    QCOMPARE(Doc().BAM.FileName, first);  // already open: its tab came forward
    auto* tabs = form_->findChild<QWidget*>("DocumentArea")->findChild<QTabBar*>();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
    QCOMPARE(Doc().BAM.FileName, third);
    QCOMPARE(form_->List_Frames->count(), Doc().BAM.FrameCount());
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    QCOMPARE(Doc().BAM.FileName, first);
    // The Window menu lists the documents, the active one checked.
    emit form_->findChild<QMenu*>("Window1")->aboutToShow();
    QVERIFY(form_->findChild<QAction*>("WindowDocument1")->isChecked());
    form_->findChild<QAction*>("WindowDocument3")->trigger();
    QCOMPARE(Doc().BAM.FileName, third);
    form_->ActivateDocument(0);

    // Display colours chosen in the settings reach every paletted document, not only the
    // active one.
    QTimer::singleShot(0, [this] {
      TSettingsForm* settings = form_->SettingsForm();
      prompts_->ColorChoices.push_back(MakeColor(10, 20, 30));
      QTest::mouseClick(settings->SpeedButton1, Qt::LeftButton);
      QTest::mouseClick(settings->Btn_Done, Qt::LeftButton);
    });
    form_->Settings1Click();
    QCOMPARE(form_->DocumentAt(2)->BAM.GetTransCol(), MakeColor(10, 20, 30));
    QCOMPARE(Doc().BAM.GetTransCol(), MakeColor(10, 20, 30));

    form_->Entry("Negative1")->trigger();  // the first document has unsaved changes
    auto* close_second = tabs->tabButton(1, QTabBar::RightSide);
    QVERIFY(close_second && !close_second->accessibleName().isEmpty());
    QTest::mouseClick(close_second, Qt::LeftButton);
    QCOMPARE(form_->DocumentCount(), 2);
    QCOMPARE(prompts_->Count("question"), 0);  // the closed one had nothing to save
    QCOMPARE(form_->DocumentAt(0)->BAM.FileName, first);
    QCOMPARE(form_->DocumentAt(1)->BAM.FileName, third);
    QVERIFY(form_->DocumentAt(0)->Modified);

    // Saving over the file of another tab is refused: each save would undo the other's.
    const auto third_size = fs::file_size(third);
    form_->ActivateDocument(0);
    prompts_->SaveChoices = {{true, third, 0}};
    form_->SaveAs1Click();
    QCOMPARE(prompts_->Count("error"), 1);
    QVERIFY(prompts_->History.back().Text.find("open in another tab") != std::string::npos);
    QCOMPARE(fs::file_size(third), third_size);
    QCOMPARE(Doc().BAM.FileName, first);
  }

  // Cancel keeps everything open and unsaved, and so does a question of "Ask for Each"
  // cancelled; Save All writes both files and lets the window go.
  void closingAsksOnceAboutEveryUnsavedDocument() {
    const std::vector<std::string> files = {CopyOf("wmdag.bam"), CopyOf("carot.bam")};
    std::vector<TBAM> before(2);
    for (std::size_t i = 0; i < 2; ++i) {
      QVERIFY(before[i].LoadFromFile(files[i]));
      form_->OpenFile(files[i], dtBAM);
      form_->Entry("Negative1")->trigger();
    }

    prompts_->Choices = {3};  // "Cancel"
    QVERIFY(!form_->close());
    QCOMPARE(prompts_->Count("choice"), 1);
    QCOMPARE(prompts_->Count("question"), 0);
    QVERIFY(prompts_->History.back().Text.find("wmdag.bam") != std::string::npos);
    QVERIFY(prompts_->History.back().Text.find("carot.bam") != std::string::npos);
    QCOMPARE(form_->DocumentCount(), 2);
    TBAM untouched;
    QVERIFY(untouched.LoadFromFile(files[0]) && untouched.Palette == before[0].Palette);

    // "Ask for Each" asks the usual question of each; cancelling one keeps the window.
    prompts_->Choices = {2};
    prompts_->YesNoCancelAnswers = {PromptAnswer::Cancel};
    QVERIFY(!form_->close());
    QCOMPARE(prompts_->Count("question"), 1);
    QVERIFY(prompts_->History.back().Text.find("wmdag.bam") != std::string::npos);
    QVERIFY(form_->DocumentAt(0)->Modified && form_->DocumentAt(1)->Modified);

    prompts_->Choices = {0};  // "Save All"
    QVERIFY(form_->close());
    QCOMPARE(prompts_->Count("choice"), 3);
    QCOMPARE(prompts_->Count("question"), 1);
    for (std::size_t i = 0; i < 2; ++i) {
      TBAM saved;
      QVERIFY(saved.LoadFromFile(files[i]));
      for (const std::size_t entry : {2u, 10u, 200u}) {
        QCOMPARE(int(saved.Palette[entry].r), 255 - before[i].Palette[entry].r);
        QCOMPARE(int(saved.Palette[entry].b), 255 - before[i].Palette[entry].b);
      }
    }
  }
};

CELWRIGHT_APP_TEST(DocumentSetTest)

#include "document_set_test.moc"
