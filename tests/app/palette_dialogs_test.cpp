// The Colors menu and the Settings dialog driven through their widgets on the sample animation.
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/app_test_registry.h"
#include "app/document_view.h"
#include "app/editor_fixture.h"
#include "app/palette_dialogs.h"
#include "app/progress_window.h"
#include "app/settings_dialog.h"
#include "support/palette_adjust.h"
#include "support/palette_file.h"

using namespace celwright;

class PaletteDialogsTest : public QObject, public EditorFixture {
  Q_OBJECT

  // Sets an environment variable for one test and puts the old value back.
  struct ScopedEnvironment {
    ScopedEnvironment(const char* name, const std::string& value)
        : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {
      qputenv(name, QByteArray::fromStdString(value));
    }
    ~ScopedEnvironment() {
      if (had_) {
        qputenv(name_, old_);
      } else {
        qunsetenv(name_);
      }
    }
    const char* name_;
    QByteArray old_;
    bool had_;
  };

  // An edit recorded the way a tool records one, so the history has a step to keep.
  void PaintOnePixel() {
    TBAMForm& doc = Doc();
    doc.WorkImage[1].Row(0)[0] = 5;
    doc.WorkImage[0].SetPixel(0, 0, ToColor(doc.BAM.Palette[5]));
    doc.ImageChanged = true;
    doc.HistoryPending = true;
    doc.AddHistoryItem();
    doc.RedrawImage(false);
  }
  // Presses `button` of the modal dialog that the next command opens.
  static void PressLater(QPushButton* button) {
    QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
  }
  std::string IniText() { return FileBytes(Temp("settings.ini")); }

 private slots:
  void init() {
    StartEditor();
    form_->OpenFile(kSample, dtBAM);
    QVERIFY(Doc().BAM.GetBAMType() == kPalettedBAM);
  }
  void cleanup() { StopEditor(); }

  void colourBalancePreviewThenClosingTheWindowRestoresEverything() {
    PaintOnePixel();
    const Palette256 saved = Doc().BAM.Palette;
    const QImage before = form_->View()->grab().toImage();
    TColorizeForm* dialog = form_->ColorizeForm();
    dialog->Begin(Doc());
    dialog->show();
    for (int step = 0; step < 5; ++step) QTest::keyClick(dialog->Red.Track, Qt::Key_PageUp);
    QCOMPARE(dialog->Red.Spin->value(), 50);  // up on the bar is positive
    QVERIFY(dialog->Red.Track->value() > 0);
    QTest::mouseClick(dialog->Btn_Preview, Qt::LeftButton);
    QTest::mouseClick(dialog->Btn_Preview, Qt::LeftButton);
    QCOMPARE(Doc().BAM.Palette, ColorizePalette(saved, 50, 0, 0));
    QVERIFY(form_->View()->grab().toImage() != before);

    dialog->close();  // the window frame's close button
    QVERIFY(Doc().BAM.Palette == saved);
    QCOMPARE(Doc().UndoCount(), 1);
    QCOMPARE(form_->View()->grab().toImage(), before);
  }

  void contrastOkRecordsTheChangeAndMarksTheDocument() {
    const Palette256 saved = Doc().BAM.Palette;
    TContrastForm* dialog = form_->ContrastForm();
    QTimer::singleShot(0, dialog, [dialog] {
      dialog->Contrast.Spin->setValue(-50);
      QTest::mouseClick(dialog->Btn_OK, Qt::LeftButton);
    });
    form_->Entry("Contrast1")->trigger();
    QCOMPARE(Doc().BAM.Palette, ContrastizePalette(saved, -50));
    QVERIFY(Doc().Modified);
    // Reopening starts from zero again, and Cancel leaves the accepted palette alone.
    PressLater(dialog->Btn_Cancel);
    form_->Entry("Contrast1")->trigger();
    QCOMPARE(dialog->Contrast.Spin->value(), 0);
    QCOMPARE(Doc().BAM.Palette, ContrastizePalette(saved, -50));
  }

