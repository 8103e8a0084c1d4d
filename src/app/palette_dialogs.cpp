#include "app/palette_dialogs.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "app/arrow_keys.h"
#include "app/save_rules.h"
#include "app/user_prompts.h"
#include "document/bam_form.h"
#include "model/shared_palette.h"
#include "support/palette_adjust.h"
#include "support/file_io.h"
#include "support/palette_file.h"
#include "support/qm_log.h"

namespace celwright {

// ---- Shared behaviour --------------------------------------------------------------------

PaletteDialog::PaletteDialog(QMainWindow* main_window, const char* name, const char* caption)
    : QDialog(main_window, Qt::Tool), main_window_(main_window) {
  setObjectName(name);
  setWindowTitle(caption);
}

void PaletteDialog::BuildButtons(QWidget* content, const char* ok_caption) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(content);
  auto* row = new QHBoxLayout;
  Btn_OK = new QPushButton(ok_caption, this);
  Btn_OK->setObjectName("Btn_OK");
  Btn_OK->setDefault(true);
  Btn_Cancel = new QPushButton("Cancel", this);
  Btn_Cancel->setObjectName("Btn_Cancel");
  Btn_Preview = new QPushButton("Preview", this);
  Btn_Preview->setObjectName("Btn_Preview");
  row->addWidget(Btn_Preview);
  row->addStretch(1);
  row->addWidget(Btn_OK);
  row->addWidget(Btn_Cancel);
  layout->addLayout(row);
  connect(Btn_OK, &QPushButton::clicked, this, [this] { accept(); });
  connect(Btn_Cancel, &QPushButton::clicked, this, [this] { reject(); });
  connect(Btn_Preview, &QPushButton::clicked, this, [this] { Preview(); });
}

void PaletteDialog::Begin(TBAMForm& form) {
  // Pending text and a floating selection land under the old palette, as their own steps, so
  // the palette's undo step takes back the palette alone.
  form.LandPendingEdits();
  form_ = &form;
  saved_ = form.BAM.Palette;
  ResetControls();
  adjustSize();
  if (main_window_) {
    const QRect main = main_window_->geometry();
    const int status = main_window_->statusBar() ? main_window_->statusBar()->height() : 0;
    move(main.x() + main.width() - width() - 4, main.y() + main.height() - height() - 4 - status);
  }
}

bool PaletteDialog::Execute(TBAMForm& form) {
  Begin(form);
  return exec() == QDialog::Accepted;
}

void PaletteDialog::Apply() {
  if (!form_ || !form_->BAM.IsOpen) return;
  const char* caption = LogCaption();
  if (*caption) AddLogLine(caption);
  form_->PreviewPalette(Result());
  if (*caption) AppendToLog(" [OK]");
}

void PaletteDialog::Preview() { Apply(); }

void PaletteDialog::accept() {
  Apply();
  QDialog::accept();
}

void PaletteDialog::reject() {
  if (form_ && form_->BAM.IsOpen) form_->PreviewPalette(saved_);
  QDialog::reject();
}

// ---- Colour balance and contrast ---------------------------------------------------------

namespace {

PercentControl AddPercentControl(QWidget* parent, QHBoxLayout* row, const char* title,
                                 const char* suffix) {
  auto* group = new QGroupBox(title, parent);
  auto* layout = new QVBoxLayout(group);
  PercentControl control;
  control.Track = new QSlider(Qt::Vertical, group);
  control.Track->setObjectName(QString("Track_") + suffix);
  control.Track->setRange(-100, 100);
  control.Track->setPageStep(10);
  control.Track->setTickInterval(10);
  control.Track->setTickPosition(QSlider::TicksBothSides);
  control.Track->setMinimumHeight(120);
  control.Spin = new QSpinBox(group);
  control.Spin->setObjectName(QString("Spin_") + suffix);
  control.Spin->setRange(-100, 100);
  layout->addWidget(control.Track, 1, Qt::AlignHCenter);
  layout->addWidget(control.Spin);
  row->addWidget(group);
  // A vertical slider already has its maximum at the top, so up is positive as it stands.
  QObject::connect(control.Track, &QSlider::valueChanged, control.Spin, &QSpinBox::setValue);
  QObject::connect(control.Spin, &QSpinBox::valueChanged, control.Track, &QSlider::setValue);
  return control;
}

}  // namespace

TColorizeForm::TColorizeForm(QMainWindow* main_window)
    : PaletteDialog(main_window, "ColorizeForm", "Color Balance") {
  auto* content = new QWidget(this);
  auto* row = new QHBoxLayout(content);
  Red = AddPercentControl(content, row, "Red", "Red");
  Green = AddPercentControl(content, row, "Green", "Green");
  Blue = AddPercentControl(content, row, "Blue", "Blue");
  BuildButtons(content, "OK");
}

Palette256 TColorizeForm::Result() {
  return ColorizePalette(SavedPalette(), Red.Spin->value(), Green.Spin->value(),
                         Blue.Spin->value());
}

