#include "app/resize_frame_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "support/app_info.h"
#include "app/user_prompts.h"
#include "document/bam_form.h"

namespace celwright {

namespace {

// The anchor grid, row by row: what each button shows and says.
struct AnchorLook {
  const char* glyph;
  const char* tip;
};
constexpr AnchorLook kAnchorLooks[9] = {
    {"\u2196", "Top left"},    {"\u2191", "Top"},    {"\u2197", "Top right"},
    {"\u2190", "Left"},        {"\u2022", "Centre"}, {"\u2192", "Right"},
    {"\u2199", "Bottom left"}, {"\u2193", "Bottom"}, {"\u2198", "Bottom right"},
};

QComboBox* UnitList(QWidget* parent, const char* name) {
  auto* list = new QComboBox(parent);
  list->setObjectName(name);
  for (const char* unit : kSizeUnitNames) list->addItem(unit);
  list->setCurrentIndex(static_cast<int>(SizeUnit::Pixels));
  return list;
}

}  // namespace

TResizeFrameForm::TResizeFrameForm(QMainWindow* main_window, UserPrompts& prompts)
    : QDialog(main_window, Qt::Tool), main_window_(main_window), prompts_(prompts) {
  setObjectName("ResizeFrameForm");
  setWindowTitle("Resize Frame");
  auto* layout = new QVBoxLayout(this);

  auto* current = new QGroupBox("Current Size", this);
  auto* current_grid = new QGridLayout(current);
  lbl_width = new QLabel(current);
  lbl_width->setObjectName("lbl_width");
  lbl_height = new QLabel(current);
  lbl_height->setObjectName("lbl_height");
  current_grid->addWidget(new QLabel("Width:", current), 0, 0);
  current_grid->addWidget(lbl_width, 0, 1);
  current_grid->addWidget(new QLabel("Height:", current), 1, 0);
  current_grid->addWidget(lbl_height, 1, 1);
  layout->addWidget(current);

  auto* wanted = new QGroupBox("New Size", this);
  auto* wanted_grid = new QGridLayout(wanted);
  Edit_Width = new QLineEdit(wanted);
  Edit_Width->setObjectName("Edit_Width");
  Edit_Height = new QLineEdit(wanted);
  Edit_Height->setObjectName("Edit_Height");
  Combo_WidthUnits = UnitList(wanted, "Combo_WidthUnits");
  Combo_HeightUnits = UnitList(wanted, "Combo_HeightUnits");
  auto* width_label = new QLabel("&Width:", wanted);
  width_label->setBuddy(Edit_Width);
  auto* height_label = new QLabel("&Height:", wanted);
  height_label->setBuddy(Edit_Height);
  wanted_grid->addWidget(width_label, 0, 0);
  wanted_grid->addWidget(Edit_Width, 0, 1);
  wanted_grid->addWidget(Combo_WidthUnits, 0, 2);
  wanted_grid->addWidget(height_label, 1, 0);
  wanted_grid->addWidget(Edit_Height, 1, 1);
  wanted_grid->addWidget(Combo_HeightUnits, 1, 2);
  Chk_LockAspect = new QCheckBox("Lock Aspect Ratio", wanted);
  Chk_LockAspect->setObjectName("Chk_LockAspect");
  Chk_LockAspect->setChecked(true);
  wanted_grid->addWidget(Chk_LockAspect, 2, 0, 1, 3);

  auto* anchor_row = new QHBoxLayout;
  anchor_row->addWidget(new QLabel("Anchor:", wanted), 0, Qt::AlignTop);
  auto* anchor_grid = new QGridLayout;
  anchor_grid->setSpacing(1);
  anchors_ = new QButtonGroup(this);
  anchors_->setExclusive(true);
  for (int i = 0; i < 9; ++i) {
    const int column = i % 3, row = i / 3;
    auto* button = new QToolButton(wanted);
    button->setObjectName(QString("SpeedButton%1").arg(i + 1));
    button->setText(QString::fromUtf8(kAnchorLooks[i].glyph));
    button->setToolTip(kAnchorLooks[i].tip);
    button->setCheckable(true);
    button->setFixedSize(24, 24);
    anchors_->addButton(button, 10 * column + row);
    anchor_grid->addWidget(button, row, column);
    SpeedButtons[static_cast<std::size_t>(i)] = button;
  }
  anchor_row->addLayout(anchor_grid);
  anchor_row->addStretch(1);
  wanted_grid->addLayout(anchor_row, 3, 0, 1, 3);
  layout->addWidget(wanted);

  auto* buttons = new QHBoxLayout;
  Btn_Preview = new QPushButton("Preview", this);
  Btn_Preview->setObjectName("Btn_Preview");
  Btn_OK = new QPushButton("OK", this);
  Btn_OK->setObjectName("Btn_OK");
  Btn_OK->setDefault(true);
  Btn_Cancel = new QPushButton("Cancel", this);
  Btn_Cancel->setObjectName("Btn_Cancel");
  buttons->addWidget(Btn_Preview);
  buttons->addStretch(1);
  buttons->addWidget(Btn_OK);
  buttons->addWidget(Btn_Cancel);
  layout->addLayout(buttons);
  resize(305, 297);

  // Only the user's typing counts: text the dialog writes itself changes nothing further.
  connect(Edit_Width, &QLineEdit::textEdited, this,
          [this](const QString& text) { HeightWidthChange(ResizeFrameModel::kWidth, text); });
  connect(Edit_Height, &QLineEdit::textEdited, this,
          [this](const QString& text) { HeightWidthChange(ResizeFrameModel::kHeight, text); });
  connect(Combo_WidthUnits, &QComboBox::currentIndexChanged, this,
          [this](int index) { ComboChange(ResizeFrameModel::kWidth, index); });
  connect(Combo_HeightUnits, &QComboBox::currentIndexChanged, this,
          [this](int index) { ComboChange(ResizeFrameModel::kHeight, index); });
  connect(Chk_LockAspect, &QCheckBox::toggled, this,
          [this](bool locked) { model_.LockAspect = locked; });
  connect(anchors_, &QButtonGroup::idClicked, this, [this](int tag) { model_.SetAnchor(tag); });
  connect(Btn_OK, &QPushButton::clicked, this, [this] { accept(); });
  connect(Btn_Cancel, &QPushButton::clicked, this, [this] { reject(); });
  connect(Btn_Preview, &QPushButton::clicked, this, [this] { Btn_PreviewClick(); });
}

void TResizeFrameForm::Begin(TBAMForm& form) {
  model_.Begin(form);
  model_.LockAspect = Chk_LockAspect->isChecked();
  if (QAbstractButton* anchor = anchors_->button(model_.AnchorTag())) anchor->setChecked(true);
  UpdateHeightWidth();
  resize(sizeHint().expandedTo(QSize(305, 297)));
  if (main_window_) {
    const QRect main = main_window_->geometry();
    const int status = main_window_->statusBar() ? main_window_->statusBar()->height() : 0;
    move(main.x() + main.width() - width() - 4, main.y() + main.height() - height() - 4 - status);
  }
}

bool TResizeFrameForm::Execute(TBAMForm& form) {
  Begin(form);
  return exec() == QDialog::Accepted;
}

QLineEdit* TResizeFrameForm::EditOf(ResizeFrameModel::Dimension d) const {
  return d == ResizeFrameModel::kWidth ? Edit_Width : Edit_Height;
}

void TResizeFrameForm::UpdateHeightWidth() {
  lbl_width->setText(QString::fromStdString(model_.CurrentText(ResizeFrameModel::kWidth)));
  lbl_height->setText(QString::fromStdString(model_.CurrentText(ResizeFrameModel::kHeight)));
  Edit_Width->setText(QString::fromStdString(model_.NewText(ResizeFrameModel::kWidth)));
  Edit_Height->setText(QString::fromStdString(model_.NewText(ResizeFrameModel::kHeight)));
}

void TResizeFrameForm::HeightWidthChange(ResizeFrameModel::Dimension d, const QString& text) {
  const ResizeFrameModel::TypeResult result = model_.Type(d, text.toStdString());
  if (result.RewriteThis) EditOf(d)->setText(QString::fromStdString(model_.NewText(d)));
  if (result.OtherText) {
    const auto other =
        d == ResizeFrameModel::kWidth ? ResizeFrameModel::kHeight : ResizeFrameModel::kWidth;
    EditOf(other)->setText(QString::fromStdString(*result.OtherText));
  }
}

void TResizeFrameForm::ComboChange(ResizeFrameModel::Dimension d, int index) {
  if (index < 0) return;
  model_.Units[d] = static_cast<SizeUnit>(index);
  UpdateHeightWidth();
}

bool TResizeFrameForm::Refused(const std::string& message) {
  if (message.empty()) return false;
  prompts_.Information(kAppTitle, message);
  return true;
}

void TResizeFrameForm::Btn_PreviewClick() { Refused(model_.Preview()); }

void TResizeFrameForm::accept() {
  // A size that cannot be made keeps the dialog open, so the user can change it or cancel.
  if (Refused(model_.Ok())) return;
  QDialog::accept();
}

void TResizeFrameForm::reject() {
  model_.Cancel();
  QDialog::reject();
}

}  // namespace celwright
