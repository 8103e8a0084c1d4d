#include "app/about_box.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "app/app_info.h"
#include "app/tool_icons.h"

namespace celwright {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName("AboutBox");
  setWindowTitle("About");
  auto* icon = new QLabel(this);
  icon->setPixmap(AppIcon().pixmap(64, 64));
  auto* name = new QLabel(kAppTitle, this);
  name->setObjectName("Lbl_AppName");
  QFont big = name->font();
  big.setPointSize(16);
  big.setBold(true);
  name->setFont(big);
  auto* version = new QLabel(QString("Version ") + kVersionText, this);
  version->setObjectName("Lbl_Version");
  auto* created = new QLabel(QString("Built ") + kBuildDateText, this);
  created->setObjectName("Lbl_Created");
  auto* author = new QLabel("Written and maintained by the Celwright II developers.", this);
  author->setObjectName("Lbl_Author");
  auto* email = new QLabel("Report problems with your Log.txt attached.", this);
  email->setObjectName("Lbl_Email");
  auto* url = new QLabel("An editor for Infinity Engine animations (BAM files).", this);
  url->setObjectName("Lbl_URL");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  for (QWidget* w :
       std::initializer_list<QWidget*>{icon, name, version, created, author, email, url})
    layout->addWidget(w, 0, Qt::AlignHCenter);
  layout->addWidget(buttons);
}

}  // namespace celwright
