// Sketchpad: draw with the mouse; keys change the colour, save and copy. It behaves like
// python/examples/sketchpad.py and, without a display, draws the same picture.
//
//   left button     hold it down and move to draw; letting go ends the stroke
//   right click     clear the page
//   r g b y k       red, green, blue, yellow, black pen;  e  eraser
//   + - or wheel    thicker or thinner pen
//   s               save the page as sketchpad.bmp
//   c               copy the page to the clipboard
//   q, Esc or the close box   quit
//
// Pictures go to the folder named by ZELVAN_PICTURES, or else to the current folder.
// Without a display nobody can draw, so the program draws a few strokes by itself, presses
// s and c for you, and exits after a couple of seconds.
#include "zelvan.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

static const int width = 480, height = 360;

// True when the windows are on a screen someone sees; headless they are drawn in memory.
static bool on_desktop() {
    return std::string(ZVGetDisplayKind()) != "headless";
}

static std::string picture_path(const char *name) {
    const char *folder = std::getenv("ZELVAN_PICTURES");
    if (folder == nullptr || folder[0] == '\0') return name;
    return std::string(folder) + "/" + name;
}

static void pause_ms(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The pen colour a key picks, or false when the key is not a colour key.
static bool pen_colour_of(char key, ZVCOLOUR *colour) {
    switch (key) {
    case 'r':
        *colour = ZVGetRGBColour(220, 40, 40);
        return true;
    case 'g':
        *colour = ZVGetRGBColour(40, 160, 60);
        return true;
    case 'b':
        *colour = ZVGetRGBColour(40, 80, 220);
        return true;
    case 'y':
        *colour = ZVGetRGBColour(230, 200, 0);
        return true;
    case 'k':
        *colour = ZVGetRGBColour(0, 0, 0);
        return true;
    case 'e':
        *colour = ZVGetRGBColour(255, 255, 255);
        return true; // the eraser: a white pen
    default:
        return false;
    }
}

// What the sketchpad remembers between two looks at the mouse.
struct Pad {
    int window;
    bool pen_down = false;
    int pen_width = 3;
    ZVCOLOUR colour = ZVGetRGBColour(0, 0, 0);
    int last_save = ZV_ERROR; // the result of the latest s
};

static void set_pen(const Pad &pad) {
    ZVSetForeground(pad.window, pad.colour);
    ZVSetLineWidth(pad.window, pad.pen_width);
}

// A line starts at the current position: move there, and mark the starting point.
static void start_stroke(const Pad &pad, int x, int y) {
    set_pen(pad);
    ZVPlot(pad.window, x, y);
}

static void continue_stroke(const Pad &pad, int x, int y) {
    ZVLine(pad.window, x, y); // from the last point to this one
}

static void change_width(Pad &pad, int change) {
    pad.pen_width += change;
    if (pad.pen_width > 30) pad.pen_width = 30;
    if (pad.pen_width < 1) pad.pen_width = 1;
    set_pen(pad);
}

static void show_help(int w) {
    ZVClearDrawBuffer(w);
    ZVSetForeground(w, ZVGetRGBColour(120, 120, 120));
    ZVTextOut(w, 6, 4, "hold the left button to draw     right click: clear page");
    ZVTextOut(w, 6, 18,
              "r g b y k: colour   e: eraser   + - or wheel: width   s: save   c: copy   q: quit");
}

// Reacts to one typed character; returns false when the program should end.
static bool handle_key(Pad &pad, char key) {
    int w = pad.window;
    if (pen_colour_of(key, &pad.colour)) {
        set_pen(pad);
    } else if (key == '+') {
        change_width(pad, 1);
    } else if (key == '-') {
        change_width(pad, -1);
    } else if (key == 's') {
        std::string picture = picture_path("sketchpad.bmp");
        pad.last_save = ZVSaveImage(w, picture.c_str()); // what the window shows, as a BMP
        std::printf("save %s: %s\n", picture.c_str(), ZVGetErrorString(pad.last_save));
    } else if (key == 'c') {
        int result = ZVCopyImageToClipboard(w);
        std::printf("copy to clipboard: %s\n", ZVGetErrorString(result));
    } else if (key == 'q' || key == 27) {
        return false;
    }
    return true;
}

// One look at the mouse: a left press starts a stroke, moves continue it while the button is
// held, and letting go ends it.
static void follow_the_mouse(Pad &pad) {
    int w = pad.window;
    // A capture takes the last press since the previous capture, or fails if there was none.
    if (ZVCaptureLastLeftMouseClick(w) == ZV_OK) {
        pad.pen_down = true;
        start_stroke(pad, ZVGetLastLeftMouseClickX(w), ZVGetLastLeftMouseClickY(w));
    }
    if (ZVCaptureLastRightMouseClick(w) == ZV_OK) {
        pad.pen_down = false;
        show_help(w);
    }
    // Asked before the pointer, so that a move made after letting go is not drawn.
    bool held = (ZVGetMouseButtons(w) & ZV_MOUSE_LEFT) != 0;
    // ZV_OK only when the pointer has moved over the window since the last capture.
    if (pad.pen_down && held && ZVCaptureMouseCoords(w) == ZV_OK)
        continue_stroke(pad, ZVGetMouseCoordsX(w), ZVGetMouseCoordsY(w));
    if (!held) pad.pen_down = false; // a quick click leaves a dot
    // Whole wheel steps since the last look: away from you thicker, towards you thinner.
    int turn = ZVGetMouseWheel(w);
    if (turn != 0) change_width(pad, turn);
}

static void run_on_desktop(Pad &pad) {
    bool running = true;
    while (running) {
        follow_the_mouse(pad);
        if (ZVCloseRequested(pad.window) == 1) running = false;
        while (running && ZV_kbhit(pad.window) == 1)
            running = handle_key(pad, ZVReadChar(pad.window));
        pause_ms(10); // a hundred looks a second are plenty, and cost almost no CPU
    }
}

// One stroke of the self-drawing run: the point of step t of the stroke.
typedef void (*StrokePoint)(int t, double *x, double *y);
static void wave(int t, double *x, double *y) {
    *x = 60 + t * 3;
    *y = 200 - 60 * std::sin(t / 12.0);
}
static void ring(int t, double *x, double *y) {
    *x = 240 + 70 * std::cos(t / 10.0);
    *y = 200 + 70 * std::sin(t / 10.0);
}
static void saw(int t, double *x, double *y) {
    *x = 40 + t * 4;
    *y = 320 - (t % 20) * 3;
}

// No display, no mouse: draw what a user might, through the same calls.
static void draw_by_itself(Pad &pad) {
    struct Stroke {
        char colour_key;
        StrokePoint point;
        int steps;
    } const strokes[] = {{'b', wave, 120}, {'r', ring, 64}, {'g', saw, 100}};
    for (const Stroke &stroke : strokes) {
        handle_key(pad, stroke.colour_key);
        handle_key(pad, '+');
        for (int t = 0; t < stroke.steps; ++t) {
            double x, y;
            stroke.point(t, &x, &y);
            if (t == 0) {
                start_stroke(pad, (int)x, (int)y);
            } else {
                continue_stroke(pad, (int)x, (int)y);
                pause_ms(3); // slowly enough to watch, had there been a screen
            }
        }
    }
    pause_ms(500);
    handle_key(pad, 's');
    handle_key(pad, 'c');
}

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ); // lines show as printed, piped too
    int w = ZVCreateWindow(80, 80, width, height, "Zelvan sketchpad");
    if (w == 0) {
        std::printf("no window: %s\n", ZVGetErrorString(ZVGetLastError()));
        return 1;
    }
    ZVSetFont(w, 8, 0.0, "DejaVu Sans");
    show_help(w);
    Pad pad;
    pad.window = w;
    bool desktop = on_desktop();
    if (desktop)
        run_on_desktop(pad);
    else
        draw_by_itself(pad);
    ZVDestroyWindow(w);
    return desktop || pad.last_save == ZV_OK ? 0 : 1;
}
