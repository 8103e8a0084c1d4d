#include "app/document_view.h"

#include <QPainter>

#include "app/document_session.h"
#include "support/bitmap.h"

namespace celwright {

DocumentView::DocumentView(DocumentSession& session, QWidget* parent)
    : QWidget(parent), session_(session) {
  setBackgroundRole(QPalette::Dark);
  setAutoFillBackground(true);
}

void DocumentView::RefreshFrame() {
  frame_ = QImage();
  if (session_.IsOpen() && session_.CurrentFrame >= 0 &&
      session_.CurrentFrame < session_.BAM.FrameCount()) {
    Bitmap bitmap;
    try {
      session_.BAM.GetFrameBitmap(session_.CurrentFrame, bitmap, nullptr);
    } catch (const std::exception&) {
      // This runs from paint and list events, where an exception would end the program; a
      // frame that cannot be drawn simply shows nothing.
      bitmap = Bitmap();
    }
    if (!bitmap.Empty()) {
      // Our 24-bit rows are blue, green, red in memory, exactly Qt's BGR888.
      frame_ = QImage(bitmap.Pixels().data(), bitmap.Width(), bitmap.Height(),
                      static_cast<qsizetype>(bitmap.Stride()), QImage::Format_BGR888)
                   .copy();
    }
  }
  UpdateSize();
  update();
}

void DocumentView::SetMagnification(int factor) {
  magnification_ = std::max(1, factor);
  UpdateSize();
  update();
}

void DocumentView::SetGrid(bool on) {
  grid_ = on;
  update();
}

QSize DocumentView::sizeHint() const {
  return frame_.isNull() ? QSize(64, 64) : frame_.size() * magnification_ + QSize(1, 1);
}

void DocumentView::UpdateSize() {
  setMinimumSize(sizeHint());
  updateGeometry();
}

void DocumentView::paintEvent(QPaintEvent*) {
  if (frame_.isNull()) return;
  QPainter painter(this);
  const QSize scaled = frame_.size() * magnification_;
  const QPoint origin((width() - scaled.width()) / 2, (height() - scaled.height()) / 2);
  const QRect target(origin, scaled);
  painter.drawImage(target, frame_);  // no smoothing: every pixel stays a crisp square
  if (grid_ && magnification_ > 1) {
    painter.setPen(Qt::black);
    for (int i = 0; i <= frame_.width(); ++i) {
      const int x = origin.x() + i * magnification_;
      painter.drawLine(x, target.top(), x, target.top() + scaled.height());
    }
    for (int j = 0; j <= frame_.height(); ++j) {
      const int y = origin.y() + j * magnification_;
      painter.drawLine(target.left(), y, target.left() + scaled.width(), y);
    }
  }
}

}  // namespace celwright
