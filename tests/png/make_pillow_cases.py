#!/usr/bin/python3
"""Writes PNG files and, for each, the colours an independent decoder
(Pillow, Debian's python3-pil) reads from it, converted the way QXPNGLE
converts: alpha dropped, 16-bit samples reduced to their high byte.

Usage: make_pillow_cases.py OUTDIR (the checked-in set is tests/png/data/pillow;
run again only to change it)

OUTDIR/manifest.txt has one line per case: "NAME WIDTH HEIGHT BITS", BITS
being the bitmap format QXPNGLE must produce (1, 4, 8 or 24). NAME.png is
the file and NAME.rgb its width x height pixels as red, green, blue bytes,
top row first. The files come from two encoders: pngencode.py (every colour
type, depth, filter type and interlacing) and Pillow's own."""
import io
import os
import struct
import sys

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import pngencode  # noqa: E402


def expected_bits(color_type, depth):
    if color_type in (2, 4, 6):
        return 24
    if depth == 2:
        return 4
    return 8 if depth == 16 else depth


def decoded_rgb(data):
    """Pillow's pixels as RGB bytes, 16-bit greyscale reduced to its high byte."""
    image = Image.open(io.BytesIO(data))
    image.load()
    if image.mode in ('I', 'I;16', 'I;16B'):
        values = [v >> 8 for v in image.getdata()]
        return bytes(v for v in values for _ in range(3))
    if image.mode in ('LA', 'L', '1', 'P', 'RGBA', 'RGB', 'PA'):
        return image.convert('RGB').tobytes()
    raise SystemExit(f'unexpected Pillow mode {image.mode}')


def main():
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    lines = []

    def case(name, data):
        width, height, depth, color_type = struct.unpack('>IIBB', data[16:26])
        rgb = decoded_rgb(data)
        assert len(rgb) == width * height * 3, name
        with open(os.path.join(out_dir, name + '.png'), 'wb') as f:
            f.write(data)
        with open(os.path.join(out_dir, name + '.rgb'), 'wb') as f:
            f.write(rgb)
        lines.append(f'{name} {width} {height} {expected_bits(color_type & 7, depth)}')

    seed = 0
    for color_type, depth in pngencode.KINDS:
        for interlace in (0, 1):
            for width, height in ((1, 1), (5, 3), (37, 23)):
                seed += 1
                palette = pngencode.sample_palette(1 << depth, seed) if color_type == 3 else None
                image = pngencode.random_image(width, height, color_type, depth, seed)
                name = f'ct{color_type}_d{depth}_{"adam7" if interlace else "plain"}_{width}x{height}'
                case(name, pngencode.encode(image, color_type, depth, interlace=interlace, palette=palette,
                                            filters=lambda n, s=seed: (n * 3 + s) % 5, idat_size=17 + seed))

    # Pillow as the encoder too (its own filter choice and compression).
    picture = Image.new('RGB', (61, 29))
    picture.putdata([((x * 4) % 256, (y * 9) % 256, ((x * y) ^ 0x55) % 256) for y in range(29) for x in range(61)])
    for mode in ('RGB', 'RGBA', 'L', 'LA', 'P', '1'):
        converted = picture.convert(mode)
        if mode == 'RGBA':
            converted.putalpha(Image.linear_gradient('L').resize((61, 29)))
        for optimize in (False, True):
            buffer = io.BytesIO()
            converted.save(buffer, 'PNG', optimize=optimize)
            case(f'pillow_{mode}_{"opt" if optimize else "std"}', buffer.getvalue())
    for bits in (1, 2, 4):
        buffer = io.BytesIO()
        picture.quantize(1 << bits).save(buffer, 'PNG', bits=bits)
        case(f'pillow_P_bits{bits}', buffer.getvalue())
    grey16 = Image.new('I;16', (19, 7))
    grey16.putdata([(x * 3449 + y * 601) % 65536 for y in range(7) for x in range(19)])
    buffer = io.BytesIO()
    grey16.save(buffer, 'PNG')
    case('pillow_I16', buffer.getvalue())

    with open(os.path.join(out_dir, 'manifest.txt'), 'w') as f:
        f.write('\n'.join(lines) + '\n')


if __name__ == '__main__':
    main()
