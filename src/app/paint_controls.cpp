// The main window's side of the paint tools: tool buttons, option pages, brush controls, the
// palette and swatches, and the colour read-out of the colour pick tool.
#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <utility>

#include "app/bitmap_image.h"
#include "app/document_session.h"
#include "app/document_view.h"
#include "app/main_window.h"
#include "app/tool_icons.h"
#include "document/bam_form.h"
#include "support/qm_log.h"

namespace celwright {

namespace {

QPixmap PixmapOf(const Bitmap& bitmap) { return QPixmap::fromImage(WrapBitmap(bitmap).copy()); }

// A brush shape for the shape list: the brush picture of a 14 x 14 brush, shape black on white.
QIcon BrushShapeIcon(int shape) {
  const Bitmap picture = MakeBrushPicture(shape, 14, 14);
  QImage image(16, 16, QImage::Format_RGB32);
  image.fill(Qt::white);
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 1; x < picture.Width(); ++x)
      if (picture.GetIndex(x, y) != 0) image.setPixel(x, y + 1, qRgb(0, 0, 0));
  return QIcon(QPixmap::fromImage(image));
}

QString ColourText(TColor colour) {
  return QString("red %1, green %2, blue %3")
      .arg(RedOf(colour))
      .arg(GreenOf(colour))
      .arg(BlueOf(colour));
}

constexpr const char* kShapeNames[] = {"Ellipse", "Rectangle", "Falling diagonal",
                                       "Rising diagonal"};

}  // namespace

void TMainForm::WirePaintControls() {
  palette_panel_->ColoursChanged = [this] { RefreshSwatches(); };

  // The marker repeats the chosen tool's picture above its options.
  auto* marker = new QLabel(OptionPanels->parentWidget());
  marker->setObjectName("Img_ToolMarker");
  // Fixed sizes keep the panels still while the labels' contents change.
  marker->setFixedSize(24, 24);
  static_cast<QVBoxLayout*>(OptionPanels->parentWidget()->layout())->insertWidget(0, marker);

  auto* shapes = findChild<QComboBox*>("Combo_BrushShapes");
  auto* width = findChild<QSpinBox*>("Spin_BrushWidth");
  auto* height = findChild<QSpinBox*>("Spin_BrushHeight");
  auto* lock = findChild<QCheckBox*>("Check_LockBrushDims");
  for (int i = 0; i < shapes->count(); ++i) {
    shapes->setItemIcon(i, BrushShapeIcon(i));
    shapes->setItemData(i, kShapeNames[i], Qt::AccessibleTextRole);
  }
  shapes->setAccessibleName("Brush shape");
  width->setAccessibleName("Brush width");
  height->setAccessibleName("Brush height");
  lock->setAccessibleName("Lock brush dimensions");
  connect(shapes, &QComboBox::currentIndexChanged, this,
          [this] { BrushModify(BrushControl::Shape); });
  connect(width, &QSpinBox::valueChanged, this, [this] { BrushModify(BrushControl::Width); });
  connect(height, &QSpinBox::valueChanged, this, [this] { BrushModify(BrushControl::Height); });
  connect(lock, &QCheckBox::toggled, this, [this] { BrushModify(BrushControl::Lock); });

  // The shape tools read their thickness and fill style as they draw; the preview follows at
  // once.
  auto* pen = findChild<QSpinBox*>("Spin_PenWidth");
  pen->setAccessibleName("Line thickness");
  connect(pen, &QSpinBox::valueChanged, this, [this](int value) {
    doc_options_.PenWidth = value;
    if (document_) BAMForm()->RedrawImage(false);
  });
  const std::pair<const char*, ShapeFillStyle> fill_styles[] = {
      {"Btn_NoFill", ShapeFillStyle::None},
      {"Btn_BGFill", ShapeFillStyle::Background},
      {"Btn_FGFill", ShapeFillStyle::Foreground}};
  for (const auto& [name, style] : fill_styles) {
    connect(findChild<QAbstractButton*>(name), &QAbstractButton::toggled, this,
            [this, style](bool down) {
              if (!down) return;
              doc_options_.FillStyle = style;
              if (document_) BAMForm()->RedrawImage(false);
            });
  }

  // The colour under the pointer while the colour pick tool is chosen.
  QWidget* pick = findChild<QWidget*>("Panel_ColPick");
  auto* pick_layout = static_cast<QVBoxLayout*>(pick->layout());
  auto* swatch = new QLabel(pick);
  swatch->setObjectName("Img_ColOver");
  swatch->setFixedSize(24, 24);
  swatch->setAccessibleName("Colour under the pointer");
  pick_layout->addWidget(swatch);
  // Bare numbers would not say which is the entry and which the red, green or blue.
  const std::pair<const char*, const char*> readouts[] = {
      {"Lbl_PalID", "Index:"}, {"Lbl_Red", "Red:"},     {"Lbl_Green", "Green:"},
      {"Lbl_Blue", "Blue:"},   {"Lbl_Alpha", "Alpha:"}};
  auto* numbers = new QWidget(pick);
  auto* number_grid = new QGridLayout(numbers);
  number_grid->setContentsMargins(0, 0, 0, 0);
  int row = 0;
  for (const auto& [name, caption] : readouts) {
    auto* label = new QLabel(numbers);
    label->setObjectName(name);
    label->setAccessibleName(QString(caption).chopped(1));
    label->setFixedWidth(48);
    label->setText("-");
    auto* title = new QLabel(caption, numbers);
    title->setBuddy(label);
    number_grid->addWidget(title, row, 0);
    number_grid->addWidget(label, row, 1);
    ++row;
  }
  number_grid->setColumnStretch(2, 1);
  pick_layout->addWidget(numbers);

  for (const char* name : {"Panel_Fore", "Panel_Back"}) {
    auto* panel = findChild<QLabel*>(name);
    panel->setStyleSheet("border: 1px solid black;");
    panel->setScaledContents(true);
  }
  findChild<QLabel*>("Panel_Fore")->setAccessibleName("Foreground colour");
  findChild<QLabel*>("Panel_Back")->setAccessibleName("Background colour");
  ShowPalette();
}

