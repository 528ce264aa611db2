// The window table: 8192 slots naming the open windows, and the reference protocol that keeps
// a record alive while any thread works on it.
#ifndef ZELVAN_CORE_WINDOW_TABLE_H
#define ZELVAN_CORE_WINDOW_TABLE_H

#include "core/window_record.h"

enum { WINDOW_TABLE_SIZE = 8192 };

// Allocates and clears the table and creates its lock; returns false when out of memory.
bool window_table_create();
// Frees the table and deletes its lock (records must have been torn down already).
void window_table_destroy();
// The record in slot `index`, or null; only for start-up and shutdown, when no other
// thread uses the table.
window_record *window_table_slot(int index);
// True while any thread holds a reference on any window record.
bool window_table_in_use();

// Puts the record into the lowest free slot and sets its handle; ZV_OK or ZV_ERROR.
int allocate_slot(window_record *record);
// Empties the record's slot if it still holds this record.
void release_slot(window_record *record);

// The record of `handle` with one reference taken, or null (always, once unloading began).
window_record *find_window(int handle);
// Tells the caller's last error that a lookup found no window: ZV_ERR_BAD_WINDOW, or
// ZV_ERR_NOT_INITIALISED while the library is being unloaded.
void report_missing_window();
// The record attached to a platform window with one reference taken, or null.
window_record *window_from_hwnd(HWND hwnd);
// Gives back one reference taken by find_window or window_from_hwnd; a closer waits until
// the last is given back. Inline, as every drawing call ends with it.
inline void give_back(window_record *record) {
    record->in_use_count.fetch_sub(1);
}

// Holds a reference for the length of a scope: lookup, check, work, give-back.
struct window_ref {
    window_record *record;
    explicit window_ref(int handle) : record(find_window(handle)) {}
    ~window_ref() {
        if (record) give_back(record);
    }
    window_ref(const window_ref &) = delete;
    window_ref &operator=(const window_ref &) = delete;
    // True when the window was found; otherwise the last error says ZV_ERR_BAD_WINDOW.
    bool ok() const {
        if (record) return true;
        report_missing_window();
        return false;
    }
    window_record *operator->() const { return record; }
};

#endif
