// The handle table behind CloseHandle and every call that takes a kernel handle.
#include "platform/posix/kernel/kernel_objects.h"

#include <mutex>
#include <vector>

namespace {

struct handle_table {
    std::mutex lock;
    std::vector<kernel_object *> slots;
};

// Kept through process exit, when handles may still be closed; freed only at unload.
handle_table *&table_pointer() {
    static handle_table *instance = new handle_table;
    return instance;
}

handle_table &table() {
    return *table_pointer();
}

// Handle values are multiples of 4 starting at 4, as Win32's are; 0 and -1 never name an object.
uintptr_t slot_of(HANDLE handle) {
    return reinterpret_cast<uintptr_t>(handle) / 4 - 1;
}

bool is_plausible(HANDLE handle) {
    uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && value % 4 == 0;
}

} // namespace

HANDLE kernel_handle_insert(kernel_object *object) {
    handle_table &t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    size_t slot = 0;
    while (slot < t.slots.size() && t.slots[slot] != nullptr) ++slot;
    if (slot == t.slots.size()) t.slots.push_back(nullptr);
    t.slots[slot] = object;
    return reinterpret_cast<HANDLE>((slot + 1) * 4);
}

kernel_object *kernel_handle_lookup(HANDLE handle, kernel_object_kind kind) {
    if (is_plausible(handle)) {
        handle_table &t = table();
        std::lock_guard<std::mutex> guard(t.lock);
        uintptr_t slot = slot_of(handle);
        if (slot < t.slots.size() && t.slots[slot] != nullptr && t.slots[slot]->kind == kind) {
            t.slots[slot]->refs.fetch_add(1);
            return t.slots[slot];
        }
    }
    SetLastError(KERNEL_ERROR_INVALID_HANDLE);
    return nullptr;
}

void kernel_object_release(kernel_object *object) {
    if (object->refs.fetch_sub(1) == 1) object->destroy(object);
}

// Removes the handle from the table and drops the reference it held.
static kernel_object *take_handle(HANDLE handle) {
    if (!is_plausible(handle)) return nullptr;
    handle_table &t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    uintptr_t slot = slot_of(handle);
    if (slot >= t.slots.size()) return nullptr;
    kernel_object *object = t.slots[slot];
    t.slots[slot] = nullptr;
    return object;
}

// Thread objects detach their thread when the last handle goes; files close their descriptor.
void kernel_thread_handle_closed(kernel_object *object);

BOOL WINAPI CloseHandle(HANDLE handle) {
    kernel_object *object = take_handle(handle);
    if (object == nullptr) {
        SetLastError(KERNEL_ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (object->kind == KERNEL_OBJECT_THREAD) kernel_thread_handle_closed(object);
    kernel_object_release(object);
    return TRUE;
}

void kernel_release_handles(void) {
    handle_table *t = table_pointer();
    for (kernel_object *object : t->slots)
        if (object) kernel_object_release(object);
    delete t;
    table_pointer() = nullptr;
}
