// The bitmap record: one device-independent bitmap held in memory, as the BMP file lays it out
// after its 14-byte file header.
#ifndef ZELVAN_IMAGE_BITMAP_RECORD_H
#define ZELVAN_IMAGE_BITMAP_RECORD_H

#include "platform/win32.h"

#include <stdint.h>

#include <atomic>

// Sizes of the two header layouts a record can hold.
enum { CORE_HEADER_BYTES = 12, INFO_HEADER_BYTES = 40 };

// Largest width or row count the library accepts in a DIB: the largest a BMP core header can
// state, and far beyond any window a display can show.
enum { MAX_DIB_SIDE = 65535 };

// The colour key of a record that has none: no 24-bit colour equals it.
const uint32_t NO_COLOUR_KEY = 0xFFFFFFFFu;

// A 32-bit copy of a record's colours selected into a memory DC of its own: what AlphaBlend
// and TransparentBlt take as their source, and what drawing in software samples. `pixels` is
// its first row. A copy is made for one colour key and what that key's pixels became in it.
struct sprite_source {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    uint32_t *pixels;
    uint32_t key;
    uint32_t key_becomes;
};

struct bitmap_record {
    int id;
    unsigned char *info; // info header then colour table (a BITMAPINFO or BITMAPCOREINFO)
    unsigned char *bits; // pixel rows, padded to 4 bytes each
    int info_bytes;
    int bits_bytes;
    int width;
    // Rows in the image. A top-down file keeps its negative biHeight in the info block; the
    // record counts rows, so every consumer sizes windows and copies with a positive value.
    int height;
    int header_size;
    int bits_offset;
    bitmap_record *next;
    // Threads using the record (guarded by the bitmap lock); a discarded record is freed when
    // the last one gives it back.
    int users;
    bool listed;
    // A 32-bit record whose fourth byte is straight alpha (from a PNG); others are opaque.
    bool has_alpha;
    // Made on the first paste that needs them and kept, since a record's pixels never change
    // (a new colour key remakes them): premultiplied with keyed pixels clear, for AlphaBlend
    // and for drawing in software; as stored for TransparentBlt. A bitmap can be selected into
    // one DC at a time, so `source_lock` holds each for one paste at a time; it is taken before
    // a window lock, never inside one.
    sprite_source blend_source;
    sprite_source key_source;
    CRITICAL_SECTION source_lock;
    // 0x00BBGGRR: pixels of this colour are transparent in every paste and draw; or
    // NO_COLOUR_KEY. Read without a lock by the pastes, each of which reads it once.
    std::atomic<uint32_t> colour_key;
};

// A zeroed record from the process heap, or null.
bitmap_record *bitmap_record_new();
// Frees the record with its info and pixel blocks; null is ignored.
void bitmap_record_free(bitmap_record *record);
// Frees a copy and empties it; an empty one is left as it is.
void sprite_source_release(sprite_source *source);

// A record with a 40-byte header and a zeroed bottom-up pixel block of `width` x `height`,
// 32 bits a pixel with alpha or 24 without; null when out of memory or beyond the limits.
bitmap_record *dib_record_new(int width, int height, bool alpha);

// Bytes in one pixel row of `width` pixels at `bit_count` bits, padded to 4 bytes.
int64_t dib_row_bytes(int64_t width, int bit_count);

// The bits per pixel the record's header states (either header layout).
int record_bit_count(const bitmap_record *record);

// Draws the whole image with its top-left corner at (x, y) through its own colour table.
// The reader guarantees the pixel block holds every row the header describes, or for a
// run-length image the stream length it states.
BOOL draw_record(HDC dc, int x, int y, const bitmap_record *record);

#endif
