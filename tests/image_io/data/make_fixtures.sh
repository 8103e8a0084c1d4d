#!/usr/bin/env bash
# Regenerates the picture fixtures with standard encoders (Debian packages imagemagick and
# netpbm). Run from this folder; the outputs are committed, so tests never need these tools.
set -euo pipefail

# Source pictures: a small plasma, and the same reduced to 16 colours.
convert -size 23x17 -seed 7 plasma: -depth 8 base.ppm
convert base.ppm +dither -colors 16 -depth 8 base16.ppm
convert -size 120x80 -seed 3 plasma: -depth 8 ppm:- > /tmp/large.ppm

# True-colour PNGs from libpng through pnmtopng, one per row filter.
pnmtopng -filter 0 base.ppm > rgb_none.png
pnmtopng -sub base.ppm > rgb_sub.png
pnmtopng -up base.ppm > rgb_up.png
pnmtopng -paeth base.ppm > rgb_paeth.png
pnmtopng -avg base.ppm > rgb_avg.png
# Large enough that libpng splits the data over several IDAT chunks.
pnmtopng -paeth /tmp/large.ppm > rgb_large.png
convert /tmp/large.ppm -depth 8 large.ppm
# Paletted: pnmtopng picks a 4-bit palette for 16 colours.
pnmtopng -paeth base16.ppm > pal4_paeth.png

# Paletted PNGs of each depth from ImageMagick (no filtering).
for n in 1 2 4 8; do
  colours=$((1 << n)); [ "$n" = 8 ] && colours=200
  convert base.ppm +dither -colors "$colours" -strip -quality 90 \
    -define png:bit-depth="$n" -define png:color-type=3 "pal$n.png"
  convert "pal$n.png" -depth 8 "pal$n.ppm"
done
corner=$(convert base16.ppm -format '%[pixel:p{0,0}]' info:)
convert base16.ppm -strip -transparent "$corner" -quality 90 PNG8:pal_trns.png

# Bitmaps: 24-bit, 8-bit, 8-bit RLE, 4-bit, 1-bit, and 32-bit with bit fields.
convert base.ppm BMP3:rgb24.bmp
convert pal8.ppm -type Palette -compress None BMP3:pal8.bmp
convert pal8.ppm -type Palette -compress RLE BMP3:pal8_rle.bmp
convert base16.ppm -type Palette -define bmp:format=bmp3 -define bmp3:bits-per-pixel=4 \
  BMP3:pal4.bmp
convert base.ppm -monochrome -depth 8 mono.ppm
convert mono.ppm -monochrome BMP3:mono1.bmp
convert base.ppm -alpha set -define bmp:format=bmp4 argb32.bmp

# GIF: interlaced, 16 colours, the corner colour transparent; JPEG: colour and grey.
convert base16.ppm -interlace GIF -transparent "$corner" pal16.gif
convert base.ppm -quality 95 colour.jpg
convert base.ppm -colorspace Gray -quality 95 grey.jpg
convert grey.jpg -depth 8 grey.ppm
convert pal16.gif -alpha off -depth 8 pal16.ppm
