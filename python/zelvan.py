"""Zelvan graphics windows for Python.

A thin ctypes layer over the Zelvan shared library (libzelvan.so, Zelvan.dll): the same ZV
functions (the original 91 and the calls beyond them), the same result codes, the same
behaviour as from C, so the C reference (docs/API.md) is the reference here too. Only the
standard library is needed.

    import zelvan as zv
    w = zv.ZVCreateWindow(100, 100, 320, 200, "Hello")
    zv.ZVSetForeground(w, zv.rgb(255, 0, 0))
    zv.ZVMoveTo(w, 10, 10)
    zv.ZVLine(w, 300, 180)

How values cross over:
  * integers are C ints; colours (ZVCOLOUR, 0x00BBGGRR) are unsigned 32-bit ints, so a
    colour result is never negative: compare it with ZV_BAD_COLOUR or INVALID_COLOUR;
  * strings (titles, text, font faces) may be given as str, which goes as UTF-8, or as
    bytes, which go as they are: the library reads a string as UTF-8 when it is valid UTF-8,
    else as Windows-1252; file names may be str, bytes or a path (pathlib.Path), and go
    through os.fsencode, so any name the file system holds round-trips; a file name holding
    a NUL raises ValueError, as open() does; strings that come back (ZVGetTitle,
    ZVGetErrorString) are bytes, and the helpers title() and error_string() return str, read
    the way the library reads it;
  * ZVReadChar returns one byte (b"x"); read_char() returns a str, or None when nothing waits;
    ZVReadUnicode returns the code point (an int), read_unicode() a str or None;
  * ZVGetKeyName and ZVGetDisplayKind return str;
  * ZVPutPixels and ZVGetPixels take any buffer object for the pixels (bytes, bytearray,
    array.array("I"), a NumPy uint32 array; NumPy is not needed), 4 bytes a colour; their
    stride defaults to the width, and a buffer too small for the block raises ValueError;
  * ZVCreateBitmap takes its R, G, B, A bytes the same way (bytes, bytearray, any buffer) and
    ZVGetBitmapPixels writes them into a writable buffer such as a bytearray; their stride
    defaults to 0 (rows packed), and a buffer too small for the bitmap raises ValueError;
  * ZVArc and ZVPie take their angles as 32-bit floats, ZVSetFont its angle as a double, as
    does ZVDrawBitmap.

The library is found in this order: the file named by the environment variable
ZELVAN_LIBRARY; the library installed with this module by `cmake --install`; a copy next to
this module; the newest one in a build*/ folder of the source tree this module belongs to;
the system's library search path.

`python3 -m zelvan` opens a short demo window (headless where there is no display).

A library built before some functions existed still loads: those functions are there but
raise MissingFunctionError when called, and available(name) tells them apart.
"""

import contextlib
import ctypes
import ctypes.util
import glob
import os
import sys

# ---------------------------------------------------------------------------------------
# Result codes and other constants.

ZV_OK = -1000000
ZV_ERROR = -999999
ZV_ERR_FILE_OPEN = -999998
ZV_ERR_FILE_READ = -999997
ZV_ERR_FILE_WRITE = -999996
ZV_ERR_BMP_CORRUPT = -999995
ZV_ERR_BMP_SIZE_MISMATCH = -999994
ZV_ERR_16BIT = -999993
ZV_ERR_32BIT = -999992
ZV_ERR_FILE_PALETTE_SIZE = -999991
ZV_ERR_BMP_BITCOUNT = -999990
ZV_ERR_CREATE_DIB = -999989
ZV_ERR_NOT_RIFF = -999988
ZV_ERR_NO_PAL_DATA = -999987
ZV_ERR_PAL_VERSION = -999986
ZV_ERR_DIB_PALETTE_SIZE = -999985
ZV_ERR_DIB_BITCOUNT = -999984
ZV_ERR_NO_DIB_PALETTE = -999983
ZV_ERR_BAD_WINDOW = -999982
ZV_ERR_BAD_BITMAP = -999981
ZV_ERR_BAD_WIDTH = -999980
ZV_ERR_BAD_HEIGHT = -999979
ZV_ERR_BAD_LEFT = -999978
ZV_ERR_BAD_TOP = -999977
ZV_ERR_COPY_BITMAP = -999976
ZV_ERR_CREATE_WINDOW = -999975
ZV_ERR_TOO_MANY_WINDOWS = -999974
ZV_ERR_NO_MEMORY = -999973
ZV_ERR_MOUSE_OUTSIDE = -999972
ZV_ERR_NOT_TOP_WINDOW = -999971
ZV_ERR_BAD_COORDS = -999970
ZV_ERR_NO_CLICK = -999969
ZV_ERR_NOT_INITIALISED = -999968
ZV_ERR_CLIPBOARD_BUSY = -999967
ZV_ERR_CLIPBOARD_COPY = -999966

#: Every result code by name, ZV_OK first, in the order of their values.
RESULT_CODES = {name: value for name, value in sorted(
    ((name, value) for name, value in globals().items()
     if name == "ZV_OK" or name == "ZV_ERROR" or name.startswith("ZV_ERR_")),
    key=lambda item: item[1])}

#: What colour-returning calls give for a bad window handle (not a colour, not a code).
ZV_BAD_COLOUR = 0xFF000000
#: What ZVSetPixel and ZVGetPixel give for a point outside the drawing surface.
INVALID_COLOUR = 0xFFFFFFFF

