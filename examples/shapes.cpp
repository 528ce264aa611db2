// Shapes: every drawing primitive, line style and fill style in one window. It draws the
// same picture as python/examples/shapes.py, call for call, so the two can be compared.
//
// On a desktop the window stays open until you press q (or Esc) in it; without a display it
// waits a second. Either way it saves what the window shows as shapes.bmp, in the folder
// named by ZELVAN_PICTURES, or else in the current folder.
#include "zelvan.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

// Colours are 0x00BBGGRR numbers; ZVGetRGBColour builds them from red, green and blue.
static const ZVCOLOUR black = ZVGetRGBColour(0, 0, 0);
static const ZVCOLOUR red = ZVGetRGBColour(220, 40, 40);
static const ZVCOLOUR green = ZVGetRGBColour(40, 160, 60);
static const ZVCOLOUR blue = ZVGetRGBColour(40, 80, 220);
static const ZVCOLOUR orange = ZVGetRGBColour(240, 150, 20);

// The names of the styles ZV_LINE_SOLID ... ZV_LINE_INVISIBLE and ZV_FILL_SOLID ...
// ZV_FILL_VERTICAL, in the order of their numbers.
static const char *const line_style_names[] = {"solid", "dash", "dash-dot", "dash-dot-dot",
                                               "invisible"};
static const char *const fill_style_names[] = {"solid", "rising",     "falling",
                                               "cross", "horizontal", "vertical"};
enum { ALIGN_LEFT = 0, ALIGN_TOP = 4 };

// True when the windows are on a screen someone sees; headless they are drawn in memory.
static bool on_desktop() {
    return std::string(ZVGetDisplayKind()) != "headless";
}

static std::string picture_path(const char *name) {
    const char *folder = std::getenv("ZELVAN_PICTURES");
    if (folder == nullptr || folder[0] == '\0') return name;
    return std::string(folder) + "/" + name;
}

// Small black text with its top-left corner at (x, y).
static void label(int w, int x, int y, const char *text) {
    ZVSetForeground(w, black);
    ZVTextOut(w, x, y, text);
}

// One line in each of the five line styles, then a wide solid one.
static void draw_line_styles(int w) {
    for (int style = ZV_LINE_SOLID; style <= ZV_LINE_INVISIBLE; ++style) {
        int y = 20 + 16 * style;
        label(w, 10, y - 7, line_style_names[style]);
        ZVSetForeground(w, blue);
        ZVSetLineStyle(w, style);
        ZVMoveTo(w, 110, y); // the line starts at the current position ...
        ZVLine(w, 300, y);   // ... and ends here (this end pixel is left out)
    }
    ZVSetLineStyle(w, ZV_LINE_SOLID);
    ZVSetLineWidth(w, 5); // dashed styles are always 1 pixel; solid can be wide
    label(w, 10, 93, "width 5");
    ZVSetForeground(w, blue);
    ZVMoveTo(w, 110, 100);
    ZVLine(w, 300, 100);
    ZVSetLineWidth(w, 1);
}

// Six filled rectangles, one per fill style, in the fill colour with a black outline.
static void draw_fill_styles(int w) {
    ZVSetFillColour(w, green);
    for (int style = ZV_FILL_SOLID; style <= ZV_FILL_VERTICAL; ++style) {
        int left = 10 + 78 * style;
        ZVSetFillStyle(w, style);
        ZVSetForeground(w, black);
        ZVFillRectangle(w, left, 130, left + 64, 180);
        label(w, left, 183, fill_style_names[style]);
    }
    ZVSetFillStyle(w, ZV_FILL_SOLID);
}

// Circle, filled circle, arc and pie; angles are degrees, counter-clockwise from 3 o'clock.
static void draw_round_shapes(int w) {
    ZVSetForeground(w, red);
    ZVSetFillColour(w, orange);
    ZVCircle(w, 45, 245, 30);              // outline only
    ZVFillCircle(w, 125, 245, 30);         // filled and outlined
    ZVArc(w, 205, 245, 30, 30.0f, 240.0f); // from 30 degrees through 240 more
    ZVPie(w, 285, 245, 30, 45.0f, 270.0f); // a slice of 270 degrees, filled
    label(w, 15, 280, "circle");
    label(w, 95, 280, "fill circle");
    label(w, 175, 280, "arc");
    label(w, 255, 280, "pie");
}

// Rectangle, inverted rectangle, flood fill, and the three ways to set single pixels.
static void draw_the_rest(int w) {
    ZVSetForeground(w, black);
    ZVRectangle(w, 340, 20, 470, 100); // outline; corners may come in any order
    ZVSetFillColour(w, blue);
    ZVFillRectangle(w, 350, 30, 420, 90);
    ZVInvertRectangle(w, 390, 10, 460, 60); // flips every colour bit; twice restores
    label(w, 340, 103, "rectangles");

    // Flood fill: draw a closed black outline, then fill inside it up to that colour.
    ZVSetForeground(w, black);
    ZVCircle(w, 400, 245, 30);
    ZVRectangle(w, 385, 230, 416, 261);
    ZVSetFillStyle(w, ZV_FILL_CROSS_HATCH);
    ZVSetFillColour(w, red);
    ZVFloodFill(w, 400, 220, black); // the ring between circle and square
    ZVSetFillStyle(w, ZV_FILL_SOLID);
    label(w, 370, 280, "flood fill");

    // Pixels: a dotted row with ZVSetPixel, ZVSetPixelFast and ZVPlot (the pen's colour).
    for (int i = 0; i < 40; ++i) {
        ZVSetPixel(w, 20 + 3 * i, 320, red);
        ZVSetPixelFast(w, 160 + 3 * i, 320, green);
    }
    ZVSetForeground(w, blue);
    for (int i = 0; i < 40; ++i) ZVPlot(w, 300 + 3 * i, 320);
    label(w, 20, 328, "ZVSetPixel            ZVSetPixelFast         ZVPlot");
}

// Without a display: a short pause. On a desktop: until q or Esc is typed.
static void wait_for_quit(int w) {
    if (!on_desktop()) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        return;
    }
    for (;;) {
        while (ZV_kbhit(w) == 1) {
            char key = ZVReadChar(w);
            if (key == 'q' || key == 'Q' || key == 27) return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20)); // an idle loop needs no CPU
    }
}

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ); // lines show as printed, piped too
    int w = ZVCreateWindow(60, 60, 480, 350, "Zelvan shapes - press q to quit");
    if (w == 0) { // 0 means failure; the reason is the last error
        std::printf("no window: %s\n", ZVGetErrorString(ZVGetLastError()));
        return 1;
    }
    ZVTextAlign(w, ALIGN_LEFT + ALIGN_TOP);
    ZVSetFont(w, 9, 0.0, "DejaVu Sans");
    draw_line_styles(w);
    draw_fill_styles(w);
    draw_round_shapes(w);
    draw_the_rest(w);
    // Nothing more to call: the window repaints itself from its buffer within 50 ms.
    wait_for_quit(w);

    std::string picture = picture_path("shapes.bmp");
    int saved = ZVSaveImage(w, picture.c_str());
    std::printf("%s: %s\n", picture.c_str(), ZVGetErrorString(saved));
    ZVDestroyWindow(w);
    return saved == ZV_OK ? 0 : 1;
}
