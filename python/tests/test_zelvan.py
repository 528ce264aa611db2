"""Tests of the zelvan ctypes module against the real library, headless.

Run from the source tree with `python3 -m unittest discover -s python/tests`; ZELVAN_LIBRARY
may name the library to test. A function the loaded library lacks fails the tests that use
it, unless ZELVAN_PARTIAL_LIBRARY=1 says an older library is tested on purpose: then those
tests are skipped.
"""

import array
import ctypes
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import unittest

# Headless whatever the caller's session: the library picks its display when it loads.
for _name in ("DISPLAY", "WAYLAND_DISPLAY"):
    os.environ.pop(_name, None)

PYTHON_DIR = pathlib.Path(__file__).resolve().parent.parent
HEADER = PYTHON_DIR.parent / "include" / "zelvan.h"
sys.path.insert(0, str(PYTHON_DIR))

import zelvan as zv  # noqa: E402  (after the path and the environment are set)

RED = zv.rgb(255, 0, 0)
GREEN = zv.rgb(0, 255, 0)
WHITE = zv.rgb(255, 255, 255)
BLACK = 0


# Set to 1 when testing a library built before some functions existed.
PARTIAL_LIBRARY = os.environ.get("ZELVAN_PARTIAL_LIBRARY") == "1"


def needs(*names):
    """Runs a test only when the loaded library has every function named. A missing one is a
    failure of each of the class's tests, or a skip when a partial library is expected."""
    missing = [name for name in names if not zv.available(name)]
    if not missing:
        return lambda cls: cls
    reason = f"{zv.LIBRARY_PATH} lacks " + ", ".join(missing)
    if PARTIAL_LIBRARY:
        return unittest.skip(reason)

    def fail_each_test(cls):
        def set_up(self):
            self.fail(reason + " (set ZELVAN_PARTIAL_LIBRARY=1 to test such a library)")
        cls.setUp = set_up
        return cls
    return fail_each_test


def loaded_library_file():
    """The file of the library under test, also when it was loaded by name alone."""
    if os.path.isfile(zv.LIBRARY_PATH):
        return zv.LIBRARY_PATH
    with open("/proc/self/maps") as maps:
        for line in maps:
            path = line.split(maxsplit=5)[-1].strip()
            if os.path.basename(path).startswith(zv._LIBRARY_NAMES[0]):
                return path
    raise AssertionError(f"no file found for {zv.LIBRARY_PATH}")


class WindowTestCase(unittest.TestCase):
    """Gives each test fresh windows that are destroyed after it, and a clean last error."""

    def open(self, width=120, height=90, caption="test"):
        handle = zv.ZVCreateWindow(30, 30, width, height, caption)
        self.assertGreater(handle, 0, zv.error_string(zv.ZVGetLastError()))
        self.addCleanup(zv.ZVDestroyWindow, handle)
        return handle

    def setUp(self):
        zv.ZVGetLastError()

    def temp_path(self, name):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        return os.path.join(folder.name, name)


def header_declarations():
    """(result type, name, [argument types]) of each function in zelvan.h."""
    text = re.sub(r"\s+", " ", HEADER.read_text())
    found = []
    pattern = re.compile(r"ZVEXPORT ([A-Za-z_ ]+?\s?\*?)ZVAPI ([A-Za-z_0-9]+)\(([^)]*)\);")
    for result, name, arguments in pattern.findall(text):
        types = [] if arguments.strip() == "void" else [
            re.sub(r"\s*\b[A-Za-z_][A-Za-z_0-9]*$", "", argument.strip())
            for argument in arguments.split(",")]
        found.append((result.strip(), name, types))
    return found


C_TO_CTYPES = {
    "int": ctypes.c_int,
    "char": ctypes.c_char,
    "float": ctypes.c_float,
    "double": ctypes.c_double,
    "ZVCOLOUR": ctypes.c_uint32,
    "const char *": ctypes.c_char_p,
    "const ZVCOLOUR *": zv._PixelsIn,
    "ZVCOLOUR *": zv._PixelsOut,
    "const unsigned char *": zv._BytesIn,
    "unsigned char *": zv._BytesOut,
    "const int *": zv._PointsIn,
    "const float *": zv._FloatPointsIn,
}


class SignaturesMatchHeader(unittest.TestCase):
    def test_every_header_function_is_declared_with_its_types(self):
        declarations = header_declarations()
        self.assertEqual(len(declarations), 131)  # the original 91 and 40 beyond them
        self.assertEqual([name for _, name, _ in declarations],
                         [entry[0] for entry in zv._SIGNATURES])
        for result, name, arguments in declarations:
            with self.subTest(name=name):
                _, py_result, py_arguments, _ = next(e for e in zv._SIGNATURES if e[0] == name)
                self.assertIs(py_result, C_TO_CTYPES[result])
                self.assertEqual(len(py_arguments), len(arguments))
                for c_type, py_type in zip(arguments, py_arguments):
                    if c_type == "const char *":  # text may pick its own encoding
                        self.assertTrue(issubclass(py_type, zv._Text), py_type)
                    else:
                        self.assertIs(py_type, C_TO_CTYPES[c_type])

    def test_result_codes_match_header(self):
        defined = dict(re.findall(r"#define (ZV_(?:OK|ERROR|ERR_[A-Z0-9_]+)) \((-?\d+)\)",
                                  HEADER.read_text()))
        self.assertEqual(len(defined), 35)
        self.assertEqual({name: int(value) for name, value in defined.items()}, zv.RESULT_CODES)


