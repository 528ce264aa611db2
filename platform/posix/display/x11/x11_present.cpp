// Presenting a window's pixels: XShmPutImage through a shared segment when the server offers
// MIT-SHM, XPutImage straight from the surface otherwise.
#include "platform/posix/display/x11/x11_internal.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <string.h>

namespace {

void free_segment(XShmSegmentInfo *shm) {
    if (shm->shmaddr != nullptr && shm->shmaddr != reinterpret_cast<char *>(-1)) {
        shmdt(shm->shmaddr);
    }
    shm->shmaddr = nullptr;
}

// A staging image the size of the surface; false (and MIT-SHM off for good) when the server
// cannot attach the segment, e.g. over the network.
bool make_shm_image(display_window *w, int width, int height) {
    x11_state &s = x11();
    XImage *image =
        XShmCreateImage(s.display, s.visual, s.depth, ZPixmap, nullptr, &w->shm, width, height);
    if (image == nullptr) return false;
    w->shm.shmid = shmget(IPC_PRIVATE, size_t(image->bytes_per_line) * height, IPC_CREAT | 0600);
    w->shm.shmaddr =
        w->shm.shmid >= 0 ? static_cast<char *>(shmat(w->shm.shmid, nullptr, 0)) : nullptr;
    bool attached = false;
    if (w->shm.shmaddr != nullptr && w->shm.shmaddr != reinterpret_cast<char *>(-1)) {
        image->data = w->shm.shmaddr;
        w->shm.readOnly = False;
        int errors = s.x_errors;
        attached = XShmAttach(s.display, &w->shm) && x11_errors_since(errors) == 0;
    }
    // Marked for removal now: it goes away with the last detach, even if the process dies.
    if (w->shm.shmid >= 0) shmctl(w->shm.shmid, IPC_RMID, nullptr);
    if (!attached) {
        free_segment(&w->shm);
        image->data = nullptr;
        XDestroyImage(image);
        s.shm_offered = false;
        return false;
    }
    w->shm_image = image;
    w->shm_width = width;
    w->shm_height = height;
    return true;
}

bool present_shm(display_window *w, const uint32_t *pixels, int width, int height, int stride,
                 const RECT &r) {
    if (w->shm_image == nullptr || w->shm_width != width || w->shm_height != height) {
        x11_release_shm(w);
        if (!make_shm_image(w, width, height)) return false;
    }
    XImage *image = w->shm_image;
    for (int y = r.top; y < r.bottom; ++y) {
        memcpy(image->data + size_t(y) * image->bytes_per_line + size_t(r.left) * 4,
               pixels + size_t(y) * stride + r.left, size_t(r.right - r.left) * 4);
    }
    x11_state &s = x11();
    XShmPutImage(s.display, w->xid, s.gc, image, r.left, r.top, r.left, r.top, r.right - r.left,
                 r.bottom - r.top, False);
    // The segment is written again by the next present: wait until the server has read it.
    XSync(s.display, False);
    return true;
}

void present_plain(display_window *w, const uint32_t *pixels, int width, int height, int stride,
                   const RECT &r) {
    x11_state &s = x11();
    // The image only borrows the surface's rows for the copy.
    XImage *image = XCreateImage(s.display, s.visual, s.depth, ZPixmap, 0,
                                 reinterpret_cast<char *>(const_cast<uint32_t *>(pixels)), width,
                                 height, 32, stride * 4);
    if (image == nullptr) return;
    XPutImage(s.display, w->xid, s.gc, image, r.left, r.top, r.left, r.top, r.right - r.left,
              r.bottom - r.top);
    image->data = nullptr;
    XDestroyImage(image);
    XFlush(s.display);
}

} // namespace

// Without a connection (lost, or closed at shutdown) only our side is freed.
void x11_release_shm(display_window *w) {
    if (w->shm_image == nullptr) return;
    x11_state &s = x11();
    if (x11_on_gui_thread()) {
        XShmDetach(s.display, &w->shm);
        XSync(s.display, False); // the server lets go of the segment before we do
    }
    free_segment(&w->shm);
    w->shm_image->data = nullptr;
    XDestroyImage(w->shm_image);
    w->shm_image = nullptr;
}

void x11_present(display_window *w, const uint32_t *pixels, int width, int height, int stride,
                 const RECT *rect) {
    if (w->xid == 0 || !x11_on_gui_thread() || pixels == nullptr) return;
    if (w->show == DISPLAY_HIDDEN || w->show == DISPLAY_MINIMIZED) return;
    RECT r{std::max(0, int(rect->left)), std::max(0, int(rect->top)),
           std::min(int(rect->right), width), std::min(int(rect->bottom), height)};
    if (r.left >= r.right || r.top >= r.bottom) return;
    if (x11().shm_offered && present_shm(w, pixels, width, height, stride, r)) return;
    present_plain(w, pixels, width, height, stride, r);
}