void TColorizeForm::ResetControls() {
  for (PercentControl* control : {&Red, &Green, &Blue}) control->Spin->setValue(0);
}

TContrastForm::TContrastForm(QMainWindow* main_window)
    : PaletteDialog(main_window, "ContrastForm", "Contrast") {
  auto* content = new QWidget(this);
  auto* row = new QHBoxLayout(content);
  Contrast = AddPercentControl(content, row, "Contrast", "Contrast");
  BuildButtons(content, "OK");
}

Palette256 TContrastForm::Result() {
  return ContrastizePalette(SavedPalette(), Contrast.Spin->value());
}

void TContrastForm::ResetControls() { Contrast.Spin->setValue(0); }

// ---- Palette editor ------------------------------------------------------------------------

namespace {

constexpr int kCell = 16;
constexpr int kGrid = 16 * kCell;

// The 16 x 16 grid of entries; the selected one is outlined in white.
class PaletteEditGrid : public QWidget {
 public:
  explicit PaletteEditGrid(TPaletteForm* owner) : QWidget(owner), owner_(owner) {
    setFixedSize(kGrid, kGrid);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName("Palette entries");
    setAccessibleDescription(
        "Arrow keys choose an entry, Enter or Space changes its colour; a double click too");
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const Palette256& entries = owner_->Edited();
    for (int i = 0; i < 256; ++i) {
      const QRect cell((i % 16) * kCell, (i / 16) * kCell, kCell - 1, kCell - 1);
      const RGBTriple& c = entries[static_cast<std::size_t>(i)];
      painter.setPen(i == owner_->SelectedEntry ? Qt::white : Qt::black);
      painter.setBrush(QColor(c.r, c.g, c.b));
      painter.drawRect(cell);
    }
    if (hasFocus()) {
      // Where the keys act, even before anything is selected.
      const int at = std::max(owner_->SelectedEntry, 0);
      painter.setBrush(Qt::NoBrush);
      painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
      painter.drawRect((at % 16) * kCell + 2, (at / 16) * kCell + 2, kCell - 5, kCell - 5);
    }
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    owner_->SelectAt(event->position().toPoint().x(), event->position().toPoint().y());
  }
  void mouseDoubleClickEvent(QMouseEvent*) override { owner_->EditSelected(); }
  void keyPressEvent(QKeyEvent* event) override {
    const int entry = owner_->SelectedEntry;
    const QPoint step = ArrowKeyDirection(event->key());
    int target = entry + step.x() + 16 * step.y();
    switch (event->key()) {
      case Qt::Key_Home:
        target = 0;
        break;
      case Qt::Key_End:
        target = 255;
        break;
      case Qt::Key_Return:
      case Qt::Key_Enter:
      case Qt::Key_Space:
        owner_->EditSelected();
        return;
      default:
        if (step.isNull()) {
          QWidget::keyPressEvent(event);
          return;
        }
    }
    // The first key press lands on the first entry; keys never leave the grid.
    if (entry < 0 && !step.isNull()) target = 0;
    if (target >= 0 && target < 256) owner_->SelectEntry(target);
  }
  void focusInEvent(QFocusEvent* event) override {
    QWidget::focusInEvent(event);
    update();
  }
  void focusOutEvent(QFocusEvent* event) override {
    QWidget::focusOutEvent(event);
    update();
  }

 private:
  TPaletteForm* owner_;
};

}  // namespace

TPaletteForm::TPaletteForm(QMainWindow* main_window, UserPrompts& prompts)
    : PaletteDialog(main_window, "PaletteForm", "Edit Palette"), prompts_(prompts) {
  auto* content = new QWidget(this);
  auto* column = new QVBoxLayout(content);
  Img_Palette = new PaletteEditGrid(this);
  Img_Palette->setObjectName("Img_Palette");
  column->addWidget(Img_Palette);
  Lbl_Selected = new QLabel(content);
  Lbl_Selected->setObjectName("Lbl_Selected");
  column->addWidget(Lbl_Selected);
  auto* files = new QHBoxLayout;
  Btn_LoadPal = new QPushButton("Load", content);
  Btn_LoadPal->setObjectName("Btn_LoadPal");
  Btn_SavePal = new QPushButton("Save", content);
  Btn_SavePal->setObjectName("Btn_SavePal");
  files->addWidget(Btn_LoadPal);
  files->addWidget(Btn_SavePal);
  Btn_Rebuild = new QPushButton("Rebuild...", content);
  Btn_Rebuild->setObjectName("Btn_Rebuild");
  files->addWidget(Btn_Rebuild);
  column->addLayout(files);
  BuildButtons(content, "Ok");
  connect(Btn_LoadPal, &QPushButton::clicked, this, [this] { LoadPal(); });
  connect(Btn_SavePal, &QPushButton::clicked, this, [this] { SavePal(); });
  connect(Btn_Rebuild, &QPushButton::clicked, this, [this] { RebuildKeeping(); });
}

