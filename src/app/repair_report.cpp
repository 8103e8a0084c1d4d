#include "app/repair_report.h"

#include <QMessageBox>

#include "document/doc_type.h"
#include "support/file_io.h"

namespace celwright {

namespace {
// A truncated file can need a repair per frame; more than this go to the details part.
constexpr std::size_t kRepairsInSummary = 5;
}  // namespace

RepairReport MakeRepairReport(const std::string& file_name,
                              const std::vector<std::string>& repairs) {
  RepairReport report;
  report.Summary = ShownName(FileNamePart(file_name)) + " was damaged. These repairs were made:\r";
  const bool all_fit = repairs.size() <= kRepairsInSummary;
  const std::size_t shown = all_fit ? repairs.size() : kRepairsInSummary - 2;
  for (std::size_t i = 0; i < shown; ++i) report.Summary += "\r- " + repairs[i];
  if (!all_fit) {
    report.Summary += "\r... and " + std::to_string(repairs.size() - shown) +
                      " more (Show Details lists them all).";
    for (const std::string& repair : repairs) report.Details += repair + "\n";
  }
  report.Summary += "\r\rSave the file to keep the repaired version.";
  return report;
}

std::unique_ptr<QMessageBox> MakeReportBox(QWidget* parent, const std::string& title,
                                           const std::string& summary, const std::string& details) {
  auto box = std::make_unique<QMessageBox>(QMessageBox::Information, QString::fromStdString(title),
                                           QString::fromStdString(summary).replace('\r', '\n'),
                                           QMessageBox::Ok, parent);
  box->setObjectName("RepairReport");
  if (!details.empty()) box->setDetailedText(QString::fromStdString(details));
  return box;
}

}  // namespace celwright
