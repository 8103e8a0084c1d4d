#include "app/about_box.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>
#include <functional>

#include "support/app_info.h"
#include "app/tool_icons.h"

namespace celwright {

namespace {

// A label that opens its address when clicked, if its text is one.
class AddressLabel : public QLabel {
 public:
  AddressLabel(std::function<QUrl(const QString&)> address_of, QWidget* parent)
      : QLabel(parent), address_of_(std::move(address_of)) {}

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    const QString text = this->text().trimmed();
    // Free text such as "see the log" is no address; only something that could be one opens.
    if (event->button() == Qt::LeftButton && !text.isEmpty() && !text.contains(' '))
      QDesktopServices::openUrl(address_of_(text));
    QLabel::mousePressEvent(event);
  }

 private:
  std::function<QUrl(const QString&)> address_of_;
};

}  // namespace

AboutTexts EditorAboutTexts() {
  return {kAppTitle,
          kVersionText,
          kBuildDateText,
          "Written and maintained by the Celwright II developers.",
          "Report problems with your Log.txt attached.",
          "An editor for Infinity Engine animations (BAM files)."};
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName("AboutBox");
  auto* icon = new QLabel(this);
  icon->setPixmap(AppIcon().pixmap(64, 64));
  Lbl_AppName = new QLabel(this);
  QFont big = Lbl_AppName->font();
  big.setPointSize(16);
  big.setBold(true);
  Lbl_AppName->setFont(big);
  Lbl_Version = new QLabel(this);
  Lbl_Created = new QLabel(this);
  Lbl_Author = new QLabel(this);
  Lbl_Email = new AddressLabel([](const QString& text) { return QUrl("mailto:" + text); }, this);
  Lbl_URL = new AddressLabel(
      [](const QString& text) {
        return QUrl::fromUserInput(text.contains("://") ? text : "http://" + text);
      },
      this);
  const std::pair<QLabel*, const char*> named[] = {
      {Lbl_AppName, "Lbl_AppName"}, {Lbl_Version, "Lbl_Version"}, {Lbl_Created, "Lbl_Created"},
      {Lbl_Author, "Lbl_Author"},   {Lbl_Email, "Lbl_Email"},     {Lbl_URL, "Lbl_URL"}};
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);  // widens to the longest text
  layout->addWidget(icon, 0, Qt::AlignHCenter);
  for (const auto& [label, name] : named) {
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);  // a plug-in's text is shown, never interpreted
    layout->addWidget(label, 0, Qt::AlignHCenter);
  }
  layout->addWidget(buttons);
}

void TAboutBox::ShowTexts(const AboutTexts& texts) {
  setWindowTitle(QString::fromStdString(texts.AppName) + " : About");
  Lbl_AppName->setText(QString::fromStdString(texts.AppName));
  Lbl_Version->setText(QString::fromStdString(texts.Version));
  Lbl_Created->setText(QString::fromStdString(texts.Created));
  Lbl_Author->setText(QString::fromStdString(texts.Author));
  Lbl_Email->setText(QString::fromStdString(texts.Email));
  Lbl_URL->setText(QString::fromStdString(texts.URL));
  adjustSize();
  if (const QScreen* screen = QApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  exec();
}

}  // namespace celwright
