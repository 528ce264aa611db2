#!/usr/bin/env python3
"""Writes the fuzzers' seed corpora: small valid BMP and RIFF palette files.

Run from anywhere; the files go to fuzz/corpus/bmp and fuzz/corpus/riff next to this script.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def row_bytes(width, bits):
    return (width * bits + 31) // 32 * 4


def bmp(width, height, bits, clr_used=0, core=False, header_size=40, top_down=False):
    rows = abs(height)
    if core:
        entries = (1 << bits) if bits <= 8 else 0
        header = struct.pack("<IHHHH", 12, width, rows, 1, bits)
        table = b"".join(bytes((i * 7 % 256, i * 13 % 256, i * 29 % 256)) for i in range(entries))
    else:
        entries = clr_used or ((1 << bits) if bits <= 8 else 0)
        stored_height = -rows if top_down else rows
        header = struct.pack("<IiiHHIIiiII", header_size, width, stored_height, 1, bits, 0,
                             row_bytes(width, bits) * rows, 0, 0, clr_used, 0)
        header += bytes(header_size - 40)
        table = b"".join(bytes((i * 7 % 256, i * 13 % 256, i * 29 % 256, 0))
                         for i in range(entries))
    pixels = bytes((x * 37 + y * 11) % 256 for y in range(rows)
                   for x in range(row_bytes(width, bits)))
    info = header + table
    size = 14 + len(info) + len(pixels)
    return struct.pack("<HIHHI", 0x4D42, size, 0, 0, 14 + len(info)) + info + pixels


def riff(entries):
    data = struct.pack("<HH", 0x0300, entries)
    data += b"".join(bytes((i % 256, i * 3 % 256, i * 5 % 256, 0)) for i in range(entries))
    return b"RIFF" + struct.pack("<I", len(data) + 12) + b"PAL data" + \
        struct.pack("<I", len(data)) + data


def write(folder, name, content):
    path = os.path.join(HERE, "corpus", folder)
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, name), "wb") as f:
        f.write(content)


def main():
    write("bmp", "1bit-9x3.bmp", bmp(9, 3, 1))
    write("bmp", "4bit-5x4.bmp", bmp(5, 4, 4))
    write("bmp", "8bit-3x3.bmp", bmp(3, 3, 8))
    write("bmp", "8bit-used16-4x2.bmp", bmp(4, 2, 8, clr_used=16))
    write("bmp", "24bit-5x3.bmp", bmp(5, 3, 24))
    write("bmp", "24bit-table4-2x2.bmp", bmp(2, 2, 24, clr_used=4))
    write("bmp", "24bit-topdown-3x2.bmp", bmp(3, -2, 24, top_down=True))
    write("bmp", "core-8bit-2x2.bmp", bmp(2, 2, 8, core=True))
    write("bmp", "core-24bit-3x1.bmp", bmp(3, 1, 24, core=True))
    write("bmp", "v5-4bit-3x3.bmp", bmp(3, 3, 4, header_size=124))
    write("riff", "pal-1.pal", riff(1))
    write("riff", "pal-16.pal", riff(16))
    write("riff", "pal-256.pal", riff(256))


if __name__ == "__main__":
    main()
