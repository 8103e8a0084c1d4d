#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "document/frames_manager_ops.h"
#include "model/preview_thread.h"

class QComboBox;
class QListView;
class QProgressBar;
class QPushButton;
class QWidget;

namespace celwright {

class FramesManagerModel;
class TBAMForm;
class UserPrompts;

// What the frames manager needs of the main window.
struct FramesManagerHost {
  std::function<TBAMForm*()> document;     // null while no file is open
  std::function<int()> selected_sequence;  // of the main window's list, -1 for none
  // Asks to turn a single-frame document into a BAM; false cancels the command.
  std::function<bool()> convert_check;
  // The frames or sequences changed: refresh the main window's lists (once per command).
  std::function<void()> lists_changed;
  // An export replaced the document's own file with part of it: the document is changed, and
  // the file on disk is this program's doing, not another's.
  std::function<void()> document_file_replaced;
};

// "Frames Manager": every frame as a thumbnail, built by the thumbnail worker while a progress
// panel shows; duplicate, delete, export and add to a sequence several frames at once. Only the
// frames in sight (and a little beyond) get thumbnails, as they come into sight.
class TManageFramesForm : public QDialog {
 public:
  TManageFramesForm(UserPrompts& prompts, FramesManagerHost host, QWidget* parent);
  ~TManageFramesForm() override;

  // Handlers, public so tests can drive the window.
  void Btn_DuplicateClick();
  void Btn_DeleteClick();
  void Btn_AddToClick();
  void Btn_ExportClick();
  void Btn_AbortClick();
  void List_FramesClick();
  // Refills the list from the thumbnails, keeping the selection where it can.
  void UpdateThumbs();

  const ThumbnailSlots& Thumbnails() const { return thumbnails_; }
  // Lists the frames with these thumbnails, as a finished build does.
  void ShowThumbnails(std::vector<Thumbnail> thumbnails);
  bool Building() const { return building_; }

  QListView* List_Frames = nullptr;
  QComboBox* Combo_AddTo = nullptr;
  QPushButton* Btn_AddTo = nullptr;
  QWidget* Panel_Prog = nullptr;
  QProgressBar* ProgressBar = nullptr;
  QPushButton* Btn_Abort = nullptr;
  QPushButton* Btn_Done = nullptr;
  QPushButton* Btn_Duplicate = nullptr;
  QPushButton* Btn_Delete = nullptr;
  QPushButton* Btn_Export = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  void FormShow();
  void Timer1Timer();
  // A new worker on a fresh copy of the document; thumbnails already made stay.
  void StartWorker();
  void ThumbnailArrived(std::int32_t frame, Thumbnail thumbnail);
  void WorkerIdle(unsigned generation);
  void PreviewFinished(unsigned generation);
  void FillList();
  // Asks the worker for the thumbnails in or near sight that are not made yet.
  void RequestThumbnailsInSight();
  // The first row whose item reaches down to `y` (viewport coordinates) or below; the row
  // count when none does.
  int FirstRowReaching(int y) const;
  // Lets go of the thumbnails furthest from sight once more than a bounded number are kept.
  void ForgetFarThumbnails();
  bool eventFilter(QObject* watched, QEvent* event) override;
  void SetCommandsEnabled(bool enabled);
  std::vector<int> SelectedFrames() const;
  bool SingleFrameCheck();
  // Runs a command on the selected frames, reports a failure, then refreshes the main window.
  void RunOnSelection(const std::function<void(TBAMForm&, const std::vector<int>&)>& command);

  UserPrompts& prompts_;
  FramesManagerHost host_;
  ThumbnailSlots thumbnails_;
  int kept_thumbnails_ = 0;  // non-null slots, counted again when some are let go
  // What the worker was last asked for; asked again only when sight needs more.
  std::vector<std::int32_t> requested_;
  FramesManagerModel* model_ = nullptr;
  // Each build has its number; results of an earlier build (closed or replaced) are ignored.
  unsigned generation_ = 0;
  bool building_ = false;
};

}  // namespace celwright
