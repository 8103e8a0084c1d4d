// The Edit menu's selection commands, the selection panel's buttons, the "Center" button and
// the exchange of copies with the system clipboard.
#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLayout>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>
#include <algorithm>
#include <cstring>

#include "app/bitmap_image.h"
#include "app/document_session.h"
#include "document/bam_form.h"
#include "document/buffer_ops.h"
#include "document/frame_sizing.h"
#include "document/selection_transfer.h"
#include "support/blit.h"

namespace celwright {

namespace {

// Other programs get a plain picture; this program also finds its exact copy (mask and
// indices) under a private format, even when another instance of the editor put it there.
class QtSelectionClipboard : public QObject, public SelectionClipboard {
 public:
  explicit QtSelectionClipboard(QObject* parent) : QObject(parent) {}

  void PutSelection(const std::array<Bitmap, 3>& copied, bool paletted,
                    const Bitmap& picture) override {
    auto* data = new QMimeData;
    data->setImageData(WrapBitmap(picture).copy());
    const std::vector<std::uint8_t> bytes = EncodeSelectionCopy(copied, paletted);
    data->setData(kSelectionMimeType,
                  QByteArray(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<qsizetype>(bytes.size())));
    QApplication::clipboard()->setMimeData(data);
  }

  std::optional<ClipboardContent> GetSelection() override {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data) return std::nullopt;
    if (data->hasFormat(kSelectionMimeType)) {
      const QByteArray raw = data->data(kSelectionMimeType);
      const std::vector<std::uint8_t> bytes(raw.begin(), raw.end());
      if (std::optional<ClipboardContent> own = DecodeSelectionCopy(bytes)) return own;
    }
    if (!data->hasImage()) return std::nullopt;
    const QImage image = qvariant_cast<QImage>(data->imageData());
    ClipboardContent refused;
    if (image.isNull()) {
      // The toolkit gives no picture for one past its own allocation limit.
      refused.Refusal =
          "The picture on the clipboard cannot be read (it may be too large); nothing was pasted.";
      return refused;
    }
    // Refused before the conversions below, which would cost several copies of the picture.
    refused.Refusal =
        PictureSizeRefusal("The picture on the clipboard", image.width(), image.height(), "pasted");
    if (!refused.Refusal.empty()) return refused;
    // Translucent pixels are shown over white, as the other program would show them.
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    {
      QPainter painter(&opaque);
      painter.drawImage(0, 0, image);
    }
    opaque = opaque.convertToFormat(QImage::Format_BGR888);
    ClipboardContent content;
    content.Picture.Reset(opaque.width(), opaque.height(), PixelFormat::Bits24);
    for (int y = 0; y < opaque.height(); ++y) {
      std::memcpy(content.Picture.Row(y), opaque.constScanLine(y), content.Picture.Stride());
    }
    return content;
  }
};

}  // namespace

