// The progress window follows the stages an animation reports while loading and saving.
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QProgressBar>
#include <QTest>

#include "app/app_test_registry.h"
#include "app/progress_window.h"
#include "model/bam_types.h"

using namespace celwright;

class ProgressWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void loadThenSaveThenFinish() {
    TProgForm form(nullptr);
    form.LoadSaveProgress(0, 0, kStageLoadStart, "walk.bam");
    QVERIFY(form.isVisible());
    QVERIFY(form.Panel_Load->isVisibleTo(&form));
    form.LoadSaveProgress(3, 4, kStageLoadFrames, "walk.bam");
    QCOMPARE(form.Prog_Frames->maximum(), 4);
    QCOMPARE(form.Prog_Frames->value(), 3);
    form.LoadSaveProgress(7, 5, kStageLoadPalette, "walk.bam");  // never past the end
    QCOMPARE(form.Prog_Palette->value(), 5);

    form.LoadSaveProgress(0, 0, kStageSaveStart, "walk.bam");
    QVERIFY(!form.Panel_Load->isVisibleTo(&form));
    QCOMPARE(form.Prog_Frames->value(), 0);  // a new operation starts from empty bars
    form.LoadSaveProgress(0, 0, kStageSaveCompressed, "walk.bam");
    QCOMPARE(form.Prog_Seqs->value(), form.Prog_Seqs->maximum());
    form.LoadSaveProgress(0, 0, kStageFinished, "walk.bam");
    QVERIFY(!form.isVisible());
  }

  void showsAFewTimesASecondHoweverOftenItIsTold() {
    TProgForm form(nullptr);
    form.LoadSaveProgress(0, 0, kStageLoadStart, "big.bam");
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // Bars take their values when the window is painted, not on every report.
    QSignalSpy moves(form.Prog_Frames, &QProgressBar::valueChanged);
    QElapsedTimer clock;
    clock.start();
    for (int i = 1; i <= 60000; ++i) form.LoadSaveProgress(i, 60000, kStageLoadFrames, "big.bam");
    // The stage's first and last reports, then at most one each 200 ms.
    QVERIFY2(moves.count() <= 2 + clock.elapsed() / 200,
             qPrintable(QString::number(moves.count())));
    QCOMPARE(form.Prog_Frames->value(), 60000);
    // After a pause the next report is shown, and a new stage at once.
    QTest::qWait(250);
    form.LoadSaveProgress(7, 60000, kStageLoadFrames, "big.bam");
    QCOMPARE(form.Prog_Frames->value(), 7);
    form.LoadSaveProgress(1, 3, kStageLoadCycles, "big.bam");
    QCOMPARE(form.Prog_Seqs->value(), 1);
  }
};

CELWRIGHT_APP_TEST(ProgressWindowTest)
#include "progress_window_test.moc"
