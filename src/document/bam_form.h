#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "document/doc_type.h"
#include "document/document_hosts.h"
#include "document/document_log.h"
#include "document/document_options.h"
#include "document/document_history.h"
#include "document/onion_skin.h"
#include "document/tool_activity.h"
#include "document/tool_state.h"
#include "document/view_composer.h"
#include "document/view_geometry.h"
#include "model/qm_BAM.h"
#include "support/bitmap.h"
#include "support/geometry.h"

namespace celwright {

// The cycle being played in the window: a copy, so list edits during playback cannot pull the
// frames from under the timer.
struct TPlayCycle {
  std::int32_t FirstIndex = 0;
  std::int32_t Count = 0;
  TSmallLookup Frames;
  std::int32_t Position = -1;
};

// A picture file as the picture reader delivers it: 24 bits, or 8 bits with its colour table,
// and the file's 256-entry palette.
struct LoadedPicture {
  Bitmap Picture;
  Palette256 Palette{};
};
// Reads a picture file of the given kind (the import dialog's filter index); throws with a
// message when it cannot.
using PictureLoader = std::function<LoadedPicture(const std::string& file_name,
                                                  std::uint8_t file_type)>;

// The log's reason when a selection command finds no selected pixel to work on.
inline constexpr const char* kNothingSelected = " [ABORTED] (The selection covers no pixel)";

// One state of the document as the history viewer lists it: the state it was opened in, then
// the state after each step.
struct HistoryViewItem {
  std::string Label;
  bool Current = false;  // the state on screen
};

// The document window's logic: owns the animation and every buffer of the frame being edited,
// shows a frame (writing pending edits back into the frame they belong to), composes the
// magnified view, keeps the undo history, plays a cycle and runs the frame operations. It knows
// no toolkit: the window forwards its events here and paints ViewImage at ViewOrigin.
struct CopiedFrame;

class TBAMForm {
 public:
  // Takes the display settings from `options`, which must outlive the window.
  explicit TBAMForm(DocumentOptions& options, DocumentHosts hosts = {},
                    DocumentLog log = DefaultDocumentLog());
  ~TBAMForm();
  TBAMForm(const TBAMForm&) = delete;
  TBAMForm& operator=(const TBAMForm&) = delete;

  // --- Buffers -----------------------------------------------------------------------------
  Bitmap MarkerMask{0, 0, PixelFormat::Bits1};
  // The client area as it is to be shown: window colour, the magnified frame, sizer blocks.
  Bitmap ViewImage;
  // Each pair: [0] the colours (32 bits with alpha in a true-colour document, else 24), [1] the
  // index plane (one palette index a pixel; blank when the document is not paletted).
  std::array<Bitmap, 2> OverlayImage{Bitmap(), Bitmap(0, 0, PixelFormat::Index8)};
  std::array<Bitmap, 2> WorkImage{Bitmap(), Bitmap(0, 0, PixelFormat::Index8)};
  std::array<Bitmap, 2> BackImage{Bitmap(), Bitmap(0, 0, PixelFormat::Index8)};
  std::array<Bitmap, 2> CloneSource{Bitmap(), Bitmap(0, 0, PixelFormat::Index8)};
  std::array<Bitmap, 2> SelImage{Bitmap(), Bitmap(0, 0, PixelFormat::Index8)};
  // Black = selected; empty when nothing is selected, as every pixel is then editable.
  Bitmap SelMask{0, 0, PixelFormat::Bits1};
  Bitmap SelMaskCopy{0, 0, PixelFormat::Bits1};

  // --- Document state ----------------------------------------------------------------------
  TBAM BAM;
  TPlayCycle PlayCycle;
  TBAMFrame FrameRec;
  std::int32_t CurrentFrame = -1;
  ViewPoint ImageOrigin;  // client position of the magnified frame's top-left corner
  // While set, redraws keep ImageOrigin where it is instead of centring the frame's centre
  // point, so a drag that moves the centre does not slide the frame under the pointer.
  bool HoldImageOrigin = false;
  ViewPoint ViewOrigin;  // client position of ViewImage (the whole client area: 0, 0)
  bool ImageChanged = false;
  bool Modified = false;
  int Zoom = 1;
  bool HistoryPending = false;
  bool HasSelection = false;
  bool Selecting = false;
  // The floating selection: its content (SelImage, SelMask) is shown displaced by SelOffset over
  // BackImage until FixSelectionPosition bakes it in.
  Point SelOffset;
  bool SelMoved = false;         // dragged since it was last baked
  bool SelChanged = false;       // the shape changed; the next release rebuilds BackImage
  bool MovingSelection = false;  // a drag of the selected pixels is in progress
  std::uint8_t SelectionMode = 0;  // 0 replace, 1 add, 2 subtract
  bool ViewTransparency = false;
  TDocType DocType = dtBAM;
  // Injected by the app; reads the picture files ImportFrame is given.
  PictureLoader LoadPicture;
  // The drag in progress, and the tool layer that runs it (null: nothing is drawn on top).
  ToolState Tool;
  ToolActivity* ToolLayer = nullptr;

