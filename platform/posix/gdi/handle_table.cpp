// The GDI handle table: handles are slot numbers with a generation, so a stale or made-up
// handle is recognised instead of followed. Lookups take no lock (an atomic load of the
// slot); creation, deletion and the selection counts take one small mutex.
#include "platform/posix/gdi/gdi_internal.h"

#include <atomic>
#include <mutex>
#include <new>
#include <vector>

namespace {

// A handle is 0x40000000 | generation << 16 | slot: never a small integer, so it cannot be
// mistaken for a system colour index, and it fits in 32 bits like a Win32 handle. A process
// holds at most 65,535 objects at once (Win32 allows 10,000 by default).
constexpr uint32_t handle_tag = 0x40000000u;
constexpr int slot_bits = 16;
constexpr uint32_t slot_mask = (1u << slot_bits) - 1;
constexpr uint32_t generation_mask = 0x3FFFu;
constexpr int chunk_bits = 12;
constexpr uint32_t chunk_size = 1u << chunk_bits;
constexpr uint32_t chunk_count = (1u << slot_bits) / chunk_size;

struct handle_slot {
    std::atomic<gdi_object *> object;
    std::atomic<uint32_t> generation;
    uint32_t next_free; // guarded by table_lock
};

std::mutex table_lock;
std::atomic<handle_slot *> chunks[chunk_count];
uint32_t first_free = 0; // 0: none; slot 0 is never used
uint32_t slots_used = 1;

handle_slot *gdi_slot(uint32_t index) {
    handle_slot *chunk = chunks[index >> chunk_bits].load(std::memory_order_acquire);
    return chunk ? &chunk[index & (chunk_size - 1)] : nullptr;
}

// Takes a free slot number, growing the table by a chunk when needed; 0 when full.
uint32_t gdi_slot_take() {
    if (first_free) {
        uint32_t index = first_free;
        first_free = gdi_slot(index)->next_free;
        return index;
    }
    if (slots_used > slot_mask) return 0;
    uint32_t index = slots_used;
    uint32_t chunk = index >> chunk_bits;
    if (!chunks[chunk].load(std::memory_order_relaxed)) {
        handle_slot *fresh = new (std::nothrow) handle_slot[chunk_size]();
        if (!fresh) return 0;
        chunks[chunk].store(fresh, std::memory_order_release);
    }
    slots_used++;
    return index;
}

HGDIOBJ gdi_make_handle(uint32_t index, uint32_t generation) {
    uintptr_t value = handle_tag | ((generation & generation_mask) << slot_bits) | index;
    return reinterpret_cast<HGDIOBJ>(value);
}

// The slot behind a handle value if the tag and generation match.
handle_slot *gdi_slot_of(HGDIOBJ handle) {
    uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    if ((value & ~(uintptr_t)0x3FFFFFFFu) != handle_tag) return nullptr;
    uint32_t index = (uint32_t)value & slot_mask;
    uint32_t generation = ((uint32_t)value >> slot_bits) & generation_mask;
    handle_slot *slot = index ? gdi_slot(index) : nullptr;
    if (!slot || slot->generation.load(std::memory_order_acquire) != generation) return nullptr;
    return slot;
}

// Unpublishes a slot; the caller holds table_lock and frees the record afterwards.
void gdi_slot_release(gdi_object *object) {
    handle_slot *slot = gdi_slot_of(object->handle);
    if (!slot) return;
    uint32_t index = (uint32_t) reinterpret_cast<uintptr_t>(object->handle) & slot_mask;
    slot->object.store(nullptr, std::memory_order_release);
    slot->generation.store((slot->generation.load(std::memory_order_relaxed) + 1) & generation_mask,
                           std::memory_order_release);
    slot->next_free = first_free;
    first_free = index;
}

// Counts one selection in. A bitmap lives in one DC at a time, as on Win32 (the stock bitmap
// in any number), so it refuses a second one; nothing can be selected once it is deleted.
bool gdi_count_in(gdi_object *object) {
    if (object->stock) return true;
    uint32_t seen = object->selection.value.load(std::memory_order_relaxed);
    for (;;) {
        if (seen & GDI_DELETED) return false;
        if (object->type == GDI_OBJ_BITMAP && (seen & GDI_SELECT_COUNT) != 0) return false;
        if (object->selection.value.compare_exchange_weak(seen, seen + 1, std::memory_order_acq_rel,
                                                          std::memory_order_relaxed))
            return true;
    }
}

// Counts one selection out, and frees an object that DeleteObject left for its last
// deselection: only the thread that brings the count to zero sees exactly that value.
void gdi_count_out(gdi_object *object) {
    if (!object || object->stock) return;
    uint32_t left = object->selection.value.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left != GDI_DELETE_PENDING) return;
    {
        std::lock_guard<std::mutex> hold(table_lock);
        gdi_slot_release(object);
    }
    gdi_object_destroy(object);
}

} // namespace

HGDIOBJ gdi_handle_alloc(gdi_object *object) {
    std::lock_guard<std::mutex> hold(table_lock);
    uint32_t index = gdi_slot_take();
    if (!index) return nullptr;
    handle_slot *slot = gdi_slot(index);
    object->handle = gdi_make_handle(index, slot->generation.load(std::memory_order_relaxed));
    slot->object.store(object, std::memory_order_release);
    return object->handle;
}

gdi_object *gdi_handle_get(HGDIOBJ handle, gdi_object_type type) {
    handle_slot *slot = gdi_slot_of(handle);
    if (!slot) return nullptr;
    gdi_object *object = slot->object.load(std::memory_order_acquire);
    if (!object || (type != GDI_OBJ_NONE && object->type != type)) return nullptr;
    return object;
}

// Selections count with atomics instead of the table lock: every drawing call selects a
// buffer in and out, and a lock here would serialise drawing in different windows.
void gdi_handle_reselect(gdi_object *previous, gdi_object *next) {
    if (next) gdi_count_in(next);
    gdi_count_out(previous);
}

bool gdi_handle_select_bitmap(gdi_object *previous, gdi_object *next) {
    if (!gdi_count_in(next)) return false;
    gdi_count_out(previous);
    return true;
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
        for (std::atomic<handle_slot *> &chunk_pointer : chunks) {
            handle_slot *chunk = chunk_pointer.exchange(nullptr);
            if (!chunk) continue;
            for (uint32_t i = 0; i < chunk_size; i++) {
                gdi_object *object = chunk[i].object.load();
                if (object) objects.push_back(object);
            }
            delete[] chunk;
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
