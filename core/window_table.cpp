// The window table and the reference protocol.
#include "core/window_table.h"

#include "core/heap.h"
#include "core/result_codes.h"
#include "core/startup/library_state.h"

namespace {

window_record **g_table;
// Never deleted: a lookup may still take it after unloading has freed the table, and then
// learns under it that the library is gone.
SRWLOCK g_table_lock = SRWLOCK_INIT;

} // namespace

bool window_table_create() {
    void *block =
        HeapAlloc(g_process_heap, HEAP_ZERO_MEMORY, sizeof(window_record *) * WINDOW_TABLE_SIZE);
    g_table = static_cast<window_record **>(block);
    return g_table != nullptr;
}

void window_table_destroy() {
    AcquireSRWLockExclusive(&g_table_lock);
    if (g_table) HeapFree(g_process_heap, 0, g_table);
    g_table = nullptr;
    ReleaseSRWLockExclusive(&g_table_lock);
}

window_record *window_table_slot(int index) {
    if (!g_table || index < 0 || index >= WINDOW_TABLE_SIZE) return nullptr;
    return g_table[index];
}

bool window_table_in_use() {
    if (!g_table) return false;
    bool in_use = false;
    // Under the lock: a record leaves the table (and may be freed) only under it.
    AcquireSRWLockExclusive(&g_table_lock);
    for (int i = 0; i < WINDOW_TABLE_SIZE && !in_use; ++i) {
        in_use = g_table[i] && g_table[i]->in_use_count.load() != 0;
    }
    ReleaseSRWLockExclusive(&g_table_lock);
    return in_use;
}

int allocate_slot(window_record *record) {
    // Without a table (it could not be allocated at start-up) there is no free slot.
    if (!g_table) return ZV_ERROR;
    int result = ZV_ERROR;
    AcquireSRWLockExclusive(&g_table_lock);
    for (int i = 0; i < WINDOW_TABLE_SIZE; ++i) {
        if (!g_table[i]) {
            g_table[i] = record;
            record->handle = i + 1;
            result = ZV_OK;
            break;
        }
    }
    ReleaseSRWLockExclusive(&g_table_lock);
    return result;
}

void release_slot(window_record *record) {
    if (!g_table) return;
    int index = record->handle - 1;
    if (index < 0 || index >= WINDOW_TABLE_SIZE) return;
    AcquireSRWLockExclusive(&g_table_lock);
    if (g_table[index] == record) g_table[index] = nullptr;
    ReleaseSRWLockExclusive(&g_table_lock);
}

window_record *find_window(int handle) {
    if (g_gui_thread.state.load() == GUI_FAILED) return nullptr;
    if (handle < 1 || handle > WINDOW_TABLE_SIZE) return nullptr;
    window_record *record = nullptr;
    AcquireSRWLockExclusive(&g_table_lock);
    // Unloading raises its flag before it looks under this lock for references: a lookup
    // either takes its reference before that look, or sees the flag and takes none.
    if (g_table && !g_unloading.load(std::memory_order_relaxed)) {
        record = g_table[handle - 1];
        // A record whose creation has not finished has no lock or drawing objects yet: it is
        // not a window until the GUI thread says so.
        if (record && (record->closing.load() != 0 ||
                       record->create_status.load(std::memory_order_acquire) != CREATE_DONE))
            record = nullptr;
        if (record) record->in_use_count.fetch_add(1);
        // Pairs with the closer, which sets `closing` first and then waits for the count.
        if (record && record->closing.load() != 0) {
            record->in_use_count.fetch_sub(1);
            record = nullptr;
        }
    }
    ReleaseSRWLockExclusive(&g_table_lock);
    return record;
}

void report_missing_window() {
    set_last_error(g_unloading.load() ? ZV_ERR_NOT_INITIALISED : ZV_ERR_BAD_WINDOW);
}

window_record *window_from_hwnd(HWND hwnd) {
    auto *record = reinterpret_cast<window_record *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (record) record->in_use_count.fetch_add(1);
    return record;
}
