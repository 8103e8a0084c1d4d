#include "app/progress_window.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

#include "model/bam_types.h"

namespace celwright {

namespace {

// A file of 60,000 frames reports each of them: painting every report would take longer than
// the load itself, so the window is painted at most this often (a few times a second).
constexpr qint64 kPaintIntervalMs = 200;

QProgressBar* NewBar(QWidget* parent, const char* name) {
  auto* bar = new QProgressBar(parent);
  bar->setObjectName(name);
  bar->setTextVisible(false);
  bar->setFixedHeight(12);
  return bar;
}
}  // namespace

TProgForm::TProgForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("ProgForm");
  setFixedWidth(300);
  Lbl_Msg = new QLabel(this);
  Lbl_LoadSave = new QLabel("Loading:", this);
  Lbl_Frames = new QLabel("Frames:", this);
  Lbl_Seqs = new QLabel("Sequences:", this);
  Prog_MemLoad = NewBar(this, "Prog_MemLoad");
  Prog_Frames = NewBar(this, "Prog_Frames");
  Prog_Seqs = NewBar(this, "Prog_Seqs");
  Panel_Load = new QWidget(this);
  Panel_Load->setFixedHeight(26);
  Prog_Palette = NewBar(Panel_Load, "Prog_Palette");
  auto* palette_row = new QGridLayout(Panel_Load);
  palette_row->setContentsMargins(0, 0, 0, 0);
  palette_row->addWidget(new QLabel("Palette:", Panel_Load), 0, 0);
  palette_row->addWidget(Prog_Palette, 0, 1);
  palette_row->setColumnMinimumWidth(0, 80);

  auto* grid = new QGridLayout;
  grid->setColumnMinimumWidth(0, 80);
  grid->addWidget(Lbl_LoadSave, 0, 0);
  grid->addWidget(Prog_MemLoad, 0, 1);
  grid->addWidget(Lbl_Frames, 1, 0);
  grid->addWidget(Prog_Frames, 1, 1);
  grid->addWidget(Lbl_Seqs, 2, 0);
  grid->addWidget(Prog_Seqs, 2, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Lbl_Msg);
  layout->addLayout(grid);
  layout->addWidget(Panel_Load);
  setAttribute(Qt::WA_StyledBackground, true);
  setStyleSheet("#ProgForm { border: 1px solid palette(dark); }");
  // Painted only through Paint(): otherwise every bar would repaint itself on each move.
  setUpdatesEnabled(false);
}

void TProgForm::Paint(std::uint8_t stage, std::int32_t position, std::int32_t max) {
  // A new stage is shown at once, as is the end of one: the next may be long and report
  // nothing until it ends.
  if (stage == painted_stage_ && position < max && painted_.elapsed() < kPaintIntervalMs) return;
  // Setting a bar's value costs a measure of its text, even unseen: only here, not per report.
  for (const WaitingValue& value : waiting_) {
    value.bar->setRange(0, std::max(0, value.max));
    value.bar->setValue(std::clamp(value.position, 0, std::max(0, value.max)));
  }
  waiting_.clear();
  if (!isVisible()) return;
  setUpdatesEnabled(true);
  repaint();
  setUpdatesEnabled(false);
  painted_.start();
  painted_stage_ = stage;
}

void TProgForm::SetBar(QProgressBar* bar, std::int32_t position, std::int32_t max) {
  for (WaitingValue& value : waiting_) {
    if (value.bar == bar) {
      value.position = position;
      value.max = max;
      return;
    }
  }
  waiting_.push_back({bar, position, max});
}

void TProgForm::Begin(const QString& message, bool with_palette, const char* first,
                      const char* second, const char* third) {
  Lbl_Msg->setText(message);
  Panel_Load->setVisible(with_palette);
  Lbl_LoadSave->setText(first);
  Lbl_Frames->setText(second);
  Lbl_Seqs->setText(third);
  waiting_.clear();
  for (QProgressBar* bar : {Prog_MemLoad, Prog_Frames, Prog_Seqs, Prog_Palette}) bar->setValue(0);
  Prog_Seqs->setVisible(true);
  adjustSize();
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->geometry().center() - rect().center());
  show();
  painted_stage_ = -1;
}

void TProgForm::LoadSaveProgress(std::int32_t position, std::int32_t max, std::uint8_t stage,
                                 const QString& file_name) {
  switch (stage) {
    case kStageLoadStart:
      Begin(file_name + "...", true, "Loading:", "Frames:", "Sequences:");
      break;
    case kStageSaveStart:
      Begin(file_name + "...", false, "Prepping:", "Updating:", "Saving:");
      break;
    case kStageLoadRead:
    case kStageSaveFrameData:
      SetBar(Prog_MemLoad, position, max);
      break;
    case kStageLoadFrames:
    case kStageSaveUpdate:
      SetBar(Prog_Frames, position, max);
      break;
    case kStageLoadCycles:
    case kStageSaveWrite:
      SetBar(Prog_Seqs, position, max);
      break;
    case kStageLoadPalette:
      SetBar(Prog_Palette, position, max);
      break;
    case kStageSaveCompressed:
      SetBar(Prog_Seqs, 2, 2);
      break;
    case kStageFinished:
      hide();
      break;
    default:
      break;
  }
  Paint(stage, position, max);
}

void TProgForm::ConvertProgress(std::int32_t position, std::int32_t max, std::uint8_t stage) {
  switch (stage) {
    case 0:
      Begin("Converting BAM...", true, "Scanning:", "Converting:", "Storing:");
      break;
    case 1:
      SetBar(Prog_MemLoad, position, max);
      break;
    case 2:
      SetBar(Prog_Frames, position, max);
      break;
    case 3:
      SetBar(Prog_Seqs, position, max);
      break;
    case 10:
      hide();
      break;
    default:
      break;
  }
  Paint(stage, position, max);
}

}  // namespace celwright
