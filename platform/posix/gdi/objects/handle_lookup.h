// The hot half of the handle table, inline: turning a handle into its record and counting
// selections in and out. Every drawing call does both several times, so they stay out of
// function calls; creation and deletion live in handle_table.cpp.
#ifndef ZELVAN_GDI_HANDLE_LOOKUP_H
#define ZELVAN_GDI_HANDLE_LOOKUP_H

#include "platform/posix/gdi/objects/gdi_object.h"

#include <atomic>
#include <stdint.h>

// A handle is 0x40000000 | generation << 16 | slot: never a small integer, so it cannot be
// mistaken for a system colour index, and it fits in 32 bits like a Win32 handle. A process
// holds at most 65,535 objects at once (Win32 allows 10,000 by default).
constexpr uintptr_t GDI_HANDLE_TAG = 0x40000000u;
constexpr int GDI_SLOT_BITS = 16;
constexpr uint32_t GDI_SLOT_MASK = (1u << GDI_SLOT_BITS) - 1;
constexpr uint32_t GDI_GENERATION_MASK = 0x3FFFu;
constexpr uint32_t GDI_SLOT_COUNT = 1u << GDI_SLOT_BITS;

struct gdi_handle_slot {
    std::atomic<gdi_object *> object;
    std::atomic<uint32_t> generation;
    uint32_t next_free; // guarded by the table's mutex
};

// Every slot, in one zero-initialised static array (handle_table.cpp): a lookup is then one
// load less than through a table of chunks, and the pages of slots never used are never
// touched, so they take no memory.
extern gdi_handle_slot gdi_handle_slots[GDI_SLOT_COUNT];

// The slot behind a handle value if the tag and generation match.
inline gdi_handle_slot *gdi_slot_of(HGDIOBJ handle) {
    uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    if ((value & ~(uintptr_t)0x3FFFFFFFu) != GDI_HANDLE_TAG) return nullptr;
    uint32_t index = (uint32_t)value & GDI_SLOT_MASK;
    uint32_t generation = ((uint32_t)value >> GDI_SLOT_BITS) & GDI_GENERATION_MASK;
    gdi_handle_slot *slot = &gdi_handle_slots[index];
    // Slot 0 never holds an object, so a handle naming it finds none: no index test.
    if (slot->generation.load(std::memory_order_acquire) != generation) return nullptr;
    return slot;
}

// The record behind `handle` if it is live and of `type` (GDI_OBJ_NONE: any type).
inline gdi_object *gdi_handle_get(HGDIOBJ handle, gdi_object_type type) {
    gdi_handle_slot *slot = gdi_slot_of(handle);
    if (!slot) return nullptr;
    gdi_object *object = slot->object.load(std::memory_order_acquire);
    if (!object || (type != GDI_OBJ_NONE && object->type != type)) return nullptr;
    return object;
}

// Counts one selection in. A bitmap lives in one DC at a time, as on Win32 (the stock bitmap
// in any number), so it refuses a second one; nothing can be selected once it is deleted.
inline bool gdi_count_in(gdi_object *object) {
    if (object->stock) return true;
    // Guess the common case, an object selected nowhere, so that the exchange needs no
    // separate read first; a wrong guess hands back the real value.
    uint32_t seen = 0;
    for (;;) {
        // Acquire is enough: a selection hands nothing to other threads, it only has to
        // come before this DC's use of the object.
        if (object->selection.value.compare_exchange_weak(seen, seen + 1, std::memory_order_acquire,
                                                          std::memory_order_relaxed))
            return true;
        // Deleted, or deleted while selected: either way gone for new selections. A record
        // whose count has just fallen to zero under GDI_DELETE_PENDING is being freed.
        if (seen & (GDI_DELETED | GDI_DELETE_PENDING)) return false;
        if (object->type == GDI_OBJ_BITMAP && (seen & GDI_SELECT_COUNT) != 0) return false;
    }
}

// Frees an object whose last deselection came after DeleteObject (handle_table.cpp).
void gdi_free_deselected(gdi_object *object);

// Counts one selection out, and frees an object that DeleteObject left for its last
// deselection: only the thread that brings the count to zero sees exactly that value.
inline void gdi_count_out(gdi_object *object) {
    if (!object || object->stock) return;
    // Release orders this DC's drawing before a free by another thread; acquire, because
    // this thread may be the one that frees.
    uint32_t left = object->selection.value.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == GDI_DELETE_PENDING) gdi_free_deselected(object);
}

// Selects `next` unless it is a bitmap already selected elsewhere; false then.
inline bool gdi_handle_select_bitmap(gdi_object *previous, gdi_object *next) {
    if (!gdi_count_in(next)) return false;
    gdi_count_out(previous);
    return true;
}

#endif