  // --- What the tools reach through the window ------------------------------------------------
  DocumentOptions& Options() { return options_; }
  const DocumentOptions& Options() const { return options_; }
  const DocumentLog& Log() const { return log_; }
  DocumentPrompts* Prompts() const { return hosts_.Prompts; }
  bool Paletted() const { return BAM.Paletted(); }
  // Frames hold colours with alpha: WorkImage[0] and the buffers paired with it are 32-bit.
  bool TrueColour() const { return BAM.GetBAMType() == kTrueColourBAM; }
  PixelFormat ColourFormat() const {
    return TrueColour() ? PixelFormat::Bits32 : PixelFormat::Bits24;
  }
  void NotifyCommandsChanged();

  // --- Showing frames ------------------------------------------------------------------------
  // Writes pending edits back, then loads frame `index` into the working images. An index
  // outside the document empties the window and returns false.
  bool ShowFrame(std::int32_t index);
  // The window's title: the file's name, with the frame shown when there is one.
  std::string Caption() const;
  // Encodes pending edits into the frame being edited. Anything that changes the frame list
  // behind the window's back calls this first, so edits cannot land in another frame.
  void CommitPendingEdits();
  // Forgets pending edits (the frame they belong to is going away).
  void DropPendingEdits();
  // Writes a text block still being placed into the frame, as its own history step. Everything
  // that writes the frame back, renumbers frames or replaces WorkImage calls this first.
  void FixPendingText();
  // Pending text, then a moved selection, land in WorkImage, each as its own history step:
  // what a save, a close question or a size change must see.
  void LandPendingEdits();

  // --- View ------------------------------------------------------------------------------
  void RedrawImage(bool keep_overlay);
  // After a change inside `frame_box` (frame pixels) alone: the overlay, the view and the
  // window's repaint cover only that box, scaled to the zoom. The box must also hold the tool
  // overlay as it was last drawn and as it is now. Anything the box cannot describe (a new
  // layout, a selection marker, plug-in overlays, onion skins) takes the full redraw.
  void RedrawArea(const Rect& frame_box);
  void FormResize(const ViewportSize& viewport);
  void Scroll_Change(int horizontal_position, int vertical_position);
  void DrawSizerBlocks(bool show);
  void ClearOuter(const TBAMFrame& old_frame, const TBAMFrame& new_frame);
  // The main window's magnification list changed.
  void MagnificationChanged();
  // Zoom out / in by one step of the list; the event counts as handled. With an anchor (the
  // pointer, in client pixels) the frame point under it stays there as far as the scroll bars
  // allow.
  bool FormMouseWheelDown(std::optional<ViewPoint> anchor = std::nullopt);
  bool FormMouseWheelUp(std::optional<ViewPoint> anchor = std::nullopt);
  void ZoomAbout(int magnification_index, std::optional<ViewPoint> anchor);
  const ScrollBarState& HorizontalScroll() const { return horizontal_; }
  const ScrollBarState& VerticalScroll() const { return vertical_; }
  const ViewportSize& Viewport() const { return viewport_; }
  // Tool previews (cursor, selection marker) drawn onto the overlay pair on each rebuild.
  std::function<void(std::array<Bitmap, 2>& overlay)> DrawOverlays;

  // --- Playback --------------------------------------------------------------------------
  // Plays the sequence selected in the main window; false when there is none or it is empty.
  bool PlaySequence();
  void Timer1Timer();
  void StopSequence();
  bool Playing() const { return playing_; }

  // --- Information and questions ------------------------------------------------------------
  std::string FileInfo();
  std::string SequenceInfo();
  std::string FrameInfo();
  bool CheckCanClose();
  bool ConvertToBAMQuery();

