"""scripts/bmp-to-png.py keeps every pixel: colour order, row order and row padding."""

import pathlib
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

SCRIPT = pathlib.Path(__file__).resolve().parents[2] / "scripts" / "bmp-to-png.py"

# Three by two pixels, top row first, as (red, green, blue).
PIXELS = [[(255, 0, 0), (0, 255, 0), (0, 0, 255)],
          [(10, 20, 30), (200, 150, 100), (255, 255, 255)]]


def make_bmp(rows, top_down=False, bits=24):
    """A 24-bit BMP of `rows`; each 9-byte row is padded to 12 bytes."""
    width, height = len(rows[0]), len(rows)
    stride = (width * 3 + 3) & ~3
    stored = rows if top_down else list(reversed(rows))
    pixels = b"".join(bytes(c for r, g, b in row for c in (b, g, r)).ljust(stride, b"\0")
                      for row in stored)
    info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits, 0,
                       len(pixels), 3780, 3780, 0, 0)
    return b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54) + info + pixels


def read_png(data):
    """Returns (width, height, rows of (r, g, b)) after checking every chunk's CRC."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "no PNG signature"
    position, chunks = 8, {}
    while position < len(data):
        length, = struct.unpack_from(">I", data, position)
        kind = data[position + 4:position + 8]
        payload = data[position + 8:position + 8 + length]
        crc, = struct.unpack_from(">I", data, position + 8 + length)
        assert crc == zlib.crc32(kind + payload), f"bad CRC in {kind}"
        chunks[kind] = chunks.get(kind, b"") + payload
        position += 12 + length
    width, height, depth, colour_type = struct.unpack_from(">IIBB", chunks[b"IHDR"])
    assert (depth, colour_type) == (8, 2), "expected 8-bit truecolour"
    assert b"IEND" in chunks
    raw = zlib.decompress(chunks[b"IDAT"])
    rows = []
    for y in range(height):
        line = raw[y * (1 + 3 * width):(y + 1) * (1 + 3 * width)]
        assert line[0] == 0, "rows are written unfiltered"
        rows.append([tuple(line[1 + 3 * x:4 + 3 * x]) for x in range(width)])
    return width, height, rows


class BmpToPng(unittest.TestCase):
    def convert(self, bmp_bytes):
        with tempfile.TemporaryDirectory() as folder:
            source = pathlib.Path(folder) / "picture.bmp"
            source.write_bytes(bmp_bytes)
            done = subprocess.run([sys.executable, str(SCRIPT), str(source), "-o", folder],
                                  capture_output=True, text=True)
            target = pathlib.Path(folder) / "picture.png"
            return done.returncode, target.read_bytes() if target.exists() else None

    def test_bottom_up_and_top_down_files_give_the_same_picture(self):
        for top_down in (False, True):
            with self.subTest(top_down=top_down):
                status, png = self.convert(make_bmp(PIXELS, top_down=top_down))
                self.assertEqual(status, 0)
                self.assertEqual(read_png(png), (3, 2, PIXELS))

    def test_files_it_cannot_read_are_refused_without_output(self):
        for name, data in (("8-bit", make_bmp(PIXELS, bits=8)), ("not a BMP", b"GIF89a" * 20),
                           ("cut short", make_bmp(PIXELS)[:-8])):
            with self.subTest(name):
                status, png = self.convert(data)
                self.assertEqual(status, 1)
                self.assertIsNone(png)


if __name__ == "__main__":
    unittest.main()
