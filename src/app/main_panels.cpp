// The tool bar and the three panels around the document area.
#include "app/main_window.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/document_session.h"
#include "app/palette_widget.h"
#include "app/tool_icons.h"
#include "document/bam_form.h"
#include "support/qm_log.h"

namespace celwright {

namespace {

struct ToolSpec {
  const char* name;     // without "Btn_"
  const char* caption;  // what a screen reader calls the button
  const char* hint;
  int options;  // page of the option panel stack
};

enum OptionPage {
  kNoOpts,
  kBrush,
  kStamp,
  kColPick,
  kShapes,
  kSelect,
  kSetCent,
  kMag,
  kText,
  kFreeRotate
};

constexpr ToolSpec kTools[] = {
    {"Pan", "Pan", "Pan large or zoomed images.", kNoOpts},
    {"Mag", "Zoom",
     "Zooms in or out. Animating at high magnifications result in sub-optimal operation.", kMag},
    {"Pencil", "Pencil", "Draws a free-form line one pixel wide.", kNoOpts},
    {"Brush", "Brush", "Draws using a brush with a selected shape and size.", kBrush},
    {"Erase", "Eraser",
     "Erases a portion of the picture using the selected brush shape. Use the right mouse button "
     "to erase the foreground color only.",
     kBrush},
    {"CloneBrush", "Clone Brush",
     "Use to create brush strokes that duplicate another part of the frame. Right click to set "
     "the source point.",
     kBrush},
    {"Stamp", "Stamp", "Paints the image with the last copied region.", kStamp},
    {"Fill", "Fill", "Fills an area with the drawing color.", kNoOpts},
    {"ColPick", "Colour Pick", "Picks up a color from the picture for drawing.", kColPick},
    {"Text", "Text", "Insert text into the frame.", kText},
    {"Line", "Line", "Draws a straight line.", kShapes},
    {"Curve", "Curve",
     "Draws a curve: drag its two ends, then drag twice more to bend it towards each point.",
     kShapes},
    {"Rect", "Rectangle", "Draws a rectangle.", kShapes},
    {"RoundRect", "Rounded Rectangle", "Draws a rectangle with rounded corners.", kShapes},
    {"Ellipse", "Ellipse", "Draws an ellipse.", kShapes},
    {"Poly", "Polygon",
     "Draws a polygon: click each corner, then double-click the last one to close it.", kShapes},
    {"SelRect", "Rectangle Selection",
     "Selects a rectangular area to move, crop to, copy, cut or limit editing to. Hold Shift or "
     "Control to add or remove areas.",
     kSelect},
    {"SelPoly", "Polygon Selection",
     "Selects a polygonal area to move, crop to, copy, cut or limit editing to. Hold Shift or "
     "Control to add or remove areas.",
     kSelect},
    {"SelWand", "Magic Wand Selection",
     "Selects a region of adjacent pixels of the same color to move, crop down to, copy, cut or to "
     "limit editing to.",
     kSelect},
    {"SetCent", "Set Centre", "Selects the center point of the frame.", kSetCent},
    {"FreeRotate", "Free Rotation", "Turns the selection, or the whole frame, by any angle.",
     kFreeRotate},
};

// A button that shows only a picture: its caption names it for screen readers and automation,
// its tooltip is its hint (or the caption where it has none).
QToolButton* IconButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString("Btn_") + name);
  button->setIcon(DrawnIcon(name));
  button->setIconSize(QSize(24, 24));
  button->setAutoRaise(true);
  button->setAccessibleName(caption);
  button->setToolTip(hint.isEmpty() ? caption : hint);
  if (!hint.isEmpty()) button->setProperty("hint", hint);
  return button;
}

void PaintSwatch(QWidget* swatch, TColor colour) {
  swatch->setStyleSheet(QString("background: rgb(%1,%2,%3); border: 1px solid black;")
                            .arg(RedOf(colour))
                            .arg(GreenOf(colour))
                            .arg(BlueOf(colour)));
}

QWidget* LabelledRow(QWidget* parent, const QString& label, QWidget* control) {
  auto* row = new QWidget(parent);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(label, row));
  layout->addWidget(control);
  layout->addStretch();
  return row;
}

}  // namespace