  void editPaletteEntryLoadAndSave() {
    TPaletteForm* dialog = form_->PaletteForm();
    dialog->Begin(Doc());
    dialog->show();
    QTest::mouseClick(dialog->Img_Palette, Qt::LeftButton, {}, QPoint(16 * 3 + 4, 16 * 2 + 4));
    QCOMPARE(dialog->SelectedEntry, 35);
    prompts_->ColorChoices.push_back(MakeColor(1, 2, 3));
    QTest::mouseDClick(dialog->Img_Palette, Qt::LeftButton, {}, QPoint(16 * 3 + 4, 16 * 2 + 4));
    QCOMPARE(dialog->Edited()[35], (RGBTriple{1, 2, 3}));
    QCOMPARE(dialog->Lbl_Selected->text(), QString("Entry 35: red 1, green 2, blue 3"));
    // The keyboard reaches the grid, moves the selection and edits the entry.
    QVERIFY(dialog->Img_Palette->focusPolicy() & Qt::TabFocus);
    dialog->Img_Palette->setFocus();
    QTest::keyClick(dialog->Img_Palette, Qt::Key_Right);
    QTest::keyClick(dialog->Img_Palette, Qt::Key_Down);
    QCOMPARE(dialog->SelectedEntry, 52);
    prompts_->ColorChoices.push_back(MakeColor(4, 5, 6));
    QTest::keyClick(dialog->Img_Palette, Qt::Key_Return);
    QCOMPARE(dialog->Edited()[52], (RGBTriple{4, 5, 6}));
    QCOMPARE(dialog->Lbl_Selected->text(), QString("Entry 52: red 4, green 5, blue 6"));

    const std::string saved_path = Temp("out");
    prompts_->SaveChoices.push_back({true, saved_path, 0});
    QTest::mouseClick(dialog->Btn_SavePal, Qt::LeftButton);
    QCOMPARE(std::filesystem::file_size(saved_path + ".pal"), std::uintmax_t{1048});
    // Typed again without its extension: the existing file is asked about, and kept.
    std::ofstream(saved_path + ".pal", std::ios::trunc) << "keep";
    prompts_->SaveChoices.push_back({true, saved_path, 0});
    QTest::mouseClick(dialog->Btn_SavePal, Qt::LeftButton);
    QCOMPARE(prompts_->Count("confirm"), 1);
    QCOMPARE(std::filesystem::file_size(saved_path + ".pal"), std::uintmax_t{4});

    // A JASC palette written by hand loads; one stating more colours than it holds says so.
    {
      std::ofstream jasc(Temp("hand.pal"));
      jasc << "JASC-PAL\r\n0100\r\n40\r\n";
      for (int i = 0; i < 36; ++i) jasc << (i == 35 ? "7 8 9" : "0 0 0") << "\r\n";
    }
    prompts_->OpenChoices.push_back({true, Temp("hand.pal"), 0});
    prompts_->Choices.push_back(0);  // keep indices
    QTest::mouseClick(dialog->Btn_LoadPal, Qt::LeftButton);
    QCOMPARE(dialog->Edited()[35], (RGBTriple{7, 8, 9}));
    QCOMPARE(prompts_->Count("info"), 1);
    QVERIFY(prompts_->History.back().Text.find("states 40 colours but it holds 36") != std::string::npos);

    // A file that is not a palette says so and changes nothing.
    const Palette256 before_bad = dialog->Edited();
    prompts_->OpenChoices.push_back({true, kSample, 0});
    QTest::mouseClick(dialog->Btn_LoadPal, Qt::LeftButton);
    QCOMPARE(prompts_->Count("error"), 1);
    QVERIFY(dialog->Edited() == before_bad);

    Palette256 other{};
    other[35] = {200, 100, 50};
    SavePaletteFile(Temp("other.pal"), other);
    prompts_->OpenChoices.push_back({true, Temp("other.pal"), 0});
    prompts_->Choices.push_back(0);
    QTest::mouseClick(dialog->Btn_LoadPal, Qt::LeftButton);
    QTest::mouseClick(dialog->Btn_OK, Qt::LeftButton);
    QCOMPARE(Doc().BAM.Palette[35], (RGBTriple{200, 100, 50}));
  }

  // "Keep colours" moves every pixel to the entry that holds its colour in the loaded palette
  // (here the same colours in reverse order), so every frame looks as it did.
  void loadPaletteKeepingColoursRemapsTheFrames() {
    TBAM& bam = Doc().BAM;
    std::vector<Bitmap> before(static_cast<std::size_t>(bam.FrameCount()));
    for (int i = 0; i < bam.FrameCount(); ++i) bam.GetFrameBitmap(i, before[i], nullptr);
    Palette256 reversed = bam.Palette;
    std::reverse(reversed.begin() + 2, reversed.end());
    SavePaletteFile(Temp("reversed.pal"), reversed);
    TPaletteForm* dialog = form_->PaletteForm();
    dialog->Begin(Doc());
    dialog->show();
    prompts_->OpenChoices.push_back({true, Temp("reversed.pal"), 0});
    prompts_->Choices.push_back(1);  // keep colours
    QTest::mouseClick(dialog->Btn_LoadPal, Qt::LeftButton);
    QTest::mouseClick(dialog->Btn_OK, Qt::LeftButton);
    QCOMPARE(bam.Palette, reversed);
    for (int i = 0; i < bam.FrameCount(); ++i) {
      Bitmap after;
      bam.GetFrameBitmap(i, after, nullptr);
      QVERIFY2(after == before[i], ("frame " + std::to_string(i)).c_str());
    }
  }

