// A rectangle of a window's draw buffer as 32-bit pixels, to be read and changed in software:
// a window's buffers are device bitmaps whose memory the library cannot reach, so the
// rectangle is copied into a staging DIB section a band of rows at a time, changed there in
// place, and copied back.
#ifndef ZELVAN_DRAW_BUFFER_PATCH_H
#define ZELVAN_DRAW_BUFFER_PATCH_H

#include "core/window_record.h"
#include "zelvan.h"

#include <stdint.h>

// A top-down 32-bit DIB section selected into a DC of its own. A window keeps one in its
// drawing state between calls, so a patch costs no platform objects once the first is made.
struct staging_section {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    uint32_t *bits;
    int64_t width; // pixels from one row to the next
    int64_t rows;
};

// Frees what the section holds and empties it; an empty section is left as it is.
void staging_release(staging_section *section);

// The part of the buffer a patch covers: [left, right) x [top, bottom), on the buffer.
struct patch_area {
    int64_t left, top, right, bottom;
};

// The rows of a patch held at one time, as 0x00RRGGBB pixels: `rows` rows of `width` pixels,
// the first at (left, top) of the buffer.
struct patch_band {
    uint32_t *pixels;
    int64_t stride; // pixels from one row to the next
    int64_t left, top, width, rows;
    // The band's pixel at column `left` of buffer row `y`.
    uint32_t *row(int64_t y) const { return pixels + (y - top) * stride; }
};

// Makes the window's staging section ready for a patch `width` pixels wide and gives the
// rows a band holds: about `band_pixels` pixels, at least one row, at most `area_rows`. 0 when
// no section can be made. With the window lock held.
int64_t patch_band_rows(window_record *window, int64_t width, int64_t area_rows,
                        int64_t band_pixels);

// Copies buffer rows [top, top + rows) of the area from the buffer selected in `dc` into the
// staging section, or back from it. With the window lock held.
bool patch_read(window_record *window, HDC dc, const patch_area &area, int64_t top, int64_t rows,
                patch_band *band);
bool patch_write(window_record *window, HDC dc, const patch_band &band);

// Runs `change(band)` over the area of the buffer selected in `dc`, which is `window`'s draw
// buffer with the window lock held, one band of about `band_pixels` pixels at a time: each band
// is read first and, when `write_back`, written back after. ZV_OK; ZV_ERR_NO_MEMORY when no
// staging section can be made; ZV_ERROR when the platform refuses a copy.
template <typename Change>
int walk_buffer_patch(window_record *window, HDC dc, const patch_area &area, int64_t band_pixels,
                      bool write_back, Change change) {
    int64_t width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return ZV_OK;
    int64_t band_rows = patch_band_rows(window, width, height, band_pixels);
    if (band_rows == 0) return ZV_ERR_NO_MEMORY;
    for (int64_t top = area.top; top < area.bottom; top += band_rows) {
        patch_band band;
        int64_t rows = band_rows < area.bottom - top ? band_rows : area.bottom - top;
        if (!patch_read(window, dc, area, top, rows, &band)) return ZV_ERROR;
        change(band);
        if (write_back && !patch_write(window, dc, band)) return ZV_ERROR;
    }
    return ZV_OK;
}

#endif
