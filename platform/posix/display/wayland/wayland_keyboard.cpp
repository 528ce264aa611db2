// The seat's keyboard: the compositor's keymap read with xkbcommon, the focus, keys going down
// and up with the characters they type, and the repeat of a held key, which a Wayland client
// makes itself at the rate the compositor gives.
#include "platform/posix/display/wayland/wayland_internal.h"

#include <xkbcommon/xkbcommon.h>

#include <string.h>
#include <sys/mman.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {

struct keyboard_state {
    xkb_context *context = nullptr;
    xkb_keymap *keymap = nullptr;
    xkb_state *state = nullptr;
    display_window *focus = nullptr;
    int repeat_fd = -1;
    int repeat_rate = 25;   // keys a second, 0 for none
    int repeat_delay = 600; // milliseconds
    uint32_t repeating = 0; // the keycode (xkb's) that repeats, or 0
};

keyboard_state &keyboard(void) {
    static keyboard_state state;
    return state;
}

bool modifier_active(const char *name) {
    xkb_state *state = keyboard().state;
    return state != nullptr &&
           xkb_state_mod_name_is_active(state, name, XKB_STATE_MODS_EFFECTIVE) > 0;
}

void on_keymap(void *, wl_keyboard *, uint32_t format, int32_t fd, uint32_t size) {
    keyboard_state &k = keyboard();
    if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 || k.context == nullptr) {
        close(fd);
        return;
    }
    void *text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (text == MAP_FAILED) return;
    xkb_keymap *keymap = xkb_keymap_new_from_buffer(
        k.context, static_cast<const char *>(text), strnlen(static_cast<const char *>(text), size),
        XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    munmap(text, size);
    xkb_state *state = keymap != nullptr ? xkb_state_new(keymap) : nullptr;
    if (state == nullptr) {
        xkb_keymap_unref(keymap);
        return;
    }
    xkb_state_unref(k.state);
    xkb_keymap_unref(k.keymap);
    k.keymap = keymap;
    k.state = state;
}

void stop_repeat(void) {
    keyboard_state &k = keyboard();
    k.repeating = 0;
    itimerspec off{};
    if (k.repeat_fd >= 0) timerfd_settime(k.repeat_fd, 0, &off, nullptr);
}

void start_repeat(uint32_t keycode) {
    keyboard_state &k = keyboard();
    if (k.repeat_fd < 0 || k.repeat_rate <= 0 || !xkb_keymap_key_repeats(k.keymap, keycode)) {
        return;
    }
    k.repeating = keycode;
    long interval_ns = 1000000000L / k.repeat_rate;
    itimerspec when{};
    when.it_value.tv_sec = k.repeat_delay / 1000;
    when.it_value.tv_nsec = long(k.repeat_delay % 1000) * 1000000L;
    when.it_interval.tv_sec = interval_ns / 1000000000L;
    when.it_interval.tv_nsec = interval_ns % 1000000000L;
    timerfd_settime(k.repeat_fd, 0, &when, nullptr);
}

void report_focus(display_window *w, display_event_kind kind) {
    if (w == nullptr) return;
    display_event e{};
    e.kind = kind;
    e.window = w->cookie;
    wayland_report(e);
}

void on_enter(void *, wl_keyboard *, uint32_t serial, wl_surface *surface, wl_array *) {
    keyboard_state &k = keyboard();
    wayland().input_serial = serial;
    k.focus = wayland_window_of(surface);
    report_focus(k.focus, DISPLAY_EVENT_FOCUS_IN);
}

void on_leave(void *, wl_keyboard *, uint32_t serial, wl_surface *) {
    keyboard_state &k = keyboard();
    wayland().input_serial = serial;
    stop_repeat();
    report_focus(k.focus, DISPLAY_EVENT_FOCUS_OUT);
    k.focus = nullptr;
}

// The key's code, named by its keysym at the first level of the current layout: a key keeps
// its code whatever SHIFT does.
int virtual_key_of(uint32_t keycode) {
    keyboard_state &k = keyboard();
    const xkb_keysym_t *syms = nullptr;
    xkb_layout_index_t layout = xkb_state_key_get_layout(k.state, keycode);
    int count = xkb_keymap_key_get_syms_by_level(
        k.keymap, keycode, layout == XKB_LAYOUT_INVALID ? 0 : layout, 0, &syms);
    xkb_keysym_t unshifted = count > 0 ? syms[0] : XKB_KEY_NoSymbol;
    return wayland_virtual_key(unshifted, xkb_state_key_get_one_sym(k.state, keycode));
}

// What a key typed, as xkbcommon's code point (control characters included: Return, Tab,
// ^C...), in any language: 0 is a key that types nothing.
void report_typed(HWND window, uint32_t code) {
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return;
    display_event c{};
    c.kind = DISPLAY_EVENT_CHAR;
    c.window = window;
    c.character = code;
    c.repeat = 1;
    wayland_report(c);
}

