#!/usr/bin/env python3
"""Writes the BMP reader's seed corpus: small BMP files of every layout the
loader accepts, and a few it must refuse. Run it from anywhere; it rewrites
these seeds in corpus/load-from-file beside it and leaves the other inputs
there (the ones the fuzzer found) alone."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def bmp(width, height, bits, rows, table=(), compression=0, masks=(), colors_used=0,
        size_image=0, header_size=40):
    info = struct.pack('<IiiHHIIiiII', header_size, width, height, 1, bits, compression,
                       size_image, 0, 0, colors_used, 0)
    extra = b''.join(struct.pack('<I', m) for m in masks)
    extra += b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in table)
    data = info + extra + rows
    return b'BM' + struct.pack('<IHHI', 14 + len(data), 0, 0, 14 + len(info) + len(extra)) + data


def padded(row):
    return row + b'\0' * (-len(row) % 4)


SEEDS = {
    'mono-9x3.bmp': bmp(9, 3, 1, padded(b'\xa5\x80') * 3, [(0, 0, 0), (255, 255, 255)]),
    'nibbles-5x2.bmp': bmp(5, 2, 4, padded(b'\x01\x23\x40') * 2,
                           [(i * 16, 255 - i * 16, i) for i in range(16)]),
    'indexed-3x3-short-table.bmp': bmp(3, 3, 8, padded(b'\x00\x01\x02') * 3,
                                       [(255, 0, 0), (0, 255, 0), (0, 0, 255)], colors_used=3),
    'rgb555-3x2.bmp': bmp(3, 2, 16, padded(struct.pack('<HHH', 0x7c00, 0x03e0, 0x001f)) * 2),
    'rgb565-3x2.bmp': bmp(3, 2, 16, padded(struct.pack('<HHH', 0xf800, 0x07e0, 0x001f)) * 2,
                          compression=3, masks=(0xf800, 0x07e0, 0x001f)),
    'letter-f-6x5.bmp': bmp(6, 5, 24, b''.join(padded(bytes(sum(
        ([0, 0, 255] if c == '#' else [255, 0, 0] for c in row), [])))
        for row in ['#.....', '#.....', '####..', '#.....', '#####.'])),
    'rgb-3x2.bmp': bmp(3, 2, 32, bytes(range(24))),
    'bitfields-2x2.bmp': bmp(2, 2, 32, bytes(range(16)), compression=3,
                             masks=(0xff000000, 0x00ff0000, 0x0000ff00)),
    'sized-image-2x1.bmp': bmp(2, 1, 24, b'\1\2\3\4\5\6\0\0' + b'spare', size_image=13),
    'truncated-rows.bmp': bmp(4, 4, 24, b'\0' * 20),
    'core-header.bmp': bmp(2, 2, 24, b'\0' * 16, header_size=12),
    'top-down.bmp': bmp(2, -2, 24, b'\0' * 16),
    # Found by the fuzzer: bit count x planes overflowed an int.
    'planes-overflow.bmp': b'BM' + b'\0' * 12 + struct.pack(
        '<IiiHHIIiiII', 40, 3, 0x3103, 0xfff7, 0xffff, 0xf5ff, 0, 0, 0, 0, 0) + b'\0' * 40,
}

corpus = os.path.join(HERE, 'corpus', 'load-from-file')
os.makedirs(corpus, exist_ok=True)
for name, data in SEEDS.items():
    with open(os.path.join(corpus, name), 'wb') as out:
        out.write(data)
