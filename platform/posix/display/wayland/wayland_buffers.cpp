// The wl_shm buffers a window's pictures go through: shared memory the compositor reads, a
// few per window so that one can be written while the compositor holds another.
#include "platform/posix/display/wayland/wayland_internal.h"

#include <sys/mman.h>
#include <unistd.h>

namespace {

void on_release(void *data, wl_buffer *) {
    static_cast<wayland_buffer *>(data)->busy = false;
}

const wl_buffer_listener k_buffer_listener = {on_release};

void drop(wayland_buffer *b) {
    if (b->proxy != nullptr) wl_buffer_destroy(b->proxy);
    if (b->pixels != nullptr) munmap(b->pixels, b->bytes);
    *b = wayland_buffer{};
}

// XRGB8888 in memory is B, G, R, X: the surfaces' own layout, so rows copy as they are.
bool make(wayland_buffer *b, int width, int height) {
    wayland_state &s = wayland();
    size_t stride = size_t(width) * 4;
    size_t bytes = stride * size_t(height);
    if (bytes > size_t(INT32_MAX)) return false; // a pool's size is a 32-bit int
    int fd = memfd_create("zelvan-buffer", MFD_CLOEXEC);
    if (fd < 0) return false;
    void *pixels = MAP_FAILED;
    if (ftruncate(fd, off_t(bytes)) == 0) {
        pixels = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    }
    if (pixels == MAP_FAILED) {
        close(fd);
        return false;
    }
    wl_shm_pool *pool = wl_shm_create_pool(s.shm, fd, int32_t(bytes));
    close(fd); // the compositor has its own reference now
    b->proxy =
        wl_shm_pool_create_buffer(pool, 0, width, height, int32_t(stride), WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool); // the buffer keeps the memory
    // Releases come on the present's own queue, which waits for them.
    wl_proxy_set_queue(reinterpret_cast<wl_proxy *>(b->proxy), s.frame_queue);
    wl_buffer_add_listener(b->proxy, &k_buffer_listener, b);
    b->pixels = static_cast<uint32_t *>(pixels);
    b->bytes = bytes;
    b->width = width;
    b->height = height;
    b->fresh = true;
    return true;
}

} // namespace

// Buffers of another size go once the compositor lets go of them; a free one of this size is
// used, else a new one made in a free slot.
wayland_buffer *wayland_free_buffer(display_window *w, int width, int height) {
    wayland_buffer *chosen = nullptr;
    for (wayland_buffer &b : w->buffers) {
        if (b.proxy != nullptr && !b.busy && (b.width != width || b.height != height)) drop(&b);
        if (chosen == nullptr && b.proxy != nullptr && !b.busy) chosen = &b;
    }
    if (chosen != nullptr) return chosen;
    for (wayland_buffer &b : w->buffers) {
        if (b.proxy == nullptr) return make(&b, width, height) ? &b : nullptr;
    }
    return nullptr;
}

void wayland_drop_buffers(display_window *w) {
    for (wayland_buffer &b : w->buffers) drop(&b);
}
