// Test entry points of the headless driver: feed input to the virtual screen and read back
// what it shows. Only the project's own tests include this header.
#ifndef ZELVAN_HEADLESS_TEST_H
#define ZELVAN_HEADLESS_TEST_H

#include "platform/posix/display/display.h"

#include <vector>

// Makes the headless screen the display even where an X server is reachable. Call it before
// the first window is created; false if another driver is already in use.
bool headless_test_activate(void);

// The topmost window with this title, or NULL.
HWND headless_test_find_window(const char *title);

// What the screen knows about one window. z_order 0 is the topmost window.
struct headless_test_window_info {
    RECT frame;
    RECT client;
    bool visible;
    bool minimized;
    bool maximized;
    int z_order;
    char title[256];
    bool cursor_hidden; // the pointer is hidden while over the window
    int icon_width;     // the icon's size; 0 for the default icon
    int icon_height;
};
bool headless_test_window_state(HWND window, headless_test_window_info *state);

// A copy of the window's icon (ARGB, rows from the top); false for no such window.
bool headless_test_icon(HWND window, std::vector<uint32_t> *argb);

// A copy of the client pixels the window shows (BGRX, rows of `width`).
bool headless_test_read_client(HWND window, std::vector<uint32_t> *pixels, int *width, int *height);

// Moves the pointer to a screen position; over a client area that window gets a move, and
// anywhere the window holding the mouse capture does.
// `state` holds the DISPLAY_BUTTON_ and DISPLAY_MOD_ bits held during the move.
void headless_test_move_pointer(int x, int y, int state);

// Presses or releases one DISPLAY_BUTTON_ at the pointer with DISPLAY_MOD_ bits held.
void headless_test_press(int button, int modifiers);
void headless_test_release(int button, int modifiers);

// Turns the wheel `notches` steps at the pointer (positive: away from the user).
void headless_test_wheel(int notches, int modifiers);

// Types the Unicode code point `character` `repeat` times into the window with the keyboard
// focus.
void headless_test_type(uint32_t character, int repeat);

// Presses or releases the key with the Win32 virtual-key code `virtual_key` in the window with
// the keyboard focus; `modifiers` holds the DISPLAY_MOD_ bits held after the event. A second
// press without a release is an auto-repeat.
void headless_test_key_down(int virtual_key, int modifiers);
void headless_test_key_up(int virtual_key, int modifiers);

// The user's own window operations: drag the bottom-right corner to give the frame a new size,
// click the maximise, minimise, restore or close button, or uncover part of the client area.
bool headless_test_drag_border(HWND window, int frame_width, int frame_height);
bool headless_test_maximize(HWND window);
bool headless_test_minimize(HWND window);
bool headless_test_restore(HWND window);
bool headless_test_close(HWND window);
bool headless_test_expose(HWND window, const RECT *client_rect);

// The packed DIB the clipboard offers to other programs; false when nothing was exported.
bool headless_test_clipboard(std::vector<unsigned char> *dib);
// The PNG file offered beside that DIB; false when there is none.
bool headless_test_clipboard_png(std::vector<unsigned char> *png);

#endif
