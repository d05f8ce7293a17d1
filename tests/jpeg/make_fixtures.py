#!/usr/bin/python3
"""Writes the JPEG test fixtures into tests/jpeg/data and copies the JPEG
files into fuzz/corpus/jpeg as the fuzz target's seeds. The JPEG files come
from cjpeg (libjpeg-turbo-progs) and Pillow; each expected picture is djpeg's
decode of the same file with the options that match the graphic's settings,
as a binary PPM (colour) or PGM (grey). Run from anywhere with Debian's
python3 (it has Pillow)."""
import io
import math
import os
import shutil
import subprocess
import tempfile

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, 'data')
CORPUS = os.path.join(HERE, '..', '..', 'fuzz', 'corpus', 'jpeg')


def photo(width, height):
    """A small photograph-like picture: smooth gradients, a hard-edged disc
    and some texture, so that every decoding stage has work to do."""
    image = Image.new('RGB', (width, height))
    for y in range(height):
        for x in range(width):
            inside = (x - width * 0.6) ** 2 + (y - height * 0.4) ** 2 < (height * 0.3) ** 2
            texture = int(20 * math.sin(x * 1.7) * math.cos(y * 1.3))
            r = 230 if inside else x * 255 // width
            g = 40 if inside else y * 255 // height
            b = max(0, min(255, 128 + texture + (x - y) * 2))
            image.putpixel((x, y), (r, g, b))
    return image


def cmyk_picture(width, height):
    """Inks of a CMYK picture: bands of each ink under a horizontal black ramp."""
    image = Image.new('CMYK', (width, height))
    for y in range(height):
        for x in range(width):
            band = y * 4 // height
            inks = [0, 0, 0]
            if band < 3:
                inks[band] = 200
            else:
                inks = [90, 60, 30]
            image.putpixel((x, y), (*inks, x * 160 // width))
    return image


def run(args, stdin=None):
    return subprocess.run(args, input=stdin, stdout=subprocess.PIPE, check=True).stdout


def write(name, data):
    with open(os.path.join(DATA, name), 'wb') as f:
        f.write(data)


def read(name):
    with open(os.path.join(DATA, name), 'rb') as f:
        return f.read()


def ppm(image):
    out = io.BytesIO()
    image.save(out, 'PPM')
    return out.getvalue()


def cjpeg(name, source, *options):
    write(name, run(['cjpeg', *options], ppm(source)))


def djpeg(name, expected, *options):
    # djpeg warns about damaged data and still writes the picture.
    write(expected, subprocess.run(['djpeg', '-pnm', *options, os.path.join(DATA, name)],
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout)


def without_adobe_marker(jpeg):
    """The file without its APP14 segment: the library then reads the samples as ink amounts."""
    at = jpeg.index(b'\xff\xee')
    length = jpeg[at + 2] << 8 | jpeg[at + 3]
    return jpeg[:at] + jpeg[at + 2 + length:]


def corrupt_scan(jpeg):
    """Damages entropy-coded data after a restart marker: corrupt data, not a fatal error."""
    at = jpeg.index(b'\xff\xd0') + 2
    return jpeg[:at] + bytes(b ^ 0x5A if b != 0xFF else b for b in jpeg[at:at + 12]) + jpeg[at + 12:]


def main():
    os.makedirs(DATA, exist_ok=True)
    small = photo(45, 29)
    larger = photo(64, 48)

    cjpeg('baseline.jpg', small, '-quality', '85')
    djpeg('baseline.jpg', 'baseline.ppm')
    djpeg('baseline.jpg', 'baseline-236.ppm', '-colors', '236')
    djpeg('baseline.jpg', 'baseline-fast.ppm', '-dct', 'fast')
    djpeg('baseline.jpg', 'baseline-fast-236.ppm', '-dct', 'fast', '-onepass', '-dither', 'ordered',
          '-colors', '236')
    djpeg('baseline.jpg', 'baseline-grey.pgm', '-grayscale', '-colors', '236')
    djpeg('baseline.jpg', 'baseline-half.ppm', '-scale', '1/2')
    djpeg('baseline.jpg', 'baseline-eighth.ppm', '-scale', '1/8')

    cjpeg('yuv444.jpg', small, '-quality', '85', '-sample', '1x1')
    djpeg('yuv444.jpg', 'yuv444.ppm')
    cjpeg('rgb.jpg', small, '-quality', '85', '-rgb')
    djpeg('rgb.jpg', 'rgb.ppm')
    cjpeg('grey.jpg', small, '-quality', '85', '-grayscale')
    djpeg('grey.jpg', 'grey.pgm', '-colors', '236')
    cjpeg('progressive.jpg', small, '-quality', '85', '-progressive')
    djpeg('progressive.jpg', 'progressive.ppm')
    djpeg('progressive.jpg', 'progressive-236.ppm', '-colors', '236')

    cjpeg('larger.jpg', larger, '-quality', '85')
    full = read('larger.jpg')
    os.remove(os.path.join(DATA, 'larger.jpg'))
    write('truncated.jpg', full[:len(full) * 6 // 10])
    djpeg('truncated.jpg', 'truncated.ppm')
    cjpeg('larger-progressive.jpg', larger, '-quality', '85', '-progressive')
    full = read('larger-progressive.jpg')
    os.remove(os.path.join(DATA, 'larger-progressive.jpg'))
    write('progressive-cut.jpg', full[:len(full) // 2])
    djpeg('progressive-cut.jpg', 'progressive-cut.ppm')

    cjpeg('restart.jpg', small, '-quality', '85', '-restart', '1')
    restart = read('restart.jpg')
    os.remove(os.path.join(DATA, 'restart.jpg'))
    write('corrupt.jpg', corrupt_scan(restart))
    djpeg('corrupt.jpg', 'corrupt.ppm')

    # Pillow writes CMYK files the way most programs do: inverted samples and an Adobe marker.
    out = io.BytesIO()
    cmyk_picture(40, 32).save(out, 'JPEG', quality=90)
    write('cmyk-adobe.jpg', out.getvalue())
    djpeg('cmyk-adobe.jpg', 'cmyk-adobe.ppm')
    inverted = Image.eval(cmyk_picture(40, 32), lambda v: 255 - v)
    out = io.BytesIO()
    inverted.save(out, 'JPEG', quality=90)
    write('cmyk-plain.jpg', without_adobe_marker(out.getvalue()))

    if os.path.isdir(CORPUS):
        shutil.rmtree(CORPUS)
    os.makedirs(CORPUS)
    for name in sorted(os.listdir(DATA)):
        if name.endswith('.jpg'):
            shutil.copy(os.path.join(DATA, name), os.path.join(CORPUS, name))
    # Adobe transform 2 marks the samples as YCCK, which neither tool writes.
    cmyk = read('cmyk-adobe.jpg')
    transform = cmyk.index(b'\xff\xee') + 15
    with open(os.path.join(CORPUS, 'ycck.jpg'), 'wb') as f:
        f.write(cmyk[:transform] + b'\x02' + cmyk[transform + 1:])


if __name__ == '__main__':
    main()
