#include "canvas/tool_controller.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "canvas/paint_tools.h"
#include "canvas/select_tools.h"

namespace celwright {

ToolController::ToolController(TBAMForm& form) : form_(form) { form_.ToolLayer = this; }

ToolController::~ToolController() {
  if (form_.ToolLayer == this) form_.ToolLayer = nullptr;
}

Point ToolController::FramePixel(int x, int y) const {
  const int zoom = std::max(form_.Zoom, 1);
  auto floor_div = [zoom](int value) {
    return value >= 0 ? value / zoom : -((-value + zoom - 1) / zoom);
  };
  return {floor_div(x - form_.ImageOrigin.X), floor_div(y - form_.ImageOrigin.Y)};
}

bool ToolController::StrokeTool() const {
  switch (form_.Options().Tool) {
    case ToolKind::Pencil:
    case ToolKind::Brush:
    case ToolKind::Erase:
    case ToolKind::CloneBrush:
    case ToolKind::Stamp:
      return true;
    default:
      return false;
  }
}

void ToolController::ModifyBAM(int x, int y, std::uint8_t button) {
  ToolState& tool = form_.Tool;
  // Between clicks the open polygon of a selection follows the pointer with no button held.
  const bool polygon_follows =
      form_.Options().Tool == ToolKind::SelPoly && form_.Selecting && !form_.MovingSelection;
  if (button == kNoButton && !polygon_follows) return;
  if (tool.ShapeKind == 1 && tool.PointCount > 1) return;
  const TBAMFrame& frame = form_.FrameRec;
  if (form_.CurrentFrame == -1 || frame.Width <= 0 || frame.Height <= 0) return;
  if (tool.FixTextRequest) {
    FixText();
    return;
  }

  tool.DrawButton = button;
  x = std::clamp(x, 0, frame.Width - 1);
  y = std::clamp(y, 0, frame.Height - 1);
  const DocumentOptions& options = form_.Options();
  PaintCall call{.Form = form_, .X = x, .Y = y, .Button = button, .IncludeEnd = include_end_};
  call.Stamp = &stamp_;
  const bool left = button == kLeftButton, right = button == kRightButton;
  if (form_.Paletted()) {
    call.DrawIndex = left ? options.ForegroundIndex : options.BackgroundIndex;
    call.OtherIndex = right ? options.ForegroundIndex : options.BackgroundIndex;
    call.DrawColour = IndexColour(form_.BAM, call.DrawIndex);
    call.OtherColour = IndexColour(form_.BAM, call.OtherIndex);
  } else {
    call.DrawColour = left ? options.ForegroundColour : options.BackgroundColour;
    call.OtherColour = right ? options.ForegroundColour : options.BackgroundColour;
    if (form_.TrueColour()) call.DrawAlpha = left ? options.ForegroundAlpha : options.BackgroundAlpha;
  }

  // A shape keeps the colours of the press that started it: the curve's and the polygon's
  // later presses count as left-button ones and must not recolour a right-button shape.
  if (!tool.ShapeActive) {
    tool.ShapeColour = call.DrawColour;
    tool.ShapeIndex = call.DrawIndex;
    tool.ShapeFillColour = call.OtherColour;
    tool.ShapeFillIndex = call.OtherIndex;
  }

  bool copy_back = false;
  // A stroke step changes only the pixels its dabs cover: the box is all that is compared,
  // copied and redrawn.
  std::optional<Rect> step_box;
  const Rect whole{0, 0, frame.Width, frame.Height};
  const bool direct = PaintsDirectly();
  if (direct) call.Pair = &form_.WorkImage;
  bool fill_changes = false;
  bool painted_directly = false;  // on the frame itself, telling a change without Tail
  switch (options.Tool) {
    case ToolKind::Mag:
      ZoomStep(button);
      return;
    case ToolKind::ColPick:
      if (!direct) form_.SelImage = form_.WorkImage;
      PickColour(call);
      if (ColoursChanged) ColoursChanged();
      break;
    case ToolKind::Pencil:
      step_box = StrokeBox(call);
      direct ? SetAside(*step_box) : SyncScratch(*step_box);
      painted_directly = direct;
      copy_back = PaintPencil(call);
      break;
    case ToolKind::Brush:
    case ToolKind::Erase:
    case ToolKind::CloneBrush:
    case ToolKind::Stamp:
      step_box = StrokeBox(call);
      if (direct) {
        SetAside(step_box.value_or(whole));
      } else if (step_box) {
        SyncScratch(*step_box);
      } else {
        form_.SelImage = form_.WorkImage;
      }
      painted_directly = direct;
      copy_back = PaintBrushFamily(call);
      if (!copy_back) return;
      break;
    case ToolKind::Fill:
      if (direct) {
        fill_changes = FillChanges(call);
      } else {
        form_.SelImage = form_.WorkImage;
      }
      painted_directly = direct;
      copy_back = PaintFill(call);
      break;
    // The selection tools change the mask only, so nothing is copied back.
    case ToolKind::SelRect:
      if (form_.MovingSelection || !form_.Selecting) return;
      SelectRectangle(call);
      break;
    case ToolKind::SelWand:
      if (form_.MovingSelection || !form_.Selecting) return;
      SelectWand(call);
      break;
    case ToolKind::SelPoly:
      if (form_.MovingSelection || !form_.Selecting || tool.PointCount <= 0) return;
      SelectPolygon(call, closing_polygon_);
      break;
    case ToolKind::SetCent:
      SetCentre(call);
      break;
    case ToolKind::Line:
    case ToolKind::Curve:
    case ToolKind::Rect:
    case ToolKind::RoundRect:
    case ToolKind::Ellipse:
    case ToolKind::Poly:
      // The press that starts a shape only records its button and colours.
      if (!tool.ShapeActive) return;
      form_.SelImage = form_.WorkImage;
      FinishShape(call);
      Tail();
      tool.ShapeActive = false;
      form_.AddHistoryItem();
      break;
    default:
      return;
  }
  if (copy_back && painted_directly) {
    form_.Log().Append(" Update Image Cache...");
    const bool changed = options.Tool == ToolKind::Fill ? fill_changes
                                                        : ChangedSinceAside(step_box.value_or(whole));
    if (changed) CountChange();
    form_.Log().Append(" [OK]");
  } else if (copy_back) {
    step_box ? Tail(*step_box) : Tail();
  }
  if (!step_box) {
    form_.RedrawImage(false);
    return;
  }
  RedrawStep(*step_box);
}

// Copies the scratch pair back where the selection mask allows, and counts the step as an edit
// only when a pixel really changed, so a click that changes nothing adds no history step.
void ToolController::Tail() {
  constexpr int kAll = std::numeric_limits<int>::max();
  Tail({0, 0, kAll, kAll});
}

void ToolController::Tail(const Rect& box) {
  form_.Log().Append(" Update Image Cache...");
  const Bitmap& mask = form_.SelMask;
  bool changed = false;
  for (std::size_t k = 0; k < 2; ++k) {
    const Bitmap& scratch = form_.SelImage[k];
    Bitmap& work = form_.WorkImage[k];
    // Colours are 24 bits, or 32 with alpha in a true-colour document; index planes 8.
    if (scratch.Width() != work.Width() || scratch.Height() != work.Height() ||
        scratch.Format() != work.Format() ||
        (work.Format() != PixelFormat::Bits24 && work.Format() != PixelFormat::Bits32 &&
         work.Format() != PixelFormat::Index8))
      continue;
    const std::size_t bytes = static_cast<std::size_t>(work.BytesPerPixel());
    // An empty mask: nothing is selected, so every pixel is editable.
    const bool everything = mask.Empty();
    const Rect inside = box.Intersect(
        {0, 0, everything ? work.Width() : std::min(work.Width(), mask.Width()),
         everything ? work.Height() : std::min(work.Height(), mask.Height())});
    if (inside.Empty()) continue;
    const std::size_t span = static_cast<std::size_t>(inside.Width());
    const std::size_t offset = bytes * static_cast<std::size_t>(inside.left);
    for (int y = inside.top; y < inside.bottom; ++y) {
      const std::uint8_t* from = scratch.Row(y);
      std::uint8_t* to = work.Row(y);
      if (std::memcmp(from + offset, to + offset, span * bytes) == 0) continue;
      const std::uint8_t* selected = everything ? nullptr : mask.Row(y);
      if (everything || std::memchr(selected + inside.left, 1, span) == nullptr) {
        // The whole span is editable (always so without a selection): one copy.
        std::memcpy(to + offset, from + offset, span * bytes);
        changed = true;
        continue;
      }
      for (int x = inside.left; x < inside.right; ++x) {
        const std::size_t at = bytes * static_cast<std::size_t>(x);
        if (selected[x] != 0 || std::memcmp(from + at, to + at, bytes) == 0) continue;
        std::memcpy(to + at, from + at, bytes);
        changed = true;
      }
    }
  }
  form_.Log().Append(" [OK]");
  if (changed) CountChange();
}

void ToolController::CountChange() {
  form_.ImageChanged = true;
  form_.HistoryPending = true;
}

void ToolController::ZoomStep(std::uint8_t button) {
  DocumentOptions& options = form_.Options();
  const int before = options.MagnificationIndex;
  form_.Log().Line("MDFY: Change Magnification (" + std::to_string(before) + ">>");
  if (button == kLeftButton && before < kMagnificationSteps - 1) ++options.MagnificationIndex;
  if (button == kRightButton && before > 0) --options.MagnificationIndex;
  form_.Log().Append(std::to_string(options.MagnificationIndex) + ")... [OK]");
  form_.Tool.DrawButton = kNoButton;
  form_.MagnificationChanged();
  form_.NotifyCommandsChanged();
}

void ToolController::ToolBtnClick(const std::string& tool_name) {
  // Fixing the selection in place ends every tool activity as well.
  form_.FixSelectionPosition();
  if (form_.ToolLayer != this) EndToolActivity();
  form_.Log().Line("TOOL: " + tool_name);
  form_.RedrawImage(false);
}

void ToolController::EndToolActivity() {
  FixPendingText();
  ToolState& tool = form_.Tool;
  AbandonSelection(form_);
  tool.Panning = false;
  form_.CloneSource = {};
  tool.PolyPoints.resize(1);
  tool.PointCount = 0;
  // A polygon counts its button as held between presses; nothing is held once it is dropped.
  if (tool.ShapeActive) tool.DrawButton = kNoButton;
  tool.ShapeActive = false;
  tool.PolygonClosing = false;
}

void ToolController::Inform(const std::string& text) {
  if (ShowMessage) {
    ShowMessage(text);
  } else if (DocumentPrompts* prompts = form_.Prompts()) {
    prompts->ShowInformation(form_.Options().ApplicationTitle, text);
  }
}

}  // namespace celwright