# Flags of ZVDrawBitmap, and the key of ZVSetBitmapColourKey that takes a key away.
ZV_FLIP_X, ZV_FLIP_Y, ZV_SMOOTH = 1, 2, 4
ZV_NO_COLOUR_KEY = 0xFFFFFFFF

# Line styles (ZVSetLineStyle), under zelvan.h's names.
ZV_LINE_SOLID, ZV_LINE_DASH, ZV_LINE_DASHDOT, ZV_LINE_DASHDOTDOT, ZV_LINE_INVISIBLE = range(5)
# Fill styles (ZVSetFillStyle), under zelvan.h's names.
(ZV_FILL_SOLID, ZV_FILL_RISING_DIAGONAL, ZV_FILL_FALLING_DIAGONAL, ZV_FILL_CROSS_HATCH,
 ZV_FILL_HORIZONTAL, ZV_FILL_VERTICAL) = range(6)
# The same styles without the prefix, as this module has always named them.
LINE_SOLID, LINE_DASH, LINE_DASHDOT, LINE_DASHDOTDOT, LINE_INVISIBLE = (
    ZV_LINE_SOLID, ZV_LINE_DASH, ZV_LINE_DASHDOT, ZV_LINE_DASHDOTDOT, ZV_LINE_INVISIBLE)
(FILL_SOLID, FILL_RISING_DIAGONAL, FILL_FALLING_DIAGONAL, FILL_CROSS_HATCH, FILL_HORIZONTAL,
 FILL_VERTICAL) = (ZV_FILL_SOLID, ZV_FILL_RISING_DIAGONAL, ZV_FILL_FALLING_DIAGONAL,
                   ZV_FILL_CROSS_HATCH, ZV_FILL_HORIZONTAL, ZV_FILL_VERTICAL)
# Text alignment (ZVTextAlign): add one horizontal and one vertical part.
ALIGN_LEFT, ALIGN_CENTRE, ALIGN_RIGHT = 0, 1, 3
ALIGN_BASELINE, ALIGN_TOP, ALIGN_BOTTOM = 0, 4, 8

# Bits of ZVGetMouseButtons; the ZV_MOD_ bits also come with ZVReadKey, shifted left by 16.
ZV_MOUSE_LEFT, ZV_MOUSE_RIGHT, ZV_MOUSE_MIDDLE = 1, 2, 4
ZV_MOD_SHIFT, ZV_MOD_CTRL, ZV_MOD_ALT = 8, 16, 32
# Key codes of ZVReadKey and ZVIsKeyDown for keys without a printable character. A key that
# types one is named by that character without SHIFT: ord("a"), ord("1"), ord("-").
(ZV_KEY_ESCAPE, ZV_KEY_ENTER, ZV_KEY_BACKSPACE, ZV_KEY_TAB, ZV_KEY_SPACE, ZV_KEY_LEFT, ZV_KEY_UP,
 ZV_KEY_RIGHT, ZV_KEY_DOWN, ZV_KEY_INSERT, ZV_KEY_DELETE, ZV_KEY_HOME, ZV_KEY_END,
 ZV_KEY_PAGE_UP, ZV_KEY_PAGE_DOWN) = range(256, 271)
(ZV_KEY_F1, ZV_KEY_F2, ZV_KEY_F3, ZV_KEY_F4, ZV_KEY_F5, ZV_KEY_F6, ZV_KEY_F7, ZV_KEY_F8,
 ZV_KEY_F9, ZV_KEY_F10, ZV_KEY_F11, ZV_KEY_F12) = range(271, 283)
ZV_KEY_SHIFT, ZV_KEY_CTRL, ZV_KEY_ALT = 283, 284, 285  # for ZVIsKeyDown only


class ZelvanError(Exception):
    """A Zelvan call failed; .code holds its result code."""

    def __init__(self, code, what=""):
        self.code = code
        message = error_string(code) if available("ZVGetErrorString") else str(code)
        super().__init__(f"{what}: {message}" if what else message)


class MissingFunctionError(RuntimeError):
    """The loaded library is older than this module and lacks the function called."""


# ---------------------------------------------------------------------------------------
# Argument and result types.

class _Text:
    """A narrow string argument: str (as UTF-8), bytes as they are, or None."""

    @classmethod
    def from_param(cls, value):
        if value is None or isinstance(value, bytes):
            return value
        if isinstance(value, bytearray):
            return bytes(value)
        if isinstance(value, str):
            # Lone surrogates (from a surrogate-escaped name, say) go as the bytes they stand for.
            return value.encode("utf-8", "surrogateescape")
        raise TypeError(f"expected str or bytes, not {type(value).__name__}")


class _FileName(_Text):
    """A file name: str or a path through os.fsencode, bytes as they are, or None. A name
    holding a NUL is refused with ValueError, as open() refuses it: C would read it only up
    to the NUL and use another file."""

    @classmethod
    def from_param(cls, value):
        if value is None:
            return value
        if isinstance(value, (bytes, bytearray)):
            name = bytes(value)
        elif isinstance(value, (str, os.PathLike)):
            name = os.fsencode(value)
        else:
            raise TypeError(f"expected str, bytes or a path, not {type(value).__name__}")
        if b"\0" in name:
            raise ValueError("embedded null byte")
        return name


# The library reads a string that is not UTF-8 as Windows-1252; of its bytes 0x80 to 0x9F,
# the five that code page leaves undefined stay the C1 controls, as the library maps them.
_WINDOWS_1252_HIGH = {}
for _byte in range(0x80, 0xA0):
    with contextlib.suppress(UnicodeDecodeError):
        _WINDOWS_1252_HIGH[_byte] = bytes([_byte]).decode("cp1252")


