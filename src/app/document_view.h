#pragma once

#include <QImage>
#include <QWidget>

namespace celwright {

class DocumentSession;

// The document area: paints the current frame at the chosen magnification, centred when it is
// smaller than the window. It only draws; the document window core will take over its events.
class DocumentView : public QWidget {
 public:
  DocumentView(DocumentSession& session, QWidget* parent);

  // Decodes the current frame again (after a frame change or an edit).
  void RefreshFrame();
  void SetMagnification(int factor);
  int Magnification() const { return magnification_; }
  void SetGrid(bool on);
  QSize sizeHint() const override;
  const QImage& FrameImage() const { return frame_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void UpdateSize();
  DocumentSession& session_;
  QImage frame_;
  int magnification_ = 1;
  bool grid_ = false;
};

}  // namespace celwright
