"""Shapes: every drawing primitive, line style and fill style in one window.

Run it from anywhere:  python3 python/examples/shapes.py
On a desktop the window stays open until you press q (or Esc) in it. Without a display it
waits a moment and exits. Either way it saves what the window shows as shapes.bmp in the
folder named by the ZELVAN_PICTURES environment variable, or else in the current folder.
"""

import os
import pathlib
import sys
import time

# Use the zelvan module of this source tree (python/zelvan.py), wherever we are run from.
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent))
import zelvan as zv  # noqa: E402

# Colours are 0x00BBGGRR numbers; rgb() builds them from red, green and blue (0 to 255).
BLACK = zv.rgb(0, 0, 0)
RED = zv.rgb(220, 40, 40)
GREEN = zv.rgb(40, 160, 60)
BLUE = zv.rgb(40, 80, 220)
ORANGE = zv.rgb(240, 150, 20)
GREY = zv.rgb(200, 200, 200)

LINE_STYLE_NAMES = ["solid", "dash", "dash-dot", "dash-dot-dot", "invisible"]
FILL_STYLE_NAMES = ["solid", "rising", "falling", "cross", "horizontal", "vertical"]


def picture_path(name):
    """Where a picture is saved: the folder named by ZELVAN_PICTURES, or the current one."""
    return os.path.join(os.environ.get("ZELVAN_PICTURES") or ".", name)


def label(w, x, y, text):
    """Small black text with its top-left corner at (x, y)."""
    zv.ZVSetForeground(w, BLACK)
    zv.ZVTextOut(w, x, y, text)


def draw_line_styles(w):
    """One line in each of the five line styles, then a wide solid one."""
    for style, name in enumerate(LINE_STYLE_NAMES):
        y = 20 + 16 * style
        label(w, 10, y - 7, name)
        zv.ZVSetForeground(w, BLUE)
        zv.ZVSetLineStyle(w, style)
        zv.ZVMoveTo(w, 110, y)      # the line starts at the current position ...
        zv.ZVLine(w, 300, y)        # ... and ends here (this end pixel is left out)
    zv.ZVSetLineStyle(w, zv.ZV_LINE_SOLID)
    zv.ZVSetLineWidth(w, 5)         # dashed styles are always 1 pixel; solid can be wide
    label(w, 10, 93, "width 5")
    zv.ZVSetForeground(w, BLUE)
    zv.ZVMoveTo(w, 110, 100)
    zv.ZVLine(w, 300, 100)
    zv.ZVSetLineWidth(w, 1)


def draw_fill_styles(w):
    """Six filled rectangles, one per fill style, in the fill colour with a black outline."""
    zv.ZVSetFillColour(w, GREEN)
    for style, name in enumerate(FILL_STYLE_NAMES):
        left = 10 + 78 * style
        zv.ZVSetFillStyle(w, style)
        zv.ZVSetForeground(w, BLACK)
        zv.ZVFillRectangle(w, left, 130, left + 64, 180)
        label(w, left, 183, name)
    zv.ZVSetFillStyle(w, zv.ZV_FILL_SOLID)


def draw_round_shapes(w):
    """Circle, filled circle, arc and pie; angles are degrees, counter-clockwise."""
    zv.ZVSetForeground(w, RED)
    zv.ZVSetFillColour(w, ORANGE)
    zv.ZVCircle(w, 45, 245, 30)                 # outline only
    zv.ZVFillCircle(w, 125, 245, 30)            # filled and outlined
    zv.ZVArc(w, 205, 245, 30, 30.0, 240.0)      # from 30 degrees through 240 more
    zv.ZVPie(w, 285, 245, 30, 45.0, 270.0)      # a slice of 270 degrees, filled
    for x, text in ((45, "circle"), (125, "fill circle"), (205, "arc"), (285, "pie")):
        label(w, x - 30, 280, text)


def draw_the_rest(w):
    """Rectangle, inverted rectangle, flood fill, and the three ways to set single pixels."""
    zv.ZVSetForeground(w, BLACK)
    zv.ZVRectangle(w, 340, 20, 470, 100)        # outline; corners may come in any order
    zv.ZVSetFillColour(w, BLUE)
    zv.ZVFillRectangle(w, 350, 30, 420, 90)
    zv.ZVInvertRectangle(w, 390, 10, 460, 60)   # flips every colour bit; twice restores
    label(w, 340, 103, "rectangles")

    # Flood fill: draw a closed black outline, then fill inside it up to that colour.
    zv.ZVSetForeground(w, BLACK)
    zv.ZVCircle(w, 400, 245, 30)
    zv.ZVRectangle(w, 385, 230, 416, 261)
    zv.ZVSetFillStyle(w, zv.ZV_FILL_CROSS_HATCH)
    zv.ZVSetFillColour(w, RED)
    zv.ZVFloodFill(w, 400, 220, BLACK)          # the ring between circle and square
    zv.ZVSetFillStyle(w, zv.ZV_FILL_SOLID)
    label(w, 370, 280, "flood fill")

    # Pixels: a dotted row with ZVSetPixel, ZVSetPixelFast and ZVPlot (the pen's colour).
    for i in range(40):
        zv.ZVSetPixel(w, 20 + 3 * i, 320, RED)
        zv.ZVSetPixelFast(w, 160 + 3 * i, 320, GREEN)
    zv.ZVSetForeground(w, BLUE)
    for i in range(40):
        zv.ZVPlot(w, 300 + 3 * i, 320)
    label(w, 20, 328, "ZVSetPixel            ZVSetPixelFast         ZVPlot")


def wait_for_quit(w, headless):
    """Without a display: a short pause. On a desktop: until q or Esc is typed."""
    if headless:
        time.sleep(1.0)
        return
    while True:
        key = zv.read_char(w)               # None when nothing was typed
        if key in ("q", "Q", "\x1b"):
            return
        time.sleep(0.02)                    # poll gently: an idle loop needs no CPU


def main():
    headless = zv.ZVGetDisplayKind() == "headless"
    w = zv.ZVCreateWindow(60, 60, 480, 350, "Zelvan shapes - press q to quit")
    if w == 0:                              # 0 means failure; the reason is the last error
        print("no window:", zv.error_string(zv.ZVGetLastError()))
        return 1
    zv.ZVTextAlign(w, zv.ALIGN_LEFT + zv.ALIGN_TOP)
    zv.ZVSetFont(w, 9, 0.0, "DejaVu Sans")
    draw_line_styles(w)
    draw_fill_styles(w)
    draw_round_shapes(w)
    draw_the_rest(w)
    # Nothing more to call: the window repaints itself from its buffer within 50 ms.
    wait_for_quit(w, headless)

    picture = picture_path("shapes.bmp")
    result = zv.ZVSaveImage(w, picture)
    print(f"{picture}:", zv.error_string(result))
    zv.ZVDestroyWindow(w)
    return 0 if result == zv.ZV_OK else 1


if __name__ == "__main__":
    sys.exit(main())
