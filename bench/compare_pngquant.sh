#!/bin/bash
# Puts this program's colour reduction side by side with pngquant's (both undithered) on one
# mosaic: tiles cut from the frames of testdata/bam and from pictures ImageMagick makes.
# Prints both mean colour errors and both CPU times. Needs ImageMagick and pngquant installed;
# neither is a dependency of the project.
# Usage: bench/compare_pngquant.sh BUILD_DIR   (KEEP=1 keeps the mosaic and results for a look)
set -euo pipefail
build=${1:?usage: compare_pngquant.sh BUILD_DIR}
here=$(cd "$(dirname "$0")/.." && pwd)
im=/usr/bin/convert
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
echo "work folder: $work"
mkdir "$work/src" "$work/tiles"

for bam in "$here"/testdata/bam/*; do
  name=$(basename "$bam")
  "$build/src/cli/celwright-cli" frames "$bam" "$work/src/$name" --format png >/dev/null 2>&1 || true
done
for seed in 1 2 3 4 5 6 7 8; do
  "$im" -size 240x192 -seed "$seed" plasma:fractal "$work/src/plasma$seed.png"
done
for builtin in rose wizard logo granite netscape; do
  "$im" "$builtin:" "$work/src/$builtin.png"
done

# 400 tiles of 120 x 96: each source picture scaled to cover a tile (scaling mixes colours the
# way photographs and rendered sprites have them), varied in hue and brightness.
mapfile -t sources < <(find "$work/src" -name '*.png' -size +300c | sort)
for ((i = 0; i < 400; ++i)); do
  src=${sources[$((i * 7919 % ${#sources[@]}))]}
  "$im" "$src" -resize 120x96^ -gravity center -extent 120x96 \
    -modulate $((80 + i % 5 * 10)),$((70 + i % 7 * 10)),$((60 + i * 37 % 80)) \
    "$work/tiles/$(printf %03d $i).png"
done
montage "$work/tiles/"*.png -tile 20x20 -geometry 120x96+0+0 -depth 8 "PNG24:$work/mosaic.png"

cpu() { /usr/bin/time -f '%U %S' "$@" 2>&1 >/dev/null | tail -1 | awk '{print $1 + $2}'; }
pq=$(cpu pngquant --nofs --force --output "$work/pq.png" 256 "$work/mosaic.png")
ours=$(cpu "$build/src/cli/celwright-cli" import "$work/mosaic.png" "$work/ours.bam" --paletted)
echo "CPU seconds: pngquant --nofs $pq, celwright-cli import --paletted $ours"
CELWRIGHT_QUANT_PICTURE="$work/mosaic.png" CELWRIGHT_QUANT_OTHER="$work/pq.png" \
  "$build/bench/bench_reduction" --benchmark_filter=BM_ReduceMosaic