def _text_from_bytes(raw):
    """A string from the library read as the library reads it: UTF-8, else Windows-1252."""
    try:
        return raw.decode("utf-8")
    except UnicodeDecodeError:
        return raw.decode("latin-1").translate(_WINDOWS_1252_HIGH)


class _PointsIn:
    """x, y pairs the library reads: a flat sequence of numbers (x0, y0, x1, y1, ...), a
    sequence of (x, y) pairs, a ctypes array, or None."""

    item = ctypes.c_int

    @classmethod
    def numbers(cls, value):
        """The points as one ctypes array of x, y numbers."""
        if isinstance(value, ctypes.Array):
            return value
        items = list(value)
        if items and isinstance(items[0], (tuple, list)):
            items = [number for pair in items for number in pair]
        return (cls.item * len(items))(*items)

    @classmethod
    def from_param(cls, value):
        return None if value is None else cls.numbers(value)


class _FloatPointsIn(_PointsIn):
    """The same with the numbers as 32-bit floats."""

    item = ctypes.c_float


class _PixelsIn:
    """A block of colours the library reads: any C-contiguous object with the buffer
    protocol (bytes, bytearray, array.array("I"), a NumPy uint32 array), 4 bytes a colour."""

    writes = False

    @classmethod
    def from_param(cls, value):
        if value is None:
            return None
        view = memoryview(value)
        if not view.c_contiguous:
            raise ValueError("a pixel block must be one contiguous buffer")
        if view.readonly:
            if cls.writes:
                raise TypeError("the pixels read back need a writable buffer")
            # bytes pass their own memory; other read-only buffers go as a copy.
            if isinstance(value, bytes):
                return value
            return (ctypes.c_char * view.nbytes).from_buffer_copy(view)
        return (ctypes.c_char * view.nbytes).from_buffer(view)


class _PixelsOut(_PixelsIn):
    """A block of colours the library writes: a writable buffer, as for _PixelsIn."""

    writes = True


class _BytesIn(_PixelsIn):
    """R, G, B, A bytes the library reads: bytes, bytearray or any contiguous buffer."""


class _BytesOut(_PixelsOut):
    """R, G, B, A bytes the library writes: a bytearray or any writable contiguous buffer."""


_int = ctypes.c_int
_colour = ctypes.c_uint32
_text = _Text
_file = _FileName
_text_result = ctypes.c_char_p

