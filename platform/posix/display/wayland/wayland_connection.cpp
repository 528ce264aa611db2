// The Wayland driver: the connection, the compositor's globals, the GUI thread, loss and
// release, and the driver table.
#include "platform/posix/display/display_guard.h"
#include "platform/posix/display/wayland/wayland_internal.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/epoll.h>
#include <unistd.h>

#include <algorithm>

namespace {

wayland_state *state_record = nullptr; // made by the first open, freed by the release at unload

// The versions this driver speaks: what it needs and no more, so that newer compositors
// send nothing it does not know.
const uint32_t k_compositor_version = 4; // damage_buffer
const uint32_t k_wm_base_version = 1;
const uint32_t k_data_manager_version = 3;

uint32_t at_most(uint32_t offered, uint32_t wanted) {
    return std::min(offered, wanted);
}

void on_ping(void *, xdg_wm_base *base, uint32_t serial) {
    xdg_wm_base_pong(base, serial);
}

const xdg_wm_base_listener k_wm_base_listener = {on_ping};

void on_global(void *, wl_registry *registry, uint32_t name, const char *interface,
               uint32_t version) {
    wayland_state &s = wayland();
    if (strcmp(interface, wl_compositor_interface.name) == 0 && version >= 4) {
        s.compositor = static_cast<wl_compositor *>(
            wl_registry_bind(registry, name, &wl_compositor_interface, k_compositor_version));
    } else if (strcmp(interface, wl_shm_interface.name) == 0) {
        s.shm = static_cast<wl_shm *>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (strcmp(interface, xdg_wm_base_interface.name) == 0) {
        s.wm_base = static_cast<xdg_wm_base *>(
            wl_registry_bind(registry, name, &xdg_wm_base_interface, k_wm_base_version));
        xdg_wm_base_add_listener(s.wm_base, &k_wm_base_listener, nullptr);
    } else if (strcmp(interface, zxdg_decoration_manager_v1_interface.name) == 0) {
        s.decorations = static_cast<zxdg_decoration_manager_v1 *>(
            wl_registry_bind(registry, name, &zxdg_decoration_manager_v1_interface, 1));
    } else if (strcmp(interface, wl_data_device_manager_interface.name) == 0) {
        s.data_manager = static_cast<wl_data_device_manager *>(
            wl_registry_bind(registry, name, &wl_data_device_manager_interface,
                             at_most(version, k_data_manager_version)));
    } else if (strcmp(interface, wl_seat_interface.name) == 0) {
        wayland_seat_added(name, version);
    } else if (strcmp(interface, wl_output_interface.name) == 0) {
        wayland_output_added(name, version);
    }
}

void on_global_remove(void *, wl_registry *, uint32_t name) {
    wayland_output_removed(name);
}

const wl_registry_listener k_registry_listener = {on_global, on_global_remove};

// Without WAYLAND_DISPLAY nobody expects a compositor, unless the user named this display.
bool compositor_expected(void) {
    const char *chosen = getenv("ZELVAN_DISPLAY");
    if (chosen != nullptr && strcmp(chosen, "wayland") == 0) return true;
    const char *name = getenv("WAYLAND_DISPLAY");
    const char *socket = getenv("WAYLAND_SOCKET");
    return (name != nullptr && name[0] != '\0') || (socket != nullptr && socket[0] != '\0');
}

void close_connection(wayland_state &s) {
    if (s.display == nullptr) return;
    wayland_frames_release();
    wayland_input_stop();
    wayland_clipboard_stop();
    for (wayland_output *o : s.outputs) {
        wl_output_destroy(o->proxy);
        delete o;
    }
    s.outputs.clear();
    if (s.decorations != nullptr) zxdg_decoration_manager_v1_destroy(s.decorations);
    if (s.wm_base != nullptr) xdg_wm_base_destroy(s.wm_base);
    if (s.data_manager != nullptr) wl_data_device_manager_destroy(s.data_manager);
    if (s.seat != nullptr) wl_seat_destroy(s.seat);
    if (s.shm != nullptr) wl_shm_destroy(s.shm);
    if (s.compositor != nullptr) wl_compositor_destroy(s.compositor);
    if (s.registry != nullptr) wl_registry_destroy(s.registry);
    if (s.frame_queue != nullptr) wl_event_queue_destroy(s.frame_queue);
    wl_display_disconnect(s.display);
    if (s.wake_fd >= 0) close(s.wake_fd);
    s.wake_fd = -1;
    s.display = nullptr;
}

bool wayland_open(const display_sink *sink) {
    if (!compositor_expected()) return false;
    wl_display *display = wl_display_connect(nullptr);
    if (display == nullptr) {
        const char *name = getenv("WAYLAND_DISPLAY");
        fprintf(stderr, "zelvan: no Wayland compositor answers at WAYLAND_DISPLAY=%s\n",
                name != nullptr ? name : "");
        return false;
    }
    if (state_record == nullptr) state_record = new wayland_state();
    wayland_state &s = *state_record;
    s.display = display;
    s.sink = *sink;
    s.wake_fd = -1;
    s.screen_scale = 1;
    s.registry = wl_display_get_registry(display);
    wl_registry_add_listener(s.registry, &k_registry_listener, nullptr);
    // The globals, then what binding them sent (the outputs' modes and scales, the seat).
    bool answered = wl_display_roundtrip(display) >= 0 && wl_display_roundtrip(display) >= 0;
    s.frame_queue = wl_display_create_queue(display);
    s.wake_fd = epoll_create1(EPOLL_CLOEXEC);
    if (!answered || s.compositor == nullptr || s.shm == nullptr || s.wm_base == nullptr ||
        s.frame_queue == nullptr || s.wake_fd < 0) {
        fprintf(stderr, "zelvan: the Wayland compositor lacks wl_compositor 4, wl_shm or "
                        "xdg_wm_base; windows stay off screen\n");
        close_connection(s);
        return false;
    }
    s.frames_by_client = s.decorations == nullptr;
    epoll_event watch{};
    watch.events = EPOLLIN;
    epoll_ctl(s.wake_fd, EPOLL_CTL_ADD, wl_display_get_fd(display), &watch);
    if (wayland_repeat_fd() >= 0) epoll_ctl(s.wake_fd, EPOLL_CTL_ADD, wayland_repeat_fd(), &watch);
    s.opened.store(true, std::memory_order_release);
    return true;
}

// At unload no window is left and no thread calls the driver any more.
void wayland_release(void) {
    if (state_record == nullptr) return;
    close_connection(*state_record);
    wayland_clipboard_release();
    wayland_keyboard_release();
    delete state_record;
    state_record = nullptr;
}

// The compositor draws its frame outside the surface: a window is all client area to us.
bool wayland_frame_extents(RECT *extents) {
    *extents = RECT{0, 0, 0, 0};
    return true;
}

} // namespace

wayland_state &wayland(void) {
    return *state_record;
}

bool wayland_claim_gui_thread(void) {
    wayland_state &s = wayland();
    if (!s.gui_known.load(std::memory_order_acquire)) {
        // Only the first thread that shows a window gets here before gui_known is set.
        static pthread_mutex_t claim = PTHREAD_MUTEX_INITIALIZER;
        pthread_mutex_lock(&claim);
        if (!s.gui_known.load()) {
            s.gui_thread = pthread_self();
            s.gui_known.store(true, std::memory_order_release);
        }
        pthread_mutex_unlock(&claim);
    }
    return wayland_on_gui_thread();
}

bool wayland_on_gui_thread(void) {
    wayland_state &s = wayland();
    return s.gui_known.load(std::memory_order_acquire) && !s.lost.load() &&
           pthread_equal(s.gui_thread, pthread_self());
}

void wayland_report(const display_event &event) {
    wayland().reports.push_back(event);
}

void wayland_connection_failed(void) {
    wayland_state &s = wayland();
    if (s.lost.exchange(true)) return;
    int code = wl_display_get_error(s.display);
    if (code != 0 && code != EPIPE && code != ECONNRESET) {
        fprintf(stderr, "zelvan: the Wayland connection failed: %s\n", strerror(code));
    }
}

display_window *wayland_window_of(wl_surface *surface) {
    if (surface == nullptr) return nullptr;
    for (display_window *w : wayland().windows) {
        if (w->surface == surface) return w;
    }
    return nullptr;
}

extern const display_driver display_wayland_driver = {
    "wayland",
    DISPLAY_GUARDED(wayland_open),
    DISPLAY_GUARDED(wayland_create),
    DISPLAY_GUARDED(wayland_destroy),
    DISPLAY_GUARDED(wayland_move_resize),
    DISPLAY_GUARDED(wayland_show),
    DISPLAY_GUARDED(wayland_raise),
    DISPLAY_GUARDED(wayland_set_title),
    DISPLAY_GUARDED(wayland_present),
    DISPLAY_GUARDED(wayland_pump_events),
    DISPLAY_GUARDED(wayland_cursor_pos),
    DISPLAY_GUARDED(wayland_screen_size),
    DISPLAY_GUARDED(wayland_clipboard_export),
    DISPLAY_GUARDED(wayland_clipboard_export_png),
    DISPLAY_GUARDED(wayland_event_fd),
    DISPLAY_GUARDED(wayland_frame_extents),
    DISPLAY_GUARDED(wayland_release),
    DISPLAY_GUARDED(wayland_set_placement),
    DISPLAY_GUARDED(wayland_screen_dpi),
    DISPLAY_GUARDED(wayland_set_cursor),
    nullptr, // no protocol of this compositor generation carries a window's icon
};