void TMainForm::BuildToolBar() {
  QToolBar* bar = addToolBar("Tools");
  bar->setObjectName("ToolBar1");
  bar->setMovable(false);
  bar->setIconSize(QSize(24, 24));
  auto add = [&](const char* name, const QString& hint, const char* entry) {
    QToolButton* button = IconButton(bar, name, name, hint);
    if (entry) {
      connect(button, &QToolButton::clicked, this, [this, entry] {
        if (QAction* action = Entry(entry); action && action->isEnabled()) action->trigger();
      });
    }
    bar->addWidget(button);
    return button;
  };
  add("New", "Creates a new BAM file", "New1");
  add("Open", "Opens a BAM file", "Open1");
  Btn_Save = add("Save", "Saves the current file", "Save1");
  Btn_Save->setEnabled(false);
  bar->addSeparator();
  add("Print", "Print", nullptr)->setEnabled(false);
  bar->addSeparator();
  Btn_Undo = add("Undo", "Undo", "Undo1");
  Btn_Redo = add("Redo", "Redo", "Redo1");
  Btn_Undo->setEnabled(false);
  Btn_Redo->setEnabled(false);
}

void TMainForm::BuildLeftPanel() {
  Panel_Left = new QWidget(this);
  Panel_Left->setObjectName("Panel_Left");
  auto* grid = new QGridLayout(Panel_Left);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setSpacing(2);
  ToolButtons = new QButtonGroup(this);
  ToolButtons->setExclusive(true);
  int index = 0;
  for (const ToolSpec& tool : kTools) {
    QToolButton* button = IconButton(Panel_Left, tool.name, tool.caption, tool.hint);
    button->setCheckable(true);
    button->setProperty("page", tool.options);
    ToolButtons->addButton(button, index);
    grid->addWidget(button, index / 2, index % 2);
    connect(button, &QToolButton::toggled, this, [this, index](bool down) {
      if (down) ToolBtnClick(index);
    });
    ++index;
  }
  grid->setRowStretch(index / 2 + 1, 1);
}