class LoadingAndSignatures(unittest.TestCase):
    def test_library_found_and_core_functions_present(self):
        named = os.environ.get("ZELVAN_LIBRARY")
        if named:
            self.assertEqual(zv.LIBRARY_PATH, named)
        else:
            self.assertIn(zv.LIBRARY_PATH, zv._library_candidates())
        for name in ("ZVGetVersion", "ZVCreateWindow", "ZVLine", "ZVSetDoubleBuffer"):
            self.assertTrue(zv.available(name), name)
        self.assertEqual(zv.ZVGetVersion(), 272)

    def test_every_function_is_callable_from_the_module(self):
        for name, _, arguments, _ in zv._SIGNATURES:
            function = getattr(zv, name)
            self.assertTrue(callable(function), name)
            self.assertTrue(function.__doc__, name)
            if zv.available(name):
                continue
            self.assertTrue(PARTIAL_LIBRARY, f"{zv.LIBRARY_PATH} lacks {name}")
            with self.assertRaises(zv.MissingFunctionError):
                function(*([0] * len(arguments)))

    def load_in_child(self, environment, module_dir=PYTHON_DIR):
        """Imports the module in a fresh interpreter; returns (exit code, output)."""
        environment = {**environment, "PYTHONDONTWRITEBYTECODE": "1"}
        environment.pop("DISPLAY", None)
        environment.pop("WAYLAND_DISPLAY", None)
        done = subprocess.run(
            [sys.executable, "-c", "import zelvan; print(zelvan.LIBRARY_PATH)"],
            cwd=str(module_dir), env=environment, capture_output=True, text=True, timeout=60)
        return done.returncode, done.stdout + done.stderr

    def test_a_named_library_is_used_or_refused_never_replaced(self):
        code, output = self.load_in_child(dict(os.environ, ZELVAN_LIBRARY=zv.LIBRARY_PATH))
        self.assertEqual((code, output.strip()), (0, zv.LIBRARY_PATH))
        wrong = os.path.join(tempfile.gettempdir(), "no-such-dir", "libzelvan.so")
        code, output = self.load_in_child(dict(os.environ, ZELVAN_LIBRARY=wrong))
        self.assertNotEqual(code, 0)
        self.assertIn("ZELVAN_LIBRARY=" + wrong, output)

    def test_without_the_variable_a_copy_beside_the_module_then_a_build_folder_is_used(self):
        # A source tree of our own, so that what the search finds is known beforehand.
        library = loaded_library_file()
        with tempfile.TemporaryDirectory() as root:
            module_dir = os.path.join(root, "python")
            os.mkdir(module_dir)
            shutil.copy(PYTHON_DIR / "zelvan.py", module_dir)
            os.mkdir(os.path.join(root, "build-x"))
            built = shutil.copy(library, os.path.join(root, "build-x", zv._LIBRARY_NAMES[0]))
            beside = shutil.copy(library, os.path.join(module_dir, zv._LIBRARY_NAMES[0]))
            environment = dict(os.environ)
            environment.pop("ZELVAN_LIBRARY", None)
            self.assertEqual(self.load_in_child(environment, module_dir), (0, beside + "\n"))
            os.remove(beside)
            code, output = self.load_in_child(environment, module_dir)
            if zv._built_with_sanitizer(built):  # would abort a plain interpreter: passed over
                self.assertNotIn(built, output)
            else:
                self.assertEqual((code, output), (0, built + "\n"))

    def test_strings_accept_str_bytes_and_paths(self):
        self.assertEqual(zv._Text.from_param("Gr\u00fc\u00dfe \u2013 \u6f22"),
                         "Gr\u00fc\u00dfe \u2013 \u6f22".encode("utf-8"))
        self.assertEqual(zv._Text.from_param(b"raw"), b"raw")
        self.assertIsNone(zv._Text.from_param(None))
        name = os.fsdecode(b"caf\xe9.bmp")  # not UTF-8 on disk: any name round-trips
        self.assertEqual(zv._FileName.from_param(name), os.fsencode(name))
        self.assertEqual(zv._FileName.from_param(pathlib.Path("a") / "\u0444.bmp"),
                         os.fsencode(os.path.join("a", "\u0444.bmp")))
        for kind in (zv._Text, zv._FileName):
            with self.assertRaises(TypeError):
                kind.from_param(42)
        # Read back as the library reads: UTF-8, else Windows-1252 with its five gaps as C1.
        self.assertEqual(zv._text_from_bytes("\u0444 \u2013".encode()), "\u0444 \u2013")
        self.assertEqual(zv._text_from_bytes(b"\x80 caf\xe9 \x81"), "\u20ac caf\u00e9 \x81")


class ErrorsAndCodes(WindowTestCase):
    def test_every_code_has_its_own_message(self):
        messages = {zv.error_string(code) for code in zv.RESULT_CODES.values()}
        self.assertEqual(len(messages), 35)
        self.assertNotIn("Bad error code", messages)
        self.assertEqual(zv.error_string(zv.ZV_OK), "Okay")
        self.assertEqual(zv.error_string(zv.ZV_ERR_CLIPBOARD_COPY),
                         "Failed to copy data to Clipboard")
        for outside in (-999965, -1000001, 0, 1):
            self.assertEqual(zv.error_string(outside), "Bad error code")

    def test_last_error_is_read_once(self):
        self.assertEqual(zv.ZVGetHeight(0), zv.ZV_ERR_BAD_WINDOW)
        self.assertEqual(zv.ZVGetLastError(), zv.ZV_ERR_BAD_WINDOW)
        self.assertEqual(zv.ZVGetLastError(), zv.ZV_OK)

    def test_success_keeps_the_last_error_but_position_getters_clear_it(self):
        w = self.open()
        zv.ZVGetWidth(0)
        self.assertEqual(zv.ZVMove(w, 40, 40), zv.ZV_OK)
        self.assertEqual(zv.last_error(), zv.ZV_ERR_BAD_WINDOW)
        zv.ZVGetWidth(0)
        zv.ZVGetCurXPos(w)
        self.assertEqual(zv.last_error(), zv.ZV_OK)

    def test_check_raises_with_the_code(self):
        zv.check(zv.ZV_OK)
        with self.assertRaises(zv.ZelvanError) as caught:
            zv.check(zv.ZVLine(0, 1, 1), "ZVLine")
        self.assertEqual(caught.exception.code, zv.ZV_ERR_BAD_WINDOW)
        self.assertIn("Invalid window handle", str(caught.exception))


class BadHandles(WindowTestCase):
    def test_each_family_gives_its_bad_handle_value_and_sets_the_last_error(self):
        w = self.open()
        zv.ZVDestroyWindow(w)
        cases = [
            (zv.ZVLine, (w, 5, 5), zv.ZV_ERR_BAD_WINDOW),
            (zv.ZVIsWindow, (w,), zv.ZV_ERR_BAD_WINDOW),
            (zv.ZVGetWidth, (8193,), zv.ZV_ERR_BAD_WINDOW),
            (zv.ZVGetBackground, (0,), zv.ZV_BAD_COLOUR),
            (zv.ZVGetFillColour, (-1,), zv.ZV_BAD_COLOUR),
            (zv.ZVGetPixel, (0, 1, 1), zv.ZV_BAD_COLOUR),
            (zv.ZVSetPixel, (0, 1, 1, RED), zv.ZV_BAD_COLOUR),
            (zv.ZVSetPixelFast, (0, 1, 1, RED), zv.as_int32(zv.ZV_BAD_COLOUR)),
            (zv.ZVGetForeground, (0,), zv.ZV_ERR_BAD_WINDOW & 0xFFFFFFFF),
            (zv.ZVGetLineWidth, (0,), zv.ZV_ERROR),
            (zv.ZVReadChar, (0,), b"\x00"),
            (zv.ZVGetTitle, (0,), b""),
            (zv.ZVDestroyWindow, (0,), 0),
            (zv.ZVSetDoubleBuffer, (0, 1), zv.ZV_ERR_BAD_WINDOW),
            (zv.ZVCaptureMouseCoords, (0,), zv.ZV_ERR_BAD_WINDOW),
        ]
        for function, arguments, expected in cases:
            with self.subTest(function=function.__name__):
                zv.ZVGetLastError()
                self.assertEqual(function(*arguments), expected)
                self.assertEqual(zv.ZVGetLastError(), zv.ZV_ERR_BAD_WINDOW)
        self.assertEqual(zv.as_int32(zv.ZVGetForeground(0)), zv.ZV_ERR_BAD_WINDOW)