# name, result type, argument types, one line on what it does. Order and grouping follow
# zelvan.h; docs/API.md has the full story of each.
_SIGNATURES = (
    # Version, last error and messages.
    ("ZVGetVersion", _int, (), "The library's version number, 272."),
    ("ZVGetLastError", _int, (), "Returns the last error and resets it to ZV_OK."),
    ("ZVGetErrorString", _text_result, (_int,), "(code) -> the message of a result code, bytes."),
    # Windows.
    ("ZVCreateWindow", _int, (_int, _int, _int, _int, _text),
     "(x, y, width, height, title) -> new window handle, or 0 (cause in the last error)."),
    ("ZVDestroyWindow", _int, (_int,), "(window) -> closes the window; always returns 0."),
    ("ZVIsWindow", _int, (_int,), "(window) -> ZV_OK for an open window, else ZV_ERR_BAD_WINDOW."),
    # Window control.
    ("ZVSetTitle", _int, (_int, _text), "(window, title) -> changes the caption."),
    ("ZVGetTitle", _text_result, (_int,), "(window) -> the title as bytes (empty if bad)."),
    ("ZVMove", _int, (_int, _int, _int), "(window, x, y) -> moves the frame's top-left corner."),
    ("ZVResize", _int, (_int, _int, _int), "(window, width, height) -> new client size."),
    ("ZVMinimize", _int, (_int,), "(window) -> minimises the window."),
    ("ZVRestore", _int, (_int,), "(window) -> restores a minimised window."),
    ("ZVBringWindowToFront", _int, (_int,), "(window) -> raises and focuses the window."),
    ("ZVGetWidth", _int, (_int,), "(window) -> width of the drawing surface."),
    ("ZVGetHeight", _int, (_int,), "(window) -> height of the drawing surface."),
    ("ZVGetWindowX", _int, (_int,), "(window) -> screen x of the client area."),
    ("ZVGetWindowY", _int, (_int,), "(window) -> screen y of the client area."),
    # Drawing attributes.
    ("ZVSetForeground", _int, (_int, _colour), "(window, colour) -> colour of lines and text."),
    ("ZVGetForeground", _colour, (_int,), "(window) -> the foreground colour."),
    ("ZVSetBackground", _int, (_int, _colour), "(window, colour) -> colour buffers clear to."),
    ("ZVGetBackground", _colour, (_int,), "(window) -> the background colour."),
    ("ZVGetRGBColour", _colour, (_int, _int, _int), "(red, green, blue) -> a colour."),
    ("ZVSetLineStyle", _int, (_int, _int), "(window, style: ZV_LINE_SOLID ... ZV_LINE_INVISIBLE)."),
    ("ZVGetLineStyle", _int, (_int,), "(window) -> the line style number."),
    ("ZVSetLineWidth", _int, (_int, _int), "(window, width) -> pen width in pixels."),
    ("ZVGetLineWidth", _int, (_int,), "(window) -> the line width (ZV_ERROR if bad)."),
    ("ZVSetFillStyle", _int, (_int, _int), "(window, style: ZV_FILL_SOLID ... ZV_FILL_VERTICAL)."),
    ("ZVGetFillStyle", _int, (_int,), "(window) -> the fill style number."),
    ("ZVSetFillColour", _int, (_int, _colour), "(window, colour) -> colour of fills."),
    ("ZVGetFillColour", _colour, (_int,), "(window) -> the fill colour."),
    # Drawing primitives.
    ("ZVSetPixel", _colour, (_int, _int, _int, _colour),
     "(window, x, y, colour) -> the colour set, or INVALID_COLOUR outside the surface."),
    ("ZVSetPixelFast", _int, (_int, _int, _int, _colour),
     "(window, x, y, colour) -> ZV_OK or ZV_ERROR."),
    ("ZVGetPixel", _colour, (_int, _int, _int),
     "(window, x, y) -> colour in the draw buffer, or INVALID_COLOUR outside it."),
    ("ZVPlot", _int, (_int, _int, _int), "(window, x, y) -> draws a point, moves there."),
    ("ZVMoveTo", _int, (_int, _int, _int), "(window, x, y) -> sets the current position."),
    ("ZVLine", _int, (_int, _int, _int), "(window, x, y) -> line from the current position."),
    ("ZVGetCurXPos", _int, (_int,), "(window) -> x of the current position."),
    ("ZVGetCurYPos", _int, (_int,), "(window) -> y of the current position."),
    ("ZVCircle", _int, (_int, _int, _int, _int), "(window, xc, yc, radius) -> outline."),
    ("ZVArc", _int, (_int, _int, _int, _int, ctypes.c_float, ctypes.c_float),
     "(window, xc, yc, radius, start, sweep) -> arc, degrees counter-clockwise."),
    ("ZVPie", _int, (_int, _int, _int, _int, ctypes.c_float, ctypes.c_float),
     "(window, xc, yc, radius, start, sweep) -> filled pie slice."),
    ("ZVRectangle", _int, (_int, _int, _int, _int, _int), "(window, x1, y1, x2, y2) -> outline."),
    ("ZVInvertRectangle", _int, (_int, _int, _int, _int, _int),
     "(window, x1, y1, x2, y2) -> inverts the pixels, both corners included."),
    ("ZVFillRectangle", _int, (_int, _int, _int, _int, _int),
     "(window, x1, y1, x2, y2) -> filled rectangle."),
    ("ZVFillCircle", _int, (_int, _int, _int, _int), "(window, xc, yc, radius) -> filled circle."),
    ("ZVFloodFill", _int, (_int, _int, _int, _colour),
     "(window, x, y, border) -> fills the area around (x, y) up to the border colour."),
    # Text and fonts.
    ("ZVTextOut", _int, (_int, _int, _int, _text), "(window, x, y, text) -> draws text."),
    ("ZVTextAlign", _int, (_int, _int), "(window, code) -> which point of the text is (x, y)."),
    ("ZVSetFont", _int, (_int, _int, ctypes.c_double, _text),
     "(window, points, angle, face) -> font for later text."),
    # Drawing buffers and redraw.
    ("ZVSetDoubleBuffer", _int, (_int, _int), "(window, on) -> the new setting, 0 or 1."),
    ("ZVSwitchDrawBuffer", _int, (_int,), "(window) -> the new draw buffer index."),
    ("ZVSwitchViewBuffer", _int, (_int,), "(window) -> the new view buffer index, shown now."),
    ("ZVGetDrawBuffer", _int, (_int,), "(window) -> the draw buffer index."),
    ("ZVGetViewBuffer", _int, (_int,), "(window) -> the view buffer index."),
    ("ZVClearDrawBuffer", _int, (_int,), "(window) -> fills the draw buffer with the background."),
    ("ZVClearViewBuffer", _int, (_int,), "(window) -> fills the view buffer with the background."),
    ("ZVCopyDrawBufferToView", _int, (_int,), "(window) -> copies the draw buffer to the view."),
    ("ZVRedraw", _int, (_int,), "(window) -> repaints the window now."),
    ("ZVSetAutoRedraw", _int, (_int, _int), "(window, ms) -> refresh period in force, 0 = off."),
    # Mouse.
    ("ZVCaptureMouseCoords", _int, (_int,), "(window) -> snapshot of the pointer position."),
    ("ZVGetMouseCoordsX", _int, (_int,), "(window) -> captured pointer x."),
    ("ZVGetMouseCoordsY", _int, (_int,), "(window) -> captured pointer y."),
    ("ZVCaptureLastLeftMouseClick", _int, (_int,), "(window) -> snapshot of the last left click."),
    ("ZVGetLastLeftMouseClickX", _int, (_int,), "(window) -> captured left click x."),
    ("ZVGetLastLeftMouseClickY", _int, (_int,), "(window) -> captured left click y."),
    ("ZVGetLastLeftMouseClickCTRL", _int, (_int,), "(window) -> 1 if CTRL was held, else 0."),
    ("ZVGetLastLeftMouseClickSHIFT", _int, (_int,), "(window) -> 1 if SHIFT was held, else 0."),
    ("ZVCaptureLastRightMouseClick", _int, (_int,),
     "(window) -> snapshot of the last right click."),
    ("ZVGetLastRightMouseClickX", _int, (_int,), "(window) -> captured right click x."),
    ("ZVGetLastRightMouseClickY", _int, (_int,), "(window) -> captured right click y."),
    ("ZVGetLastRightMouseClickCTRL", _int, (_int,), "(window) -> 1 if CTRL was held, else 0."),
    ("ZVGetLastRightMouseClickSHIFT", _int, (_int,), "(window) -> 1 if SHIFT was held, else 0."),
    # Keyboard.
    ("ZVReadChar", ctypes.c_char, (_int,), "(window) -> oldest typed character as one byte."),
    ("ZV_kbhit", _int, (_int,), "(window) -> 1 when a character is waiting, else 0."),
    ("ZVClearKeyBuffer", _int, (_int,), "(window) -> throws away waiting characters."),
    # Bitmaps.
    ("ZVLoadBitmap", _int, (_file,), "(file_name) -> new bitmap id, or 0."),
    ("ZVSaveBitmap", _int, (_int, _file), "(bitmap, file_name) -> writes a BMP file."),
    ("ZVDiscardBitmap", _int, (_int,), "(bitmap) -> frees the bitmap."),
    ("ZVShowBitmap", _int, (_int, _int), "(window, bitmap) -> the bitmap becomes the picture."),
    ("ZVCopyBitmap", _int, (_int, _int, _int, _int, _int),
     "(window, left, top, width, height) -> new bitmap id from what is shown, or 0."),
    ("ZVPasteBitmap", _int, (_int, _int, _int, _int), "(window, bitmap, x, y) -> draws it."),
    ("ZVGetBitmapWidth", _int, (_int,), "(bitmap) -> width in pixels."),
    ("ZVGetBitmapHeight", _int, (_int,), "(bitmap) -> height in pixels."),
    # Window images.
    ("ZVLoadImage", _int, (_int, _file), "(window, file_name) -> BMP file becomes the picture."),
    ("ZVSaveImage", _int, (_int, _file), "(window, file_name) -> writes what is shown as BMP."),
    # Palettes.
    ("ZVLoadRIFFPalette", _int, (_int, _file), "(window, file_name) -> palette from a .pal file."),
    ("ZVUseBitmapPalette", _int, (_int, _int), "(window, bitmap) -> bitmap's colour table."),
    ("ZVSaveWindowPalette", _int, (_int, _file), "(window, file_name) -> writes a .pal file."),
    ("ZVSaveBitmapPalette", _int, (_int, _file), "(bitmap, file_name) -> writes a .pal file."),
    # Clipboard.
    ("ZVCopyBitmapToClipboard", _int, (_int,), "(bitmap) -> puts the bitmap on the clipboard."),
    ("ZVCopyImageToClipboard", _int, (_int,), "(window) -> puts what is shown on the clipboard."),
    # Beyond the original set.
    ("ZVGetMouseButtons", _int, (_int,),
     "(window) -> ZV_MOUSE_ and ZV_MOD_ bits held while the pointer is over the window."),
    ("ZVGetMouseWheel", _int, (_int,), "(window) -> whole wheel steps since the last call."),
    ("ZVIsKeyDown", _int, (_int, _int), "(window, key) -> 1 while the key is held, else 0."),
    ("ZVReadKey", _int, (_int,), "(window) -> the oldest key press (code | mods << 16), or 0."),
    ("ZVCloseRequested", _int, (_int,), "(window) -> 1 once per click of the close box, else 0."),
    ("ZVPutPixels", _int, (_int, _int, _int, _int, _int, _PixelsIn, _int),
     "(window, x, y, width, height, pixels, stride=width) -> writes a block of colours."),
    ("ZVGetPixels", _int, (_int, _int, _int, _int, _int, _PixelsOut, _int),
     "(window, x, y, width, height, pixels, stride=width) -> reads a block of colours; "
     "those off the buffer read as ZV_BAD_COLOUR."),
    ("ZVPasteBitmapAlpha", _int, (_int, _int, _int, _int),
     "(window, bitmap, x, y) -> blends the bitmap by its alpha (a plain paste without alpha)."),
    ("ZVPasteBitmapKeyed", _int, (_int, _int, _int, _int, _colour),
     "(window, bitmap, x, y, key) -> pastes every pixel but those of the key colour."),
    # The program's loop.
    ("ZVGetTicks", _int, (), "() -> milliseconds since the library started (wraps at 2**31)."),
    ("ZVWaitFrame", _int, (_int, _int),
     "(window, fps) -> sleeps until the next tick of a steady fps schedule; ticks missed."),
    ("ZVPresent", _int, (_int,), "(window) -> shows the finished frame; every frame arrives."),
    ("ZVGetMouseX", _int, (_int,), "(window) -> the pointer's latest x over the window."),
    ("ZVGetMouseY", _int, (_int,), "(window) -> the pointer's latest y over the window."),
    ("ZVGetKeyName", _text_result, (_int,), "(key) -> the key's English name, str."),
    # Windows on a modern desktop.
    ("ZVSetResizable", _int, (_int, _int),
     "(window, on) -> lets the user size the window; the drawing surface follows."),
    ("ZVWasResized", _int, (_int,),
     "(window) -> 1 once after the user or fullscreen switching changed the size, else 0."),
    ("ZVSetFullscreen", _int, (_int, _int),
     "(window, on) -> covers the monitor without a frame, or gives the frame back."),
    ("ZVGetScreenWidth", _int, (), "() -> the primary monitor's width."),
    ("ZVGetScreenHeight", _int, (), "() -> the primary monitor's height."),
    # Crisp scaling on dense screens.
    ("ZVGetScale", _int, (_int,), "(window) -> how many times its pixels are enlarged on screen."),
    # Pictures made in memory, sprite sheets and canvases.
    ("ZVCreateBitmap", _int, (_int, _int, _BytesIn, _int),
     "(width, height, rgba, stride=0) -> new bitmap with alpha from R, G, B, A bytes, or 0."),
    ("ZVGetBitmapPixels", _int, (_int, _BytesOut, _int),
     "(bitmap, rgba, stride=0) -> writes the bitmap's pixels as R, G, B, A bytes."),
    ("ZVDrawBitmap", _int, (_int, _int, _int, _int, _int, _int, _int, _int, _int, _int,
                            ctypes.c_double, _int),
     "(window, bitmap, src_x, src_y, src_width, src_height, x, y, width, height, angle, flags)"
     " -> draws part of a bitmap scaled, turned counter-clockwise and mirrored."),
    ("ZVSetBitmapColourKey", _int, (_int, _colour),
     "(bitmap, key) -> pixels of that colour are transparent; ZV_NO_COLOUR_KEY for none."),
    ("ZVCreateCanvas", _int, (_int, _int),
     "(width, height) -> a window that is never shown, to draw off screen; 0 on failure."),
    # Text and input in any language, the pointer and icon, the display and a fine clock.
    ("ZVGetTextWidth", _int, (_int, _text),
     "(window, text) -> width in pixels of the box ZVTextOut fills with the text, unturned."),
    ("ZVGetTextHeight", _int, (_int, _text),
     "(window, text) -> height in pixels of that box: the font's line height."),
    ("ZVReadUnicode", _int, (_int,),
     "(window) -> the oldest typed character as a Unicode code point, or 0 when none waits."),
    ("ZVShowCursor", _int, (_int, _int), "(window, show) -> shows or hides the pointer over it."),
    ("ZVSetIcon", _int, (_int, _int), "(window, bitmap) -> the bitmap becomes the window's icon."),
    ("ZVGetDisplayKind", _text_result, (),
     "() -> where windows appear: \"windows\", \"x11\", \"wayland\" or \"headless\", str."),
    ("ZVGetTime", ctypes.c_double, (), "() -> seconds since the library started, as a float."),
    # Smooth shapes on request.
    ("ZVSetSmooth", _int, (_int, _int),
     "(window, on) -> draws lines, rectangles, circles, arcs, pies and polygons anti-aliased."),
    ("ZVGetSmooth", _int, (_int,), "(window) -> 1 in smooth mode, else 0."),
    ("ZVSetOpacity", _int, (_int, _int),
     "(window, opacity) -> 0 (transparent) to 255 for the pen and fill of smooth shapes."),
    ("ZVGetOpacity", _int, (_int,), "(window) -> the opacity of smooth shapes."),
    ("ZVPolygon", _int, (_int, _PointsIn, _int),
     "(window, xy, count=len) -> the closed outline through x, y points."),
    ("ZVFillPolygon", _int, (_int, _PointsIn, _int),
     "(window, xy, count=len) -> the polygon filled by the non-zero rule, then its outline."),
    ("ZVPolylineF", _int, (_int, _FloatPointsIn, _int),
     "(window, xy, count=len) -> the open line through fractional x, y points."),
)