void TMainForm::ConnectTools() {
  ToolController& tools = document_->Tools;
  tools.ColoursChanged = [this] { RefreshSwatches(); };
  tools.HoverChanged = [this](const HoverColour& hover) {
    ShowHoverColour(QString::fromStdString(hover.Index), hover.Colour);
    // Only true-colour pixels have an alpha of their own.
    findChild<QLabel*>("Lbl_Alpha")->setText(hover.Alpha < 0 ? QString("-")
                                                               : QString::number(hover.Alpha));
  };
  ConnectTextTool(tools);
  view_->AttachTools(&tools);
  view_->OnStatus = [this](const std::string& text) {
    StatusExtra->setText(QString::fromStdString(text));
  };
}

void TMainForm::ToolBtnClick(int tool) {
  QAbstractButton* button = ToolButtons->button(tool);
  const QString name = button->objectName().mid(4);
  doc_options_.Tool = static_cast<ToolKind>(tool);
  if (document_) {
    document_->Tools.ToolBtnClick(name.toStdString());
  } else {
    AddLogLine(("TOOL: " + name).toStdString());
  }
  const int page = button->property("page").toInt();
  OptionPanels->setCurrentIndex(page);
  if (auto* marker = findChild<QLabel*>("Img_ToolMarker")) {
    marker->setPixmap(DrawnIcon(name).pixmap(24, 24));
    marker->setAccessibleName("Chosen tool: " + name);
  }
  // Lines and curves have no inside to fill.
  const auto chosen = static_cast<ToolKind>(tool);
  findChild<QWidget*>("Group_FillStyle")
      ->setVisible(chosen != ToolKind::Line && chosen != ToolKind::Curve);
  auto* how = findChild<QLabel*>("Lbl_ShapeHow");
  if (chosen == ToolKind::Curve) {
    how->setText(
        "Drag from one end of the curve to the other. Then drag twice more: the first drag "
        "bends the curve towards the pointer near its start, the second near its end.");
  } else if (chosen == ToolKind::Poly) {
    how->setText("Click each corner in turn; double-click the last corner to close the polygon.");
  } else {
    how->clear();
  }
  how->setVisible(!how->text().isEmpty());
  if (OptionPanels->currentWidget()->objectName() == "Panel_Brush")
    BrushModify(BrushControl::Width);
}

