#pragma once

#include <QDialog>
#include <vector>

#include "document/bam_form.h"

class QComboBox;

namespace celwright {

// "History Viewer": the stored snapshots of the frame being edited, one at a time, the colour
// picture beside the index picture, both unscaled.
class TViewHistoryForm : public QDialog {
 public:
  explicit TViewHistoryForm(QWidget* parent);

  // Takes a copy of the snapshots (the main window hands in new ones after every step), keeping
  // the chosen entry.
  void ShowHistory(std::vector<HistoryViewItem> items, int frame_width);
  // The pictures of the selected entry as the viewer draws them (null when there are none).
  const HistoryViewItem* SelectedItem() const;

  QComboBox* Combo_HistoryEntry = nullptr;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<HistoryViewItem> items_;
  int frame_width_ = 0;
};

}  // namespace celwright
