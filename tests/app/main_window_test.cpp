// The editor driven as a user would: open the sample, walk the lists, run the commands, save,
// reopen, close with and without changes. Every question is answered by the script.
#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QScreen>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <sys/stat.h>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "support/app_info.h"
#include "app/app_test_registry.h"
#include "app/document_session.h"
#include "app/document_view.h"
#include "app/editor_fixture.h"
#include "app/qt_prompts.h"
#include "app/repair_report.h"
#include "app/splash_window.h"

using namespace celwright;

namespace {

const std::string kLargeBAM = testing::RealFile("CHMB1G11.BAM");

std::vector<int> Cycle(const TMainForm& form, int index) {
  return form.BAMForm()->BAM.GetCycle(index).Frames;
}

}  // namespace

class MainWindowTest : public QObject, public EditorFixture {
  Q_OBJECT

  QSize FrameSize() const {
    return QSize(form_->BAMForm()->FrameRec.Width, form_->BAMForm()->FrameRec.Height);
  }

 private slots:
  void init() { StartEditor(); }
  void cleanup() { StopEditor(); }

  void withoutDocumentOnlyNewAndOpenWork() {
    form_->RefreshCommandStates();
    QVERIFY(Enabled("New1") && Enabled("Open1"));
    for (const char* name : {"Save1", "SaveAs1", "Close1", "FileInfo1", "NewFrame1", "AddSequence1",
                             "ZoomIn1", "NextFrame1", "SequenceInfo1", "Print1"})
      QVERIFY2(!Enabled(name), name);
    QVERIFY(form_->close());
    QVERIFY(prompts_->History.empty());
  }

  void openingTheSampleFillsTheListsAndShowsTheFirstFrame() {
    form_->OpenFile(kSample, dtBAM);
    QVERIFY(form_->BAMForm());
    QCOMPARE(form_->List_Sequences->count(), 3);
    QCOMPARE(form_->List_Sequences->Text(2), QString("Sequence 2"));
    QCOMPARE(form_->List_Frames->count(), 20);
    QCOMPARE(form_->List_SequenceFrames->count(), 8);
    QCOMPARE(form_->List_Sequences->currentRow(), 0);
    QCOMPARE(form_->BAMForm()->CurrentFrame, 0);
    QCOMPARE(FrameSize(), QSize(48, 64));
    QCOMPARE(form_->Recent().Names[0], kSample);
    QVERIFY(form_->Entry("Reopen1")->isVisible());
    // First entry of a sequence: nothing above it, something below.
    QVERIFY(Enabled("Save1") && Enabled("FrameInfo1") && Enabled("DuplicateFrameInSeq1"));
    QVERIFY(!Enabled("MoveFrameUp1") && Enabled("MoveFrameDn1"));
    // Next and Previous walk all frames, wrapping: both can go somewhere.
    QVERIFY(Enabled("PrevFrame1") && Enabled("NextFrame1"));
    QVERIFY(Enabled("Play1") && !Enabled("Undo1") && !Enabled("Redo1") && !Enabled("Stop1"));
    QVERIFY(Enabled("Resize1") && Enabled("ManageFrames1"));
    QVERIFY(prompts_->History.empty());
    // The program and its version greet the user, though the window opens under the pointer;
    // hints take over once the pointer moves. The title has no unsaved marker yet.
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(form_->List_Frames, &enter);
    QVERIFY(form_->StatusHint->text().contains(kVersionText));
    QCursor::setPos(QCursor::pos() + QPoint(5, 5));
    QApplication::sendEvent(form_->List_Frames, &enter);
    QVERIFY(form_->StatusHint->text().isEmpty());
    QVERIFY(!form_->isWindowModified());
    form_->AddSequence1Click();
    QVERIFY(form_->isWindowModified() && form_->windowTitle().contains("[*]"));
    // The title names the document and its frame once.
    QCOMPARE(form_->windowTitle().count("sample.bam"), 1);
    QVERIFY(form_->windowTitle().contains("sample.bam (Frame 0)"));
  }

