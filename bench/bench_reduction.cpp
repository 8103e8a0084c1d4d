// Colour reduction of a mosaic of real pictures as the paletted import does it (entries 0 and 1
// reserved), reporting the mean colour error beside the time. bench/compare_pngquant.sh runs it on
// a large mosaic against pngquant's result for the same picture.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "model/qm_BAM.h"
#include "support/image_io/image_file.h"
#include "support/media/octree_quantizer.h"
#include "support/media/palette_mapper.h"

namespace celwright {
namespace {

Bitmap LoadPicture(const std::filesystem::path& path) {
  Bitmap picture;
  Palette256 palette{};
  LoadImageFile(picture, palette, kImageKindByExtension, path);
  return picture;
}

// Every frame of every test animation and every test picture, in rows of a 1024-pixel wide
// mosaic with a grey background.
Bitmap BuiltInMosaic() {
  const std::filesystem::path data = CELWRIGHT_TESTDATA_DIR;
  std::vector<Bitmap> tiles;
  for (const auto& entry : std::filesystem::directory_iterator(data / "pictures")) {
    tiles.push_back(LoadPicture(entry.path()));
  }
  for (const auto& entry : std::filesystem::directory_iterator(data / "bam")) {
    TBAM bam;
    if (!bam.LoadFromFile(entry.path().string())) continue;
    for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
      Bitmap frame;
      bam.GetFrameBitmap(i, frame, nullptr);
      if (frame.Width() > 0 && frame.Height() > 0 && frame.Width() <= 1024) {
        tiles.push_back(std::move(frame));
      }
    }
  }
  constexpr int kWidth = 1024;
  int x = 0, y = 0, row_height = 0;
  std::vector<std::pair<int, int>> places;
  for (const Bitmap& tile : tiles) {
    if (x + tile.Width() > kWidth) {
      x = 0;
      y += row_height;
      row_height = 0;
    }
    places.emplace_back(x, y);
    x += tile.Width();
    row_height = std::max(row_height, tile.Height());
  }
  Bitmap mosaic(kWidth, y + row_height, PixelFormat::Bits24);
  for (int py = 0; py < mosaic.Height(); ++py)
    for (int px = 0; px < kWidth; ++px) mosaic.SetPixel(px, py, MakeColor(128, 128, 128));
  for (std::size_t t = 0; t < tiles.size(); ++t) {
    for (int ty = 0; ty < tiles[t].Height(); ++ty)
      for (int tx = 0; tx < tiles[t].Width(); ++tx)
        mosaic.SetPixel(places[t].first + tx, places[t].second + ty, tiles[t].GetPixel(tx, ty));
  }
  return mosaic;
}

const Bitmap& Mosaic() {
  static const Bitmap mosaic = [] {
    const char* given = std::getenv("CELWRIGHT_QUANT_PICTURE");
    return given ? LoadPicture(given) : BuiltInMosaic();
  }();
  return mosaic;
}

Bitmap ReduceForDocument(const Bitmap& picture) {
  OctreeQuantizer quantizer;
  AddDocumentColours(quantizer, picture, kDefaultTransCol, kDefaultShadowCol);
  const Palette256 palette = BuildDocumentPalette(quantizer, kDefaultTransCol, kDefaultShadowCol);
  ReservedEntryMapper mapper(palette, kDefaultTransCol, kDefaultShadowCol);
  return mapper.Map(picture);
}

void BM_ReduceMosaic(benchmark::State& state) {
  const Bitmap& mosaic = Mosaic();
  Bitmap reduced;
  for (auto _ : state) {
    reduced = ReduceForDocument(mosaic);
    benchmark::DoNotOptimize(reduced.Pixels().data());
  }
  state.counters["mean_color_error"] = MeanColorError(mosaic, reduced);
  if (const char* other = std::getenv("CELWRIGHT_QUANT_OTHER")) {
    state.counters["other_mean_color_error"] = MeanColorError(mosaic, LoadPicture(other));
  }
  state.counters["pixels"] = static_cast<double>(mosaic.Width()) * mosaic.Height();
}
BENCHMARK(BM_ReduceMosaic)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace celwright
