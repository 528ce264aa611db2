// Library windows on the compositor: the records, show states, titles and placement the window
// manager asks for. The surface and its toplevel are made at the first show.
#include "platform/posix/display/wayland/wayland_internal.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>

namespace {

void on_enter(void *data, wl_surface *, wl_output *proxy) {
    display_window *w = static_cast<display_window *>(data);
    wayland_output *o = wayland_output_of(proxy);
    if (o == nullptr || std::find(w->outputs.begin(), w->outputs.end(), o) != w->outputs.end()) {
        return;
    }
    w->outputs.push_back(o);
    wayland_rescale(w);
}

void on_leave(void *data, wl_surface *, wl_output *proxy) {
    display_window *w = static_cast<display_window *>(data);
    auto it = std::find(w->outputs.begin(), w->outputs.end(), wayland_output_of(proxy));
    if (it == w->outputs.end()) return;
    w->outputs.erase(it);
    wayland_rescale(w);
}

const wl_surface_listener k_surface_listener = {on_enter, on_leave};

// The surface and its role; false (nothing made) when the compositor refuses.
bool make_surface(display_window *w) {
    wayland_state &s = wayland();
    w->surface = wl_compositor_create_surface(s.compositor);
    if (w->surface == nullptr) return false;
    wl_surface_add_listener(w->surface, &k_surface_listener, w);
    if (!wayland_make_toplevel(w)) {
        wl_surface_destroy(w->surface);
        w->surface = nullptr;
        return false;
    }
    return true;
}

void drop_surface(display_window *w) {
    if (w->surface == nullptr) return;
    wayland_input_forget(w);
    if (w->frame_callback != nullptr) wl_callback_destroy(w->frame_callback);
    w->frame_callback = nullptr;
    wayland_drop_toplevel(w);
    wayland_drop_buffers(w);
    wl_surface_destroy(w->surface);
    w->surface = nullptr;
    w->configured = w->has_buffer = w->configure_news = false;
    w->outputs.clear();
}

// Unmapping takes the buffer away; showing again starts over with a commit without one, which
// the compositor answers with a new first configure. A window libdecor frames is made anew
// when shown again, frame and all.
void unmap(display_window *w) {
    if (w->decor_frame != nullptr) {
        drop_surface(w);
        return;
    }
    if (w->surface == nullptr || !w->has_buffer) return;
    wl_surface_attach(w->surface, nullptr, 0, 0);
    wl_surface_commit(w->surface);
    w->has_buffer = false;
    w->configured = false;
}

bool same_size(const RECT &a, const RECT &b) {
    return a.right - a.left == b.right - b.left && a.bottom - a.top == b.bottom - b.top;
}

} // namespace

display_window *wayland_create(const display_window_desc *desc) {
    display_window *w = new display_window{};
    w->cookie = desc->cookie;
    w->frame = desc->frame;
    w->client = desc->client;
    w->show = DISPLAY_HIDDEN;
    w->title = strdup(desc->title != nullptr ? desc->title : "");
    w->scale = w->committed_scale = std::max(1, wayland().screen_scale.load());
    if (wayland_claim_gui_thread()) wayland().windows.push_back(w);
    return w;
}

void wayland_destroy(display_window *w) {
    if (wayland_on_gui_thread() || wayland().lost.load()) {
        auto &windows = wayland().windows;
        windows.erase(std::remove(windows.begin(), windows.end(), w), windows.end());
        drop_surface(w);
        wayland_flush();
    }
    free(w->title);
    delete w;
}

// The position is the window manager's to remember: no client may place itself on Wayland.
// A new size reaches the compositor with the next picture, whose buffer has it.
void wayland_move_resize(display_window *w, const RECT *frame, const RECT *client) {
    bool empty = client->right <= client->left || client->bottom <= client->top;
    if (empty) return; // minimised: the compositor keeps the window as it was
    bool resized = !same_size(*client, w->client);
    w->frame = *frame;
    w->client = *client;
    if (resized && w->surface != nullptr && wayland_on_gui_thread()) {
        // Until told otherwise the window is fixed at its size; the limits follow it.
        if (!w->placement_known) wayland_toplevel_apply(w, false);
        if (w->decor_frame != nullptr) wayland_frame_resized(w);
    }
}

void wayland_show(display_window *w, display_show state) {
    display_show before = w->show;
    w->show = state;
    if (!wayland_on_gui_thread() || state == before) return;
    if (state == DISPLAY_HIDDEN) {
        unmap(w);
    } else if (w->surface == nullptr) {
        if (!make_surface(w)) return;
    } else if (before == DISPLAY_HIDDEN) {
        wayland_toplevel_apply(w, false);
        wl_surface_commit(w->surface); // no buffer: asks for a first configure again
    } else {
        wayland_toplevel_apply(w, false);
    }
    wayland_flush();
}

// Only the compositor moves the keyboard focus; a client may not take it.
void wayland_raise(display_window *) {}

void wayland_set_title(display_window *w, const char *title) {
    char *copy = strdup(title != nullptr ? title : "");
    if (copy == nullptr) return;
    free(w->title);
    w->title = copy;
    if (w->surface == nullptr || !wayland_on_gui_thread()) return;
    wayland_toplevel_apply(w, false);
    wayland_flush();
}

void wayland_set_placement(display_window *w, const display_placement *placement) {
    bool was_fullscreen = w->placement_known && w->placement.fullscreen;
    w->placement = *placement;
    w->placement_known = true;
    if (w->surface == nullptr || !wayland_on_gui_thread()) return;
    wayland_toplevel_apply(w, placement->fullscreen != was_fullscreen);
    wayland_flush();
}
