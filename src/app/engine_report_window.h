#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "model/engine_check.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace celwright {

// "Check for Engines": what game engines would refuse, misread or show otherwise in the open
// animation, one entry per finding. Clicking an entry shows the frame or sequence it names;
// Fix applies every fix that keeps the pixels as shown.
class TEngineReportForm : public QDialog {
 public:
  using ShowFinding = std::function<void(const engine::Finding&)>;
  TEngineReportForm(QWidget* parent, ShowFinding show_finding, std::function<void()> fix);

  // Lists `report`'s findings; `fixes` are the fixes just made (listed above the findings).
  void ShowReport(engine::Report report, const std::vector<std::string>& fixes = {});
  const engine::Report& Shown() const { return report_; }

  QLabel* Lbl_Summary = nullptr;
  QListWidget* List_Findings = nullptr;
  QPushButton* Btn_Fix = nullptr;

 private:
  ShowFinding show_finding_;
  engine::Report report_;
};

}  // namespace celwright
