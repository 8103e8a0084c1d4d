#!/usr/bin/python3
"""Makes the sprite sheets and animated PNGs in this folder with Pillow and ffmpeg.

Run once by hand (tests never run it): python3 make_files.py. Needs python3-pil and ffmpeg.
The JSON files follow the layout pixel-art editors publish; they are written here by hand,
not by this program.
"""
import json
import os
import subprocess
import tempfile

from PIL import Image, ImageDraw

W, H = 10, 12


def frame_picture(n):
    """Frame n: a coloured figure on a clear background, drawn differently for each n."""
    im = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    d = ImageDraw.Draw(im)
    colours = [(200, 30, 30, 255), (30, 160, 40, 255), (40, 60, 210, 255)]
    c = colours[n % 3]
    d.rectangle([2 + n % 2, 3, 6 + n % 2, 10 - n], fill=c)
    d.point((1, 11), fill=(250, 250, 0, 255))
    d.point((8, 1 + n), fill=(255, 255, 255, 255))
    return im


def bbox(im):
    return im.getchannel("A").getbbox()


frames = [frame_picture(n) for n in range(3)] + [frame_picture(0)]

# Untrimmed sheet: four cells in a row.
sheet = Image.new("RGBA", (4 * W, H), (0, 0, 0, 0))
for i, f in enumerate(frames):
    sheet.paste(f, (i * W, 0))
sheet.save("sheet.png")

tags = [
    {"name": "walk", "from": 0, "to": 2, "direction": "forward"},
    {"name": "back", "from": 1, "to": 3, "direction": "reverse"},
    {"name": "bounce", "from": 0, "to": 3, "direction": "pingpong"},
]


def entry(i, rect, trimmed, sss, pivot):
    e = {"frame": rect, "rotated": False, "trimmed": trimmed, "spriteSourceSize": sss,
         "sourceSize": {"w": W, "h": H}, "duration": 100}
    if pivot is not None:
        e["pivot"] = pivot
    return e


def meta(image, size):
    return {"app": "hand-written", "version": "1.0", "image": image, "format": "RGBA8888",
            "size": size, "scale": "1", "frameTags": tags}


untrimmed = []
for i in range(4):
    pivot = {"x": 0.5, "y": 0.75} if i != 2 else None  # frame 2: bottom middle
    untrimmed.append(entry(i, {"x": i * W, "y": 0, "w": W, "h": H}, False,
                           {"x": 0, "y": 0, "w": W, "h": H}, pivot))
arr = {"frames": [dict(filename="sheet %d.ase" % i, **e) for i, e in enumerate(untrimmed)],
       "meta": meta("sheet.png", {"w": 4 * W, "h": H})}
json.dump(arr, open("sheet_array.json", "w"), indent=1)

# Trimmed sheet: each frame cut to its visible box, packed in a row with one pixel between.
trimmed, x = [], 0
boxes = [bbox(f) for f in frames]
tw = sum(b[2] - b[0] for b in boxes) + 3
th = max(b[3] - b[1] for b in boxes)
tsheet = Image.new("RGBA", (tw, th), (0, 0, 0, 0))
for i, (f, b) in enumerate(zip(frames, boxes)):
    piece = f.crop(b)
    tsheet.paste(piece, (x, 0))
    w, h = piece.size
    trimmed.append(entry(i, {"x": x, "y": 0, "w": w, "h": h}, True,
                         {"x": b[0], "y": b[1], "w": w, "h": h}, {"x": 0.3, "y": 0.5}))
    x += w + 1
tsheet.save("trimmed.png")
hashed = {"frames": {"trimmed %d.ase" % i: e for i, e in enumerate(trimmed)},
          "meta": meta("trimmed.png", {"w": tw, "h": th})}
json.dump(hashed, open("trimmed_hash.json", "w"), indent=1)

rotated = {"frames": [dict(untrimmed[0], rotated=True, filename="turned")],
           "meta": meta("sheet.png", {"w": 4 * W, "h": H})}
