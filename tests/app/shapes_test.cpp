// The shape tools through the real widgets: tool buttons, thickness and fill style in the
// options panel, shapes drawn with mouse events on the frame, Esc, then saved and read back.
#include <QAbstractButton>
#include <QApplication>
#include <QSpinBox>

#include "app/app_test_registry.h"
#include "app/editor_fixture.h"

using namespace celwright;

class ShapesTest : public QObject, public EditorFixture {
  Q_OBJECT

 private slots:
  void init() { StartEditor(); }
  void cleanup() { StopEditor(); }

  void drawEachShapeSaveAndReopen() {
    QVERIFY(NewActiveDocument());
    PickColour(67);
    PickColour(90, Qt::RightButton);
    QWidget* fill_style = form_->findChild<QWidget*>("Group_FillStyle");
    auto* pen = form_->findChild<QSpinBox*>("Spin_PenWidth");

    Press("Btn_Line");
    QVERIFY(!fill_style->isVisibleTo(form_.get()));
    Drag(1, 1, 10, 1);
    for (int x = 1; x <= 10; ++x) QCOMPARE(IndexAt(x, 1), 67);

    // A right-button curve in three presses keeps the right button's colour to the end.
    Press("Btn_Curve");
    Drag(1, 3, 20, 3, Qt::RightButton);
    Click(1, 3);
    Click(20, 3);
    for (int x = 1; x <= 20; ++x) QCOMPARE(IndexAt(x, 3), 90);  // the end pixel too

    Press("Btn_Rect");
    QVERIFY(fill_style->isVisibleTo(form_.get()));
    Press("Btn_FGFill");
    Send(QEvent::MouseButtonPress, 2, 6, Qt::LeftButton, Qt::LeftButton);
    Send(QEvent::MouseMove, 8, 10, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(RedOf(Doc().OverlayImage[1].GetPixel(5, 8)), 67);
    QCOMPARE(IndexAt(5, 8), 0);
    Send(QEvent::MouseButtonRelease, 8, 10, Qt::LeftButton, Qt::NoButton);
    for (int y = 6; y <= 10; ++y)
      for (int x = 2; x <= 8; ++x) QCOMPARE(IndexAt(x, y), 67);

    Press("Btn_RoundRect");
    Press("Btn_BGFill");
    Drag(12, 6, 30, 20);
    QCOMPARE(IndexAt(21, 13), 90);
    QCOMPARE(IndexAt(12, 13), 67);

    Press("Btn_Ellipse");
    Press("Btn_NoFill");
    pen->setValue(3);
    Drag(2, 22, 10, 30);
    QCOMPARE(IndexAt(2, 26), 67);
    QCOMPARE(IndexAt(4, 26), 67);
    QCOMPARE(IndexAt(1, 26), 0);  // the thickness stays inside the box
    QCOMPARE(IndexAt(6, 26), 0);
    pen->setValue(1);

    Press("Btn_Poly");
    Press("Btn_FGFill");
    Click(20, 22);
    Click(30, 22);
    // Esc drops a polygon under construction; the next press starts afresh.
    QTest::keyClick(form_.get(), Qt::Key_Escape);
    QCOMPARE(IndexAt(25, 22), 0);
    Click(20, 22);
    Click(30, 22);
    Send(QEvent::MouseMove, 25, 30, Qt::NoButton, Qt::NoButton);
    Click(25, 30, true);
    QCOMPARE(IndexAt(25, 25), 67);
    QCOMPARE(Doc().UndoCount(), 6);

    const Bitmap drawn = Doc().WorkImage[1];
    TBAM reopened;
    QVERIFY(SaveAsAndReopen("shapes.bam", reopened));
    QVERIFY(Indices(reopened, 0).Pixels() == drawn.Pixels());
  }
};

CELWRIGHT_APP_TEST(ShapesTest)
#include "shapes_test.moc"