# ---------------------------------------------------------------------------------------
# Finding and loading the library.

if sys.platform == "win32":
    _LIBRARY_NAMES = ("Zelvan.dll",)
    # 32-bit Windows builds use the callee-pops convention; elsewhere it is the C one.
    _loader = ctypes.WinDLL
elif sys.platform == "darwin":
    _LIBRARY_NAMES = ("libzelvan.dylib",)
    _loader = ctypes.CDLL
else:
    _LIBRARY_NAMES = ("libzelvan.so",)
    _loader = ctypes.CDLL


def _built_with_sanitizer(path):
    """True for a library that needs a sanitizer runtime loaded before the interpreter."""
    try:
        with open(path, "rb") as file:
            contents = file.read()
    except OSError:
        return False
    return b"libasan.so" in contents or b"libtsan.so" in contents


# Set by `cmake --install` in the copy it installs: the installed library's folder, relative
# to that copy, so that it loads without ZELVAN_LIBRARY or the loader's search path.
_INSTALLED_LIBRARY_DIR = None


def _library_candidates():
    """Where to look, in order, when ZELVAN_LIBRARY is not set."""
    here = os.path.dirname(os.path.abspath(__file__))
    candidates = []
    if _INSTALLED_LIBRARY_DIR is not None:
        installed = os.path.normpath(os.path.join(here, _INSTALLED_LIBRARY_DIR))
        candidates += [os.path.join(installed, name) for name in _LIBRARY_NAMES]
    candidates += [os.path.join(here, name) for name in _LIBRARY_NAMES]
    source_root = os.path.dirname(here)
    built = []
    for name in _LIBRARY_NAMES:
        for pattern in (os.path.join(source_root, "build*", name),
                        os.path.join(source_root, "build*", "*", name)):
            built.extend(glob.glob(pattern))
    # Loading a sanitizer build into a plain interpreter aborts it: such builds are only
    # used when named in ZELVAN_LIBRARY.
    built = [path for path in built if not _built_with_sanitizer(path)]
    built.sort(key=os.path.getmtime, reverse=True)
    candidates += built
    candidates += list(_LIBRARY_NAMES)
    found = ctypes.util.find_library("zelvan") or ctypes.util.find_library("Zelvan")
    if found:
        candidates.append(found)
    return candidates


