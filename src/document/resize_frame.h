#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "document/frame_sizing.h"
#include "model/bam_types.h"

namespace celwright {

class TBAMForm;

// The units a size can be typed in, in the order the unit lists show them.
enum class SizeUnit : std::uint8_t { Percent, Pixels, Centimetres, Inches };
inline constexpr std::array<const char*, 4> kSizeUnitNames = {"percent", "pixels", "cm", "inches"};

// Frames are stored with 16-bit sizes.
inline constexpr int kLargestTypedSize = 65535;

// A size in pixels expressed in `unit`; percent is relative to `start` (a frame that starts with
// no extent counts percent of one pixel, so percentages still mean something).
double SizeInUnit(int pixels, int start, SizeUnit unit);
// A typed value in pixels: rounded to the nearest, halves to even, and kept within
// 0..kLargestTypedSize.
int PixelsFromUnit(double value, int start, SizeUnit unit);
// The shortest decimal form of a size, cut (not rounded) to three decimals: "0.775", "16".
std::string SizeValueText(double value);
// What follows a size: the list entry, "%" for percent.
std::string UnitText(SizeUnit unit);
// A typed value: a whole number for pixels, a decimal one otherwise; nothing when the text is
// not one, or is below zero.
std::optional<double> ParseSizeValue(const std::string& text, SizeUnit unit);
// The sizing zone of an anchor button: Tag = 10 x column + row, from the left and the top. An
// anchor on one side makes the opposite edge move.
std::uint8_t AnchorZoneOf(int tag);

// The resize dialog without its widgets: the starting and the new size, the units, the aspect
// lock and the anchor, and Preview, OK and Cancel on the document. It does not scale the
// picture: it crops or extends the frame the way the size handles do.
class ResizeFrameModel {
 public:
  enum Dimension { kWidth = 0, kHeight = 1 };
  static constexpr int kCentreTag = 11;

  // What typing changed: whether the edit typed into must show the stored value again (the
  // text was refused or beyond the limits), and the other dimension's new text when the aspect
  // lock changed it.
  struct TypeResult {
    bool RewriteThis = false;
    std::optional<std::string> OtherText;
  };

  // Takes the starting size from the document. Anything drawn but not yet part of the frame
  // (a shape or text in progress, a floating selection) is fixed first, so it is resized
  // with the frame. Units, lock and anchor carry over from the last showing.
  void Begin(TBAMForm& form);

  TBAMFrame OrigFrame;
  TBAMFrame NewFrame;
  std::array<SizeUnit, 2> Units{SizeUnit::Pixels, SizeUnit::Pixels};
  bool LockAspect = true;

  int AnchorTag() const { return anchor_tag_; }
  void SetAnchor(int tag) { anchor_tag_ = tag; }

  // "Current Size": the starting size with its unit ("31 pixels", "100 %").
  std::string CurrentText(Dimension d) const;
  // The new size as its edit shows it, in the dimension's unit.
  std::string NewText(Dimension d) const;
  // The user typed `text` into the edit of `d`.
  TypeResult Type(Dimension d, const std::string& text);

  // Shows the new size on the document without recording it. Returns an empty string, or the
  // message that says why the size cannot be made (the frame keeps the last one that could).
  std::string Preview();
  // Applies the new size as one history step; a refusal message is returned as for Preview and
  // nothing is recorded then.
  std::string Ok();
  // Puts back the starting size and every pixel as they were at Begin.
  void Cancel();

 private:
  static int& SizeOf(TBAMFrame& frame, Dimension d) {
    return d == kWidth ? frame.Width : frame.Height;
  }
  static int SizeOf(const TBAMFrame& frame, Dimension d) {
    return d == kWidth ? frame.Width : frame.Height;
  }

  TBAMForm* form_ = nullptr;
  int anchor_tag_ = kCentreTag;
  FrameSizing sizing_;
};

}  // namespace celwright
