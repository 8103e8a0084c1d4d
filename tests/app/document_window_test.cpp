// The document window inside the editor: what the view shows at each magnification, undo and
// redo after a frame operation, the history viewer, playback, pictures and GIFs opened as
// documents, imported frames, and closing with and without changes.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QListWidget>
#include <QToolButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/app_test_registry.h"
#include "app/document_view.h"
#include "app/editor_fixture.h"
#include "app/engine_report_window.h"
#include "app/history_window.h"
#include "model/frame_compaction.h"
#include "support/image_io/image_file.h"

using namespace celwright;

namespace {

constexpr int kPictureWidth = 6;
constexpr int kPictureHeight = 4;

TColor PictureColour(int x, int y) {
  return MakeColor(static_cast<std::uint8_t>(40 * x), static_cast<std::uint8_t>(60 * y), 200);
}

QRgb AsQRgb(TColor colour) { return qRgb(RedOf(colour), GreenOf(colour), BlueOf(colour)); }

}  // namespace

class DocumentWindowTest : public QObject, public EditorFixture {
  Q_OBJECT

  // A small true-colour PNG, every pixel a different colour.
  std::string MakePng(const char* name) {
    Bitmap picture(kPictureWidth, kPictureHeight, PixelFormat::Bits24);
    for (int y = 0; y < kPictureHeight; ++y)
      for (int x = 0; x < kPictureWidth; ++x) picture.SetPixel(x, y, PictureColour(x, y));
    const std::string path = Temp(name);
    SaveImageFile(picture, kImageKindPng, path);
    return path;
  }

  std::string SampleAsGif(const char* name) {
    TBAM sample;
    sample.LoadFromFile(kSample);
    const std::string path = Temp(name);
    sample.ExportGIF(path, 0);
    return path;
  }

  // What the screen shows at a client position of the document view.
  QRgb Shown(int x, int y) {
    QApplication::processEvents();
    return form_->View()->viewport()->grab().toImage().pixel(x, y);
  }

  // The animation as Save As writes it.
  std::string SavedBytes(const char* name) {
    prompts_->SaveChoices = {{true, Temp(name), 0}};
    form_->SaveAs1Click();
    return FileBytes(Temp(name));
  }

  // What every sequence slot of a saved file shows, read back on its own: each drawn pixel's
  // index, placed relative to the frame's centre.
  static std::vector<std::vector<std::array<int, 3>>> SlotPictures(const std::string& path) {
    std::vector<std::vector<std::array<int, 3>>> pictures;
    TBAM bam;
    if (!bam.LoadFromFile(path)) return pictures;
    for (const TCycleItem& cycle : bam.Cycles())
      for (const std::int32_t frame : cycle.Frames) {
        auto& drawn = pictures.emplace_back();
        if (frame < 0 || frame >= bam.FrameCount()) continue;
        const TBAMFrame rec = bam.GetFrame(frame);
        const Bitmap indices = Indices(bam, frame);
        for (int y = 0; y < indices.Height(); ++y)
          for (int x = 0; x < indices.Width(); ++x)
            if (const int index = RedOf(indices.GetPixel(x, y)); index != bam.TranspInd)
              drawn.push_back({x - rec.CentreX, y - rec.CentreY, index});
      }
    return pictures;
  }
  static std::int64_t FrameArea(const TBAM& bam) {
    std::int64_t area = 0;
    for (int i = 0; i < bam.FrameCount(); ++i)
      area += std::int64_t{bam.GetFrame(i).Width} * bam.GetFrame(i).Height;
    return area;
  }

 private slots:
  void init() { StartEditor(); }
  void cleanup() { StopEditor(); }