def _load_library():
    explicit = os.environ.get("ZELVAN_LIBRARY")
    if explicit:
        # A library named on purpose is used or refused, never silently replaced.
        try:
            return _loader(explicit), explicit
        except OSError as error:
            raise OSError(f"ZELVAN_LIBRARY={explicit} could not be loaded: {error}") from None
    failures = []
    for candidate in _library_candidates():
        if os.path.sep in candidate and not os.path.exists(candidate):
            continue
        try:
            return _loader(candidate), candidate
        except OSError as error:
            failures.append(f"  {candidate}: {error}")
    raise OSError("the Zelvan library was not found; build it (cmake --build build) or set "
                  "ZELVAN_LIBRARY to its path.\nTried:\n" + "\n".join(failures))


_library, LIBRARY_PATH = _load_library()
_present = set()


def _missing(name, doc):
    def call(*_args):
        raise MissingFunctionError(f"{name} is not in the loaded library {LIBRARY_PATH}")
    call.__name__ = call.__qualname__ = name
    call.__doc__ = doc + "\n\nNot provided by the loaded library: calling it raises."
    return call


def _bind_all():
    for name, result, arguments, doc in _SIGNATURES:
        try:
            function = _library[name]
        except AttributeError:
            globals()[name] = _missing(name, doc)
            continue
        function.restype = result
        function.argtypes = arguments
        function.__doc__ = doc
        globals()[name] = function
        _present.add(name)


