// Text: font faces, sizes, the twelve alignment codes and rotated text.
//
// On a desktop the window stays open until you press q (or Esc) in it; without a display it
// waits a second. Either way it saves what the window shows as text.bmp, in the folder named
// by ZELVAN_PICTURES, or else in the current folder.
#include "zelvan.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

static const ZVCOLOUR black = ZVGetRGBColour(0, 0, 0);
static const ZVCOLOUR grey = ZVGetRGBColour(150, 150, 150);
static const ZVCOLOUR red = ZVGetRGBColour(220, 40, 40);
static const ZVCOLOUR blue = ZVGetRGBColour(40, 80, 220);

// ZVTextAlign codes are a horizontal part plus a vertical part.
enum { ALIGN_LEFT = 0, ALIGN_CENTRE = 1, ALIGN_RIGHT = 3 };
enum { ALIGN_BASELINE = 0, ALIGN_TOP = 4, ALIGN_BOTTOM = 8 };

// True when the windows are on a screen someone sees; headless they are drawn in memory.
static bool on_desktop() {
    return std::string(ZVGetDisplayKind()) != "headless";
}

static std::string picture_path(const char *name) {
    const char *folder = std::getenv("ZELVAN_PICTURES");
    if (folder == nullptr || folder[0] == '\0') return name;
    return std::string(folder) + "/" + name;
}

// A small red cross marking the point that ZVTextOut is given.
static void mark(int w, int x, int y) {
    ZVSetForeground(w, red);
    ZVMoveTo(w, x - 4, y);
    ZVLine(w, x + 5, y);
    ZVMoveTo(w, x, y - 4);
    ZVLine(w, x, y + 5);
}

// The same line in four faces, asked for by their Windows names. On Windows each is that
// face, and a name no font has gets the font mapper's nearest; elsewhere the system's font
// rules pick a face of the same kind (the metric-compatible Liberation faces where they are
// installed), and a name they do not know gets the default sans face. The string is UTF-8,
// as a C source file saved in UTF-8 writes it.
static void draw_faces(int w) {
    const char *faces[] = {"Arial", "Times New Roman", "Courier New", "No Such Face"};
    ZVTextAlign(w, ALIGN_LEFT + ALIGN_TOP);
    ZVSetForeground(w, black);
    for (int i = 0; i < 4; ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "%s: The quick brown fox, a café, 5 €, x²", faces[i]);
        ZVSetFont(w, 12, 0.0, faces[i]);
        ZVTextOut(w, 10, 8 + 21 * i, line);
    }
}

// Sizes are in points: 12 points are 16 pixels on the screen. Aligning on the baseline keeps
// letters of different sizes standing on one line.
static void draw_sizes(int w) {
    const int sizes[] = {8, 10, 12, 16, 20, 28};
    const int baseline = 135;
    ZVSetForeground(w, grey);
    ZVMoveTo(w, 10, baseline);
    ZVLine(w, 610, baseline);
    ZVTextAlign(w, ALIGN_LEFT + ALIGN_BASELINE);
    ZVSetForeground(w, blue);
    int x = 10;
    for (int size : sizes) {
        char text[16];
        std::snprintf(text, sizeof text, "%d pt", size);
        ZVSetFont(w, size, 0.0, "DejaVu Sans");
        ZVTextOut(w, x, baseline, text);
        x += 4 * size + 28;
    }
}

// The twelve codes in a grid: the column is the horizontal part of the code, the row the
// vertical part. Each label is written at a red cross, which shows the point of the text
// that lands on the coordinates given to ZVTextOut.
static void draw_alignments(int w) {
    const char *columns[] = {"left +0", "centre +1", "centre +2", "right +3"};
    const char *rows[] = {"baseline +0", "top +4", "bottom +8"};
    ZVSetFont(w, 9, 0.0, "DejaVu Sans");
    ZVSetForeground(w, grey);
    ZVTextAlign(w, ALIGN_CENTRE + ALIGN_BOTTOM);
    for (int column = 0; column < 4; ++column)
        ZVTextOut(w, 170 + 130 * column, 170, columns[column]);
    ZVTextAlign(w, ALIGN_LEFT + ALIGN_BASELINE);
    for (int row = 0; row < 3; ++row) ZVTextOut(w, 10, 200 + 45 * row, rows[row]);
    for (int code = 0; code < 12; ++code) {
        int x = 170 + 130 * (code % 4), y = 200 + 45 * (code / 4);
        char text[16];
        std::snprintf(text, sizeof text, "code %d", code);
        mark(w, x, y);
        ZVSetForeground(w, black);
        ZVTextAlign(w, code);
        ZVTextOut(w, x, y, text);
    }
}

// A fan of text turned about one point: angles are degrees, counter-clockwise, and turn both
// the line of text and every letter on it.
static void draw_angles(int w) {
    const int x = 310, y = 455;
    ZVTextAlign(w, ALIGN_LEFT + ALIGN_BASELINE);
    for (int angle = 0; angle <= 180; angle += 30) {
        char text[32];
        std::snprintf(text, sizeof text, "      %d degrees", angle);
        ZVSetFont(w, 10, angle, "DejaVu Sans");
        ZVSetForeground(w, angle % 60 == 0 ? blue : black);
        ZVTextOut(w, x, y, text);
    }
    mark(w, x, y);
}

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
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ); // lines show as printed, piped too
    int w = ZVCreateWindow(80, 60, 620, 470, "Zelvan text - press q to quit");
    if (w == 0) {
        std::printf("no window: %s\n", ZVGetErrorString(ZVGetLastError()));
        return 1;
    }
    // The font and the alignment belong to the window and stay until they are changed.
    draw_faces(w);
    draw_sizes(w);
    draw_alignments(w);
    draw_angles(w);
    wait_for_quit(w);

    std::string picture = picture_path("text.bmp");
    int saved = ZVSaveImage(w, picture.c_str());
    std::printf("%s: %s\n", picture.c_str(), ZVGetErrorString(saved));
    ZVDestroyWindow(w);
    return saved == ZV_OK ? 0 : 1;
}
