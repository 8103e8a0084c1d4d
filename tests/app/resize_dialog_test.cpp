// Frame > Resize driven through its widgets on the sample animation: typed sizes in the chosen
// units, the anchor, Preview and Cancel, and OK saved and read back.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <cmath>

#include "app/app_test_registry.h"
#include "app/document_view.h"
#include "app/editor_fixture.h"
#include "app/resize_frame_dialog.h"

using namespace celwright;

class ResizeDialogTest : public QObject, public EditorFixture {
  Q_OBJECT

  static void TypeInto(QLineEdit* edit, const char* text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
  }

 private slots:
  void init() {
    StartEditor();
    form_->OpenFile(kSample, dtBAM);
    QVERIFY(Doc().CurrentFrame == 0);
  }
  void cleanup() { StopEditor(); }

  void percentWithTheBottomRightAnchorSavedAndReopened() {
    const TBAMFrame before = Doc().FrameRec;
    const Bitmap original = Doc().WorkImage[1];
    QVERIFY(before.Width >= 4 && before.Height >= 4);
    const int undo_before = Doc().UndoCount();
    TResizeFrameForm* dialog = form_->ResizeForm();
    QString current_width;
    bool locked = true;
    QTimer::singleShot(0, dialog, [&] {
      QTest::mouseClick(dialog->SpeedButtons[8], Qt::LeftButton);  // bottom right
      // On the box itself: the check box is wider than its caption.
      QTest::mouseClick(dialog->Chk_LockAspect, Qt::LeftButton, {},
                        QPoint(6, dialog->Chk_LockAspect->height() / 2));
      locked = dialog->Chk_LockAspect->isChecked();
      dialog->Combo_WidthUnits->setCurrentIndex(static_cast<int>(SizeUnit::Percent));
      current_width = dialog->lbl_width->text();
      TypeInto(dialog->Edit_Width, "50");
      TypeInto(dialog->Edit_Height, "3");
      QTest::mouseClick(dialog->Btn_OK, Qt::LeftButton);
    });
    form_->Entry("Resize1")->trigger();
    QCOMPARE(current_width, QString("100 %"));
    QVERIFY(!locked);

    const int width = static_cast<int>(std::nearbyint(before.Width / 2.0));
    const int cut_x = before.Width - width, cut_y = before.Height - 3;
    QCOMPARE(Doc().FrameRec.Width, width);
    QCOMPARE(Doc().FrameRec.Height, 3);
    QCOMPARE(Doc().FrameRec.CentreX, before.CentreX - cut_x);
    QCOMPARE(Doc().FrameRec.CentreY, before.CentreY - cut_y);
    QCOMPARE(Doc().UndoCount(), undo_before + 1);

    const std::string file = Temp("resized.bam");
    prompts_->SaveChoices = {{true, file, 0}};
    form_->SaveAs1Click();
    QCOMPARE(prompts_->Count("error"), 0);
    form_->OpenFile(file, dtBAM);
    const TBAMFrame reopened = Doc().FrameRec;
    QCOMPARE(reopened.Width, width);
    QCOMPARE(reopened.CentreX, before.CentreX - cut_x);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < width; ++x) {
        QCOMPARE(RedOf(Doc().WorkImage[1].GetPixel(x, y)),
                 RedOf(original.GetPixel(x + cut_x, y + cut_y)));
      }
    }
  }

  void previewThenCancelPutsEverythingBack() {
    // What the model's cancel restores is its own test; here the dialog's buttons and the view.
    const TBAMFrame before = Doc().FrameRec;
    const QImage view = form_->View()->grab().toImage();
    TResizeFrameForm* dialog = form_->ResizeForm();
    dialog->Begin(Doc());
    dialog->show();
    QVERIFY(dialog->Chk_LockAspect->isChecked());
    dialog->Combo_WidthUnits->setCurrentIndex(static_cast<int>(SizeUnit::Pixels));
    TypeInto(dialog->Edit_Width, QByteArray::number(before.Width * 2).constData());
    QCOMPARE(dialog->Edit_Height->text(), QString::number(before.Height * 2));
    QTest::mouseClick(dialog->Btn_Preview, Qt::LeftButton);
    QCOMPARE(Doc().FrameRec.Width, before.Width * 2);
    QVERIFY(form_->View()->grab().toImage() != view);

    // Text that is no size puts the stored one back.
    TypeInto(dialog->Edit_Height, "x");
    QCOMPARE(dialog->Edit_Height->text(), QString::number(before.Height * 2));

    QTest::mouseClick(dialog->Btn_Cancel, Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(Doc().FrameRec.Width, before.Width);
    QCOMPARE(Doc().UndoCount(), 0);
    QCOMPARE(form_->View()->grab().toImage(), view);
  }
};

CELWRIGHT_APP_TEST(ResizeDialogTest)
#include "resize_dialog_test.moc"