void TMainForm::BuildBottomPanel() {
  Panel_Bottom = new QWidget(this);
  Panel_Bottom->setObjectName("Panel_Bottom");
  auto* layout = new QHBoxLayout(Panel_Bottom);
  layout->setContentsMargins(4, 2, 4, 2);

  auto* colours = new QGroupBox("Palette", Panel_Bottom);
  colours->setObjectName("Panel_Palette");
  auto* colour_layout = new QHBoxLayout(colours);
  auto* swatches = new QWidget(colours);
  swatches->setFixedSize(44, 44);
  auto* back = new QLabel(swatches);
  back->setObjectName("Panel_Back");
  back->setGeometry(16, 16, 26, 26);
  PaintSwatch(back, kDefaultTransCol);
  back->setAccessibleName("Background colour");
  back->setToolTip("Background colour");
  auto* fore = new QLabel(swatches);
  fore->setObjectName("Panel_Fore");
  fore->setGeometry(2, 2, 26, 26);
  PaintSwatch(fore, kDefaultShadowCol);
  fore->setAccessibleName("Drawing colour");
  fore->setToolTip("Drawing colour");
  colour_layout->addWidget(swatches);
  Img_Pal = new PaletteWidget(*palette_panel_, colours);
  Img_Pal->setObjectName("Img_Pal");
  colour_layout->addWidget(Img_Pal);
  layout->addWidget(colours);

  auto* options = new QGroupBox("Options", Panel_Bottom);
  auto* options_layout = new QVBoxLayout(options);
  OptionPanels = new QStackedWidget(options);
  options_layout->addWidget(OptionPanels);
  layout->addWidget(options, 1);

  auto page = [this](const char* name) {
    auto* w = new QWidget(OptionPanels);
    w->setObjectName(name);
    new QVBoxLayout(w);
    OptionPanels->addWidget(w);
    return w;
  };
  QWidget* no_opts = page("Panel_NoOpts");
  no_opts->layout()->addWidget(new QLabel("This tool has no options.", no_opts));

  QWidget* brush = page("Panel_Brush");
  auto* shapes = new QComboBox(brush);
  shapes->setObjectName("Combo_BrushShapes");
  shapes->addItems({"0", "1", "2", "3"});
  auto* brush_w = new QSpinBox(brush);
  brush_w->setObjectName("Spin_BrushWidth");
  brush_w->setRange(1, 64);
  brush_w->setValue(8);
  auto* brush_h = new QSpinBox(brush);
  brush_h->setObjectName("Spin_BrushHeight");
  brush_h->setRange(1, 64);
  brush_h->setValue(8);
  brush->layout()->addWidget(LabelledRow(brush, "Brush shape", shapes));
  brush->layout()->addWidget(LabelledRow(brush, "Width", brush_w));
  brush->layout()->addWidget(LabelledRow(brush, "Height", brush_h));
  auto* lock = new QCheckBox("Lock dimensions", brush);
  lock->setObjectName("Check_LockBrushDims");
  brush->layout()->addWidget(lock);

  QWidget* stamp = page("Panel_Stamp");
  stamp->layout()->addWidget(new QLabel("Stamps the last copied region.", stamp));
  QWidget* colpick = page("Panel_ColPick");
  colpick->layout()->addWidget(
      new QLabel("Left click picks the drawing colour, right click the background.", colpick));

  QWidget* shapes_page = page("Panel_Shapes");
  auto* pen = new QSpinBox(shapes_page);
  pen->setObjectName("Spin_PenWidth");
  pen->setRange(1, 50);
  shapes_page->layout()->addWidget(LabelledRow(shapes_page, "Line Thickness", pen));
  // How the curve and the polygon are drawn is not what a first try would guess.
  auto* how = new QLabel(shapes_page);
  how->setObjectName("Lbl_ShapeHow");
  how->setWordWrap(true);
  shapes_page->layout()->addWidget(how);
  auto* fill = new QGroupBox("Fill Style", shapes_page);
  fill->setObjectName("Group_FillStyle");
  auto* fill_layout = new QHBoxLayout(fill);
  auto* fill_group = new QButtonGroup(fill);
  const std::pair<const char*, const char*> fill_styles[] = {
      {"Btn_NoFill", "No Fill"}, {"Btn_BGFill", "Fill With Background"},
      {"Btn_FGFill", "Fill With Drawing Colour"}};
  for (const auto& [name, caption] : fill_styles) {
    auto* b = new QToolButton(fill);
    b->setObjectName(name);
    b->setText(QString(name).mid(4, 2));
    b->setAccessibleName(caption);
    b->setToolTip(caption);
    b->setCheckable(true);
    fill_group->addButton(b);
    fill_layout->addWidget(b);
  }
  fill_group->buttons().first()->setChecked(true);
  shapes_page->layout()->addWidget(fill);

  QWidget* select = page("Panel_Select");
  auto* select_row = new QWidget(select);
  auto* select_layout = new QHBoxLayout(select_row);
  Btn_Crop = IconButton(select_row, "Crop", "Crop", "");
  Btn_Cut = IconButton(select_row, "Cut", "Cut", "");
  Btn_Copy = IconButton(select_row, "Copy", "Copy", "");
  Btn_Paste = IconButton(select_row, "Paste", "Paste", "");
  for (QToolButton* b : {Btn_Crop, Btn_Cut, Btn_Copy, Btn_Paste}) {
    b->setEnabled(false);
    select_layout->addWidget(b);
  }
  select_layout->addStretch();
  select->layout()->addWidget(select_row);

  QWidget* centre = page("Panel_SetCent");
  centre->layout()->addWidget(new QLabel("Click the frame to place its centre point.", centre));

  QWidget* mag = page("Panel_Mag");
  Combo_Mag = new QComboBox(mag);
  Combo_Mag->setObjectName("Combo_Mag");
  // Each step shows a frame pixel as a block of 1, 4, 9 or 16 screen pixels a side.
  for (int i = 0; i < kMagnificationSteps; ++i)
    Combo_Mag->addItem(QString::number(100 * ZoomForMagnification(i)) + "%");
  Combo_Mag->setProperty("hint", "Magnification");
  connect(Combo_Mag, &QComboBox::activated, this, [this](int index) { Combo_MagChange(index); });
  mag->layout()->addWidget(LabelledRow(mag, "Magnification", Combo_Mag));

  BuildTextPanel(page("Panel_Text"));

  BuildRotationPanel(page("Panel_FreeRotate"));

  for (int i = 0; i < OptionPanels->count(); ++i)
    static_cast<QVBoxLayout*>(OptionPanels->widget(i)->layout())->addStretch();
}

