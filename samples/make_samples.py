#!/usr/bin/python3
"""make_samples.py FOLDER: writes the sample files that the main job renders
into a contact sheet:
bitmaps of every bit depth and RLE kind, icons, enhanced and placeable
metafiles. Each picture shows a few coloured shapes so that a wrong row
order, palette or scale is easy to see."""
import math
import os
import shutil
import struct
import sys

from PIL import Image


def stride(width, bits):
    return (width * bits + 31) // 32 * 4


def scene(x, y, w, h):
    """The colour (r, g, b) of the test scene at (x, y), y = 0 at the top."""
    if (x - w * 0.3) ** 2 + (y - h * 0.35) ** 2 < (min(w, h) * 0.22) ** 2:
        return (220, 40, 40)
    if x > w * 0.55 and y > h * 0.5:
        return (40, 90, 220)
    if y < h * 0.12:
        return (30, 160, 60)
    return (255, 255, 255) if (x // 8 + y // 8) % 2 else (235, 225, 150)


PALETTE16 = [(0, 0, 0), (220, 40, 40), (40, 90, 220), (30, 160, 60), (255, 255, 255), (235, 225, 150)] + \
    [(i * 20, i * 20, i * 20) for i in range(10)]
PALETTE256 = [((i >> 5) * 36, ((i >> 2) & 7) * 36, (i & 3) * 85) for i in range(256)]


def nearest(palette, colour):
    return min(range(len(palette)), key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], colour)))


def index_rows(w, h, palette):
    cache = {}
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            c = scene(x, y, w, h)
            if c not in cache:
                cache[c] = nearest(palette, c)
            row.append(cache[c])
        rows.append(row)
    return rows


def pack(row, bits):
    if bits == 24:
        data = b''.join(bytes((b, g, r)) for r, g, b in row)
    elif bits == 8:
        data = bytes(row)
    else:
        per = 8 // bits
        data = bytes(sum(v << (8 - bits * (i + 1)) for i, v in enumerate(row[k:k + per]))
                     for k in range(0, len(row), per))
    return data + bytes(-len(data) % 4)


def bmp_file(w, h, bits, pixels, palette=(), compression=0, masks=None, top_down=False):
    table = (b''.join(struct.pack('<I', m) for m in masks) if masks else b'') + \
        b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    header = struct.pack('<IiiHHIIiiII', 40, w, -h if top_down else h, 1, bits, compression, len(pixels),
                         3780, 3780, len(palette), 0)
    offset = 14 + 40 + len(table)
    return struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset) + header + table + pixels


def rows_bottom_up(rows, top_down=False):
    return rows if top_down else rows[::-1]


def palette_bmp(w, h, bits, palette, top_down=False):
    rows = index_rows(w, h, palette)
    pixels = b''.join(pack(r, bits) for r in rows_bottom_up(rows, top_down))
    return bmp_file(w, h, bits, pixels, palette, top_down=top_down)


def truecolour_rows(w, h):
    return [[scene(x, y, w, h) for x in range(w)] for y in range(h)]


def bmp24(w, h, top_down=False):
    pixels = b''.join(pack(r, 24) for r in rows_bottom_up(truecolour_rows(w, h), top_down))
    return bmp_file(w, h, 24, pixels, top_down=top_down)


def bmp16_565(w, h):
    rows = []
    for row in rows_bottom_up(truecolour_rows(w, h)):
        data = b''.join(struct.pack('<H', (r >> 3) << 11 | (g >> 2) << 5 | b >> 3) for r, g, b in row)
        rows.append(data + bytes(-len(data) % 4))
    return bmp_file(w, h, 16, b''.join(rows), compression=3, masks=(0xF800, 0x07E0, 0x001F))


def bmp32(w, h):
    pixels = b''.join(b''.join(bytes((b, g, r, 0)) for r, g, b in row) for row in rows_bottom_up(truecolour_rows(w, h)))
    return bmp_file(w, h, 32, pixels)


