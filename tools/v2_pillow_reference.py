#!/usr/bin/env python3
"""Decodes a BAM V2 file's frames with Pillow (BC1/BC3 read from a DDS container written around
each texture page's blocks) and prints each frame's size and the CRC-32 of its red, green, blue,
alpha bytes."""
import io, struct, sys, zlib, os
from PIL import Image

def dds_around(width, height, fourcc, blocks):
    header = struct.pack('<4sIIIIIII44s', b'DDS ', 124, 0x1 | 0x2 | 0x4 | 0x1000 | 0x80000,
                         height, width, len(blocks), 0, 0, b'\0' * 44)
    pixel_format = struct.pack('<II4sIIIII', 32, 0x4, fourcc, 0, 0, 0, 0, 0)
    caps = struct.pack('<IIIII', 0x1000, 0, 0, 0, 0)
    return header + pixel_format + caps + blocks

def read_page(path):
    data = open(path, 'rb').read()
    texture = zlib.decompress(data[4:])
    fmt = struct.unpack_from('<I', texture, 8)[0]
    height, width = struct.unpack_from('<II', texture, 24)
    meta = struct.unpack_from('<I', texture, 48)[0]
    blocks = texture[52 + meta:]
    fourcc = {7: b'DXT1', 11: b'DXT5'}[fmt]
    return Image.open(io.BytesIO(dds_around(width, height, fourcc, blocks))).convert('RGBA')

def main(path):
    bam = open(path, 'rb').read()
    assert bam[:8] == b'BAM V2  '
    frames, sequences, blocks, frame_at, seq_at, block_at = struct.unpack_from('<6I', bam, 8)
    folder = os.path.dirname(path)
    names = {n.lower(): n for n in os.listdir(folder or '.')}
    pages = {}
    for i in range(frames):
        w, h, cx, cy, first, count = struct.unpack_from('<HHhhHH', bam, frame_at + 12 * i)
        canvas = Image.new('RGBA', (w, h), (0, 0, 0, 0))
        for b in range(first, first + count):
            page, px, py, bw, bh, fx, fy = struct.unpack_from('<7I', bam, block_at + 28 * b)
            if page not in pages:
                pages[page] = read_page(os.path.join(folder, names['mos%04d.pvrz' % page]))
            canvas.paste(pages[page].crop((px, py, px + bw, py + bh)), (fx, fy))
        print(i, w, h, '%08X' % zlib.crc32(canvas.tobytes()))

main(sys.argv[1])