  // --- History (bam_form_history.cpp) -------------------------------------------------------
  // Writes the tool's edits of the frame on show into the animation as one step, named `name`
  // or after the tool, when HistoryPending says there are any.
  void AddHistoryItem(const std::string& name = {});
  // Brackets a change of the animation (frames of `span`, cycles, palette, properties) as one
  // step; pending edits of the frame on show become their own step first. Brackets nest: the
  // outermost makes the step. BeginChange is false, after telling the user, when the step
  // cannot be kept: the caller must then leave the change unmade.
  bool BeginChange(const std::string& name, FrameSpan span);
  void EndChange();
  // Both around `change`; false when the change was refused. A change that throws keeps (and
  // records) what it did before the throw.
  bool RecordChange(const std::string& name, FrameSpan span, const std::function<void()>& change);
  // Pending text and a floating selection land first (a step each), so undo takes them away.
  void Undo();
  void Redo();
  // Undoes or redoes until `position` steps are done (the history viewer's rows).
  void JumpInHistory(int position);
  int UndoCount() const { return history_.UndoCount(); }
  int RedoCount() const { return history_.RedoCount(); }
  // An edit not yet recorded (a floating selection, pending text) is undone as a step too.
  bool CanUndo() const {
    return UndoCount() > 0 || (HasSelection && SelMoved) || Tool.TextPending || ImageChanged;
  }
  // The names the Undo and Redo commands show; empty when there is no such step.
  std::string UndoName() const;
  std::string RedoName() const;
  const DocumentHistory& History() const { return history_; }
  std::vector<HistoryViewItem> HistoryViewItems() const;
  // A newly loaded or created animation: no step, and this state counts as saved.
  void ResetHistory();
  // The animation was saved: the "*" goes, and comes back when undo or redo leave this state.
  void MarkSaved();
  void SetHistoryBudget(std::size_t bytes) { history_.SetBudget(bytes); }
  // Takes back tool edits not yet recorded: the frame on show as the animation holds it.
  void RevertUnrecordedEdits();
  DocumentProperties CurrentProperties() const {
    return DocumentProperties::Of(BAM, static_cast<std::uint8_t>(DocType));
  }

  // --- Frame operations --------------------------------------------------------------------
  void InsertFrame(std::int32_t index, std::int32_t cycle, std::int32_t position);
  void DuplicateFrameInSeq(std::int32_t index, std::int32_t cycle, std::int32_t position);
  void DuplicateFrame(std::int32_t index);
  void DeleteFrame(std::int32_t index);
  void ImportFrame(const std::string& file_name, std::uint8_t file_type, std::int32_t index,
                   std::int32_t cycle, std::int32_t position);
  // Adds copies of frames, from this animation or another, after the last frame and in no
  // sequence, as one step; each looks as it did where it was copied. Returns the first new
  // frame's index, -1 when there was nothing to add.
  std::int32_t PasteFrames(const std::vector<CopiedFrame>& frames);
  void FixFrameSize(int dx, int dy, int centre_x, int centre_y, int width, int height,
                    bool no_history, bool fill_transparent);

  // --- Selection (bam_form_selection.cpp) -------------------------------------------------
  // Bakes a moved selection in, then resets the selection to "everything" at the frame's size.
  void SelectionClear();
  // Lets go of the scratch pair (SelImage) when no selection holds it.
  void ReleaseScratch();
  // Bakes a moved selection in first, so the new selection starts from what is on screen.
  void SelectionAll();
  // The bounding box of the selected pixels of SelMask (mask coordinates, right and bottom just
  // outside); Empty() when no pixel is selected.
  Rect GetSelSize() const;
  // BackImage := WorkImage with the selected area in the background colour and index.
  void MakeSelectionBG();
  // Ends every tool activity, and bakes a moved selection into the frame as one history step.
  void FixSelectionPosition();
  // Rebuilds MarkerMask, the outline of the selection at its current place.
  void MakeSelMarkerMask();
  // WorkImage[j] := BackImage[j] with SelImage[j] drawn through SelMask at SelOffset.
  void ComposeSelection();
  // Makes a selection that lies baked in the frame float: its content is lifted from what is
  // on screen and BackImage rebuilt. A selection that already floats (SelMoved) stays as it is,
  // unless pending text lands first: the text then lands in the frame, the selection with it.
  void FloatSelection();
  // Ends a selection command: rebuilds the marker, the background when the shape changed, and
  // records a pending history step.
  void FinishSelection();
  // A selection that holds at least one pixel: what copy, cut, clear and crop need.
  bool SomethingSelected() const;
  // Moves the selected pixels by (dx, dy), floating them as a drag would (the arrow keys).
  // False when there is no finished selection to move.
  bool NudgeSelection(int dx, int dy);
  // The selection commands. Copy, cut and crop of a selection that covers no pixel change
  // nothing and say so in the log; copy returns whether it copied.
  void SelectionInvert();
  bool SelectionCopy();
  void SelectionCut();
  void SelectionDelete();
  // Pastes the clipboard's picture as a floating selection at the frame's top-left corner;
  // `fit_frame` first gives the frame the picture's size (a new frame made for the paste).
  bool PasteCopied(bool fit_frame = false);
  // The two halves of a paste, for a caller that must know it can be made before preparing the
  // frame for it. The clipboard's picture made ready for this document; empty when there is
  // nothing that can be pasted, with `refusal` set when there is a reason to give (a picture
  // too large for a frame, or one that cannot be read).
  std::array<Bitmap, 3> ClipboardPasteImages(std::string& refusal);
  // Places what ClipboardPasteImages gave; with nothing to place it logs the abort and shows
  // the refusal, if any.
  bool PastePicture(const std::array<Bitmap, 3>& pasted, const std::string& refusal,
                    bool fit_frame);
  void Crop();
  // Inverts the overlay pair along MarkerMask.
  void DrawSelectMarker(std::array<Bitmap, 2>& overlay) const;
  // The background the selection leaves behind: colour and index (0 for unpaletted documents).
  TColor SelectionBackColour() const;
  std::uint8_t SelectionBackIndex() const;

