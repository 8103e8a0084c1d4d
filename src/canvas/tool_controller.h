#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "canvas/pointer_shape.h"
#include "canvas/text_block.h"
#include "document/bam_form.h"
#include "document/frame_sizing.h"

namespace celwright {

// What the colour pick tool shows of the pixel under the pointer.
struct PaintCall;

struct HoverColour {
  std::string Index;  // the palette index, or "N/A" for an unpaletted document
  TColor Colour = 0;
  bool Transparent = false;  // paletted swatches mark the transparent and shadow entries
  bool Shadow = false;
  // The pixel's alpha in a true-colour document; -1 where pixels have none.
  int Alpha = -1;
};

// The tools of the document window: turns pointer presses, moves and releases (client pixels)
// and keys into edits through the edit cycle (ModifyBAM), and draws the active tool's preview.
// It attaches itself to the window's tool layer for its lifetime.
class ToolController : public ToolActivity {
 public:
  explicit ToolController(TBAMForm& form);
  ~ToolController() override;
  ToolController(const ToolController&) = delete;
  ToolController& operator=(const ToolController&) = delete;

  void FormMouseDown(std::uint8_t button, ShiftKeys shift, int x, int y);
  void FormMouseMove(ShiftKeys shift, int x, int y);
  void FormMouseUp(std::uint8_t button, ShiftKeys shift, int x, int y);
  void FormKeyDown(ShiftKeys shift) { ShiftChanged(shift); }
  void FormKeyUp(ShiftKeys shift) { ShiftChanged(shift); }
  // Esc: drops what is in progress without drawing it.
  void CancelDrawAction();
  // A tool button was chosen (the options already name it): ends every activity and logs it.
  void ToolBtnClick(const std::string& tool_name);

  // The wheel: one magnification step in or out about the pointer at client (x, y).
  void WheelZoom(bool zoom_in, int x, int y);

  // The edit cycle: (x, y) in frame pixels, clamped to the frame.
  void ModifyBAM(int x, int y, std::uint8_t button);

  // Client point to frame pixel, rounding towards minus infinity so that points left of or
  // above the frame never read as its first column or row.
  Point FramePixel(int x, int y) const;

  PointerShape Pointer() const { return pointer_; }
  // "fx,fy" over the frame, empty elsewhere.
  const std::string& StatusText() const { return status_; }

  // The colour pick tool changed the foreground or background.
  std::function<void()> ColoursChanged;
  // The pixel under the pointer while the colour pick tool is chosen.
  std::function<void(const HoverColour&)> HoverChanged;
  // A message for the user that is not a question (the frame-size drag's refusals).
  std::function<void(const std::string&)> ShowMessage;
  // A text block was placed: the keyboard goes to the text field so typing edits it.
  std::function<void()> TextPlaced;

  // ToolActivity
  void EndToolActivity() override;
  void DrawToolOverlay(std::array<Bitmap, 2>& overlay) override;
  std::optional<Rect> ToolOverlayBox() const override;
  // The text being placed goes into the frame as one undo step (a new text click, a tool
  // change, and everything that writes the frame back or replaces it come through here).
  void FixPendingText() override;

 private:
  void ShiftChanged(ShiftKeys shift);
  void SelectionPress(Point p, std::uint8_t button, ShiftKeys shift);
  bool StrokeTool() const;
  // Copies the scratch pair back inside `box` (frame pixels) where the selection allows.
  void Tail(const Rect& box);
  void Tail();
  // Dirty boxes (dirty_box.cpp). The frame pixels a stroke step can change, or nothing when
  // the step cannot say.
  std::optional<Rect> StrokeBox(const PaintCall& call) const;
  // The scratch pair made equal to the frame inside `box`: the stroke tools read and write
  // nothing outside it.
  void SyncScratch(const Rect& box);
  // Without a selection every pixel is editable: the pencil, the brushes, the fill and the
  // colour pick work on the frame itself, with no scratch copy of it. A stroke step sets aside
  // only the box it may change, to tell whether anything did (dirty_box.cpp).
  bool PaintsDirectly() const;
  void SetAside(const Rect& box);
  bool ChangedSinceAside(const Rect& box) const;
  bool FillChanges(const PaintCall& call) const;
  void CountChange();
  // Where DrawToolOverlay draws with the pointer at `p`.
  Rect OverlayBoxAt(Point p) const;
  // Redraws `changed` (frame pixels) and the tool overlay's old and new place only.
  void RedrawStep(const Rect& changed);
  void ReleaseImageOrigin();
  void ZoomStep(std::uint8_t button);
  void Pan(Point p);
  void UpdateSizerHover(int x, int y);
  void StartSizing();
  void ApplySizing(int x, int y);
  void FinishSizing();
  void RestoreSizingStart();
  void ReportHover(Point p);
  void ChoosePointer(Point p);
  void Inform(const std::string& text);
  const Bitmap& BrushPicture();
  // The text tool (text_tool.cpp).
  void PlaceText(Point p);
  void FixText();
  void DrawTextPreview(std::array<Bitmap, 2>& overlay);
  void DrawTextBlock(std::array<Bitmap, 2>& pair);
  // Shapes (shape_input.cpp).
  bool ShapeWaitsForPoint() const;
  void StartShape(Point p, std::uint8_t button, std::uint8_t kind);
  void AddShapePoint(Point p);
  void FollowShapePoint(Point p);
  bool ReleaseShape(int x, int y);

  TBAMForm& form_;
  bool include_end_ = false;
  // Where the tool overlay was last drawn: a stroke step redraws it away.
  Rect overlay_drawn_{};
  // The press being handled closes the polygon of a selection.
  bool closing_polygon_ = false;
  Bitmap brush_picture_;
  std::array<std::vector<std::uint8_t>, 2> aside_;
  // The copy the stamp paints, as the document's palette shows it: made at each press.
  std::array<Bitmap, 3> stamp_;
  std::array<int, 3> brush_key_{-1, -1, -1};
  TextBlockCache text_block_;
  PointerShape pointer_ = PointerShape::Arrow;
  std::string status_;
  // The frame-size drag, and where the frame sat on screen when it began.
  FrameSizing sizing_;
  ViewPoint sizing_origin_;
};

}  // namespace celwright
