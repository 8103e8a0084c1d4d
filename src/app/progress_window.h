#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <cstdint>
#include <vector>

class QLabel;
class QProgressBar;

namespace celwright {

// The small window that follows loading, saving and converting an animation.
class TProgForm : public QWidget {
 public:
  explicit TProgForm(QWidget* parent);

  // The progress callback of loading and saving; `file_name` names the document in the message.
  void LoadSaveProgress(std::int32_t position, std::int32_t max, std::uint8_t stage,
                        const QString& file_name);
  // The progress callback of the paletted/unpaletted conversion.
  void ConvertProgress(std::int32_t position, std::int32_t max, std::uint8_t stage);

  QLabel* Lbl_Msg;
  QLabel* Lbl_LoadSave;
  QLabel* Lbl_Frames;
  QLabel* Lbl_Seqs;
  QProgressBar* Prog_MemLoad;
  QProgressBar* Prog_Frames;
  QProgressBar* Prog_Seqs;
  QProgressBar* Prog_Palette;
  QWidget* Panel_Load;

 private:
  void Begin(const QString& message, bool with_palette, const char* first, const char* second,
             const char* third);
  // Bars take new values when the window is painted; until then they wait here.
  void SetBar(QProgressBar* bar, std::int32_t position, std::int32_t max);
  // Shows the bars as they now stand, unless the window was painted less than a moment ago in
  // the same stage and `position` has not reached `max`.
  void Paint(std::uint8_t stage, std::int32_t position, std::int32_t max);

  struct WaitingValue {
    QProgressBar* bar = nullptr;
    std::int32_t position = 0;
    std::int32_t max = 0;
  };
  std::vector<WaitingValue> waiting_;
  QElapsedTimer painted_;
  int painted_stage_ = -1;
};

}  // namespace celwright
