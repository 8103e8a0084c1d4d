#include "app/splash_window.h"

#include "support/app_info.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace celwright {

TSplashForm::TSplashForm()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("SplashForm");
  setFixedSize(197, 110);
  setAttribute(Qt::WA_StyledBackground, true);
  setStyleSheet(
      "#SplashForm { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3b2a1a, "
      "stop:1 #7a5430); border: 1px solid #1e140b; } QLabel { color: #f3e3c3; }");
  Lbl_What = new QLabel(kAppTitle, this);
  QFont title = Lbl_What->font();
  title.setPointSize(14);
  title.setBold(true);
  Lbl_What->setFont(title);
  ProgressBar = new QProgressBar(this);
  ProgressBar->setTextVisible(false);
  ProgressBar->setFixedHeight(10);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Lbl_What, 0, Qt::AlignCenter);
  layout->addWidget(new QLabel("Loading...", this), 0, Qt::AlignCenter);
  layout->addWidget(ProgressBar);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->geometry().center() - rect().center());
  qApp->installEventFilter(this);
  show();
}

bool TSplashForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show && isVisible() && qobject_cast<QDialog*>(watched)) hide();
  return QWidget::eventFilter(watched, event);
}

void TSplashForm::SetMaximum(int maximum) {
  ProgressBar->setRange(0, maximum);
  ProgressBar->setValue(0);
  repaint();
}

void TSplashForm::Advance() {
  ProgressBar->setValue(ProgressBar->value() + 1);
  repaint();
}

}  // namespace celwright
