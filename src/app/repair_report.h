#pragma once

#include <memory>
#include <string>
#include <vector>

class QMessageBox;
class QWidget;

namespace celwright {

// What the user is told after a damaged file opened: a short summary that always fits on the
// screen, and the full list of repairs (empty when the summary already names them all).
struct RepairReport {
  std::string Summary;
  std::string Details;
};

RepairReport MakeRepairReport(const std::string& file_name,
                              const std::vector<std::string>& repairs);

// The report as a message box: the summary, with the full list in its scrolling details part.
std::unique_ptr<QMessageBox> MakeReportBox(QWidget* parent, const std::string& title,
                                           const std::string& summary, const std::string& details);

}  // namespace celwright
