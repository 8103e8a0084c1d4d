#include <gtest/gtest.h>

#include <optional>

#include "canvas/paint_fixture.h"
#include "document/buffer_ops.h"
#include "document/selection_transfer.h"
#include "document/work_image_render.h"

namespace celwright {
namespace {

using testing::PaintFixture;

constexpr ShiftKeys kShift{.Shift = true};
constexpr ShiftKeys kCtrl{.Ctrl = true};

// Editable: inside the selection, or anywhere when nothing is selected (an empty mask).
bool Selected(const PaintFixture& f, int x, int y) {
  return f.form.SelMask.Empty() || f.form.SelMask.Row(y)[x] == 0;
}

// The clipboard as another program or editor instance would see it: our own copies travel as
// the bytes of the private format, pictures of other programs as plain pictures.
class FakeClipboard : public SelectionClipboard {
 public:
  void PutSelection(const std::array<Bitmap, 3>& copied, bool paletted,
                    const Bitmap& shown) override {
    bytes = EncodeSelectionCopy(copied, paletted);
    picture = shown;
  }
  std::optional<ClipboardContent> GetSelection() override {
    if (!bytes.empty()) return DecodeSelectionCopy(bytes);
    if (picture.Empty()) return std::nullopt;
    ClipboardContent content;
    content.Picture = picture;
    return content;
  }
  std::vector<std::uint8_t> bytes;
  Bitmap picture;
};

TEST(SelectionTools, RectangleMoveCopyAndUndo) {
  PaintFixture f;
  FakeClipboard clipboard;
  f.options.Clipboard = &clipboard;
  const Bitmap original = f.form.WorkImage[1];
  f.Choose(ToolKind::SelRect);
  f.Drag({2, 2}, {11, 6});
  ASSERT_TRUE(f.form.HasSelection);
  EXPECT_EQ(f.form.GetSelSize(), (Rect{2, 2, 12, 7}));
  EXPECT_EQ(f.form.MarkerMask.Row(2)[2], 0);  // outline
  EXPECT_EQ(f.form.MarkerMask.Row(4)[5], 1);  // inside
  ASSERT_TRUE(f.form.SelectionCopy());
  const std::array<Bitmap, 3> first = f.options.CopiedImage;
  EXPECT_EQ(first[0].Width(), 10);
  EXPECT_EQ(first[0].Height(), 5);
  EXPECT_EQ(clipboard.picture.Width(), 10);

  // Dragging inside moves the pixels; the grabbed pixel stays under the pointer.
  f.Drag({4, 4}, {7, 5});
  EXPECT_EQ(f.form.SelOffset, (Point{3, 1}));
  EXPECT_EQ(f.IndexAt(5, 3), RedOf(original.GetPixel(2, 2)));
  EXPECT_EQ(f.IndexAt(2, 2), f.options.BackgroundIndex);
  EXPECT_EQ(f.form.MarkerMask.Row(3)[5], 0);
  ASSERT_TRUE(f.form.SelectionCopy());
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(f.options.CopiedImage[i], first[i]) << i;

  // The move was never recorded on its own: undo bakes it as a step and takes it back, and
  // the selection goes, so a later delete cannot bring anything back.
  const int steps = f.form.UndoCount();
  f.form.Undo();
  EXPECT_EQ(f.form.UndoCount(), steps);
  EXPECT_FALSE(f.form.HasSelection);
  EXPECT_EQ(f.form.WorkImage[1], original);
  f.form.SelectionDelete();
  EXPECT_EQ(f.form.WorkImage[1], original);
}

TEST(SelectionTools, TrueColourMoveCopyPasteFillAndUndoCarryAlpha) {
  PaintFixture f(false);
  FakeClipboard clipboard;
  f.options.Clipboard = &clipboard;
  f.ShowTrueColourRamp();
  f.form.ResetHistory();
  const Bitmap original = f.form.WorkImage[0];
  ASSERT_EQ(original.Format(), PixelFormat::Bits32);

  // A moved selection keeps its alpha and leaves see-through pixels behind.
  f.Choose(ToolKind::SelRect);
  f.Drag({2, 2}, {5, 5});
  ASSERT_TRUE(f.form.SelectionCopy());
  f.Drag({3, 3}, {13, 3});
  f.form.FixSelectionPosition();
  EXPECT_EQ(f.form.WorkImage[0].GetAlpha(12, 2), original.GetAlpha(2, 2));
  EXPECT_EQ(f.form.WorkImage[0].GetPixel(12, 2), original.GetPixel(2, 2));
  EXPECT_EQ(f.form.WorkImage[0].GetAlpha(2, 2), 0);

  // The clipboard's bytes carry the alpha to a paste.
  ASSERT_TRUE(f.form.PasteCopied());
  f.form.FixSelectionPosition();
  EXPECT_EQ(f.form.WorkImage[0].GetAlpha(0, 0), original.GetAlpha(2, 2));
  EXPECT_EQ(f.form.WorkImage[0].GetAlpha(3, 3), original.GetAlpha(5, 5));

  // A fill stops where alpha changes, and paints opaque.
  f.form.SelectionClear();
  f.options.ForegroundColour = MakeColor(1, 2, 3);
  f.Choose(ToolKind::Fill);
  f.Click(31, 20);
  EXPECT_EQ(f.form.WorkImage[0].GetAlpha(31, 20), 255);
  EXPECT_EQ(f.form.WorkImage[0].GetPixel(31, 0), MakeColor(1, 2, 3));
  EXPECT_EQ(f.form.WorkImage[0].GetAlpha(30, 20), original.GetAlpha(30, 20));

  // A mirrored frame and a grown one keep alpha; the new area is see-through.
  const Bitmap filled = f.form.WorkImage[0];
  f.form.SelectionMirror();
  EXPECT_EQ(f.form.WorkImage[0].GetAlpha(1, 9), filled.GetAlpha(30, 9));
  f.form.FixFrameSize(0, 0, 16, 16, 34, 32, false, true);
  EXPECT_EQ(f.form.WorkImage[0].GetAlpha(33, 9), 0);
  EXPECT_EQ(f.form.WorkImage[0].GetAlpha(1, 9), filled.GetAlpha(30, 9));

  while (f.form.UndoCount() > 0) f.form.Undo();
  EXPECT_EQ(f.form.WorkImage[0], original);
}

TEST(SelectionTools, ShiftAddsCtrlRemovesAndThePointerSaysWhich) {
  PaintFixture f;
  f.Choose(ToolKind::SelRect);
  f.Drag({2, 2}, {5, 5});
  f.Drag({8, 8}, {10, 10}, kShift);
  EXPECT_TRUE(Selected(f, 3, 3));
  EXPECT_TRUE(Selected(f, 9, 9));
  EXPECT_FALSE(Selected(f, 6, 6));
  f.Drag({2, 2}, {3, 3}, kCtrl);
  EXPECT_FALSE(Selected(f, 2, 2));
  EXPECT_TRUE(Selected(f, 4, 4));
  EXPECT_TRUE(f.form.HasSelection);

  f.Move(4, 4);
  EXPECT_EQ(f.tools.Pointer(), PointerShape::HandPoint);
  f.tools.FormKeyDown(kCtrl);
  EXPECT_EQ(f.tools.Pointer(), PointerShape::SelRemRect);
  f.tools.FormKeyDown(kShift);
  EXPECT_EQ(f.tools.Pointer(), PointerShape::SelAddRect);
  f.tools.FormKeyUp({});
  f.Move(20, 20);
  EXPECT_EQ(f.tools.Pointer(), PointerShape::SelectRect);

  // Shift over the selection starts an added rectangle instead of a move.
  f.Drag({4, 4}, {6, 6}, kShift);
  EXPECT_EQ(f.form.SelOffset, (Point{0, 0}));
  EXPECT_TRUE(Selected(f, 6, 6));
}

TEST(SelectionTools, WandTakesOnlyTheConnectedAreaShiftAddsCtrlRemoves) {
  PaintFixture f(false);
  Bitmap& colours = f.form.WorkImage[0];
  FillBitmap(colours, MakeColor(10, 20, 30));
  for (int y = 0; y < 32; ++y) {
    colours.SetPixel(10, y, MakeColor(200, 0, 0));
    colours.SetPixel(20, y, MakeColor(200, 0, 0));
  }
  f.Choose(ToolKind::SelWand);
  f.Click(5, 5);
  EXPECT_TRUE(Selected(f, 0, 31));
  EXPECT_FALSE(Selected(f, 10, 5));
  EXPECT_FALSE(Selected(f, 15, 5));
  f.tools.FormMouseDown(kLeftButton, kShift, f.ClientX(15), f.ClientY(5));
  f.tools.FormMouseUp(kLeftButton, kShift, f.ClientX(15), f.ClientY(5));
  EXPECT_TRUE(Selected(f, 5, 5));
  EXPECT_TRUE(Selected(f, 15, 5));
  EXPECT_FALSE(Selected(f, 25, 5));
  f.tools.FormMouseDown(kLeftButton, kCtrl, f.ClientX(5), f.ClientY(5));
  f.tools.FormMouseUp(kLeftButton, kCtrl, f.ClientX(5), f.ClientY(5));
  EXPECT_FALSE(Selected(f, 5, 5));
  EXPECT_TRUE(Selected(f, 15, 5));
}

TEST(SelectionTools, PolygonClosesByADoubleClickOnItsLastVertex) {
  PaintFixture f;
  f.Choose(ToolKind::SelPoly);
  f.Click(2, 2);
  f.Click(20, 2);  // no move in between: the vertex is where the press is
  f.Move(25, 25);
  EXPECT_TRUE(f.form.Selecting);
  f.Click(20, 20);
  f.Click(20, 20);
  EXPECT_FALSE(f.form.Selecting);
  ASSERT_TRUE(f.form.HasSelection);
  EXPECT_TRUE(Selected(f, 15, 5));
  EXPECT_FALSE(Selected(f, 5, 15));
  EXPECT_FALSE(Selected(f, 24, 24));

  // A polygon left unfinished by a tool change leaves no invisible selection behind.
  f.Click(2, 30);
  f.Click(10, 30);
  f.Choose(ToolKind::Pencil);
  EXPECT_FALSE(f.form.HasSelection);
  EXPECT_TRUE(Selected(f, 30, 0));
}

TEST(SelectionOps, DeleteOfAMovedSelectionIsOneStepWithTheBackground) {
  PaintFixture f;
  f.options.BackgroundIndex = 99;
  const Bitmap original = f.form.WorkImage[1];
  f.Choose(ToolKind::SelRect);
  f.Drag({2, 2}, {5, 5});
  f.Drag({3, 3}, {13, 3});
  const int steps = f.form.UndoCount();
  f.form.SelectionDelete();
  EXPECT_EQ(f.form.UndoCount(), steps + 1);
  EXPECT_FALSE(f.form.HasSelection);
  for (const Point p : {Point{2, 2}, Point{5, 5}}) EXPECT_EQ(f.IndexAt(p.x, p.y), 99);
  EXPECT_EQ(f.IndexAt(13, 3), RedOf(original.GetPixel(13, 3)));
  f.form.Undo();
  EXPECT_EQ(f.form.WorkImage[1], original);
}

TEST(SelectionOps, CropTakesTheMovedPlaceAndAnEmptySelectionChangesNothing) {
  PaintFixture f;
  const Bitmap original = f.form.WorkImage[1];
  f.Choose(ToolKind::SelRect);
  f.Drag({3, 4}, {12, 9});
  f.form.Crop();
  EXPECT_EQ(f.form.FrameRec.Width, 10);
  EXPECT_EQ(f.form.FrameRec.Height, 6);
  EXPECT_EQ(f.form.FrameRec.CentreX, 16 - 3);
  EXPECT_EQ(f.form.FrameRec.CentreY, 16 - 4);
  EXPECT_EQ(f.IndexAt(0, 0), RedOf(original.GetPixel(3, 4)));

  PaintFixture g;
  g.Choose(ToolKind::SelRect);
  g.Drag({3, 4}, {12, 9});
  g.Drag({5, 5}, {7, 7});
  g.form.Crop();
  EXPECT_EQ(g.form.FrameRec.CentreX, 16 - 5);
  EXPECT_EQ(g.form.FrameRec.CentreY, 16 - 6);
  EXPECT_EQ(g.IndexAt(0, 0), RedOf(original.GetPixel(3, 4)));

  PaintFixture h;
  h.Choose(ToolKind::SelRect);
  h.Drag({3, 4}, {12, 9});
  h.Drag({0, 0}, {20, 20}, kCtrl);
  ASSERT_TRUE(h.form.HasSelection);
  EXPECT_FALSE(h.form.SelectionCopy());
  h.form.SelectionCut();
  h.form.Crop();
  EXPECT_EQ(h.form.FrameRec.Width, 32);
  EXPECT_EQ(h.form.WorkImage[1], original);
  EXPECT_NE(h.log.back().find("[ABORTED]"), std::string::npos);
}

TEST(SelectionOps, FloatingSelectionLandsInItsOwnFrame) {
  PaintFixture f;
  const Bitmap original = f.form.WorkImage[1];
  f.Choose(ToolKind::SelRect);
  f.Drag({2, 2}, {5, 5});
  f.Drag({3, 3}, {13, 3});
  // Inserting before the edited frame renumbers it.
  f.form.InsertFrame(0, -1, -1);
  EXPECT_EQ(testing::IndexAt(f.form.BAM, 1, 12, 2), RedOf(original.GetPixel(2, 2)));
  EXPECT_EQ(testing::IndexAt(f.form.BAM, 1, 2, 2), f.options.BackgroundIndex);
}

TEST(SelectionOps, SelectAllAndInvertBakeAMovedSelectionFirst) {
  PaintFixture f;
  const Bitmap original = f.form.WorkImage[1];
  f.Choose(ToolKind::SelRect);
  f.Drag({2, 2}, {5, 5});
  f.Drag({3, 3}, {6, 4});
  const int steps = f.form.UndoCount();
  f.form.SelectionAll();
  EXPECT_EQ(f.form.UndoCount(), steps + 1);
  EXPECT_EQ(f.form.SelOffset, (Point{0, 0}));
  const Bitmap baked = f.form.WorkImage[1];
  // Moving everything by one pixel shows the baked picture, not the one before the move.
  f.Drag({10, 10}, {11, 10});
  EXPECT_EQ(f.IndexAt(6, 3), RedOf(baked.GetPixel(5, 3)));
  EXPECT_EQ(f.IndexAt(6, 3), RedOf(original.GetPixel(2, 2)));

  f.form.SelectionInvert();
  EXPECT_EQ(f.form.SelOffset, (Point{0, 0}));
  EXPECT_FALSE(f.form.SelMoved);
  EXPECT_TRUE(Selected(f, 0, 0));  // the column the move uncovered was not selected
  EXPECT_FALSE(Selected(f, 5, 5));
}

TEST(SelectionClipboard, OwnCopyPastesExactlyEvenForEntriesOfEqualColour) {
  PaintFixture f;
  FakeClipboard clipboard;
  f.options.Clipboard = &clipboard;
  f.form.BAM.Palette[21] = f.form.BAM.Palette[20];
  // A file's transparent entry need not be 0: shown in the transparent colour, it stays itself.
  f.form.BAM.TranspInd = 5;
  Bitmap& indices = f.form.WorkImage[1];
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) indices.SetPixel(x, y, MakeColor(x == y ? 21 : 20, 0, 0));
  indices.SetPixel(1, 2, MakeColor(1, 0, 0));
  indices.SetPixel(2, 1, MakeColor(5, 0, 0));
  RenderIndexImage(f.form.BAM, indices, f.form.WorkImage[0]);
  f.Choose(ToolKind::SelRect);
  f.Drag({0, 0}, {3, 3});
  f.Drag({3, 0}, {3, 0}, kCtrl);  // not a rectangle any more
  ASSERT_TRUE(f.form.SelectionCopy());
  const Bitmap copied = indices;

