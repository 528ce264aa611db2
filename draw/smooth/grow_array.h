// A growing array of plain values on the process heap, for the shapes a call builds: no
// exceptions, a failed growth is remembered and every later push is dropped.
#ifndef ZELVAN_DRAW_GROW_ARRAY_H
#define ZELVAN_DRAW_GROW_ARRAY_H

#include "core/heap.h"

#include <cstring>
#include <stddef.h>

template <typename T> struct grow_array {
    T *items = nullptr;
    size_t count = 0;
    size_t capacity = 0;
    bool failed = false;

    grow_array() = default;
    grow_array(const grow_array &) = delete;
    grow_array &operator=(const grow_array &) = delete;
    ~grow_array() { heap_free(items); }

    // Room for `more` items beyond the count; false (and `failed` set) when there is none.
    bool reserve(size_t more) {
        if (failed) return false;
        if (capacity - count >= more) return true;
        size_t wanted = capacity ? capacity * 2 : 64;
        while (wanted - count < more) wanted *= 2;
        if (wanted > static_cast<size_t>(-1) / sizeof(T)) return failed = true, false;
        T *grown = static_cast<T *>(heap_alloc(wanted * sizeof(T)));
        if (!grown) return failed = true, false;
        if (count) std::memcpy(grown, items, count * sizeof(T));
        heap_free(items);
        items = grown;
        capacity = wanted;
        return true;
    }
    // Empties the array, keeping its room; a failed growth is forgotten.
    void clear() {
        count = 0;
        failed = false;
    }
    void push(const T &item) {
        if (reserve(1)) items[count++] = item;
    }
    T &operator[](size_t i) { return items[i]; }
    const T &operator[](size_t i) const { return items[i]; }
};

#endif
