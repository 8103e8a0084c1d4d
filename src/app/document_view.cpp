#include "app/document_view.h"

#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QWheelEvent>

#include "app/arrow_keys.h"
#include "app/bitmap_image.h"
#include "app/pointer_shapes.h"
#include "canvas/tool_controller.h"
#include "document/bam_form.h"

namespace celwright {

namespace {

void ApplyBar(QScrollBar* bar, const ScrollBarState& state) {
  bar->setRange(state.Min, state.Max);
  bar->setSingleStep(std::max(state.SmallChange, 1));
  bar->setPageStep(std::max(state.SmallChange, 1) * 8);
  bar->setValue(state.Position);
}

ShiftKeys ShiftOf(Qt::KeyboardModifiers modifiers) {
  return {modifiers.testFlag(Qt::ShiftModifier), modifiers.testFlag(Qt::ControlModifier),
          modifiers.testFlag(Qt::AltModifier)};
}

std::uint8_t ButtonOf(Qt::MouseButton button) {
  if (button == Qt::LeftButton) return kLeftButton;
  if (button == Qt::RightButton) return kRightButton;
  return kNoButton;
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
  // Previews follow the pointer even with no button held.
  viewport()->setMouseTracking(true);
  setAccessibleName("Frame");
}

void BAMFormView::ShowViewImage() { viewport()->update(); }

void BAMFormView::ShowViewArea(const QRect& area) {
  const QPoint origin = form_ ? QPoint(form_->ViewOrigin.X, form_->ViewOrigin.Y) : QPoint();
  viewport()->update(area.translated(origin));
}

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

void BAMFormView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  const QImage picture = Wrapped();
  const QPoint origin = form_ ? QPoint(form_->ViewOrigin.X, form_->ViewOrigin.Y) : QPoint();
  // Only the part asked for is drawn: a brush step repaints the few pixels it changed.
  const QRect wanted = event->rect() & QRect(origin, picture.size());
  if (!picture.isNull() && !wanted.isEmpty())
    painter.drawImage(wanted, picture, wanted.translated(-origin));
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
  const QPoint at = event->position().toPoint();
  if (delta != 0 && tools_) {
    tools_->WheelZoom(delta > 0, at.x(), at.y());
    AfterPointerEvent();
  } else if (form_ && delta != 0) {
    if (delta > 0) form_->FormMouseWheelUp(ViewPoint{at.x(), at.y()});
    if (delta < 0) form_->FormMouseWheelDown(ViewPoint{at.x(), at.y()});
  }
  event->accept();
}

}  // namespace celwright

namespace celwright {

void BAMFormView::AfterPointerEvent() {
  if (!tools_) return;
  viewport()->setCursor(PointerCursor(tools_->Pointer()));
  if (OnStatus) OnStatus(tools_->StatusText());
}

void BAMFormView::mousePressEvent(QMouseEvent* event) {
  // Keys go to the frame from now on, not to the option field last edited.
  setFocus(Qt::MouseFocusReason);
  if (!tools_) return;
  const QPoint at = event->position().toPoint();
  tools_->FormMouseDown(ButtonOf(event->button()), ShiftOf(event->modifiers()), at.x(), at.y());
  AfterPointerEvent();
}

// A double click is a press: the second click of a fast pair must not be lost.
void BAMFormView::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void BAMFormView::mouseMoveEvent(QMouseEvent* event) {
  if (!tools_) return;
  const QPoint at = event->position().toPoint();
  tools_->FormMouseMove(ShiftOf(event->modifiers()), at.x(), at.y());
  AfterPointerEvent();
}

void BAMFormView::mouseReleaseEvent(QMouseEvent* event) {
  if (!tools_) return;
  const QPoint at = event->position().toPoint();
  tools_->FormMouseUp(ButtonOf(event->button()), ShiftOf(event->modifiers()), at.x(), at.y());
  AfterPointerEvent();
}

void BAMFormView::keyPressEvent(QKeyEvent* event) {
  if (tools_) tools_->FormKeyDown(ShiftOf(event->modifiers()));
  // Arrow keys move a selection pixel by pixel (ten with Shift); without one they scroll.
  const QPoint step = ArrowKeyDirection(event->key()) *
                      (event->modifiers() & Qt::ShiftModifier ? 10 : 1);
  const Qt::KeyboardModifiers others =
      event->modifiers() & ~Qt::ShiftModifier & ~Qt::KeypadModifier;
  if (!step.isNull() && others == Qt::NoModifier && form_ &&
      form_->NudgeSelection(step.x(), step.y())) {
    event->accept();
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

void BAMFormView::keyReleaseEvent(QKeyEvent* event) {
  if (tools_) tools_->FormKeyUp(ShiftOf(event->modifiers()));
  QAbstractScrollArea::keyReleaseEvent(event);
}

void BAMFormView::leaveEvent(QEvent* event) {
  QAbstractScrollArea::leaveEvent(event);
  // The brush preview goes with the pointer, unless a stroke is still being dragged.
  if (form_ && form_->Tool.DrawButton == kNoButton && form_->CurrentFrame != -1) {
    form_->Tool.PointerPos = {-1, -1};
    form_->RedrawImage(false);
  }
  if (OnStatus) OnStatus("");
}

}  // namespace celwright
