// Frame > Copy Frames and Paste Frames, and frames dragged from the lists onto another
// document: whole frames carried between documents (or within one) as copies, never as a
// reference to the document they came from.
#include <QMdiArea>
#include <QMimeData>
#include <QTabBar>
#include <QTabWidget>

#include "app/document_session.h"
#include "app/file_filters.h"
#include "app/open_document.h"
#include "app/main_window.h"
#include "document/bam_form.h"
#include "support/qm_log.h"

namespace celwright {

std::vector<std::int32_t> TMainForm::FramesToCopy() const {
  const TBAMForm& doc = *BAMForm();
  // A sequence highlighted on its page without one of its entries stands for all its frames,
  // in their order; otherwise the frame on show is copied.
  const int sequence = SelectedSequence();
  if (PageControl->currentWidget() == Tab_Sequence && sequence >= 0 && SelectedEntry() < 0 &&
      sequence < doc.BAM.CycleCount()) {
    const TCycleItem cycle = doc.BAM.GetCycle(sequence);
    return {cycle.Frames.begin(), cycle.Frames.end()};
  }
  if (doc.CurrentFrame < 0) return {};
  return {doc.CurrentFrame};
}

void TMainForm::CopyFrames1Click() {
  if (!document_ || !BAMForm()->BAM.IsOpen) return;
  SettlePlayback();
  TBAMForm& doc = *BAMForm();
  // The copy holds the frame as the user sees it, edits not yet written back included.
  if (doc.ImageChanged) Guarded([&] { doc.ShowFrame(doc.CurrentFrame); });
  const std::vector<std::int32_t> frames = FramesToCopy();
  AddLogLine("APP : Copy Frames (" + std::to_string(frames.size()) + ")");
  Guarded([&] { copied_frames_ = CopyFrames(doc.BAM, frames); });
  RefreshCommandStates();
}

void TMainForm::PasteFrames1Click() {
  if (!document_ || !BAMForm()->BAM.IsOpen || copied_frames_.empty()) return;
  PasteFramesIntoActive(copied_frames_);
}

void TMainForm::PasteFramesIntoActive(const std::vector<CopiedFrame>& frames) {
  if (!ConvertCheck(DetailsOf(BAMForm()->DocType).SingleFrame)) return;
  SettlePlayback();
  Guarded([&] { BAMForm()->PasteFrames(frames); });
  ShowLastFrameOnAllFrames();
}

namespace {
// Which document a drag of frames started in, so that a drop back on it adds nothing.
constexpr const char* kFramesOriginMimeType = "application/x-celwright-frames-origin";
}  // namespace

void TMainForm::WireFrameDrags() {
  for (RowList* list : {List_Frames, List_SequenceFrames}) {
    list->SetDragData([this, list](const std::vector<int>& rows) {
      return FrameDragData(list, rows);
    });
  }
  // Hovering a tab during a drag brings its document forward, to drop the frames on.
  if (auto* tabs = mdi_->findChild<QTabBar*>()) {
    tabs->setChangeCurrentOnDrag(true);
    tabs->setAcceptDrops(true);
  }
}

QMimeData* TMainForm::FrameDragData(RowList* list, const std::vector<int>& rows) {
  if (!document_ || !BAMForm()->BAM.IsOpen || rows.empty()) return nullptr;
  TBAMForm& doc = *BAMForm();
  std::vector<std::int32_t> frames;
  const int sequence = SelectedSequence();
  for (const int row : rows) {
    if (list == List_Frames) {
      frames.push_back(row);
    } else if (sequence >= 0 && sequence < doc.BAM.CycleCount()) {
      const TCycleItem cycle = doc.BAM.GetCycle(sequence);
      if (row >= 0 && row < static_cast<int>(cycle.Frames.size()))
        frames.push_back(cycle.Frames[static_cast<std::size_t>(row)]);
    }
  }
  // The drag carries the frames as the user sees them, edits not yet written back included.
  if (doc.ImageChanged) Guarded([&] { doc.ShowFrame(doc.CurrentFrame); });
  std::vector<std::uint8_t> bytes;
  Guarded([&] { bytes = EncodeCopiedFrames(CopyFrames(doc.BAM, frames)); });
  if (bytes.empty()) return nullptr;
  auto* dragged = new QMimeData;
  dragged->setData(kFramesMimeType,
                QByteArray(reinterpret_cast<const char*>(bytes.data()),
                           static_cast<qsizetype>(bytes.size())));
  dragged->setData(kFramesOriginMimeType,
                   QByteArray::number(static_cast<qulonglong>(active_->Serial)));
  return dragged;
}

bool TMainForm::DropFrames(const QMimeData& dropped) {
  if (!document_ || !BAMForm()->BAM.IsOpen || !dropped.hasFormat(kFramesMimeType)) return false;
  if (dropped.data(kFramesOriginMimeType).toULongLong() == active_->Serial) return false;
  const QByteArray raw = dropped.data(kFramesMimeType);
  const std::optional<std::vector<CopiedFrame>> frames =
      DecodeCopiedFrames(std::vector<std::uint8_t>(raw.begin(), raw.end()));
  if (!frames || frames->empty()) return false;
  AddLogLine("APP : Drop Frames (" + std::to_string(frames->size()) + ")");
  PasteFramesIntoActive(*frames);
  return true;
}

}  // namespace celwright
