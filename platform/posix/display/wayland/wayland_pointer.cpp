// The seat's pointer: moves, buttons and the wheel over our surfaces. While a button is held
// the compositor keeps sending to the surface it was pressed on, outside it too, as an X
// server's implicit grab does: a drag that leaves the window is still heard.
#include "platform/posix/display/wayland/wayland_internal.h"

#include <linux/input-event-codes.h>
#include <wayland-cursor.h>

#include <math.h>

namespace {

struct pointer_state {
    display_window *focus = nullptr; // the surface under the pointer, or holding it
    wl_fixed_t x = 0;                // in the focus's logical coordinates
    wl_fixed_t y = 0;
    int buttons = 0;      // DISPLAY_BUTTON_ bits held
    double wheel[2] = {}; // turns not yet reported whole, by axis, in notches
    int notches[2] = {};  // whole notches of this frame, from axis_discrete
    bool discrete[2] = {};
    uint32_t enter_serial = 0; // the cursor may be set only with the latest enter's serial
    // The arrow from the desktop's cursor theme, loaded at the first window that shows it,
    // at the size for the scale it was loaded for.
    wl_cursor_theme *theme = nullptr;
    int theme_scale = 0;
    wl_surface *cursor_surface = nullptr;
};

pointer_state &pointer(void) {
    static pointer_state state;
    return state;
}

// A wheel's notch turns the axis by 15 (degrees) in the seats of today's compositors.
const double k_axis_per_notch = 15.0;

display_event event_at(display_event_kind kind) {
    pointer_state &p = pointer();
    display_window *w = p.focus;
    display_event e{};
    e.kind = kind;
    e.window = w->cookie;
    e.x = int(floor(wl_fixed_to_double(p.x) * w->scale));
    e.y = int(floor(wl_fixed_to_double(p.y) * w->scale));
    e.state = p.buttons | wayland_modifier_bits();
    wayland().pointer_x = int(w->client.left) + e.x;
    wayland().pointer_y = int(w->client.top) + e.y;
    return e;
}

// The theme's default arrow, at the window's scale; null when no theme is installed.
wl_cursor_image *arrow_image(int scale) {
    pointer_state &p = pointer();
    if (p.theme != nullptr && p.theme_scale != scale) {
        wl_cursor_theme_destroy(p.theme);
        p.theme = nullptr;
    }
    if (p.theme == nullptr) {
        // 24 logical pixels: the size desktops default to (XCURSOR_SIZE's usual value).
        p.theme = wl_cursor_theme_load(nullptr, 24 * scale, wayland().shm);
        p.theme_scale = scale;
    }
    if (p.theme == nullptr) return nullptr;
    wl_cursor *arrow = wl_cursor_theme_get_cursor(p.theme, "left_ptr");
    if (arrow == nullptr) arrow = wl_cursor_theme_get_cursor(p.theme, "default");
    return arrow != nullptr && arrow->image_count > 0 ? arrow->images[0] : nullptr;
}

// A Wayland client sets the pointer's image each time the pointer enters its surface: none
// for a window that hides it, else the arrow.
void show_cursor_of(display_window *w) {
    pointer_state &p = pointer();
    wayland_state &s = wayland();
    if (p.focus != w || w == nullptr || s.pointer == nullptr) return;
    wl_cursor_image *image = w->cursor_hidden ? nullptr : arrow_image(w->scale);
    wl_buffer *buffer = image != nullptr ? wl_cursor_image_get_buffer(image) : nullptr;
    if (buffer == nullptr) {
        wl_pointer_set_cursor(s.pointer, p.enter_serial, nullptr, 0, 0);
        return;
    }
    if (p.cursor_surface == nullptr) p.cursor_surface = wl_compositor_create_surface(s.compositor);
    if (p.cursor_surface == nullptr) return;
    wl_surface_set_buffer_scale(p.cursor_surface, w->scale);
    wl_surface_attach(p.cursor_surface, buffer, 0, 0);
    wl_surface_damage(p.cursor_surface, 0, 0, INT32_MAX, INT32_MAX);
    wl_surface_commit(p.cursor_surface);
    wl_pointer_set_cursor(s.pointer, p.enter_serial, p.cursor_surface,
                          int32_t(image->hotspot_x) / w->scale,
                          int32_t(image->hotspot_y) / w->scale);
}

void on_enter(void *, wl_pointer *, uint32_t serial, wl_surface *surface, wl_fixed_t x,
              wl_fixed_t y) {
    pointer_state &p = pointer();
    p.focus = wayland_window_of(surface);
    p.x = x;
    p.y = y;
    p.enter_serial = serial;
    wayland().input_serial = serial;
    if (p.focus == nullptr) return;
    show_cursor_of(p.focus);
    wayland_report(event_at(DISPLAY_EVENT_POINTER_MOVE));
}

void on_leave(void *, wl_pointer *, uint32_t, wl_surface *) {
    pointer_state &p = pointer();
    p.focus = nullptr;
    p.buttons = 0; // the compositor sends no release for buttons let go elsewhere
}

void on_motion(void *, wl_pointer *, uint32_t, wl_fixed_t x, wl_fixed_t y) {
    pointer_state &p = pointer();
    p.x = x;
    p.y = y;
    if (p.focus != nullptr) wayland_report(event_at(DISPLAY_EVENT_POINTER_MOVE));
}

int button_bit(uint32_t button) {
    switch (button) {
    case BTN_LEFT:
        return DISPLAY_BUTTON_LEFT;
    case BTN_RIGHT:
        return DISPLAY_BUTTON_RIGHT;
    case BTN_MIDDLE:
        return DISPLAY_BUTTON_MIDDLE;
    case BTN_SIDE:
        return DISPLAY_BUTTON_X1;
    case BTN_EXTRA:
        return DISPLAY_BUTTON_X2;
    default:
        return 0;
    }
}

void on_button(void *, wl_pointer *, uint32_t serial, uint32_t, uint32_t button, uint32_t state) {
    pointer_state &p = pointer();
    wayland().input_serial = serial;
    int bit = button_bit(button);
    if (bit == 0 || p.focus == nullptr) return;
    bool down = state == WL_POINTER_BUTTON_STATE_PRESSED;
    if (down) {
        p.buttons |= bit;
    } else {
        p.buttons &= ~bit;
    }
    display_event e = event_at(down ? DISPLAY_EVENT_BUTTON_DOWN : DISPLAY_EVENT_BUTTON_UP);
    e.button = bit;
    wayland_report(e);
}

void on_axis(void *, wl_pointer *, uint32_t, uint32_t axis, wl_fixed_t value) {
    if (axis > WL_POINTER_AXIS_HORIZONTAL_SCROLL) return;
    pointer().wheel[axis] += wl_fixed_to_double(value) / k_axis_per_notch;
}

void on_axis_discrete(void *, wl_pointer *, uint32_t axis, int32_t discrete) {
    if (axis > WL_POINTER_AXIS_HORIZONTAL_SCROLL) return;
    pointer().notches[axis] += discrete;
    pointer().discrete[axis] = true;
}

// A frame ends a group of events: the wheel's turns are reported in whole notches, counted by
// the seat when it counts them, else from the distance. Wayland's axes grow down and right;
// Win32's wheel turns away from the user and right.
void on_frame(void *, wl_pointer *) {
    pointer_state &p = pointer();
    for (int axis = 0; axis < 2; ++axis) {
        int whole = p.discrete[axis] ? p.notches[axis] : int(p.wheel[axis]);
        if (p.discrete[axis]) {
            p.wheel[axis] = 0;
        } else {
            p.wheel[axis] -= whole;
        }
        p.notches[axis] = 0;
        p.discrete[axis] = false;
        if (whole == 0 || p.focus == nullptr) continue;
        display_event e = event_at(DISPLAY_EVENT_WHEEL);
        bool horizontal = axis == WL_POINTER_AXIS_HORIZONTAL_SCROLL;
        e.button = horizontal ? 1 : 0;
        e.repeat = horizontal ? whole : -whole;
        wayland_report(e);
    }
}

void on_axis_source(void *, wl_pointer *, uint32_t) {}

void on_axis_stop(void *, wl_pointer *, uint32_t, uint32_t axis) {
    if (axis <= WL_POINTER_AXIS_HORIZONTAL_SCROLL) pointer().wheel[axis] = 0;
}

// Bound at version 5, the pointer sends no high-resolution wheel values.
const wl_pointer_listener k_pointer_listener = {
    on_enter, on_leave,       on_motion,    on_button,        on_axis,
    on_frame, on_axis_source, on_axis_stop, on_axis_discrete, nullptr,
};

} // namespace

void wayland_pointer_start(void) {
    wayland_state &s = wayland();
    if (s.pointer != nullptr) return;
    s.pointer = wl_seat_get_pointer(s.seat);
    wl_pointer_add_listener(s.pointer, &k_pointer_listener, nullptr);
}

int wayland_button_bits(void) {
    return pointer().buttons;
}

void wayland_pointer_forget(display_window *w) {
    if (pointer().focus == w) {
        pointer().focus = nullptr;
        pointer().buttons = 0;
    }
}

void wayland_pointer_stop(void) {
    wayland_state &s = wayland();
    pointer_state &p = pointer();
    if (p.cursor_surface != nullptr) wl_surface_destroy(p.cursor_surface);
    if (p.theme != nullptr) wl_cursor_theme_destroy(p.theme);
    if (s.pointer != nullptr) wl_pointer_destroy(s.pointer);
    s.pointer = nullptr;
    p = pointer_state{};
}

void wayland_set_cursor(display_window *w, bool visible) {
    if (w->cursor_hidden == !visible) return;
    w->cursor_hidden = !visible;
    show_cursor_of(w);
    wl_display_flush(wayland().display);
}
