// The xdg toplevel of a window: its title, size limits, fullscreen and maximised states, the
// frame the compositor draws (or libdecor, where it draws none), and the configures through
// which the compositor sizes it.
#include "platform/posix/display/wayland/wayland_internal.h"

#include <stdio.h>

#include <algorithm>

namespace {

// Window geometry is in logical units: a limit in screen pixels is divided by the scale,
// a lower limit rounded up and an upper one down, so that neither is passed.
int logical_at_most(int pixels, int scale) {
    return std::max(1, pixels / scale);
}

int client_width(const display_window *w) {
    return std::max(1, int(w->client.right - w->client.left));
}

int client_height(const display_window *w) {
    return std::max(1, int(w->client.bottom - w->client.top));
}

void on_toplevel_configure(void *data, xdg_toplevel *, int32_t width, int32_t height,
                           wl_array *states) {
    display_window *w = static_cast<display_window *>(data);
    w->configure_width = width;
    w->configure_height = height;
    w->configure_fullscreen = w->configure_maximized = false;
    const uint32_t *state = static_cast<const uint32_t *>(states->data);
    for (size_t i = 0; i < states->size / sizeof *state; ++i) {
        if (state[i] == XDG_TOPLEVEL_STATE_FULLSCREEN) w->configure_fullscreen = true;
        if (state[i] == XDG_TOPLEVEL_STATE_MAXIMIZED) w->configure_maximized = true;
    }
}

void on_toplevel_close(void *data, xdg_toplevel *) {
    wayland_report_close(static_cast<display_window *>(data));
}

// Bound at version 1, the toplevel sends neither bounds nor the compositor's capabilities.
const xdg_toplevel_listener k_toplevel_listener = {on_toplevel_configure, on_toplevel_close,
                                                   nullptr, nullptr};

void on_surface_configure(void *data, xdg_surface *, uint32_t serial) {
    display_window *w = static_cast<display_window *>(data);
    w->configure_serial = serial;
    w->configure_news = true;
}

const xdg_surface_listener k_xdg_surface_listener = {on_surface_configure};

// The compositor's answer to the frame asked for: where it draws none, libdecor draws it, for
// this window (made again before it is shown) and those made after it.
void on_decoration_configure(void *data, zxdg_toplevel_decoration_v1 *, uint32_t mode) {
    if (mode != ZXDG_TOPLEVEL_DECORATION_V1_MODE_CLIENT_SIDE) return;
    static_cast<display_window *>(data)->client_frame_wanted = true;
    wayland().frames_by_client = true;
}

const zxdg_toplevel_decoration_v1_listener k_decoration_listener = {on_decoration_configure};

// The new client size reaches the window manager as a frame of that size at the same place.
void report_size(display_window *w, int width, int height) {
    int grow_x = width - client_width(w), grow_y = height - client_height(w);
    if (grow_x == 0 && grow_y == 0) return;
    display_event e{};
    e.kind = DISPLAY_EVENT_CONFIGURE;
    e.window = w->cookie;
    e.rect = RECT{w->frame.left, w->frame.top, w->frame.right + grow_x, w->frame.bottom + grow_y};
    wayland_report(e);
}

// The first configure of a mapping asks the library for the whole picture, which its present
// then attaches; later ones are answered at once with the picture shown.
void settle(display_window *w, int width, int height) {
    bool first = !w->configured;
    w->configured = true;
    int wanted_width, wanted_height;
    wayland_wanted_size(w, width, height, &wanted_width, &wanted_height);
    report_size(w, wanted_width, wanted_height);
    if (first || !w->has_buffer) {
        display_event e{};
        e.kind = DISPLAY_EVENT_EXPOSE;
        e.window = w->cookie;
        e.rect = RECT{0, 0, wanted_width, wanted_height};
        wayland_report(e);
    } else {
        wayland_recommit(w);
    }
}

} // namespace

int wayland_logical(int pixels, int scale) {
    return (pixels + scale - 1) / scale;
}

void wayland_report_close(display_window *w) {
    display_event e{};
    e.kind = DISPLAY_EVENT_CLOSE;
    e.window = w->cookie;
    wayland_report(e);
}

// Fullscreen and maximised windows take what they are given, a sizeable one what its limits
// allow, a fixed one nothing.
void wayland_wanted_size(const display_window *w, int width, int height, int *out_width,
                         int *out_height) {
    *out_width = client_width(w);
    *out_height = client_height(w);
    if (width <= 0 || height <= 0) return;
    int across = width * w->scale, down = height * w->scale;
    bool fullscreen = w->placement_known && w->placement.fullscreen;
    // A configure sent before the compositor heard the last fullscreen request is stale.
    if (w->configure_fullscreen != fullscreen) return;
    if (fullscreen || w->configure_maximized) {
        *out_width = across;
        *out_height = down;
        return;
    }
    if (!w->placement_known) return;
    const display_placement &p = w->placement;
    if (p.min_width == p.max_width && p.min_height == p.max_height) return;
    *out_width = std::clamp(across, p.min_width, std::max(p.min_width, p.max_width));
    *out_height = std::clamp(down, p.min_height, std::max(p.min_height, p.max_height));
}

