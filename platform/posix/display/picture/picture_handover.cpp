// The hand-over of the clipboard's picture, under its lock.
#include "platform/posix/display/picture/picture_handover.h"

bool picture_handover_give(picture_handover &h, const void *item, size_t bytes, bool png) {
    try {
        const unsigned char *begin = static_cast<const unsigned char *>(item);
        shared_picture copy = std::make_shared<const std::vector<unsigned char>>(
            begin, begin + (item != nullptr ? bytes : 0));
        std::lock_guard<std::mutex> guard(h.lock);
        if (!png) {
            h.dib = std::move(copy);
            h.has_dib = true;
            copy.reset();
        }
        h.png = std::move(copy);
        h.has_png = true;
    } catch (...) { // no memory for the copy: the clipboard cannot offer the picture
        return false;
    }
    return true;
}

void picture_handover_take(picture_handover &h, shared_picture *dib, bool *new_dib,
                           shared_picture *png, bool *new_png) {
    *new_dib = *new_png = false;
    try {
        std::lock_guard<std::mutex> guard(h.lock);
        *new_dib = h.has_dib;
        *new_png = h.has_png;
        dib->swap(h.dib);
        png->swap(h.png);
        h.has_dib = h.has_png = false;
    } catch (...) { // the lock could not be had: nothing is taken now
    }
}
