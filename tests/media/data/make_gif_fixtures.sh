#!/bin/sh
# Writes the animated GIF fixtures and what Pillow shows for each of their frames.
# Needs python3-pil, imagemagick, gifsicle and ffmpeg (Debian 12: Pillow 9.4, ImageMagick
# 6.9.11, gifsicle 1.93, ffmpeg 5.1); the tests only read the files this leaves behind.
set -e
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Five 20 x 14 frames: a sprite of six colours (black among them, and a near-teal that sits
# next to the games' transparent green) walking right over a see-through background.
/usr/bin/python3 - "$work" <<'PY'
import sys
from PIL import Image
work = sys.argv[1]
colours = [(0, 0, 0), (200, 40, 40), (40, 200, 40), (0, 250, 5), (250, 250, 250), (30, 30, 200)]
for f in range(5):
    im = Image.new("RGBA", (20, 14), (0, 0, 0, 0))
    for y in range(3, 11):
        for x in range(6):
            im.putpixel((2 + 3 * f + x, y), colours[(x + y + f) % 6] + (255,))
    im.save(f"{work}/walk{f}.png")
# Pillow: palette frames with black at index 0 and the see-through index 5; Pillow crops
# each later frame to what changed and clears with disposal 2.
frames = []
for f in range(5):
    rgba = Image.open(f"{work}/walk{f}.png")
    p = Image.new("P", rgba.size, 5)
    p.putpalette([c for rgb in colours for c in rgb] + [0, 255, 0] * 250)
    for y in range(14):
        for x in range(20):
            r, g, b, a = rgba.getpixel((x, y))
            if a:
                p.putpixel((x, y), colours.index((r, g, b)))
    frames.append(p)
frames[0].save("pillow_walk.gif", save_all=True, append_images=frames[1:], loop=0,
               duration=70, transparency=5, disposal=2)
PY
# ImageMagick: frame differences with disposal methods and transparency.
/usr/bin/convert -dispose background -delay 7 "$work"/walk*.png -layers Optimize -loop 0 \
  imagemagick_optimized.gif
# gifsicle: an unoptimised ImageMagick sequence squeezed at level 2.
/usr/bin/convert -delay 7 "$work"/walk*.png -background '#102030' -alpha remove -loop 0 \
  "$work/plain.gif"
gifsicle -O2 "$work/plain.gif" > gifsicle_o2.gif
# Only local colour tables: two frames of their own colours; the script moves ImageMagick's
# global table into the first image, so no image can fall back on a global one.
/usr/bin/convert -delay 7 \
  \( -size 12x8 xc:'#FF0000' -fill '#00FF00' -draw 'point 1,1' \) \
  \( -size 12x8 xc:'#0000FF' -fill '#FFFF00' -draw 'point 2,2' \) \
  +remap -loop 0 "$work/local.gif"
/usr/bin/python3 - "$work/local.gif" imagemagick_local_tables.gif <<'PY'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
flags = data[10]
assert flags & 0x80
table_size = 3 << ((flags & 7) + 1)
table = data[13:13 + table_size]
rest = data[13 + table_size:]
data[10] = flags & 0x70  # no global table any more
pos = 0
while rest[pos] != 0x2C:  # skip extensions up to the first image
    pos += 2
    while rest[pos]:
        pos += rest[pos] + 1
    pos += 1
descriptor = rest[pos:pos + 10]
descriptor[9] |= 0x80 | (flags & 7)
out = data[:13] + rest[:pos] + descriptor + table + rest[pos + 10:]
open(sys.argv[2], "wb").write(out)
PY
# ffmpeg: its own palette per file, delta frames with transparency.
ffmpeg -v error -y -framerate 15 -i "$work/walk%d.png" -filter_complex \
  "split[a][b];[a]palettegen=reserve_transparent=1[p];[b][p]paletteuse" ffmpeg_walk.gif

# What each frame looks like, as RGBA rows, frames one after another: Pillow's decoding, except
# for ImageMagick's optimised file, where Pillow 9.4 leaves the first frame on the screen
# although it asks to be restored to what was there before ("restore to previous"); for that
# file ImageMagick's own -coalesce is the reference.
/usr/bin/convert imagemagick_optimized.gif -coalesce "$work/coalesced_%d.png"
/usr/bin/python3 - "$work" <<'PY'
import sys
from PIL import Image
work = sys.argv[1]
for name in ["pillow_walk", "imagemagick_optimized", "gifsicle_o2", "imagemagick_local_tables",
             "ffmpeg_walk", "imagemagick_two_sizes"]:
    im = Image.open(name + ".gif")
    data = b""
    for i in range(im.n_frames):
        if name == "imagemagick_optimized":
            data += Image.open(f"{work}/coalesced_{i}.png").convert("RGBA").tobytes()
        else:
            im.seek(i)
            data += im.convert("RGBA").tobytes()
    open(name + ".rgba", "wb").write(data)
    print(name, im.size, im.n_frames)
PY
