// The headless driver's virtual screen, shared by its driver functions and its test entry points.
#ifndef ZELVAN_HEADLESS_SCREEN_H
#define ZELVAN_HEADLESS_SCREEN_H

#include "platform/posix/display/display.h"

#include <mutex>
#include <string>
#include <vector>

enum { HEADLESS_SCREEN_WIDTH = 1920, HEADLESS_SCREEN_HEIGHT = 1080 };

// What one window shows: its rectangles, show state and the pixels last presented.
struct display_window {
    HWND cookie;
    std::string title;
    RECT frame;
    RECT client;
    display_show show;
    std::vector<uint32_t> image; // image_width x image_height BGRX pixels
    int image_width;
    int image_height;
    bool cursor_hidden;
    std::vector<uint32_t> icon; // icon_width x icon_height ARGB pixels; empty: the default
    int icon_width;
    int icon_height;
};

struct headless_screen {
    std::mutex lock;
    std::vector<display_window *> stack; // topmost first
    POINT cursor;
    display_sink sink;
    bool open;
    std::vector<unsigned char> clipboard_dib; // the packed DIB last exported; empty when none
    std::vector<unsigned char> clipboard_png; // the PNG exported beside it; empty when none
};

// The one screen; kept through process exit, because windows may be presented then, and
// freed only by the driver's release at unload (it is made again on next use).
headless_screen &headless_get_screen(void);

// The topmost shown window whose client area contains the screen point; NULL over a frame,
// the desktop or a hidden window. The caller holds the screen lock.
display_window *headless_window_at(headless_screen &screen, POINT point);

// The window created with `cookie`, or NULL; the caller holds the screen lock.
display_window *headless_find(headless_screen &screen, HWND cookie);

#endif