void TMainForm::WireSelectionCommands() {
  doc_options_.Clipboard = new QtSelectionClipboard(this);
  const std::pair<const char*, std::function<void(TBAMForm&)>> commands[] = {
      {"Copy1", [](TBAMForm& doc) { doc.SelectionCopy(); }},
      {"Cut1", [](TBAMForm& doc) { doc.SelectionCut(); }},
      {"Paste1", [](TBAMForm& doc) { doc.PasteCopied(); }},
      {"Clear1", [](TBAMForm& doc) { doc.SelectionDelete(); }},
      {"Crop1", [](TBAMForm& doc) { doc.Crop(); }},
      {"SelectAll1", [](TBAMForm& doc) { doc.SelectionAll(); }},
      {"SelectNone1",
       [](TBAMForm& doc) {
         doc.SelectionClear();
         doc.RedrawImage(false);
       }},
      {"Inverse1", [](TBAMForm& doc) { doc.SelectionInvert(); }},
  };
  for (const auto& [name, command] : commands) {
    QAction* entry = Entry(name);
    unwired_.erase(entry);
    connect(entry, &QAction::triggered, this, [this, command] {
      if (!document_ || BAMForm()->CurrentFrame == -1) return;
      Guarded([&] { command(*BAMForm()); });
      ShowStamp();
      RefreshCommandStates();
    });
  }
  QAction* paste_new = Entry("PasteIntoNew1");
  unwired_.erase(paste_new);
  connect(paste_new, &QAction::triggered, this, [this] { PasteIntoNew1Click(); });

  const std::pair<QToolButton*, const char*> buttons[] = {
      {Btn_Crop, "Crop1"}, {Btn_Cut, "Cut1"}, {Btn_Copy, "Copy1"}, {Btn_Paste, "Paste1"}};
  for (const auto& [button, entry] : buttons) {
    if (button) connect(button, &QToolButton::clicked, Entry(entry), &QAction::trigger);
  }

  if (auto* centre = findChild<QWidget*>("Panel_SetCent")) {
    auto* button = new QToolButton(centre);
    button->setObjectName("Btn_AbsCent");
    button->setText("Center");
    button->setToolTip("Sets the frame's center to the graphical center.");
    centre->layout()->addWidget(button);
    connect(button, &QToolButton::clicked, this, [this] { Btn_AbsCentClick(); });
  }
  if (auto* stamp = findChild<QWidget*>("Panel_Stamp")) {
    auto* picture = new QLabel(stamp);
    picture->setObjectName("Img_Stamp");
    picture->setMinimumSize(32, 32);
    stamp->layout()->addWidget(picture);
  }
}

void TMainForm::PasteIntoNew1Click() {
  if (!document_ || !BAMForm()->BAM.IsOpen) return;
  // The picture is read first: a paste that cannot be made must not leave an empty frame.
  std::string refusal;
  std::array<Bitmap, 3> pasted;
  Guarded([&] { pasted = BAMForm()->ClipboardPasteImages(refusal); });
  if (pasted[2].Empty()) {
    Guarded([&] { BAMForm()->PastePicture(pasted, refusal, true); });  // says why
    return;
  }
  const int before = BAMForm()->BAM.FrameCount();
  NewFrame1Click();
  if (!document_ || BAMForm()->BAM.FrameCount() == before) return;
  Guarded([&] { BAMForm()->PastePicture(pasted, {}, true); });
  RefreshCommandStates();
}

void TMainForm::Btn_AbsCentClick() {
  if (!document_ || doc_options_.Tool != ToolKind::SetCent) return;
  TBAMForm& doc = *BAMForm();
  if (doc.CurrentFrame == -1) return;
  document_->Tools.ModifyBAM(doc.FrameRec.Width / 2, doc.FrameRec.Height / 2, kLeftButton);
  doc.AddHistoryItem();
  RefreshCommandStates();
  doc.Tool.DrawButton = kNoButton;
}

// The stamp panel shows the last copied area on grey.
void TMainForm::ShowStamp() {
  auto* label = findChild<QLabel*>("Img_Stamp");
  const std::array<Bitmap, 3>& copied = doc_options_.CopiedImage;
  if (!label || copied[0].Empty()) return;
  Bitmap shown(copied[0].Width(), copied[0].Height(), PixelFormat::Bits24);
  FillBitmap(shown, MakeColor(0x80, 0x80, 0x80));
  MaskBlt(shown, 0, 0, copied[0], copied[2]);
  // A copied handful of pixels would be a dot: small areas are enlarged in whole steps (each
  // pixel a clean block), large ones shrunk to the same box.
  constexpr int kStampBox = 96;
  const QImage picture = WrapBitmap(shown).copy();
  const int longest = std::max(picture.width(), picture.height());
  const QImage fitted =
      longest <= kStampBox
          ? picture.scaled(picture.size() * (kStampBox / longest), Qt::IgnoreAspectRatio,
                           Qt::FastTransformation)
          : picture.scaled(kStampBox, kStampBox, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  label->setPixmap(QPixmap::fromImage(fitted));
}

}  // namespace celwright
