// Zelvan demo: one window shows every shape, line style and fill style, one shows text, one
// animates with double buffering, all drawn from different threads.
//
// It saves its two still pictures as zelvan-demo-shapes.bmp and zelvan-demo-text.bmp, in the
// folder named by ZELVAN_PICTURES or else in the current folder, loads the shapes back into a
// fourth window and moves, resizes and retitles it. On a desktop it then runs until you press
// q (or Esc) in any window: clicking in the shapes window drops a ring where you clicked, keys
// 1-5 change the ring colour. With no display it lets the animation run for two seconds, then
// copies the loaded picture to the clipboard and ends. It prints each step and where its files
// go.
#include "zelvan.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <thread>

namespace {

std::atomic<bool> quit{false};

const ZVCOLOUR black = ZVGetRGBColour(0, 0, 0);
const ZVCOLOUR white = ZVGetRGBColour(255, 255, 255);
const ZVCOLOUR red = ZVGetRGBColour(220, 40, 40);
const ZVCOLOUR green = ZVGetRGBColour(40, 160, 60);
const ZVCOLOUR blue = ZVGetRGBColour(40, 80, 220);
const ZVCOLOUR orange = ZVGetRGBColour(240, 150, 20);

void pause_ms(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Where a picture called `name` is saved: $ZELVAN_PICTURES/name, or name in this folder.
std::string picture_path(const char *name) {
    const char *folder = std::getenv("ZELVAN_PICTURES");
    if (folder == nullptr || folder[0] == '\0') return name;
    return std::string(folder) + "/" + name;
}

const std::string shapes_file = picture_path("zelvan-demo-shapes.bmp");
const std::string text_file = picture_path("zelvan-demo-text.bmp");

// Lines in the five line styles (solid, dash, dash-dot, dash-dot-dot, invisible) and a wide
// solid line, each labelled by its number.
void draw_line_styles(int w) {
    ZVSetForeground(w, black);
    for (int style = ZV_LINE_SOLID; style <= ZV_LINE_INVISIBLE; ++style) {
        int y = 20 + 16 * style;
        ZVSetLineStyle(w, style);
        ZVMoveTo(w, 20, y);
        ZVLine(w, 200, y);
    }
    ZVSetLineStyle(w, ZV_LINE_SOLID);
    ZVSetLineWidth(w, 5);
    ZVSetForeground(w, blue);
    ZVMoveTo(w, 20, 110);
    ZVLine(w, 200, 110);
    ZVSetLineWidth(w, 1);
}

// Six rectangles in the six fill styles: solid, two diagonals, cross-hatch, horizontal and
// vertical lines.
void draw_fill_styles(int w) {
    ZVSetForeground(w, black);
    ZVSetFillColour(w, green);
    for (int style = ZV_FILL_SOLID; style <= ZV_FILL_VERTICAL; ++style) {
        int left = 20 + 60 * style;
        ZVSetFillStyle(w, style);
        ZVFillRectangle(w, left, 130, left + 50, 180);
    }
    ZVSetFillStyle(w, ZV_FILL_SOLID);
}

// The round shapes, pixels, an inverted band and a flood-filled outline.
void draw_round_shapes(int w) {
    ZVSetForeground(w, red);
    ZVCircle(w, 60, 240, 35);
    ZVArc(w, 150, 240, 35, 30.0f, 240.0f);
    ZVSetFillColour(w, orange);
    ZVPie(w, 240, 240, 35, 45.0f, 270.0f);
    ZVFillCircle(w, 330, 240, 35);
    for (int i = 0; i < 60; ++i) ZVSetPixel(w, 20 + i * 6, 295, blue);
    ZVFillRectangle(w, 230, 20, 370, 60);
    ZVInvertRectangle(w, 250, 40, 350, 110);
    ZVSetForeground(w, black);
    ZVRectangle(w, 230, 70, 370, 115);
    ZVSetFillStyle(w, ZV_FILL_CROSS_HATCH);
    ZVSetFillColour(w, blue);
    ZVFloodFill(w, 300, 80, black);
    ZVSetFillStyle(w, ZV_FILL_SOLID);
}

// Text in three faces and several sizes, a rotated line, and the twelve alignment codes
// around crosshair points.
void draw_text(int w) {
    const char *faces[] = {"DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono"};
    ZVSetForeground(w, black);
    ZVTextAlign(w, 4);
    for (int i = 0; i < 3; ++i) {
        ZVSetFont(w, 10 + 4 * i, 0.0, faces[i]);
        ZVTextOut(w, 10, 8 + 26 * i, faces[i]);
    }
    ZVSetFont(w, 12, 30.0, "DejaVu Sans");
    ZVSetForeground(w, blue);
    ZVTextAlign(w, 0);
    ZVTextOut(w, 240, 110, "rotated 30 degrees");
    ZVSetFont(w, 9, 0.0, "DejaVu Sans");
    for (int code = 0; code < 12; ++code) {
        int x = 60 + 100 * (code % 4), y = 150 + 55 * (code / 4);
        ZVSetForeground(w, red);
        ZVMoveTo(w, x - 4, y);
        ZVLine(w, x + 5, y);
        ZVMoveTo(w, x, y - 4);
        ZVLine(w, x, y + 5);
        char label[16];
        std::snprintf(label, sizeof label, "code %d", code);
        ZVSetForeground(w, black);
        ZVTextAlign(w, code);
        ZVTextOut(w, x, y, label);
    }
}

// A ball bouncing in a double-buffered window: every frame is drawn off screen and then
// shown at once, so it never flickers.
void animate(int w, int frames) {
    ZVSetDoubleBuffer(w, 1);
    double x = 40, y = 40, dx = 3.5, dy = 2.5;
    int width = ZVGetWidth(w), height = ZVGetHeight(w);
    for (int frame = 0; (frames == 0 || frame < frames) && !quit; ++frame) {
        ZVClearDrawBuffer(w);
        ZVSetFillColour(w, frame / 30 % 2 ? orange : blue);
        ZVFillCircle(w, static_cast<int>(x), static_cast<int>(y), 20);
        ZVSetForeground(w, black);
        ZVRectangle(w, 0, 0, width, height);
        ZVSwitchViewBuffer(w);
        ZVSwitchDrawBuffer(w);
        x += dx;
        y += dy;
        if (x < 20 || x > width - 20) dx = -dx;
        if (y < 20 || y > height - 20) dy = -dy;
        pause_ms(20);
    }
}

// Clicks drop rings in the shapes window; number keys pick their colour, q or Esc quits.
void react_to_input(int shapes, int text, int animation, int copy) {
    const ZVCOLOUR palette[] = {red, green, blue, orange, black};
    ZVCOLOUR ring = red;
    while (!quit) {
        for (int w : {shapes, text, animation, copy}) {
            while (ZV_kbhit(w) == 1) {
                char c = ZVReadChar(w);
                if (c == 'q' || c == 27) quit = true;
                if (c >= '1' && c <= '5') ring = palette[c - '1'];
            }
        }
        if (ZVCaptureLastLeftMouseClick(shapes) == ZV_OK) {
            ZVSetForeground(shapes, ring);
            ZVCircle(shapes, ZVGetLastLeftMouseClickX(shapes), ZVGetLastLeftMouseClickY(shapes), 8);
        }
        pause_ms(15);
    }
}

// Opens a window on a saved picture, then moves, resizes and retitles it: a picture that
// shrinks keeps its top-left part, and the window's frame follows its new client size.
int show_saved_copy() {
    int copy = ZVCreateWindow(440, 420, 100, 100, "Zelvan demo - loaded from file");
    int loaded = ZVLoadImage(copy, shapes_file.c_str());
    ZVMove(copy, 40, 380);
    ZVResize(copy, 200, 155);
    ZVSetTitle(copy, "Zelvan demo - top-left quarter of the shapes");
    std::printf("loaded back: %s, frame moved to 40,380 (client area at %d,%d), resized to %dx%d, "
                "titled \"%s\"\n",
                ZVGetErrorString(loaded), ZVGetWindowX(copy), ZVGetWindowY(copy), ZVGetWidth(copy),
                ZVGetHeight(copy), ZVGetTitle(copy));
    return copy;
}

// Saves what a window shows and says where; false when the file could not be written.
bool save_picture(int window, const std::string &file) {
    std::string where = std::filesystem::absolute(file).string();
    int result = ZVSaveImage(window, file.c_str());
    if (result == ZV_OK) {
        std::printf("wrote %s\n", where.c_str());
    } else {
        std::printf("could not write %s: %s\n", where.c_str(), ZVGetErrorString(result));
    }
    return result == ZV_OK;
}

} // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ); // lines show as printed, piped too
    bool on_desktop = std::string(ZVGetDisplayKind()) != "headless";
    std::printf("Zelvan version %d: shapes, text and an animation, drawn by three threads\n",
                ZVGetVersion());
    std::printf(on_desktop ? "press q in a window to quit; click the shapes window to drop a ring, "
                             "keys 1-5 pick its colour\n"
                           : "no display: drawing in memory, animating for two seconds\n");

