// Frames drawn by the client, where the compositor draws none (GNOME): libdecor makes the
// window's toplevel, draws its title bar and borders beside the window's surface, and hands
// the driver the configures with the size left for the window's own pixels.
#include "platform/posix/display/wayland/wayland_internal.h"

#include <libdecor.h>

#include <stdio.h>
#include <sys/epoll.h>

namespace {

void on_error(libdecor *, libdecor_error, const char *message) {
    fprintf(stderr, "zelvan: libdecor: %s\n", message);
}

// libdecor keeps the pointers it is given; the reserved entries stay null.
libdecor_interface decor_interface(void) {
    libdecor_interface i{};
    i.error = on_error;
    return i;
}

libdecor_interface k_decor_interface = decor_interface();

// The size the window's surface has from now on, in logical units; `configuration` is the
// configure it answers, or null when the program sized the window.
void commit_size(display_window *w, int width, int height, libdecor_configuration *configuration) {
    libdecor_state *state =
        libdecor_state_new(wayland_logical(width, w->scale), wayland_logical(height, w->scale));
    libdecor_frame_commit(w->decor_frame, state, configuration);
    libdecor_state_free(state);
}

// The configuration lives for this call only: it is answered here, with the size the window
// will have, and the rest is settled after the dispatch as for the driver's own toplevels.
void on_configure(libdecor_frame *frame, libdecor_configuration *configuration, void *data) {
    display_window *w = static_cast<display_window *>(data);
    int width = 0, height = 0;
    if (!libdecor_configuration_get_content_size(configuration, frame, &width, &height)) {
        width = height = 0;
    }
    libdecor_window_state state;
    if (libdecor_configuration_get_window_state(configuration, &state)) {
        w->configure_fullscreen = (state & LIBDECOR_WINDOW_STATE_FULLSCREEN) != 0;
        w->configure_maximized = (state & LIBDECOR_WINDOW_STATE_MAXIMIZED) != 0;
    }
    w->configure_width = width;
    w->configure_height = height;
    int wanted_width, wanted_height;
    wayland_wanted_size(w, width, height, &wanted_width, &wanted_height);
    commit_size(w, wanted_width, wanted_height, configuration);
    w->configure_news = true;
}

void on_close(libdecor_frame *, void *data) {
    wayland_report_close(static_cast<display_window *>(data));
}

// The frame's parts are subsurfaces that show with the window's next commit.
void on_commit(libdecor_frame *, void *data) {
    display_window *w = static_cast<display_window *>(data);
    if (w->surface != nullptr) wl_surface_commit(w->surface);
}

void on_dismiss_popup(libdecor_frame *, const char *, void *) {} // the library makes no popups

libdecor_frame_interface frame_interface(void) {
    libdecor_frame_interface i{};
    i.configure = on_configure;
    i.close = on_close;
    i.commit = on_commit;
    i.dismiss_popup = on_dismiss_popup;
    return i;
}

libdecor_frame_interface k_frame_interface = frame_interface();

} // namespace

bool wayland_frames_ready(void) {
    wayland_state &s = wayland();
    if (s.decor != nullptr || s.decor_tried) return s.decor != nullptr;
    s.decor_tried = true;
    s.decor = libdecor_new(s.display, &k_decor_interface);
    if (s.decor == nullptr) {
        fprintf(stderr, "zelvan: libdecor did not start: windows have no title bar\n");
        return false;
    }
    // Its events come on the connection the GUI thread sleeps on already, unless it has
    // a descriptor of its own.
    int fd = libdecor_get_fd(s.decor);
    if (fd >= 0 && fd != wl_display_get_fd(s.display)) {
        epoll_event watch{};
        watch.events = EPOLLIN;
        epoll_ctl(s.wake_fd, EPOLL_CTL_ADD, fd, &watch);
    }
    return true;
}

bool wayland_frame_make(display_window *w) {
    w->decor_frame = libdecor_decorate(wayland().decor, w->surface, &k_frame_interface, w);
    if (w->decor_frame == nullptr) return false;
    libdecor_frame_set_app_id(w->decor_frame, "zelvan");
    wayland_toplevel_apply(w, w->placement_known && w->placement.fullscreen);
    libdecor_frame_map(w->decor_frame); // the compositor answers with a configure
    return true;
}

void wayland_frame_drop(display_window *w) {
    if (w->decor_frame != nullptr) libdecor_frame_unref(w->decor_frame);
    w->decor_frame = nullptr;
}

void wayland_frame_apply(display_window *w, const wayland_toplevel_wish &wish) {
    libdecor_frame *frame = w->decor_frame;
    libdecor_frame_set_title(frame, wish.title);
    // A window of one size tells no limits: libdecor refuses a maximum below the width its
    // title bar needs, which a small window has, and fixes the size of a window it may not
    // resize at that width. Such a window keeps its size whatever a configure offers.
    bool fixed = wish.min_width > 0 && wish.min_width == wish.max_width &&
                 wish.min_height == wish.max_height;
    libdecor_frame_set_min_content_size(frame, fixed ? 0 : wish.min_width,
                                        fixed ? 0 : wish.min_height);
    libdecor_frame_set_max_content_size(frame, fixed ? 0 : wish.max_width,
                                        fixed ? 0 : wish.max_height);
    if (wish.fullscreen_changed && wish.fullscreen) {
        libdecor_frame_set_fullscreen(frame, nullptr);
    } else if (wish.fullscreen_changed) {
        libdecor_frame_unset_fullscreen(frame);
    }
    if (wish.maximize) libdecor_frame_set_maximized(frame);
    if (wish.unmaximize) libdecor_frame_unset_maximized(frame);
    if (wish.minimize) libdecor_frame_set_minimized(frame);
}

// Only a floating window takes a size of its own; a fullscreen or maximised one keeps the
// compositor's.
void wayland_frame_resized(display_window *w) {
    if (!w->configured || !libdecor_frame_is_floating(w->decor_frame)) return;
    commit_size(w, int(w->client.right - w->client.left), int(w->client.bottom - w->client.top),
                nullptr);
}

void wayland_frames_dispatch(void) {
    wayland_state &s = wayland();
    if (s.decor != nullptr && libdecor_dispatch(s.decor, 0) < 0) wayland_connection_failed();
}

void wayland_frames_release(void) {
    wayland_state &s = wayland();
    if (s.decor != nullptr) libdecor_unref(s.decor);
    s.decor = nullptr;
}