void TPaletteForm::ResetControls() {
  edited_ = SavedPalette();
  remap_ = false;
  kept_ = {};
  SelectEntry(-1);
}

void TPaletteForm::SelectAt(int x, int y) {
  const bool inside = x >= 0 && x < kGrid && y >= 0 && y < kGrid;
  SelectEntry(inside ? (y / kCell) * 16 + x / kCell : -1);
}

void TPaletteForm::SelectEntry(int index) {
  SelectedEntry = index >= 0 && index < 256 ? index : -1;
  ShowSelected();
}

void TPaletteForm::ShowSelected() {
  Img_Palette->update();
  if (SelectedEntry < 0) {
    Lbl_Selected->setText("No entry selected");
    return;
  }
  const RGBTriple& c = edited_[static_cast<std::size_t>(SelectedEntry)];
  const char* role = SelectedEntry == 0 ? " (transparent)" : SelectedEntry == 1 ? " (shadow)" : "";
  Lbl_Selected->setText(QString("Entry %1%2: red %3, green %4, blue %5")
                            .arg(SelectedEntry)
                            .arg(role)
                            .arg(c.r)
                            .arg(c.g)
                            .arg(c.b));
}

void TPaletteForm::EditSelected() {
  if (SelectedEntry < 0 || !form_) return;
  RGBTriple& entry = edited_[static_cast<std::size_t>(SelectedEntry)];
  TColor chosen = ToColor(entry);
  if (!prompts_.ChooseColor("Edit Palette", ToColor(entry), chosen)) return;
  AddLogLine("PLTE: Change Color");
  entry = ToTriple(chosen);
  AppendToLog(" [OK]");
  ShowSelected();
}

void TPaletteForm::LoadPal() {
  if (!form_) return;
  const FileChoice choice = prompts_.ChooseOpenFile(
      "Open Palette", "Microsoft Palette (*.pal)|*.pal|All Files (*.*)|*.*");
  if (!choice.Accepted) return;
  AddLogLine("PLTE: Import");
  Palette256 loaded = edited_;
  const PaletteFileResult result = LoadPaletteFile(choice.Path, loaded);
  if (!result.Ok) {
    AppendToLog(" [ABORTED] (" + result.Error + ")");
    prompts_.Error("Open Palette",
                   "Could not load the palette " + ShownName(choice.Path) + ":\r" + result.Error);
    return;
  }
  const int kept = prompts_.AskChoice(
      "Open Palette",
      "Keep every pixel's palette index (the pictures take the new colours), or keep every "
      "pixel's colour (pixels move to the nearest entry of the new palette)?",
      {"Keep indices", "Keep colours", "Cancel"});
  if (kept != 0 && kept != 1) {
    AppendToLog(" [ABORTED] (cancelled)");
    return;
  }
  edited_ = loaded;
  remap_ = kept == 1;
  kept_ = {};
  remap_step_ = "Load Palette";
  AppendToLog(" [OK]");
  ShowSelected();
  if (!result.Note.empty()) prompts_.Information("Open Palette", result.Note);
}

void TPaletteForm::accept() {
  if (remap_ && form_ && form_->BAM.IsOpen) {
    // As a conversion does: pending edits go into the frame first, and the frame is shown
    // again from the remapped pixels afterwards.
    form_->ShowFrame(form_->CurrentFrame);
    // Every frame changes: the pixels and the palette are one step of the history, so one undo
    // puts both back.
    form_->RecordChange(remap_step_, FrameSpan::All(), [&] {
      RemapFrames(form_->BAM, SavedPalette(), edited_, kept_);
      form_->PreviewPalette(edited_);
    });
    remap_ = false;
    PaletteDialog::accept();
    form_->ShowFrame(form_->CurrentFrame);
    return;
  }
  PaletteDialog::accept();
}

void TPaletteForm::SavePal() {
  if (!form_) return;
  std::filesystem::path suggested(form_->BAM.FileName);
  suggested.replace_extension(".pal");
  const FileChoice choice = prompts_.ChooseSaveFile(
      "Save Palette", "Microsoft Palette (*.pal)|*.pal", 0, suggested.string());
  if (!choice.Accepted) return;
  std::filesystem::path target(choice.Path);
  if (!target.has_extension()) target += ".pal";
  if (!ConfirmSaveTarget(prompts_, "Save Palette", choice.Path, target.string(),
                         form_->BAM.FileName, "the palette alone"))
    return;
  AddLogLine("PLTE: Export");
  try {
    SavePaletteFile(target, edited_);
  } catch (const std::exception& e) {
    AppendToLog(std::string(" [ABORTED] (") + e.what() + ")");
    prompts_.Error("Save Palette", e.what());
    return;
  }
  AppendToLog(" [OK]");
}

}  // namespace celwright
