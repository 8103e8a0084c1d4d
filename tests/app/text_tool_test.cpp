// The text tool through the real widgets: options typed into the text panel, a click on the
// frame to place the text, another tool or a save to fix it, undo, and the file read back.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFontComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QToolButton>

#include "app/app_test_registry.h"
#include "app/editor_fixture.h"
#include "canvas/text_block.h"

using namespace celwright;

class TextToolTest : public QObject, public EditorFixture {
  Q_OBJECT

 private slots:
  void init() { StartEditor(); }
  void cleanup() { StopEditor(); }

  void typePlaceFixSaveAndReopen() {
    QVERIFY(NewActiveDocument());
    Doc().FixFrameSize(0, 0, 60, 30, 120, 60, false, false);
    const int steps = Doc().UndoCount();
    const Bitmap before = Doc().WorkImage[1];

    Press("Btn_Text");
    QCOMPARE(form_->OptionPanels->currentWidget()->objectName(), QString("Panel_Text"));

    // A size that is not a number gives way to the last valid one when the box is left.
    auto* size = form_->findChild<QComboBox*>("Combo_FontSize");
    size->lineEdit()->setFocus();
    size->lineEdit()->selectAll();
    QTest::keyClicks(size->lineEdit(), "12");
    size->lineEdit()->selectAll();
    QTest::keyClicks(size->lineEdit(), "abc");
    QCOMPARE(form_->Options().TextFont.size, 12);
    // So does a size far past any frame (pasted in whole).
    size->setEditText("1536");
    QCOMPARE(form_->Options().TextFont.size, 12);
    auto* edit = form_->findChild<QPlainTextEdit*>("Edit_Text");
    edit->setFocus();
    QCOMPARE(size->currentText(), QString("12"));

    Press("Btn_FntHigh");
    QVERIFY(form_->Options().TextHighlight);
    Click(4, 20);
    QVERIFY(Doc().Tool.TextPending);
    // The keyboard goes to the text, all of it selected, so typing replaces it.
    QVERIFY(edit->hasFocus());
    QTest::keyClicks(edit, "Ab");
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, "cd");
    QCOMPARE(form_->Options().Text, std::string("Ab\ncd"));
    QCOMPARE(Doc().WorkImage[1], before);
    const Rect block = Doc().Tool.DrawRect;
    QCOMPARE(block.top, 12);
    QCOMPARE(block.Height(), 2 * MeasureText(form_->Options().TextFont, "").height);
    const TColor paper = MakeColor(form_->Options().BackgroundIndex, 0, 0);
    QCOMPARE(Doc().OverlayImage[1].GetPixel(block.left, block.top), paper);

    // Another tool fixes the text as one undo step.
    Press("Btn_Pencil");
    QVERIFY(!Doc().Tool.TextPending);
    QCOMPARE(Doc().UndoCount(), steps + 1);
    const Bitmap with_text = Doc().WorkImage[1];
    QCOMPARE(with_text.GetPixel(block.left, block.top), paper);
    QTest::keyClick(form_.get(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Doc().WorkImage[1], before);
    QTest::keyClick(form_.get(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(Doc().WorkImage[1], with_text);

    // Saving writes a text still on show into the file.
    Press("Btn_Text");
    Click(60, 40);
    QVERIFY(Doc().Tool.TextPending);
    TBAM reopened;
    QVERIFY(SaveAsAndReopen("text.bam", reopened));
    QVERIFY(!Doc().Tool.TextPending);
    QVERIFY(Doc().WorkImage[1] != with_text);
    QCOMPARE(Indices(reopened, 0).Pixels(), Doc().WorkImage[1].Pixels());

    // Esc, even with the keyboard in the text field, drops a text without drawing it.
    const Bitmap saved = Doc().WorkImage[1];
    Click(10, 50);
    QVERIFY(edit->hasFocus());
    QTest::keyClick(edit, Qt::Key_Escape);
    QVERIFY(!Doc().Tool.TextPending);
    Press("Btn_Pencil");
    QCOMPARE(Doc().WorkImage[1], saved);
  }

  // The family list comes from the toolkit, the letters from the font files: every listed
  // family draws something, and a family no font file has says what stands in for it.
  void everyListedFamilyDrawsOrShowsItsStandIn() {
    auto* fonts = form_->findChild<QFontComboBox*>("Combo_Fonts");
    QVERIFY(fonts->count() > 0);
    for (int i = 0; i < fonts->count(); ++i) {
      Font font;
      font.name = fonts->itemText(i).toStdString();
      font.size = 16;
      const Bitmap letters = RenderTextBlock(font, "Abc");
      QVERIFY2(std::count(letters.Pixels().begin(), letters.Pixels().end(), 0) > 0,
               font.name.c_str());
      QVERIFY(!DrawingFamily(font).empty());
    }
    auto* fallback = form_->findChild<QLabel*>("Lbl_FontFallback");
    QVERIFY(fallback->isHidden());
    fonts->setEditText("Nowhere Sans");
    emit fonts->lineEdit()->editingFinished();
    QCOMPARE(form_->Options().TextFont.name, std::string("Nowhere Sans"));
    QVERIFY(!fallback->isHidden());
    QVERIFY(fallback->text().startsWith("Drawn with "));
  }
};

CELWRIGHT_APP_TEST(TextToolTest)
#include "text_tool_test.moc"
