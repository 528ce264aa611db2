// Text entry: type a line in any language. Each character arrives as a Unicode code point
// (ZVReadUnicode), is kept as UTF-8 and drawn at once; a caret stands after the text, placed
// by measuring it (ZVGetTextWidth, ZVGetTextHeight), and the window's title follows the line.
//
//   any key       types its character (Cyrillic, Greek, accents, an input method's CJK...)
//   Backspace     takes the last character back
//   Enter         keeps the line in the list above and starts a new one
//   Esc, close    ends the program, which prints the last line
//
// Without a screen (headless) nobody types: the program types a sample line by itself. At the
// end it saves the window as textentry.bmp, in the folder named by ZELVAN_PICTURES, or else
// in the current folder.
#include "zelvan.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

enum { WIDTH = 480, HEIGHT = 200, MARGIN = 16, KEPT_LINES = 4, FPS = 30 };

// The UTF-8 bytes of one code point.
static std::string utf8(int c) {
    std::string out;
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
    return out;
}

// Takes the last character off a UTF-8 string: its continuation bytes, then its lead byte.
static void take_back(std::string &text) {
    while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80)
        text.pop_back();
    if (!text.empty()) text.pop_back();
}

struct Entry {
    int window;
    std::string line;
    std::vector<std::string> kept;
};

// One typed character; false when it ends the program (Esc).
static bool take(Entry &e, int c) {
    if (c == 27) return false;
    if (c == '\b') {
        take_back(e.line);
    } else if (c == '\r' || c == '\n') {
        e.kept.push_back(e.line);
        if (e.kept.size() > KEPT_LINES) e.kept.erase(e.kept.begin());
        e.line.clear();
    } else if (c >= 0x20 && c != 0x7F) {
        e.line += utf8(c); // other control characters (Tab, Ctrl+letters) type nothing
    }
    ZVSetTitle(e.window, e.line.c_str());
    return true;
}

static void draw(const Entry &e, bool caret_on) {
    int w = e.window;
    ZVClearDrawBuffer(w);
    ZVSetForeground(w, ZVGetRGBColour(110, 110, 110));
    int line_height = ZVGetTextHeight(w, "");
    int y = MARGIN;
    for (const std::string &kept : e.kept) {
        ZVTextOut(w, MARGIN, y, kept.c_str());
        y += line_height;
    }
    // The line being typed sits in a box at the bottom, the caret right after its text.
    int box_top = HEIGHT - MARGIN - line_height - 8;
    ZVSetForeground(w, ZVGetRGBColour(40, 90, 200));
    ZVRectangle(w, MARGIN - 6, box_top, WIDTH - MARGIN + 6, HEIGHT - MARGIN);
    ZVSetForeground(w, ZVGetRGBColour(0, 0, 0));
    ZVTextOut(w, MARGIN, box_top + 4, e.line.c_str());
    if (caret_on) {
        int caret_x = MARGIN + ZVGetTextWidth(w, e.line.c_str()) + 1;
        ZVMoveTo(w, caret_x, box_top + 4);
        ZVLine(w, caret_x, box_top + 4 + line_height);
    }
    ZVPresent(w);
}

static std::string picture_path(const char *name) {
    const char *folder = std::getenv("ZELVAN_PICTURES");
    if (folder == nullptr || folder[0] == '\0') return name;
    return std::string(folder) + "/" + name;
}

int main() {
    Entry e{ZVCreateWindow(120, 120, WIDTH, HEIGHT, "Type here"), "", {}};
    if (e.window == 0) {
        std::printf("no window: %s\n", ZVGetErrorString(ZVGetLastError()));
        return 1;
    }
    ZVSetBackground(e.window, ZVGetRGBColour(250, 250, 245));
    ZVSetDoubleBuffer(e.window, 1);
    ZVSetFont(e.window, 14, 0.0, "Sans");
    if (std::string(ZVGetDisplayKind()) == "headless") {
        // Nobody at the keyboard: a sample typed as a user might, a mistake taken back.
        const int sample[] = {'H',   0xE9,  'l',   'l',    'o',   '\r', 0x41F,
                              0x440, 0x438, 0x432, 0x435,  0x442, ' ',  0x3BB,
                              'x',   '\b',  ' ',   0x20AC, '5',   ' ',  0x2713};
        for (int c : sample) take(e, c);
        draw(e, true);
    } else {
        bool running = true;
        for (int frame = 0; running && ZVCloseRequested(e.window) != 1; ++frame) {
            for (int c; running && (c = ZVReadUnicode(e.window)) > 0;) running = take(e, c);
            draw(e, frame / (FPS / 2) % 2 == 0); // the caret blinks once a second
            ZVWaitFrame(e.window, FPS);
        }
    }
    std::printf("last line: %s\n", e.line.c_str());
    std::string picture = picture_path("textentry.bmp");
    int saved = ZVSaveImage(e.window, picture.c_str());
    std::printf("save %s: %s\n", picture.c_str(), ZVGetErrorString(saved));
    ZVDestroyWindow(e.window);
    return saved == ZV_OK ? 0 : 1;
}
