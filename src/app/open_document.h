#pragma once

#include <QPointer>
#include <cstdint>
#include <memory>

#include "app/document_session.h"
#include "document/recovery_store.h"
#include "document/tool_state.h"

class QMdiSubWindow;

namespace celwright {

class BAMFormView;

// One animation of the main window's set: its core with its history and tool activity (in the
// session), the view and tab showing it, its own recovery copy, and what the main window's
// shared controls show for it while another document is active. Nothing here points at any
// other document.
struct OpenDocument {
  std::unique_ptr<DocumentSession> Session;
  BAMFormView* View = nullptr;
  QPointer<QMdiSubWindow> Window;
  std::unique_ptr<RecoveryStore> Recovery;
  // Tells a drag of its own frames from one of another document (never reused in a run).
  std::uint64_t Serial = 0;
  // Kept while another document is active: magnification, the lists' highlights and page.
  int MagnificationIndex = 0;
  int FrameRow = -1;
  int SequenceRow = -1;
  int EntryRow = -1;
  int ListPage = 0;
  // The tool the document last worked with: a tool chosen meanwhile ends its activity.
  ToolKind LastTool = ToolKind::Pan;
};

}  // namespace celwright
