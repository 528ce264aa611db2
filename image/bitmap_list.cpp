// The bitmap list, its lock and the next-id counter.
#include "image/bitmap_list.h"

#include "core/result_codes.h"

namespace {

// Guards the list, the next id and every record's use count.
CRITICAL_SECTION g_bitmap_lock;
bitmap_record *g_head;
bitmap_record *g_tail;
int g_next_id = 1;

// Unlinks `record` if it is in the list; lock held.
bool unlink_record(bitmap_record *record) {
    bitmap_record *previous = nullptr;
    for (bitmap_record *bitmap = g_head; bitmap; previous = bitmap, bitmap = bitmap->next) {
        if (bitmap != record) continue;
        (previous ? previous->next : g_head) = bitmap->next;
        if (g_tail == bitmap) g_tail = previous;
        bitmap->next = nullptr;
        bitmap->listed = false;
        return true;
    }
    return false;
}

} // namespace

void bitmap_list_create() {
    InitializeCriticalSection(&g_bitmap_lock);
}

int bitmap_list_add(bitmap_record *record) {
    EnterCriticalSection(&g_bitmap_lock);
    int id = record->id = g_next_id++;
    record->next = nullptr;
    record->listed = true;
    (g_tail ? g_tail->next : g_head) = record;
    g_tail = record;
    LeaveCriticalSection(&g_bitmap_lock);
    return id;
}

void bitmap_list_remove(bitmap_record *record) {
    EnterCriticalSection(&g_bitmap_lock);
    bool unused = unlink_record(record) && record->users == 0;
    if (unused) bitmap_record_free(record);
    LeaveCriticalSection(&g_bitmap_lock);
}

bitmap_record *bitmap_find(int id) {
    EnterCriticalSection(&g_bitmap_lock);
    bitmap_record *found = g_head;
    while (found && found->id != id) found = found->next;
    // The use keeps a concurrent discard from freeing the record while the caller works.
    if (found) found->users++;
    LeaveCriticalSection(&g_bitmap_lock);
    if (!found) set_last_error(ZV_ERR_BAD_BITMAP);
    return found;
}

void bitmap_give_back(bitmap_record *record) {
    EnterCriticalSection(&g_bitmap_lock);
    bool last = --record->users == 0 && !record->listed;
    if (last) bitmap_record_free(record);
    LeaveCriticalSection(&g_bitmap_lock);
}

void bitmap_list_discard_all() {
    EnterCriticalSection(&g_bitmap_lock);
    while (g_head) {
        bitmap_record *record = g_head;
        unlink_record(record);
        bitmap_record_free(record);
    }
    LeaveCriticalSection(&g_bitmap_lock);
    DeleteCriticalSection(&g_bitmap_lock);
}