  void walkingSequencesAndFramesThroughTheLists() {
    form_->OpenFile(kSample, dtBAM);
    ClickRow(form_->List_Sequences, 2);
    QCOMPARE(form_->List_SequenceFrames->count(), 14);
    // Entries name the frame they show, not their place.
    QCOMPARE(form_->List_SequenceFrames->Text(8), QString("Frame 6"));
    QCOMPARE(form_->BAMForm()->CurrentFrame, 0);
    ClickRow(form_->List_SequenceFrames, 8);
    QCOMPARE(form_->BAMForm()->CurrentFrame, 6);
    QCOMPARE(form_->List_Frames->currentRow(), 6);
    QVERIFY(Enabled("MoveFrameUp1") && Enabled("MoveFrameDn1") && Enabled("PrevFrame1"));
    ClickRow(form_->List_SequenceFrames, 13);
    QCOMPARE(form_->BAMForm()->CurrentFrame, 1);
    QVERIFY(!Enabled("MoveFrameDn1") && Enabled("NextFrame1"));
    // Next walks the frames; the highlight follows the frame shown, in both lists.
    form_->NextFrame1Click();
    QCOMPARE(form_->BAMForm()->CurrentFrame, 2);
    QCOMPARE(form_->List_Frames->currentRow(), 2);
    const int entry = form_->List_SequenceFrames->currentRow();
    QVERIFY(form_->List_SequenceFrames->IsSelected(entry));
    QCOMPARE(form_->List_SequenceFrames->Text(entry), QString("Frame 2"));
    // Clicking the highlighted entry shows its frame again, whatever the window shows now.
    form_->BAMForm()->ShowFrame(9);
    ClickRow(form_->List_SequenceFrames, entry);
    QCOMPARE(form_->BAMForm()->CurrentFrame, 2);

    form_->PageControl->setCurrentWidget(form_->Tab_Frames);
    ClickRow(form_->List_Frames, 19);
    QCOMPARE(form_->BAMForm()->CurrentFrame, 19);
    QCOMPARE(form_->List_SequenceFrames->count(), 0);
    QVERIFY(!form_->List_Sequences->IsSelected(form_->List_Sequences->currentRow()));
    QVERIFY(Enabled("NewFrame1") && !Enabled("AddNewFrame1") && !Enabled("DuplicateSequence1"));
    form_->NextFrame1Click();  // past the last frame wraps to the first
    QCOMPARE(form_->BAMForm()->CurrentFrame, 0);
    form_->PrevFrame1Click();
    QCOMPARE(form_->BAMForm()->CurrentFrame, 19);
  }

  // The lists show rows made from the document when asked: after frames come and go, and
  // after another document has been shown, they must name what the document holds.
  void listRowsFollowInsertedAndDeletedFramesAndTheActiveDocument() {
    form_->OpenFile(kSample, dtBAM);
    ClickRow(form_->List_Sequences, 2);
    form_->AddNewFrame1Click();
    QCOMPARE(form_->List_Frames->count(), 21);
    QCOMPARE(form_->List_Frames->Text(20), QString("Frame 20"));
    QCOMPARE(form_->List_SequenceFrames->count(), 15);
    QCOMPARE(form_->List_SequenceFrames->Text(14), QString("Frame 20"));
    QCOMPARE(form_->List_SequenceFrames->currentRow(), 14);
    QCOMPARE(form_->BAMForm()->CurrentFrame, 20);

    ClickRow(form_->List_SequenceFrames, 8);  // frame 6: the frames after it move up
    form_->DeleteFrame1Click();
    QCOMPARE(form_->List_Frames->count(), 20);
    QCOMPARE(form_->List_Frames->Text(19), QString("Frame 19"));
    const TCycleItem cycle = form_->BAMForm()->BAM.GetCycle(2);
    QCOMPARE(form_->List_SequenceFrames->count(), static_cast<int>(cycle.Frames.size()));
    for (int row = 0; row < form_->List_SequenceFrames->count(); ++row)
      QCOMPARE(form_->List_SequenceFrames->Text(row),
               "Frame " + QString::number(cycle.Frames[static_cast<std::size_t>(row)]));

    form_->New1Click();
    QCOMPARE(form_->List_Frames->count(), form_->BAMForm()->BAM.FrameCount());
    QCOMPARE(form_->List_Sequences->count(), form_->BAMForm()->BAM.CycleCount());
    form_->ActivateDocument(0);
    QCOMPARE(form_->List_Frames->count(), 20);
    QCOMPARE(form_->List_Sequences->count(), 3);
    QCOMPARE(form_->List_Sequences->currentRow(), 2);
    QCOMPARE(form_->List_SequenceFrames->count(), static_cast<int>(cycle.Frames.size()));
    QCOMPARE(form_->List_SequenceFrames->Text(0),
             "Frame " + QString::number(cycle.Frames[0]));
  }

