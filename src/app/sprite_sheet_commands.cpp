// File > Import > Sprite Sheet and File > Export > Sprite Sheet: animations exchanged with
// pixel-art editors as one sheet picture and its JSON data.
#include "app/main_window.h"
#include "app/save_rules.h"

#include <filesystem>
#include <memory>

#include "support/app_info.h"
#include "app/document_session.h"
#include "document/bam_form.h"
#include "model/sprite_sheet_export.h"
#include "model/sprite_sheet_import.h"
#include "support/file_io.h"
#include "support/qm_log.h"

namespace celwright {

namespace {

constexpr const char* kSheetDataFilter = "Sprite Sheet Data (*.json)|*.json|";
constexpr const char* kSheetPictureFilter = "Portable Network Graphic (*.png)|*.png|";

}  // namespace

void TMainForm::ImportSpriteSheet1Click() {
  const FileChoice choice = prompts_.ChooseOpenFile("Import Sprite Sheet", kSheetDataFilter);
  if (!choice.Accepted) return;
  AddLogLine("APP : Import Sprite Sheet " + choice.Path);
  // Read whole before the open document is touched: a bad sheet changes nothing.
  auto animation = std::make_shared<ExchangeAnimation>();
  try {
    *animation = ReadSpriteSheet(choice.Path);
  } catch (const std::exception& e) {
    AppendToLog(std::string(" [ABORTED] (") + e.what() + ")");
    prompts_.Error(kAppTitle, std::string("The sprite sheet was not imported.\r\r") + e.what());
    return;
  }
  // The animation becomes a new untitled document, so Save asks where the BAM file goes.
  fill_new_document_ = [animation](TBAM& bam) { BuildExchangedDocument(bam, *animation, true); };
  OpenFile2("", dtBAM, false);
  // Still set when the user kept the open document instead.
  const bool made = !fill_new_document_;
  fill_new_document_ = nullptr;
  if (!made) {
    AddLogLine("APP : Import Sprite Sheet [ABORTED] (Must close first)");
    return;
  }
  if (!document_) return;  // the failure has been reported
  BAMForm()->Modified = true;
  RefreshCommandStates();
}

void TMainForm::ExportSpriteSheet1Click() {
  if (!document_) return;
  TBAMForm& doc = *BAMForm();
  doc.CommitPendingEdits();
  const std::string proposed =
      std::filesystem::path(doc.BAM.FileName).replace_extension().string() + "_Sheet";
  const FileChoice choice =
      prompts_.ChooseSaveFile("Export Sprite Sheet", kSheetPictureFilter, 0, proposed);
  if (!choice.Accepted) return;
  std::filesystem::path picture = choice.Path;
  if (picture.extension() != ".png" && picture.extension() != ".PNG") picture += ".png";
  // The dialog asked about the name as typed; the sheet goes to the name with its extension.
  if (!ConfirmSaveTarget(prompts_, "Export Sprite Sheet", choice.Path, picture.string(),
                         doc.BAM.FileName, "")) {
    return;
  }
  const std::filesystem::path data_file = std::filesystem::path(picture).replace_extension(".json");
  std::error_code error;
  if (std::filesystem::exists(data_file, error) &&
      !prompts_.AskOkCancel("Export Sprite Sheet", "\"" + ShownName(data_file.string()) +
                                                       "\" already exists.\r\rDo you want to "
                                                       "replace it?")) {
    return;
  }
  AddLogLine("APP : Export Sprite Sheet " + picture.string() + "...");
  SheetExportOptions options;
  options.frame_ms = doc_options_.FrameSpeedMs;
  options.app = kAppTitle;
  options.version = kVersionText;
  try {
    ExportSpriteSheet(doc.BAM, picture.string(), data_file.string(), options);
    AppendToLog(" [DONE]");
  } catch (const std::exception& e) {
    AppendToLog(std::string(" [ABORTED] (") + e.what() + ")");
    prompts_.Error(kAppTitle, std::string("The sprite sheet was not exported.\r\r") + e.what());
  }
}

}  // namespace celwright
