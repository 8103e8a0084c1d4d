// Painting through the real widgets: a tool chosen by its button, a colour by a click on the
// palette, strokes by mouse events on the frame, undo and redo by their keys, and the result
// saved and read back.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCursor>
#include <QLabel>
#include <QSpinBox>
#include <QStackedWidget>
#include <QWheelEvent>
#include <algorithm>

#include "app/app_test_registry.h"
#include "app/document_session.h"
#include "app/editor_fixture.h"

using namespace celwright;

class PaintTest : public QObject, public EditorFixture {
  Q_OBJECT

  bool Logged(const std::string& line) {
    const auto& lines = LogLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

 private slots:
  void init() { StartEditor(); }
  void cleanup() { StopEditor(); }

  void pencilOnThePaletteColourUndoRedoSaveAndReopen() {
    QVERIFY(NewActiveDocument());
    const Bitmap original = Indices(Doc().BAM, 0);

    auto* pencil = form_->findChild<QAbstractButton*>("Btn_Pencil");
    QTest::mouseClick(pencil, Qt::LeftButton);
    QVERIFY(pencil->isChecked());
    QVERIFY(Logged("TOOL: Pencil"));

    PickColour(67);
    QCOMPARE(form_->Options().ForegroundIndex, 67);
    QAccessibleInterface* squares =
        QAccessible::queryAccessibleInterface(form_->findChild<QWidget*>("Img_Pal"));
    QCOMPARE(squares->childCount(), 256);
    QVERIFY(squares->child(67)->text(QAccessible::Name).startsWith("Entry 67: red "));
    QVERIFY(
        form_->findChild<QLabel*>("Panel_Fore")->accessibleDescription().startsWith("Entry 67"));

    Send(QEvent::MouseButtonPress, 5, 5, Qt::LeftButton, Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, 5, 5, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(IndexAt(5, 5), 67);
    // A new animation has colours to paint with: transparent green, shadow black, and every
    // other entry a colour of its own.
    const Palette256& colours = Doc().BAM.Palette;
    QCOMPARE(ToColor(colours[0]), MakeColor(0, 255, 0));
    QCOMPARE(ToColor(colours[1]), MakeColor(0, 0, 0));
    std::vector<TColor> others;
    for (int i = 2; i < 256; ++i) others.push_back(ToColor(colours[static_cast<std::size_t>(i)]));
    std::sort(others.begin(), others.end());
    QVERIFY(std::adjacent_find(others.begin(), others.end()) == others.end());
    QCOMPARE(Doc().WorkImage[0].GetPixel(5, 5), ToColor(colours[67]));
    QVERIFY(form_->View()->hasFocus());
    // A drag paints every pixel up to where it is let go.
    Send(QEvent::MouseButtonPress, 1, 1, Qt::LeftButton, Qt::LeftButton);
    Send(QEvent::MouseMove, 4, 1, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(form_->StatusExtra->text(), QString("4,1"));
    Send(QEvent::MouseButtonRelease, 4, 1, Qt::LeftButton, Qt::NoButton);
    for (int x = 1; x <= 4; ++x) QCOMPARE(IndexAt(x, 1), 67);
    QCOMPARE(Doc().UndoCount(), 2);

    QTest::keyClick(form_.get(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(IndexAt(2, 1), RedOf(original.GetPixel(2, 1)));
    QCOMPARE(IndexAt(5, 5), 67);
    QTest::keyClick(form_.get(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(IndexAt(2, 1), 67);

    TBAM reopened;
    QVERIFY(SaveAsAndReopen("painted.bam", reopened));
    const Bitmap indices = Indices(reopened, 0);
    for (int y = 0; y < original.Height(); ++y) {
      for (int x = 0; x < original.Width(); ++x) {
        const bool painted = (y == 5 && x == 5) || (y == 1 && x >= 1 && x <= 4);
        QCOMPARE(RedOf(indices.GetPixel(x, y)), painted ? 67 : RedOf(original.GetPixel(x, y)));
      }
    }
  }

  void draggingTheCentreKeepsTheFrameStillAndIsOneUndoStep() {
    QVERIFY(NewActiveDocument());
    Doc().FixFrameSize(0, 0, 5, 5, 40, 30, false, true);
    Doc().ImageChanged = false;
    Doc().Modified = false;
    form_->RefreshCommandStates();
    QVERIFY(!form_->isWindowModified());
    Press("Btn_SetCent");
    // The pointer moves one frame pixel at a time; the centre lands where it is let go.
    const QPoint from = ClientOf(16, 16);
    const QPoint step(Doc().Zoom, 0);
    SendAt(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    SendAt(QEvent::MouseMove, from + step, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(Doc().FrameRec.CentreX, 17);
    SendAt(QEvent::MouseMove, from + 2 * step, Qt::NoButton, Qt::LeftButton);
    SendAt(QEvent::MouseButtonRelease, from + 2 * step, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(Doc().FrameRec.CentreX, 18);
    QCOMPARE(Doc().FrameRec.CentreY, 16);
    QVERIFY(form_->isWindowModified());
    QTest::keyClick(form_.get(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Doc().FrameRec.CentreX, 5);
    QCOMPARE(Doc().FrameRec.CentreY, 5);
  }

  void Wheel(QPoint at, int delta) {
    QWidget* viewport = form_->View()->viewport();
    QWheelEvent wheel(QPointF(at), viewport->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, delta),
                      Qt::LeftButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
  }
  QPoint PixelAt(QPoint at) {
    const int zoom = Doc().Zoom;
    return {(at.x() - Doc().ImageOrigin.X) / zoom, (at.y() - Doc().ImageOrigin.Y) / zoom};
  }

  void wheelZoomKeepsThePointedPixelAndNeverJoinsAStrokeAcrossIt() {
    QVERIFY(NewActiveDocument());
    PickColour(67);
    Press("Btn_Pencil");
    // A frame larger than the view scrolls so that the pixel under the pointer stays there.
    Doc().FixFrameSize(0, 0, 100, 100, 400, 300, false, true);
    form_->Combo_MagChange(1);
    const QPoint over = ClientOf(60, 40);
    Wheel(over, 120);
    QCOMPARE(Doc().Zoom, 9);
    QCOMPARE(PixelAt(over), QPoint(60, 40));

    // A frame that fits the view cannot keep its place: the stroke goes on from the pixel now
    // under the pointer instead of drawing a line to it.
    Doc().FixFrameSize(0, 0, 5, 5, 40, 30, false, true);
    form_->Combo_MagChange(1);
    const QPoint at = ClientOf(10, 10);
    const Bitmap before = Doc().WorkImage[1];
    SendAt(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    Wheel(at, -120);
    QCOMPARE(Doc().Zoom, 1);
    const QPoint now = PixelAt(at);
    QVERIFY(now.x() > 12);
    SendAt(QEvent::MouseMove, at + QPoint(1, 0), Qt::NoButton, Qt::LeftButton);
    SendAt(QEvent::MouseButtonRelease, at + QPoint(1, 0), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(IndexAt(10, 10), 67);
    QCOMPARE(IndexAt(now.x(), now.y()), 67);
    QCOMPARE(IndexAt(now.x() + 1, now.y()), 67);
    for (int x = 11; x < now.x(); ++x) QCOMPARE(IndexAt(x, 10), RedOf(before.GetPixel(x, 10)));
  }

  // A brush stroke redraws only the box it changed (with the brush preview it moved), scaled to
  // the zoom: the view must then hold what a redraw of the whole frame gives, at 100 % and
  // magnified with the grid and the checkerboard.
  void aBrushStrokeRedrawsItsBoxAsTheWholeFrameWould() {
    QVERIFY(NewActiveDocument());
    PickColour(67);
    Press("Btn_Brush");
    form_->Options().BrushWidth = 5;
    form_->Options().BrushHeight = 3;
    Doc().FixFrameSize(0, 0, 30, 25, 60, 50, false, true);
    form_->Entry("ShowGrid1")->trigger();
    for (const int magnification : {0, 1}) {
      form_->Combo_MagChange(magnification);
      QCOMPARE(Doc().Zoom > 1, magnification > 0);
      // A view pixel far from the stroke: left as it was proves the box alone was redrawn.
      const QPoint far = ClientOf(50, 5);
      QVERIFY(QRect(QPoint(), form_->View()->viewport()->size()).contains(far));
      Bitmap& view = Doc().ViewImage;
      const TColor far_colour = view.GetPixel(far.x(), far.y());
      view.SetPixel(far.x(), far.y(), MakeColor(1, 2, 3));

      Send(QEvent::MouseButtonPress, 10, 10, Qt::LeftButton, Qt::LeftButton);
      for (const QPoint p : {QPoint(14, 12), QPoint(20, 20), QPoint(17, 26), QPoint(9, 22)})
        Send(QEvent::MouseMove, p.x(), p.y(), Qt::NoButton, Qt::LeftButton);
      QCOMPARE(IndexAt(17, 26), 67);
      QCOMPARE(view.GetPixel(far.x(), far.y()), MakeColor(1, 2, 3));
      view.SetPixel(far.x(), far.y(), far_colour);
      const QImage boxed = form_->View()->Picture();
      Doc().RedrawImage(false);
      QCOMPARE(boxed, form_->View()->Picture());
      Send(QEvent::MouseButtonRelease, 9, 22, Qt::LeftButton, Qt::NoButton);
    }
  }

  void theTransparentEntryIsTranspIndAndReadsAsItsOwnValues() {
    QVERIFY(NewActiveDocument());
    TBAMForm& doc = Doc();
    doc.BAM.TranspInd = 5;  // as a plug-in may set it
    const TBAMFrame before = doc.FrameRec;
    doc.FixFrameSize(0, 0, before.CentreX, before.CentreY, before.Width + 3, before.Height, false,
                     true);
    QCOMPARE(IndexAt(before.Width + 1, 0), 5);

    // The read-out shows the entry's values, not the colour the view draws it in.
    const TColor entry = ToColor(doc.BAM.Palette[5]);
    QVERIFY(entry != doc.BAM.GetTransCol());
    Press("Btn_ColPick");
    Send(QEvent::MouseMove, before.Width + 1, 0, Qt::NoButton, Qt::NoButton);
    QCOMPARE(form_->findChild<QLabel*>("Lbl_PalID")->text(), QString("5"));
    QCOMPARE(form_->findChild<QLabel*>("Lbl_Red")->text(), QString::number(RedOf(entry)));
    QCOMPARE(form_->findChild<QLabel*>("Lbl_Green")->text(), QString::number(GreenOf(entry)));
    QCOMPARE(form_->findChild<QLabel*>("Lbl_Blue")->text(), QString::number(BlueOf(entry)));
  }

  void toolButtonsShowTheirOptionsAndTheBrushLockHolds() {
    QTest::mouseClick(form_->findChild<QAbstractButton*>("Btn_Brush"), Qt::LeftButton);
    QCOMPARE(form_->OptionPanels->currentWidget()->objectName(), QString("Panel_Brush"));
    QCOMPARE(form_->Options().Tool, ToolKind::Brush);
    form_->findChild<QCheckBox*>("Check_LockBrushDims")->setChecked(true);
    form_->findChild<QSpinBox*>("Spin_BrushWidth")->setValue(20);
    QCOMPARE(form_->findChild<QSpinBox*>("Spin_BrushHeight")->value(), 20);
    QCOMPARE(form_->Options().BrushHeight, 20);
    QTest::mouseClick(form_->findChild<QAbstractButton*>("Btn_ColPick"), Qt::LeftButton);
    QCOMPARE(form_->OptionPanels->currentWidget()->objectName(), QString("Panel_ColPick"));
    // The read-out says which number is which.
    for (const auto& [name, caption] : {std::pair{"Lbl_PalID", "Index:"},
                                        {"Lbl_Red", "Red:"},
                                        {"Lbl_Green", "Green:"},
                                        {"Lbl_Blue", "Blue:"}}) {
      auto* number = form_->findChild<QLabel*>(name);
      const auto labels = number->parentWidget()->findChildren<QLabel*>();
      QVERIFY2(std::any_of(labels.begin(), labels.end(),
                           [&](QLabel* l) { return l->buddy() == number && l->text() == caption; }),
               name);
    }
  }

  void everyToolExplainsItselfWherePointedAt() {
    QCursor::setPos(QCursor::pos() + QPoint(7, 7));  // the pointer has moved since the start
    auto* hint = form_->StatusHint;
    for (QAbstractButton* tool : form_->ToolButtons->buttons()) {
      hint->setText("the previous hint");
      QEvent enter(QEvent::Enter);
      QApplication::sendEvent(tool, &enter);
      QVERIFY2(hint->text() != "the previous hint" && !hint->text().isEmpty(),
               qPrintable(tool->objectName()));
    }
    // The curve's three drags and the polygon's closing click are told where the options are.
    auto* how = form_->findChild<QLabel*>("Lbl_ShapeHow");
    QTest::mouseClick(form_->findChild<QAbstractButton*>("Btn_Curve"), Qt::LeftButton);
    QVERIFY(how->isVisible() && how->text().contains("drag twice more"));
    QTest::mouseClick(form_->findChild<QAbstractButton*>("Btn_Poly"), Qt::LeftButton);
    QVERIFY(how->isVisible() && how->text().contains("double-click"));
    QTest::mouseClick(form_->findChild<QAbstractButton*>("Btn_Rect"), Qt::LeftButton);
    QVERIFY(!how->isVisible());
  }
};

CELWRIGHT_APP_TEST(PaintTest)
#include "paint_test.moc"
