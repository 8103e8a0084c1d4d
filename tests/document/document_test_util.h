#pragma once

#include <deque>
#include <string>
#include <vector>

#include "document/bam_form.h"

namespace celwright::testing {

// Records what the document asks of its window and answers its questions from a script.
class FakeHosts : public DocumentView,
                  public MainWindowLink,
                  public PlaybackTimer,
                  public DocumentPrompts {
 public:
  void Repaint() override { ++repaints; }
  void RepaintArea(const ViewRect&) override { ++area_repaints; }
  void ShowScrollBars(const ScrollBarState& h, const ScrollBarState& v) override {
    horizontal = h;
    vertical = v;
  }
  void SetCaption(const std::string& text) override { caption = text; }
  void CommandsChanged() override { ++commands_changed; }
  void PaletteChanged() override { ++palette_changed; }
  void SaveDocument() override {
    ++saves;
    if (save_succeeds && form) form->Modified = false;
  }
  void StartTimer(int ms) override { timer_ms = ms; }
  void StopTimer() override { timer_ms = 0; }
  PromptAnswer AskYesNoCancel(const std::string&, const std::string& text) override {
    questions.push_back(text);
    PromptAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  bool ConfirmOkCancel(const std::string& text) override {
    questions.push_back(text);
    return confirm;
  }
  void ShowInformation(const std::string& title, const std::string& text) override {
    questions.push_back(title + "|" + text);
  }
  DocumentHosts All() { return {this, this, this, this}; }

  TBAMForm* form = nullptr;
  int area_repaints = 0;
  int repaints = 0, commands_changed = 0, palette_changed = 0, saves = 0, timer_ms = 0;
  bool save_succeeds = true, confirm = true;
  std::deque<PromptAnswer> answers;
  std::vector<std::string> questions;
  ScrollBarState horizontal, vertical;
  std::string caption;
};

inline std::uint8_t IndexAt(const TBAM& bam, int frame, int x, int y) {
  Bitmap colours, indices;
  bam.GetFrameBitmap(frame, colours, &indices);
  return indices.Row(y)[x];
}

// A window on a paletted document of `frames` frames, frame i being (4 + i) x 3 with centre
// (1, 1), filled with index 10 + i, all in cycle 0. Nothing is shown yet.
struct DocumentFixture {
  explicit DocumentFixture(int frames) : form(options, hosts.All(), Capture()) {
    hosts.form = &form;
    TBAM& bam = form.BAM;
    bam.NewBAM("/tmp/docs/anim.bam", true);
    for (int i = 0; i < 256; ++i) {
      bam.Palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), 7};
    }
    bam.AddCycle(-1);
    for (int i = 0; i < frames; ++i) {
      bam.InsertFrame(-1, 0, -1, false);
      TBAMFrame info = bam.GetFrame(i);
      info.Width = 4 + i;
      info.Height = 3;
      info.CentreX = info.CentreY = 1;
      Bitmap image(info.Width, info.Height);
      for (auto& byte : image.Pixels()) byte = 0;
      for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < info.Width; ++x) {
          image.Row(y)[3 * x + 2] = static_cast<std::uint8_t>(10 + i);
        }
      }
      bam.SetFrameBitmap(i, image, info);
    }
    form.FormResize({200, 100, 200, 100});
  }

  // Paints index `value` at (x, y) of the working images as a tool would, and records it.
  void Edit(int x, int y, std::uint8_t value) {
    form.WorkImage[1].Row(y)[x] = value;
    form.WorkImage[0].SetPixel(x, y, ToColor(form.BAM.Palette[value]));
    form.ImageChanged = true;
    form.HistoryPending = true;
    form.AddHistoryItem();
  }

  DocumentLog Capture() {
    return {[this](const std::string& t) { log.push_back(t); },
            [this](const std::string& t) { log.back() += t; }};
  }

  DocumentOptions options;
  FakeHosts hosts;
  std::vector<std::string> log{""};
  TBAMForm form;
};

}  // namespace celwright::testing
