#include "app/settings_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/app_settings.h"
#include "app/user_prompts.h"
#include "document/bam_form.h"
#include "document/document_options.h"
#include "support/qm_log.h"

namespace celwright {

DisplaySettings ReadDisplaySettings(const AppSettings& store) {
  const DisplaySettings defaults;
  DisplaySettings values;
  values.TransCol =
      static_cast<TColor>(store.ReadInt("TransCol", static_cast<int>(defaults.TransCol)));
  values.ShadowCol =
      static_cast<TColor>(store.ReadInt("ShadowCol", static_cast<int>(defaults.ShadowCol)));
  values.PlaySpeed = store.ReadInt("PlaySpeed", defaults.PlaySpeed);
  values.OverrideTrans = store.ReadInt("OverrideTrans", 1) != 0;
  values.OverrideShadow = store.ReadInt("OverrideShadow", 1) != 0;
  values.LoadPlugins = store.ReadInt("LoadPlugins", 1) != 0;
  return values;
}

void WriteDisplaySettings(AppSettings& store, const DisplaySettings& values) {
  store.WriteInt("PlaySpeed", values.PlaySpeed);
  store.WriteInt("OverrideTrans", values.OverrideTrans ? 1 : 0);
  store.WriteInt("OverrideShadow", values.OverrideShadow ? 1 : 0);
  store.WriteInt("LoadPlugins", values.LoadPlugins ? 1 : 0);
  store.WriteInt("TransCol", static_cast<int>(values.TransCol));
  store.WriteInt("ShadowCol", static_cast<int>(values.ShadowCol));
}

TSettingsForm::TSettingsForm(QWidget* parent, UserPrompts& prompts, AppSettings& store)
    : QDialog(parent), prompts_(prompts), store_(store) {
  setObjectName("SettingsForm");
  setWindowTitle("Settings");
  auto* layout = new QVBoxLayout(this);

  auto* playback = new QGroupBox("Playback", this);
  auto* playback_row = new QHBoxLayout(playback);
  playback_row->addWidget(new QLabel("Frame speed (ms)", playback));
  Spin_FrameSpeed = new QSpinBox(playback);
  Spin_FrameSpeed->setObjectName("Spin_FrameSpeed");
  Spin_FrameSpeed->setRange(kMinPlayIntervalMs, kMaxPlayIntervalMs);
  playback_row->addWidget(Spin_FrameSpeed);
  layout->addWidget(playback);

  auto* colours = new QGroupBox("Transparencies", this);
  auto* grid = new QGridLayout(colours);
  auto add_row = [&](int row, const char* caption, const char* check_name, const char* swatch_name,
                     const char* button_name, QCheckBox*& check, QLabel*& swatch,
                     QPushButton*& button) {
    check = new QCheckBox(caption, colours);
    check->setObjectName(check_name);
    swatch = new QLabel(colours);
    swatch->setObjectName(swatch_name);
    swatch->setFixedSize(24, 24);
    button = new QPushButton("...", colours);
    button->setObjectName(button_name);
    grid->addWidget(check, row, 0);
    grid->addWidget(swatch, row, 1);
    grid->addWidget(button, row, 2);
  };
  add_row(0, "Always display transparent color as:", "Chk_ForceTransCol", "Img_TransCol",
          "SpeedButton1", Chk_ForceTransCol, Img_TransCol, SpeedButton1);
  add_row(1, "Always display shadow color as:", "Chk_ForceShadowCol", "Img_ShadowCol",
          "SpeedButton2", Chk_ForceShadowCol, Img_ShadowCol, SpeedButton2);
  layout->addWidget(colours);

  Chk_LoadPlugins = new QCheckBox("Load plug-ins at start (from the next start on)", this);
  Chk_LoadPlugins->setObjectName("Chk_LoadPlugins");
  layout->addWidget(Chk_LoadPlugins);

  auto* buttons = new QHBoxLayout;
  Btn_Associate = new QPushButton("Open .bam files with this program", this);
  Btn_Associate->setObjectName("Btn_Associate");
  Btn_Done = new QPushButton("Done", this);
  Btn_Done->setObjectName("Btn_Done");
  Btn_Done->setDefault(true);
  buttons->addWidget(Btn_Associate);
  buttons->addStretch(1);
  buttons->addWidget(Btn_Done);
  layout->addLayout(buttons);

  connect(SpeedButton1, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
  connect(SpeedButton2, &QPushButton::clicked, this, [this] { SpeedButton2Click(); });
  connect(Btn_Done, &QPushButton::clicked, this, [this] { Btn_DoneClick(); });
  connect(Btn_Associate, &QPushButton::clicked, this, [this] {
    if (OnAssociate) prompts_.Information("Settings", OnAssociate());
  });
  connect(Chk_ForceTransCol, &QCheckBox::toggled, this, [this](bool on) {
    values_.OverrideTrans = on;
    PushToDocument();
  });
  connect(Chk_ForceShadowCol, &QCheckBox::toggled, this, [this](bool on) {
    values_.OverrideShadow = on;
    PushToDocument();
  });
}

void TSettingsForm::Begin(TBAMForm* document) {
  document_ = nullptr;  // loading the controls must not reach the document
  const DisplaySettings stored = ReadDisplaySettings(store_);
  values_ = stored;
  Spin_FrameSpeed->setValue(stored.PlaySpeed);
  Chk_ForceTransCol->setChecked(stored.OverrideTrans);
  Chk_ForceShadowCol->setChecked(stored.OverrideShadow);
  Chk_LoadPlugins->setChecked(stored.LoadPlugins);
  document_ = document;
  PaintSwatches();
}

void TSettingsForm::Execute(TBAMForm* document) {
  Begin(document);
  exec();
  document_ = nullptr;
}

void TSettingsForm::PaintSwatches() {
  auto paint = [](QLabel* swatch, TColor c) {
    swatch->setStyleSheet(QString("background: rgb(%1,%2,%3); border: 1px solid black;")
                              .arg(RedOf(c))
                              .arg(GreenOf(c))
                              .arg(BlueOf(c)));
  };
  paint(Img_TransCol, values_.TransCol);
  paint(Img_ShadowCol, values_.ShadowCol);
}

void TSettingsForm::ChooseColour(TColor& colour) {
  TColor chosen = colour;
  if (!prompts_.ChooseColor("Settings", colour, chosen)) return;
  colour = chosen;
  PushToDocument();
}

void TSettingsForm::SpeedButton1Click() { ChooseColour(values_.TransCol); }

void TSettingsForm::SpeedButton2Click() { ChooseColour(values_.ShadowCol); }

void TSettingsForm::PushToDocument() {
  PaintSwatches();
  // An unpaletted document's colours are its data, not a display choice: they stay.
  if (document_) {
    document_->ApplyDisplayColours(values_.TransCol, values_.ShadowCol, values_.OverrideTrans,
                                   values_.OverrideShadow);
  }
}

void TSettingsForm::Btn_DoneClick() {
  values_.PlaySpeed = Spin_FrameSpeed->value();
  values_.LoadPlugins = Chk_LoadPlugins->isChecked();
  AddLogLine("APP : Settings Saved");
  WriteDisplaySettings(store_, values_);
  AppendToLog(" [OK]");
  accept();
}

}  // namespace celwright
