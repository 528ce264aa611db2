// ExtFloodFill: the 4-connected area around a seed, found span by span with an explicit
// stack (no recursion, whatever the area), then painted with the brush in one go.
#include "platform/posix/gdi/raster/gdi_raster.h"

#include <vector>

namespace {

struct gdi_flood {
    const gdi_surface *surface;
    uint32_t colour; // the border colour, or the colour of the surface to flood
    bool border;     // FLOODFILLBORDER: fill what is not `colour`; else what is `colour`
    std::vector<uint64_t> visited;
    std::vector<gdi_span> found;
    std::vector<gdi_span> pending; // spans whose neighbour rows still need a look
};

bool gdi_flood_visited(const gdi_flood &f, int x, int y) {
    size_t bit = (size_t)y * f.surface->width + x;
    return f.visited[bit >> 6] >> (bit & 63) & 1;
}

void gdi_flood_mark(gdi_flood &f, int y, int left, int right) {
    size_t base = (size_t)y * f.surface->width;
    for (int x = left; x < right; x++)
        f.visited[(base + x) >> 6] |= (uint64_t)1 << ((base + x) & 63);
}

// Whether pixel (x, y) belongs to the area and has not been taken yet.
bool gdi_flood_open(const gdi_flood &f, const uint32_t *row, int x, int y) {
    bool match = row[x] == f.colour; // whole pixels, X byte included, as Win32 compares
    return match != f.border && !gdi_flood_visited(f, x, y);
}

// Takes the whole open run of row y through x and queues it; returns its right end.
int gdi_flood_take(gdi_flood &f, int x, int y) {
    const uint32_t *row = gdi_row(f.surface, y);
    int left = x, right = x + 1;
    while (left > 0 && gdi_flood_open(f, row, left - 1, y)) left--;
    while (right < f.surface->width && gdi_flood_open(f, row, right, y)) right++;
    gdi_flood_mark(f, y, left, right);
    f.found.push_back(gdi_span{y, left, right});
    f.pending.push_back(gdi_span{y, left, right});
    return right;
}

// Looks along row y under (or over) [left, right) for open pixels and takes their runs.
void gdi_flood_scan(gdi_flood &f, int y, int left, int right) {
    const uint32_t *row = gdi_row(f.surface, y);
    for (int x = left; x < right; x++)
        if (gdi_flood_open(f, row, x, y)) x = gdi_flood_take(f, x, y); // x: closed or past
}

} // namespace

BOOL WINAPI ExtFloodFill(HDC hdc, int x, int y, COLORREF colour, UINT type) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc) return FALSE;
    const gdi_surface *s = &dc->surface;
    if (x < 0 || y < 0 || x >= s->width || y >= s->height) return FALSE;
    gdi_flood f;
    f.surface = s;
    f.colour = gdi_pixel_from_colour(colour);
    f.border = type == FLOODFILLBORDER;
    f.visited.assign(((size_t)s->width * s->height + 63) / 64, 0);
    // A seed on the border (or off the surface colour) fills nothing and fails.
    if (!gdi_flood_open(f, gdi_row(s, y), x, y)) return FALSE;
    gdi_flood_take(f, x, y);
    while (!f.pending.empty()) {
        gdi_span span = f.pending.back();
        f.pending.pop_back();
        if (span.y > 0) gdi_flood_scan(f, span.y - 1, span.left, span.right);
        if (span.y + 1 < s->height) gdi_flood_scan(f, span.y + 1, span.left, span.right);
    }
    for (const gdi_span &span : f.found)
        gdi_brush_span(dc, dc->brush, span.y, span.left, span.right);
    return TRUE;
}