  void moveAndRemoveFramesInASequence() {
    form_->OpenFile(kSample, dtBAM);
    ClickRow(form_->List_SequenceFrames, 2);
    form_->MoveFrame(1);
    QCOMPARE(Cycle(*form_, 0), (std::vector<int>{0, 1, 3, 2, 4, 5, 6, 7}));
    QCOMPARE(form_->List_SequenceFrames->currentRow(), 3);
    QCOMPARE(form_->BAMForm()->CurrentFrame, 2);  // the moved frame stays shown
    QVERIFY(form_->BAMForm()->Modified);

    ClickRow(form_->List_SequenceFrames, 0);
    form_->MoveFrame(-1);  // already first: nothing happens
    QCOMPARE(Cycle(*form_, 0), (std::vector<int>{0, 1, 3, 2, 4, 5, 6, 7}));
    ClickRow(form_->List_SequenceFrames, 7);
    form_->MoveFrame(1);
    QCOMPARE(Cycle(*form_, 0).back(), 7);

    ClickRow(form_->List_SequenceFrames, 1);
    form_->RemoveFrame1Click();
    QCOMPARE(Cycle(*form_, 0), (std::vector<int>{0, 3, 2, 4, 5, 6, 7}));
    QCOMPARE(form_->List_SequenceFrames->count(), 7);
    QCOMPARE(form_->BAMForm()->BAM.FrameCount(), 20);  // the frame itself stays
  }

  void duplicateAndDeleteFrames() {
    form_->OpenFile(kSample, dtBAM);
    ClickRow(form_->List_Sequences, 1);
    ClickRow(form_->List_SequenceFrames, 0);  // frame 8
    form_->DuplicateFrame1Click();
    QCOMPARE(form_->BAMForm()->BAM.FrameCount(), 21);
    QCOMPARE(form_->PageControl->currentWidget(), form_->Tab_Frames);
    QCOMPARE(form_->List_Frames->currentRow(), 20);
    QCOMPARE(form_->BAMForm()->CurrentFrame, 20);
    QCOMPARE(form_->BAMForm()->BAM.DecodeFrame(20), form_->BAMForm()->BAM.DecodeFrame(8));

    form_->DeleteFrame1Click();  // the last frame: the new last one is shown
    QCOMPARE(form_->BAMForm()->BAM.FrameCount(), 20);
    QCOMPARE(form_->BAMForm()->CurrentFrame, 19);
    QCOMPARE(form_->List_Frames->count(), 20);
  }

  void sequenceCommands() {
    form_->OpenFile(kSample, dtBAM);
    ClickRow(form_->List_Sequences, 1);
    form_->DuplicateSequence1Click();
    QCOMPARE(form_->List_Sequences->count(), 4);
    QCOMPARE(Cycle(*form_, 3), Cycle(*form_, 1));
    form_->AddSequence1Click();
    QCOMPARE(form_->List_Sequences->count(), 5);
    QVERIFY(Cycle(*form_, 4).empty());
    ClickRow(form_->List_Sequences, 4);
    QVERIFY(Enabled("DeleteSequence1") && Enabled("AddNewFrame1"));
    form_->DeleteSequence1Click();  // the last one: its neighbour becomes selected
    QCOMPARE(form_->List_Sequences->count(), 4);
    QCOMPARE(form_->List_Sequences->currentRow(), 3);
    QVERIFY(form_->BAMForm()->Modified);
  }

  void singlePictureDocumentsAskBeforeBecomingABAM() {
    form_->OpenFile(kSample, dtBAM);
    form_->BAMForm()->DocType = dtPNG;
    form_->UpdateFrameAndSequenceLists();
    QCOMPARE(form_->List_Frames->Text(0), QString("PNG"));
    prompts_->OkCancelAnswers = {false};
    form_->NewFrame1Click();
    QCOMPARE(form_->BAMForm()->BAM.FrameCount(), 20);
    QCOMPARE(prompts_->History.back().Text,
             std::string("The current format (PNG) does not support that action. Continuing "
                         "will cause the file to be converted to a BAM file."));
    prompts_->OkCancelAnswers = {true};
    form_->NewFrame1Click();
    QCOMPARE(form_->BAMForm()->BAM.FrameCount(), 21);
    QCOMPARE(form_->BAMForm()->DocType, dtBAM);
    QCOMPARE(form_->List_Frames->Text(0), QString("Frame 0"));
  }

