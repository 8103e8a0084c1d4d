// The text tool's panel: font, size, style buttons, highlight and the text itself. Every change
// goes into the document options and redraws a text that is being placed.
#include <QComboBox>
#include <QFontComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

#include "app/document_session.h"
#include "app/main_window.h"
#include "document/bam_form.h"

namespace celwright {

namespace {

// Focus arriving in the text selects all of it, so typing after a click on the frame replaces
// the text rather than adding to it.
class TextMemo : public QPlainTextEdit {
 public:
  using QPlainTextEdit::QPlainTextEdit;

 protected:
  void focusInEvent(QFocusEvent* event) override {
    QPlainTextEdit::focusInEvent(event);
    selectAll();
  }
};

constexpr const char* kFontSizes[] = {"8",  "9",  "10", "11", "12", "14", "16", "18",
                                      "20", "22", "24", "26", "28", "36", "48", "72"};

struct StyleButton {
  const char* name;
  const char* caption;
  const char* label;
  const char* hint;
};
constexpr StyleButton kStyleButtons[] = {
    {"Btn_FntBold", "Bold", "B", "Embolden text."},
    {"Btn_FntItal", "Italic", "I", "Italicise text."},
    {"Btn_FntUndr", "Underline", "U", "Underline text."},
    {"Btn_FntStrk", "Strikethrough", "S", "Strikethrough text."},
    {"Btn_FntHigh", "Highlight", "H", "Apply highlight to text (with background color)."},
};

}  // namespace

void TMainForm::BuildTextPanel(QWidget* panel) {
  auto* layout = static_cast<QBoxLayout*>(panel->layout());
  auto* fonts = new QFontComboBox(panel);
  fonts->setObjectName("Combo_Fonts");
  fonts->setAccessibleName("Font");
  fonts->setCurrentFont(QFont(QString::fromStdString(doc_options_.TextFont.name)));
  if (!fonts->currentText().isEmpty()) doc_options_.TextFont.name = fonts->currentText().toStdString();
  layout->addWidget(fonts);

  // The families come from the toolkit, the letters from the font files; when a family has no
  // font that can draw it, the user is told what is drawn instead.
  auto* fallback = new QLabel(panel);
  fallback->setObjectName("Lbl_FontFallback");
  fallback->setWordWrap(true);
  fallback->hide();
  layout->addWidget(fallback);

  auto* row = new QWidget(panel);
  auto* row_layout = new QHBoxLayout(row);
  row_layout->setContentsMargins(0, 0, 0, 0);
  auto* size = new QComboBox(row);
  size->setObjectName("Combo_FontSize");
  size->setAccessibleName("Font size");
  size->setEditable(true);
  size->setInsertPolicy(QComboBox::NoInsert);
  for (const char* item : kFontSizes) size->addItem(item);
  size->setCurrentText(QString::number(doc_options_.TextFont.size));
  row_layout->addWidget(size);
  for (const StyleButton& spec : kStyleButtons) {
    auto* button = new QToolButton(row);
    button->setObjectName(spec.name);
    button->setText(spec.label);
    button->setAccessibleName(spec.caption);
    button->setToolTip(spec.hint);
    button->setProperty("hint", spec.hint);
    button->setCheckable(true);
    row_layout->addWidget(button);
    const bool highlight = QString(spec.name) == "Btn_FntHigh";
    connect(button, &QToolButton::toggled, this,
            [this, highlight] { highlight ? Btn_FntHighClick() : Btn_FntStyleClick(); });
  }
  row_layout->addStretch();
  layout->addWidget(row);

  auto* edit = new TextMemo(QString::fromStdString(doc_options_.Text), panel);
  edit->setObjectName("Edit_Text");
  edit->setAccessibleName("Text");
  edit->setTabChangesFocus(true);
  edit->setMaximumHeight(64);
  layout->addWidget(edit);

  connect(fonts, &QFontComboBox::currentFontChanged, this, [this] { Combo_FontsChange(); });
  // A typed family counts once it is confirmed, not at every letter.
  connect(fonts->lineEdit(), &QLineEdit::editingFinished, this, [this] { Combo_FontsChange(); });
  connect(size, &QComboBox::editTextChanged, this, [this] { Combo_FontSizeChange(); });
  connect(size->lineEdit(), &QLineEdit::editingFinished, this, [this] { Combo_FontSizeExit(); });
  connect(edit, &QPlainTextEdit::textChanged, this, [this] { Edit_TextChange(); });
  Combo_FontsChange();  // the memo shows the family, the note says if it is a stand-in
}

void TMainForm::ConnectTextTool(ToolController& tools) {
  tools.TextPlaced = [this] {
    if (auto* edit = findChild<QPlainTextEdit*>("Edit_Text")) edit->setFocus(Qt::OtherFocusReason);
  };
}

void TMainForm::RedrawPendingText() {
  if (document_ && BAMForm()->Tool.TextPending) BAMForm()->RedrawImage(false);
}

void TMainForm::Btn_FntStyleClick() {
  auto down = [this](const char* name) { return findChild<QToolButton*>(name)->isChecked(); };
  Font& font = doc_options_.TextFont;
  font.bold = down("Btn_FntBold");
  font.italic = down("Btn_FntItal");
  font.underline = down("Btn_FntUndr");
  font.strike_out = down("Btn_FntStrk");
  auto* edit = findChild<QPlainTextEdit*>("Edit_Text");
  QFont shown = edit->font();
  shown.setBold(font.bold);
  shown.setItalic(font.italic);
  shown.setUnderline(font.underline);
  shown.setStrikeOut(font.strike_out);
  edit->setFont(shown);
  Combo_FontsChange();  // a style may be drawn by another font file, or a fallback
}

void TMainForm::Btn_FntHighClick() {
  doc_options_.TextHighlight = findChild<QToolButton*>("Btn_FntHigh")->isChecked();
  RedrawPendingText();
}

void TMainForm::Edit_TextChange() {
  doc_options_.Text = findChild<QPlainTextEdit*>("Edit_Text")->toPlainText().toStdString();
  RedrawPendingText();
}

void TMainForm::Combo_FontsChange() {
  const QString name = findChild<QFontComboBox*>("Combo_Fonts")->currentText().trimmed();
  if (!name.isEmpty()) doc_options_.TextFont.name = name.toStdString();
  auto* edit = findChild<QPlainTextEdit*>("Edit_Text");
  QFont shown = edit->font();
  shown.setFamily(QString::fromStdString(doc_options_.TextFont.name));
  edit->setFont(shown);
  const std::string drawn = DrawingFamily(doc_options_.TextFont);
  auto* fallback = findChild<QLabel*>("Lbl_FontFallback");
  if (drawn == doc_options_.TextFont.name) {
    fallback->hide();
  } else {
    fallback->setText(drawn.empty() ? QString("No font can draw this text.")
                                    : "Drawn with " + QString::fromStdString(drawn) + ".");
    fallback->show();
  }
  RedrawPendingText();
}

void TMainForm::Combo_FontSizeChange() {
  bool number = false;
  const int size = findChild<QComboBox*>("Combo_FontSize")->currentText().trimmed().toInt(&number);
  // The box keeps the last size that was a usable number.
  if (number && size >= 1 && size <= kMaxFontPoints) doc_options_.TextFont.size = size;
  RedrawPendingText();
}

void TMainForm::Combo_FontSizeExit() {
  auto* size = findChild<QComboBox*>("Combo_FontSize");
  const QString valid = QString::number(doc_options_.TextFont.size);
  if (size->currentText() != valid) size->setEditText(valid);
}

}  // namespace celwright