  // Another document shows the paste at its top-left corner, through the copied mask.
  PaintFixture g;
  g.options.Clipboard = &clipboard;
  g.form.BAM.Palette[21] = g.form.BAM.Palette[20];
  g.form.BAM.TranspInd = 5;
  const Bitmap under = g.form.WorkImage[1];
  ASSERT_TRUE(g.form.PasteCopied());
  EXPECT_TRUE(g.form.HasSelection);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      const TColor expected = (x == 3 && y == 0) ? under.GetPixel(x, y) : copied.GetPixel(x, y);
      EXPECT_EQ(g.IndexAt(x, y), RedOf(expected)) << x << "," << y;
    }
  }
  // The paste is one step once it lands.
  const int steps = g.form.UndoCount();
  g.form.SelectionClear();
  EXPECT_EQ(g.form.UndoCount(), steps + 1);
  EXPECT_EQ(g.IndexAt(1, 1), 21);

  std::vector<std::uint8_t> damaged = clipboard.bytes;
  damaged.pop_back();
  EXPECT_FALSE(DecodeSelectionCopy(damaged));
  damaged = clipboard.bytes;
  damaged[8] = 0xFF;  // a width that does not match the data
  EXPECT_FALSE(DecodeSelectionCopy(damaged));
}

TEST(SelectionClipboard, AnotherProgramsPicturePastesAsARectangleAboveTheReservedEntries) {
  PaintFixture f;
  FakeClipboard clipboard;
  f.options.Clipboard = &clipboard;
  clipboard.picture.Reset(3, 2, PixelFormat::Bits24);
  clipboard.picture.SetPixel(0, 0, f.form.BAM.GetTransCol());
  clipboard.picture.SetPixel(1, 0, f.form.BAM.GetShadowCol());
  clipboard.picture.SetPixel(2, 0, MakeColor(50, 205, 7));
  ASSERT_TRUE(f.form.PasteCopied());
  EXPECT_GE(f.IndexAt(0, 0), 2);
  EXPECT_GE(f.IndexAt(1, 0), 2);
  EXPECT_EQ(f.IndexAt(2, 0), 50);
  EXPECT_EQ(f.form.GetSelSize(), (Rect{0, 0, 3, 2}));

  // A frame made for the paste takes the picture's size.
  clipboard.picture.Reset(40, 7, PixelFormat::Bits24);
  ASSERT_TRUE(f.form.PasteCopied(true));
  EXPECT_EQ(f.form.FrameRec.Width, 40);
  EXPECT_EQ(f.form.FrameRec.Height, 7);

  PaintFixture g(false);
  g.options.Clipboard = &clipboard;
  clipboard.picture.SetPixel(1, 1, MakeColor(1, 2, 3));
  ASSERT_TRUE(g.form.PasteCopied());
  EXPECT_EQ(g.ColourAt(1, 1), MakeColor(1, 2, 3));
}