def rle_codes(rows, run_value):
    """Encoded runs of equal indexes, one row after another; run_value gives
    the code's second byte for an index."""
    out = b''
    for row in rows:
        x = 0
        while x < len(row):
            n = 1
            while x + n < len(row) and row[x + n] == row[x] and n < 255:
                n += 1
            out += bytes((n, run_value(row[x])))
            x += n
        out += b'\0\0'
    return out + b'\0\1'


def rle_bmp(w, h, bits):
    palette = PALETTE16 if bits == 4 else PALETTE256
    rows = index_rows(w, h, palette)[::-1]
    codes = rle_codes(rows, (lambda v: v << 4 | v) if bits == 4 else (lambda v: v))
    return bmp_file(w, h, bits, codes, palette, compression=2 if bits == 4 else 1)


def icon_image(size, bits):
    rows = truecolour_rows(size, size)
    # A transparent border of 2 pixels: in the AND mask, and in the alpha of 32-bit images.
    mask_rows = [[0 if 2 <= x < size - 2 and 2 <= y < size - 2 else 1 for x in range(size)] for y in range(size)]
    if bits == 32:
        xor = b''.join(b''.join(bytes((b, g, r, 0 if m else 255)) for (r, g, b), m in zip(row, mask_row))
                       for row, mask_row in zip(rows[::-1], mask_rows[::-1]))
        palette = b''
    else:
        pal = PALETTE16 if bits == 4 else PALETTE256
        xor = b''.join(pack(r, bits) for r in index_rows(size, size, pal)[::-1])
        palette = b''.join(bytes((b, g, r, 0)) for r, g, b in pal)
    mask = b''.join(pack(r, 1) for r in mask_rows[::-1])
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, len(xor) + len(mask), 0, 0,
                         len(palette) // 4, 0)
    return header + palette + xor + mask


def ico(images):
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    blobs = b''
    for size, bits in images:
        blob = icon_image(size, bits)
        colours = 16 if bits == 4 else 0
        data += struct.pack('<BBBBHHII', size % 256, size % 256, colours, 0, 1, bits, len(blob), offset + len(blobs))
        blobs += blob
    return data + blobs


def wmf_record(function, *words):
    return struct.pack('<IH', 3 + len(words), function) + struct.pack(f'<{len(words)}h', *words)


def placeable_wmf():
    records = (wmf_record(0x020B, 0, 0) +                  # SetWindowOrg(y, x)
               wmf_record(0x020C, 600, 900) +              # SetWindowExt(y, x)
               wmf_record(0x02FC, 0, 0x60DC, 0x0014, 0) +  # CreateBrushIndirect: solid, colour
               wmf_record(0x012D, 0) +                     # SelectObject(0)
               wmf_record(0x041B, 500, 800, 100, 100) +    # Rectangle(bottom, right, top, left)
               wmf_record(0x02FC, 0, 0x2828, 0x00DC, 0) +
               wmf_record(0x012D, 1) +
               wmf_record(0x0418, 400, 500, 150, 250) +    # Ellipse
               wmf_record(0x0000))
    words = 9 + len(records) // 2
    meta_header = struct.pack('<HHHIHIH', 1, 9, 0x300, words, 2, 8, 0)
    head = struct.pack('<IHhhhhHI', 0x9AC6CDD7, 0, 0, 0, 900, 600, 1440, 0)
    checksum = 0
    for (word,) in struct.iter_unpack('<H', head):
        checksum ^= word
    return head + struct.pack('<H', checksum) + meta_header + records


def emf():
    def record(kind, payload):
        return struct.pack('<II', kind, 8 + len(payload)) + payload
    body = (record(39, struct.pack('<IIIi', 1, 0, 0x0060DC14, 0)) +         # CREATEBRUSHINDIRECT (solid)
            record(37, struct.pack('<I', 1)) +                             # SELECTOBJECT
            record(43, struct.pack('<iiii', 10, 10, 190, 110)) +           # RECTANGLE
            record(39, struct.pack('<IIIi', 2, 0, 0x002828DC, 0)) +
            record(37, struct.pack('<I', 2)) +
            record(42, struct.pack('<iiii', 40, 30, 120, 100)) +           # ELLIPSE
            record(14, struct.pack('<III', 0, 16, 20)))                    # EOF
    header_size = 88
    total = header_size + len(body)
    header = struct.pack('<II', 1, header_size) + struct.pack('<iiii', 0, 0, 199, 119) + \
        struct.pack('<iiii', 0, 0, 5291, 3175) + struct.pack('<IIIIHHIII', 0x464D4520, 0x10000, total, 8, 3, 0, 0, 0, 0) + \
        struct.pack('<iiii', 1024, 768, 271, 203)
    return header + body


