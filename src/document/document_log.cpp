#include "document/document_log.h"

#include "support/qm_log.h"

namespace celwright {

DocumentLog DefaultDocumentLog() {
  return DocumentLog{[](const std::string& text) { celwright::AddLogLine(text); },
                     [](const std::string& text) { celwright::AppendToLog(text); }};
}

}  // namespace celwright
