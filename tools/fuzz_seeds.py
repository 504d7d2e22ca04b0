#!/usr/bin/env python3
"""Writes a small seed corpus for the game scene fuzzer into the folder given.

Frames are encoded as the fuzzer reads them: a control byte (button levels in the low three
bits, pointer kind in bits 3 and 4), then the pointer's bytes. Clicks on square centres give
the fuzzer whole moves to start from; the rest show it the far corners of the input space.
"""
import os
import struct
import sys

LEFT, MIDDLE, RIGHT = 1, 2, 4


def square(column, row, buttons):
    return bytes([buttons | (0 << 3), row * 9 + column])


def click(column, row, buttons=LEFT):
    return square(column, row, buttons) + square(column, row, 0)


def raw16(x, y, buttons):
    return bytes([buttons | (1 << 3)]) + struct.pack('<hh', x, y)


def raw32(x, y, buttons):
    return bytes([buttons | (2 << 3)]) + struct.pack('<ii', x, y)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    seeds = {
        # select, cancel, select again and move; Red answers; Blue's bishop takes Red's
        # bishop and is promoted on landing.
        'capture': click(2, 6) + click(2, 6, RIGHT) + click(2, 6) + click(2, 5)
        + click(6, 2) + click(6, 3) + click(1, 7) + click(7, 1),
        'both-buttons': click(4, 6) + click(4, 5, LEFT | RIGHT) + click(4, 6, LEFT | MIDDLE),
        'off-board': raw16(5, 20, LEFT) + raw16(5, 20, 0) + raw16(30, 20, LEFT) + raw16(30, 20, 0)
        + raw16(-1, -1, LEFT) + raw16(-1, -1, 0) + raw16(600, 300, LEFT) + raw16(600, 300, 0),
        'extremes': raw32(-2**31, -2**31, LEFT) + raw32(-2**31, -2**31, 0)
        + raw32(2**31 - 1, 2**31 - 1, LEFT) + raw32(2**31 - 1, 2**31 - 1, 0),
        'held': bytes([LEFT | (3 << 3)]) * 8 + bytes([3 << 3]),
        # An input that ends inside a frame's pointer bytes: the reader once ran past its end.
        'cut-short': click(4, 6) + bytes([LEFT | (2 << 3)]) + b'\x10\x00',
    }
    for name, data in seeds.items():
        with open(os.path.join(folder, name), 'wb') as seed:
            seed.write(data)


if __name__ == '__main__':
    main()
