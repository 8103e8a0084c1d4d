#!/usr/bin/python3
"""Writes the PNG fixtures of this folder with Pillow (libpng-free zlib writer) and ImageMagick
(libpng), and beside each NAME.png the pixels Pillow decodes from it as NAME.pam (RGB_ALPHA,
8 bits). 16-bit samples are reduced to their high byte, as the reader keeps them. Run from this
folder with Debian's python3-pil and imagemagick; the outputs are committed, so tests need
neither tool."""
import subprocess
from PIL import Image

BASE = "../base.ppm"  # 23 x 17 plasma shared with the other picture fixtures
base = Image.open(BASE).convert("RGB")
W, H = base.size


def magick(*args):
    subprocess.run(["convert", *args], check=True)


def alpha_ramp(image):
    """Base picture with an alpha that runs through every value, crossing 128 in each row."""
    rgba = image.convert("RGBA")
    rgba.putalpha(Image.linear_gradient("L").transpose(Image.Transpose.ROTATE_90).resize((W, H)))
    return rgba


# Pillow writers.
base.save("pil_rgb.png")
base.save("pil_rgb_optimize.png", optimize=True)
alpha_ramp(base).save("pil_rgba.png")
base.convert("L").save("pil_grey.png")
alpha_ramp(base).convert("LA").save("pil_grey_alpha.png")
base.convert("1").save("pil_grey1.png")
pal = base.quantize(200)
pal.save("pil_pal8_optimize.png", optimize=True)
for bits in (1, 2, 4):
    base.quantize(1 << bits).save(f"pil_pal{bits}.png", bits=bits)
pal.save("pil_pal_trns.png", transparency=pal.getpixel((0, 0)))
pal_alpha = alpha_ramp(base).quantize(60, method=Image.Quantize.FASTOCTREE)
pal_alpha.save("pil_pal_alpha.png")
base.save("pil_rgb_trns.png", transparency=base.getpixel((0, 0)))
grey = base.convert("L")
grey.save("pil_grey_trns.png", transparency=grey.getpixel((5, 5)))
base.convert("L").point(lambda v: v * 257, "I").convert("I;16").save("pil_grey16.png")

# ImageMagick (libpng, adaptive filtering, so Average rows appear too).
magick(BASE, "-strip", "PNG24:im_rgb.png")
magick(BASE, "-strip", "-depth", "16", "PNG48:im_rgb16.png")
alpha_ramp(base).save("/tmp/rgba.png")
magick("/tmp/rgba.png", "-strip", "-depth", "16", "PNG64:im_rgba16.png")
magick("/tmp/rgba.png", "-strip", "-colorspace", "Gray", "-depth", "16",
       "-define", "png:color-type=4", "im_grey_alpha16.png")
for bits in (2, 4):
    magick(BASE, "-strip", "-colorspace", "Gray", "-depth", str(bits),
           "-define", f"png:bit-depth={bits}", "-define", "png:color-type=0", f"im_grey{bits}.png")
magick(BASE, "-strip", "-interlace", "PNG", "PNG24:im_rgb_adam7.png")
magick("/tmp/rgba.png", "-strip", "-interlace", "PNG", "PNG32:im_rgba_adam7.png")
magick(BASE, "-strip", "+dither", "-colors", "16", "-interlace", "PNG",
       "-define", "png:bit-depth=4", "-define", "png:color-type=3", "im_pal4_adam7.png")
magick(BASE, "-strip", "-colorspace", "Gray", "-depth", "16", "-interlace", "PNG",
       "im_grey16_adam7.png")
# Smaller than one 8 x 8 block: several interlace passes are empty.
magick(BASE, "-crop", "3x2+0+0", "+repage", "-strip", "-interlace", "PNG", "PNG24:im_tiny_adam7.png")


def expected(name):
    image = Image.open(name)
    if image.mode in ("I;16", "I;16B", "I"):
        high = [v >> 8 for v in image.getdata()]
        rgba = Image.new("RGBA", image.size)
        transparency = image.info.get("transparency")
        rgba.putdata([(v, v, v, 0 if transparency == raw else 255)
                      for v, raw in zip(high, image.getdata())])
    else:
        rgba = image.convert("RGBA")
    w, h = rgba.size
    with open(name[:-4] + ".pam", "wb") as out:
        out.write(f"P7\nWIDTH {w}\nHEIGHT {h}\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
                  .encode())
        out.write(rgba.tobytes())


import glob
for png in sorted(glob.glob("*.png")):
    expected(png)

# Beyond PNG: a CMYK JPEG from ImageMagick (Adobe marker, inverted inks) and Pillow's decoding.
magick(BASE, "-colorspace", "CMYK", "-quality", "95", "../cmyk.jpg")
cmyk = Image.open("../cmyk.jpg").convert("RGBA")
with open("../cmyk.pam", "wb") as out:
    out.write(f"P7\nWIDTH {W}\nHEIGHT {H}\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n".encode())
    out.write(cmyk.tobytes())
