// The clipboard's picture on its way from the thread that set it to the GUI thread, which alone
// offers it to other programs; shared by the drivers that offer it.
#ifndef ZELVAN_PICTURE_HANDOVER_H
#define ZELVAN_PICTURE_HANDOVER_H

#include "platform/posix/display/picture/picture_streams.h"

#include <mutex>

struct picture_handover {
    std::mutex lock;
    shared_picture dib; // given since the GUI thread last took it, when has_dib
    bool has_dib = false;
    shared_picture png; // a PNG file of the picture, when has_png (null: none)
    bool has_png = false;
};

// Keeps a copy of the item: a DIB replaces the picture and any PNG given with it, a PNG joins
// the picture last given. False when no copy could be kept. Throws nothing.
bool picture_handover_give(picture_handover &h, const void *item, size_t bytes, bool png);

// Takes what was given since the last take: `*new_dib` and `*new_png` say what came.
// Throws nothing.
void picture_handover_take(picture_handover &h, shared_picture *dib, bool *new_dib,
                           shared_picture *png, bool *new_png);

#endif
