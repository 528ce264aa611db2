#!/usr/bin/env python3
"""Writes the fuzzers' seed corpora: small valid BMP, PNG and RIFF palette files and drawing
programs.

Run from anywhere; the files go to fuzz/corpus/bmp, fuzz/corpus/png, fuzz/corpus/riff and
fuzz/corpus/drawing
next to this script.
"""
import os
import struct
import zlib

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


def rle(width, height, bits, stream, clr_used=16):
    """A run-length file: BI_RLE8 at 8 bits, BI_RLE4 at 4, biSizeImage the stream's length."""
    compression = 1 if bits == 8 else 2
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, len(stream),
                         0, 0, clr_used, 0)
    table = b"".join(bytes((i * 7 % 256, i * 13 % 256, i * 29 % 256, 0)) for i in range(clr_used))
    info = header + table
    size = 14 + len(info) + len(stream)
    return struct.pack("<HIHHI", 0x4D42, size, 0, 0, 14 + len(info)) + info + bytes(stream)


def with_gap(file, gap):
    """The same file with `gap` bytes between the colour table and the pixels."""
    size, off_bits = struct.unpack_from("<I", file, 2)[0], struct.unpack_from("<I", file, 10)[0]
    grown = file[:off_bits] + bytes(range(gap)) + file[off_bits:]
    return grown[:2] + struct.pack("<I", size + gap) + grown[6:10] + \
        struct.pack("<I", off_bits + gap) + grown[14:]


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


# The Adam7 passes: first column, first row, column step, row step.
ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2),
         (0, 1, 1, 2)]


def png(width, height, colour_type, depth, interlaced=False, trns=None, palette=0):
    """A PNG with samples that change in every row and column, rows unfiltered."""
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour_type]

    def sample(x, y, c):
        return (x * 37 + y * 11 + c * 5) % (palette or (1 << depth))

    def rows(xs, ys):
        out = b""
        for y in ys:
            bits = "".join(format(sample(x, y, c), "0%db" % depth) for x in xs
                           for c in range(channels))
            bits += "0" * (-len(bits) % 8)
            out += b"\0" + int(bits, 2).to_bytes(len(bits) // 8, "big") if bits else b""
        return out

    if interlaced:
        raw = b"".join(rows(range(x0, width, dx), range(y0, height, dy))
                       for x0, y0, dx, dy in ADAM7 if x0 < width and y0 < height)
    else:
        raw = rows(range(width), range(height))
    body = chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0,
                                      int(interlaced)))
    if colour_type == 3:
        body += chunk(b"PLTE", bytes((i * 7 % 256, 255 - i, i * 13 % 256)[k]
                                     for i in range(palette) for k in range(3)))
    if trns is not None:
        body += chunk(b"tRNS", trns)
    body += chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")
    return b"\x89PNG\r\n\x1a\n" + body


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


# Drawing programs for drawing_fuzz.cpp: an op byte (0 attribute, 1 surface, 2 or 3 shape),
# then the op's fields in the order the target reads them.
def small(value):
    """A coordinate in the target's small form: a non-zero selector, then value + 80."""
    return bytes([1, value + 80])


def shape(kind, x, y, a, b, extra=b""):
    return bytes([2]) + small(x) + small(y) + small(a) + small(b) + bytes([kind]) + extra


def attribute(which, value=b""):
    return bytes([0, 0, 0, 0, 0, which]) + value


def drawings():
    angle = lambda degrees: bytes([1]) + struct.pack("<I", degrees + 720)
    return {
        "lines-and-rects": shape(1, 5, 5, 0, 0) + shape(2, 30, 20, 0, 0) + shape(6, 2, 3, 35, 25)
        + shape(8, 10, 10, 20, 20) + shape(7, 0, 0, 39, 29),
        "circles-wide-pen": attribute(1, small(9)) + shape(3, 20, 15, 12, 0) + shape(9, 20, 15, 8, 0)
        + shape(10, 20, 15, 0, 0, bytes(4)),
        "arcs-pies": shape(4, 20, 15, 12, 0, angle(90) + angle(270)) + shape(5, 20, 15, 10, 0, bytes([2, 1, 2, 0])),
        "text-font": attribute(7, struct.pack("<I", 400 + 12) + angle(45) + bytes([0]))
        + shape(11, 3, 3, 0, 0, b"Hi!\0"),
        "double-buffer": bytes([1, 0]) + struct.pack("<I", 1) + bytes([1, 1]) + shape(8, 1, 1, 30, 20)
        + bytes([1, 3, 1, 4, 40, 30, 1, 5]) + small(0) + small(0) + small(10) + small(10) + small(5) + small(5),
        "dashed-styles": attribute(0, bytes([3])) + shape(6, 2, 2, 37, 27) + attribute(2, bytes([5]))
        + shape(9, 20, 15, 13, 0),
    }


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
    # Runs, absolute runs with padding, ends of line and image; deltas, a run past the right
    # edge and a stream cut inside a command.
    write("bmp", "rle8-runs-6x3.bmp", rle(6, 3, 8, [3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 6, 5, 0, 0,
                                                  0, 3, 7, 8, 9, 0, 3, 9, 0, 1]))
    write("bmp", "rle4-runs-5x3.bmp", rle(5, 3, 4, [5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0,
                                                  0, 0, 3, 0x89, 1, 0xA0, 1, 0xB0, 0, 1]))
    write("bmp", "rle8-skips-6x4.bmp", rle(6, 4, 8, [2, 1, 0, 0, 0, 2, 3, 1, 3, 2, 0, 0, 8, 3,
                                                   0, 5, 4, 4]))
    write("bmp", "rle4-delta-9x5.bmp", rle(9, 5, 4, [0, 2, 4, 2, 4, 0x5A, 0, 0, 0, 4, 0x12,
                                                   0x34, 0, 0, 0, 1]))
    write("bmp", "8bit-gap-4x3.bmp", with_gap(bmp(4, 3, 8, clr_used=16), 5))
    write("png", "grey1-9x3.png", png(9, 3, 0, 1))
    write("png", "grey4-trns-5x4.png", png(5, 4, 0, 4, trns=struct.pack(">H", 3)))
    write("png", "grey16-3x2.png", png(3, 2, 0, 16))
    write("png", "rgb8-5x3.png", png(5, 3, 2, 8))
    write("png", "rgb16-trns-3x3.png", png(3, 3, 2, 16, trns=struct.pack(">HHH", 5, 16, 27)))
    write("png", "palette2-trns-6x2.png", png(6, 2, 3, 2, trns=bytes((0, 128, 255)), palette=4))
    write("png", "palette8-4x4.png", png(4, 4, 3, 8, palette=200))
    write("png", "greyalpha8-4x3.png", png(4, 3, 4, 8))
    write("png", "rgba8-interlaced-11x9.png", png(11, 9, 6, 8, interlaced=True))
    write("png", "rgba16-3x3.png", png(3, 3, 6, 16))
    write("riff", "pal-1.pal", riff(1))
    write("riff", "pal-16.pal", riff(16))
    write("riff", "pal-256.pal", riff(256))
    for name, program in drawings().items():
        write("drawing", name, program)


if __name__ == "__main__":
    main()