_bind_all()


def _wrap(call, raw, name):
    """Puts `call` in the module under `name`, in place of the raw function it checks for."""
    call.__name__ = call.__qualname__ = name
    call.__doc__ = raw.__doc__
    call.argtypes = raw.argtypes
    call.restype = raw.restype
    globals()[name] = call


def _checked_block_call(name):
    """Wraps ZVPutPixels or ZVGetPixels: `stride` defaults to the width, and a buffer too
    small for the block is refused here instead of being read or written past its end."""
    raw = globals()[name]
    if name not in _present:
        return

    def call(window, x, y, width, height, pixels, stride=None):
        stride = width if stride is None else stride
        if pixels is not None:
            view = memoryview(pixels)
            if view.readonly and raw.argtypes[5].writes:
                raise TypeError(f"{name}: the pixels read back need a writable buffer")
            needed = ((height - 1) * stride + width) * 4 if 0 < width <= stride and height > 0 else 0
            if view.nbytes < needed:
                raise ValueError(f"{name}: the block needs {needed} bytes of pixels")
        return raw(window, x, y, width, height, pixels, stride)

    _wrap(call, raw, name)


for _name in ("ZVPutPixels", "ZVGetPixels"):
    _checked_block_call(_name)


def _rgba_bytes_needed(width, height, stride):
    """The bytes R, G, B, A rows of that size take, 0 for sizes the library refuses."""
    step = width * 4 if stride == 0 else stride
    return (height - 1) * step + width * 4 if width > 0 and height > 0 and step >= width * 4 else 0


def _checked_rgba_calls():
    """Wraps ZVCreateBitmap and ZVGetBitmapPixels: `stride` defaults to 0 (rows packed), and a
    buffer too small for the bitmap is refused here instead of being read or written past its
    end."""
    if "ZVCreateBitmap" in _present:
        raw_create = globals()["ZVCreateBitmap"]

        def create(width, height, rgba, stride=0):
            needed = _rgba_bytes_needed(width, height, stride)
            if rgba is not None and memoryview(rgba).nbytes < needed:
                raise ValueError(f"ZVCreateBitmap: {width} x {height} pixels need {needed} bytes")
            return raw_create(width, height, rgba, stride)
        _wrap(create, raw_create, "ZVCreateBitmap")
    if "ZVGetBitmapPixels" in _present:
        raw_get = globals()["ZVGetBitmapPixels"]

        def get(bitmap, rgba, stride=0):
            if rgba is not None:
                view = memoryview(rgba)
                if view.readonly:
                    raise TypeError("ZVGetBitmapPixels: the pixels need a writable buffer")
                # A bad id measures nothing and is left to the library to report.
                needed = _rgba_bytes_needed(ZVGetBitmapWidth(bitmap), ZVGetBitmapHeight(bitmap),
                                            stride)
                if view.nbytes < needed:
                    raise ValueError(f"ZVGetBitmapPixels: the bitmap needs {needed} bytes")
            return raw_get(bitmap, rgba, stride)
        _wrap(get, raw_get, "ZVGetBitmapPixels")


_checked_rgba_calls()


def _file_name_call(name):
    """Wraps a call that takes file names: they are converted before the call, so that a name
    holding a NUL raises ValueError itself, where ctypes would turn it into ArgumentError.
    It wraps whatever stands under the name, so it composes with the checks above."""
    if name not in _present:
        return
    raw = globals()[name]
    names_at = [i for i, kind in enumerate(raw.argtypes) if kind is _file]

    def call(*args, **keywords):
        return raw(*(_file.from_param(a) if i in names_at else a for i, a in enumerate(args)),
                   **keywords)

    _wrap(call, raw, name)


def _checked_point_call(name):
    """Wraps ZVPolygon, ZVFillPolygon or ZVPolylineF: the points go as a sequence, `count`
    defaults to how many there are, and a count beyond them is refused here instead of being
    read past the array's end."""
    raw = globals()[name]
    if name not in _present:
        return

    def call(window, xy, count=None):
        points = None if xy is None else raw.argtypes[1].numbers(xy)
        given = 0 if points is None else len(points) // 2
        count = given if count is None else count
        if points is not None and count > given:
            raise ValueError(f"{name}: {count} points asked for, {given} given")
        return raw(window, points, count)

    _wrap(call, raw, name)


