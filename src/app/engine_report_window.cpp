#include "app/engine_report_window.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace celwright {

namespace {

QString EngineList(unsigned engines) {
  QStringList names;
  for (const std::string& name : engine::EngineNames(engines)) names << QString::fromStdString(name);
  return names.join(", ");
}

}  // namespace

TEngineReportForm::TEngineReportForm(QWidget* parent, ShowFinding show_finding,
                                     std::function<void()> fix)
    : QDialog(parent), show_finding_(std::move(show_finding)) {
  setObjectName("EngineReportForm");
  setWindowTitle("Check for Engines");
  resize(640, 360);
  auto* layout = new QVBoxLayout(this);
  Lbl_Summary = new QLabel(this);
  Lbl_Summary->setObjectName("Lbl_Summary");
  Lbl_Summary->setWordWrap(true);
  layout->addWidget(Lbl_Summary);
  List_Findings = new QListWidget(this);
  List_Findings->setObjectName("List_Findings");
  layout->addWidget(List_Findings);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  Btn_Fix = buttons->addButton("&Fix", QDialogButtonBox::ActionRole);
  Btn_Fix->setObjectName("Btn_Fix");
  Btn_Fix->setToolTip("Apply every fix that keeps the pixels as shown; save to keep the result");
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
  connect(Btn_Fix, &QPushButton::clicked, this, [fix = std::move(fix)] { fix(); });
  connect(List_Findings, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    const int k = item->data(Qt::UserRole).toInt();
    if (k >= 0 && k < static_cast<int>(report_.findings.size())) {
      show_finding_(report_.findings[static_cast<std::size_t>(k)]);
    }
  });
}

void TEngineReportForm::ShowReport(engine::Report report, const std::vector<std::string>& fixes) {
  report_ = std::move(report);
  List_Findings->clear();
  bool fixable = false;
  for (std::size_t k = 0; k < report_.findings.size(); ++k) {
    const engine::Finding& finding = report_.findings[k];
    auto* item = new QListWidgetItem(
        QString("%1  %2%3").arg(engine::SeverityName(finding.rule->severity),
                                QString::fromStdString(finding.message),
                                finding.fixable ? "  (fixable)" : ""),
        List_Findings);
    item->setData(Qt::UserRole, static_cast<int>(k));
    item->setToolTip(QString("%1: %2\nEngines: %3")
                         .arg(finding.rule->id, finding.rule->summary,
                              EngineList(finding.rule->engines)));
    fixable = fixable || finding.fixable;
  }
  QString summary = QString("%1 errors, %2 warnings, %3 notes.")
                        .arg(report_.Count(engine::Severity::kError))
                        .arg(report_.Count(engine::Severity::kWarning))
                        .arg(report_.Count(engine::Severity::kNote));
  if (report_.findings.empty()) summary = "Every engine reads this animation as it is shown.";
  if (!fixes.empty()) {
    QStringList done;
    for (const std::string& fix : fixes) done << QString::fromStdString(fix);
    summary = "Fixed:\n" + done.join("\n") + "\nSave the animation to keep the fixes.\n\n" + summary;
  }
  Lbl_Summary->setText(summary);
  Btn_Fix->setEnabled(fixable);
}

}  // namespace celwright