void TMainForm::BuildRightPanel() {
  Panel_Right = new QWidget(this);
  Panel_Right->setObjectName("Panel_Right");
  Panel_Right->setFixedWidth(190);
  auto* layout = new QVBoxLayout(Panel_Right);
  layout->setContentsMargins(2, 2, 2, 2);
  PageControl = new QTabWidget(Panel_Right);
  PageControl->setObjectName("PageControl");
  layout->addWidget(PageControl);

  Tab_Sequence = new QWidget(PageControl);
  Tab_Sequence->setObjectName("Tab_Sequence");
  auto* seq_layout = new QVBoxLayout(Tab_Sequence);
  List_Sequences = new RowList(Tab_Sequence);
  List_Sequences->setObjectName("List_Sequences");
  seq_layout->addWidget(List_Sequences, 2);
  auto* buttons = new QHBoxLayout;
  Btn_Play = IconButton(Tab_Sequence, "Play", "Play Animation",
                        "Play the selected sequence. Note that you may draw over an animation.");
  Btn_Stop = IconButton(Tab_Sequence, "Stop", "Stop Animation",
                        "Stops the current animation sequence.");
  Btn_Manage = IconButton(Tab_Sequence, "Manage", "Manage Frames",
                          "Move, delete, or import frames, as well as determine which ones appear "
                          "where in which sequences.");
  Btn_Preview = IconButton(Tab_Sequence, "Preview", "Preview Animation",
                           "Previews the current animation sequence on various IE-style "
                           "backgrounds.");
  for (QToolButton* b : {Btn_Play, Btn_Stop, Btn_Manage, Btn_Preview}) {
    b->setEnabled(false);
    buttons->addWidget(b);
  }
  connect(Btn_Play, &QToolButton::clicked, this, [this] { Play1Click(); });
  connect(Btn_Stop, &QToolButton::clicked, this, [this] { Stop1Click(); });
  seq_layout->addLayout(buttons);
  List_SequenceFrames = new RowList(Tab_Sequence);
  List_SequenceFrames->setObjectName("List_SequenceFrames");
  seq_layout->addWidget(List_SequenceFrames, 3);
  PageControl->addTab(Tab_Sequence, "Sequences");

  Tab_Frames = new QWidget(PageControl);
  Tab_Frames->setObjectName("Tab_Frames");
  auto* frames_layout = new QVBoxLayout(Tab_Frames);
  List_Frames = new RowList(Tab_Frames);
  List_Frames->setObjectName("List_Frames");
  frames_layout->addWidget(List_Frames);
  PageControl->addTab(Tab_Frames, "All Frames");

  // Selection signals arrive once the clicked item is selected (the current-row signal comes
  // before that); the shell's own changes block them.
  List_Sequences->SelectionChanged = [this] { List_SequencesClick(true); };
  List_SequenceFrames->SelectionChanged = [this] { List_SequenceFramesDblClick(); };
  List_Frames->SelectionChanged = [this] { List_FramesDblClick(); };
  const std::pair<RowList*, std::function<void()>> reclicks[] = {
      {List_Sequences, [this] { List_SequencesClick(true); }},
      {List_SequenceFrames, [this] { List_SequenceFramesDblClick(); }},
      {List_Frames, [this] { List_FramesDblClick(); }}};
  for (const auto& [list, handler] : reclicks) {
    list->viewport()->installEventFilter(this);
    connect(list, &QAbstractItemView::clicked, this,
            [this, list = list, handler = handler](const QModelIndex& index) {
              if (list != reclicked_list_ || index.row() != reclicked_row_) return;
              reclicked_list_ = nullptr;
              handler();
            });
  }
  connect(List_Sequences, &QAbstractItemView::doubleClicked, this, [this] { Play1Click(); });
  const std::pair<RowList*, QMenu*> popups[] = {{List_Sequences, SequencesPopup},
                                                    {List_SequenceFrames, SequenceFramesPopup},
                                                    {List_Frames, FramesPopup}};
  for (const auto& [list, menu] : popups) {
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this,
            [list = list, menu = menu](const QPoint& at) { menu->popup(list->mapToGlobal(at)); });
  }
}

void TMainForm::ShowPalette() {
  // Only the picture follows the document; the chosen colours stay the user's.
  palette_panel_->ShowPalette(document_ ? &BAMForm()->BAM : nullptr);
  if (Img_Pal) Img_Pal->update();
  RefreshSwatches();
}

}  // namespace celwright
