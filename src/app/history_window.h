#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "document/bam_form.h"

class QListWidget;

namespace celwright {

// "History Viewer": every state of the document's history by name, the one on screen marked;
// a double-click on a row undoes or redoes to that state.
class TViewHistoryForm : public QDialog {
 public:
  explicit TViewHistoryForm(QWidget* parent);

  // Lists the states afresh (the main window hands them in after every step).
  void ShowHistory(const std::vector<HistoryViewItem>& items);
  // Called with the row double-clicked: the number of steps to have done.
  std::function<void(int)> OnJump;

  QListWidget* List_History = nullptr;
};

}  // namespace celwright
