#include "app/document_view.h"

#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include "app/bitmap_image.h"
#include "document/bam_form.h"

namespace celwright {

namespace {

void ApplyBar(QScrollBar* bar, const ScrollBarState& state) {
  bar->setRange(state.Min, state.Max);
  bar->setSingleStep(std::max(state.SmallChange, 1));
  bar->setPageStep(std::max(state.SmallChange, 1) * 8);
  bar->setValue(state.Position);
}

}  // namespace

BAMFormView::BAMFormView(TBAMForm& form, QWidget* parent)
    : QAbstractScrollArea(parent), form_(&form) {
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFocusPolicy(Qt::StrongFocus);
  // The core paints every client pixel; letting Qt clear first would only flicker.
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
}

void BAMFormView::ShowViewImage() { viewport()->update(); }

void BAMFormView::ShowScrollBars(const ScrollBarState& horizontal, const ScrollBarState& vertical) {
  applying_ = true;
  setHorizontalScrollBarPolicy(horizontal.Visible ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(vertical.Visible ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  ApplyBar(horizontalScrollBar(), horizontal);
  ApplyBar(verticalScrollBar(), vertical);
  applying_ = false;
  // A bar that appeared or went away changed the client area: the core lays out again once
  // this call has returned to it.
  if (isVisible() && viewport()->size() != reported_)
    QTimer::singleShot(0, this, [this] { ReportSize(); });
}

void BAMFormView::ReportSize() {
  if (!form_) return;
  reported_ = viewport()->size();
  form_->FormResize(ViewportSize{width(), height(), reported_.width(), reported_.height()});
}

QImage BAMFormView::Wrapped() const { return form_ ? WrapBitmap(form_->ViewImage) : QImage(); }

QImage BAMFormView::Picture() const { return Wrapped().copy(); }

void BAMFormView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const QImage picture = Wrapped();
  const QPoint origin = form_ ? QPoint(form_->ViewOrigin.X, form_->ViewOrigin.Y) : QPoint();
  if (!picture.isNull()) painter.drawImage(origin, picture);
  // Between a resize and the core's next picture the new strip has nothing yet.
  const QRegion rest = QRegion(viewport()->rect()) - QRect(origin, picture.size());
  for (const QRect& r : rest) painter.fillRect(r, palette().base());  // the core's window colour
}

void BAMFormView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  if (!applying_ && isVisible()) ReportSize();
}

void BAMFormView::showEvent(QShowEvent* event) {
  QAbstractScrollArea::showEvent(event);
  ReportSize();
}

void BAMFormView::scrollContentsBy(int, int) {
  if (applying_ || !form_) return;
  form_->Scroll_Change(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void BAMFormView::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (form_ && delta > 0) form_->FormMouseWheelUp();
  if (form_ && delta < 0) form_->FormMouseWheelDown();
  event->accept();
}

}  // namespace celwright
