// Reflect, flip and rotation: the Edit menu's commands and the free-rotation tool's panel.
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <numbers>

#include "app/document_session.h"
#include "app/main_window.h"
#include "document/bam_form.h"

namespace celwright {

namespace {

// The quarter turns the rotate commands pass, in radians counter-clockwise (clockwise is three
// quarters the other way round). Fifteen digits are ample: the turn rounds every mapped
// coordinate to a whole half-pixel, so these land each pixel exactly for any frame size.
constexpr long double kAntiClockwiseTurn = 1.5707963267948966L;
constexpr long double kClockwiseTurn = 4.71238898038469L;

}  // namespace

void TMainForm::BuildRotationPanel(QWidget* panel) {
  auto* row = new QWidget(panel);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel("Angle", row));
  Spin_Angle = new QSpinBox(row);
  Spin_Angle->setObjectName("Spin_Angle");
  Spin_Angle->setRange(-360, 360);
  Spin_Angle->setValue(45);
  Spin_Angle->setAccessibleName("Angle, whole degrees");
  layout->addWidget(Spin_Angle);
  layout->addWidget(new QLabel(".", row));
  // Hundredths of a degree, added to the whole part whatever its sign: -45 and 50 is -44.5.
  Spin_Angle2 = new QSpinBox(row);
  Spin_Angle2->setObjectName("Spin_Angle2");
  Spin_Angle2->setRange(0, 99);
  Spin_Angle2->setAccessibleName("Angle, hundredths of a degree");
  layout->addWidget(Spin_Angle2);
  layout->addStretch();
  panel->layout()->addWidget(row);

  auto* apply = new QPushButton("Apply", panel);
  apply->setObjectName("Btn_ApplyRotate");
  apply->setToolTip("Turns the selection, or the whole frame, counter-clockwise by the angle.");
  connect(apply, &QPushButton::clicked, this, [this] { Btn_ApplyRotateClick(); });
  panel->layout()->addWidget(apply);
}

void TMainForm::Btn_ApplyRotateClick() {
  const long double degrees = Spin_Angle->value() + Spin_Angle2->value() / 100.0L;
  RunTransform([degrees](TBAMForm& form) {
    form.SelectionRotateFree(degrees * std::numbers::pi_v<long double> / 180);
  });
}

void TMainForm::RotateClock1Click() {
  RunTransform([](TBAMForm& form) { form.SelectionRotateFree(kClockwiseTurn); });
}

void TMainForm::RotateAntiClock1Click() {
  RunTransform([](TBAMForm& form) { form.SelectionRotateFree(kAntiClockwiseTurn); });
}

void TMainForm::FlipHorizontal1Click() {
  RunTransform([](TBAMForm& form) { form.SelectionMirror(); });
}

void TMainForm::FlipVertical1Click() {
  RunTransform([](TBAMForm& form) { form.SelectionFlip(); });
}

void TMainForm::RunTransform(const std::function<void(TBAMForm&)>& transform) {
  if (!document_ || !BAMForm()->FrameShown()) return;
  Guarded([&] { transform(*BAMForm()); });
  RefreshCommandStates();
}

}  // namespace celwright
