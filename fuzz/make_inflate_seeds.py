#!/usr/bin/python3
"""Writes the seed corpus of fuzz_inflate into fuzz/corpus/inflate/: layouts
of rows and IDAT chunk sizes over streams that fit them exactly, some with
more or fewer bytes than the rows need, stored, fixed and dynamic blocks,
compressed by the target itself (mode bit 0) or given as a zlib stream."""
import os
import random
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
FOLDER = os.path.join(HERE, 'corpus', 'inflate')


def header(row, rows, split, tail, mode, stop=0):
    return struct.pack('>HHBBBBBB', row - 1, rows - 1, split, tail, mode, 0, 0, stop)


def main():
    os.makedirs(FOLDER, exist_ok=True)
    rng = random.Random(7)
    n = 0
    for row, rows in ((7, 3), (301, 20), (64, 100)):
        raw = bytes(rng.randrange(0, 256) if rng.random() < 0.3 else 65 for _ in range(row * rows))
        for split in (0, 1, 20, 130):
            for level in (0, 6, 9):
                for extra in (0, 5, -3):
                    data = raw + bytes(range(extra)) if extra >= 0 else raw[:extra]
                    tail = n % 4
                    stream = zlib.compress(data, level)
                    for body in (header(row, rows, split, tail, 0, n % 7) + stream,
                                 header(row, rows, split, tail, 1 | (level << 1)) + data):
                        with open(os.path.join(FOLDER, f'seed{n:03}'), 'wb') as f:
                            f.write(body)
                        n += 1


if __name__ == '__main__':
    main()
