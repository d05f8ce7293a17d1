#!/usr/bin/python3
"""Writes the seed corpora of the fuzz targets: small BMP files of every
header kind and bit depth (RLE and bit fields included), bare RLE code
streams, icon directories and metafile headers. Run from anywhere; the
files land in fuzz/corpus/."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def stride(width, bits):
    return (width * bits + 31) // 32 * 4


def bmp(width, height, bits, compression=0, colors=None, pixels=None, masks=None, core=False):
    if colors is None:
        colors = [(i * 37 % 256, i * 91 % 256, i * 13 % 256) for i in range(1 << bits)] if bits <= 8 else []
    if pixels is None:
        pixels = bytes((x * 7 + y * 3) % 256 for y in range(abs(height)) for x in range(stride(width, bits)))
    if core:
        header = struct.pack('<IHHHH', 12, width, height, 1, bits)
        table = b''.join(bytes(c) for c in colors)
    else:
        header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, compression, len(pixels), 0, 0,
                             len(colors), 0)
        table = (b''.join(struct.pack('<I', m) for m in masks) if masks else b'') + \
            b''.join(bytes(c) + b'\0' for c in colors)
    offset = 14 + len(header) + len(table)
    return struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset) + header + table + pixels


RLE8 = bytes([3, 5, 0, 0, 0, 3, 1, 2, 3, 0, 0, 2, 1, 0, 2, 9, 0, 1])
RLE4 = bytes([3, 0x12, 0, 0, 0, 2, 1, 0, 0, 4, 0x12, 0x34, 0, 1])


def write(folder, name, data):
    path = os.path.join(HERE, 'corpus', folder)
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, name), 'wb') as f:
        f.write(data)


def bmp_seeds():
    for bits in (1, 4, 8, 24):
        write('bmp', f'bottom_up_{bits}.bmp', bmp(13, 7, bits))
        write('bmp', f'top_down_{bits}.bmp', bmp(13, -7, bits))
        write('bmp', f'core_{bits}.bmp', bmp(13, 7, bits, core=True))
    write('bmp', 'rgb555_16.bmp', bmp(9, 5, 16))
    write('bmp', 'rgb_32.bmp', bmp(9, -5, 32))
    write('bmp', 'bitfields_565.bmp', bmp(9, 5, 16, 3, masks=(0xF800, 0x07E0, 0x001F)))
    write('bmp', 'bitfields_32.bmp', bmp(9, 5, 32, 3, masks=(0xFF0000, 0xFF00, 0xFF)))
    write('bmp', 'rle8.bmp', bmp(4, 3, 8, 1, pixels=RLE8))
    write('bmp', 'rle4.bmp', bmp(5, 3, 4, 2, pixels=RLE4))
    write('bmp', 'palette_300.bmp', bmp(3, 2, 8, colors=[(1, 2, 3)] * 300))


def rle_seeds():
    # Header bytes of the RLE target: bit 0 of byte 0 picks 4 bits; then width and height.
    write('rle', 'rle8', bytes([0, 8, 3, 0]) + RLE8)
    write('rle', 'rle4', bytes([1, 10, 3, 0]) + RLE4)
    write('rle', 'rle8_top_down', bytes([0, 8, 3, 0x80]) + RLE8)


def icon(entries):
    data = struct.pack('<HHH', 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    images = b''
    for width, bits in entries:
        image = struct.pack('<IiiHHIIiiII', 40, width, width * 2, 1, bits, 0, 0, 0, 0, 0, 0) + \
            bytes(stride(width, bits) * width + stride(width, 1) * width)
        data += struct.pack('<BBBBHHII', width % 256, width % 256, 0, 0, 1, bits, len(image), offset + len(images))
        images += image
    return data + images


def placeable(right, bottom, inch):
    head = struct.pack('<IHhhhhHI', 0x9AC6CDD7, 0, 0, 0, right, bottom, inch, 0)
    checksum = 0
    for (word,) in struct.iter_unpack('<H', head):
        checksum ^= word
    return head + struct.pack('<H', checksum) + bytes(18)


def header_seeds():
    write('picture_headers', 'icon.ico', icon([(16, 4), (32, 8), (48, 32)]))
    write('picture_headers', 'placeable.wmf', placeable(1440, 720, 1440))
    emf = bytearray(100)
    emf[40:44] = b' EMF'
    struct.pack_into('<iiii', emf, 24, 0, 0, 10000, 5000)
    struct.pack_into('<iiii', emf, 72, 1000, 800, 250, 200)
    write('picture_headers', 'enhanced.emf', bytes(emf))


if __name__ == '__main__':
    bmp_seeds()
    rle_seeds()
    header_seeds()
