// The header every GDI object record starts with: its type, its handle and how many DCs
// hold it selected.
#ifndef ZELVAN_GDI_OBJECT_H
#define ZELVAN_GDI_OBJECT_H

#include "platform/win32.h"

#include <atomic>
#include <stdint.h>

enum gdi_object_type : uint8_t {
    GDI_OBJ_NONE = 0,
    GDI_OBJ_DC,
    GDI_OBJ_BITMAP,
    GDI_OBJ_PEN,
    GDI_OBJ_BRUSH,
    GDI_OBJ_FONT,
    GDI_OBJ_PALETTE,
};

// A 32-bit atomic that object records can still be copied with (a copy takes the value):
// records are built by copying a description, the header included.
struct gdi_atomic_word {
    std::atomic<uint32_t> value{0};
    gdi_atomic_word() = default;
    gdi_atomic_word(const gdi_atomic_word &other) : value(other.value.load()) {}
    gdi_atomic_word &operator=(const gdi_atomic_word &other) {
        value.store(other.value.load());
        return *this;
    }
};

// The header every object record starts with. `selection` changes atomically, since every
// drawing call selects a bitmap in and out; the rest is fixed once the object is published.
struct gdi_object {
    gdi_object_type type;
    bool stock; // never destroyed; DeleteObject ignores it
    // How many DCs hold it selected, plus GDI_DELETE_PENDING when DeleteObject came while
    // it was selected (it is freed at the last deselection) or GDI_DELETED once it is gone.
    gdi_atomic_word selection;
    HGDIOBJ handle;
};
constexpr uint32_t GDI_DELETE_PENDING = 1u << 31;
constexpr uint32_t GDI_DELETED = 1u << 30;
constexpr uint32_t GDI_SELECT_COUNT = GDI_DELETED - 1;

#endif