// A key going down (again, when it repeats), then what it types.
void report_press(uint32_t keycode) {
    keyboard_state &k = keyboard();
    int vk = virtual_key_of(keycode);
    HWND window = k.focus != nullptr ? k.focus->cookie : nullptr;
    if (vk != 0) {
        display_event e{};
        e.kind = DISPLAY_EVENT_KEY_DOWN;
        e.window = window;
        e.key = vk;
        e.state = wayland_modifier_bits() | wayland_button_bits();
        if (vk == VK_SHIFT) e.state |= DISPLAY_MOD_SHIFT;
        if (vk == VK_CONTROL) e.state |= DISPLAY_MOD_CONTROL;
        if (vk == VK_MENU) e.state |= DISPLAY_MOD_ALT;
        wayland_report(e);
    }
    report_typed(window, xkb_state_key_get_utf32(k.state, keycode));
}

void report_release(uint32_t keycode) {
    int vk = virtual_key_of(keycode);
    if (vk == 0) return;
    display_event e{};
    e.kind = DISPLAY_EVENT_KEY_UP;
    e.window = keyboard().focus != nullptr ? keyboard().focus->cookie : nullptr;
    e.key = vk;
    e.state = wayland_modifier_bits() | wayland_button_bits();
    if (vk == VK_SHIFT) e.state &= ~DISPLAY_MOD_SHIFT;
    if (vk == VK_CONTROL) e.state &= ~DISPLAY_MOD_CONTROL;
    if (vk == VK_MENU) e.state &= ~DISPLAY_MOD_ALT;
    wayland_report(e);
}

void on_key(void *, wl_keyboard *, uint32_t serial, uint32_t, uint32_t key, uint32_t state) {
    keyboard_state &k = keyboard();
    wayland().input_serial = serial;
    if (k.state == nullptr) return;
    uint32_t keycode = key + 8; // evdev codes to XKB's
    if (state == WL_KEYBOARD_KEY_STATE_PRESSED) {
        report_press(keycode);
        start_repeat(keycode);
    } else {
        if (keycode == k.repeating) stop_repeat();
        report_release(keycode);
    }
}

void on_modifiers(void *, wl_keyboard *, uint32_t serial, uint32_t depressed, uint32_t latched,
                  uint32_t locked, uint32_t group) {
    wayland().input_serial = serial;
    if (keyboard().state == nullptr) return;
    xkb_state_update_mask(keyboard().state, depressed, latched, locked, 0, 0, group);
}

void on_repeat_info(void *, wl_keyboard *, int32_t rate, int32_t delay) {
    keyboard().repeat_rate = rate > 0 ? rate : 0;
    keyboard().repeat_delay = delay > 0 ? delay : 0;
}

const wl_keyboard_listener k_keyboard_listener = {on_keymap, on_enter,     on_leave,
                                                  on_key,    on_modifiers, on_repeat_info};

} // namespace

void wayland_keyboard_start(void) {
    wayland_state &s = wayland();
    keyboard_state &k = keyboard();
    if (s.keyboard != nullptr) return;
    if (k.context == nullptr) k.context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    s.keyboard = wl_seat_get_keyboard(s.seat);
    wl_keyboard_add_listener(s.keyboard, &k_keyboard_listener, nullptr);
}

int wayland_repeat_fd(void) {
    keyboard_state &k = keyboard();
    if (k.repeat_fd < 0) k.repeat_fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    return k.repeat_fd;
}

// The timer counts the repeats due since it was last read: a busy thread catches up at once.
void wayland_repeat_fired(void) {
    keyboard_state &k = keyboard();
    uint64_t count = 0;
    if (k.repeat_fd < 0 || read(k.repeat_fd, &count, sizeof count) != sizeof count) return;
    if (k.repeating == 0 || k.state == nullptr) return;
    for (uint64_t i = 0; i < count && i < 64; ++i) report_press(k.repeating);
}

int wayland_modifier_bits(void) {
    int bits = 0;
    if (modifier_active(XKB_MOD_NAME_SHIFT)) bits |= DISPLAY_MOD_SHIFT;
    if (modifier_active(XKB_MOD_NAME_CTRL)) bits |= DISPLAY_MOD_CONTROL;
    if (modifier_active(XKB_MOD_NAME_ALT)) bits |= DISPLAY_MOD_ALT;
    return bits;
}

void wayland_keyboard_forget(display_window *w) {
    if (keyboard().focus != w) return;
    stop_repeat();
    keyboard().focus = nullptr;
}

// The keyboard goes (the seat lost it, or the connection went); the keymap and the timer stay
// until unload.
void wayland_keyboard_stop(void) {
    stop_repeat();
    keyboard().focus = nullptr;
    wayland_state &s = wayland();
    if (s.keyboard != nullptr) wl_keyboard_destroy(s.keyboard);
    s.keyboard = nullptr;
}

void wayland_keyboard_release(void) {
    keyboard_state &k = keyboard();
    xkb_state_unref(k.state);
    xkb_keymap_unref(k.keymap);
    xkb_context_unref(k.context);
    if (k.repeat_fd >= 0) close(k.repeat_fd);
    k = keyboard_state{};
}