  void newSaveAsAndReopen() {
    form_->New1Click();
    QCOMPARE(form_->BAMForm()->BAM.FileName, std::string("Untitled BAM"));
    QCOMPARE(form_->List_Frames->count(), 1);
    QCOMPARE(form_->List_Sequences->count(), 1);
    QCOMPARE(FrameSize(), QSize(32, 32));
    form_->Save1Click();  // an untitled document asks for a name; cancelled: nothing happens
    QCOMPARE(form_->BAMForm()->BAM.FileName, std::string("Untitled BAM"));
    QCOMPARE(prompts_->LastSavePreselected, 0);

    form_->AddSequence1Click();
    const std::string plain = Temp("plain");
    prompts_->SaveChoices = {{true, plain, 1}};  // "Uncompressed BAM", no extension typed
    form_->Save1Click();
    QCOMPARE(FileBytes(plain + ".bam").substr(0, 8), std::string("BAM V1  "));
    QVERIFY(!form_->BAMForm()->Modified);
    QCOMPARE(form_->Recent().Names[0], plain + ".bam");

    const std::string packed = Temp("packed.bam");
    prompts_->SaveChoices = {{true, packed, 0}};
    form_->SaveAs1Click();
    QCOMPARE(FileBytes(packed).substr(0, 4), std::string("BAMC"));

    QVERIFY(form_->Close1Click());
    QVERIFY(!form_->BAMForm());
    form_->RecentFileClick(1);  // the uncompressed file
    QVERIFY(form_->BAMForm());
    QCOMPARE(form_->BAMForm()->BAM.FileName, plain + ".bam");
    QCOMPARE(form_->List_Sequences->count(), 2);
    QCOMPARE(form_->List_Frames->count(), 1);
    QCOMPARE(prompts_->Count("error"), 0);
    // The list outlives the window.
    QCOMPARE(AppSettings(Temp("settings.ini")).ReadRecentFiles().Names[0], plain + ".bam");
  }

  void aDocumentWithoutFramesIsTitledByItsNameAlone() {
    form_->New1Click();
    form_->DeleteFrame1Click();
    QCOMPARE(Doc().CurrentFrame, -1);
    prompts_->SaveChoices = {{true, Temp("empty.bam"), 0}};
    form_->SaveAs1Click();
    const QString title = form_->windowTitle();
    QVERIFY2(title.count("empty.bam") == 1 && !title.contains("Frame"), qPrintable(title));
  }

  void saveAsToAFolderThatDoesNotExistKeepsTheDocument() {
    const std::string path = CopyToTemp(kSample, "keep.bam");
    form_->OpenFile(path, dtBAM);
    form_->AddSequence1Click();
    prompts_->SaveChoices = {{true, Temp("missing/folder/x.bam"), 0}};
    form_->SaveAs1Click();
    QCOMPARE(prompts_->Count("error"), 1);
    QCOMPARE(form_->BAMForm()->BAM.FileName, path);
    QVERIFY(form_->BAMForm()->Modified);
  }

  // Another program (or a second editor) rewrote the file after it was opened: Save asks
  // before overwriting, by size and content, and only then.
  void saveAsksWhenTheFileChangedOnDisk() {
    const std::string path = CopyToTemp(kSample, "shared.bam");
    form_->OpenFile(path, dtBAM);
    form_->AddSequence1Click();
    std::string theirs = FileBytes(path);
    theirs[theirs.size() / 2] ^= 0x55;  // same size, other content
    std::ofstream(path, std::ios::binary | std::ios::trunc) << theirs;
    form_->Entry("Save1")->trigger();  // unanswered: Cancel
    QCOMPARE(prompts_->Count("choice"), 1);
    QVERIFY(prompts_->History.back().Text.find("changed by another program") != std::string::npos);
    QCOMPARE(FileBytes(path), theirs);
    QVERIFY(form_->BAMForm()->Modified);

    prompts_->Choices = {1};  // Save As, to another name
    prompts_->SaveChoices = {{true, Temp("mine.bam"), 0}};
    form_->Save1Click();
    QCOMPARE(FileBytes(path), theirs);
    QCOMPARE(form_->BAMForm()->BAM.FileName, Temp("mine.bam"));
    TBAM saved;
    QVERIFY(saved.LoadFromFile(Temp("mine.bam")));

    // Saved here: no question until someone else writes it again, then Overwrite.
    form_->AddSequence1Click();
    form_->Save1Click();
    QCOMPARE(prompts_->Count("choice"), 2);
    std::ofstream(Temp("mine.bam"), std::ios::binary | std::ios::app) << "x";
    form_->AddSequence1Click();
    prompts_->Choices = {0};
    form_->Save1Click();
    QCOMPARE(prompts_->Count("choice"), 3);
    QVERIFY(!form_->BAMForm()->Modified);
    QVERIFY(saved.LoadFromFile(Temp("mine.bam")));
    QCOMPARE(saved.CycleCount(), form_->BAMForm()->BAM.CycleCount());
  }