void TMainForm::CancelDrawAction1Click() {
  if (document_) document_->Tools.CancelDrawAction();
}

void TMainForm::BrushModify(BrushControl changed) {
  auto* shapes = findChild<QComboBox*>("Combo_BrushShapes");
  auto* width = findChild<QSpinBox*>("Spin_BrushWidth");
  auto* height = findChild<QSpinBox*>("Spin_BrushHeight");
  doc_options_.BrushShape = shapes->currentIndex();
  doc_options_.BrushWidth = width->value();
  doc_options_.BrushHeight = height->value();
  doc_options_.LockBrushDims = findChild<QCheckBox*>("Check_LockBrushDims")->isChecked();
  AddLogLine("BRSH: Modify: " + std::to_string(doc_options_.BrushWidth) + "x" +
             std::to_string(doc_options_.BrushHeight) + "...");
  celwright::BrushModify(doc_options_, changed);
  {
    const QSignalBlocker block_width(width), block_height(height);
    width->setValue(doc_options_.BrushWidth);
    height->setValue(doc_options_.BrushHeight);
  }
  AppendToLog(" [OK]");
  if (document_) BAMForm()->RedrawImage(false);
}

void TMainForm::RefreshSwatches() {
  auto paint = [this](const char* name, bool foreground) {
    auto* panel = findChild<QLabel*>(name);
    if (!panel) return;
    panel->setPixmap(PixmapOf(palette_panel_->Swatch(foreground, panel->width(), panel->height())));
    const TColor colour =
        foreground ? doc_options_.ForegroundColour : doc_options_.BackgroundColour;
    const bool paletted = document_ && BAMForm()->BAM.GetBAMType() == kPalettedBAM;
    const int index = foreground ? doc_options_.ForegroundIndex : doc_options_.BackgroundIndex;
    panel->setAccessibleDescription(
        paletted ? QString::fromStdString(palette_panel_->DescribeEntry(index))
                 : ColourText(colour));
  };
  paint("Panel_Fore", true);
  paint("Panel_Back", false);
  if (Img_Pal) Img_Pal->update();
  RedrawPendingText();  // the text preview is drawn in these colours
}

void TMainForm::ShowHoverColour(const QString& index, TColor colour) {
  findChild<QLabel*>("Lbl_PalID")->setText(index);
  findChild<QLabel*>("Lbl_Red")->setText(QString::number(RedOf(colour)));
  findChild<QLabel*>("Lbl_Green")->setText(QString::number(GreenOf(colour)));
  findChild<QLabel*>("Lbl_Blue")->setText(QString::number(BlueOf(colour)));
  auto* swatch = findChild<QLabel*>("Img_ColOver");
  bool is_index = false;
  const int entry = index.toInt(&is_index);
  if (is_index) {
    swatch->setPixmap(
        PixmapOf(palette_panel_->EntrySwatch(entry, swatch->width(), swatch->height())));
  } else {
    QPixmap fill(swatch->size());
    fill.fill(QColor(RedOf(colour), GreenOf(colour), BlueOf(colour)));
    swatch->setPixmap(fill);
  }
  swatch->setAccessibleDescription(index + ": " + ColourText(colour));
}

}  // namespace celwright
