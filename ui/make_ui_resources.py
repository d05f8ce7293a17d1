#!/usr/bin/python3
"""make_ui_resources.py FOLDER: draws the module's icon and link cursor and
writes them as FOLDER/MAINICON.ico and FOLDER/HANDPOINT.cur for the resource
compiler.

The icon is a dark blue frame holding a 2 x 2 grid of thumbnails (a
landscape, a red and a cream picture, a page of text), at 16, 24, 32, 48 and
256 pixels in 32 bits with alpha (the 256-pixel image PNG-compressed) and at
16 and 32 pixels in 256 colours. The cursor is a white pointing hand with a
black outline, 32 x 32 in 32 bits with alpha, its hotspot on the fingertip.
Shapes are drawn eight times larger and reduced, which smooths the edges."""
import io
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFilter

SUPERSAMPLE = 8
ICON_SIZES = (16, 24, 32, 48, 256)
PALETTE_ICON_SIZES = (16, 32)
CURSOR_SIZE = 32

FRAME = (0, 51, 153)
SKY = (110, 170, 235)
SUN = (220, 40, 40)
HILL = (30, 160, 60)
RED = (220, 40, 40)
CREAM = (235, 225, 150)
BLUE = (40, 90, 220)
PAGE = (255, 255, 255)
TEXT_LINE = (120, 120, 120)


def reduce(image, size):
    return image.resize((size, size), Image.LANCZOS)


# The icon is laid out on a 16-unit grid: frame [1, 15), tiles [2, 7) and
# [9, 14) on both axes, so 16, 32 and 48 pixels land on whole pixels.
def draw_icon(size):
    scale = size * SUPERSAMPLE / 16
    image = Image.new("RGBA", (round(16 * scale),) * 2, (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)

    def box(x0, y0, x1, y1):
        return [x0 * scale, y0 * scale, x1 * scale - 1, y1 * scale - 1]

    draw.rounded_rectangle(box(1, 1, 15, 15), radius=1.5 * scale, fill=FRAME)
    # Top left: a landscape with a sun and a hill.
    draw.rectangle(box(2, 2, 7, 7), fill=SKY)
    draw.ellipse(box(2.8, 2.8, 4.8, 4.8), fill=SUN)
    draw.pieslice(box(2.5, 5, 9, 9), 180, 360, fill=HILL)
    draw.rectangle(box(7, 2, 9, 7), fill=FRAME)
    # Top right and bottom left: plain pictures.
    draw.rectangle(box(9, 2, 14, 7), fill=RED)
    draw.rectangle(box(2, 9, 7, 14), fill=CREAM)
    draw.rectangle(box(3.5, 10.5, 5.5, 12.5), fill=BLUE)
    # Bottom right: a page of text.
    draw.rectangle(box(9, 9, 14, 14), fill=PAGE)
    for y in (10, 11.5, 13):
        draw.rectangle(box(10, y, 13 if y < 13 else 11.8, y + 0.5), fill=TEXT_LINE)
    return reduce(image, size)


# The hand on the cursor's 32-pixel grid: the index finger points up, three
# curled fingers and the thumb beside a palm.
def hand_mask(scale):
    mask = Image.new("L", (CURSOR_SIZE * scale,) * 2, 0)
    draw = ImageDraw.Draw(mask)

    def box(x0, y0, x1, y1):
        return [x0 * scale, y0 * scale, x1 * scale - 1, y1 * scale - 1]

    draw.rounded_rectangle(box(9, 1, 15, 18), radius=3 * scale, fill=255)
    for left in (15, 19, 23):
        draw.rounded_rectangle(box(left, 11, left + 4, 20), radius=2 * scale, fill=255)
    draw.rounded_rectangle(box(9, 15, 27, 28), radius=4 * scale, fill=255)
    draw.rectangle(box(11, 24, 25, 31), fill=255)
    draw.polygon([(x * scale, y * scale) for x, y in ((10, 19), (5, 14), (3, 15.5), (3, 18), (10, 26))], fill=255)
    return mask


def draw_cursor():
    scale = SUPERSAMPLE
    mask = hand_mask(scale)
    outline = mask.filter(ImageFilter.MaxFilter(2 * scale + 1))
    image = Image.new("RGBA", mask.size, (0, 0, 0, 0))
    image.paste((0, 0, 0, 255), mask=outline)
    image.paste((255, 255, 255, 255), mask=mask)
    draw = ImageDraw.Draw(image)
    for x, top in ((15, 11), (19, 12), (23, 12)):
        draw.rectangle([x * scale, top * scale, (x + 1) * scale - 1, 17 * scale - 1], fill=(0, 0, 0, 255))
    return reduce(image, CURSOR_SIZE)


def fingertip(cursor):
    """The hotspot: the topmost opaque pixel of the finger's middle column."""
    x = 12
    y = next(y for y in range(CURSOR_SIZE) if cursor.getpixel((x, y))[3] >= 128)
    return x, y


def and_mask(image):
    """The AND mask, bottom row first: 1 where the picture is transparent."""
    width, height = image.size
    stride = (width + 31) // 32 * 4
    rows = []
    for y in reversed(range(height)):
        bits = bytearray(stride)
        for x in range(width):
            if image.getpixel((x, y))[3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(bits))
    return b"".join(rows)


def bitmap_header(width, height, bits, colours=0):
    # The height counts the colour rows and the mask rows.
    return struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bits, 0, 0, 0, 0, colours, 0)


