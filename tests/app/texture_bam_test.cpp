// BAM V2 animations in the editor: opened with their texture pages (asking once for a folder
// when pages are missing), painted with alpha through the real widgets, saved with new pages and
// read back by the model's reader and compared with Pillow's decoding of the original pages.
#include <QAction>
#include <QLabel>
#include <QSpinBox>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "app/app_test_registry.h"
#include "app/editor_fixture.h"
#include "document/recovery_store.h"
#include "support/crc32.h"

using namespace celwright;
using celwright::testing::RealV2File;
namespace fs = std::filesystem;

namespace {

// Frame number -> CRC-32 of its RGBA pixels as Pillow decodes the original pages.
std::map<int, std::string> PillowCrcs() {
  std::map<int, std::string> crcs;
  std::ifstream reference(RealV2File("swirl.pillow-crc32.txt"));
  int frame, width, height;
  std::string crc;
  while (reference >> frame >> width >> height >> crc) crcs[frame] = crc;
  return crcs;
}

std::string CrcOf(const std::vector<std::uint8_t>& rgba) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", CRC32(rgba.data(), rgba.size(), 0));
  return text;
}

// Copies swirl.bam (as `name`) and, unless `pages` is empty, its pages into folders of a test.
void CopySwirl(const std::string& folder, const std::string& name, const std::string& pages) {
  fs::create_directories(folder);
  fs::copy_file(RealV2File("swirl.bam"), fs::path(folder) / name);
  if (pages.empty()) return;
  fs::create_directories(pages);
  for (int page = 1000; page <= 1005; ++page) {
    const std::string file = "MOS" + std::to_string(page) + ".PVRZ";
    fs::copy_file(RealV2File(file), fs::path(pages) / file);
  }
}

// The file as the model's reader gives it, read beside the editor.
void Reopen(TBAM& bam, const std::string& path) {
  bam.OpenTrueColour = true;
  bam.LoadFromFile(path);
}

bool SameFile(const std::string& a, const std::string& b) { return FileBytes(a) == FileBytes(b); }

}  // namespace

class TextureBamTest : public QObject, public EditorFixture {
  Q_OBJECT

  std::array<std::uint8_t, 4> Rgba(const std::vector<std::uint8_t>& rgba, int width, int x, int y) {
    const std::size_t at = 4 * (static_cast<std::size_t>(y) * width + x);
    return {rgba[at], rgba[at + 1], rgba[at + 2], rgba[at + 3]};
  }

 private slots:
  void init() {
    QVERIFY_REAL_FILE(RealV2File("swirl.bam"));
    StartEditor();
  }
  void cleanup() { StopEditor(); }

  void missingPagesAreAskedForOnceRememberedAndOtherwiseRepaired() {
    const std::string anim = Temp("anim"), pages = Temp("pages");
    CopySwirl(anim, "swirl.bam", pages);
    const std::string file = anim + "/swirl.bam";

    // Declined: the file opens all the same, the missing pages reported as repairs.
    form_->OpenFile(file, dtBAM);
    QCOMPARE(prompts_->Count("folder"), 1);
    QVERIFY(form_->BAMForm());
    QCOMPARE(Doc().BAM.FrameCount(), 46);
    QCOMPARE(prompts_->Count("info"), 1);
    QVERIFY(prompts_->History.back().Text.find("MOS1000.PVRZ") != std::string::npos);
    QCOMPARE(Doc().WorkImage[0].Format(), PixelFormat::Bits32);
    form_->Close1Click();

    // Named: the pages are read from there, and the folder is kept for the next time.
    prompts_->FolderChoices = {pages};
    form_->OpenFile(file, dtBAM);
    QCOMPARE(prompts_->Count("folder"), 2);
    QCOMPARE(prompts_->Count("info"), 1);
    const std::map<int, std::string> pillow = PillowCrcs();
    QCOMPARE(pillow.size(), std::size_t{46});
    for (const auto& [frame, crc] : pillow) QCOMPARE(CrcOf(Doc().BAM.DecodeFrame(frame)), crc);
    form_->Close1Click();
    form_->OpenFile(file, dtBAM);
    QCOMPARE(prompts_->Count("folder"), 2);
    QCOMPARE(prompts_->Count("info"), 1);
    QCOMPARE(CrcOf(Doc().BAM.DecodeFrame(7)), pillow.at(7));
  }

