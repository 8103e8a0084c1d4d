#pragma once

#include "canvas/paint_tools.h"

namespace celwright {

// The three selection tools build SelMask; a press inside a selection drags its pixels instead.
bool IsSelectionTool(ToolKind tool);

// Whether frame pixel `p` (frame coordinates) shows a selected pixel, wherever the selection
// has been moved to.
bool InsideSelection(const TBAMForm& form, Point p);

// What the edit cycle is to do after a press of a selection tool.
enum class SelectionPressAction {
  None,         // the press only started a move (or did nothing)
  EditCycle,    // run ModifyBAM at the point with the pressed button
  WandOnce,     // run ModifyBAM at the point with the left button, once
  ClosePolygon  // as EditCycle, and the polygon ends with this point
};

// A press of a selection tool at frame pixel `p`: starts a new (replacing, added or subtracted)
// selection, adds a polygon vertex, or lifts the selection to drag it.
SelectionPressAction SelectionPress(TBAMForm& form, Point p, ShiftKeys shift);

// The pointer moved to `p` while the selected pixels are dragged.
void MoveSelection(TBAMForm& form, Point p);

// A release of a selection tool: completes a rectangle and rebuilds the background of a changed
// selection.
void SelectionRelease(TBAMForm& form);

// A selection under construction is given up (tool change, Esc): the selection before it
// comes back when it was being added to or subtracted from, else nothing stays selected.
void AbandonSelection(TBAMForm& form);

// Branches of the edit cycle. They change only the selection (or the centre point).
void SelectRectangle(PaintCall& call);
void SelectWand(PaintCall& call);
void SelectPolygon(PaintCall& call, bool closing);
void SetCentre(PaintCall& call);

}  // namespace celwright