def dib_32(image):
    width, height = image.size
    rows = []
    for y in reversed(range(height)):
        rows.append(b"".join(bytes((b, g, r, a)) for r, g, b, a in (image.getpixel((x, y)) for x in range(width))))
    return bitmap_header(width, height, 32) + b"".join(rows) + and_mask(image)


def dib_8(image):
    width, height = image.size
    opaque = Image.new("RGB", image.size, (255, 255, 255))
    opaque.paste(image, mask=image.split()[3].point(lambda a: 255 if a >= 128 else 0))
    indexed = opaque.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    palette = indexed.getpalette()[:256 * 3]
    palette += [0] * (256 * 3 - len(palette))
    table = b"".join(bytes((palette[i + 2], palette[i + 1], palette[i], 0)) for i in range(0, 256 * 3, 3))
    stride = (width + 3) // 4 * 4
    rows = [bytes(indexed.getpixel((x, y)) for x in range(width)).ljust(stride, b"\0") for y in reversed(range(height))]
    return bitmap_header(width, height, 8, 256) + table + b"".join(rows) + and_mask(image)


def png(image):
    out = io.BytesIO()
    image.save(out, "PNG", optimize=True)
    return out.getvalue()


def icon_file(kind, entries):
    """An .ico (kind 1) or .cur (kind 2) file. Each entry: (size, word1,
    word2, data), the words being planes and bits per pixel for an icon and
    the hotspot for a cursor."""
    directory = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    images = b""
    for size, word1, word2, data in entries:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, word1, word2, len(data), offset + len(images))
        images += data
    return directory + images


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    icons = {size: draw_icon(size) for size in ICON_SIZES}
    entries = [(size, 1, 32, png(icons[size]) if size == 256 else dib_32(icons[size])) for size in ICON_SIZES]
    entries += [(size, 1, 8, dib_8(icons[size])) for size in PALETTE_ICON_SIZES]
    with open(os.path.join(folder, "MAINICON.ico"), "wb") as f:
        f.write(icon_file(1, entries))

    cursor = draw_cursor()
    with open(os.path.join(folder, "HANDPOINT.cur"), "wb") as f:
        f.write(icon_file(2, [(CURSOR_SIZE, *fingertip(cursor), dib_32(cursor))]))


if __name__ == "__main__":
    main()
