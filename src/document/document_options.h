#pragma once

#include <cstdint>
#include <string>

#include "support/color_types.h"

namespace celwright {

// What the document window reads from the main window's controls and the settings dialog. The
// main window keeps it current; the document only reads it, except that the mouse wheel steps
// the magnification.
struct DocumentOptions {
  // Position in the magnification list "100%", "200%", "400%", "800%".
  int MagnificationIndex = 0;
  bool ShowGrid = false;
  TColor WindowColour = MakeColor(255, 255, 255);
  TColor HighlightColour = MakeColor(0, 120, 215);
  // Background colour and index of the palette panel, used for area a resize adds.
  TColor BackgroundColour = MakeColor(0, 0, 0);
  // Foreground colour of the palette panel (Set Transparency takes it as the shadow colour).
  TColor ForegroundColour = MakeColor(255, 255, 255);
  std::uint8_t BackgroundIndex = 0;
  // Selected entry of the sequence list, -1 for none.
  int SelectedSequence = -1;
  // "Frame speed (ms)".
  int FrameSpeedMs = 50;
  std::string ApplicationTitle = "Celwright II";
  // Display colours copied into each new document.
  TColor TransCol = MakeColor(0, 255, 0);
  TColor ShadowCol = MakeColor(0, 0, 0);
  bool OverrideTransCol = true;
  bool OverrideShadowCol = true;
};

inline constexpr int kMagnificationSteps = 4;

// The list's entries magnify 1, 4, 9 and 16 times: the square of the position plus one.
constexpr int ZoomForMagnification(int index) {
  const int last = kMagnificationSteps - 1;
  const int clamped = index < 0 ? 0 : (index > last ? last : index);
  return (clamped + 1) * (clamped + 1);
}

}  // namespace celwright
