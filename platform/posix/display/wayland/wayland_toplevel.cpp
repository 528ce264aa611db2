// The xdg toplevel of a window: its title, size limits, fullscreen and maximised states, the
// frame the compositor draws, and the configures through which the compositor sizes it.
#include "platform/posix/display/wayland/wayland_internal.h"

#include <algorithm>

namespace {

// Window geometry is in logical units: a limit in screen pixels is divided by the scale,
// a lower limit rounded up and an upper one down, so that neither is passed.
int logical_at_least(int pixels, int scale) {
    return (pixels + scale - 1) / scale;
}

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
    display_event e{};
    e.kind = DISPLAY_EVENT_CLOSE;
    e.window = static_cast<display_window *>(data)->cookie;
    wayland_report(e);
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

// The client size a configure asks for, in screen pixels, or the window's own when it keeps
// that: fullscreen and maximised windows take what they are given, a sizeable one what its
// limits allow, a fixed one nothing.
void wanted_size(const display_window *w, int width, int height, int *out_width, int *out_height) {
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
    wanted_size(w, width, height, &wanted_width, &wanted_height);
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

bool wayland_make_toplevel(display_window *w) {
    wayland_state &s = wayland();
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
    if (s.decorations != nullptr) {
        w->decoration =
            zxdg_decoration_manager_v1_get_toplevel_decoration(s.decorations, w->toplevel);
        zxdg_toplevel_decoration_v1_set_mode(w->decoration,
                                             ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
    }
    wayland_toplevel_apply(w, w->placement_known && w->placement.fullscreen);
    wl_surface_commit(w->surface); // no buffer yet: the compositor answers with a configure
    return true;
}

void wayland_drop_toplevel(display_window *w) {
    if (w->decoration != nullptr) zxdg_toplevel_decoration_v1_destroy(w->decoration);
    if (w->toplevel != nullptr) xdg_toplevel_destroy(w->toplevel);
    if (w->xdg != nullptr) xdg_surface_destroy(w->xdg);
    w->decoration = nullptr;
    w->toplevel = nullptr;
    w->xdg = nullptr;
}

// Until the window manager tells its placement, a window is fixed at the size it has.
void wayland_toplevel_apply(display_window *w, bool fullscreen_changed) {
    if (w->toplevel == nullptr) return;
    xdg_toplevel_set_title(w->toplevel, w->title);
    int scale = w->scale;
    bool fullscreen = w->placement_known && w->placement.fullscreen;
    if (fullscreen) {
        xdg_toplevel_set_min_size(w->toplevel, 0, 0);
        xdg_toplevel_set_max_size(w->toplevel, 0, 0);
    } else if (w->placement_known) {
        const display_placement &p = w->placement;
        xdg_toplevel_set_min_size(w->toplevel, logical_at_least(p.min_width, scale),
                                  logical_at_least(p.min_height, scale));
        xdg_toplevel_set_max_size(w->toplevel, logical_at_most(p.max_width, scale),
                                  logical_at_most(p.max_height, scale));
    } else {
        int width = logical_at_least(client_width(w), scale);
        int height = logical_at_least(client_height(w), scale);
        xdg_toplevel_set_min_size(w->toplevel, width, height);
        xdg_toplevel_set_max_size(w->toplevel, width, height);
    }
    if (fullscreen_changed) {
        if (fullscreen) {
            xdg_toplevel_set_fullscreen(w->toplevel, nullptr); // the compositor picks the output
        } else {
            xdg_toplevel_unset_fullscreen(w->toplevel);
        }
    }
    if (w->show == DISPLAY_MAXIMIZED) xdg_toplevel_set_maximized(w->toplevel);
    if (w->show == DISPLAY_NORMAL && w->configure_maximized) {
        xdg_toplevel_unset_maximized(w->toplevel);
    }
    if (w->show == DISPLAY_MINIMIZED) xdg_toplevel_set_minimized(w->toplevel);
}

void wayland_settle_configures(void) {
    // A report may destroy windows: the list is read again after each.
    for (size_t i = 0; i < wayland().windows.size(); ++i) {
        display_window *w = wayland().windows[i];
        if (!w->configure_news) continue;
        w->configure_news = false;
        if (w->xdg == nullptr) continue;
        xdg_surface_ack_configure(w->xdg, w->configure_serial);
        settle(w, w->configure_width, w->configure_height);
    }
}
