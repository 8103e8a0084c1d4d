#include "app/preview_window.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>
#include <filesystem>
#include <string>

#include "app/app_settings.h"
#include "app/bitmap_image.h"
#include "app/file_filters.h"
#include "app/picture_loader.h"
#include "app/user_prompts.h"
#include "document/document_options.h"
#include "model/qm_BAM.h"
#include "support/image_io/image_file.h"
#include "support/qm_log.h"

namespace celwright {

namespace {

constexpr int kTopPanelHeight = 64;

// The picture area: shows the composition and reports clicks in its own pixels.
class PreviewArea : public QWidget {
 public:
  PreviewArea(const Bitmap& composition, std::function<void(int, int)> on_click, QWidget* parent)
      : QWidget(parent), composition_(composition), on_click_(std::move(on_click)) {
    setFixedSize(kPreviewAreaWidth, kPreviewAreaHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QImage image = WrapBitmap(composition_);
    if (image.isNull()) {
      painter.fillRect(rect(), Qt::black);
    } else {
      painter.drawImage(0, 0, image);
    }
  }
  void mousePressEvent(QMouseEvent* event) override {
    const QPoint at = event->position().toPoint();
    on_click_(at.x(), at.y());
  }

 private:
  const Bitmap& composition_;
  std::function<void(int, int)> on_click_;
};

QToolButton* SpeedButton(const QString& text, const QString& hint, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setText(text);
  button->setToolTip(hint);
  button->setAccessibleName(hint);
  return button;
}

}  // namespace

TPreviewForm::TPreviewForm(UserPrompts& prompts, AppSettings& settings, QWidget* parent)
    : QDialog(parent), prompts_(prompts), settings_(settings) {
  setObjectName("PreviewForm");
  setWindowTitle("Preview Animation");
  normal_caption_ = windowTitle();

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  Menu = new QMenuBar(this);
  QMenu* file = Menu->addMenu("&File");
  QAction* editor = file->addAction("Switch to &Editor Mode", QKeySequence("Ctrl+E"),
                                    [this] { done(kResultEditor); });
  editor->setObjectName("Editor1");
  QAction* exit = file->addAction("E&xit", QKeySequence("Alt+F4"), [this] { done(kResultExit); });
  exit->setObjectName("Exit1");
  QMenu* help = Menu->addMenu("&Help");
  QAction* about = help->addAction("&About", QKeySequence("F1"), [this] {
    if (OnAbout) OnAbout();
  });
  about->setObjectName("About1");
  outer->setMenuBar(Menu);
  Menu->setVisible(false);
  for (QAction* entry : {editor, exit, about}) entry->setEnabled(false);

  auto* top = new QWidget(this);
  top->setFixedHeight(kTopPanelHeight);
  auto* top_layout = new QVBoxLayout(top);
  top_layout->setContentsMargins(6, 4, 6, 2);
  top_layout->setSpacing(2);
  auto* row = new QHBoxLayout;
  auto* label = new QLabel("Select Background:", top);
  Combo_BG = new QComboBox(top);
  Combo_BG->setObjectName("Combo_BG");
  Combo_BG->setMinimumWidth(220);
  label->setBuddy(Combo_BG);
  Btn_Save = SpeedButton("Save", "Save background (& BAM position) in list", top);
  Btn_Remove = SpeedButton("Remove", "Remove background from list", top);
  Btn_Default = SpeedButton("Default", "Set background as default", top);
  Btn_Default->setCheckable(true);
  Btn_Done = new QPushButton("Done", top);
  auto* speed_label = new QLabel("Speed:", top);
  Spin_Speed = new QSpinBox(top);
  Spin_Speed->setObjectName("Spin_Speed");
  Spin_Speed->setRange(1, 1000);
  Spin_Speed->setSuffix(" ms");
  Spin_Speed->setToolTip("Milliseconds each frame is shown");
  speed_label->setBuddy(Spin_Speed);
  row->addWidget(label);
  row->addWidget(Combo_BG);
  row->addWidget(Btn_Save);
  row->addWidget(Btn_Remove);
  row->addWidget(Btn_Default);
  row->addStretch();
  row->addWidget(speed_label);
  row->addWidget(Spin_Speed);
  row->addWidget(Btn_Done);
  top_layout->addLayout(row);
  auto* note = new QLabel(
      "Select \"Custom Background\" to import your own bimap. Note that if the file is bigger "
      "than 512x320 pixels it will be truncated. Also note that with a custom background you may "
      "position the animation anywhere by clicking on the image.",
      top);
  note->setWordWrap(true);
  QFont small = note->font();
  small.setPointSizeF(small.pointSizeF() * 0.75);
  note->setFont(small);
  top_layout->addWidget(note);
  outer->addWidget(top);

  PaintBackground(Bitmap(), composition_);
  Area = new PreviewArea(
      composition_, [this](int x, int y) { AreaMouseDown(x, y); }, this);
  outer->addWidget(Area);
  outer->setSizeConstraint(QLayout::SetFixedSize);

  connect(Combo_BG, &QComboBox::activated, this, [this] { Combo_BGChange(true); });
  connect(Btn_Save, &QToolButton::clicked, this, [this] { Btn_SaveClick(); });
  connect(Btn_Remove, &QToolButton::clicked, this, [this] { Btn_RemoveClick(); });
  connect(Btn_Default, &QToolButton::clicked, this, [this] { Btn_DefaultClick(); });
  connect(Btn_Done, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
  connect(Spin_Speed, &QSpinBox::valueChanged, this,
          [this](int ms) { timer_.setInterval(PlayIntervalMs(ms)); });
  connect(&timer_, &QTimer::timeout, this, [this] { Timer1Timer(); });

  LoadBGSettings();
  current_ = list_.Default();
  SelectItem(current_);
  UpdateButtons();
}

TPreviewForm::~TPreviewForm() = default;

const Bitmap& TPreviewForm::BackgroundPicture(int index) {
  if (!list_.IsBuiltIn(index)) return custom_picture_;
  Bitmap& picture = built_in_[static_cast<std::size_t>(index)];
  if (picture.Empty()) picture = MakeBuiltInBackground(index);
  return picture;
}

void TPreviewForm::LoadBGSettings() {
  list_.Load([this](const std::string& name) { return settings_.ReadString(name); });
  FillCombo();
}

void TPreviewForm::SaveBGSettings() {
  list_.Save([this](const std::string& name, const std::string& value) {
    settings_.WriteString(name, value);
  });
}

void TPreviewForm::FillCombo() {
  const QSignalBlocker block(Combo_BG);
  Combo_BG->clear();
  for (const PreviewBackground& item : list_.Items())
    Combo_BG->addItem(QString::fromStdString(item.Name));
}

void TPreviewForm::SelectItem(int index) {
  const QSignalBlocker block(Combo_BG);
  Combo_BG->setCurrentIndex(index);
}

void TPreviewForm::Begin(const TBAM* bam, const TSmallLookup& cycle, int frame_speed_ms) {
  bam_ = bam;
  Combo_BGChange(false);
  player_.Start(cycle);
  PaintBackground(BackgroundPicture(current_), composition_);
  {
    const QSignalBlocker block(Spin_Speed);
    Spin_Speed->setValue(PlayIntervalMs(frame_speed_ms));
  }
  timer_.start(PlayIntervalMs(frame_speed_ms));
}

int TPreviewForm::Run(const TBAM* bam, const TSmallLookup& cycle, int frame_speed_ms) {
  Begin(bam, cycle, frame_speed_ms);
  return exec();
}

void TPreviewForm::done(int result) {
  timer_.stop();
  bam_ = nullptr;
  QDialog::done(result);
}

void TPreviewForm::SetStandAlone(bool on, const QString& caption) {
  setWindowTitle(on ? caption : normal_caption_);
  Menu->setVisible(on);
  for (QAction* entry : Menu->findChildren<QAction*>())
    if (!entry->menu()) entry->setEnabled(on);
  Btn_Done->setVisible(!on);
}

void TPreviewForm::Timer1Timer() {
  if (!bam_) return;
  try {
    player_.Tick(*bam_, BackgroundPicture(current_), list_.Anchor(current_), composition_);
  } catch (const std::exception& e) {
    // A frame the animation cannot decode (one too large to hold in memory): playing on would
    // only meet it again, so the window stops, says why, and stays open on the background.
    timer_.stop();
    AddLogLine("PRVW: Play Frame");
    AppendToLog(std::string(" [ABORTED] (") + e.what() + ")");
    prompts_.Error(windowTitle().toStdString(), e.what());
  }
  Area->update();
}

void TPreviewForm::SelectBackground(int index) {
  if (index < 0 || index >= list_.Count()) return;
  SelectItem(index);
  Combo_BGChange(false);
}

bool TPreviewForm::LoadCustomPicture(const std::string& file, std::uint8_t kind) {
  try {
    LoadedPicture loaded = LoadPictureFile(file, kind);
    custom_picture_ = std::move(loaded.Picture);
    custom_file_ = file;
    return true;
  } catch (const std::exception& e) {
    prompts_.Error(windowTitle().toStdString(), e.what());
    return false;
  }
}

void TPreviewForm::Combo_BGChange(bool from_user) {
  const int chosen = Combo_BG->currentIndex();
  if (chosen >= 0 && !list_.IsBuiltIn(chosen)) {
    const bool was_running = timer_.isActive();
    timer_.stop();
    const std::string& file = list_.Items()[static_cast<std::size_t>(chosen)].File;
    bool loaded = false;
    if (!file.empty()) {
      loaded = file == custom_file_ || LoadCustomPicture(file, kImageKindByExtension);
    } else if (from_user) {
      const FileChoice choice = prompts_.ChooseOpenFile("Load Background", kImageFilter);
      // The filter only narrows what the dialog lists; the name says what the picture is.
      if (choice.Accepted) loaded = LoadCustomPicture(choice.Path, kImageKindByExtension);
    } else {
      loaded = chosen == current_ && !custom_file_.empty();
    }
    if (loaded) {
      current_ = chosen;
    } else if (current_ == chosen) {
      current_ = 0;  // the default's picture is gone: there is no previous background to keep
    }
    SelectItem(current_);
    if (was_running) timer_.start();
  } else if (chosen >= 0) {
    current_ = chosen;
  }
  UpdateButtons();
}

void TPreviewForm::UpdateButtons() {
  const bool last = current_ == list_.LastItem();
  Btn_Save->setVisible(last);
  Btn_Remove->setVisible(list_.IsSavedCustom(current_));
  Btn_Default->setVisible(!last);
  Btn_Default->setChecked(current_ == list_.Default());
}

void TPreviewForm::Btn_SaveClick() {
  if (current_ != list_.LastItem() || custom_file_.empty()) return;
  if (list_.Full()) {
    prompts_.Information("Save Background",
                         "The list holds at most " + std::to_string(kMaxCustomBackgrounds) +
                             " saved backgrounds. Remove one before saving another.");
    return;
  }
  const std::string proposal = std::filesystem::path(custom_file_).filename().string();
  const std::optional<std::string> name =
      prompts_.AskText("Save Background", "Enter Background Name:", proposal);
  if (!name) return;
  AddLogLine("PRVW: Save Background \"" + *name + "\"");
  current_ = list_.SaveCustom(*name, custom_file_);
  SaveBGSettings();
  FillCombo();
  SelectItem(current_);
  UpdateButtons();
  AppendToLog(" [OK]");
}

void TPreviewForm::Btn_RemoveClick() {
  if (!list_.IsSavedCustom(current_)) return;
  AddLogLine("PRVW: Remove Background \"" + list_.Items()[static_cast<std::size_t>(current_)].Name +
             "\"");
  const int next = list_.Remove(current_);
  SaveBGSettings();
  FillCombo();
  if (list_.IsBuiltIn(next)) {
    current_ = next;
  } else {
    // Another saved picture, which the shared holder does not hold yet.
    const std::string file = list_.Items()[static_cast<std::size_t>(next)].File;
    current_ = LoadCustomPicture(file, 0) ? next : 0;
  }
  SelectItem(current_);
  UpdateButtons();
  AppendToLog(" [OK]");
}

void TPreviewForm::Btn_DefaultClick() {
  list_.SetDefault(current_);
  SaveBGSettings();
  UpdateButtons();
}

void TPreviewForm::AreaMouseDown(int x, int y) {
  if (current_ != list_.LastItem()) return;
  list_.Anchor(current_) = {x, y};
}

}  // namespace celwright