class Windows(WindowTestCase):
    def test_open_query_and_close(self):
        w = self.open(150, 100, "first")
        self.assertEqual(zv.ZVIsWindow(w), zv.ZV_OK)
        self.assertEqual((zv.ZVGetWidth(w), zv.ZVGetHeight(w)), (150, 100))
        self.assertEqual((zv.ZVGetWindowX(w), zv.ZVGetWindowY(w)), (30, 30))
        self.assertEqual(zv.ZVDestroyWindow(w), 0)
        self.assertEqual(zv.ZVIsWindow(w), zv.ZV_ERR_BAD_WINDOW)

    def test_titles_round_trip_as_str_and_bytes(self):
        w = self.open(caption="Gr\u00fc\u00dfe \u2013 \u041f\u0440\u0438\u0432\u0435\u0442")
        self.assertEqual(zv.title(w), "Gr\u00fc\u00dfe \u2013 \u041f\u0440\u0438\u0432\u0435\u0442")
        self.assertEqual(zv.ZVSetTitle(w, b"caf\xe9 \x80"), zv.ZV_OK)
        self.assertEqual(zv.ZVGetTitle(w), b"caf\xe9 \x80")
        self.assertEqual(zv.title(w), "caf\u00e9 \u20ac")

    def test_resize_keeps_the_picture_and_refuses_empty_sizes(self):
        w = self.open(60, 40)
        zv.ZVSetPixel(w, 5, 5, RED)
        self.assertEqual(zv.ZVResize(w, 100, 80), zv.ZV_OK)
        self.assertEqual((zv.ZVGetWidth(w), zv.ZVGetHeight(w)), (100, 80))
        self.assertEqual(zv.ZVGetPixel(w, 5, 5), RED)
        self.assertEqual(zv.ZVGetPixel(w, 90, 70), WHITE)
        self.assertEqual(zv.ZVResize(w, 0, 10), zv.ZV_ERR_BAD_WIDTH)
        self.assertEqual(zv.ZVResize(w, 10, -1), zv.ZV_ERR_BAD_HEIGHT)
        self.assertEqual(zv.ZVGetWidth(w), 100)

    def test_context_manager_destroys_its_window(self):
        with zv.window(10, 10, 50, 50, "ctx") as w:
            self.assertEqual(zv.ZVIsWindow(w), zv.ZV_OK)
        self.assertEqual(zv.ZVIsWindow(w), zv.ZV_ERR_BAD_WINDOW)


class Drawing(WindowTestCase):
    def test_colours_drawn_are_read_back(self):
        w = self.open()
        self.assertEqual(zv.ZVGetPixel(w, 10, 10), WHITE)
        self.assertEqual(zv.ZVGetPixel(w, -1, -1), zv.INVALID_COLOUR)
        self.assertEqual(zv.ZVSetPixel(w, 3, 3, 0x12345678), 0x00345678)
        self.assertEqual(zv.ZVGetPixel(w, 3, 3), 0x00345678)
        self.assertEqual(zv.ZVSetPixelFast(w, 4, 4, GREEN), zv.ZV_OK)
        self.assertEqual(zv.ZVGetPixel(w, 4, 4), GREEN)
        zv.ZVSetFillColour(w, RED)
        self.assertEqual(zv.ZVFillRectangle(w, 20, 20, 40, 40), zv.ZV_OK)
        self.assertEqual(zv.ZVGetPixel(w, 30, 30), RED)
        self.assertEqual(zv.ZVGetPixel(w, 20, 20), BLACK)  # the pen's outline
        self.assertEqual(zv.ZVGetPixel(w, 40, 40), WHITE)  # right and bottom edges left out

    def test_lines_leave_out_their_end_point(self):
        w = self.open()
        zv.ZVSetForeground(w, 0xFF0000FF)
        self.assertEqual(zv.ZVGetForeground(w), RED)
        zv.ZVMoveTo(w, 10, 10)
        self.assertEqual(zv.ZVLine(w, 20, 10), zv.ZV_OK)
        self.assertEqual([zv.ZVGetPixel(w, x, 10) for x in (10, 19, 20)], [RED, RED, WHITE])
        self.assertEqual((zv.ZVGetCurXPos(w), zv.ZVGetCurYPos(w)), (20, 10))

    def test_arc_and_pie_angles_pass_as_floats(self):
        w = self.open(200, 200)
        # A quarter from 0 to 90 degrees: the top-right part of the circle only.
        self.assertEqual(zv.ZVArc(w, 100, 100, 50, 0.0, 90.0), zv.ZV_OK)
        drawn = [(x, y) for x in range(0, 200) for y in range(0, 200)
                 if zv.ZVGetPixel(w, x, y) == BLACK]
        self.assertGreater(len(drawn), 40)
        self.assertTrue(all(x >= 100 and y <= 100 for x, y in drawn), drawn)
        zv.ZVSetFillColour(w, GREEN)
        self.assertEqual(zv.ZVPie(w, 100, 150, 30, 180.0, -90.0), zv.ZV_OK)
        # 270 degrees counter-clockwise from the left: all but the upper-left quarter.
        self.assertEqual(zv.ZVGetPixel(w, 85, 165), GREEN)
        self.assertEqual(zv.ZVGetPixel(w, 115, 135), GREEN)
        self.assertEqual(zv.ZVGetPixel(w, 85, 135), WHITE)

    def test_flood_fill_stops_at_the_border(self):
        w = self.open()
        zv.ZVCircle(w, 50, 45, 20)
        zv.ZVSetFillColour(w, GREEN)
        self.assertEqual(zv.ZVFloodFill(w, 50, 45, BLACK), zv.ZV_OK)
        self.assertEqual(zv.ZVGetPixel(w, 50, 45), GREEN)
        self.assertEqual(zv.ZVGetPixel(w, 5, 5), WHITE)
        self.assertEqual(zv.ZVFloodFill(w, 50, 45, GREEN), zv.ZV_ERROR)

    def test_attributes_round_trip(self):
        w = self.open()
        for setter, getter, value in ((zv.ZVSetLineStyle, zv.ZVGetLineStyle, zv.LINE_DASHDOT),
                                      (zv.ZVSetLineWidth, zv.ZVGetLineWidth, 5),
                                      (zv.ZVSetFillStyle, zv.ZVGetFillStyle, zv.FILL_CROSS_HATCH),
                                      (zv.ZVSetBackground, zv.ZVGetBackground, GREEN)):
            self.assertEqual(setter(w, value), zv.ZV_OK)
            self.assertEqual(getter(w), value)
        self.assertEqual(zv.ZVClearDrawBuffer(w), zv.ZV_OK)
        self.assertEqual(zv.ZVGetPixel(w, 60, 60), GREEN)

    def test_rgb_matches_the_library(self):
        for parts in ((255, 128, 0), (300, 0, 0), (-1, -1, -1), (1, 2, 3)):
            self.assertEqual(zv.rgb(*parts), zv.ZVGetRGBColour(*parts))
        self.assertEqual(zv.rgb(255, 128, 0), 0x000080FF)
        self.assertEqual(zv.colour_parts(0x000080FF), (255, 128, 0))