  // A FIFO would block start-up before any window, a huge file would take seconds: neither is
  // read nor written, the editor starts with the defaults and says why. Numbers a hand-edited
  // file holds come back within their range.
  void settingsFilesAreReadOnlyWhenSmallAndRegularAndWithinRange() {
    const std::string fifo = Temp("fifo.ini");
    QCOMPARE(::mkfifo(fifo.c_str(), 0644), 0);
    AppSettings from_fifo(fifo);
    QVERIFY(from_fifo.Problem().find("not a regular file") != std::string::npos);
    from_fifo.WriteInt("PlaySpeed", 10);  // kept for the run only
    QCOMPARE(from_fifo.ReadInt("PlaySpeed", 50), 10);
    QVERIFY(std::filesystem::is_fifo(fifo));

    const std::string huge = Temp("huge.ini");
    std::ofstream(huge) << "[Settings]\nPlaySpeed=5\n" << std::string(AppSettings::kMaxFileBytes, ';');
    const auto size = std::filesystem::file_size(huge);
    AppSettings from_huge(huge);
    QCOMPARE(from_huge.ReadInt("PlaySpeed", 50), 50);
    from_huge.WriteString("RecentFile0", "x.bam");
    QCOMPARE(std::filesystem::file_size(huge), size);
    {
      TMainForm editor(*prompts_, from_huge);
      QCOMPARE(prompts_->Count("error"), 1);
      QVERIFY(prompts_->History.back().Text.find("huge.ini") != std::string::npos);
    }

    std::ofstream(Temp("range.ini")) << "[Settings]\nAutosaveInterval=2147483647\nPlaySpeed=-7\n";
    AppSettings in_range(Temp("range.ini"));
    QVERIFY(in_range.Problem().empty());
    QCOMPARE(in_range.ReadInt("PlaySpeed", 50), 0);
    TMainForm editor(*prompts_, in_range);
    auto* autosave = editor.findChild<QTimer*>("AutosaveTimer");
    QVERIFY(autosave && autosave->isActive());
    QCOMPARE(autosave->interval(), 24 * 60 * 60 * 1000);
  }

  void closeAsksOnlyWhenSomethingChanged() {
    form_->OpenFile(kSample, dtBAM);
    QVERIFY(form_->Close1Click());
    QCOMPARE(prompts_->Count("question"), 0);

    // Closing the document's window is the Close command, question included.
    const auto close_window = [this] {
      for (QMdiSubWindow* window : form_->findChildren<QMdiSubWindow*>())
        if (window->isVisible()) window->close();
    };
    const std::string path = CopyToTemp(kSample, "edit.bam");
    form_->OpenFile(path, dtBAM);
    form_->AddSequence1Click();
    prompts_->YesNoCancelAnswers = {PromptAnswer::Cancel};
    close_window();
    QVERIFY(form_->BAMForm());
    QCOMPARE(prompts_->History.back().Text, "Do you want to save changes to " + path + "?");

    prompts_->YesNoCancelAnswers = {PromptAnswer::No};
    close_window();
    QVERIFY(!form_->BAMForm());
    QCOMPARE(form_->List_Sequences->count(), 0);
    QVERIFY(!Enabled("Close1"));
    form_->OpenFile(path, dtBAM);
    QCOMPARE(form_->List_Sequences->count(), 3);  // the change was dropped

    form_->AddSequence1Click();
    prompts_->YesNoCancelAnswers = {PromptAnswer::Yes};
    QVERIFY(form_->Close1Click());
    form_->OpenFile(path, dtBAM);
    QCOMPARE(form_->List_Sequences->count(), 4);  // the change was saved
  }

