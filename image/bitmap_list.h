// The bitmap list: every bitmap a host has made, under ids from 1 that are never reused.
#ifndef ZELVAN_IMAGE_BITMAP_LIST_H
#define ZELVAN_IMAGE_BITMAP_LIST_H

#include "image/bitmap_record.h"

// Makes the bitmap lock; library start-up only, before any other call here.
void bitmap_list_create();

// Gives a freshly made record the next id and appends it; returns the id.
int bitmap_list_add(bitmap_record *record);

// Takes the record out of the list. It is freed at once when nobody uses it, else by the
// last bitmap_give_back.
void bitmap_list_remove(bitmap_record *record);

// The record with `id` with one use taken, or null with ZV_ERR_BAD_BITMAP in the last error.
// Give the use back with bitmap_give_back.
bitmap_record *bitmap_find(int id);
void bitmap_give_back(bitmap_record *record);

// Frees every record and deletes the bitmap lock; library shutdown only.
void bitmap_list_discard_all();

// Holds one use of a bitmap for the length of a scope.
struct bitmap_ref {
    bitmap_record *record;
    explicit bitmap_ref(int id) : record(bitmap_find(id)) {}
    ~bitmap_ref() {
        if (record) bitmap_give_back(record);
    }
    bitmap_ref(const bitmap_ref &) = delete;
    bitmap_ref &operator=(const bitmap_ref &) = delete;
};

#endif
