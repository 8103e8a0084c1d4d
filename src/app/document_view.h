#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <functional>
#include <string>

#include "document/document_hosts.h"

namespace celwright {

class TBAMForm;
class ToolController;

// The document window's client area: paints the picture the core composed (frame, grid,
// transparency, sizer blocks), shows the scroll bars the core asks for and hands size changes,
// scrolling and the wheel back to it. It decides nothing about what is shown.
class BAMFormView : public QAbstractScrollArea {
 public:
  BAMFormView(TBAMForm& form, QWidget* parent);

  // The core composed a new picture.
  void ShowViewImage();
  // Only `area` of the view image changed (client coordinates).
  void ShowViewArea(const QRect& area);
  void ShowScrollBars(const ScrollBarState& horizontal, const ScrollBarState& vertical);
  // Tells the core the current window and client sizes.
  void ReportSize();
  // The tools that get the pointer and keys; null: the view only shows.
  void AttachTools(ToolController* tools) { tools_ = tools; }
  // The core is going away; the widget shows nothing more and forwards nothing.
  void Detach() {
    form_ = nullptr;
    tools_ = nullptr;
  }
  // The frame pixel under the pointer ("fx,fy"), empty off the frame.
  std::function<void(const std::string&)> OnStatus;
  // What the client area shows, as an image (a copy).
  QImage Picture() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QImage Wrapped() const;
  void AfterPointerEvent();
  TBAMForm* form_;
  ToolController* tools_ = nullptr;
  // True while the core's scroll bar states are being applied: the resizes and value changes
  // that causes are ours, not the user's.
  bool applying_ = false;
  QSize reported_;
};

}  // namespace celwright