  // The first document stays open as it was, its undone and redone edits included.
  void openingAnotherFileAddsADocumentBesideTheFirst() {
    form_->OpenFile(kSample, dtBAM);
    // Pending frame edits: a shrink undone, whose regrown area stays editable.
    const TBAMFrame whole = Doc().FrameRec;
    Doc().FixFrameSize(0, 0, whole.CentreX, whole.CentreY, whole.Width - 8, whole.Height - 8,
                       false, true);
    form_->Undo1Click();
    // Editable: no mask (nothing selected), or one of the whole frame, black there.
    QVERIFY(Doc().SelMask.Empty() ||
            (Doc().SelMask.Width() == whole.Width &&
             Doc().SelMask.GetIndex(whole.Width - 1, whole.Height - 1) == 0));
    QVERIFY(!Doc().Modified);  // undone back to the file as opened
    form_->Redo1Click();
    form_->New1Click();
    QCOMPARE(prompts_->Count("question"), 0);
    QCOMPARE(form_->DocumentCount(), 2);
    QCOMPARE(form_->BAMForm()->BAM.FileName, std::string("Untitled BAM"));
    form_->ActivateDocument(0);
    QCOMPARE(Doc().BAM.FileName, kSample);
    QCOMPARE(Doc().FrameRec.Width, whole.Width - 8);
    QVERIFY(Enabled("Undo1") && !Enabled("Redo1"));
    form_->Undo1Click();
    QCOMPARE(Doc().FrameRec.Width, whole.Width);
  }

  void aFileThatCannotBeReadSaysWhyAndLeavesNothingOpen() {
    const std::pair<const char*, TDocType> files[] = {{"junk.bam", dtBAM}, {"junk.png", dtPNG}};
    for (const auto& [name, type] : files) {
      const std::string junk = Temp(name);
      std::ofstream(junk, std::ios::binary) << "not an animation or a picture";
      form_->OpenFile(junk, type);
      QVERIFY(!form_->BAMForm());
      QVERIFY(prompts_->History.back().Text.find("Could not open " + junk) == 0);
      QVERIFY(prompts_->History.back().Text.size() > ("Could not open " + junk + ".").size());
    }
    form_->OpenFile(Temp("missing.bmp"), dtBitmap);
    QVERIFY(!form_->BAMForm());
    QCOMPARE(prompts_->Count("error"), 3);
    QCOMPARE(form_->List_Frames->count(), 0);
    QVERIFY(!Enabled("Save1"));
    QVERIFY(form_->Recent().Names[0].empty());

    // A name with a line break or carriage return is shown escaped, on its own line.
    const std::string odd = Temp("two\nlines\rback.bam");
    std::ofstream(odd, std::ios::binary) << "not an animation";
    form_->OpenFile(odd, dtBAM);
    const std::string& text = prompts_->History.back().Text;
    QVERIFY(text.find("two\\nlines\\rback.bam") != std::string::npos);
    QCOMPARE(std::count(text.begin(), text.end(), '\n'), 0);
    QCOMPARE(std::count(text.begin(), text.end(), '\r'), 2);
  }

  void repairsAreReportedInABoxThatFitsTheScreen() {
    QVERIFY_REAL_FILE(kLargeBAM);
    const std::string truncated = Temp("cut.bam");
    std::filesystem::copy_file(kLargeBAM, truncated);
    std::filesystem::resize_file(truncated, std::filesystem::file_size(truncated) / 3);
    form_->OpenFile(truncated, dtBAM);
    QVERIFY(form_->BAMForm());
    QVERIFY(Doc().BAM.Warnings.size() > 20);
    QCOMPARE(prompts_->Count("info"), 1);
    const RepairReport report = MakeRepairReport(truncated, Doc().BAM.Warnings);
    QVERIFY(std::count(report.Summary.begin(), report.Summary.end(), '\r') < 12);
    QVERIFY(report.Details.find(Doc().BAM.Warnings.back()) != std::string::npos);
    // Shown with its details open, the box still fits the screen, OK button included.
    auto box = MakeReportBox(form_.get(), "Celwright II", report.Summary, report.Details);
    box->show();
    for (QAbstractButton* button : box->buttons())
      if (box->buttonRole(button) == QMessageBox::ActionRole) button->click();
    QVERIFY(box->findChild<QTextEdit*>()->isVisible());
    QApplication::processEvents();
    QVERIFY(box->frameGeometry().height() <= box->screen()->availableGeometry().height());

    // A frame without pixels shows as nothing rather than failing.
    const std::string empty_frame = testing::RealFile("minimal_carot.bam");
    QVERIFY_REAL_FILE(empty_frame);
    form_->OpenFile(empty_frame, dtBAM);
    QCOMPARE(form_->BAMForm()->CurrentFrame, 0);
    QVERIFY(FrameSize().isEmpty());
  }

