// Reflect, flip and rotation through the real widgets: the Edit menu's shortcuts and the free
// rotation panel on a frame of a real animation, saved and read back.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
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
    QVERIFY(ActivateEditor());
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

    QVERIFY(ActivateEditor());  // the save's progress window took the focus
    // Ctrl+R applies the panel's angle again (keys go to the focused Apply button).
    form_->Spin_Angle->setValue(90);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(Doc().FrameRec.Width, before.Width);
    QCOMPARE(RedOf(Doc().WorkImage[1].GetPixel(0, 0)), RedOf(source.GetPixel(before.Width - 1, 0)));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Doc().FrameRec.Width, before.Height);
  }

  // Frame 1 is 12 x 21: a 6 x 4 box across the middle column turned clockwise becomes 4 x 6
  // in place, each pixel once, and no pixel outside the two boxes changes.
  void aQuarterTurnOfASelectionMovesEachPixelOnce() {
    OpenActive(kRabbit);
    Doc().ShowFrame(1);
    QCOMPARE(Doc().FrameRec.Width, 12);
    QCOMPARE(Doc().FrameRec.Height, 21);
    const Bitmap source = Indices(Doc().BAM, 1);
    form_->Combo_Mag->setCurrentIndex(3);
    emit form_->Combo_Mag->activated(3);
    QCOMPARE(Doc().Zoom, 16);
    Press("Btn_SelRect");
    Drag(2, 6, 7, 9);
    Key(Qt::Key_PageDown, Qt::ControlModifier | Qt::ShiftModifier);
    Press("Btn_Pencil");
    const int background = form_->Options().BackgroundIndex;

    TBAM reopened;
    QVERIFY(SaveAsAndReopen("quarter.bam", reopened));
    const Bitmap saved = Indices(reopened, 1);
    for (int y = 0; y < 21; ++y) {
      for (int x = 0; x < 12; ++x) {
        int expected = RedOf(source.GetPixel(x, y));
        if (x >= 2 && x <= 7 && y >= 6 && y <= 9) expected = background;
        // The turned box: its (u, v) is the old box's (v, 3 - u).
        if (x >= 2 && x <= 5 && y >= 6 && y <= 11)
          expected = RedOf(source.GetPixel(2 + (y - 6), 6 + 3 - (x - 2)));
        QCOMPARE(RedOf(saved.GetPixel(x, y)), expected);
      }
    }
  }

  // A diagonal turn nearly doubles a frame's area: past what a frame may hold it is refused
  // with a message, and the frame and its history stay as they were.
  void aTurnPastTheFrameSizeLimitIsRefused() {
    QVERIFY(NewActiveDocument());
    Doc().FixFrameSize(0, 0, 3000, 50, 6000, 100, true, true);
    const int steps = Doc().UndoCount();
    form_->Spin_Angle->setValue(45);
    Press("Btn_FreeRotate");
    Press("Btn_ApplyRotate");
    QCOMPARE(Doc().FrameRec.Width, 6000);
    QCOMPARE(Doc().FrameRec.Height, 100);
    QCOMPARE(Doc().UndoCount(), steps);
    QCOMPARE(prompts_->Count("info"), 1);
    QVERIFY(prompts_->History.back().Text.find("The turned frame is 4313 x 4313 pixels") == 0);
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

  // Text placed in a selection is part of what the selection holds: reflected with it, it
  // lands reflected rather than at its old place.
  void pendingTextIsReflectedWithTheSelection() {
    QVERIFY(NewActiveDocument());
    Doc().FixFrameSize(0, 0, 60, 30, 120, 60, false, false);
    Bitmap& indices = Doc().WorkImage[1];
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 120; ++x) indices.SetPixel(x, y, MakeColor(200, 0, 0));
    Doc().ImageChanged = true;
    Doc().ShowFrame(0);
    form_->Options().ForegroundIndex = 9;
    form_->Options().BackgroundIndex = 7;
    Press("Btn_SelRect");
    Drag(10, 10, 69, 49);  // a 60 x 40 box
    Press("Btn_Text");
    Press("Btn_FntHigh");  // the block is painted whole: letters on paper
    Click(11, 20);
    QVERIFY(Doc().Tool.TextPending);
    const Rect block = Doc().Tool.DrawRect;
    // Inside the box, and nearer its left side, so the reflection shows.
    QVERIFY(block.left >= 10 && block.right <= 70 && block.top >= 10 && block.bottom <= 50);
    QVERIFY(block.left - 10 < 70 - block.right);
    form_->Entry("FlipHorizontal1")->trigger();
    Press("Btn_Pencil");
    for (int y = 0; y < 60; ++y) {
      for (int x = 0; x < 120; ++x) {
        const int mirrored = 10 + 69 - x;
        const bool in_box = x >= 10 && x <= 69 && y >= 10 && y <= 49;
        const bool text = in_box && mirrored >= block.left && mirrored < block.right &&
                          y >= block.top && y < block.bottom;
        QCOMPARE(IndexAt(x, y) != 200, text);
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
