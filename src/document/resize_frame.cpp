#include "document/resize_frame.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "document/bam_form.h"

namespace celwright {

namespace {

constexpr double kPixelsPerCentimetre = 40.0;
constexpr double kPixelsPerInch = 101.6;

// Percent of a frame with no extent would divide by zero; one pixel keeps it meaningful.
double PercentBase(int start) { return start > 0 ? start : 1; }

double ToUnit(double pixels, int start, SizeUnit unit) {
  switch (unit) {
    case SizeUnit::Percent:
      return pixels / PercentBase(start) * 100.0;
    case SizeUnit::Centimetres:
      return pixels / kPixelsPerCentimetre;
    case SizeUnit::Inches:
      return pixels / kPixelsPerInch;
    case SizeUnit::Pixels:
      break;
  }
  return pixels;
}

double ToPixels(double value, int start, SizeUnit unit) {
  switch (unit) {
    case SizeUnit::Percent:
      return value * PercentBase(start) / 100.0;
    case SizeUnit::Centimetres:
      return value * kPixelsPerCentimetre;
    case SizeUnit::Inches:
      return value * kPixelsPerInch;
    case SizeUnit::Pixels:
      break;
  }
  return value;
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

double SizeInUnit(int pixels, int start, SizeUnit unit) { return ToUnit(pixels, start, unit); }

int PixelsFromUnit(double value, int start, SizeUnit unit) {
  const double pixels = ToPixels(value, start, unit);
  if (!(pixels >= 0)) return 0;
  if (pixels >= kLargestTypedSize) return kLargestTypedSize;
  return static_cast<int>(std::nearbyint(pixels));  // halves go to even
}

std::string SizeValueText(double value) {
  if (!std::isfinite(value) || value <= 0) return "0";
  // The small allowance keeps 0.3 (stored as 0.29999...) from being cut to 0.299.
  const auto thousandths = static_cast<long long>(std::floor(value * 1000.0 + 1e-6));
  std::string text = std::to_string(thousandths / 1000);
  int fraction = static_cast<int>(thousandths % 1000);
  if (fraction == 0) return text;
  std::string digits = std::to_string(1000 + fraction).substr(1);
  digits.erase(digits.find_last_not_of('0') + 1);
  return text + "." + digits;
}

std::string UnitText(SizeUnit unit) {
  return unit == SizeUnit::Percent ? "%" : kSizeUnitNames[static_cast<std::size_t>(unit)];
}

std::optional<double> ParseSizeValue(const std::string& text, SizeUnit unit) {
  const std::string value = Trimmed(text);
  const char* first = value.data();
  const char* last = first + value.size();
  double result = 0;
  if (unit == SizeUnit::Pixels) {
    long long whole = 0;
    const auto [end, error] = std::from_chars(first, last, whole);
    if (error != std::errc() || end != last) return std::nullopt;
    result = static_cast<double>(whole);
  } else {
    const auto [end, error] = std::from_chars(first, last, result);
    if (error != std::errc() || end != last || !std::isfinite(result)) return std::nullopt;
  }
  if (value.empty() || result < 0) return std::nullopt;
  return result;
}

std::uint8_t AnchorZoneOf(int tag) {
  static constexpr std::uint8_t kColumn[] = {kSizerRight, kSizerCentredX, kSizerLeft};
  static constexpr std::uint8_t kRow[] = {kSizerBottom, kSizerCentredY, kSizerTop};
  const int column = std::clamp(tag / 10, 0, 2), row = std::clamp(tag % 10, 0, 2);
  return static_cast<std::uint8_t>(kSizerTyped | kColumn[column] | kRow[row]);
}

void ResizeFrameModel::Begin(TBAMForm& form) {
  form_ = &form;
  sizing_ = FrameSizing{};
  // Playback would show other frames under the dialog and write the preview into them.
  form.StopSequence();
  if (form.ToolLayer) form.ToolLayer->EndToolActivity();
  form.CommitPendingEdits();
  OrigFrame = NewFrame = form.FrameRec;
}

std::string ResizeFrameModel::CurrentText(Dimension d) const {
  const SizeUnit unit = Units[d];
  // The starting size is all of itself, even when it has no extent.
  const double value = unit == SizeUnit::Percent
                           ? 100.0
                           : SizeInUnit(SizeOf(OrigFrame, d), SizeOf(OrigFrame, d), unit);
  return SizeValueText(value) + " " + UnitText(unit);
}

std::string ResizeFrameModel::NewText(Dimension d) const {
  return SizeValueText(SizeInUnit(SizeOf(NewFrame, d), SizeOf(OrigFrame, d), Units[d]));
}

ResizeFrameModel::TypeResult ResizeFrameModel::Type(Dimension d, const std::string& text) {
  TypeResult result;
  // An emptied edit is half-way through typing a new value, not a value.
  if (Trimmed(text).empty()) return result;
  const std::optional<double> value = ParseSizeValue(text, Units[d]);
  if (!value) {
    result.RewriteThis = true;
    return result;
  }
  const int start = SizeOf(OrigFrame, d);
  const double typed = ToPixels(*value, start, Units[d]);
  const double pixels = std::min(typed, double{kLargestTypedSize});
  SizeOf(NewFrame, d) = PixelsFromUnit(*value, start, Units[d]);
  // A size beyond what a frame can hold shows the largest one it can.
  result.RewriteThis = typed > kLargestTypedSize;
  // With no starting extent there is no ratio to keep.
  if (!LockAspect || start <= 0) return result;
  const Dimension other = d == kWidth ? kHeight : kWidth;
  const int other_start = SizeOf(OrigFrame, other);
  const double other_pixels = pixels * other_start / start;
  const double shown = Units[other] == SizeUnit::Pixels
                           ? std::nearbyint(other_pixels)
                           : ToUnit(other_pixels, other_start, Units[other]);
  // The other edit gets the text it shows, and its size is read back from that text, as if
  // typed: what is shown is what is applied.
  std::string other_text = SizeValueText(shown);
  const std::optional<double> other_value = ParseSizeValue(other_text, Units[other]);
  SizeOf(NewFrame, other) = other_value ? PixelsFromUnit(*other_value, other_start, Units[other])
                                        : SizeOf(NewFrame, other);
  if (other_value && ToPixels(*other_value, other_start, Units[other]) > kLargestTypedSize) {
    other_text = NewText(other);
  }
  result.OtherText = std::move(other_text);
  return result;
}

std::string ResizeFrameModel::Preview() {
  if (!form_) return {};
  if (!sizing_.Active()) sizing_.Begin(*form_);
  sizing_.Apply(SizedFrame(OrigFrame, AnchorZoneOf(anchor_tag_), NewFrame.Width, NewFrame.Height));
  return sizing_.TakeRefusal();
}

std::string ResizeFrameModel::Ok() {
  std::string refusal = Preview();
  if (!refusal.empty() || !form_) return refusal;
  if (sizing_.Finish()) form_->AddHistoryItem();
  form_->RedrawImage(false);
  return {};
}

void ResizeFrameModel::Cancel() {
  if (sizing_.Active()) sizing_.Restore();
}

}  // namespace celwright