  void saveAsKeepsTheFilesOwnExtensionCase() {
    QVERIFY_REAL_FILE(kLargeBAM);
    const std::string upper = Temp("CHMB1G11.BAM");
    std::filesystem::copy_file(kLargeBAM, upper);
    form_->OpenFile(upper, dtBAM);
    prompts_->SaveChoices = {{true, Temp("COPY"), 1}};
    form_->SaveAs1Click();
    QCOMPARE(prompts_->LastSuggestedPath, upper);
    QCOMPARE(prompts_->LastSavePreselected, 0);
    QVERIFY(std::filesystem::exists(Temp("COPY.BAM")));
    QVERIFY(!std::filesystem::exists(Temp("COPY.bam")));
  }


  void shortcutsRunOnlyEnabledEntriesAndNeverFallThrough() {
    const std::string path = CopyToTemp(kSample, "keys.bam");
    form_->OpenFile(path, dtBAM);
    QVERIFY(ActivateEditor());
    ClickRow(form_->List_SequenceFrames, 6);
    QTest::keySequence(form_.get(), QKeySequence("Alt+PgDown"));
    QCOMPARE(form_->BAMForm()->CurrentFrame, 7);
    // Moving the first entry up cannot happen: the key changes nothing, not even the list.
    ClickRow(form_->List_Sequences, 1);
    form_->List_Sequences->setFocus();
    QTest::keySequence(form_->List_Sequences, QKeySequence("Ctrl+Shift+Up"));
    QCOMPARE(form_->List_Sequences->currentRow(), 1);
    QCOMPARE(form_->List_SequenceFrames->currentRow(), 0);
    QVERIFY(!form_->BAMForm()->Modified);
    QTest::keySequence(form_.get(), QKeySequence("Ctrl+Shift+N"));
    QCOMPARE(form_->BAMForm()->BAM.FrameCount(), 21);
    // Ctrl+F4 is File > Close alone, question included, even with the document focused.
    form_->View()->setFocus();
    prompts_->YesNoCancelAnswers = {PromptAnswer::No};
    QTest::keySequence(form_->View(), QKeySequence("Ctrl+F4"));
    QVERIFY(!form_->BAMForm());
    QCOMPARE(prompts_->Count("question"), 1);
  }

  // The stepping itself is the document's; here the editor's timer runs at the stored speed.
  void playbackStopsFromAnyPageAndWhenTheFramesChange() {
    settings_->WriteInt("PlaySpeed", 20);
    form_->OpenFile(kSample, dtBAM);
    ClickRow(form_->List_Sequences, 1);  // the first half of a double-click
    const QRect second = form_->List_Sequences->RowRect(1);
    QTest::mouseDClick(form_->List_Sequences->viewport(), Qt::LeftButton, {}, second.center());
    QVERIFY(form_->BAMForm()->Playing());  // a double-click plays the sequence
    QTimer& timer = form_->Session()->PlayTimer();
    QVERIFY(timer.isActive());
    QCOMPARE(timer.interval(), 20);
    form_->PageControl->setCurrentWidget(form_->Tab_Frames);
    ClickRow(form_->List_Frames, 4);
    QVERIFY(Enabled("Stop1"));
    form_->PageControl->setCurrentWidget(form_->Tab_Sequence);
    form_->Entry("Stop1")->trigger();
    QVERIFY(!form_->BAMForm()->Playing() && !Enabled("Stop1") && !timer.isActive());

    // Deleting a frame during playback stops it and deletes the frame on screen.
    ClickRow(form_->List_Sequences, 0);
    form_->Play1Click();
    form_->BAMForm()->Timer1Timer();
    form_->BAMForm()->Timer1Timer();
    const int shown = form_->BAMForm()->CurrentFrame;
    const std::vector<std::uint8_t> next_pixels = form_->BAMForm()->BAM.DecodeFrame(shown + 1);
    form_->DeleteFrame1Click();
    QVERIFY(!form_->BAMForm()->Playing());
    QCOMPARE(form_->BAMForm()->BAM.DecodeFrame(shown), next_pixels);
    QCOMPARE(form_->List_Frames->currentRow(), form_->BAMForm()->CurrentFrame);

    // Removing "the selected entry" during playback removes the one on screen.
    ClickRow(form_->List_Sequences, 1);
    const std::vector<int> before = Cycle(*form_, 1);
    form_->Play1Click();
    form_->BAMForm()->Timer1Timer();
    form_->BAMForm()->Timer1Timer();
    form_->RemoveFrame1Click();
    std::vector<int> expected = before;
    expected.erase(expected.begin() + 1);
    QCOMPARE(Cycle(*form_, 1), expected);
  }

