#!/usr/bin/python3
"""Writes the seed corpus of fuzz_convert: one small picture for every pair
of source and target format (runs that compress, so RLE sources appear),
noise, key colours and reduction sizes. Run from anywhere; the files land in
fuzz/corpus/convert/."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCES = ['1bit', '4bit', '4bitrle', '8bit', '8bitrle', '24bit']
TARGETS = ['1bit', '4bit', '4bitrle', '8bit', '8bitrle', '24bit', 'halftone', 'halftonebw']
BITS = [1, 4, 4, 8, 8, 24]


def seed(source, target, width, height, top_down=False, mode=0, key=0xFFFFFF, reduce=(3, 2), noise=False):
    header = bytes([source, width - 1, height - 1, 0x80 if top_down else 0, target, mode]) + \
        struct.pack('<I', key) + bytes(reduce)
    bits = BITS[source]
    table = b''.join(bytes([i * 37 % 256, i * 91 % 256, i * 13 % 256, 0]) for i in range(1 << bits)) if bits < 24 else b''
    stride = (width * bits + 31) // 32 * 4
    if noise:
        pixels = bytes((i * 2654435761 >> 13) % 256 for i in range(stride * height))
    else:
        pixels = bytes(((x // 6 + y) % 3) * 0x11 for y in range(height) for x in range(stride))
    return header + table + pixels


def write(name, data):
    path = os.path.join(HERE, 'corpus', 'convert')
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, name), 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    for s, source in enumerate(SOURCES):
        for t, target in enumerate(TARGETS):
            write(f'{source}_to_{target}', seed(s, t, 24, 5, top_down=(s + t) % 2 == 1, mode=t % 2))
    write('24bit_noise_high_to_8bit', seed(5, 3, 33, 9, mode=1, noise=True))
    write('24bit_noise_low_to_4bit', seed(5, 1, 17, 13, noise=True, reduce=(17, 13)))
    write('24bit_system_key_to_1bit', seed(5, 0, 9, 3, key=0x80000005))
    write('8bit_enlarged', seed(3, 5, 4, 3, reduce=(9, 7)))
    write('24bit_zero_reduction', seed(5, 6, 5, 5, reduce=(0, 4)))
    write('24bit_invalid_mode', seed(5, 3, 6, 2, mode=2))
    write('8bit_invalid_target', seed(3, 8, 6, 2))
