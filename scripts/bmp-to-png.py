#!/usr/bin/env python3
"""Converts uncompressed 24-bit BMP files to PNG, using only the standard library.

    scripts/bmp-to-png.py picture.bmp [more.bmp ...] [-o folder]

Each picture.bmp becomes picture.png beside it, or in the folder given with -o. The guide's
pictures in docs/ are made this way from the BMP files the examples write.
"""

import argparse
import pathlib
import struct
import sys
import zlib


def read_bmp(data):
    """Returns (width, height, rows), rows top to bottom, each as bytes of R, G, B."""
    if data[:2] != b"BM" or len(data) < 54:
        raise ValueError("not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    header_size, width, height, planes, bit_count, compression = struct.unpack_from(
        "<IiiHHI", data, 14)
    if header_size < 40 or bit_count != 24 or compression != 0 or width <= 0 or height == 0:
        raise ValueError(f"only uncompressed 24-bit BMP files are handled "
                         f"(this one: {bit_count} bits, compression {compression})")
    stride = (width * 3 + 3) & ~3
    if offset + stride * abs(height) > len(data):
        raise ValueError("the file is shorter than its pixels")
    rows = []
    for row in range(abs(height)):
        start = offset + row * stride
        bgr = data[start:start + width * 3]
        rgb = bytearray(len(bgr))
        rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        rows.append(bytes(rgb))
    if height > 0:  # a positive height stores the bottom row first
        rows.reverse()
    return width, abs(height), rows


def png_chunk(kind, payload):
    body = kind + payload
    return struct.pack(">I", len(payload)) + body + struct.pack(">I", zlib.crc32(body))


def write_png(width, height, rows):
    """A truecolour PNG; every row gets filter type 0 (none)."""
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    raw = b"".join(b"\x00" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header)
            + png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b""))


def main():
    parser = argparse.ArgumentParser(description="Convert 24-bit BMP files to PNG.")
    parser.add_argument("bmp", nargs="+", type=pathlib.Path)
    parser.add_argument("-o", "--output", type=pathlib.Path, help="folder for the PNG files")
    args = parser.parse_args()
    failed = False
    for source in args.bmp:
        target = (args.output or source.parent) / (source.stem + ".png")
        try:
            target.write_bytes(write_png(*read_bmp(source.read_bytes())))
            print(f"{source} -> {target}")
        except (OSError, ValueError) as error:
            print(f"{source}: {error}", file=sys.stderr)
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
