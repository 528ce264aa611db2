"""Imports zelvan, checks that the module and the library it loaded lie under the two folders
given, and uses str titles and file names beyond Latin-1, headless."""

import os
import pathlib
import sys
import tempfile

import zelvan as zv

module_root, library_root = (pathlib.Path(folder).resolve() for folder in sys.argv[1:3])
assert pathlib.Path(zv.__file__).resolve().is_relative_to(module_root), zv.__file__
assert pathlib.Path(zv.LIBRARY_PATH).resolve().is_relative_to(library_root), zv.LIBRARY_PATH

title = "Gr\u00fc\u00dfe \u2013 \u041f\u0440\u0438\u0432\u0435\u0442"
w = zv.ZVCreateWindow(10, 10, 40, 30, title)
assert w > 0 and zv.title(w) == title, zv.title(w)
zv.ZVSetPixel(w, 1, 2, zv.rgb(255, 0, 0))
with tempfile.TemporaryDirectory() as folder:
    for name in ("gr\u00fc\u00dfe.bmp", "\u043a\u0430\u0440\u0442\u0438\u043d\u043a\u0430.bmp"):
        assert zv.ZVSaveImage(w, os.path.join(folder, name)) == zv.ZV_OK, name
        assert name in os.listdir(folder), os.listdir(folder)
        assert zv.ZVLoadImage(w, pathlib.Path(folder) / name) == zv.ZV_OK, name
assert zv.ZVGetPixel(w, 1, 2) == zv.rgb(255, 0, 0)
zv.ZVDestroyWindow(w)
print(zv.__file__, "with", zv.LIBRARY_PATH)