class DoubleBuffering(WindowTestCase):
    def test_drawing_goes_to_the_draw_buffer_only(self):
        w = self.open()
        self.assertEqual(zv.ZVSetDoubleBuffer(w, 7), 1)
        self.assertEqual((zv.ZVGetDrawBuffer(w), zv.ZVGetViewBuffer(w)), (0, 0))
        self.assertEqual(zv.ZVSwitchDrawBuffer(w), 1)
        zv.ZVClearDrawBuffer(w)
        zv.ZVSetPixel(w, 7, 7, RED)
        self.assertEqual(zv.ZVSwitchDrawBuffer(w), 0)
        self.assertEqual(zv.ZVGetPixel(w, 7, 7), WHITE)
        self.assertEqual(zv.ZVSwitchViewBuffer(w), 1)
        self.assertEqual(zv.ZVSwitchDrawBuffer(w), 1)
        self.assertEqual(zv.ZVGetPixel(w, 7, 7), RED)

    def test_copy_to_view_and_back_to_single(self):
        w = self.open()
        zv.ZVSetDoubleBuffer(w, 1)
        zv.ZVSwitchDrawBuffer(w)  # draw 1, view 0
        zv.ZVClearDrawBuffer(w)
        zv.ZVSetPixel(w, 9, 9, GREEN)
        self.assertEqual(zv.ZVCopyDrawBufferToView(w), zv.ZV_OK)
        zv.ZVSwitchDrawBuffer(w)  # draw 0: the copy
        self.assertEqual(zv.ZVGetPixel(w, 9, 9), GREEN)
        self.assertEqual(zv.ZVSetDoubleBuffer(w, 0), 0)
        self.assertEqual(zv.ZVGetViewBuffer(w), zv.ZVGetDrawBuffer(w))
        self.assertEqual(zv.ZVSwitchViewBuffer(w), zv.ZVGetViewBuffer(w))

    def test_refresh_period(self):
        w = self.open()
        self.assertEqual(zv.ZVSetAutoRedraw(w, 3), 10)
        self.assertEqual(zv.ZVSetAutoRedraw(w, 200), 200)
        self.assertEqual(zv.ZVSetAutoRedraw(w, 0), 0)
        self.assertEqual(zv.ZVRedraw(w), zv.ZV_OK)


