#!/usr/bin/env python3
"""Writes one bad picture or sound file of every kind into the folder given, for the game to
choke on.

    bad_pictures.py OUT_DIR [ARTWORK_DIR]

ARTWORK_DIR (default: the repository's image/) supplies a real PNG and a real JPEG to cut
short and to misname. Nothing here is committed: the files are made afresh for each run.
Each file's name is its kind; the harness copies it over a picture path, whatever that path's
extension. Two kinds are not files: "folder" (a directory where the picture should be) and
"unreadable" (a real picture without read permission), which the harness makes itself from
the picture "unreadable" written here.
"""
import io
import os
import random
import struct
import sys
import zlib

from PIL import Image


def chunk(kind, data):
    return (struct.pack('>I', len(data)) + kind + data
            + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF))


def huge_png(width, height):
    """A well-formed PNG header that claims width x height RGBA pixels over two rows of data."""
    header = struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0)
    rows = b''.join(b'\x00' + b'\x00' * (4 * min(width, 4096)) for _ in range(2))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(rows))
            + chunk(b'IEND', b''))


def wav(frames, claimed_data_bytes=None):
    """A mono 16-bit 22050 Hz WAV of `frames` samples whose data chunk may claim another size."""
    data = b''.join(struct.pack('<h', (index * 997) % 20000 - 10000) for index in range(frames))
    size = len(data) if claimed_data_bytes is None else claimed_data_bytes
    fmt = struct.pack('<HHIIHH', 1, 1, 22050, 44100, 2, 16)
    return (b'RIFF' + struct.pack('<I', 36 + size) + b'WAVE' + b'fmt ' + struct.pack('<I', 16)
            + fmt + b'data' + struct.pack('<I', size) + data)


def encoded(picture, fmt):
    out = io.BytesIO()
    picture.save(out, fmt)
    return out.getvalue()


def main():
    out = sys.argv[1]
    artwork = sys.argv[2] if len(sys.argv) > 2 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), '..', 'image')
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(artwork, 'kageb.png'), 'rb') as f:
        real_png = f.read()
    with open(os.path.join(artwork, 'bg.jpg'), 'rb') as f:
        real_jpeg = f.read()
    noise = random.Random(7)

    kinds = {
        'zero-bytes': b'',
        'truncated-png': real_png[:len(real_png) // 2],
        'truncated-jpeg': real_jpeg[:len(real_jpeg) // 2],
        'random-bytes': bytes(noise.getrandbits(8) for _ in range(4096)),
        'huge-header-png': huge_png(100000, 100000),
        'jpeg-named-png': real_jpeg,
        'png-named-jpg': real_png,
        'one-pixel': encoded(Image.new('RGBA', (1, 1), (200, 30, 30, 255)), 'PNG'),
        # Mostly flat, so the file stays small while the decoded surface is 64 MB.
        'four-thousand': encoded(Image.new('RGB', (4000, 4000), (40, 90, 160)), 'PNG'),
        'unreadable': real_png,
        # The same faults in the sounds' own format.
        'truncated-wav': wav(2000)[:2000],
        'huge-header-wav': wav(64, claimed_data_bytes=0x7FFFFFF0),
    }
    for name, data in kinds.items():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