  // --- Reflect, flip and rotate (bam_form_transform.cpp) ------------------------------------
  // Each acts on the selection, or on the whole frame in one history step when nothing is
  // selected. A turned whole frame takes the turned size; a turned selection keeps the top-left
  // corner of its bounding box and the frame its size. Angles are radians, counter-clockwise.
  void SelectionMirror();  // left-right
  void SelectionFlip();    // top-bottom
  void SelectionRotateFree(long double angle);
  bool FrameShown() const;

  // --- Palette and colour kind (bam_form_palette.cpp) -------------------------------------
  // Shows the current palette and display colours without touching the history, the selection
  // or the frame data: previews, Cancel and display-colour changes come through here.
  void RerenderPalette();
  // Puts `palette` in place and shows it the same way (a preview, or Cancel's saved copy).
  void PreviewPalette(const Palette256& palette);
  // What every palette command does once the palette is final: marks the document modified,
  // shows the frame in the new colours and records a history step that Undo can take back.
  void RecordPaletteChange(const std::string& name = "Palette");
  // Converts the whole animation between paletted and unpaletted, asking first when the kind of
  // file the document came from cannot hold the result. Pending edits are written back first.
  // Returns false when nothing was converted.
  bool ConvertBAMType(std::uint8_t new_type, const TProgressEvent& on_progress);
  // Unpaletted documents only: the background colour becomes the transparent colour and the
  // foreground colour the shadow colour, after the user agreed. False when nothing changed.
  bool SetPaletteTransparency(TColor foreground, TColor background);
  // The user's display colours for transparent and shadow pixels. They only mean something for
  // a paletted document: an unpaletted one's colours say which pixels are transparent, so they
  // are left alone there. Returns whether the document took them.
  bool ApplyDisplayColours(TColor trans_col, TColor shadow_col, bool override_trans,
                           bool override_shadow);

 private:
  void RebuildOverlays();
  bool CanRedrawArea() const;
  ViewSources FrameViewSources() const;
  // Draws the tool's overlay box on WorkImage for a composition and takes it away after.
  class ToolOverlayPass;
  void PaintSizerBlocks(bool show);
  void EnsureHistory();
  // Inserts a new or duplicated frame as one step named `name` and the frame's number.
  void InsertFrameStep(const std::string& name, std::int32_t index, std::int32_t cycle,
                       std::int32_t position, bool duplicate);
  // Writes the working images into the frame on show as a step named `name`.
  void CommitFrameEdits(const std::string& name);
  void MoveInHistory(bool back);
  // Draws frame CurrentFrame (FrameRec) from the animation into the working images.
  void LoadWorkImages();
  void RefuseStep(const std::string& name);
  void NotifyPaletteChanged();
  void MirrorSelection(bool left_right);
  void PlaceTransformedSelection();
  // Ends Select All and Invert once SelMask holds the new shape: the whole frame is its content.
  void TakeNewSelectionMask();
  // A whole-frame change of WorkImage becomes one history step and is shown.
  void RecordWholeFrameEdit();

  DocumentOptions& options_;
  DocumentHosts hosts_;
  DocumentLog log_;
  DocumentHistory history_;
  int change_depth_ = 0;
  ViewportSize viewport_;
  ScrollBarState horizontal_;
  ScrollBarState vertical_;
  bool sizer_blocks_shown_ = false;
  bool playing_ = false;
  OnionUnderlay onion_;
  // OverlayImage is WorkImage with the overlays of the last rebuild, so a box can be redone.
  bool overlay_current_ = false;
  // OverlayImage holds that pair. When the only overlay is the tool's within a box (the brush
  // preview) or none, it is not kept, which spares two copies of the frame: the view is composed
  // from WorkImage with the box drawn on it for the composition only.
  bool overlay_kept_ = false;
  bool OverlayKept() const;
};

}  // namespace celwright
