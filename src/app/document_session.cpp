#include "app/document_session.h"

#include "support/app_info.h"
#include "app/document_view.h"
#include "app/picture_loader.h"

namespace celwright {

DocumentSession::DocumentSession(UserPrompts& prompts, DocumentOptions& options,
                                 MainWindowLink& main_window)
    : prompts_(prompts),
      Form(options, DocumentHosts{
                        .View = this, .MainWindow = &main_window, .Timer = this, .Prompts = this}) {
  Form.LoadPicture = [this](const std::string& name, std::uint8_t type) {
    return LoadPictureFile(name, type, &prompts_);
  };
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    try {
      Form.Timer1Timer();
    } catch (const std::exception& e) {
      // A frame that cannot be drawn ends playback rather than the program.
      Form.StopSequence();
      prompts_.Error(kAppTitle, e.what());
    }
  });
}

DocumentSession::~DocumentSession() { timer_.stop(); }

void DocumentSession::Repaint() {
  if (view_) view_->ShowViewImage();
}

void DocumentSession::RepaintArea(const ViewRect& area) {
  if (view_)
    view_->ShowViewArea(
        QRect(area.Left, area.Top, area.Right - area.Left, area.Bottom - area.Top));
}

void DocumentSession::ShowScrollBars(const ScrollBarState& horizontal,
                                     const ScrollBarState& vertical) {
  if (view_) view_->ShowScrollBars(horizontal, vertical);
}

void DocumentSession::SetCaption(const std::string& caption) {
  if (OnCaption) OnCaption(caption);
}

void DocumentSession::StartTimer(int interval_ms) { timer_.start(interval_ms); }

void DocumentSession::StopTimer() { timer_.stop(); }

PromptAnswer DocumentSession::AskYesNoCancel(const std::string& caption, const std::string& text) {
  return prompts_.AskYesNoCancel(caption, text);
}

bool DocumentSession::ConfirmOkCancel(const std::string& text) {
  return prompts_.AskOkCancel(kAppTitle, text);
}

void DocumentSession::ShowInformation(const std::string& title, const std::string& text) {
  prompts_.Information(title, text);
}

}  // namespace celwright
