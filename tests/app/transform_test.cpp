// Reflect, flip and rotation through the real widgets: the Edit menu's shortcuts and the free
// rotation panel on a frame of a real animation, saved and read back.
#include <QAbstractButton>
#include <QApplication>
#include <QSpinBox>
#include <QStackedWidget>
#include <cmath>

#include "app/app_test_registry.h"
#include "app/editor_fixture.h"

using namespace celwright;

class TransformTest : public QObject, public EditorFixture {
  Q_OBJECT

  const std::string kRabbit = testing::RealFile("rabbG11.bam");

  void OpenActive(const std::string& file) {
    form_->OpenFile(file, dtBAM);
    QVERIFY(form_->BAMForm());
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
  }
  // Shows the first frame that is not square, so a turn shows in its size.
  int ShowOblongFrame() {
    int frame = 0;
    while (Doc().BAM.GetFrame(frame).Width == Doc().BAM.GetFrame(frame).Height) ++frame;
    Doc().ShowFrame(frame);
    return frame;
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
  }

 private slots:
  void init() { StartEditor(); }
  void cleanup() { StopEditor(); }

  void reflectByKeyThenTurnByThePanelReachTheSavedFile() {
    QVERIFY_REAL_FILE(kRabbit);
    OpenActive(kRabbit);
    TBAM original;
    QVERIFY(original.LoadFromFile(kRabbit));
    const int frame = ShowOblongFrame();
    const TBAMFrame before = original.GetFrame(frame);
    const Bitmap source = Indices(original, frame);

    QTest::keyClick(form_.get(), Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(Doc().UndoCount(), 1);
    // -90 whole degrees from the panel is a clockwise quarter turn.
    Press("Btn_FreeRotate");
    QCOMPARE(form_->OptionPanels->currentWidget()->objectName(), QString("Panel_FreeRotate"));
    form_->Spin_Angle->setValue(-90);
    Press("Btn_ApplyRotate");
    QCOMPARE(Doc().UndoCount(), 2);
    QCOMPARE(Doc().FrameRec.Width, before.Height);
    QCOMPARE(Doc().FrameRec.Height, before.Width);

    TBAM reopened;
    QVERIFY(SaveAsAndReopen("turned.bam", reopened));
    const Bitmap turned = Indices(reopened, frame);
    QCOMPARE(turned.Width(), before.Height);
    QCOMPARE(turned.Height(), before.Width);
    // Reflected, then turned clockwise: result (i, j) is reflected (j, H - 1 - i).
    for (int j = 0; j < turned.Height(); ++j)
      for (int i = 0; i < turned.Width(); ++i)
        QCOMPARE(turned.GetPixel(i, j),
                 source.GetPixel(before.Width - 1 - j, before.Height - 1 - i));
    QCOMPARE(Indices(reopened, frame + 1), Indices(original, frame + 1));

    form_->activateWindow();  // the save's progress window took the focus
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    // Ctrl+R applies the panel's angle again (keys go to the focused Apply button).
    form_->Spin_Angle->setValue(90);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(Doc().FrameRec.Width, before.Width);
    QCOMPARE(RedOf(Doc().WorkImage[1].GetPixel(0, 0)), RedOf(source.GetPixel(before.Width - 1, 0)));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Doc().FrameRec.Width, before.Height);
  }

  void theHundredthsAddToANegativeWholePart() {
    QVERIFY_REAL_FILE(kRabbit);
    OpenActive(kRabbit);
    ShowOblongFrame();
    const TBAMFrame before = Doc().FrameRec;
    form_->Spin_Angle->setValue(-45);
    form_->Spin_Angle2->setValue(50);
    QTest::keyClick(form_.get(), Qt::Key_R, Qt::ControlModifier);
    // -44.5 degrees: sine and cosine 0.7009 and 0.7133 to four places.
    QCOMPARE(Doc().FrameRec.Width,
             static_cast<int>(std::lrint(before.Width * 0.7133 + before.Height * 0.7009)));
    QCOMPARE(Doc().FrameRec.Height,
             static_cast<int>(std::lrint(before.Height * 0.7133 + before.Width * 0.7009)));
  }

  void reflectASelectionThenWalkAwayAndBack() {
    QVERIFY_REAL_FILE(kRabbit);
    OpenActive(kRabbit);
    const Bitmap source = Indices(Doc().BAM, 0);
    QVERIFY(source.Width() >= 8 && source.Height() >= 10);
    Press("Btn_SelRect");
    Drag(2, 3, 6, 8);  // a 5 x 6 box
    QVERIFY(Doc().HasSelection);
    Key(Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    Key(Qt::Key_PageDown, Qt::AltModifier);
    QCOMPARE(Doc().CurrentFrame, 1);
    Key(Qt::Key_PageUp, Qt::AltModifier);
    QCOMPARE(Doc().CurrentFrame, 0);

    TBAM reopened;
    QVERIFY(SaveAsAndReopen("reflected.bam", reopened));
    const Bitmap saved = Indices(reopened, 0);
    for (int y = 0; y < source.Height(); ++y) {
      for (int x = 0; x < source.Width(); ++x) {
        const bool inside = x >= 2 && x <= 6 && y >= 3 && y <= 8;
        QCOMPARE(saved.GetPixel(x, y), source.GetPixel(inside ? 8 - x : x, y));
      }
    }
  }

  void theFreeRotationToolDragsTheSelectionItTurns() {
    QVERIFY_REAL_FILE(kRabbit);
    OpenActive(kRabbit);
    const Bitmap source = Indices(Doc().BAM, 0);
    const TBAMFrame frame = Doc().FrameRec;
    Press("Btn_SelRect");
    Drag(1, 1, 4, 2);  // 4 x 2 at (1, 1)
    Press("Btn_FreeRotate");
    Drag(2, 1, 5, 3);  // grabbed inside, moved by (3, 2)
    QCOMPARE(IndexAt(4, 3), RedOf(source.GetPixel(1, 1)));
    QCOMPARE(IndexAt(7, 4), RedOf(source.GetPixel(4, 2)));
    // Turned anticlockwise where it now lies: a 2 x 4 box from (4, 3), the frame unchanged.
    Key(Qt::Key_PageUp, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(Doc().FrameRec.Width, frame.Width);
    QCOMPARE(Doc().FrameRec.Height, frame.Height);
    QCOMPARE(IndexAt(4, 3), RedOf(source.GetPixel(4, 1)));
    QCOMPARE(IndexAt(5, 6), RedOf(source.GetPixel(1, 2)));
  }
};

CELWRIGHT_APP_TEST(TransformTest)
#include "transform_test.moc"
