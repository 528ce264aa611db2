"""Sketchpad: draw with the mouse; keys change the colour, save and copy.

Run it from anywhere:  python3 python/examples/sketchpad.py

  left button     hold it down and move to draw; letting go ends the stroke
  right click     clear the page
  r g b y k       red, green, blue, yellow, black pen;  e  eraser
  + - or wheel    thicker or thinner pen
  s               save the page as sketchpad.bmp (in the folder named by ZELVAN_PICTURES,
                  or else in the current folder)
  c               copy the page to the clipboard
  q, Esc or the close box   quit

Without a display nobody can draw, so the program draws a few strokes by itself, presses
s and c for you, and exits after a few seconds.
"""

import math
import os
import pathlib
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent))
import zelvan as zv  # noqa: E402

WIDTH, HEIGHT = 480, 360
PEN_COLOURS = {
    "r": zv.rgb(220, 40, 40),
    "g": zv.rgb(40, 160, 60),
    "b": zv.rgb(40, 80, 220),
    "y": zv.rgb(230, 200, 0),
    "k": zv.rgb(0, 0, 0),
    "e": zv.rgb(255, 255, 255),  # the eraser is a white pen
}


def picture_path(name):
    """Where a picture is saved: the folder named by ZELVAN_PICTURES, or the current one."""
    return os.path.join(os.environ.get("ZELVAN_PICTURES") or ".", name)


class Pad:
    """What the sketchpad remembers between two looks at the mouse."""

    def __init__(self, window):
        self.window = window
        self.pen_down = False
        self.width = 3
        self.colour = PEN_COLOURS["k"]

    def set_pen(self):
        zv.ZVSetForeground(self.window, self.colour)
        zv.ZVSetLineWidth(self.window, self.width)

    def start_stroke(self, x, y):
        # A line starts at the current position: move there, and mark the starting point.
        self.set_pen()
        zv.ZVPlot(self.window, x, y)

    def continue_stroke(self, x, y):
        zv.ZVLine(self.window, x, y)  # from the last point to this one

    def change_width(self, change):
        self.width = min(max(self.width + change, 1), 30)
        self.set_pen()


def show_help(window):
    zv.ZVClearDrawBuffer(window)
    zv.ZVSetForeground(window, zv.rgb(120, 120, 120))
    zv.ZVTextOut(window, 6, 4, "hold the left button to draw     right click: clear page")
    zv.ZVTextOut(window, 6, 18, "r g b y k: colour   e: eraser   + - or wheel: width   "
                 "s: save   c: copy   q: quit")


def handle_key(pad, key):
    """Reacts to one typed character; returns False when the program should end."""
    w = pad.window
    if key in PEN_COLOURS:
        pad.colour = PEN_COLOURS[key]
        pad.set_pen()
    elif key == "+":
        pad.change_width(1)
    elif key == "-":
        pad.change_width(-1)
    elif key == "s":
        picture = picture_path("sketchpad.bmp")
        result = zv.ZVSaveImage(w, picture)   # what the window shows, as a BMP
        print(f"save {picture}:", zv.error_string(result))
    elif key == "c":
        result = zv.ZVCopyImageToClipboard(w)
        print("copy to clipboard:", zv.error_string(result))
    elif key in ("q", "\x1b"):
        return False
    return True


def follow_the_mouse(pad):
    """One look at the mouse: a left press starts a stroke, moves continue it while the
    button is held, and letting go ends it."""
    w = pad.window
    # A capture takes the last press since the previous capture, or fails if there was none.
    if zv.ZVCaptureLastLeftMouseClick(w) == zv.ZV_OK:
        pad.pen_down = True
        pad.start_stroke(zv.ZVGetLastLeftMouseClickX(w), zv.ZVGetLastLeftMouseClickY(w))
    if zv.ZVCaptureLastRightMouseClick(w) == zv.ZV_OK:
        pad.pen_down = False
        show_help(w)
    # Asked before the pointer, so that a move made after letting go is not drawn.
    held = bool(zv.ZVGetMouseButtons(w) & zv.ZV_MOUSE_LEFT)
    # ZV_OK only when the pointer has moved over the window since the last capture.
    if pad.pen_down and held and zv.ZVCaptureMouseCoords(w) == zv.ZV_OK:
        pad.continue_stroke(zv.ZVGetMouseCoordsX(w), zv.ZVGetMouseCoordsY(w))
    if not held:
        pad.pen_down = False  # a quick click leaves a dot
    # Whole wheel steps since the last look: away from you thicker, towards you thinner.
    turn = zv.ZVGetMouseWheel(w)
    if turn:
        pad.change_width(turn)


def run_on_desktop(pad):
    running = True
    while running:
        follow_the_mouse(pad)
        if zv.ZVCloseRequested(pad.window) == 1:
            running = False
        key = zv.read_char(pad.window)  # None when nothing was typed
        while key is not None and running:
            running = handle_key(pad, key)
            key = zv.read_char(pad.window)
        time.sleep(0.01)  # a hundred looks a second are plenty, and cost almost no CPU


def draw_by_itself(pad):
    """No display, no mouse: draw what a user might, through the same calls."""
    strokes = [
        ("b", [(60 + t * 3, 200 - 60 * math.sin(t / 12)) for t in range(120)]),
        ("r", [(240 + 70 * math.cos(t / 10), 200 + 70 * math.sin(t / 10)) for t in range(64)]),
        ("g", [(40 + t * 4, 320 - (t % 20) * 3) for t in range(100)]),
    ]
    for key, points in strokes:
        handle_key(pad, key)
        handle_key(pad, "+")
        first, *rest = [(int(x), int(y)) for x, y in points]
        pad.start_stroke(*first)
        for x, y in rest:
            pad.continue_stroke(x, y)
            time.sleep(0.003)  # slowly enough to watch, had there been a screen
    time.sleep(0.5)
    handle_key(pad, "s")
    handle_key(pad, "c")


def main():
    headless = zv.ZVGetDisplayKind() == "headless"
    w = zv.ZVCreateWindow(80, 80, WIDTH, HEIGHT, "Zelvan sketchpad")
    if w == 0:
        print("no window:", zv.error_string(zv.ZVGetLastError()))
        return 1
    zv.ZVSetFont(w, 8, 0.0, "DejaVu Sans")
    show_help(w)
    pad = Pad(w)
    if headless:
        draw_by_itself(pad)
    else:
        run_on_desktop(pad)
    zv.ZVDestroyWindow(w)
    return 0 if os.path.exists(picture_path("sketchpad.bmp")) or not headless else 1


if __name__ == "__main__":
    sys.exit(main())