  // Rebuild keeps the entries named as they are, and the pixels on them (the entries a game
  // recolours by index), makes the others from the animation's colours, refuses a range that
  // names no entries, and is one step that undo takes back.
  void rebuildPaletteKeepsTheNamedEntriesAndTheirPixels() {
    TBAM& bam = Doc().BAM;
    const Palette256 original = bam.Palette;
    std::vector<Bitmap> indices;
    int highest = 2;
    for (int i = 0; i < bam.FrameCount(); ++i) {
      indices.push_back(Indices(bam, i));
      for (int y = 0; y < indices[i].Height(); ++y)
        for (int x = 0; x < indices[i].Width(); ++x)
          highest = std::max(highest, static_cast<int>(RedOf(indices[i].GetPixel(x, y))));
    }
    TPaletteForm* dialog = form_->PaletteForm();
    dialog->Begin(Doc());
    dialog->show();
    prompts_->TextAnswers.push_back("300-2");
    QTest::mouseClick(dialog->Btn_Rebuild, Qt::LeftButton);
    QCOMPARE(prompts_->Count("error"), 1);
    QCOMPARE(dialog->Edited(), original);

    prompts_->TextAnswers.push_back(std::to_string(highest) + "-255");
    QTest::mouseClick(dialog->Btn_Rebuild, Qt::LeftButton);
    QTest::mouseClick(dialog->Btn_OK, Qt::LeftButton);
    QCOMPARE(Doc().UndoName(), std::string("Rebuild Palette"));
    for (int entry = highest; entry < 256; ++entry) QCOMPARE(bam.Palette[entry], original[entry]);
    for (int i = 0; i < bam.FrameCount(); ++i) {
      const Bitmap after_indices = Indices(bam, i);
      for (int y = 0; y < after_indices.Height(); ++y)
        for (int x = 0; x < after_indices.Width(); ++x)
          if (RedOf(indices[i].GetPixel(x, y)) == highest)
            QCOMPARE(static_cast<int>(RedOf(after_indices.GetPixel(x, y))), highest);
    }

    form_->Entry("Undo1")->trigger();
    QCOMPARE(bam.Palette, original);
    for (int i = 0; i < bam.FrameCount(); ++i) QVERIFY(Indices(bam, i) == indices[i]);
  }

  void conversionsFollowTheKind() {
    Doc().Modified = false;
    form_->Colors1Click();
    QVERIFY(Enabled("ConverttoUnpaletted1") && Enabled("EditPalette1"));
    QVERIFY(!Enabled("ConvertToPaletted1") && !Enabled("SetPaletteTransparency1"));
    form_->Entry("ConverttoUnpaletted1")->trigger();
    QCOMPARE(Doc().BAM.GetBAMType(), std::uint8_t{kUnpalettedBAM});
    QVERIFY(Doc().Modified);
    QCOMPARE(form_->ProgForm()->Lbl_Msg->text(), QString("Converting BAM..."));
    QVERIFY(!Enabled("ConverttoUnpaletted1") && !Enabled("EditPalette1"));
    QVERIFY(Enabled("ConvertToPaletted1") && Enabled("SetPaletteTransparency1"));
    // Screen readers meet the colour chooser, not 256 palette squares that are not there.
    QAccessibleInterface* chooser =
        QAccessible::queryAccessibleInterface(form_->findChild<QWidget*>("Img_Pal"));
    QCOMPARE(chooser->childCount(), 0);
    QCOMPARE(chooser->text(QAccessible::Name), QString("Colour chooser"));

    // Without a palette the palette adjustments are off, and say why instead of marking the
    // document changed for nothing.
    for (const char* name : {"ColorBalance1", "Contrast1", "Negative1", "GrayScale1"})
      QVERIFY(!Enabled(name));
    Doc().Modified = false;
    form_->Negative1Click();
    form_->GrayScale1Click();
    QVERIFY(!Doc().Modified);
    QCOMPARE(prompts_->History.back().Text, std::string(kPaletteOnlyMessage));

    // The conversion asks how to dither; closing the question converts nothing.
    form_->Entry("ConvertToPaletted1")->trigger();
    QCOMPARE(prompts_->History.back().Kind, std::string("choice"));
    QCOMPARE(Doc().BAM.GetBAMType(), std::uint8_t{kUnpalettedBAM});
    prompts_->Choices.push_back(1);  // Floyd-Steinberg
    form_->Entry("ConvertToPaletted1")->trigger();
    QCOMPARE(Doc().BAM.GetBAMType(), std::uint8_t{kPalettedBAM});
    QCOMPARE(chooser->childCount(), 256);
  }

