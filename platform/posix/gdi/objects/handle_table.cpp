// The GDI handle table: handles are slot numbers with a generation, so a stale or made-up
// handle is recognised instead of followed. Creation and deletion take one small mutex;
// lookups and selection counts take none and are inline (handle_lookup.h).
#include "platform/posix/gdi/gdi_internal.h"

#include <atomic>
#include <mutex>
#include <vector>

gdi_handle_slot gdi_handle_slots[GDI_SLOT_COUNT];

namespace {

std::mutex table_lock;
uint32_t first_free = 0; // 0: none; slot 0 is never used
uint32_t slots_used = 1;

// Takes a free slot number: a released one first, else the next never used; 0 when full.
uint32_t gdi_slot_take() {
    if (first_free) {
        uint32_t index = first_free;
        first_free = gdi_handle_slots[index].next_free;
        return index;
    }
    if (slots_used > GDI_SLOT_MASK) return 0;
    return slots_used++;
}

HGDIOBJ gdi_make_handle(uint32_t index, uint32_t generation) {
    uintptr_t value =
        GDI_HANDLE_TAG | ((generation & GDI_GENERATION_MASK) << GDI_SLOT_BITS) | index;
    return reinterpret_cast<HGDIOBJ>(value);
}

// Empties a slot under a new generation, so that no handle given out before stays valid.
void gdi_slot_retire(gdi_handle_slot *slot) {
    slot->object.store(nullptr, std::memory_order_release);
    uint32_t generation = slot->generation.load(std::memory_order_relaxed);
    slot->generation.store((generation + 1) & GDI_GENERATION_MASK, std::memory_order_release);
}

// Unpublishes a slot; the caller holds table_lock and frees the record afterwards.
void gdi_slot_release(gdi_object *object) {
    gdi_handle_slot *slot = gdi_slot_of(object->handle);
    if (!slot) return;
    uint32_t index = (uint32_t) reinterpret_cast<uintptr_t>(object->handle) & GDI_SLOT_MASK;
    gdi_slot_retire(slot);
    slot->next_free = first_free;
    first_free = index;
}

} // namespace

HGDIOBJ gdi_handle_alloc(gdi_object *object) {
    std::lock_guard<std::mutex> hold(table_lock);
    uint32_t index = gdi_slot_take();
    if (!index) return nullptr;
    gdi_handle_slot *slot = &gdi_handle_slots[index];
    object->handle = gdi_make_handle(index, slot->generation.load(std::memory_order_relaxed));
    slot->object.store(object, std::memory_order_release);
    return object->handle;
}

void gdi_free_deselected(gdi_object *object) {
    {
        std::lock_guard<std::mutex> hold(table_lock);
        gdi_slot_release(object);
    }
    gdi_object_destroy(object);
}

bool gdi_handle_delete(HGDIOBJ handle) {
    gdi_object *object;
    {
        std::lock_guard<std::mutex> hold(table_lock);
        object = gdi_handle_get(handle, GDI_OBJ_NONE);
        if (!object || object->type == GDI_OBJ_DC) return false;
        if (object->stock) return true;
        uint32_t seen = object->selection.value.load(std::memory_order_relaxed), next;
        do {
            // Deleting a selected object must not free what a DC still draws with: the record
            // stays until its last deselection (DeleteObject reports success, as Win32 does).
            next = (seen & GDI_SELECT_COUNT) ? seen | GDI_DELETE_PENDING : GDI_DELETED;
        } while (!object->selection.value.compare_exchange_weak(
            seen, next, std::memory_order_acq_rel, std::memory_order_relaxed));
        // Still selected: the last deselection frees it, perhaps already, so hands off now.
        if (next != GDI_DELETED) return true;
        gdi_slot_release(object);
    }
    gdi_object_destroy(object);
    return true;
}

void gdi_handle_free_dc(gdi_object *dc) {
    {
        std::lock_guard<std::mutex> hold(table_lock);
        gdi_slot_release(dc);
    }
    gdi_object_destroy(dc);
}

void gdi_release_all_objects(void) {
    std::vector<gdi_object *> objects;
    {
        std::lock_guard<std::mutex> hold(table_lock);
        for (uint32_t i = 1; i < slots_used; i++) {
            gdi_handle_slot *slot = &gdi_handle_slots[i];
            gdi_object *object = slot->object.load(std::memory_order_relaxed);
            if (!object) continue;
            objects.push_back(object);
            gdi_slot_retire(slot);
        }
        first_free = 0;
        slots_used = 1;
    }
    // Records hold no pointers to one another (a DC names its selections by record, but
    // freeing a DC touches none of them), so any order will do. The stock bitmap is static.
    gdi_object *static_bitmap = &gdi_stock_bitmap()->header;
    for (gdi_object *object : objects)
        if (object != static_bitmap) gdi_object_destroy(object);
}
