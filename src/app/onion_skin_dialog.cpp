#include "app/onion_skin_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/user_prompts.h"

namespace celwright {

namespace {

// The settings read back are clamped to this too: more neighbours would only be noise.
constexpr int kMostNeighbours = 8;

QSpinBox* NeighbourCount(QWidget* parent, const char* name) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(name);
  spin->setRange(0, kMostNeighbours);
  return spin;
}

QPushButton* TintButton(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new QPushButton("Choose...", parent);
  button->setObjectName(name);
  button->setAccessibleName(caption);
  return button;
}

}  // namespace

TOnionSkinForm::TOnionSkinForm(UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
  setObjectName("OnionSkinForm");
  setWindowTitle("Onion Skin Settings");
  auto* form = new QFormLayout;
  Spin_Before = NeighbourCount(this, "Spin_Before");
  Spin_After = NeighbourCount(this, "Spin_After");
  Btn_BeforeTint = TintButton(this, "Btn_BeforeTint", "Tint of the frames before");
  Btn_AfterTint = TintButton(this, "Btn_AfterTint", "Tint of the frames after");
  form->addRow("Frames &before:", Spin_Before);
  form->addRow("Frames &after:", Spin_After);
  form->addRow("Tint of the frames before:", Btn_BeforeTint);
  form->addRow("Tint of the frames after:", Btn_AfterTint);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  Btn_OK = buttons->button(QDialogButtonBox::Ok);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(Spin_Before, &QSpinBox::valueChanged, this, [this](int n) { values_.Before = n; });
  connect(Spin_After, &QSpinBox::valueChanged, this, [this](int n) { values_.After = n; });
  connect(Btn_BeforeTint, &QPushButton::clicked, this, [this] { ChooseTint(true); });
  connect(Btn_AfterTint, &QPushButton::clicked, this, [this] { ChooseTint(false); });
}

void TOnionSkinForm::SetValues(const OnionSkinOptions& values) {
  values_ = values;
  const QSignalBlocker block_before(Spin_Before), block_after(Spin_After);
  Spin_Before->setValue(values.Before);
  Spin_After->setValue(values.After);
  ShowTints();
}

void TOnionSkinForm::ChooseTint(bool before) {
  TColor& tint = before ? values_.BeforeTint : values_.AfterTint;
  TColor chosen = tint;
  if (!prompts_.ChooseColor(before ? "Tint of the frames before" : "Tint of the frames after", tint,
                            chosen))
    return;
  tint = chosen;
  ShowTints();
}

void TOnionSkinForm::ShowTints() {
  for (const auto& [button, tint] :
       {std::pair{Btn_BeforeTint, values_.BeforeTint}, {Btn_AfterTint, values_.AfterTint}}) {
    QPixmap swatch(16, 16);
    swatch.fill(QColor(RedOf(tint), GreenOf(tint), BlueOf(tint)));
    button->setIcon(swatch);
  }
}

}  // namespace celwright