  // The user asked for this program: it becomes the default, and the message says only that.
  void associateButtonMakesThisProgramTheDefault() {
    // The desktop's folders are the test's own; no cache helper runs.
    const ScopedEnvironment data("XDG_DATA_HOME", Temp("data")),
        config("XDG_CONFIG_HOME", Temp("config")), home("HOME", Temp("home")), path("PATH", "");
    std::filesystem::create_directories(Temp("config"));
    std::ofstream(Temp("config") + "/mimeapps.list")
        << "[Default Applications]\napplication/x-infinity-bam=other.desktop;\n";
    TSettingsForm* settings = form_->SettingsForm();
    settings->Begin(&Doc());
    settings->show();
    QTest::mouseClick(settings->Btn_Associate, Qt::LeftButton);
    QCOMPARE(prompts_->History.back().Text,
             std::string(".bam files now open with this program: it replaced the previous "
                         "default."));
    const std::string text = FileBytes(Temp("config") + "/mimeapps.list");
    QVERIFY(text.find("other.desktop") == std::string::npos);
    QVERIFY(text.find("application/x-infinity-bam=celwright-preview.desktop;") !=
            std::string::npos);
    settings->close();
  }

  // Grey scale asks nothing, so its step must be one Undo can take back: the colours return
  // on screen and in the file, and the paint step before it stays.
  void grayScaleIsUndoneByCtrlZAndRedoneByCtrlY() {
    PaintOnePixel();
    const Palette256 saved = Doc().BAM.Palette;
    const QImage before = form_->View()->grab().toImage();
    QVERIFY(ActivateEditor());
    QTest::keyClick(form_.get(), Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(Doc().BAM.Palette, GrayScalePalette(saved));
    QVERIFY(Enabled("Undo1"));
    QTest::keyClick(form_.get(), Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(Doc().BAM.Palette == saved);
    QCOMPARE(form_->View()->grab().toImage(), before);
    QCOMPARE(Doc().WorkImage[1].Row(0)[0], std::uint8_t{5});
    QTest::keyClick(form_.get(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(Doc().BAM.Palette, GrayScalePalette(saved));
    QTest::keyClick(form_.get(), Qt::Key_Z, Qt::ControlModifier);
    TBAM reopened;
    QVERIFY(SaveAsAndReopen("undone.bam", reopened));
    QVERIFY(reopened.Palette == saved);
  }

  void settingsStoreAndDisplayColours() {
    TSettingsForm* settings = form_->SettingsForm();
    settings->Begin(&Doc());
    settings->show();
    QVERIFY(settings->Chk_ForceTransCol->isChecked());
    prompts_->ColorChoices.push_back(MakeColor(10, 20, 30));
    QTest::mouseClick(settings->SpeedButton1, Qt::LeftButton);
    QCOMPARE(Doc().BAM.GetTransCol(), MakeColor(10, 20, 30));
    QVERIFY(IniText().find("TransCol") == std::string::npos);  // stored on Done only

    settings->Spin_FrameSpeed->setValue(120);
    QTest::mouseClick(settings->Btn_Done, Qt::LeftButton);
    const std::string ini = IniText();
    QVERIFY(ini.find("PlaySpeed=120") != std::string::npos);
    QVERIFY(ini.find("TransCol=" + std::to_string(MakeColor(10, 20, 30))) != std::string::npos);

    // An unpaletted document's transparent colour is data: the dialog leaves it alone.
    form_->Entry("ConverttoUnpaletted1")->trigger();
    const TColor data_trans = Doc().BAM.TransCol;
    settings->Begin(&Doc());
    prompts_->ColorChoices.push_back(MakeColor(99, 99, 99));
    QTest::mouseClick(settings->SpeedButton1, Qt::LeftButton);
    settings->Chk_ForceTransCol->setChecked(false);
    QCOMPARE(Doc().BAM.TransCol, data_trans);
    QCOMPARE(settings->Values().TransCol, MakeColor(99, 99, 99));
    settings->close();
  }
};

CELWRIGHT_APP_TEST(PaletteDialogsTest)
#include "palette_dialogs_test.moc"