  void aPictureOpensAsOneFrameShownPixelForPixelAndSavesBackAsAPicture() {
    form_->OpenFile(MakePng("shot.png"), dtPNG);
    QVERIFY(form_->BAMForm());
    QCOMPARE(Doc().DocType, dtPNG);
    QCOMPARE(Doc().BAM.FrameCount(), 1);
    QCOMPARE(Doc().BAM.GetBAMType(), kUnpalettedBAM);
    QCOMPARE(form_->List_Frames->Text(0), QString("PNG"));
    QCOMPARE(form_->PageControl->currentWidget(), form_->Tab_Frames);
    QCOMPARE(Doc().CurrentFrame, 0);
    QVERIFY(!Doc().Modified);
    QCOMPARE(prompts_->Count("error"), 0);

    QVERIFY(!Enabled("ZoomOut1"));
    const int expected_zoom[] = {1, 4, 9, 16};
    for (int step = 0; step < 4; ++step) {
      form_->Combo_MagChange(step);
      const int zoom = Doc().Zoom;
      QCOMPARE(zoom, expected_zoom[step]);
      // Pixel (5, 3) covers a zoom x zoom block from the frame's corner on.
      const ViewPoint origin = Doc().ImageOrigin;
      const QRgb corner = Shown(origin.X + 5 * zoom, origin.Y + 3 * zoom);
      QCOMPARE(corner, AsQRgb(PictureColour(5, 3)));
      QCOMPARE(Shown(origin.X + 5 * zoom + zoom - 1, origin.Y + 3 * zoom + zoom - 1), corner);
      QCOMPARE(Shown(origin.X + 2 * zoom, origin.Y + zoom), AsQRgb(PictureColour(2, 1)));
    }
    QVERIFY(!Enabled("ZoomIn1") && Enabled("ZoomOut1"));

    // The wheel steps the magnification in the document; the list follows.
    QWheelEvent wheel(QPointF(10, 10), form_->View()->mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(form_->View()->viewport(), &wheel);
    QCOMPARE(Doc().Zoom, 9);
    QCOMPARE(form_->Combo_Mag->currentIndex(), 2);

    // Saved as a bitmap it stays a picture document, of the new kind.
    form_->SaveAs1Click();  // cancelled: only to read the offered filter
    // Filter pairs are "label|pattern|"; find the bitmap one.
    const QStringList parts = QString::fromStdString(prompts_->LastSaveFilter).split('|');
    int bitmap_pair = -1;
    for (int i = 1; i < parts.size(); i += 2) {
      if (parts[i].contains("*.bmp")) bitmap_pair = i / 2;
    }
    QVERIFY(bitmap_pair > 1);
    const std::string target = Temp("saved");
    prompts_->SaveChoices = {{true, target, bitmap_pair}};
    form_->SaveAs1Click();
    QCOMPARE(prompts_->Count("error"), 0);
    QCOMPARE(Doc().DocType, dtBitmap);
    QVERIFY(!Doc().Modified);
    Bitmap saved;
    Palette256 palette{};
    QVERIFY(LoadImageFile(saved, palette, 0, target + ".bmp"));
    QCOMPARE(saved.Width(), kPictureWidth);
    QCOMPARE(saved.GetPixel(5, 3), PictureColour(5, 3));
    // From now on the document is that file: title, Save and the close question name it.
    QVERIFY(form_->windowTitle().contains("saved.bmp"));
    std::filesystem::remove(target + ".bmp");
    Doc().Modified = true;
    form_->Save1Click();  // a true-colour bitmap holds the frame exactly: written in place
    QVERIFY(std::filesystem::exists(target + ".bmp"));
    Doc().Modified = true;
    QVERIFY(!form_->Close1Click());  // the unscripted question is cancelled
    QCOMPARE(prompts_->History.back().Text, "Do you want to save changes to " + target + ".bmp?");
  }

  // Saving never destroys what the user opened.
  void aPictureThatBecameABamIsSavedUnderANewName() {
    const std::string png = MakePng("hero.png");
    const std::string before = FileBytes(png);
    form_->OpenFile(png, dtPNG);
    prompts_->OkCancelAnswers = {true};
    form_->NewFrame1Click();  // converts to a BAM
    QCOMPARE(Doc().DocType, dtBAM);

    form_->Save1Click();  // goes to Save As, proposing a BAM name; cancelled
    QCOMPARE(prompts_->LastSuggestedPath, Temp("hero.bam"));
    QCOMPARE(prompts_->LastSavePreselected, 0);
    // The close question's Yes takes the same road; cancelling it keeps the document open.
    prompts_->YesNoCancelAnswers = {PromptAnswer::Yes};
    QVERIFY(!form_->Close1Click());
    QCOMPARE(FileBytes(png), before);

    prompts_->YesNoCancelAnswers = {PromptAnswer::Yes};
    prompts_->SaveChoices = {{true, Temp("hero"), 0}};
    QVERIFY(form_->Close1Click());
    QCOMPARE(FileBytes(png), before);
    TBAM saved;
    QVERIFY(saved.LoadFromFile(Temp("hero.bam")));
    QCOMPARE(saved.FrameCount(), 2);
  }
  void savingAnUnchangedOrLossyPictureNeverRewritesIt() {
    for (const auto& [path, type] :
         {std::pair{SampleAsGif("walk.gif"), dtGIF}, std::pair{MakePng("still.png"), dtPNG}}) {
      const std::string before = FileBytes(path);
      form_->OpenFile(path, type);
      form_->Save1Click();  // unchanged: nothing to write, nothing to ask
      QVERIFY(prompts_->LastSuggestedPath.empty());
      QCOMPARE(FileBytes(path), before);
    }
    // A changed GIF would be re-quantised: Save asks for a name instead.
    const std::string gif = Temp("walk.gif");
    const std::string before = FileBytes(gif);
    form_->OpenFile(gif, dtGIF);
    Doc().BAM.MoveFrameInCycle(0, 0, 3);
    Doc().Modified = true;
    form_->Save1Click();
    QCOMPARE(prompts_->LastSuggestedPath, gif);
    QCOMPARE(FileBytes(gif), before);
  }
  void scrollBarsAppearWhenTheFrameDoesNotFitAndMoveIt() {
    form_->OpenFile(kSample, dtBAM);
    QScrollBar* vertical = form_->View()->verticalScrollBar();
    QVERIFY(!vertical->isVisible());
    form_->Combo_MagChange(3);  // 64 rows x 16 do not fit
    QTRY_VERIFY(vertical->isVisible());
    QCOMPARE(vertical->maximum(), Doc().VerticalScroll().Max);
    // The core hears of the client area the bars left once its own redraw is over.
    QTRY_COMPARE(Doc().Viewport().ClientWidth, form_->View()->viewport()->width());
    QCOMPARE(Doc().ViewImage.Width(), form_->View()->viewport()->width());
    const int top = Doc().ImageOrigin.Y;
    vertical->setValue(vertical->value() + 32);
    QCOMPARE(Doc().VerticalScroll().Position, vertical->value());
    QCOMPARE(Doc().ImageOrigin.Y, top - 32);
    form_->Combo_MagChange(0);
    QTRY_VERIFY(!vertical->isVisible());
  }

  void gridAndTransparencyComeFromTheComposedPicture() {
    form_->OpenFile(kSample, dtBAM);
    form_->Combo_MagChange(2);
    const QImage plain = form_->View()->Picture();
    form_->Entry("ShowGrid1")->trigger();
    QVERIFY(Doc().ViewImage.Width() > 0);
    const QImage grid = form_->View()->Picture();
    QVERIFY(grid != plain);
    form_->Entry("ShowGrid1")->trigger();
    QCOMPARE(form_->View()->Picture(), plain);
    form_->Entry("ViewPaletteTransparency1")->trigger();  // on at start: now off
    QVERIFY(!Doc().ViewTransparency);
    QVERIFY(form_->View()->Picture() != plain);
  }

  // The whole animation's history through the window: paint frame 3, look at frame 4, delete a
  // frame, edit the palette; four undos give the original back byte for byte, four redos the
  // edited animation, and the viewer jumps between the named steps.
  void undoEverythingAcrossFramesByteForByte() {
    const std::string real = testing::RealFile("rabbG11.bam");
    QVERIFY_REAL_FILE(real);
    form_->OpenFile(real, dtBAM);
    const int frames = Doc().BAM.FrameCount();
    QVERIFY(frames > 5);
    QVERIFY(!Enabled("Undo1"));
    const std::string original = SavedBytes("original.bam");
    QVERIFY(!original.empty());

    while (Doc().CurrentFrame < 3) form_->Entry("NextFrame1")->trigger();
    Press("Btn_Pencil");
    PickColour(67);
    Drag(0, 0, 3, 2);
    QCOMPARE(IndexAt(3, 2), 67);
    form_->Entry("NextFrame1")->trigger();
    QCOMPARE(Doc().CurrentFrame, 4);
    form_->Entry("DeleteFrame1")->trigger();
    QCOMPARE(form_->Entry("Undo1")->text(), QString("&Undo Delete frame 4"));
    form_->Entry("Negative1")->trigger();
    QCOMPARE(form_->Entry("Undo1")->text(), QString("&Undo Negative"));
    QCOMPARE(form_->findChild<QToolButton*>("Btn_Undo")->toolTip(), QString("Undo Negative"));
    QCOMPARE(Doc().UndoCount(), 3);
    const std::string edited = SavedBytes("edited.bam");
    QVERIFY(edited != original);

    for (int i = 0; i < 4; ++i) form_->Entry("Undo1")->trigger();
    QVERIFY(!Enabled("Undo1") && Enabled("Redo1"));
    QCOMPARE(Doc().CurrentFrame, 3);  // the frame the first step changed
    QCOMPARE(form_->Entry("Redo1")->text(), QString("&Redo Pencil on frame 3"));
    QVERIFY(Doc().Modified);  // "edited.bam" was the last save
    QCOMPARE(SavedBytes("undone.bam"), original);
    for (int i = 0; i < 4; ++i) form_->Entry("Redo1")->trigger();
    QCOMPARE(SavedBytes("redone.bam"), edited);
    // Undoing away from the state saved sets the "*", redoing back to it clears it.
    form_->Entry("Undo1")->trigger();
    QVERIFY(form_->isWindowModified());
    form_->Entry("Redo1")->trigger();
    QVERIFY(!form_->isWindowModified());

    form_->Entry("ViewHistory1")->trigger();
    TViewHistoryForm* history = form_->HistoryForm();
    QVERIFY(history && history->isVisible());
    QListWidget* steps = history->List_History;
    QCOMPARE(steps->count(), 4);
    QCOMPARE(steps->item(1)->text(), QString("Pencil on frame 3"));
    QCOMPARE(steps->currentRow(), 3);
    const QPoint row = steps->visualItemRect(steps->item(1)).center();
    QTest::mouseClick(steps->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(steps->viewport(), Qt::LeftButton, {}, row);
    QCOMPARE(Doc().UndoCount(), 1);
    QCOMPARE(steps->currentRow(), 1);
    QCOMPARE(Doc().BAM.FrameCount(), frames);
  }

  // Merge Identical Frames and Trim Transparent Borders from the Frame menu: one step each, the
  // sequences show the same pictures (read back from the saved file), the bytes saved are told,
  // and undo gives the file back byte for byte.
  void mergeAndTrimFramesAreOneStepEach() {
    const std::string real = testing::RealFile("rabbG11.bam");
    QVERIFY_REAL_FILE(real);
    form_->OpenFile(real, dtBAM);
    const int frames = Doc().BAM.FrameCount();
    ClickRow(form_->List_Sequences, 0);
    ClickRow(form_->List_SequenceFrames, 0);
    form_->Entry("DuplicateFrameInSeq1")->trigger();
    form_->Entry("DuplicateFrameInSeq1")->trigger();
    QCOMPARE(Doc().BAM.FrameCount(), frames + 2);
    const std::string duplicated = SavedBytes("duplicated.bam");
    const auto pictures = SlotPictures(Temp("duplicated.bam"));
    QVERIFY(!pictures.empty() && !pictures.front().empty());

    QVERIFY(Enabled("MergeIdenticalFrames1"));
    form_->Entry("MergeIdenticalFrames1")->trigger();
    // The real file has identical frames of its own besides the two copies.
    const int kept = Doc().BAM.FrameCount();
    const int removed = frames + 2 - kept;
    QVERIFY(removed >= 2);
    QCOMPARE(form_->List_Frames->count(), kept);
    QCOMPARE(form_->Entry("Undo1")->text(), QString("&Undo Merge Identical Frames"));
    SavedBytes("merged.bam");
    QCOMPARE(SlotPictures(Temp("merged.bam")), pictures);
    // The writer already stores identical frames' pixels once: the saving is in the frames' own
    // encoded bytes, counted on the two files read back.
    TBAM before, after;
    QVERIFY(before.LoadFromFile(Temp("duplicated.bam")) && after.LoadFromFile(Temp("merged.bam")));
    const std::int64_t saved = FrameDataBytes(before) - FrameDataBytes(after);
    QVERIFY(saved > 0);
    QCOMPARE(prompts_->History.back().Text, std::to_string(removed) +
                                                " duplicate frames removed, " +
                                                std::to_string(saved) + " bytes saved.");
    form_->Entry("Undo1")->trigger();
    QCOMPARE(Doc().BAM.FrameCount(), frames + 2);
    QCOMPARE(SavedBytes("unmerged.bam"), duplicated);

    const std::int64_t area = FrameArea(Doc().BAM);
    form_->Entry("TrimTransparentBorders1")->trigger();
    QVERIFY(FrameArea(Doc().BAM) < area);
    QCOMPARE(form_->Entry("Undo1")->text(), QString("&Undo Trim Transparent Borders"));
    QVERIFY(prompts_->History.back().Text.ends_with(" bytes saved."));
    SavedBytes("trimmed.bam");
    QCOMPARE(SlotPictures(Temp("trimmed.bam")), pictures);
    form_->Entry("Undo1")->trigger();
    QCOMPARE(SavedBytes("untrimmed.bam"), duplicated);
    // A second trim finds nothing left to crop and adds no step.
    form_->Entry("Redo1")->trigger();
    const int steps = Doc().UndoCount();
    form_->Entry("TrimTransparentBorders1")->trigger();
    QCOMPARE(Doc().UndoCount(), steps);
    QCOMPARE(prompts_->History.back().Text,
             std::string("No frame has transparent borders: nothing was trimmed."));
  }

  // Every tick writes the window back into the frame it shows: a handle drag while a sequence
  // plays stops the playback at its press, so only the dragged frame changes.
  void aHandleDragWhilePlayingChangesOnlyTheDraggedFrame() {
    settings_->WriteInt("PlaySpeed", 5);
    form_->OpenFile(kSample, dtBAM);
    TBAM original;
    QVERIFY(original.LoadFromFile(kSample));
    ClickRow(form_->List_Sequences, 1);
    form_->Entry("Play1")->trigger();
    QTest::qWait(40);
    QVERIFY(Doc().Playing());
    const int dragged = Doc().CurrentFrame;
    const TBAMFrame start = Doc().FrameRec;
    // The right edge's handle, then ten pixels further right over several ticks.
    const QPoint handle(Doc().ImageOrigin.X + start.Width * Doc().Zoom + 2,
                        Doc().ImageOrigin.Y + start.Height * Doc().Zoom / 2);
    SendAt(QEvent::MouseMove, handle, Qt::NoButton, Qt::NoButton);
    SendAt(QEvent::MouseButtonPress, handle, Qt::LeftButton, Qt::LeftButton);
    for (int step = 1; step <= 5; ++step) {
      SendAt(QEvent::MouseMove, handle + QPoint(2 * step * Doc().Zoom, 0), Qt::NoButton,
             Qt::LeftButton);
      QTest::qWait(20);
    }
    SendAt(QEvent::MouseButtonRelease, handle + QPoint(10 * Doc().Zoom, 0), Qt::LeftButton,
           Qt::NoButton);
    Doc().CommitPendingEdits();
    for (int frame = 0; frame < original.FrameCount(); ++frame) {
      if (frame == dragged) continue;
      QCOMPARE(Doc().BAM.GetFrame(frame).Width, original.GetFrame(frame).Width);
      QCOMPARE(Doc().BAM.GetFrame(frame).CentreX, original.GetFrame(frame).CentreX);
      QCOMPARE(Indices(Doc().BAM, frame), Indices(original, frame));
    }
    QVERIFY(!Doc().Playing());
    QVERIFY(!Enabled("Stop1"));
    QCOMPARE(Doc().CurrentFrame, dragged);
    QVERIFY(Doc().FrameRec.Width > start.Width);
  }

  // Exported from the sample's first cycle, either kind opens as one sequence of its frames.
  void animationsOpenAsOneSequence() {
    const struct {
      const char* name;
      TDocType type;
      std::uint8_t bam_type;
      const char* caption;
    } kinds[] = {{"walk.gif", dtGIF, kPalettedBAM, "GIF"},
                 {"walk.avi", dtAVI, kUnpalettedBAM, "AVI"}};
    for (const auto& kind : kinds) {
      const std::string path = Temp(kind.name);
      TBAM sample;
      QVERIFY(sample.LoadFromFile(kSample));
      kind.type == dtGIF ? sample.ExportGIF(path, 0) : sample.ExportAVI(path, 0);
      form_->OpenFile(path, kind.type);
      QVERIFY(form_->BAMForm());
      QCOMPARE(prompts_->Count("error"), 0);
      QCOMPARE(Doc().DocType, kind.type);
      QCOMPARE(Doc().BAM.GetBAMType(), kind.bam_type);
      QCOMPARE(Doc().BAM.FrameCount(), 8);
      QCOMPARE(Doc().BAM.CycleCount(), 1);
      QCOMPARE(form_->List_Sequences->Text(0), QString(kind.caption));
      QCOMPARE(form_->List_SequenceFrames->count(), 8);
      QCOMPARE(form_->Recent().Types[0], kind.type);
    }
  }

  void importFrameAddsThePictureAsTheLastFrame() {
    const std::string png = MakePng("import.png");
    form_->OpenFile(kSample, dtBAM);
    prompts_->OpenChoices = {{true, png, 2}};  // the third filter entry: PNG
    form_->Entry("ImportFrame1")->trigger();
    QCOMPARE(Doc().BAM.FrameCount(), 21);
    QCOMPARE(Doc().CurrentFrame, 20);
    QCOMPARE(Doc().BAM.GetFrame(20).Width, kPictureWidth);
    QCOMPARE(Doc().BAM.GetFrame(20).Height, kPictureHeight);
    QCOMPARE(form_->List_Frames->currentRow(), 20);
    QVERIFY(Doc().Modified);

    // An unreadable picture is reported and changes nothing.
    const std::string junk = Temp("junk.png");
    std::ofstream(junk, std::ios::binary) << "not a picture";
    prompts_->OpenChoices = {{true, junk, 2}};
    form_->Entry("ImportFrame1")->trigger();
    QCOMPARE(prompts_->Count("error"), 1);
    QCOMPARE(Doc().BAM.FrameCount(), 21);
  }

  void checkForEnginesShowsTheFrameOfAnEntryAndFixKeepsThePixels() {
    form_->OpenFile(kSample, dtBAM);
    form_->Entry("CheckForEngines1")->trigger();
    TEngineReportForm* report = form_->EngineReportForm();
    QVERIFY(report && report->isVisible());
    const auto& findings = report->Shown().findings;
    const auto framed = std::find_if(findings.begin(), findings.end(),
                                     [](const engine::Finding& f) { return f.frame > 0; });
    QVERIFY(framed != findings.end());
    const int frame = framed->frame;
    ClickRow(report->List_Findings, static_cast<int>(framed - findings.begin()));
    QCOMPARE(Doc().CurrentFrame, frame);
    QCOMPARE(form_->List_Frames->currentRow(), frame);

    // A run-length key of 129 with no green entry: the file means 129 as transparent.
    const std::string carot = testing::RealFile("carot.bam");
    QVERIFY_REAL_FILE(carot);
    form_->OpenFile(carot, dtBAM);
    form_->Entry("CheckForEngines1")->trigger();
    QVERIFY(report->Shown().Has(engine::kTransparentIndexDisagreement));
    QVERIFY(report->Btn_Fix->isEnabled());
    auto shown = [this](int transparent) {
      std::vector<TColor> pixels;
      for (std::uint8_t index : Doc().BAM.DecodeFrame(0)) {
        pixels.push_back(index == transparent ? 0xFF000000u : ToColor(Doc().BAM.Palette[index]));
      }
      return pixels;
    };
    const std::vector<TColor> before = shown(129);
    QTest::mouseClick(report->Btn_Fix, Qt::LeftButton);
    QVERIFY(!report->Shown().Has(engine::kTransparentIndexDisagreement));
    QVERIFY(!report->Btn_Fix->isEnabled());
    QVERIFY(Doc().Modified);
    QCOMPARE(shown(0), before);

    // An unchanged file is checked on its bytes: what saving will put right is listed too.
    const std::string damaged = testing::RealFile("minimal_carot.bam");
    QVERIFY_REAL_FILE(damaged);
    prompts_->YesNoCancelAnswers.push_back(PromptAnswer::No);  // carot.bam stays as it was
    form_->OpenFile(damaged, dtBAM);
    form_->Entry("CheckForEngines1")->trigger();
    QVERIFY(report->Shown().Has(engine::kEmptyFrameEncoded));
  }

  void theFrameEnginesWouldTakeForNoneIsRefusedWithAMessage() {
    QVERIFY(NewActiveDocument());
    while (Doc().BAM.FrameCount() < 65534) Doc().BAM.InsertFrame(-1, -1, -1, false);
    form_->UpdateFrameAndSequenceLists();
    form_->Entry("NewFrame1")->trigger();
    QCOMPARE(Doc().BAM.FrameCount(), 65534);
    QCOMPARE(prompts_->Count("error"), 1);
    QVERIFY(prompts_->History.back().Text.find("65534") != std::string::npos);
  }
};

CELWRIGHT_APP_TEST(DocumentWindowTest)
#include "document_window_test.moc"
