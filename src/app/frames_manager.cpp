#include "app/frames_manager.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "support/app_info.h"
#include "app/file_filters.h"
#include "app/frames_manager_model.h"
#include "app/save_rules.h"
#include "app/user_prompts.h"
#include "document/bam_form.h"
#include "document/frame_pictures.h"
#include "document/frames_manager_ops.h"
#include "support/image_io/image_file.h"
#include "support/qm_log.h"

namespace celwright {

namespace {

// About 8 KB each: the most kept at once (half on either side of sight) is a few megabytes.
constexpr int kMaxKeptThumbnails = 2000;

}  // namespace

TManageFramesForm::TManageFramesForm(UserPrompts& prompts, FramesManagerHost host, QWidget* parent)
    : QDialog(parent), prompts_(prompts), host_(std::move(host)) {
  setObjectName("ManageFramesForm");
  setWindowTitle("Frames Manager");
  setFixedSize(691, 481);

  auto* layout = new QVBoxLayout(this);
  List_Frames = new QListView(this);
  List_Frames->setObjectName("List_Frames");
  model_ = new FramesManagerModel(thumbnails_, List_Frames);
  List_Frames->setModel(model_);
  List_Frames->setViewMode(QListView::IconMode);
  List_Frames->setSelectionMode(QAbstractItemView::ExtendedSelection);
  List_Frames->setIconSize(QSize(Thumbnail::kSize, Thumbnail::kSize));
  List_Frames->setResizeMode(QListView::Adjust);
  List_Frames->setMovement(QListView::Static);
  List_Frames->setUniformItemSizes(true);
  List_Frames->setGridSize(FramesManagerModel::RowSize());
  layout->addWidget(List_Frames, 1);

  Panel_Prog = new QWidget(this);
  auto* progress = new QHBoxLayout(Panel_Prog);
  progress->addWidget(new QLabel("Please Wait... Generating Thumbnails", Panel_Prog));
  ProgressBar = new QProgressBar(Panel_Prog);
  ProgressBar->setRange(0, 100);
  progress->addWidget(ProgressBar, 1);
  Btn_Abort = new QPushButton("Abort", Panel_Prog);
  progress->addWidget(Btn_Abort);
  layout->addWidget(Panel_Prog);

  auto* bottom = new QHBoxLayout;
  auto* add_group = new QGroupBox("Add To Sequence", this);
  auto* add_layout = new QHBoxLayout(add_group);
  Combo_AddTo = new QComboBox(add_group);
  Combo_AddTo->setObjectName("Combo_AddTo");
  Btn_AddTo = new QPushButton("Add", add_group);
  add_layout->addWidget(Combo_AddTo, 1);
  add_layout->addWidget(Btn_AddTo);
  bottom->addWidget(add_group, 1);
  Btn_Duplicate = new QPushButton("Duplicate", this);
  Btn_Delete = new QPushButton("Delete", this);
  Btn_Export = new QPushButton("Export", this);
  Btn_Done = new QPushButton("Done", this);
  for (QPushButton* button : {Btn_Duplicate, Btn_Delete, Btn_Export, Btn_Done})
    bottom->addWidget(button);
  layout->addLayout(bottom);

  List_Frames->viewport()->installEventFilter(this);
  connect(List_Frames->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { List_FramesClick(); });
  connect(List_Frames->verticalScrollBar(), &QScrollBar::valueChanged, this,
          [this] { RequestThumbnailsInSight(); });
  connect(Btn_Duplicate, &QPushButton::clicked, this, [this] { Btn_DuplicateClick(); });
  connect(Btn_Delete, &QPushButton::clicked, this, [this] { Btn_DeleteClick(); });
  connect(Btn_Export, &QPushButton::clicked, this, [this] { Btn_ExportClick(); });
  connect(Btn_AddTo, &QPushButton::clicked, this, [this] { Btn_AddToClick(); });
  connect(Btn_Abort, &QPushButton::clicked, this, [this] { Btn_AbortClick(); });
  connect(Btn_Done, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
}

TManageFramesForm::~TManageFramesForm() = default;

void TManageFramesForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TManageFramesForm::SetCommandsEnabled(bool enabled) {
  for (QPushButton* button : {Btn_Done, Btn_Duplicate, Btn_Delete, Btn_Export, Btn_AddTo})
    button->setEnabled(enabled);
}

void TManageFramesForm::FormShow() {
  TBAMForm* doc = host_.document ? host_.document() : nullptr;
  if (!doc) {
    QTimer::singleShot(0, this, [this] { done(QDialog::Rejected); });
    return;
  }
  SetCommandsEnabled(false);
  Btn_Abort->setEnabled(true);
  model_->Show(0);
  thumbnails_.clear();
  Panel_Prog->show();
  ProgressBar->setValue(0);
  Combo_AddTo->clear();
  for (int s = 0; s < doc->BAM.CycleCount(); ++s)
    Combo_AddTo->addItem("Sequence " + QString::number(s));
  Combo_AddTo->setCurrentIndex(host_.selected_sequence ? host_.selected_sequence() : -1);
  building_ = true;
  const unsigned generation = ++generation_;
  // The build starts once the window is on screen.
  QTimer::singleShot(1, this, [this, generation] {
    if (generation == generation_) Timer1Timer();
  });
}

void TManageFramesForm::Timer1Timer() {
  TBAMForm* doc = host_.document();
  if (!doc) return;
  // The worker reads a copy of the stored frames; the frame on screen goes in first.
  doc->CommitPendingEdits();
  AddLogLine("MNGR: Make Previews");
  thumbnails_.assign(static_cast<std::size_t>(doc->BAM.FrameCount()), nullptr);
  kept_thumbnails_ = 0;
  StartWorker();
  FillList();
  // Nothing in sight to make (no frames): the worker still reports, which ends the opening.
  if (requested_.empty()) doc->BAM.RequestPreviews({});
}

void TManageFramesForm::StartWorker() {
  TBAMForm* doc = host_.document();
  if (!doc) return;
  const unsigned generation = ++generation_;
  requested_.clear();
  if (!building_) Panel_Prog->hide();  // the old worker's batch will never report
  PreviewCallbacks callbacks;
  callbacks.dispatch = [this](std::function<void()> task) {
    // Queued to this window: nothing runs once it is destroyed.
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
  };
  callbacks.on_thumbnail = [this, generation](std::int32_t frame, Thumbnail thumbnail) {
    if (generation == generation_) ThumbnailArrived(frame, std::move(thumbnail));
  };
  callbacks.on_progress = [this, generation](std::int32_t position, std::int32_t maximum) {
    if (generation != generation_) return;
    ProgressBar->setValue(maximum > 0 ? position * 100 / maximum : 100);
  };
  callbacks.on_done = [this, generation] { PreviewFinished(generation); };
  doc->BAM.MakePreviewsOnDemand(std::move(callbacks),
                                [this, generation] { WorkerIdle(generation); });
}

void TManageFramesForm::ThumbnailArrived(std::int32_t frame, Thumbnail thumbnail) {
  if (frame < 0 || frame >= static_cast<std::int32_t>(thumbnails_.size())) return;
  auto& slot = thumbnails_[static_cast<std::size_t>(frame)];
  if (!slot) ++kept_thumbnails_;
  slot = std::make_shared<const Thumbnail>(std::move(thumbnail));
  model_->ThumbnailChanged(frame);
  if (kept_thumbnails_ > kMaxKeptThumbnails) ForgetFarThumbnails();
}

void TManageFramesForm::WorkerIdle(unsigned generation) {
  if (generation != generation_) return;
  Panel_Prog->hide();
  if (!building_) return;
  building_ = false;
  Btn_Done->setEnabled(true);
  AppendToLog(" [OK]");
  List_FramesClick();
}

void TManageFramesForm::PreviewFinished(unsigned generation) {
  if (generation != generation_) return;  // the window was closed or the worker replaced
  // The worker only ends when cancelled: Abort while opening, or the document went.
  const bool opening = building_;
  building_ = false;
  if (opening) AppendToLog(" [ABORTED]");
  done(QDialog::Rejected);
}

void TManageFramesForm::ShowThumbnails(std::vector<Thumbnail> thumbnails) {
  thumbnails_.clear();
  for (Thumbnail& thumbnail : thumbnails)
    thumbnails_.push_back(std::make_shared<const Thumbnail>(std::move(thumbnail)));
  kept_thumbnails_ = static_cast<int>(thumbnails_.size());
  FillList();
}

void TManageFramesForm::FillList() {
  model_->Show(host_.document() ? host_.document()->BAM.FrameCount() : 0);
  RequestThumbnailsInSight();
}

int TManageFramesForm::FirstRowReaching(int y) const {
  const int rows = model_->rowCount();
  if (rows == 0) return 0;
  // The items run left to right, then down, and every line starts in the first column:
  // probing that column downwards in steps shorter than an item meets the first line that
  // reaches `y`, wherever the grid leaves gaps between items.
  const QRect first = List_Frames->visualRect(model_->index(0, 0));
  const int bottom = List_Frames->visualRect(model_->index(rows - 1, 0)).bottom();
  const int step = std::max(first.height() / 2, 1);
  for (int probe = std::max(y, first.top()); probe <= bottom; probe += step) {
    const QModelIndex at = List_Frames->indexAt(QPoint(first.center().x(), probe));
    if (at.isValid()) return at.row();
  }
  return rows;
}

void TManageFramesForm::RequestThumbnailsInSight() {
  const QRect view = List_Frames->viewport()->rect();
  const int rows = std::min(model_->rowCount(), static_cast<int>(thumbnails_.size()));
  // Half a screen above and below sight is asked for too, so a little scrolling finds the
  // thumbnails made; those in sight come first.
  const int margin = view.height() / 2;
  std::vector<std::int32_t> wanted, nearby;
  for (int row = FirstRowReaching(view.top() - margin); row < rows; ++row) {
    const QRect rect = List_Frames->visualRect(model_->index(row, 0));
    if (rect.top() > view.bottom() + margin) break;
    if (thumbnails_[static_cast<std::size_t>(row)]) continue;
    (view.intersects(rect) ? wanted : nearby).push_back(row);
  }
  wanted.insert(wanted.end(), nearby.begin(), nearby.end());
  const bool already_asked = std::all_of(wanted.begin(), wanted.end(), [this](std::int32_t f) {
    return std::find(requested_.begin(), requested_.end(), f) != requested_.end();
  });
  TBAMForm* doc = host_.document ? host_.document() : nullptr;
  if (already_asked || !doc) return;
  requested_ = wanted;
  doc->BAM.RequestPreviews(std::move(wanted));
  ProgressBar->setValue(0);
  Panel_Prog->show();
}

void TManageFramesForm::ForgetFarThumbnails() {
  const int centre = FirstRowReaching(List_Frames->viewport()->rect().top());
  kept_thumbnails_ = 0;
  for (std::size_t row = 0; row < thumbnails_.size(); ++row) {
    if (!thumbnails_[row]) continue;
    if (std::abs(static_cast<int>(row) - centre) > kMaxKeptThumbnails / 2)
      thumbnails_[row].reset();
    else
      ++kept_thumbnails_;
  }
}

bool TManageFramesForm::eventFilter(QObject* watched, QEvent* event) {
  // A taller or wider list shows more items; they are laid out once this event is handled.
  if (watched == List_Frames->viewport() && event->type() == QEvent::Resize)
    QTimer::singleShot(0, this, [this] { RequestThumbnailsInSight(); });
  return QDialog::eventFilter(watched, event);
}

void TManageFramesForm::done(int result) {
  // Late thumbnails of this showing must not land in the next one.
  if (host_.document()) host_.document()->BAM.CancelPreviews();
  building_ = false;
  ++generation_;
  model_->Show(0);
  thumbnails_.clear();
  kept_thumbnails_ = 0;
  requested_.clear();
  QDialog::done(result);
}

std::vector<int> TManageFramesForm::SelectedFrames() const {
  std::vector<int> frames;
  for (const QModelIndex& index : List_Frames->selectionModel()->selectedIndexes())
    frames.push_back(index.row());
  return frames;
}

void TManageFramesForm::List_FramesClick() {
  if (building_) return;
  const auto count = List_Frames->selectionModel()->selectedIndexes().size();
  for (QPushButton* button : {Btn_Duplicate, Btn_Delete}) button->setEnabled(count > 0);
  Btn_AddTo->setEnabled(count > 0 && Combo_AddTo->currentIndex() >= 0);
  Btn_Export->setEnabled(count == 1);
}

bool TManageFramesForm::SingleFrameCheck() {
  if (!host_.document() || building_) return false;
  return !host_.convert_check || host_.convert_check();
}

void TManageFramesForm::RunOnSelection(
    const std::function<void(TBAMForm&, const std::vector<int>&)>& command) {
  TBAMForm* doc = host_.document();
  if (!doc || building_) return;
  try {
    command(*doc, SelectedFrames());
  } catch (const std::exception& e) {
    AppendToLog(std::string(" [ABORTED] (") + e.what() + ")");
    prompts_.Error(kAppTitle, e.what());
  }
  // The main window's lists are refreshed once, whatever number of frames changed.
  host_.lists_changed();
}

void TManageFramesForm::Btn_DuplicateClick() {
  if (!SingleFrameCheck()) return;
  RunOnSelection([this](TBAMForm& doc, const std::vector<int>& frames) {
    DuplicateFrames(doc, frames, thumbnails_);
  });
  StartWorker();  // the old one reads frames as they were
  UpdateThumbs();
}

void TManageFramesForm::Btn_DeleteClick() {
  if (!SingleFrameCheck()) return;
  RunOnSelection([this](TBAMForm& doc, const std::vector<int>& frames) {
    DeleteFrames(doc, frames, thumbnails_);
  });
  StartWorker();  // the old one reads frames as they were
  UpdateThumbs();
}

void TManageFramesForm::Btn_AddToClick() {
  const int sequence = Combo_AddTo->currentIndex();
  if (sequence < 0) return;
  RunOnSelection([sequence](TBAMForm& doc, const std::vector<int>& frames) {
    AddFramesToCycle(doc, frames, sequence);
  });
}

void TManageFramesForm::Btn_ExportClick() {
  TBAMForm* doc = host_.document();
  const std::vector<int> selected = SelectedFrames();
  if (!doc || building_ || selected.size() != 1) return;
  const int frame = selected.front();
  AddLogLine("MNGR: Export Frame");
  const FileChoice choice = prompts_.ChooseSaveFile(
      "Export Frame", kImageFilter, 0, ProposedExportName(doc->BAM.FileName, "_Frame", frame));
  if (!choice.Accepted) {
    AppendToLog(" [ABORTED] (Cancelled)");
    return;
  }
  const auto kind = static_cast<std::uint8_t>(choice.FilterIndex + 1);
  const std::string final_name = SaveNameForKind(kind, choice.Path).string();
  const bool partial = doc->BAM.FrameCount() > 1;
  const bool replaces_document = partial && IsSameFile(final_name, doc->BAM.FileName);
  if (!ConfirmSaveTarget(prompts_, "Export Frame", choice.Path, final_name, doc->BAM.FileName,
                         partial ? "frame " + std::to_string(frame) + " alone" : "")) {
    AppendToLog(" [ABORTED] (Cancelled)");
    return;
  }
  try {
    doc->CommitPendingEdits();
    SaveImageFile(FramePicture(doc->BAM, frame), kind, choice.Path, doc->BAM.GetTransCol());
    AppendToLog(" [OK]");
    if (replaces_document && host_.document_file_replaced) host_.document_file_replaced();
  } catch (const std::exception& e) {
    AppendToLog(std::string(" [ABORTED] (") + e.what() + ")");
    prompts_.Error(kAppTitle, std::string("The frame was not exported.\r\r") + e.what());
  }
}

void TManageFramesForm::Btn_AbortClick() {
  TBAMForm* doc = host_.document();
  if (!doc) return;
  if (building_) {
    doc->BAM.CancelPreviews();  // the manager then closes
    return;
  }
  // Once open, only what scrolling asked for stops; scrolling asks again.
  requested_.clear();
  doc->BAM.RequestPreviews({});
}

void TManageFramesForm::UpdateThumbs() {
  const int selected = List_Frames->currentIndex().row();
  FillList();
  const int keep = SelectionAfterRefresh(selected, model_->rowCount());
  if (keep >= 0)
    List_Frames->selectionModel()->setCurrentIndex(model_->index(keep, 0),
                                                   QItemSelectionModel::SelectCurrent);
  List_FramesClick();
}

}  // namespace celwright