  void paintEraseAndPickKeepAlphaSaveAndReopen() {
    const std::string folder = Temp("work");
    CopySwirl(folder, "swirl.bam", folder);
    const std::string file = folder + "/swirl.bam";
    form_->OpenFile(file, dtBAM);
    QVERIFY(form_->BAMForm());
    QCOMPARE(prompts_->Count("info"), 0);
    QVERIFY(ActivateEditor());
    // A frame with shadows and glows: alpha between the extremes.
    constexpr int kFrame = 10;
    form_->PageControl->setCurrentWidget(form_->Tab_Frames);
    ClickRow(form_->List_Frames, kFrame);
    QCOMPARE(Doc().CurrentFrame, kFrame);
    TBAM original;
    Reopen(original, RealV2File("swirl.bam"));
    const std::vector<std::uint8_t> before = original.DecodeFrame(kFrame);
    const int width = Doc().FrameRec.Width, height = Doc().FrameRec.Height;

    // Pixels to work on: see-through ones to paint, a half-transparent one to pick, the most
    // opaque one to erase.
    std::vector<QPoint> clear;
    QPoint half(-1, -1), solid(-1, -1);
    std::uint8_t strongest = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::uint8_t alpha = Rgba(before, width, x, y)[3];
        if (alpha == 0 && clear.size() < 2 && x > 0 && (clear.empty() || y > clear[0].y() + 2))
          clear.push_back({x, y});
        if (alpha > 20 && alpha < 200 && half.x() < 0) half = {x, y};
        const bool inside = x > 2 && y > 2 && x + 2 < width && y + 2 < height;
        if (inside && alpha > strongest) {
          strongest = alpha;
          solid = {x, y};
        }
      }
    }
    QVERIFY(clear.size() == 2 && half.x() >= 0 && strongest > 200);

    // A colour chosen on the panel is opaque.
    Press("Btn_Pencil");
    PickColour(40);
    const TColor chosen = form_->Options().ForegroundColour;
    Click(clear[0].x(), clear[0].y());
    QCOMPARE(Doc().WorkImage[0].GetPixel(clear[0].x(), clear[0].y()), chosen);
    QCOMPARE(Doc().WorkImage[0].GetAlpha(clear[0].x(), clear[0].y()), std::uint8_t{255});

    // A picked colour keeps its pixel's alpha.
    const auto picked = Rgba(before, width, half.x(), half.y());
    Press("Btn_ColPick");
    Send(QEvent::MouseMove, half.x(), half.y(), Qt::NoButton, Qt::NoButton);
    QCOMPARE(form_->findChild<QLabel*>("Lbl_Alpha")->text(), QString::number(picked[3]));
    Click(half.x(), half.y());
    Press("Btn_Pencil");
    Click(clear[1].x(), clear[1].y());
    QCOMPARE(Doc().WorkImage[0].GetAlpha(clear[1].x(), clear[1].y()), picked[3]);
    QCOMPARE(Doc().WorkImage[0].GetPixel(clear[1].x(), clear[1].y()),
             MakeColor(picked[0], picked[1], picked[2]));

    // The eraser makes pixels see-through.
    Press("Btn_Erase");
    form_->findChild<QSpinBox*>("Spin_BrushWidth")->setValue(3);
    form_->findChild<QSpinBox*>("Spin_BrushHeight")->setValue(3);
    Click(solid.x(), solid.y());
    QCOMPARE(Doc().WorkImage[0].GetAlpha(solid.x(), solid.y()), std::uint8_t{0});

    // Every other pixel keeps its exact colour and alpha.
    Doc().CommitPendingEdits();
    const std::vector<std::uint8_t> edited = Doc().BAM.DecodeFrame(kFrame);
    int erased = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const QPoint at(x, y);
        if (at == clear[0] || at == clear[1]) continue;
        const auto now = Rgba(edited, width, x, y);
        if (now == Rgba(before, width, x, y)) continue;
        QVERIFY(std::abs(x - solid.x()) <= 2 && std::abs(y - solid.y()) <= 2);
        QCOMPARE(now[3], std::uint8_t{0});
        ++erased;
      }
    }
    QVERIFY(erased >= 1);

    // The crash-recovery copy holds the work exactly, alpha included.
    form_->SetRecoveryFolder(Temp("recovery"));
    form_->AutosaveTick();
    form_->Recovery()->Wait();
    TBAM copy;
    QVERIFY(copy.LoadFromFile(form_->Recovery()->CopyPath().string()));
    QCOMPARE(copy.FrameCount(), 46);
    QVERIFY(copy.DecodeFrame(kFrame) == edited);

    // Save asks for the first new page, proposing the next free number; cancelled, nothing
    // is written.
    form_->Save1Click();
    QCOMPARE(prompts_->LastTextProposal, std::string("1006"));
    QVERIFY(!fs::exists(folder + "/MOS1006.PVRZ"));
    QVERIFY(SameFile(file, RealV2File("swirl.bam")));
    prompts_->TextAnswers = {std::string("1006")};
    form_->Save1Click();
    QCOMPARE(prompts_->Count("error"), 0);
    QVERIFY(fs::exists(folder + "/MOS1006.PVRZ"));
    for (int page = 1000; page <= 1005; ++page) {
      const std::string name = "/MOS" + std::to_string(page) + ".PVRZ";
      QVERIFY(SameFile(folder + name, RealV2File(name.substr(1))));
    }

    // Read back: untouched frames exactly as Pillow decodes the original pages; the edited
    // frame as the editor shows it now (which blocks a save keeps is the model's test).
    TBAM saved;
    Reopen(saved, file);
    QVERIFY(saved.Warnings.empty());
    QCOMPARE(saved.FrameCount(), 46);
    const std::map<int, std::string> pillow = PillowCrcs();
    for (int frame = 0; frame < 46; ++frame) {
      if (frame != kFrame) QCOMPARE(CrcOf(saved.DecodeFrame(frame)), pillow.at(frame));
    }
    const std::vector<std::uint8_t> written = saved.DecodeFrame(kFrame);
    QVERIFY(written == Doc().BAM.DecodeFrame(kFrame));
    QCOMPARE(Doc().WorkImage[0].GetAlpha(solid.x(), solid.y()), std::uint8_t{0});
    QCOMPARE(Rgba(written, width, solid.x(), solid.y())[3], std::uint8_t{0});
    QCOMPARE(Rgba(written, width, clear[0].x(), clear[0].y())[3], std::uint8_t{255});
    QVERIFY(!Doc().Modified);
  }

  void convertsBothWaysAndNeverOverwritesAnotherFilesPages() {
    form_->OpenFile(kSample, dtBAM);
    QVERIFY(form_->BAMForm());
    TBAM sample;
    QVERIFY(sample.LoadFromFile(kSample));
    const auto convert = [this](const char* entry) {
      form_->Colors1Click();
      QVERIFY(Enabled(entry));
      form_->Entry(entry)->trigger();
    };

    // To true colour and back to paletted: every opaque pixel keeps its colour.
    convert("ConvertToTrueColour1");
    QVERIFY(Doc().TrueColour());
    QCOMPARE(Doc().WorkImage[0].Format(), PixelFormat::Bits32);
    prompts_->Choices = {0};
    convert("ConvertToPaletted1");
    QCOMPARE(Doc().BAM.GetBAMType(), kPalettedBAM);
    for (int frame = 0; frame < sample.FrameCount(); ++frame) {
      Bitmap was, now, was_indices, now_indices;
      sample.GetFrameBitmap(frame, was, &was_indices);
      Doc().BAM.GetFrameBitmap(frame, now, &now_indices);
      for (int y = 0; y < was.Height(); ++y) {
        for (int x = 0; x < was.Width(); ++x) {
          const int index = RedOf(was_indices.GetPixel(x, y));
          if (index == sample.TranspInd || index == sample.ShadowInd) continue;
          QCOMPARE(now.GetPixel(x, y), was.GetPixel(x, y));
        }
      }
    }
    convert("ConvertToTrueColour1");

    // Another animation's pages lie in the folder: taking their numbers needs a yes.
    const std::string other = Temp("other");
    CopySwirl(other, "other.bam", other);
    prompts_->SaveChoices = {{true, other + "/mine.bam", 0}};
    prompts_->TextAnswers = {std::string("1000")};
    form_->SaveAs1Click();
    QCOMPARE(prompts_->Count("confirm"), 1);
    QVERIFY(!fs::exists(other + "/mine.bam"));
    QVERIFY(SameFile(other + "/MOS1000.PVRZ", RealV2File("MOS1000.PVRZ")));

    prompts_->SaveChoices = {{true, other + "/mine.bam", 0}};
    prompts_->TextAnswers = {std::nullopt};
    form_->SaveAs1Click();
    QCOMPARE(prompts_->LastTextProposal, std::string("1006"));
    prompts_->SaveChoices = {{true, other + "/mine.bam", 0}};
    prompts_->TextAnswers = {prompts_->LastTextProposal};
    form_->SaveAs1Click();
    QCOMPARE(prompts_->Count("error"), 0);
    TBAM saved;
    Reopen(saved, other + "/mine.bam");
    QCOMPARE(saved.GetBAMType(), kTrueColourBAM);
    QVERIFY(saved.Warnings.empty());
    QCOMPARE(saved.CycleCount(), sample.CycleCount());
    QVERIFY(SameFile(other + "/MOS1000.PVRZ", RealV2File("MOS1000.PVRZ")));
  }
};

CELWRIGHT_APP_TEST(TextureBamTest)
#include "texture_bam_test.moc"
