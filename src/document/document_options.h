#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/bam_types.h"
#include "document/tool_state.h"
#include "support/bitmap.h"
#include "support/color_types.h"
#include "support/text_render.h"

namespace celwright {

class SelectionClipboard;

// Neighbouring entries of the selected sequence shown faintly under the current frame; display
// only, never part of the frame.
struct OnionSkinOptions {
  bool Enabled = false;
  int Before = 1;  // entries before the current one
  int After = 1;   // entries after it
  TColor BeforeTint = MakeColor(255, 64, 64);
  TColor AfterTint = MakeColor(64, 128, 255);
};

// How the shape tools fill a closed figure: not at all, with the other button's value, or with
// the drawing value.
enum class ShapeFillStyle : std::uint8_t { None, Background, Foreground };

// What the document window reads from the main window's controls and the settings dialog. The
// main window keeps it current; the document only reads it, except that the mouse wheel steps
// the magnification.
struct DocumentOptions {
  // Position in the magnification list (1, 4, 9 or 16 times).
  int MagnificationIndex = 0;
  bool ShowGrid = false;
  TColor WindowColour = MakeColor(255, 255, 255);
  TColor HighlightColour = MakeColor(0, 120, 215);
  // The drawing colours of the palette panel: indices for paletted documents, colours for
  // unpaletted ones. The background also fills the area a resize adds.
  std::uint8_t ForegroundIndex = 1;
  TColor ForegroundColour = MakeColor(0, 0, 0);
  TColor BackgroundColour = MakeColor(0, 0, 0);
  std::uint8_t BackgroundIndex = 0;
  // Until the user picks a colour, unpaletted documents draw in the shadow colour over the
  // transparent one, like the paletted entries 1 and 0.
  bool ColoursChosen = false;
  // The alpha the pencil, the brush and the fill paint with in a true-colour document: a colour
  // picked from the frame keeps its pixel's alpha, a colour chosen on the panel is opaque.
  std::uint8_t ForegroundAlpha = 255;
  std::uint8_t BackgroundAlpha = 255;
  // The pressed tool button and the brush of the brush family (shape 0 ellipse, 1 rectangle,
  // 2 falling diagonal, 3 rising diagonal; 1..64 pixels each way).
  ToolKind Tool = ToolKind::Pan;
  int BrushShape = 0;
  int BrushWidth = 8;
  int BrushHeight = 8;
  bool LockBrushDims = false;
  // The shape tools' line thickness (1..50) and fill style.
  int PenWidth = 1;
  ShapeFillStyle FillStyle = ShapeFillStyle::None;
  // The internal clipboard: true colour, index image, mask (black = part of the copied area).
  std::array<Bitmap, 3> CopiedImage;
  // Whether that copy came from a paletted document (its index image means something).
  bool CopiedPaletted = false;
  // The system clipboard, when the application provides one.
  SelectionClipboard* Clipboard = nullptr;
  // Selected entry of the sequence list, -1 for none.
  int SelectedSequence = -1;
  // "Frame speed (ms)".
  int FrameSpeedMs = 50;
  std::string ApplicationTitle = "Celwright II";
  // Display colours copied into each new document.
  TColor TransCol = kDefaultTransCol;
  TColor ShadowCol = kDefaultShadowCol;
  bool OverrideTransCol = true;
  bool OverrideShadowCol = true;
  OnionSkinOptions OnionSkin;
  // The text tool's panel: the text (UTF-8, lines split at line feeds), its font and style (the
  // font's colour is unused: letters take the foreground), and whether the whole block is laid
  // on the background colour.
  std::string Text = "<Text>";
  Font TextFont{.size = 10};
  bool TextHighlight = false;
};

inline constexpr int kMagnificationSteps = 4;

// The timer interval of every player (the document window and the preview). Faster than 100
// frames a second no screen shows the difference, while the editor would spend most of a core
// redrawing; more than a second is no animation.
inline constexpr int kMinPlayIntervalMs = 10;
inline constexpr int kMaxPlayIntervalMs = 1000;
constexpr int PlayIntervalMs(int frame_speed_ms) {
  return frame_speed_ms < kMinPlayIntervalMs
             ? kMinPlayIntervalMs
             : (frame_speed_ms > kMaxPlayIntervalMs ? kMaxPlayIntervalMs : frame_speed_ms);
}

// The list's entries magnify 1, 4, 9 and 16 times: the square of the position plus one.
constexpr int ZoomForMagnification(int index) {
  const int last = kMagnificationSteps - 1;
  const int clamped = index < 0 ? 0 : (index > last ? last : index);
  return (clamped + 1) * (clamped + 1);
}

}  // namespace celwright