for _name, _, _arguments, _ in _SIGNATURES:
    if _file in _arguments:
        _file_name_call(_name)


def _ascii_result(result, _function, _arguments):
    return result.decode("ascii")


# Names the library makes up itself are plain ASCII: handed out as str.
for _name in ("ZVGetKeyName", "ZVGetDisplayKind"):
    if _name in _present:
        globals()[_name].errcheck = _ascii_result


for _name in ("ZVPolygon", "ZVFillPolygon", "ZVPolylineF"):
    _checked_point_call(_name)


def available(name):
    """True when the loaded library provides the ZV function `name`."""
    return name in _present


# ---------------------------------------------------------------------------------------
# Helpers.

def rgb(red, green, blue):
    """A colour from its three parts, like ZVGetRGBColour: the low 8 bits of each count."""
    return (red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16


def colour_parts(colour):
    """The (red, green, blue) parts of a colour."""
    return colour & 0xFF, colour >> 8 & 0xFF, colour >> 16 & 0xFF


def as_int32(value):
    """A 32-bit unsigned result read as signed: ZVGetForeground's ZV_ERR_BAD_WINDOW, say."""
    value &= 0xFFFFFFFF
    return value - (1 << 32) if value & 0x80000000 else value


def error_string(code):
    """The message of a result code, as str."""
    return ZVGetErrorString(code).decode("latin-1")


def last_error():
    """The last error, which this resets to ZV_OK (same as ZVGetLastError)."""
    return ZVGetLastError()


def check(result, what=""):
    """Returns None when `result` is ZV_OK, else raises ZelvanError with that code."""
    if result != ZV_OK:
        raise ZelvanError(result, what)


def title(window):
    """The window's title, as str: UTF-8 when its bytes are UTF-8, else Windows-1252."""
    return _text_from_bytes(ZVGetTitle(window))


def key_name(key):
    """The English name of a key code (or a ZVReadKey result), as str; "" for no key."""
    return ZVGetKeyName(key)


def key_code(press):
    """The key code of a ZVReadKey result: a ZV_KEY_ code or a character's code."""
    return press & 0xFFFF


def key_mods(press):
    """The ZV_MOD_ bits of a ZVReadKey result."""
    return press >> 16 & 0xFF


def key(character):
    """A key for ZVIsKeyDown given as a one-character str ("a", "1") or a ZV_KEY_ code."""
    return ord(character) if isinstance(character, str) else character


def read_char(window):
    """The oldest character typed into the window, as str, or None when none is waiting."""
    if ZV_kbhit(window) != 1:
        return None
    return ZVReadChar(window).decode("latin-1")


def read_unicode(window):
    """The oldest character typed into the window, as str (any language), or None when none
    is waiting."""
    code_point = ZVReadUnicode(window)
    return chr(code_point) if code_point > 0 else None


@contextlib.contextmanager
def window(x, y, width, height, caption=""):
    """Opens a window for a `with` block and destroys it afterwards.

        with zelvan.window(100, 100, 320, 200, "Sketch") as w:
            zelvan.ZVCircle(w, 160, 100, 50)

    Raises ZelvanError when the window cannot be created.
    """
    ZVGetLastError()
    handle = ZVCreateWindow(x, y, width, height, caption)
    if handle == 0:
        raise ZelvanError(ZVGetLastError(), "ZVCreateWindow")
    try:
        yield handle
    finally:
        ZVDestroyWindow(handle)


def _demo(seconds):
    """`python3 -m zelvan`: a window with a few shapes and words, shown for `seconds` or until
    its close box or a key ends it. Nothing is saved."""
    import time
    with window(120, 120, 360, 220, "Zelvan \u2013 Gr\u00fc\u00dfe, \u041f\u0440\u0438\u0432\u0435\u0442") as w:
        ZVSetDoubleBuffer(w, 1)
        ZVSetFillColour(w, rgb(250, 200, 60))
        ZVFillCircle(w, 80, 110, 55)
        ZVSetForeground(w, rgb(30, 80, 200))
        ZVSetLineWidth(w, 3)
        ZVRectangle(w, 160, 50, 330, 170)
        ZVSetForeground(w, 0)
        ZVSetFont(w, 14, 0.0, "Sans")
        ZVTextOut(w, 170, 90, "Zelvan \u2013 Python")
        ZVTextOut(w, 170, 120, "Gr\u00fc\u00dfe \u00b7 \u041f\u0440\u0438\u0432\u0435\u0442")
        ZVCopyDrawBufferToView(w)
        ZVRedraw(w)
        print(f"zelvan {ZVGetVersion()} from {LIBRARY_PATH}: window \"{title(w)}\"", flush=True)
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if ZVCloseRequested(w) == 1 or ZVReadKey(w) != 0:
                break
            time.sleep(0.05)


if __name__ == "__main__":
    # Without a screen the window is drawn off screen and the demo ends at once.
    if available("ZVGetDisplayKind"):
        _headless = ZVGetDisplayKind() == "headless"
    else:  # an older library: a guess from the environment
        _headless = sys.platform not in ("win32", "darwin") and not os.environ.get("DISPLAY")
    _demo(0 if _headless else 4)