def pillow_picture(w, h, mode='RGB'):
    picture = Image.new('RGB', (w, h))
    picture.putdata([scene(x, y, w, h) for y in range(h) for x in range(w)])
    return picture if mode == 'RGB' else picture.convert(mode)


def pillow_file(w, h, fmt, mode='RGB', **options):
    def make():
        import io
        out = io.BytesIO()
        pillow_picture(w, h, mode).save(out, fmt, **options)
        return out.getvalue()
    return make


def two_colour_png(w, h):
    """A 1-bit PNG whose two colours are not white: its surroundings must stay white."""
    def make():
        import io
        picture = Image.new('P', (w, h))
        picture.putpalette([220, 40, 40, 235, 225, 150])
        picture.putdata([(x // 8 + y // 8) % 2 for y in range(h) for x in range(w)])
        out = io.BytesIO()
        picture.save(out, 'PNG')
        return out.getvalue()
    return make


# A Japanese passage: kanji, hiragana, katakana, ASCII, in the encodings the text page reads.
PASSAGE = ('今日は良い天気です。ひらがな、カタカナ、漢字を表示します。\r\n'
           'サムネイルの試験用テキスト Imvexa 1.0 です。\r\n')


def text_sample(encoding, bom=b''):
    return lambda: bom + PASSAGE.encode(encoding)


SAMPLES = {
    'depth01.bmp': lambda: palette_bmp(150, 100, 1, [(0, 0, 0), (255, 255, 255)]),
    'depth04.bmp': lambda: palette_bmp(100, 150, 4, PALETTE16),
    'depth08.bmp': lambda: palette_bmp(320, 200, 8, PALETTE256),
    'depth08_small.bmp': lambda: palette_bmp(80, 60, 8, PALETTE256),
    'depth16_565.bmp': lambda: bmp16_565(200, 130),
    'depth24.bmp': lambda: bmp24(400, 300),
    'depth24_topdown.bmp': lambda: bmp24(130, 90, top_down=True),
    'depth32.dib': lambda: bmp32(240, 240),
    'rle4.rle': lambda: rle_bmp(180, 120, 4),
    'rle8.rle': lambda: rle_bmp(160, 160, 8),
    'icon.ico': lambda: ico([(16, 4), (32, 8), (32, 32), (48, 32)]),
    'metafile.emf': emf,
    'placeable.wmf': placeable_wmf,
    'truecolour.png': pillow_file(300, 200, 'PNG'),
    'palette_interlaced.png': pillow_file(90, 140, 'PNG', 'P', interlace=1),
    'grey.png': pillow_file(100, 100, 'PNG', 'L'),
    'two_colour.png': two_colour_png(40, 30),
    'photo.jpg': pillow_file(320, 240, 'JPEG', quality=90),
    'progressive.jpeg': pillow_file(200, 260, 'JPEG', progressive=True),
    'grey.jfif': pillow_file(110, 80, 'JPEG', 'L'),
    'hello.txt': lambda: b'hello\r\nabc',
    'japanese_sjis.txt': text_sample('shift_jis'),
    'japanese_euc.txt': text_sample('euc_jp'),
    'japanese_jis.txt': text_sample('iso2022_jp'),
    'japanese_utf16.txt': text_sample('utf-16-le', b'\xff\xfe'),
    'empty.txt': lambda: b'',
    'bom_only.txt': lambda: b'\xff\xfe',
}

if __name__ == '__main__':
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, make in SAMPLES.items():
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(make())
    # Files made by the project's own writers (MAG pictures) are kept as they are.
    kept = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'kept')
    for name in sorted(os.listdir(kept)):
        shutil.copyfile(os.path.join(kept, name), os.path.join(folder, name))
