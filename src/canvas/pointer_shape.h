#pragma once

#include <cstdint>

namespace celwright {

// The pointer the document window asks for. The first ten are the platform's own shapes, the
// rest the program's pictures (drawn by the window, in this order).
enum class PointerShape : std::uint8_t {
  Arrow,
  None,
  Cross,
  IBeam,
  HandPoint,
  SizeAll,
  SizeNWSE,
  SizeNESW,
  SizeWE,
  SizeNS,
  SelAddRect,
  SelRemRect,
  SelectRect,
  SelAddPoly,
  SelRemPoly,
  SelectPoly,
  SelAddWand,
  SelRemWand,
  SelectWand,
  ColPick,
  Pencil,
  Stamp,
  Clone,
  FloodFill,
};

inline constexpr int kFirstDrawnPointer = static_cast<int>(PointerShape::SelAddRect);
inline constexpr int kDrawnPointerCount = 14;

}  // namespace celwright