  // Opened by a name relative to the working folder, a recent file is kept with its full path.
  void aMissingRecentFileLeavesTheDocumentOpenAndCanLeaveTheList() {
    const std::string gone = CopyToTemp(kSample, "gone.bam");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir_->path().toStdString());
    form_->OpenFile("gone.bam", dtBAM);
    std::filesystem::current_path(previous);
    form_->OpenFile(kSample, dtBAM);
    std::filesystem::remove(gone);
    QCOMPARE(form_->Recent().Names[1], gone);
    prompts_->YesNoCancelAnswers = {PromptAnswer::No};
    form_->Entry("Reopen2")->trigger();
    QCOMPARE(Doc().BAM.FileName, kSample);
    QCOMPARE(prompts_->Count("question"), 1);
    QVERIFY(prompts_->History.back().Text.find(gone + " no longer exists") != std::string::npos);
    QCOMPARE(form_->Recent().Names[1], gone);
    prompts_->YesNoCancelAnswers = {PromptAnswer::Yes};
    form_->Entry("Reopen2")->trigger();
    QCOMPARE(Doc().BAM.FileName, kSample);
    QVERIFY(form_->Recent().Names[1].empty() && !form_->Entry("Reopen2")->isVisible());
    QVERIFY(AppSettings(Temp("settings.ini")).ReadRecentFiles().Names[1].empty());
  }

  void everyVisibleButtonHasAName() {
    form_->OpenFile(kSample, dtBAM);
    QApplication::processEvents();
    int checked = 0;
    for (QAbstractButton* button : form_->findChildren<QAbstractButton*>()) {
      if (!button->isVisibleTo(form_.get())) continue;
      QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(button);
      QVERIFY(accessible);
      QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(), qPrintable(button->objectName()));
      QVERIFY2(!button->toolTip().isEmpty() || !button->text().isEmpty(),
               qPrintable(button->objectName()));
      ++checked;
    }
    QVERIFY(checked >= 21 + 5 + 4);  // tools, tool bar, sequence buttons
  }

  void startUpNoticesAreShownOnce() {
    form_->ShowRunMessage(false);  // first run: welcome, then the two latest change notes
    QCOMPARE(prompts_->Count("info"), 3);
    QCOMPARE(AppSettings(Temp("settings.ini")).ReadInt("RunMessage", 0), 4);
    form_->ShowRunMessage(false);
    QCOMPARE(prompts_->Count("info"), 3);
    form_->Entry("AlphaMessage1")->trigger();  // from the Help menu they come again
    QCOMPARE(prompts_->Count("info"), 6);
    QCOMPARE(prompts_->History[3].Title,
             std::string("THIS MESSAGE WILL ONLY APPEAR ONCE: Please read it."));
  }

  void theSplashStepsAsideForAnyMessage() {
    TSplashForm splash;
    QVERIFY(splash.isVisible());
    QtPrompts real_prompts(form_.get());
    bool covered = true;
    QTimer::singleShot(0, [&] {
      covered = splash.isVisible();
      for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) box->reject();
    });
    real_prompts.Information("THIS MESSAGE WILL ONLY APPEAR ONCE: Please read it.", "Welcome");
    QVERIFY(!covered);
  }

  void viewEntriesShowAndHideThePanels() {
    form_->Entry("ViewSequences1")->trigger();
    QVERIFY(!form_->Panel_Right->isVisible());
    QVERIFY(form_->Panel_Left->isVisible());
    form_->Entry("ViewSequences1")->trigger();
    QVERIFY(form_->Panel_Right->isVisible());
    form_->Entry("ViewTools1")->trigger();
    QVERIFY(!form_->Panel_Left->isVisible());
  }
};

CELWRIGHT_APP_TEST(MainWindowTest)
#include "main_window_test.moc"
