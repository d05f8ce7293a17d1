#!/usr/bin/python3
"""Writes the seed corpus of fuzz_png into fuzz/corpus/png/: small PNG files
of every colour type and bit depth, interlaced and not, every filter type,
split image data, a palette with tRNS, tRNS key colours, and a few from Pillow's own encoder.
Run from anywhere with Debian's Python (/usr/bin/python3, python3-pil)."""
import io
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'tests', 'png'))
import pngencode  # noqa: E402


def write(name, data):
    folder = os.path.join(HERE, 'corpus', 'png')
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)


def main():
    for n, (color_type, depth) in enumerate(pngencode.KINDS):
        palette = pngencode.sample_palette(1 << depth) if color_type == 3 else None
        image = pngencode.random_image(11, 7, color_type, depth, seed=n)
        for interlace in (0, 1):
            name = f'ct{color_type}_d{depth}{"_adam7" if interlace else ""}.png'
            write(name, pngencode.encode(image, color_type, depth, interlace=interlace, palette=palette))
    image = pngencode.random_image(9, 9, 2, 8, seed=99)
    for f in range(5):
        write(f'filter{f}.png', pngencode.encode(image, 2, 8, filters=lambda n, f=f: f))
    write('split_idat.png', pngencode.encode(image, 2, 8, idat_size=7, bad_crc=True))
    indexed = pngencode.random_image(6, 5, 3, 4, seed=5, max_index=5)
    write('plte_trns.png', pngencode.encode(indexed, 3, 4, palette=pngencode.sample_palette(6),
                                            before_idat=[(b'tRNS', bytes([0, 128, 255]))],
                                            after_idat=[(b'tEXt', b'Comment\x00seed')]))
    for color_type, depth, key in ((0, 2, bytes([0, 1])), (0, 16, bytes([0x12, 0x34])),
                                   (2, 8, bytes([0, 10, 0, 20, 0, 30])), (2, 16, bytes(6))):
        keyed = pngencode.random_image(7, 6, color_type, depth, seed=depth)
        write(f'trns_ct{color_type}_d{depth}_adam7.png',
              pngencode.encode(keyed, color_type, depth, interlace=1, before_idat=[(b'tRNS', key)]))
    write('one_pixel_adam7.png', pngencode.encode([[(200,)]], 0, 8, interlace=1))
    write('truecolour_plte.png', pngencode.encode(image, 2, 8, palette=pngencode.sample_palette(3)))
    try:
        from PIL import Image
    except ImportError:
        return
    picture = Image.new('RGB', (16, 12))
    picture.putdata([(x * 16, y * 20, (x ^ y) * 16) for y in range(12) for x in range(16)])
    for mode in ('RGB', 'RGBA', 'L', 'LA', 'P', '1'):
        out = io.BytesIO()
        picture.convert(mode).save(out, 'PNG', optimize=True)
        write(f'pillow_{mode}.png', out.getvalue())


if __name__ == '__main__':
    main()
