"""A small PNG encoder for test files: every colour type and bit depth, each
of the five row filters (chosen per row), Adam7 interlacing, image data
split into IDAT chunks of any size, extra chunks, and broken CRCs on demand.
Only the standard library is used; the decoded reference comes from Pillow
(make_pillow_cases.py). It makes the checked-in fixtures and fuzz seeds next
to Pillow; tests never run it: they build their files with PngBuilder.h."""
import random
import struct
import zlib

SAMPLES = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}

# Adam7: first column, column step, first row, row step.
ADAM7 = [(0, 8, 0, 8), (4, 8, 0, 8), (0, 4, 4, 8), (2, 4, 0, 4), (0, 2, 2, 4), (1, 2, 0, 2), (0, 1, 1, 2)]


def chunk(kind, data, bad_crc=False):
    crc = zlib.crc32(kind + data) & 0xFFFFFFFF
    if bad_crc:
        crc ^= 0x5A5A5A5A
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', crc)


def pack_row(pixels, color_type, depth):
    """pixels: a list of sample tuples. Returns the packed row bytes."""
    samples = [s for p in pixels for s in p]
    if depth == 16:
        return b''.join(struct.pack('>H', s) for s in samples)
    if depth == 8:
        return bytes(samples)
    out = bytearray((len(samples) * depth + 7) // 8)
    for i, s in enumerate(samples):
        bit = i * depth
        out[bit // 8] |= s << (8 - depth - bit % 8)
    return bytes(out)


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def filter_row(kind, row, prior, distance):
    out = bytearray([kind])
    for i, x in enumerate(row):
        a = row[i - distance] if i >= distance else 0
        b = prior[i] if prior is not None else 0
        c = prior[i - distance] if prior is not None and i >= distance else 0
        predictor = [0, a, b, (a + b) // 2, paeth(a, b, c)][kind]
        out.append((x - predictor) & 0xFF)
    return bytes(out)


def filtered_data(image, color_type, depth, interlace, filters):
    """image: rows of sample tuples. filters: a function (index of the row
    in the data) -> filter type 0..4."""
    height = len(image)
    width = len(image[0]) if height else 0
    distance = max(1, SAMPLES[color_type] * depth // 8)
    if interlace:
        passes = []
        for fc, cs, fr, rs in ADAM7:
            sub = [[image[y][x] for x in range(fc, width, cs)] for y in range(fr, height, rs)]
            if sub and sub[0]:
                passes.append(sub)
    else:
        passes = [image]
    data = bytearray()
    n = 0
    for sub in passes:
        prior = None
        for pixels in sub:
            row = pack_row(pixels, color_type, depth)
            data += filter_row(filters(n), row, prior, distance)
            prior = row
            n += 1
    return bytes(data)


def encode(image, color_type, depth, interlace=0, filters=None, palette=None, idat_size=None,
           bad_crc=False, before_idat=(), after_idat=(), level=9, raw_header=None):
    """Returns the bytes of a PNG file. palette: a list of (r, g, b).
    before_idat / after_idat: (kind, data) chunks put around the image data.
    raw_header: the 13 IHDR bytes, replacing the computed ones."""
    if filters is None:
        def filters(n):
            return n % 5
    height = len(image)
    width = len(image[0]) if height else 0
    data = zlib.compress(filtered_data(image, color_type, depth, interlace, filters), level)
    out = b'\x89PNG\r\n\x1a\n'
    header = raw_header or struct.pack('>IIBBBBB', width, height, depth, color_type, 0, 0, interlace)
    out += chunk(b'IHDR', header, bad_crc)
    if palette is not None:
        out += chunk(b'PLTE', b''.join(bytes(c) for c in palette), bad_crc)
    for kind, body in before_idat:
        out += chunk(kind, body, bad_crc)
    # Chunks of idat_size bytes, but the last one keeps the final 16 bytes of
    # the zlib stream together: they end the last row, and an IDAT after the
    # chunk that completes the last row fails the reader ("appear two IDAT").
    size = idat_size or len(data) or 1
    last_start = max(0, len(data) - 16)
    start = 0
    while True:
        end = len(data) if start + size >= last_start else start + size
        out += chunk(b'IDAT', data[start:end], bad_crc)
        start = end
        if start >= len(data):
            break
    for kind, body in after_idat:
        out += chunk(kind, body, bad_crc)
    out += chunk(b'IEND', b'', bad_crc)
    return out


def random_image(width, height, color_type, depth, seed, max_index=None):
    """Rows of sample tuples: a smooth ramp with noise, every sample in range."""
    rng = random.Random(seed)
    top = (1 << depth) - 1 if max_index is None else max_index
    n = SAMPLES[color_type]
    image = []
    for y in range(height):
        row = []
        for x in range(width):
            pixel = []
            for s in range(n):
                base = (x * 7 + y * 13 + s * 50) * top // max(1, width * 7 + height * 13 + 150)
                value = base + rng.randint(-top // 8 - 1, top // 8 + 1)
                pixel.append(min(top, max(0, value)))
            row.append(tuple(pixel))
        image.append(row)
    return image


# Every accepted colour type and bit depth.
KINDS = [(0, 1), (0, 2), (0, 4), (0, 8), (0, 16), (2, 8), (2, 16), (3, 1), (3, 2), (3, 4), (3, 8),
         (4, 8), (4, 16), (6, 8), (6, 16)]


def sample_palette(count, seed=7):
    rng = random.Random(seed)
    return [(rng.randrange(256), rng.randrange(256), rng.randrange(256)) for _ in range(count)]