// The compositor's own frame where it draws frames; else libdecor's, or none where libdecor is
// not there (said once).
bool wayland_make_toplevel(display_window *w) {
    wayland_state &s = wayland();
    if (s.frames_by_client) {
        if (wayland_frames_ready() && wayland_frame_make(w)) return true;
        static bool told = false;
        if (!told) {
            told = true;
            fprintf(stderr, "zelvan: the Wayland compositor draws no window frames and libdecor "
                            "cannot draw them: windows have no title bar\n");
        }
    }
    w->xdg = xdg_wm_base_get_xdg_surface(s.wm_base, w->surface);
    w->toplevel = w->xdg != nullptr ? xdg_surface_get_toplevel(w->xdg) : nullptr;
    if (w->toplevel == nullptr) {
        if (w->xdg != nullptr) xdg_surface_destroy(w->xdg);
        w->xdg = nullptr;
        return false;
    }
    xdg_surface_add_listener(w->xdg, &k_xdg_surface_listener, w);
    xdg_toplevel_add_listener(w->toplevel, &k_toplevel_listener, w);
    xdg_toplevel_set_app_id(w->toplevel, "zelvan");
    if (s.decorations != nullptr && !s.frames_by_client) {
        w->decoration =
            zxdg_decoration_manager_v1_get_toplevel_decoration(s.decorations, w->toplevel);
        zxdg_toplevel_decoration_v1_add_listener(w->decoration, &k_decoration_listener, w);
        zxdg_toplevel_decoration_v1_set_mode(w->decoration,
                                             ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
    }
    wayland_toplevel_apply(w, w->placement_known && w->placement.fullscreen);
    wl_surface_commit(w->surface); // no buffer yet: the compositor answers with a configure
    return true;
}

void wayland_drop_toplevel(display_window *w) {
    wayland_frame_drop(w);
    if (w->decoration != nullptr) zxdg_toplevel_decoration_v1_destroy(w->decoration);
    if (w->toplevel != nullptr) xdg_toplevel_destroy(w->toplevel);
    if (w->xdg != nullptr) xdg_surface_destroy(w->xdg);
    w->decoration = nullptr;
    w->toplevel = nullptr;
    w->xdg = nullptr;
}

// Until the window manager tells its placement, a window is fixed at the size it has.
void wayland_toplevel_apply(display_window *w, bool fullscreen_changed) {
    if (w->toplevel == nullptr && w->decor_frame == nullptr) return;
    wayland_toplevel_wish wish{};
    wish.title = w->title;
    int scale = w->scale;
    wish.fullscreen = w->placement_known && w->placement.fullscreen;
    if (wish.fullscreen) {
        // No limits: the compositor gives the output's size.
    } else if (w->placement_known) {
        const display_placement &p = w->placement;
        wish.min_width = wayland_logical(p.min_width, scale);
        wish.min_height = wayland_logical(p.min_height, scale);
        wish.max_width = logical_at_most(p.max_width, scale);
        wish.max_height = logical_at_most(p.max_height, scale);
    } else {
        wish.min_width = wish.max_width = wayland_logical(client_width(w), scale);
        wish.min_height = wish.max_height = wayland_logical(client_height(w), scale);
    }
    wish.fullscreen_changed = fullscreen_changed;
    wish.maximize = w->show == DISPLAY_MAXIMIZED;
    wish.unmaximize = w->show == DISPLAY_NORMAL && w->configure_maximized;
    wish.minimize = w->show == DISPLAY_MINIMIZED;
    if (w->decor_frame != nullptr) {
        wayland_frame_apply(w, wish);
        return;
    }
    xdg_toplevel_set_title(w->toplevel, wish.title);
    xdg_toplevel_set_min_size(w->toplevel, wish.min_width, wish.min_height);
    xdg_toplevel_set_max_size(w->toplevel, wish.max_width, wish.max_height);
    if (wish.fullscreen_changed && wish.fullscreen) {
        xdg_toplevel_set_fullscreen(w->toplevel, nullptr); // the compositor picks the output
    } else if (wish.fullscreen_changed) {
        xdg_toplevel_unset_fullscreen(w->toplevel);
    }
    if (wish.maximize) xdg_toplevel_set_maximized(w->toplevel);
    if (wish.unmaximize) xdg_toplevel_unset_maximized(w->toplevel);
    if (wish.minimize) xdg_toplevel_set_minimized(w->toplevel);
}

// A window the compositor said it draws no frame for, before it was first shown, is made again,
// framed by libdecor. libdecor acknowledges the configures of its toplevels itself.
void wayland_settle_configures(void) {
    // A report may destroy windows: the list is read again after each.
    for (size_t i = 0; i < wayland().windows.size(); ++i) {
        display_window *w = wayland().windows[i];
        if (!w->configure_news) continue;
        w->configure_news = false;
        if (w->client_frame_wanted && !w->configured) {
            w->client_frame_wanted = false;
            wayland_drop_toplevel(w);
            wayland_make_toplevel(w);
            continue;
        }
        if (w->xdg != nullptr) xdg_surface_ack_configure(w->xdg, w->configure_serial);
        if (w->xdg != nullptr || w->decor_frame != nullptr) {
            settle(w, w->configure_width, w->configure_height);
        }
    }
}