TEST(SelectionTools, StampPaintsTheCopiedAreaThroughItsMask) {
  PaintFixture f;
  const Bitmap original = f.form.WorkImage[1];
  f.Choose(ToolKind::SelRect);
  f.Drag({0, 0}, {2, 2});
  f.Drag({0, 0}, {0, 0}, kCtrl);
  ASSERT_TRUE(f.form.SelectionCopy());
  f.Choose(ToolKind::Stamp);
  f.form.SelectionClear();
  f.Click(21, 21);  // a 3 x 3 copy is centred: its top-left lands at (20, 20)
  EXPECT_EQ(f.IndexAt(21, 21), RedOf(original.GetPixel(1, 1)));
  EXPECT_EQ(f.IndexAt(22, 22), RedOf(original.GetPixel(2, 2)));
  EXPECT_EQ(f.IndexAt(20, 20), RedOf(original.GetPixel(20, 20)));
}

TEST(SelectionMarker, OnePixelAndOverTransparentPixelsOfTheIndexOverlay) {
  PaintFixture f;
  f.form.WorkImage[1].SetPixel(5, 5, MakeColor(0, 0, 0));
  RenderIndexImage(f.form.BAM, f.form.WorkImage[1], f.form.WorkImage[0]);
  f.Choose(ToolKind::SelRect);
  f.Drag({5, 5}, {5, 5});
  int marked = 0;
  for (std::uint8_t bit : f.form.MarkerMask.Pixels()) marked += bit == 0;
  EXPECT_EQ(marked, 1);
  f.form.RedrawImage(false);
  const int shown = RedOf(f.form.OverlayImage[1].GetPixel(5, 5));
  EXPECT_NE(shown, f.form.BAM.TranspInd);
  EXPECT_NE(shown, f.form.BAM.ShadowInd);
}

// The drag itself, one undo step, is driven through the editor's view; here Esc during a drag.
TEST(SetCentre, EscDuringADragPutsTheCentreBack) {
  PaintFixture f;
  f.Choose(ToolKind::SetCent);
  f.Down(3, 3);
  f.Move(7, 8);
  f.tools.CancelDrawAction();
  EXPECT_EQ(f.form.FrameRec.CentreX, 16);
  EXPECT_FALSE(f.form.HoldImageOrigin);
}

}  // namespace
}  // namespace celwright
