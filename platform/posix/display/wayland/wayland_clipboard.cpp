// The clipboard's picture offered to other programs as image/png and image/bmp. The picture is
// kept as it was given and converted only for a program that asks, on a thread of its own per
// request that writes it down the pipe the reader gave: a slow reader holds up no window.
#include "platform/posix/display/picture/picture_handover.h"
#include "platform/posix/display/wayland/wayland_internal.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <string.h>
#include <unistd.h>

#include <atomic>
#include <list>
#include <thread>

namespace {

struct transfer {
    std::thread thread;
    std::atomic<bool> finished{false};
};

struct clipboard_state {
    picture_handover handover; // from the thread that set the clipboard
    // The GUI thread's.
    wl_data_source *source = nullptr;
    wl_data_offer *foreign_offer = nullptr; // another program's offer, never read
    shared_picture picture;
    shared_picture png; // the PNG file given with it; null when there is none
    std::list<transfer> transfers;
    std::atomic<bool> stopping{false}; // unload: transfers give up
};

// Kept through process exit, like the connection; freed by the driver's release at unload.
clipboard_state *&clip_pointer() {
    static clipboard_state *state = new clipboard_state();
    return state;
}

clipboard_state &clip() {
    return *clip_pointer();
}

const char k_png[] = "image/png";
const char k_bmp[] = "image/bmp";

// Writes all of `data`, waiting for a slow reader; false when the reader went or the library
// is unloading.
bool write_all(int fd, const unsigned char *data, size_t size) {
    while (size > 0) {
        if (clip().stopping.load()) return false;
        ssize_t wrote = write(fd, data, size);
        if (wrote > 0) {
            data += wrote;
            size -= size_t(wrote);
            continue;
        }
        if (wrote < 0 && errno != EAGAIN && errno != EINTR) return false;
        pollfd p{fd, POLLOUT, 0};
        poll(&p, 1, 100);
    }
    return true;
}

// One request: the form converted a band at a time and written as the reader takes it. A
// conversion that fails part way ends the file early, which the reader can tell.
void serve(int fd, shared_picture picture, picture_form form, std::atomic<bool> *finished) {
    picture_stream *stream = picture_stream_open(picture, form);
    std::vector<unsigned char> band;
    while (stream != nullptr) {
        band.clear();
        bool filled = picture_stream_fill(stream, &band, 1 << 16);
        if (!filled || !write_all(fd, band.data(), band.size())) break;
        if (picture_stream_done(stream)) break;
    }
    picture_stream_close(stream);
    close(fd);
    finished->store(true);
}

void join_finished(void) {
    auto &transfers = clip().transfers;
    for (auto it = transfers.begin(); it != transfers.end();) {
        if (!it->finished.load()) {
            ++it;
            continue;
        }
        it->thread.join();
        it = transfers.erase(it);
    }
}

void start_transfer(const char *mime, int fd) {
    clipboard_state &c = clip();
    join_finished();
    bool png = strcmp(mime, k_png) == 0;
    bool file = png && c.png;
    shared_picture item = file ? c.png : c.picture;
    picture_form form = file ? PICTURE_FILE : png ? PICTURE_PNG : PICTURE_BMP;
    if (!item || (!png && strcmp(mime, k_bmp) != 0)) {
        close(fd);
        return;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    try {
        c.transfers.emplace_back();
        transfer &t = c.transfers.back();
        t.thread = std::thread(serve, fd, item, form, &t.finished);
    } catch (...) { // no thread: the request is refused
        if (!c.transfers.empty() && !c.transfers.back().thread.joinable()) c.transfers.pop_back();
        close(fd);
    }
}

void on_target(void *, wl_data_source *, const char *) {}

void on_send(void *, wl_data_source *source, const char *mime, int32_t fd) {
    if (source != clip().source) {
        close(fd);
        return;
    }
    start_transfer(mime, fd);
}

// Another program took the clipboard.
void on_cancelled(void *, wl_data_source *source) {
    clipboard_state &c = clip();
    if (source == c.source) {
        c.source = nullptr;
        c.picture.reset();
        c.png.reset();
    }
    wl_data_source_destroy(source);
}

void on_dnd_drop_performed(void *, wl_data_source *) {}
void on_dnd_finished(void *, wl_data_source *) {}
void on_action(void *, wl_data_source *, uint32_t) {}

const wl_data_source_listener k_source_listener = {
    on_target, on_send, on_cancelled, on_dnd_drop_performed, on_dnd_finished, on_action,
};

// Offers of other programs arrive whether or not anybody reads them: each is let go when the
// next comes.
void on_data_offer(void *, wl_data_device *, wl_data_offer *offer) {
    clipboard_state &c = clip();
    if (c.foreign_offer != nullptr) wl_data_offer_destroy(c.foreign_offer);
    c.foreign_offer = offer;
}

void on_enter(void *, wl_data_device *, uint32_t, wl_surface *, wl_fixed_t, wl_fixed_t,
              wl_data_offer *) {}
void on_leave(void *, wl_data_device *) {}
void on_motion(void *, wl_data_device *, uint32_t, wl_fixed_t, wl_fixed_t) {}
void on_drop(void *, wl_data_device *) {}
void on_selection(void *, wl_data_device *, wl_data_offer *) {}

const wl_data_device_listener k_device_listener = {on_data_offer, on_enter, on_leave,
                                                   on_motion,     on_drop,  on_selection};

wl_data_device *data_device(void) {
    wayland_state &s = wayland();
    if (s.data_device == nullptr && s.data_manager != nullptr && s.seat != nullptr) {
        s.data_device = wl_data_device_manager_get_data_device(s.data_manager, s.seat);
        wl_data_device_add_listener(s.data_device, &k_device_listener, nullptr);
    }
    return s.data_device;
}

// An empty item, or one that is no readable DIB, leaves the clipboard empty: the picture it
// replaces is not offered any more. Nothing is converted until a program asks.
void offer(const shared_picture &dib) {
    clipboard_state &c = clip();
    wayland_state &s = wayland();
    wl_data_device *device = data_device();
    if (device == nullptr) return; // the compositor has no clipboard
    if (c.source != nullptr) wl_data_source_destroy(c.source);
    c.source = nullptr;
    c.picture.reset();
    c.png.reset();
    bool bmp = false, png = false;
    if (!dib || !picture_forms(*dib, &bmp, &png)) {
        wl_data_device_set_selection(device, nullptr, s.input_serial);
        return;
    }
    c.source = wl_data_device_manager_create_data_source(s.data_manager);
    wl_data_source_add_listener(c.source, &k_source_listener, nullptr);
    if (png) wl_data_source_offer(c.source, k_png);
    if (bmp) wl_data_source_offer(c.source, k_bmp);
    wl_data_device_set_selection(device, c.source, s.input_serial);
    c.picture = dib;
}

// Hands a copy of the item to the GUI thread; false when no copy could be kept.
bool hand_over(const void *item, size_t bytes, bool png) {
    if (!wayland().opened.load(std::memory_order_acquire)) return true;
    if (!picture_handover_give(clip().handover, item, bytes, png)) return false;
    if (wayland_on_gui_thread()) {
        wayland_clipboard_take_pending();
        wayland_flush();
    } else {
        wayland().sink.wake(); // the GUI thread offers it in its next pump
    }
    return true;
}

} // namespace

bool wayland_clipboard_export(const void *dib, size_t bytes) {
    return hand_over(dib, bytes, false);
}

bool wayland_clipboard_export_png(const void *png, size_t bytes) {
    return hand_over(png, bytes, true);
}

void wayland_clipboard_take_pending(void) {
    clipboard_state &c = clip();
    shared_picture dib, png;
    bool new_picture, new_png;
    picture_handover_take(c.handover, &dib, &new_picture, &png, &new_png);
    if (new_picture) offer(dib);
    // A PNG serves image/png as it is; one given to a picture that offered no PNG form
    // (none could be made) cannot be added to the offer made, and waits for the next.
    if (new_png && c.picture) c.png = png && !png->empty() ? png : nullptr;
}

void wayland_clipboard_stop(void) {
    clipboard_state &c = clip();
    wayland_state &s = wayland();
    if (c.source != nullptr) wl_data_source_destroy(c.source);
    if (c.foreign_offer != nullptr) wl_data_offer_destroy(c.foreign_offer);
    if (s.data_device != nullptr) wl_data_device_destroy(s.data_device);
    c.source = nullptr;
    c.foreign_offer = nullptr;
    s.data_device = nullptr;
    c.picture.reset();
    c.png.reset();
}

// Transfers still writing give up within a tenth of a second.
void wayland_clipboard_release(void) {
    clipboard_state &c = clip();
    c.stopping = true;
    for (transfer &t : c.transfers) t.thread.join();
    delete clip_pointer();
    clip_pointer() = nullptr;
}
