// Selections through the real widgets: a rectangle dragged with the mouse and moved, copied
// with Ctrl+C onto the system clipboard, pasted back with Ctrl+V, saved and read back, with the
// Edit menu and the selection panel's buttons following each step.
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QToolButton>

#include "app/app_test_registry.h"
#include "app/editor_fixture.h"
#include "document/selection_transfer.h"
#include "document/work_image_render.h"

using namespace celwright;

class SelectionTest : public QObject, public EditorFixture {
  Q_OBJECT

  bool ButtonEnabled(const char* name) {
    return form_->findChild<QToolButton*>(QString("Btn_") + name)->isEnabled();
  }
  static int IndexOf(const Bitmap& indices, int x, int y) { return RedOf(indices.GetPixel(x, y)); }

  // A new document whose frame holds a pattern, landed so that it is no edit of its own.
  Bitmap PatternedDocument() {
    if (!NewActiveDocument()) return {};
    Doc().FixFrameSize(0, 0, 16, 16, 32, 32, true, true);
    Bitmap& indices = Doc().WorkImage[1];
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) indices.SetPixel(x, y, MakeColor((x + 3 * y) % 200 + 2, 0, 0));
    RenderIndexImage(Doc().BAM, indices, Doc().WorkImage[0]);
    const Bitmap original = indices;
    Doc().ShowFrame(0);
    Doc().ResetHistory();  // as if just opened: what follows is the only change
    Doc().Modified = false;
    Doc().RedrawImage(false);
    form_->RefreshCommandStates();
    return original;
  }

 private slots:
  void init() { StartEditor(); }
  void cleanup() { StopEditor(); }

  void dragMoveCopyPasteSaveAndReopen() {
    QApplication::clipboard()->clear();
    const Bitmap original = PatternedDocument();
    QVERIFY(!original.Empty());
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
    // The stamp panel's picture of the copy is large enough to make out.
    QCOMPARE(form_->findChild<QLabel*>("Img_Stamp")->pixmap().size(), QSize(90, 45));
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

  void keysAndTurnsMoveTheSelectionAsUndoableEdits() {
    const Bitmap original = PatternedDocument();
    QVERIFY(!original.Empty());
    QTest::mouseClick(form_->findChild<QAbstractButton*>("Btn_SelRect"), Qt::LeftButton);
    Drag({2, 2}, {11, 6});
    QVERIFY(!Enabled("Undo1") && !form_->isWindowModified());
    QWidget* view = form_->View();
    QTest::keyClick(view, Qt::Key_Right);
    QCOMPARE(Doc().SelOffset, (Point{1, 0}));
    QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(Doc().SelOffset, (Point{1, 10}));
    QCOMPARE(IndexOf(Doc().WorkImage[1], 3, 12), IndexOf(original, 2, 2));
    QVERIFY(Enabled("Undo1") && form_->isWindowModified());
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(IndexOf(Doc().WorkImage[1], 3, 12), IndexOf(original, 3, 12));
    QVERIFY(!Enabled("Undo1"));

    // A dragged move and a quarter turn count the same.
    Drag({2, 2}, {11, 6});
    Drag({4, 4}, {6, 4});
    QCOMPARE(Doc().SelOffset, (Point{2, 0}));
    QVERIFY(Enabled("Undo1"));
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(IndexOf(Doc().WorkImage[1], 13, 6), IndexOf(original, 13, 6));
    Drag({2, 2}, {11, 6});
    QVERIFY(!Enabled("Undo1"));
    form_->Entry("RotateClock1")->trigger();
    QVERIFY(Enabled("Undo1") && form_->isWindowModified());

    // A selection of nothing has nothing to copy, cut, clear or crop.
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_I, Qt::ControlModifier);
    QVERIFY(Doc().HasSelection);
    for (const char* entry : {"Copy1", "Cut1", "Clear1", "Crop1"}) QVERIFY2(!Enabled(entry), entry);
    for (const char* button : {"Crop", "Cut", "Copy"}) QVERIFY2(!ButtonEnabled(button), button);
  }

  // A copy pasted or stamped after the palette changed looks as it did when copied: each pixel
  // takes the entry that now shows its colour, or the nearest other one, and the screen and the
  // saved indices agree.
  void pasteAndStampAfterAPaletteChangeKeepTheCopiedColours() {
    QApplication::clipboard()->clear();
    QVERIFY(NewActiveDocument());
    Doc().FixFrameSize(0, 0, 8, 8, 16, 16, true, true);
    Palette256& palette = Doc().BAM.Palette;
    for (int i = 2; i < 256; ++i) {
      const auto grey = static_cast<std::uint8_t>(i);
      palette[i] = {grey, grey, grey};
    }
    palette[50] = {10, 200, 30};  // no grey comes near this green
    Bitmap& indices = Doc().WorkImage[1];
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) indices.SetPixel(x, y, MakeColor(100, 0, 0));
    indices.SetPixel(0, 0, MakeColor(20, 0, 0));
    indices.SetPixel(1, 0, MakeColor(50, 0, 0));
    RenderIndexImage(Doc().BAM, indices, Doc().WorkImage[0]);
    Doc().ShowFrame(0);

    QTest::mouseClick(form_->findChild<QAbstractButton*>("Btn_SelRect"), Qt::LeftButton);
    Drag({0, 0}, {1, 0});
    Key(Qt::Key_C, Qt::ControlModifier);
    Key(Qt::Key_D, Qt::ControlModifier);
    form_->Entry("Negative1")->trigger();  // grey 20 is entry 235 now; nothing is green
    QCOMPARE(ToColor(palette[235]), MakeColor(20, 20, 20));

    const auto check = [&](const Bitmap& shown_indices, int x, int y) {
      QCOMPARE(IndexOf(shown_indices, x, y), 235);
      const int nearest = IndexOf(shown_indices, x + 1, y);
      QVERIFY(nearest >= 2 && nearest != 50);
      // Nearer the green than the entry it had, which shows magenta now.
      auto distance = [&](TColor c) {
        const int r = RedOf(c) - 10, g = GreenOf(c) - 200, b = BlueOf(c) - 30;
        return r * r + g * g + b * b;
      };
      QVERIFY(distance(ToColor(palette[nearest])) < distance(ToColor(palette[50])));
      QCOMPARE(Doc().WorkImage[0].GetPixel(x + 1, y), ToColor(palette[nearest]));
    };
    Key(Qt::Key_V, Qt::ControlModifier);
    check(Doc().WorkImage[1], 0, 0);
    if (QTest::currentTestFailed()) return;
    Key(Qt::Key_D, Qt::ControlModifier);

    // The stamp paints the same copy, centred on the click: (7, 8) and (8, 8).
    QTest::mouseClick(form_->findChild<QAbstractButton*>("Btn_Stamp"), Qt::LeftButton);
    Click(8, 8);
    check(Doc().WorkImage[1], 7, 8);
    if (QTest::currentTestFailed()) return;
    QCOMPARE(Doc().WorkImage[0].GetPixel(7, 8), MakeColor(20, 20, 20));

    TBAM reopened;
    QVERIFY(SaveAsAndReopen("pasted.bam", reopened));
    check(Indices(reopened, 0), 0, 0);
    check(Indices(reopened, 0), 7, 8);
  }

  // Another program's picture that no frame could hold is refused with a message before any
  // work is done, and Paste Into New Frame adds no frame for it.
  void aPictureTooLargeForAFrameIsRefused() {
    QVERIFY(NewActiveDocument());
    QImage wide(70000, 2, QImage::Format_RGB32);
    wide.fill(Qt::red);
    QApplication::clipboard()->setImage(wide);
    form_->RefreshCommandStates();
    const int frames = Doc().BAM.FrameCount();
    QVERIFY(Enabled("PasteIntoNew1"));
    form_->Entry("PasteIntoNew1")->trigger();
    QCOMPARE(Doc().BAM.FrameCount(), frames);
    QCOMPARE(prompts_->Count("info"), 1);
    QVERIFY(prompts_->History.back().Text.rfind(
                "The picture on the clipboard is 70000 x 2 pixels, more than a frame can hold",
                0) == 0);
    Key(Qt::Key_V, Qt::ControlModifier);
    QVERIFY(!Doc().HasSelection);
    QCOMPARE(prompts_->Count("info"), 2);
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

CELWRIGHT_APP_TEST(SelectionTest)
#include "selection_test.moc"
