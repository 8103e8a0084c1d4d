#!/usr/bin/env bash
# Whole-process scaling check of the batch tool (run by hand, not by CI):
#   bench/scaling.sh [BUILD_DIR]      (default: build)
# Writes animations of 1k, 10k and 60k frames (32 x 32, RLE) and times `info`, `convert` to
# unpaletted and back, `export` to GIF and `import` of that GIF, printing CPU time (user+sys, the
# machine may be shared) per frame at each size and its ratio against 1k (1.0 = linear). Then
# compares `export ... .gif` of 100 frames of 96 x 96 with ImageMagick `convert` making the same
# GIF from PNGs, where ImageMagick is installed.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
cli="$build/src/cli/celwright-cli"
[ -x "$cli" ] || { echo "scaling.sh: build $cli first" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Runs a command, prints its CPU seconds (user + sys).
cpu() {
  /usr/bin/time -o "$work/time" -f "%U %S" "$@" > /dev/null 2>&1 || echo "failed: $*" >&2
  awk '{ printf "%.3f", $1 + $2 }' "$work/time"
}

declare -A base
printf "%-16s %7s %10s %14s %10s\n" job frames "cpu s" "us per frame" "vs 1k"
for n in 1000 10000 60000; do
  python3 "$here/make_animation.py" "$n" 32 32 "$work/a$n.bam"
  for job in info to_unpaletted to_paletted export_gif import_gif; do
    case $job in
      info) t=$(cpu "$cli" info "$work/a$n.bam") ;;
      to_unpaletted) t=$(cpu "$cli" convert "$work/a$n.bam" "$work/u$n.bam" --unpaletted) ;;
      to_paletted) t=$(cpu "$cli" convert "$work/u$n.bam" "$work/p$n.bam" --paletted) ;;
      export_gif) t=$(cpu "$cli" export "$work/a$n.bam" "$work/a$n.gif") ;;
      import_gif) t=$(cpu "$cli" import "$work/a$n.gif" "$work/i$n.bam") ;;
    esac
    per=$(awk -v t="$t" -v n="$n" 'BEGIN { printf "%.2f", t * 1e6 / n }')
    [ "$n" = 1000 ] && base[$job]=$per
    ratio=$(awk -v p="$per" -v b="${base[$job]}" 'BEGIN { printf "%.2f", (b > 0 ? p / b : 0) }')
    printf "%-16s %7d %10s %14s %10s\n" "$job" "$n" "$t" "$per" "$ratio"
  done
done

echo
python3 "$here/make_animation.py" 100 96 96 "$work/g100.bam"
mkdir -p "$work/png"
"$cli" frames "$work/g100.bam" "$work/png" --format png > /dev/null 2>&1
ours=$(cpu "$cli" export "$work/g100.bam" "$work/ours.gif")
echo "GIF export of 100 frames of 96 x 96, whole process: celwright-cli ${ours} s CPU"
if command -v convert > /dev/null && convert -version 2>/dev/null | grep -q ImageMagick; then
  # One thread: OpenMP worker threads spinning would count as CPU time.
  theirs=$(MAGICK_THREAD_LIMIT=1 cpu convert -delay 7 -loop 0 "$work"/png/*.png "$work/theirs.gif")
  awk -v o="$ours" -v t="$theirs" 'BEGIN { printf "ImageMagick convert from PNGs: %s s CPU; ours is %.1fx faster\n", t, (o > 0 ? t / o : 0) }'
else
  echo "ImageMagick is not installed: no comparison (apt-get install imagemagick)"
fi