rotated["meta"]["frameTags"] = []
json.dump(rotated, open("rotated.json", "w"), indent=1)

# A paletted sheet without data, for cutting by a grid: Pillow's "P" mode with a clear entry.
sheet.quantize(colors=16, method=Image.Quantize.FASTOCTREE).save("grid_paletted.png")

# Animated PNGs. Canvas 12 x 12; the frames overlap, with partial alpha in one of them.
def canvas_frames():
    a = Image.new("RGBA", (12, 12), (20, 20, 120, 255))
    b = Image.new("RGBA", (12, 12), (0, 0, 0, 0))
    ImageDraw.Draw(b).rectangle([3, 3, 8, 8], fill=(240, 200, 10, 255))
    c = Image.new("RGBA", (12, 12), (0, 0, 0, 0))
    ImageDraw.Draw(c).rectangle([0, 5, 11, 7], fill=(250, 0, 0, 128))
    d = Image.new("RGBA", (12, 12), (0, 0, 0, 0))
    ImageDraw.Draw(d).rectangle([6, 0, 7, 11], fill=(0, 250, 0, 255))
    return [a, b, c, d]


apng = canvas_frames()
apng[0].save("pillow_ops.png", save_all=True, append_images=apng[1:], duration=[80, 120, 40, 200],
             loop=0, disposal=[0, 2, 1, 0], blend=[0, 1, 1, 1])
# The first picture is only the default image, not part of the animation.
apng[0].save("pillow_default.png", save_all=True, append_images=apng[1:], duration=100, loop=0,
             default_image=True, disposal=0, blend=1)

with tempfile.TemporaryDirectory() as tmp:
    # ffmpeg picks dispose and blend operations itself to keep each frame small.
    seq = [Image.new("RGBA", (12, 12), (0, 0, 0, 0)) for _ in range(4)]
    for i, im in enumerate(seq):
        d = ImageDraw.Draw(im)
        d.rectangle([1, 1, 10, 10], fill=(30, 30, 30, 255))
        d.rectangle([2 + i, 2, 4 + i, 9], fill=(200, 40 * i, 90, 255))
        if i % 2:
            d.rectangle([9, 0, 11, 2], fill=(0, 0, 0, 0))
        im.save(os.path.join(tmp, "f%d.png" % i))
    subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-framerate", "10", "-i",
                    os.path.join(tmp, "f%d.png"), "-plays", "0", "-f", "apng",
                    "-pix_fmt", "rgba", "ffmpeg_ops.apng"], check=True)

# What Pillow shows for each animation: its frames side by side, for the tests to compare with.
for name in ["pillow_ops.png", "pillow_default.png", "ffmpeg_ops.apng"]:
    im = Image.open(name)
    shown = []
    # Pillow counts a default image that is not part of the animation as frame 0.
    first = 1 if im.info.get("default_image") else 0
    for n in range(first, im.n_frames):
        im.seek(n)
        shown.append(im.convert("RGBA"))
    strip = Image.new("RGBA", (12 * len(shown), 12), (0, 0, 0, 0))
    for n, f in enumerate(shown):
        strip.paste(f, (12 * n, 0))
    strip.save(name.split(".")[0] + ".expected.png")

# Pillow lays the first frame of pillow_default.png over the default image, which browsers (and
# the format) keep out of the animation; what browsers show is the frames composed by Pillow's
# alpha_composite on a clear canvas (dispose none, blend over).
shown, canvas = [], Image.new("RGBA", (12, 12), (0, 0, 0, 0))
for f in apng[1:]:
    canvas = Image.alpha_composite(canvas, f)
    shown.append(canvas)
strip = Image.new("RGBA", (12 * len(shown), 12), (0, 0, 0, 0))
for n, f in enumerate(shown):
    strip.paste(f, (12 * n, 0))
strip.save("pillow_default.expected.png")
