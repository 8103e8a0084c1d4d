// Selections through the real widgets: a rectangle dragged with the mouse and moved, copied
// with Ctrl+C onto the system clipboard, pasted back with Ctrl+V, saved and read back, with the
// Edit menu and the selection panel's buttons following each step.
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QToolButton>

#include "app/editor_fixture.h"
#include "document/selection_transfer.h"
#include "document/work_image_render.h"

using namespace celwright;

class SelectionTest : public QObject, public EditorFixture {
  Q_OBJECT

  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(form_.get(), key, modifiers);
  }
  bool ButtonEnabled(const char* name) {
    return form_->findChild<QToolButton*>(QString("Btn_") + name)->isEnabled();
  }
  static int IndexOf(const Bitmap& indices, int x, int y) { return RedOf(indices.GetPixel(x, y)); }

 private slots:
  void init() { StartEditor(); }
  void cleanup() { StopEditor(); }

  void dragMoveCopyPasteSaveAndReopen() {
    QApplication::clipboard()->clear();
    QVERIFY(NewActiveDocument());
    Doc().FixFrameSize(0, 0, 16, 16, 32, 32, true, true);
    Bitmap& indices = Doc().WorkImage[1];
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) indices.SetPixel(x, y, MakeColor((x + 3 * y) % 200 + 2, 0, 0));
    RenderIndexImage(Doc().BAM, indices, Doc().WorkImage[0]);
    const Bitmap original = indices;
    Doc().ShowFrame(0);  // the set-up lands, so the move below is the only unsaved change
    Doc().RedrawImage(false);
    form_->RefreshCommandStates();
    QVERIFY(!Enabled("Copy1"));
    QVERIFY(!ButtonEnabled("Copy"));
    QVERIFY(Enabled("SelectAll1"));
    QVERIFY(!Enabled("SelectNone1"));

    QTest::mouseClick(form_->findChild<QAbstractButton*>("Btn_SelRect"), Qt::LeftButton);
    Drag({2, 2}, {11, 6});
    QVERIFY(Doc().HasSelection);
    for (const char* entry : {"Copy1", "Cut1", "Clear1", "Crop1", "SelectNone1", "Inverse1"})
      QVERIFY2(Enabled(entry), entry);
    for (const char* button : {"Crop", "Cut", "Copy"}) QVERIFY2(ButtonEnabled(button), button);

    Key(Qt::Key_C, Qt::ControlModifier);
    const QImage first = QApplication::clipboard()->image();
    QCOMPARE(first.size(), QSize(10, 5));
    QVERIFY(QApplication::clipboard()->mimeData()->hasFormat(kSelectionMimeType));
    QVERIFY(Enabled("Paste1"));
    QVERIFY(ButtonEnabled("Paste"));

    Drag({4, 4}, {7, 5});
    QCOMPARE(Doc().SelOffset, (Point{3, 1}));
    Key(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->image(), first);
    TBAM moved;  // a selection still floating is part of what is saved
    QVERIFY(SaveAsAndReopen("moved.bam", moved));
    QCOMPARE(IndexOf(Indices(moved, 0), 14, 7), IndexOf(original, 11, 6));

    Key(Qt::Key_D, Qt::ControlModifier);
    QVERIFY(!Doc().HasSelection);
    QVERIFY(!Enabled("Copy1"));
    Key(Qt::Key_V, Qt::ControlModifier);
    QVERIFY(Doc().HasSelection);

    TBAM reopened;
    QVERIFY(SaveAsAndReopen("selection.bam", reopened));
    const Bitmap saved = Indices(reopened, 0);
    QCOMPARE(saved.Width(), 32);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 10; ++x) QCOMPARE(IndexOf(saved, x, y), IndexOf(original, x + 2, y + 2));
    QCOMPARE(IndexOf(saved, 14, 7), IndexOf(original, 11, 6));
    QCOMPARE(IndexOf(saved, 20, 20), IndexOf(original, 20, 20));
  }

  void centreButtonPlacesTheCentreInTheMiddle() {
    form_->New1Click();
    Doc().FixFrameSize(0, 0, 0, 0, 20, 10, true, true);
    QTest::mouseClick(form_->findChild<QAbstractButton*>("Btn_SetCent"), Qt::LeftButton);
    auto* centre = form_->findChild<QToolButton*>("Btn_AbsCent");
    QVERIFY(centre && centre->isVisible());
    QTest::mouseClick(centre, Qt::LeftButton);
    QCOMPARE(Doc().FrameRec.CentreX, 10);
    QCOMPARE(Doc().FrameRec.CentreY, 5);
    QVERIFY(form_->isWindowModified());
    form_->Entry("Undo1")->trigger();
    QVERIFY(Doc().FrameRec.CentreX != 10);
  }
};

QTEST_MAIN(SelectionTest)
#include "selection_test.moc"