class Threads(WindowTestCase):
    def test_threads_draw_into_their_own_windows_at_once(self):
        colours = [zv.rgb(40 * i, 255 - 40 * i, 100) for i in range(4)]
        windows = [self.open(64, 64, f"thread {i}") for i in range(4)]
        failures = []

        def paint(window, colour):
            zv.ZVSetFillColour(window, colour)
            zv.ZVSetForeground(window, colour)
            for row in range(64):
                if zv.ZVFillRectangle(window, 0, row, 64, row + 1) != zv.ZV_OK:
                    failures.append(window)

        threads = [threading.Thread(target=paint, args=pair) for pair in zip(windows, colours)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join(timeout=60)
        self.assertEqual(failures, [])
        for window, colour in zip(windows, colours):
            self.assertEqual({zv.ZVGetPixel(window, x, y) for x in (0, 31, 63)
                              for y in (0, 31, 63)}, {colour})


class InputWithoutEvents(WindowTestCase):
    def test_nothing_recorded_reads_as_nothing(self):
        w = self.open()
        self.assertEqual(zv.ZVCaptureMouseCoords(w), zv.ZV_ERR_MOUSE_OUTSIDE)
        self.assertEqual(zv.ZVGetMouseCoordsX(w), zv.ZV_ERR_BAD_COORDS)
        self.assertEqual(zv.ZVCaptureLastLeftMouseClick(w), zv.ZV_ERR_NO_CLICK)
        self.assertEqual(zv.ZVCaptureLastRightMouseClick(w), zv.ZV_ERR_NO_CLICK)
        self.assertEqual(zv.ZVGetLastRightMouseClickSHIFT(w), zv.ZV_ERR_BAD_COORDS)
        self.assertEqual(zv.ZV_kbhit(w), 0)
        self.assertEqual(zv.ZVReadChar(w), b"\x01")
        self.assertIsNone(zv.read_char(w))
        self.assertEqual(zv.ZVClearKeyBuffer(w), zv.ZV_OK)
        self.assertEqual(zv.ZVGetLastError(), zv.ZV_OK)  # none of these stores a failure


@needs("ZVGetMouseButtons", "ZVGetMouseWheel", "ZVIsKeyDown", "ZVReadKey", "ZVCloseRequested")
class InputBeyondTheOriginalSet(WindowTestCase):
    def test_nothing_held_or_pressed_and_bad_handles(self):
        w = self.open()
        self.assertEqual(zv.ZVGetMouseWheel(w), 0)
        self.assertEqual(zv.ZVIsKeyDown(w, zv.key("a")), 0)
        self.assertEqual(zv.ZVIsKeyDown(w, zv.key(zv.ZV_KEY_LEFT)), 0)
        self.assertEqual(zv.ZVReadKey(w), 0)
        self.assertEqual(zv.ZVCloseRequested(w), 0)
        self.assertEqual(zv.ZVGetLastError(), zv.ZV_OK)
        for call in (zv.ZVGetMouseButtons, zv.ZVGetMouseWheel, zv.ZVReadKey,
                     zv.ZVCloseRequested, lambda h: zv.ZVIsKeyDown(h, 65)):
            self.assertEqual(call(0), zv.ZV_ERR_BAD_WINDOW)
            self.assertEqual(zv.ZVGetLastError(), zv.ZV_ERR_BAD_WINDOW)
        press = zv.ZV_KEY_F4 | zv.ZV_MOD_ALT << 16
        self.assertEqual((zv.key_code(press), zv.key_mods(press)), (zv.ZV_KEY_F4, zv.ZV_MOD_ALT))

    def test_codes_match_header(self):
        defined = re.findall(r"#define (ZV_(?:MOUSE|MOD|KEY|LINE|FILL)_[A-Z0-9_]+) (\d+)",
                             HEADER.read_text())
        self.assertEqual(len(defined), 36 + 11)
        for name, value in defined:
            self.assertEqual(getattr(zv, name), int(value), name)


@needs("ZVPasteBitmapAlpha", "ZVPasteBitmapKeyed")
class SpritePastes(WindowTestCase):
    def test_keyed_paste_skips_the_key_and_bad_handles_fail(self):
        w = self.open()
        zv.ZVPutPixels(w, 0, 0, 2, 1, (ctypes.c_uint32 * 2)(0x0000FF, 0x00FF00))
        bitmap = zv.ZVCopyBitmap(w, 0, 0, 2, 1)
        zv.ZVPutPixels(w, 0, 0, 2, 1, (ctypes.c_uint32 * 2)(0x123456, 0x123456))
        self.assertEqual(zv.ZVPasteBitmapKeyed(w, bitmap, 0, 0, 0x0000FF), zv.ZV_OK)
        self.assertEqual((zv.ZVGetPixel(w, 0, 0), zv.ZVGetPixel(w, 1, 0)), (0x123456, 0x00FF00))
        self.assertEqual(zv.ZVPasteBitmapAlpha(w, bitmap, 1, 0), zv.ZV_OK)
        self.assertEqual(zv.ZVGetPixel(w, 1, 0), 0x0000FF)
        self.assertEqual(zv.ZVPasteBitmapAlpha(w, 99999, 0, 0), zv.ZV_ERR_BAD_BITMAP)
        self.assertEqual(zv.ZVPasteBitmapKeyed(0, bitmap, 0, 0, 0), zv.ZV_ERR_BAD_WINDOW)


@needs("ZVCreateBitmap", "ZVGetBitmapPixels", "ZVDrawBitmap", "ZVSetBitmapColourKey",
       "ZVCreateCanvas")
class SpritesAndCanvases(WindowTestCase):
    def test_bytes_and_bytearrays_make_bitmaps_and_read_them_back(self):
        rgba = bytes([255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 9, 9, 9, 255])
        for given in (rgba, bytearray(rgba), memoryview(rgba), array.array("B", rgba)):
            bitmap = zv.ZVCreateBitmap(2, 2, given)
            self.assertGreater(bitmap, 0)
            back = bytearray(16)
            self.assertEqual(zv.ZVGetBitmapPixels(bitmap, back), zv.ZV_OK)
            self.assertEqual(bytes(back), rgba)
            zv.ZVDiscardBitmap(bitmap)
        # Rows with a gap: a stride of 12 bytes for 2 pixels a row.
        padded = rgba[:8] + b"\xee" * 4 + rgba[8:]
        bitmap = zv.ZVCreateBitmap(2, 2, padded, 12)
        wide = bytearray(b"\x77" * 24)
        self.assertEqual(zv.ZVGetBitmapPixels(bitmap, wide, 12), zv.ZV_OK)
        self.assertEqual(bytes(wide[:8] + wide[12:20]), rgba)
        self.assertEqual(bytes(wide[8:12]), b"\x77" * 4)
        self.assertGreater(zv.ZVCreateBitmap(3, 3, None), 0)

    def test_short_read_only_and_bad_buffers_are_refused(self):
        with self.assertRaises(ValueError):
            zv.ZVCreateBitmap(2, 2, bytes(15))
        bitmap = zv.ZVCreateBitmap(2, 2, bytes(16))
        with self.assertRaises(ValueError):
            zv.ZVGetBitmapPixels(bitmap, bytearray(15))
        with self.assertRaises(TypeError):
            zv.ZVGetBitmapPixels(bitmap, bytes(16))
        self.assertEqual(zv.ZVCreateBitmap(0, 2, bytes(16)), 0)
        self.assertEqual(zv.ZVGetLastError(), zv.ZV_ERR_BAD_WIDTH)
        self.assertEqual(zv.ZVGetBitmapPixels(99999, bytearray(4)), zv.ZV_ERR_BAD_BITMAP)

    def test_a_call_wrapped_for_its_pixels_and_its_file_names_keeps_both(self):
        # Each wrapper shows the argument types of what it wraps, so the next finds its own.
        for name, _, arguments, _ in zv._SIGNATURES:
            if zv.available(name):
                self.assertEqual(tuple(getattr(zv, name).argtypes), tuple(arguments), name)
        checked = zv.ZVGetBitmapPixels
        self.addCleanup(setattr, zv, "ZVGetBitmapPixels", checked)
        zv._file_name_call("ZVGetBitmapPixels")
        self.assertIsNot(zv.ZVGetBitmapPixels, checked)
        bitmap = zv.ZVCreateBitmap(1, 2, bytes([1, 2, 3, 4, 5, 6, 7, 8]))
        back = bytearray(12)
        self.assertEqual(zv.ZVGetBitmapPixels(bitmap, back, stride=8), zv.ZV_OK)
        self.assertEqual(bytes(back), bytes([1, 2, 3, 4, 0, 0, 0, 0, 5, 6, 7, 8]))
        with self.assertRaises(ValueError):
            zv.ZVGetBitmapPixels(bitmap, bytearray(11), stride=8)

    def test_turned_keyed_draws_on_a_canvas(self):
        canvas = zv.ZVCreateCanvas(8, 8)
        self.assertGreater(canvas, 0)
        self.addCleanup(zv.ZVDestroyWindow, canvas)
        zv.ZVSetBackground(canvas, WHITE)
        zv.ZVClearDrawBuffer(canvas)
        # A 2 x 1 bitmap, red then green, turned a quarter to stand upright and doubled.
        bitmap = zv.ZVCreateBitmap(2, 1, bytes([255, 0, 0, 255, 0, 255, 0, 255]))
        self.assertEqual(zv.ZVDrawBitmap(canvas, bitmap, 0, 0, 2, 1, 0, 0, 4, 2, 90.0, 0),
                         zv.ZV_OK)
        # Counter-clockwise: the right end (green) goes up.
        self.assertEqual((zv.ZVGetPixel(canvas, 1, 0), zv.ZVGetPixel(canvas, 1, 2)), (GREEN, RED))
        self.assertEqual(zv.ZVSetBitmapColourKey(bitmap, RED), zv.ZV_OK)
        zv.ZVClearDrawBuffer(canvas)
        zv.ZVDrawBitmap(canvas, bitmap, 0, 0, 2, 1, 4, 4, 4, 2, 0.0, zv.ZV_FLIP_X)
        self.assertEqual([zv.ZVGetPixel(canvas, x, 4) for x in range(4, 8)],
                         [GREEN, GREEN, WHITE, WHITE])
        self.assertEqual(zv.ZVSetBitmapColourKey(bitmap, zv.ZV_NO_COLOUR_KEY), zv.ZV_OK)
        self.assertEqual(zv.ZVMove(canvas, 1, 1), zv.ZV_ERROR)
        self.assertEqual(zv.ZVDrawBitmap(0, bitmap, 0, 0, 2, 1, 0, 0, 4, 2, 0.0, 0),
                         zv.ZV_ERR_BAD_WINDOW)


@needs("ZVGetTicks", "ZVWaitFrame", "ZVPresent", "ZVGetMouseX", "ZVGetKeyName")
@needs("ZVSetSmooth", "ZVSetOpacity", "ZVPolygon", "ZVFillPolygon", "ZVPolylineF")
class SmoothShapes(WindowTestCase):
    def canvas(self):
        canvas = zv.ZVCreateCanvas(40, 30)
        self.addCleanup(zv.ZVDestroyWindow, canvas)
        zv.ZVSetBackground(canvas, WHITE)
        zv.ZVClearDrawBuffer(canvas)
        return canvas

    def test_mode_and_opacity_round_trip_and_are_checked(self):
        canvas = self.canvas()
        self.assertEqual((zv.ZVGetSmooth(canvas), zv.ZVGetOpacity(canvas)), (0, 255))
        self.assertEqual(zv.ZVSetSmooth(canvas, 1), zv.ZV_OK)
        self.assertEqual(zv.ZVSetOpacity(canvas, 64), zv.ZV_OK)
        self.assertEqual(zv.ZVSetOpacity(canvas, 256), zv.ZV_ERROR)
        self.assertEqual((zv.ZVGetSmooth(canvas), zv.ZVGetOpacity(canvas)), (1, 64))
        self.assertEqual(zv.ZVGetSmooth(0), zv.ZV_ERR_BAD_WINDOW)

    def test_points_go_as_pairs_or_flat_and_counts_are_checked(self):
        canvas = self.canvas()
        zv.ZVSetFillColour(canvas, zv.rgb(0, 0, 255))
        self.assertEqual(zv.ZVFillPolygon(canvas, [(5, 5), (30, 5), (5, 25)]), zv.ZV_OK)
        self.assertEqual(zv.ZVGetPixel(canvas, 10, 10), zv.rgb(0, 0, 255))
        self.assertEqual(zv.ZVPolygon(canvas, [1, 1, 8, 1, 8, 8], 2), zv.ZV_OK)
        zv.ZVSetSmooth(canvas, 1)
        self.assertEqual(zv.ZVPolylineF(canvas, [(0.5, 28.25), (39.5, 28.25)]), zv.ZV_OK)
        self.assertNotEqual(zv.ZVGetPixel(canvas, 20, 28), WHITE)
        with self.assertRaises(ValueError):
            zv.ZVPolygon(canvas, [(1, 1), (2, 2)], 3)
        self.assertEqual(zv.ZVFillPolygon(canvas, [(1, 1), (2, 2)]), zv.ZV_ERROR)
        self.assertEqual(zv.ZVPolylineF(canvas, None, 2), zv.ZV_ERROR)
        self.assertEqual(zv.ZVPolylineF(0, [0, 0, 1, 1]), zv.ZV_ERR_BAD_WINDOW)


class ProgramLoop(WindowTestCase):
    def test_clock_pace_present_pointer_and_key_names(self):
        w = self.open()
        start = zv.ZVGetTicks()
        self.assertEqual(zv.ZVWaitFrame(w, 0), zv.ZV_ERROR)
        self.assertGreaterEqual(zv.ZVWaitFrame(w, 200), 0)
        self.assertGreaterEqual(zv.ZVGetTicks() - start, 4)  # one 5 ms period at least
        zv.ZVSetDoubleBuffer(w, 1)
        drawn = zv.ZVGetDrawBuffer(w)
        self.assertEqual(zv.ZVPresent(w), zv.ZV_OK)
        self.assertEqual((zv.ZVGetViewBuffer(w), zv.ZVGetDrawBuffer(w)), (drawn, 1 - drawn))
        self.assertEqual(zv.ZVGetMouseX(w), zv.ZV_ERR_MOUSE_OUTSIDE)
        self.assertEqual(zv.ZVPresent(0), zv.ZV_ERR_BAD_WINDOW)
        self.assertEqual([zv.key_name(k) for k in (ord("Q"), zv.ZV_KEY_PAGE_UP, 0)],
                         ["q", "Page Up", ""])
        self.assertEqual(zv.ZVGetKeyName(zv.ZV_KEY_F5), "F5")


@needs("ZVGetTextWidth", "ZVGetTextHeight", "ZVReadUnicode", "ZVShowCursor", "ZVSetIcon",
       "ZVGetDisplayKind", "ZVGetTime")
class TextInputAndDisplay(WindowTestCase):
    def test_text_is_measured_in_any_language(self):
        w = self.open(200, 60)
        self.assertEqual(zv.ZVSetFont(w, 12, 0.0, "DejaVu Sans"), zv.ZV_OK)
        both = zv.ZVGetTextWidth(w, "Score \u0436\u03bb")
        self.assertEqual(both, zv.ZVGetTextWidth(w, "Score ") + zv.ZVGetTextWidth(w, "\u0436\u03bb"))
        self.assertGreater(zv.ZVGetTextHeight(w, "x"), 8)
        self.assertEqual(zv.ZVGetTextWidth(w, None), zv.ZV_ERROR)
        self.assertEqual(zv.ZVGetTextHeight(0, "x"), zv.ZV_ERR_BAD_WINDOW)

    def test_unicode_reads_an_empty_queue_as_nothing(self):
        w = self.open()
        self.assertEqual(zv.ZVReadUnicode(w), 0)
        self.assertIsNone(zv.read_unicode(w))
        self.assertEqual(zv.ZVReadUnicode(0), zv.ZV_ERR_BAD_WINDOW)

    def test_cursor_icon_display_and_clock(self):
        w = self.open(32, 32)
        self.assertEqual(zv.ZVShowCursor(w, 0), zv.ZV_OK)
        self.assertEqual(zv.ZVShowCursor(w, 1), zv.ZV_OK)
        self.assertEqual(zv.ZVShowCursor(0, 1), zv.ZV_ERR_BAD_WINDOW)
        icon = zv.ZVCopyBitmap(w, 0, 0, 16, 16)
        self.addCleanup(zv.ZVDiscardBitmap, icon)
        self.assertEqual(zv.ZVSetIcon(w, icon), zv.ZV_OK)
        self.assertEqual(zv.ZVSetIcon(w, 99999), zv.ZV_ERR_BAD_BITMAP)
        self.assertEqual(zv.ZVGetDisplayKind(), "headless")  # the tests run without a screen
        first = zv.ZVGetTime()
        self.assertIsInstance(first, float)
        self.assertGreaterEqual(zv.ZVGetTime(), first)


@needs("ZVPutPixels", "ZVGetPixels")
class PixelBlocks(WindowTestCase):
    def test_any_buffer_goes_in_and_comes_back(self):
        w = self.open()
        colours = [zv.rgb(i, 2 * i, 3 * i) for i in range(12)]
        block = array.array("I", colours)
        self.assertEqual(zv.ZVPutPixels(w, 0, 6, 4, 3, block.tobytes()), zv.ZV_OK)
        back = bytearray(12 * 4)
        self.assertEqual(zv.ZVGetPixels(w, 0, 6, 4, 3, back), zv.ZV_OK)
        self.assertEqual(array.array("I", bytes(back)), block)
        self.assertEqual(zv.ZVGetPixel(w, 3, 8), colours[11])
        # A stride of 6 reads two rows of 4 out of an array; off the buffer reads as bad.
        wide = array.array("I", [0] * 12)
        self.assertEqual(zv.ZVGetPixels(w, -1, 6, 4, 2, wide, 6), zv.ZV_OK)
        self.assertEqual(list(wide[:4]), [zv.ZV_BAD_COLOUR] + colours[:3])
        self.assertEqual(list(wide[6:10]), [zv.ZV_BAD_COLOUR] + colours[4:7])
        try:
            import numpy
        except ImportError:
            return
        pixels = numpy.zeros((3, 4), dtype=numpy.uint32)
        self.assertEqual(zv.ZVGetPixels(w, 0, 6, 4, 3, pixels), zv.ZV_OK)
        self.assertEqual(pixels.ravel().tolist(), colours)

    def test_short_read_only_and_bad_buffers_are_refused(self):
        w = self.open()
        with self.assertRaises(ValueError):
            zv.ZVPutPixels(w, 0, 0, 4, 4, bytes(4 * 15))
        with self.assertRaises(ValueError):
            zv.ZVGetPixels(w, 0, 0, 2, 2, bytearray(4 * 4), 3)
        with self.assertRaises(TypeError):
            zv.ZVGetPixels(w, 0, 0, 1, 1, bytes(4))
        self.assertEqual(zv.ZVPutPixels(w, 0, 0, 1, 1, None), zv.ZV_ERROR)
        self.assertEqual(zv.ZVPutPixels(w, 0, 0, 2, 1, bytes(8), 1), zv.ZV_ERR_BAD_WIDTH)
        self.assertEqual(zv.ZVPutPixels(0, 0, 0, 1, 1, bytes(4)), zv.ZV_ERR_BAD_WINDOW)


@needs("ZVTextOut", "ZVTextAlign", "ZVSetFont")
class Text(WindowTestCase):
    def test_text_marks_pixels_in_the_foreground_colour(self):
        w = self.open(200, 60)
        zv.ZVSetForeground(w, RED)
        self.assertEqual(zv.ZVTextAlign(w, zv.ALIGN_LEFT + zv.ALIGN_TOP), zv.ZV_OK)
        self.assertEqual(zv.ZVSetFont(w, 18, 0.0, "DejaVu Sans"), zv.ZV_OK)
        self.assertEqual(zv.ZVTextOut(w, 5, 5, "Zelvan \u00e9"), zv.ZV_OK)
        inked = [zv.colour_parts(zv.ZVGetPixel(w, x, y)) for x in range(200) for y in range(60)]
        inked = [parts for parts in inked if parts != (255, 255, 255)]
        self.assertGreater(len(inked), 50)
        # Glyph edges blend into the white; their cores are the foreground colour.
        self.assertTrue(any(r >= 200 and g <= 80 and b <= 80 for r, g, b in inked))
        self.assertTrue(all(r >= g and r >= b for r, g, b in inked))

    def test_any_str_draws_as_its_windows_1252_bytes_would(self):
        def ink(text):
            w = self.open(120, 40)
            zv.ZVTextOut(w, 5, 5, text)
            return [zv.ZVGetPixel(w, x, y) for x in range(120) for y in range(40)]

        self.assertEqual(ink("caf\u00e9 \u20ac"), ink(b"caf\xe9 \x80"))
        self.assertNotEqual(ink("\u20ac"), ink("?"))

    def test_rotated_font_and_bad_handle(self):
        w = self.open()
        self.assertEqual(zv.ZVSetFont(w, 12, 30.27, "a face that is not installed"), zv.ZV_OK)
        self.assertEqual(zv.ZVTextOut(0, 1, 1, "x"), zv.ZV_ERR_BAD_WINDOW)
        self.assertEqual(zv.ZVSetFont(0, 12, 0.0, "x"), zv.ZV_ERR_BAD_WINDOW)


@needs("ZVSaveImage", "ZVLoadImage")
class WindowImages(WindowTestCase):
    def test_save_then_load_reproduces_picture_and_size(self):
        source = self.open(101, 50)
        zv.ZVSetPixel(source, 100, 49, RED)
        path = self.temp_path("picture.bmp")
        self.assertEqual(zv.ZVSaveImage(source, path), zv.ZV_OK)
        self.assertEqual(os.path.getsize(path), 14 + 40 + 50 * 304)
        target = self.open(30, 30)
        self.assertEqual(zv.ZVLoadImage(target, pathlib.Path(path)), zv.ZV_OK)
        self.assertEqual((zv.ZVGetWidth(target), zv.ZVGetHeight(target)), (101, 50))
        self.assertEqual(zv.ZVGetPixel(target, 100, 49), RED)

    def test_names_beyond_latin1_land_on_disk_as_given(self):
        source = self.open(20, 10)
        zv.ZVSetPixel(source, 3, 4, RED)
        for name in ("gr\u00fc\u00dfe.bmp", "\u043a\u0430\u0440\u0442\u0438\u043d\u043a\u0430.bmp"):
            path = pathlib.Path(self.temp_path(name))
            for given in (str(path), path):
                self.assertEqual(zv.ZVSaveImage(source, given), zv.ZV_OK)
                self.assertIn(name, os.listdir(path.parent))
                target = self.open(5, 5)
                self.assertEqual(zv.ZVLoadImage(target, given), zv.ZV_OK)
                self.assertEqual(zv.ZVGetPixel(target, 3, 4), RED)

    def test_every_call_taking_a_file_name_refuses_one_holding_nul(self):
        w = self.open(8, 8)
        bitmap = zv.ZVCopyBitmap(w, 0, 0, 8, 8)
        self.addCleanup(zv.ZVDiscardBitmap, bitmap)
        calls = [(name, arguments) for name, _, arguments, _ in zv._SIGNATURES
                 if zv._FileName in arguments]
        self.assertGreaterEqual(len(calls), 7)
        shot = self.temp_path("shot.png")
        for name, arguments in calls:
            handle = bitmap if "Bitmap" in name else w
            for given in (shot + "\0.bmp", os.fsencode(shot) + b"\0.bmp",
                          pathlib.Path(shot + "\0.bmp"), bytearray(os.fsencode(shot) + b"\0")):
                values = [given if kind is zv._FileName else handle for kind in arguments]
                with self.subTest(call=name, given=given), \
                        self.assertRaisesRegex(ValueError, "null byte"):
                    getattr(zv, name)(*values)
        # C would have stopped at the NUL and saved under the name before it.
        self.assertEqual(os.listdir(os.path.dirname(shot)), [])

    def test_load_failures_set_the_last_error(self):
        w = self.open()
        missing = self.temp_path("missing.bmp")
        self.assertEqual(zv.ZVLoadImage(w, missing), zv.ZV_ERR_FILE_OPEN)
        self.assertEqual(zv.ZVGetLastError(), zv.ZV_ERR_FILE_OPEN)
        self.assertEqual(zv.ZVSaveImage(w, os.path.join(missing, "no", "x.bmp")),
                         zv.ZV_ERR_FILE_OPEN)


@needs("ZVLoadBitmap", "ZVCopyBitmap", "ZVSaveBitmap", "ZVGetBitmapWidth",
       "ZVGetBitmapHeight", "ZVPasteBitmap", "ZVDiscardBitmap")
class Bitmaps(WindowTestCase):
    def test_copy_paste_save_and_discard(self):
        w = self.open(100, 80)
        zv.ZVSetPixel(w, 12, 12, GREEN)
        bitmap = zv.ZVCopyBitmap(w, 10, 10, 10000, 10000)
        self.assertGreater(bitmap, 0)
        self.assertEqual((zv.ZVGetBitmapWidth(bitmap), zv.ZVGetBitmapHeight(bitmap)), (90, 70))
        other = self.open(100, 80)
        self.assertEqual(zv.ZVPasteBitmap(other, bitmap, 0, 0), zv.ZV_OK)
        self.assertEqual(zv.ZVGetPixel(other, 2, 2), GREEN)
        path = self.temp_path("copy.bmp")
        self.assertEqual(zv.ZVSaveBitmap(bitmap, path), zv.ZV_OK)
        loaded = zv.ZVLoadBitmap(path)
        self.assertGreater(loaded, bitmap)
        self.assertEqual(zv.ZVDiscardBitmap(bitmap), zv.ZV_OK)
        self.assertEqual(zv.ZVDiscardBitmap(bitmap), zv.ZV_ERR_BAD_BITMAP)
        self.assertEqual(zv.ZVGetBitmapWidth(bitmap), zv.ZV_ERR_BAD_BITMAP)
        self.assertEqual(zv.ZVDiscardBitmap(loaded), zv.ZV_OK)

    def test_bad_rectangles_and_files(self):
        w = self.open(100, 80)
        self.assertEqual(zv.ZVCopyBitmap(w, 100, 0, 5, 5), 0)
        self.assertEqual(zv.ZVGetLastError(), zv.ZV_ERR_BAD_LEFT)
        self.assertEqual(zv.ZVCopyBitmap(w, 0, -1, 0, 5), 0)
        self.assertEqual(zv.ZVGetLastError(), zv.ZV_ERR_BAD_WIDTH)
        self.assertEqual(zv.ZVLoadBitmap(self.temp_path("none.bmp")), 0)
        self.assertEqual(zv.ZVGetLastError(), zv.ZV_ERR_FILE_OPEN)


@needs("ZVCopyBitmap", "ZVSaveBitmapPalette", "ZVSaveWindowPalette", "ZVDiscardBitmap")
class Palettes(WindowTestCase):
    def test_true_colour_pictures_have_no_palette_to_save(self):
        w = self.open()
        path = self.temp_path("window.pal")
        self.assertEqual(zv.ZVSaveWindowPalette(w, path), zv.ZV_ERR_NO_DIB_PALETTE)
        bitmap = zv.ZVCopyBitmap(w, 0, 0, 10, 10)
        self.assertEqual(zv.ZVSaveBitmapPalette(bitmap, path), zv.ZV_ERR_NO_DIB_PALETTE)
        self.assertFalse(os.path.exists(path))
        zv.ZVDiscardBitmap(bitmap)
        self.assertEqual(zv.ZVSaveBitmapPalette(bitmap, path), zv.ZV_ERR_BAD_BITMAP)


@needs("ZVCopyImageToClipboard", "ZVCopyBitmapToClipboard")
class Clipboard(WindowTestCase):
    def test_copies_succeed_headless_and_bad_ids_fail(self):
        w = self.open()
        self.assertEqual(zv.ZVCopyImageToClipboard(w), zv.ZV_OK)
        self.assertEqual(zv.ZVCopyImageToClipboard(0), zv.ZV_ERR_BAD_WINDOW)
        self.assertEqual(zv.ZVCopyBitmapToClipboard(0), zv.ZV_ERR_BAD_BITMAP)


@needs("ZVSaveImage", "ZVTextOut", "ZVTextAlign", "ZVSetFont", "ZVCopyImageToClipboard")
class Examples(unittest.TestCase):
    """Each example, run headless, exits 0 having written its picture."""

    def run_example(self, script, picture):
        with tempfile.TemporaryDirectory() as folder:
            environment = dict(os.environ, ZELVAN_LIBRARY=zv.LIBRARY_PATH)
            environment.pop("DISPLAY", None)
            environment.pop("WAYLAND_DISPLAY", None)
            done = subprocess.run([sys.executable, str(PYTHON_DIR / "examples" / script)],
                                  cwd=folder, env=environment, capture_output=True, text=True,
                                  timeout=120)
            self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
            path = os.path.join(folder, picture)
            self.assertTrue(os.path.exists(path), done.stdout)
            with open(path, "rb") as file:
                self.assertEqual(file.read(2), b"BM")

    def test_shapes(self):
        self.run_example("shapes.py", "shapes.bmp")

    def test_sketchpad(self):
        self.run_example("sketchpad.py", "sketchpad.bmp")


if __name__ == "__main__":
    unittest.main()
