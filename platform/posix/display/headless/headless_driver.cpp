// The headless driver: windows live on a virtual screen in memory.
#include "platform/posix/display/headless/headless_screen.h"

#include <algorithm>
#include <new>
#include <string.h>

// Kept through process exit (a late present may still reach it); freed only at unload.
static headless_screen *&screen_pointer() {
    static headless_screen *screen =
        new headless_screen{{}, {}, {0, 0}, {nullptr, nullptr}, false, {}, {}};
    return screen;
}

headless_screen &headless_get_screen(void) {
    headless_screen *&screen = screen_pointer();
    if (screen == nullptr)
        screen = new headless_screen{{}, {}, {0, 0}, {nullptr, nullptr}, false, {}, {}};
    return *screen;
}

static bool rect_contains(const RECT &r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

display_window *headless_window_at(headless_screen &screen, POINT point) {
    for (display_window *w : screen.stack) {
        if (w->show != DISPLAY_NORMAL && w->show != DISPLAY_MAXIMIZED) continue;
        if (!rect_contains(w->frame, point)) continue;
        return rect_contains(w->client, point) ? w : nullptr; // the frame hides what lies below
    }
    return nullptr;
}

display_window *headless_find(headless_screen &screen, HWND cookie) {
    for (display_window *w : screen.stack) {
        if (w->cookie == cookie) return w;
    }
    return nullptr;
}

namespace {

// Keeps the top-left part of the old image that both sizes share; the rest starts black.
void resize_image(display_window *w, int width, int height) {
    if (width == w->image_width && height == w->image_height) return;
    std::vector<uint32_t> image;
    // The screen keeps no image beyond the 2 GiB that a window's surface may have.
    if (static_cast<int64_t>(width) * height > (int64_t{1} << 29)) return;
    try {
        image.assign(static_cast<size_t>(width) * height, 0);
    } catch (const std::bad_alloc &) {
        return; // a size the process cannot hold keeps the old image, as the surface does
    }
    int rows = std::min(height, w->image_height), columns = std::min(width, w->image_width);
    // An image with no columns (a client area 0 pixels wide) has no rows to index either.
    if (columns <= 0) rows = 0;
    for (int y = 0; y < rows; ++y) {
        std::copy_n(&w->image[static_cast<size_t>(y) * w->image_width], columns,
                    &image[static_cast<size_t>(y) * width]);
    }
    w->image.swap(image);
    w->image_width = width;
    w->image_height = height;
}

bool headless_open(const display_sink *sink) {
    headless_screen &screen = headless_get_screen();
    std::lock_guard<std::mutex> guard(screen.lock);
    screen.sink = *sink;
    screen.open = true;
    return true;
}

display_window *headless_create(const display_window_desc *desc) {
    headless_screen &screen = headless_get_screen();
    display_window *w = new display_window{desc->cookie,
                                           desc->title ? desc->title : "",
                                           desc->frame,
                                           desc->client,
                                           DISPLAY_HIDDEN,
                                           {},
                                           0,
                                           0,
                                           false,
                                           {},
                                           0,
                                           0};
    resize_image(w, std::max(0, int(desc->client.right - desc->client.left)),
                 std::max(0, int(desc->client.bottom - desc->client.top)));
    std::lock_guard<std::mutex> guard(screen.lock);
    screen.stack.insert(screen.stack.begin(), w);
    return w;
}

void headless_destroy(display_window *w) {
    headless_screen &screen = headless_get_screen();
    {
        std::lock_guard<std::mutex> guard(screen.lock);
        screen.stack.erase(std::remove(screen.stack.begin(), screen.stack.end(), w),
                           screen.stack.end());
    }
    delete w;
}

// An empty client rectangle (a minimised window) keeps the image for when it comes back.
void headless_move_resize(display_window *w, const RECT *frame, const RECT *client) {
    headless_screen &screen = headless_get_screen();
    std::lock_guard<std::mutex> guard(screen.lock);
    w->frame = *frame;
    w->client = *client;
    int width = client->right - client->left, height = client->bottom - client->top;
    if (width > 0 && height > 0) resize_image(w, width, height);
}

void headless_show(display_window *w, display_show state) {
    headless_screen &screen = headless_get_screen();
    std::lock_guard<std::mutex> guard(screen.lock);
    w->show = state;
}

void headless_raise(display_window *w) {
    headless_screen &screen = headless_get_screen();
    std::lock_guard<std::mutex> guard(screen.lock);
    auto it = std::find(screen.stack.begin(), screen.stack.end(), w);
    if (it != screen.stack.end()) std::rotate(screen.stack.begin(), it, it + 1);
}

void headless_set_title(display_window *w, const char *title) {
    headless_screen &screen = headless_get_screen();
    std::lock_guard<std::mutex> guard(screen.lock);
    w->title = title ? title : "";
}

void headless_set_cursor(display_window *w, bool visible) {
    headless_screen &screen = headless_get_screen();
    std::lock_guard<std::mutex> guard(screen.lock);
    w->cursor_hidden = !visible;
}

void headless_set_icon(display_window *w, const uint32_t *argb, int width, int height) {
    headless_screen &screen = headless_get_screen();
    std::lock_guard<std::mutex> guard(screen.lock);
    try {
        w->icon.assign(argb, argb != nullptr ? argb + static_cast<size_t>(width) * height : argb);
    } catch (const std::bad_alloc &) {
        w->icon.clear(); // no memory to keep it: the default icon shows
    }
    w->icon_width = w->icon.empty() ? 0 : width;
    w->icon_height = w->icon.empty() ? 0 : height;
}

void headless_present(display_window *w, const uint32_t *pixels, int width, int height, int stride,
                      const RECT *rect) {
    headless_screen &screen = headless_get_screen();
    std::lock_guard<std::mutex> guard(screen.lock);
    int left = std::max(0, int(rect->left)), top = std::max(0, int(rect->top));
    int right = std::min({int(rect->right), width, w->image_width});
    int bottom = std::min({int(rect->bottom), height, w->image_height});
    for (int y = top; y < bottom; ++y) {
        memcpy(&w->image[static_cast<size_t>(y) * w->image_width + left],
               pixels + static_cast<size_t>(y) * stride + left,
               static_cast<size_t>(right - left) * sizeof(uint32_t));
    }
}

// Input arrives through the test entry points, which report it at once.
void headless_pump_events(void) {}

void headless_cursor_pos(POINT *point) {
    headless_screen &screen = headless_get_screen();
    std::lock_guard<std::mutex> guard(screen.lock);
    *point = screen.cursor;
}

void headless_screen_size(int *width, int *height) {
    *width = HEADLESS_SCREEN_WIDTH;
    *height = HEADLESS_SCREEN_HEIGHT;
}

bool headless_clipboard_export(const void *dib, size_t bytes) {
    headless_screen &screen = headless_get_screen();
    try {
        std::lock_guard<std::mutex> guard(screen.lock);
        const unsigned char *begin = static_cast<const unsigned char *>(dib);
        screen.clipboard_dib.assign(begin, begin + bytes);
        screen.clipboard_png.clear();
    } catch (...) {
        return false;
    }
    return true;
}

bool headless_clipboard_export_png(const void *png, size_t bytes) {
    headless_screen &screen = headless_get_screen();
    try {
        std::lock_guard<std::mutex> guard(screen.lock);
        const unsigned char *begin = static_cast<const unsigned char *>(png);
        screen.clipboard_png.assign(begin, begin + bytes);
    } catch (...) {
        return false;
    }
    return true;
}

void headless_release(void) {
    delete screen_pointer();
    screen_pointer() = nullptr;
}

} // namespace

const display_driver display_headless_driver = {
    "headless",
    headless_open,
    headless_create,
    headless_destroy,
    headless_move_resize,
    headless_show,
    headless_raise,
    headless_set_title,
    headless_present,
    headless_pump_events,
    headless_cursor_pos,
    headless_screen_size,
    headless_clipboard_export,
    headless_clipboard_export_png,
    nullptr,
    nullptr,
    headless_release,
    nullptr,
    nullptr,
    headless_set_cursor,
    headless_set_icon,
};
