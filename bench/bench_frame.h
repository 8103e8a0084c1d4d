#pragma once

#include <cstdint>

#include "document/bam_form.h"

namespace celwright {

// A paletted document of one size x size frame centred on its middle, pixel (x, y) holding
// index index_at(x, y); palette entry i is (i, 3i, 90).
template <typename IndexAt>
void MakeBenchFrame(TBAMForm& form, int size, IndexAt index_at) {
  TBAM& bam = form.BAM;
  bam.NewBAM("bench.bam", true);
  for (int i = 0; i < 256; ++i)
    bam.Palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 3), 90};
  bam.AddCycle(-1);
  bam.InsertFrame(-1, 0, -1, false);
  TBAMFrame info = bam.GetFrame(0);
  info.Width = info.Height = size;
  info.CentreX = info.CentreY = size / 2;
  Bitmap indices(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      indices.Row(y)[3 * x + 2] = static_cast<std::uint8_t>(index_at(x, y));
  bam.SetFrameBitmap(0, indices, info);
}

// The busy pattern of indices 2..8 the tool benchmarks paint on.
inline int BusyIndex(int x, int y) { return (x ^ y) % 7 + 2; }

}  // namespace celwright