    int shapes = ZVCreateWindow(40, 40, 400, 310, "Zelvan demo - shapes");
    int text = ZVCreateWindow(460, 40, 460, 290, "Zelvan demo - text");
    int animation = ZVCreateWindow(460, 380, 300, 200, "Zelvan demo - animation");
    if (shapes <= 0 || text <= 0 || animation <= 0) {
        std::printf("could not open windows: %s\n", ZVGetErrorString(ZVGetLastError()));
        return 1;
    }
    std::thread shape_painter([&] {
        draw_line_styles(shapes);
        draw_fill_styles(shapes);
        draw_round_shapes(shapes);
    });
    std::thread text_painter([&] { draw_text(text); });
    std::thread animator([&] { animate(animation, on_desktop ? 0 : 100); });
    shape_painter.join();
    text_painter.join();
    // Saved before any click changes them, so the files match what first appears.
    bool saved = save_picture(shapes, shapes_file);
    saved = save_picture(text, text_file) && saved;
    int copy = saved ? show_saved_copy() : 0;
    if (on_desktop) {
        react_to_input(shapes, text, animation, copy);
    } else {
        animator.join();
        if (saved)
            std::printf("copied the loaded picture to the clipboard: %s\n",
                        ZVGetErrorString(ZVCopyImageToClipboard(copy)));
    }
    quit = true;
    if (animator.joinable()) animator.join();
    for (int w : {shapes, text, animation, copy}) ZVDestroyWindow(w);
    std::printf("done\n");
    return saved ? 0 : 1;
}
