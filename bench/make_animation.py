#!/usr/bin/env python3
"""Writes a plain paletted BAM of N distinct frames (W x H, a figure in a transparent surround,
RLE-coded) in one sequence, for bench/scaling.sh. Usage: make_animation.py N W H OUT.bam"""
import random
import struct
import sys


def rle(pixels):
    out = bytearray()
    i = 0
    while i < len(pixels):
        if pixels[i] == 0:
            run = 1
            while i + run < len(pixels) and pixels[i + run] == 0 and run < 256:
                run += 1
            out += bytes((0, run - 1))
            i += run
        else:
            out.append(pixels[i])
            i += 1
    return bytes(out)


def main():
    n, w, h, path = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    rng = random.Random(n)
    frames = []
    for f in range(n):
        pixels = bytearray(w * h)
        half = w // 4 + f % (w // 4)
        for y in range(h // 6, h - h // 8):
            for x in range(w // 2 - half // 2, w // 2 + half // 2):
                pixels[y * w + x] = 2 + (x * 7 + y * 3 + f) % 200
        pixels[rng.randrange(w * h)] = 250
        frames.append(rle(bytes(pixels)))
    frame_table = 24
    cycle_table = frame_table + 12 * n
    palette = cycle_table + 4
    lookup = palette + 1024
    data = lookup + 2 * n
    out = bytearray(b"BAM V1  ")
    out += struct.pack("<HBBIII", n, 1, 0, frame_table, palette, lookup)
    at = data
    for frame in frames:
        out += struct.pack("<HHhhI", w, h, w // 2, h - 4, at)
        at += len(frame)
    out += struct.pack("<HH", n, 0)
    out += bytes((0, 255, 0, 0)) + bytes((0, 0, 0, 0))
    for i in range(2, 256):
        out += bytes(((i * 3) & 255, (i * 5) & 255, i, 0))
    out += b"".join(struct.pack("<H", i) for i in range(n))
    out += b"".join(frames)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
