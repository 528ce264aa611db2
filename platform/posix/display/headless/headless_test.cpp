// The headless driver's test entry points.
#include "platform/posix/display/headless/headless_test.h"
#include "platform/posix/display/headless/headless_screen.h"

#include <algorithm>
#include <string.h>

namespace {

// Reports outside the screen lock: the window manager takes its own lock in the sink.
void report(const display_event &event) {
    headless_screen &screen = headless_get_screen();
    void (*sink)(const display_event *);
    {
        std::lock_guard<std::mutex> guard(screen.lock);
        sink = screen.open ? screen.sink.report : nullptr;
    }
    if (sink != nullptr) sink(&event);
}

// A pointer event at the pointer: for the window whose client area is under it, in client
// coordinates, or for no window, in screen coordinates.
display_event pointer_event(display_event_kind kind, int button, int state) {
    headless_screen &screen = headless_get_screen();
    std::lock_guard<std::mutex> guard(screen.lock);
    display_event event{};
    event.kind = kind;
    event.button = button;
    event.state = state;
    event.x = screen.cursor.x;
    event.y = screen.cursor.y;
    display_window *w = headless_window_at(screen, screen.cursor);
    if (w != nullptr) {
        event.window = w->cookie;
        event.x -= w->client.left;
        event.y -= w->client.top;
    }
    return event;
}

// A key event for the window with the keyboard focus.
void report_key(display_event_kind kind, int virtual_key, int modifiers) {
    display_event event{};
    event.kind = kind;
    event.key = virtual_key;
    event.state = modifiers;
    report(event);
}

bool window_event(HWND window, display_event_kind kind, display_event *event) {
    headless_screen &screen = headless_get_screen();
    std::lock_guard<std::mutex> guard(screen.lock);
    display_window *w = headless_find(screen, window);
    if (w == nullptr) return false;
    *event = display_event{};
    event->kind = kind;
    event->window = window;
    event->rect = w->frame;
    return true;
}

bool simple_window_event(HWND window, display_event_kind kind) {
    display_event event;
    if (!window_event(window, kind, &event)) return false;
    report(event);
    return true;
}

} // namespace

bool headless_test_activate(void) {
    return display_force(&display_headless_driver);
}

HWND headless_test_find_window(const char *title) {
    headless_screen &screen = headless_get_screen();
    std::lock_guard<std::mutex> guard(screen.lock);
    for (display_window *w : screen.stack) {
        if (w->title == title) return w->cookie;
    }
    return nullptr;
}

bool headless_test_window_state(HWND window, headless_test_window_info *state) {
    headless_screen &screen = headless_get_screen();
    std::lock_guard<std::mutex> guard(screen.lock);
    display_window *w = headless_find(screen, window);
    if (w == nullptr) return false;
    state->frame = w->frame;
    state->client = w->client;
    state->visible = w->show != DISPLAY_HIDDEN;
    state->minimized = w->show == DISPLAY_MINIMIZED;
    state->maximized = w->show == DISPLAY_MAXIMIZED;
    state->z_order = static_cast<int>(std::find(screen.stack.begin(), screen.stack.end(), w) -
                                      screen.stack.begin());
    strncpy(state->title, w->title.c_str(), sizeof state->title - 1);
    state->title[sizeof state->title - 1] = '\0';
    state->cursor_hidden = w->cursor_hidden;
    state->icon_width = w->icon_width;
    state->icon_height = w->icon_height;
    return true;
}

bool headless_test_icon(HWND window, std::vector<uint32_t> *argb) {
    headless_screen &screen = headless_get_screen();
    std::lock_guard<std::mutex> guard(screen.lock);
    display_window *w = headless_find(screen, window);
    if (w == nullptr) return false;
    *argb = w->icon;
    return true;
}

bool headless_test_read_client(HWND window, std::vector<uint32_t> *pixels, int *width,
                               int *height) {
    headless_screen &screen = headless_get_screen();
    std::lock_guard<std::mutex> guard(screen.lock);
    display_window *w = headless_find(screen, window);
    if (w == nullptr) return false;
    *pixels = w->image;
    *width = w->image_width;
    *height = w->image_height;
    return true;
}

void headless_test_move_pointer(int x, int y, int state) {
    {
        headless_screen &screen = headless_get_screen();
        std::lock_guard<std::mutex> guard(screen.lock);
        screen.cursor = POINT{x, y};
    }
    report(pointer_event(DISPLAY_EVENT_POINTER_MOVE, 0, state));
}

void headless_test_press(int button, int modifiers) {
    report(pointer_event(DISPLAY_EVENT_BUTTON_DOWN, button, button | modifiers));
}

void headless_test_release(int button, int modifiers) {
    report(pointer_event(DISPLAY_EVENT_BUTTON_UP, button, modifiers));
}

void headless_test_wheel(int notches, int modifiers) {
    display_event event = pointer_event(DISPLAY_EVENT_WHEEL, 0, modifiers);
    event.repeat = notches;
    report(event);
}

void headless_test_type(uint32_t character, int repeat) {
    display_event event{};
    event.kind = DISPLAY_EVENT_CHAR;
    event.character = character;
    event.repeat = repeat;
    report(event);
}

void headless_test_key_down(int virtual_key, int modifiers) {
    report_key(DISPLAY_EVENT_KEY_DOWN, virtual_key, modifiers);
}

void headless_test_key_up(int virtual_key, int modifiers) {
    report_key(DISPLAY_EVENT_KEY_UP, virtual_key, modifiers);
}

bool headless_test_drag_border(HWND window, int frame_width, int frame_height) {
    display_event event;
    if (!window_event(window, DISPLAY_EVENT_CONFIGURE, &event)) return false;
    event.rect.right = event.rect.left + frame_width;
    event.rect.bottom = event.rect.top + frame_height;
    report(event);
    return true;
}

bool headless_test_maximize(HWND window) {
    return simple_window_event(window, DISPLAY_EVENT_MAXIMIZE);
}

bool headless_test_minimize(HWND window) {
    return simple_window_event(window, DISPLAY_EVENT_MINIMIZE);
}

bool headless_test_restore(HWND window) {
    return simple_window_event(window, DISPLAY_EVENT_RESTORE);
}

bool headless_test_close(HWND window) {
    return simple_window_event(window, DISPLAY_EVENT_CLOSE);
}

bool headless_test_expose(HWND window, const RECT *client_rect) {
    display_event event;
    if (!window_event(window, DISPLAY_EVENT_EXPOSE, &event)) return false;
    event.rect = *client_rect;
    report(event);
    return true;
}

bool headless_test_clipboard(std::vector<unsigned char> *dib) {
    headless_screen &screen = headless_get_screen();
    std::lock_guard<std::mutex> guard(screen.lock);
    *dib = screen.clipboard_dib;
    return !dib->empty();
}

bool headless_test_clipboard_png(std::vector<unsigned char> *png) {
    headless_screen &screen = headless_get_screen();
    std::lock_guard<std::mutex> guard(screen.lock);
    *png = screen.clipboard_png;
    return !png->empty();
}
