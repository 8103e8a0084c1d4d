#!/usr/bin/python3
"""Writes the hostile picture files of this folder from the fixtures in ../data: each is a real
file with one deliberate fault, the kind fuzzing and broken downloads produce. Run from this
folder (needs ImageMagick's `convert` for the progressive JPEG); the outputs are committed.
README.md says what each file is and what the program must do with it."""
import struct
import subprocess

DATA = "../data/"


def read(name):
    with open(DATA + name, "rb") as f:
        return bytearray(f.read())


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)


def segments(jpeg):
    """(marker, start, end) of each marker segment up to the first scan's data."""
    pos, found = 2, []
    while pos < len(jpeg):
        marker = jpeg[pos + 1]
        length = struct.unpack(">H", jpeg[pos + 2:pos + 4])[0]
        found.append((marker, pos, pos + 2 + length))
        if marker == 0xDA:
            break
        pos += 2 + length
    return found


# JPEG whose frame header claims 8192 x 8192 pixels: 884 bytes cannot hold them.
jpeg = read("colour.jpg")
sof = next(s for s in segments(jpeg) if s[0] in (0xC0, 0xC2))
jpeg[sof[1] + 5:sof[1] + 9] = struct.pack(">HH", 8192, 8192)
write("jpeg_claims_8192.jpg", jpeg)

# JPEG whose scan data stops at two thirds and is closed by an end marker: libjpeg says
# "Corrupt JPEG data: premature end of data segment" and pads the rest.
jpeg = read("colour.jpg")
write("jpeg_corrupt_scan.jpg", jpeg[:len(jpeg) * 2 // 3] + b"\xff\xd9")

# JPEG cut at two thirds, no end marker.
write("jpeg_cut.jpg", read("colour.jpg")[: len(read("colour.jpg")) * 2 // 3])

# Progressive JPEG whose shortest scan is repeated until there are 1000 scans.
subprocess.run(["convert", DATA + "base.ppm", "-interlace", "JPEG", "-quality", "90",
                "/tmp/progressive.jpg"], check=True)
with open("/tmp/progressive.jpg", "rb") as f:
    jpeg = f.read()
scans, pos = [], jpeg.find(b"\xff\xda")
while pos >= 0:
    end = jpeg.find(b"\xff\xda", pos + 2)
    stop = end if end >= 0 else jpeg.rfind(b"\xff\xd9")
    scans.append(jpeg[pos:stop])
    pos = end
shortest = min(scans[1:], key=len)
write("jpeg_1000_scans.jpg",
      jpeg[:jpeg.rfind(b"\xff\xd9")] + shortest * (1000 - len(scans)) + b"\xff\xd9")

# Bitmap whose pixel data offset (20) points into its own headers.
bmp = read("rgb24.bmp")
bmp[10:14] = struct.pack("<I", 20)
write("bmp_offset_in_header.bmp", bmp)

# 32-bit bit-field bitmap (V5 header) whose three colour masks are all zero.
bmp = read("argb32.bmp")
bmp[14 + 40:14 + 52] = bytes(12)
write("bmp_zero_masks.bmp", bmp)

# Bottom-up bitmap claiming 8192 x 8192 at 24 bits, with a few bytes of pixels.
bmp = read("rgb24.bmp")
bmp[18:26] = struct.pack("<ii", 8192, 8192)
write("bmp_claims_8192.bmp", bmp)


def png_chunk(kind, data):
    import zlib
    return (struct.pack(">I", len(data)) + kind + data +
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


import zlib
signature = b"\x89PNG\r\n\x1a\n"
# PNG claiming 8192 x 8192 16-bit RGBA (512 MB of rows) with a few bytes of data.
write("png_claims_8192.png", signature +
      png_chunk(b"IHDR", struct.pack(">IIBBBBB", 8192, 8192, 16, 6, 0, 0, 0)) +
      png_chunk(b"IDAT", zlib.compress(bytes(1000))) + png_chunk(b"IEND", b""))
# PNG whose data inflates far past its 4 x 4 picture: a zip bomb of 64 MB.
write("png_bomb.png", signature +
      png_chunk(b"IHDR", struct.pack(">IIBBBBB", 4, 4, 8, 2, 0, 0, 0)) +
      png_chunk(b"IDAT", zlib.compress(bytes(64 << 20), 9)) + png_chunk(b"IEND", b""))

# GIF whose screen and picture claim 8192 x 8192 with a few bytes of data.
gif = read("pal16.gif")
gif[6:10] = struct.pack("<HH", 8192, 8192)
descriptor = gif.find(b"\x2c")
gif[descriptor + 5:descriptor + 9] = struct.pack("<HH", 8192, 8192)
write("gif_claims_8192.gif", gif)
