// The preview window, the stand-alone preview, the frames manager and the onion-skin toggle,
// driven through their widgets.
#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QListView>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/app_test_registry.h"
#include "app/editor_fixture.h"
#include "app/frames_manager.h"
#include "app/preview_window.h"
#include "support/image_io/image_file.h"

using namespace celwright;

class PreviewAndManagerTest : public QObject, public EditorFixture {
  Q_OBJECT

  TPreviewForm& Preview() { return *form_->PreviewForm(); }
  TManageFramesForm& Manager() { return *form_->ManageForm(); }
  void Choose(int item) {
    Preview().Combo_BG->setCurrentIndex(item);
    emit Preview().Combo_BG->activated(item);
  }
  std::string Stored(const char* name) { return settings_->ReadString(name).value_or("<none>"); }
  // A document named walk.bam of `frames` frames, frame i being (8 + i) x 6.
  void OpenFrames(int frames) {
    form_->New1Click();
    TBAM& bam = Doc().BAM;
    bam.FileName = Temp("walk.bam");
    for (int i = 1; i < frames; ++i) bam.InsertFrame(-1, 0, -1, false);
    for (int i = 0; i < frames; ++i) {
      TBAMFrame info = bam.GetFrame(i);
      info.Width = 8 + i;
      info.Height = 6;
      Bitmap indices(info.Width, info.Height, PixelFormat::Bits8);
      std::fill(indices.Pixels().begin(), indices.Pixels().end(),
                static_cast<std::uint8_t>(20 + i));
      bam.SetFrameBitmap(i, indices, info);
    }
    form_->UpdateFrameAndSequenceLists();
  }
  int ManagerRows() { return Manager().List_Frames->model()->rowCount(); }
  QRect ManagerRowRect(int row) {
    QListView* list = Manager().List_Frames;
    return list->visualRect(list->model()->index(row, 0));
  }
  // Control-clicks each row, as a user picks several frames.
  void SelectItems(std::initializer_list<int> rows) {
    QListView* list = Manager().List_Frames;
    list->clearSelection();
    for (const int row : rows)
      QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                        ManagerRowRect(row).center());
  }
  // Whether the list as painted now shows the whole thumbnail of `row`: the colour of its top
  // left pixel covers as many pixels inside the row's box as in the thumbnail (a colour the
  // list itself paints never counts).
  bool ThumbnailDrawn(int row) {
    QListView* list = Manager().List_Frames;
    const auto& thumbnail = Manager().Thumbnails()[static_cast<std::size_t>(row)];
    if (!thumbnail || thumbnail->mask.Row(0)[0]) return false;
    const std::uint8_t* bgr = thumbnail->image.Row(0);
    const QColor colour(bgr[2], bgr[1], bgr[0]);
    const QPalette& palette = list->palette();
    if (colour == palette.color(QPalette::Base) || colour == palette.color(QPalette::Text) ||
        colour == palette.color(QPalette::Highlight))
      return false;
    int expected = 0;
    for (int y = 0; y < Thumbnail::kSize; ++y)
      for (int x = 0; x < Thumbnail::kSize; ++x) {
        const std::uint8_t* pixel = thumbnail->image.Row(y) + 3 * x;
        expected += !thumbnail->mask.Row(y)[x] && QColor(pixel[2], pixel[1], pixel[0]) == colour;
      }
    const QImage shown = list->viewport()->grab().toImage();
    const QRect box = ManagerRowRect(row) & shown.rect();
    int found = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
      for (int x = box.left(); x <= box.right(); ++x) found += shown.pixelColor(x, y) == colour;
    return found >= expected;
  }

 private slots:
  void init() { StartEditor(); }
  void cleanup() { StopEditor(); }

  void backgroundListWithCustomPictures() {
    QCOMPARE(Preview().Combo_BG->count(), 5);
    QCOMPARE(Preview().Combo_BG->itemText(3), QString("Town Gate"));
    Choose(2);
    QCOMPARE(Preview().CurrentBackground(), 2);
    Choose(4);  // the file dialog is cancelled
    QCOMPARE(Preview().CurrentBackground(), 2);
    QCOMPARE(Preview().Combo_BG->currentIndex(), 2);

    // A picture that cannot be read: said so, the previous background stays.
    const std::string broken = Temp("broken.bmp");
    std::ofstream(broken) << "not a bitmap";
    prompts_->OpenChoices.push_back({true, broken, 0});
    Choose(4);
    QCOMPARE(Preview().CurrentBackground(), 2);
    QCOMPARE(prompts_->Count("error"), 1);

    // The dialog's filter does not decide how a picture is read: a PNG typed in while the
    // "Bitmap" filter (index 0) is shown loads as the PNG it is.
    prompts_->OpenChoices.push_back(
        {true, CELWRIGHT_SOURCE_DIR "/tests/image_io/data/rgb_none.png", 0});
    Choose(4);
    QCOMPARE(prompts_->Count("error"), 1);
    QCOMPARE(Preview().CurrentBackground(), 4);
    Choose(2);

    const std::string picture = Temp("dungeon.bmp");
    SaveImageFile(Bitmap(40, 30), kImageKindBitmap, picture);
    prompts_->OpenChoices.push_back({true, picture, 0});
    Choose(4);
    QCOMPARE(Preview().CurrentBackground(), 4);
    QVERIFY(!Preview().Btn_Save->isHidden());
    QTest::mouseClick(Preview().Area, Qt::LeftButton, {}, QPoint(100, 120));
    prompts_->TextAnswers.push_back("Dungeon");
    Preview().Btn_Save->click();
    QCOMPARE(Stored("CustBGCount"), std::string("1"));
    QCOMPARE(Stored("CustBG1.Name"), std::string("Dungeon"));
    QCOMPARE(Stored("CustBG1.File"), picture);
    QCOMPARE(Stored("CustBG1.XPos"), std::string("100"));
    QCOMPARE(Stored("CustBG1.YPos"), std::string("120"));
    QCOMPARE(Preview().Combo_BG->count(), 6);
    QVERIFY(Preview().Btn_Save->isHidden() && !Preview().Btn_Remove->isHidden());

    Preview().Btn_Default->click();
    QCOMPARE(Stored("DefaultBG"), std::string("4"));
    Preview().Btn_Remove->click();
    QCOMPARE(Preview().CurrentBackground(), 3);  // the last built-in
    QCOMPARE(Stored("CustBGCount"), std::string("0"));
    QCOMPARE(Stored("DefaultBG"), std::string("0"));
    QVERIFY(Preview().Btn_Save->isHidden() && Preview().Btn_Remove->isHidden());
  }

  void previewPlaysTheSelectedSequence() {
    form_->OpenFile(kSample, dtBAM);
    ClickRow(form_->List_Sequences, 0);
    const TCycleItem cycle = Doc().BAM.GetCycle(0);
    Preview().SelectBackground(3);
    Preview().Begin(&Doc().BAM, cycle.Frames, 0);
    QVERIFY(Preview().Timer().isActive());
    QVERIFY(Preview().Timer().interval() >= 1);  // a zero setting must not spin
    // The speed can be changed while it plays.
    auto* speed = Preview().findChild<QSpinBox*>("Spin_Speed");
    QVERIFY(speed && speed->isVisibleTo(&Preview()));
    speed->setFocus();
    speed->selectAll();
    QTest::keyClicks(speed, "200");
    QCOMPARE(Preview().Timer().interval(), 200);
    QVERIFY(Preview().Timer().isActive());
    for (int tick = 0; tick < cycle.Count + 1; ++tick) Preview().Timer1Timer();
    QCOMPARE(Preview().Player().Position(), 0);  // looped back to the first entry
    QVERIFY(Preview().Composition() != MakeBuiltInBackground(3));
    Preview().reject();
    QVERIFY(!Preview().Timer().isActive());
  }

  void standAlonePreviewSwitchesToTheEditor() {
    QString title;
    bool menus_shown = false;
    QTimer::singleShot(0, this, [&] {
      title = Preview().windowTitle();
      menus_shown = Preview().Menu->isVisible();
      Preview().findChild<QAction*>("Editor1")->trigger();
    });
    const int result = form_->RunStandAlonePreview(kSample, dtBAM);
    QCOMPARE(result, TPreviewForm::kResultEditor);
    QCOMPARE(title, QString("Celwright II: Previewing sample.bam"));
    QVERIFY(menus_shown);
    QVERIFY(form_->BAMForm());
    QCOMPARE(Doc().BAM.FileName, kSample);
    QVERIFY(Preview().Btn_Done->isVisibleTo(&Preview()));
    QVERIFY(!Preview().findChild<QAction*>("Exit1")->isEnabled());

    QTimer::singleShot(0, this, [&] { Preview().findChild<QAction*>("Exit1")->trigger(); });
    QCOMPARE(form_->RunStandAlonePreview(kSample, dtBAM), TPreviewForm::kResultExit);
  }

  // A file of a few KB can hold a frame too large to decode: the preview says so once, stops
  // playing and stays open, and the program runs on.
  void standAlonePreviewOfAFrameTooLargeToDrawSaysSoAndStays() {
    const std::string huge = CELWRIGHT_SOURCE_DIR "/tests/corpus/bam/bamc_frame_32768.bam";
    int refusals = -1;
    bool playing = true, shown = false;
    // Looks in once the preview has been up for a few hundred milliseconds: many of its ticks.
    QTimer watch;
    int looks = 0;
    QObject::connect(&watch, &QTimer::timeout, this, [&] {
      if (!Preview().isVisible() || ++looks < 6) return;
      watch.stop();
      refusals = 0;
      for (const ScriptedPrompts::Shown& s : prompts_->History)
        refusals += s.Kind == "error" &&
                    s.Title == "Celwright II: Previewing bamc_frame_32768.bam" &&
                    s.Text.find("too large to decode") != std::string::npos;
      playing = Preview().Timer().isActive();
      shown = Preview().isVisible();
      Preview().findChild<QAction*>("Exit1")->trigger();
    });
    watch.start(50);
    QCOMPARE(form_->RunStandAlonePreview(huge, dtBAM), TPreviewForm::kResultExit);
    QCOMPARE(refusals, 1);
    QVERIFY(!playing);
    QVERIFY(shown);
    QVERIFY(LastLogLine("PRVW: Play Frame").find("[ABORTED]") != std::string::npos);
  }

  void managerDeletesDuplicatesExportsAndAdds() {
    OpenFrames(10);
    form_->SequencePopupPopup();
    form_->FramesPopupPopup();
    QVERIFY(Enabled("AddFrame2"));  // the sequence pop-up's way into the manager
    Manager().show();
    QTRY_VERIFY(Manager().isVisible() && !Manager().Building());
    QCOMPARE(ManagerRows(), 10);
    QCOMPARE(int(Manager().Thumbnails().size()), 10);
    QVERIFY(ThumbnailDrawn(0) && ThumbnailDrawn(9));
    QVERIFY(!Manager().Btn_AddTo->isEnabled());  // nothing selected yet

    SelectItems({2, 5});
    QVERIFY(Manager().Btn_AddTo->isEnabled() && !Manager().Btn_Export->isEnabled());
    const auto refreshes = [] {
      int n = 0;
      for (const std::string& line : LogLines()) n += line.rfind("APP : Update Frames", 0) == 0;
      return n;
    };
    const int refreshes_before = refreshes();
    Manager().Btn_Delete->click();
    QCOMPARE(Doc().BAM.FrameCount(), 8);
    QCOMPARE(Doc().BAM.GetFrame(2).Width, 8 + 3);
    QCOMPARE(Doc().BAM.GetFrame(4).Width, 8 + 6);
    QCOMPARE(ManagerRows(), 8);
    QCOMPARE(form_->List_Frames->count(), 8);
    QCOMPARE(refreshes() - refreshes_before, 1);

    SelectItems({3});
    Manager().Btn_Duplicate->click();
    QCOMPARE(Doc().BAM.FrameCount(), 9);
    QCOMPARE(Manager().Thumbnails()[8]->image, Manager().Thumbnails()[3]->image);

    SelectItems({3});
    prompts_->SaveChoices.push_back({true, Temp("exported.png"), 2});
    Manager().Btn_Export->click();
    QCOMPARE(prompts_->LastSuggestedPath, Temp("walk_Frame3"));
    Bitmap written;
    Palette256 palette{};
    QVERIFY(LoadImageFile(written, palette, kImageKindPng, Temp("exported.png")));
    QCOMPARE(written.Width(), Doc().BAM.GetFrame(3).Width);

    SelectItems({0, 1});
    Manager().Combo_AddTo->setCurrentIndex(0);
    const int entries = Doc().BAM.GetCycle(0).Count;
    Manager().Btn_AddTo->click();
    QCOMPARE(Doc().BAM.GetCycle(0).Count, entries + 2);
    Manager().Btn_Done->click();
    QVERIFY(!Manager().isVisible());
  }

  // Only the thumbnails near the screen are made, and those in sight are drawn; scrolling has
  // the newly seen ones made. A document of tens of thousands of frames opens with a row for each.
  void managerShowsOnlyTheThumbnailsOnScreen() {
    const int frames = 60000;
    OpenFrames(300);
    for (int i = 300; i < frames; ++i) Doc().BAM.InsertFrame(-1, -1, -1, true);
    Manager().show();
    QTRY_VERIFY(Manager().isVisible() && !Manager().Building());
    QListView* list = Manager().List_Frames;
    QCOMPARE(ManagerRows(), frames);
    const auto made = [this] {
      return int(std::count_if(Manager().Thumbnails().begin(), Manager().Thumbnails().end(),
                               [](const auto& thumbnail) { return thumbnail != nullptr; }));
    };
    // Hiding the progress panel shows a little more of the list, which may ask for a few more.
    QTRY_VERIFY(Manager().Panel_Prog->isHidden());
    QVERIFY(ThumbnailDrawn(0));
    QVERIFY(made() > 0 && made() < 200);
    QVERIFY(!Manager().Thumbnails()[frames - 1]);
    const int first_made = made();
    list->scrollToBottom();
    QTRY_VERIFY(ThumbnailDrawn(frames - 1));
    QTRY_VERIFY(Manager().Panel_Prog->isHidden());
    QVERIFY(made() > first_made && made() < 2 * first_made + 100);
    // What was made stays: scrolling back shows it at once.
    list->scrollToTop();
    QVERIFY(ThumbnailDrawn(0));
    // Paging down, more than the 2,000 kept at most are made on the way: those furthest from
    // sight are let go, and what is in sight stays shown.
    QScrollBar* bar = list->verticalScrollBar();
    while (Manager().Thumbnails()[0] && bar->value() < bar->maximum()) {
      bar->setValue(bar->value() + 2 * list->viewport()->height());
      QVERIFY(QTest::qWaitFor([this] { return Manager().Panel_Prog->isHidden(); }));
      QVERIFY(made() <= 2000);
    }
    QVERIFY(!Manager().Thumbnails()[0] && !Manager().Thumbnails()[frames - 1]);
    const int in_sight = list->indexAt(list->viewport()->rect().center()).row();
    QVERIFY2(in_sight > 1000 && ThumbnailDrawn(in_sight), qPrintable(QString::number(in_sight)));
    Manager().Btn_Done->click();
  }

  void abortingOrClosingDuringTheBuild() {
    OpenFrames(1);
    TBAM& bam = Doc().BAM;
    TBAMFrame info = bam.GetFrame(0);
    // Large enough that even the thumbnails in sight take a while: a thumbnail looks at few
    // pixels, but each frame is decoded whole first.
    info.Width = info.Height = 4000;
    bam.SetFrameBitmap(0, Bitmap(4000, 4000, PixelFormat::Bits8), info);
    for (int i = 0; i < 300; ++i) bam.InsertFrame(-1, -1, -1, true);

    Manager().show();
    QTRY_VERIFY(bam.PreviewThread != nullptr);
    Manager().Btn_Abort->click();
    QTRY_VERIFY(!Manager().isVisible());
    QCOMPARE(LastLogLine("MNGR: Make Previews"), std::string("MNGR: Make Previews [ABORTED]"));

    // Closed while building: late thumbnails are dropped, the next showing starts afresh.
    Manager().show();
    QTRY_VERIFY(Manager().Building() && bam.PreviewThread && !bam.PreviewThread->Cancelled);
    Manager().reject();
    QTest::qWait(20);
    QVERIFY(Manager().Thumbnails().empty());
    QCOMPARE(ManagerRows(), 0);
  }

  void onionSkinToggleIsStored() {
    form_->OpenFile(kSample, dtBAM);
    form_->View1Click();
    QVERIFY(Enabled("OnionSkin1"));
    form_->Entry("OnionSkin1")->trigger();
    QCOMPARE(settings_->ReadInt("OnionSkin", 0), 1);
    QVERIFY(form_->Options().OnionSkin.Enabled);

    // How many neighbours and in which tints is set in the View menu too.
    prompts_->ColorChoices.push_back(MakeColor(1, 200, 3));
    QTimer::singleShot(0, this, [this] {
      auto* dialog = form_->findChild<QDialog*>("OnionSkinForm");
      if (!dialog) return;
      auto* after = dialog->findChild<QSpinBox*>("Spin_After");
      after->selectAll();
      QTest::keyClicks(after, "3");
      QTest::mouseClick(dialog->findChild<QPushButton*>("Btn_BeforeTint"), Qt::LeftButton);
      QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                        Qt::LeftButton);
    });
    form_->Entry("OnionSkinSettings1")->trigger();
    QCOMPARE(form_->Options().OnionSkin.After, 3);
    QCOMPARE(form_->Options().OnionSkin.BeforeTint, MakeColor(1, 200, 3));
    QCOMPARE(settings_->ReadInt("OnionSkinAfter", 0), 3);
    QCOMPARE(settings_->ReadInt("OnionSkinBeforeTint", 0), static_cast<int>(MakeColor(1, 200, 3)));
  }
};

CELWRIGHT_APP_TEST(PreviewAndManagerTest)
#include "preview_and_manager_test.moc"
