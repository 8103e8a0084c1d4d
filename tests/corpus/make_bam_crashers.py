#!/usr/bin/env python3
"""Writes the BAM crasher corpus (tests/corpus/bam/) and its manifest (tests/corpus/bam.tsv).

Each file is a small hostile or damaged BAM that once cost gigabytes, minutes or a silent wrong
picture (issue 10). The manifest says for each what `celwright-cli info` must do within 5 s and
512 MB: "ok" (describes it, exit 0) or "refused" (exit 1 with a message containing the given
words; never a bare exception name). Run from anywhere: python3 tests/corpus/make_bam_crashers.py
The output is deterministic; the files are checked in so tests need no Python.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "bam")


def paletted(frames, data, cycles=None):
    """A paletted BAM V1 image: header, frame table, cycle table, palette, lookup table, data.

    frames: (width, height, offset_word) with offset_word relative to the data start unless
    bit 30 is set (absolute); bit 31 marks frames stored without RLE.
    """
    n = len(frames)
    cycles = cycles if cycles is not None else [list(range(min(n, 100)))]
    lookup = [f for c in cycles for f in c]
    frame_table = 24
    cycle_table = frame_table + 12 * n
    palette = cycle_table + 4 * len(cycles)
    lookup_at = palette + 1024
    data_at = lookup_at + 2 * len(lookup)
    out = bytearray(b"BAM V1  ")
    out += struct.pack("<HBBIII", n, len(cycles), 0, frame_table, palette, lookup_at)
    for w, h, word in frames:
        raw = word & 0x80000000
        absolute = word & 0x40000000
        offset = word & 0x3FFFFFFF
        out += struct.pack("<HHhhI", w, h, 0, 0, raw | (offset if absolute else data_at + offset))
    first = 0
    for c in cycles:
        out += struct.pack("<HH", len(c), first)
        first += len(c)
    for i in range(256):
        out += bytes((i, 255 - i, (i * 7) & 255, 0))
    for f in lookup:
        out += struct.pack("<H", f)
    out += data
    return bytes(out)


def compressed(image, stated=None):
    stated = len(image) if stated is None else stated
    return b"BAMCV1  " + struct.pack("<I", stated & 0xFFFFFFFF) + zlib.compress(image, 9)


def key_runs(pixels):
    """RLE data of `pixels` transparent pixels (key 0, runs of 256)."""
    return b"\x00\xff" * (pixels // 256) + (b"\x00" + bytes([pixels % 256 - 1]) if pixels % 256 else b"")


CASES = []


def case(name, expect, words, how, content):
    CASES.append((name, expect, words, how, content))


case("bamc_stated_1gib.bam", "refused", "header is incomplete",
     "21-byte BAMC whose stated length is 1 GiB; the stream holds 8 bytes",
     b"BAMCV1  " + struct.pack("<I", 1 << 30) + zlib.compress(b"BAM V1  ", 9))
case("bamc_not_zlib.bam", "refused", "cannot be unpacked",
     "BAMC header followed by bytes that are not a zlib stream",
     b"BAMCV1  " + struct.pack("<I", 4096) + b"this is not zlib data at all")
case("bamc_cut.bam", "refused", "ends early",
     "a valid BAMC cut in the middle of its zlib stream",
     compressed(paletted([(64, 64, 0x80000000)], bytes(range(256)) * 16))[:300])
case("bamc_zip_bomb.bam", "ok", "",
     "one 4 x 4 frame, then 256 MiB of zeros inside the stream (header describes 1.1 KB)",
     b"BAMCV1  " + struct.pack("<I", (256 << 20) + 1200) +
     zlib.compress(paletted([(4, 4, 0x80000000)], bytes([7]) * 16) + bytes(256 << 20), 9))
case("bamc_shared_offset_16000.bam", "refused", "frame table is damaged",
     "16,000 frames of 4096 x 4096 at one offset of 128 KiB of key runs, compressed",
     compressed(paletted([(4096, 4096, 0)] * 16000, key_runs(4096 * 4096))))
case("shared_offset_small.bam", "ok", "",
     "300 frames of 3 x 2 sharing one offset (legitimate sharing)",
     paletted([(3, 2, 0)] * 300, bytes([5, 0, 1, 7, 8, 9]), cycles=[list(range(300))]))
case("bamc_staggered_offsets.bam", "refused", "would read",
     "2,000 frames of 4096 x 4096 at offsets 0, 1, 2, ... into 200 KB of literals, compressed",
     compressed(paletted([(4096, 4096, i) for i in range(2000)], bytes([9]) * 200000)))
case("repair_64m_pixels.bam", "refused", "too large to repair",
     "4 frames of 4096 x 4096 whose data is 4 bytes: 64 M pixels of repair asked by 1.3 KB",
     paletted([(4096, 4096, i) for i in range(4)], b"\x01\x02\x03\x04"))
case("repair_small.bam", "ok", "",
     "a 100 x 100 frame whose data ends after 3 pixels (repaired, with a warning)",
     paletted([(100, 100, 0)], b"\x04\x04\x04"))
case("bamc_frame_32768.bam", "ok", "",
     "one 32768 x 32768 frame of key runs (8 MiB of RLE), compressed to a few KB",
     compressed(paletted([(32768, 32768, 0)], key_runs(32768 * 32768))))
case("bamc_frame_65535.bam", "refused", "Frame 0 (65535 x 65535 pixels)",
     "one 65535 x 65535 frame of key runs (32 MiB of RLE), compressed",
     compressed(paletted([(65535, 65535, 0)], key_runs(65535 * 65535))))
case("frame_table_past_end.bam", "refused", "does not fit",
     "header claims 65,535 frames; the file ends after the header",
     b"BAM V1  " + struct.pack("<HBBIII", 65535, 255, 0, 24, 24, 24))
case("lookup_far.bam", "ok", "",
     "cycle entries pointing past the end of the lookup table (dropped with a warning)",
     paletted([(2, 2, 0x80000000)], b"\x01\x02\x03\x04", cycles=[[0, 0, 0]])[:-4 - 2] + b"\x01\x02\x03\x04")


def main():
    os.makedirs(OUT, exist_ok=True)
    lines = ["# file\texpect\tmessage words\thow it was made"]
    for name, expect, words, how, content in CASES:
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(content)
        lines.append("\t".join((name, expect, words, how)))
    with open(os.path.join(HERE, "bam.tsv"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
