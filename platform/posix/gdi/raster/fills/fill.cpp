// FillRect and InvertRect: the USER32 rectangle calls, which live with the rasterizer.
#include "platform/posix/gdi/gdi_internal.h"

#include <utility>

namespace {

// Win32 hands both calls to PatBlt, which accepts reversed edges: a rectangle with right
// before left covers the same pixels as its ordered copy.
RECT gdi_ordered_rect(const RECT *rect) {
    RECT r = *rect;
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
    return r;
}

} // namespace

// Fills [left, right) x [top, bottom): the right and bottom edges are excluded.
int WINAPI FillRect(HDC hdc, const RECT *rect, HBRUSH handle) {
    gdi_dc *dc = gdi_dc_get(hdc);
    gdi_object *brush = gdi_handle_get(handle, GDI_OBJ_BRUSH);
    if (!dc || !rect || !brush) return 0;
    gdi_brush_rect(dc, reinterpret_cast<gdi_brush *>(brush), gdi_ordered_rect(rect));
    return 1;
}

// Inverts every colour bit in [left, right) x [top, bottom); twice restores the pixels.
BOOL WINAPI InvertRect(HDC hdc, const RECT *rect) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc || !rect) return FALSE;
    RECT r = gdi_ordered_rect(rect);
    if (gdi_clip_rect(&dc->surface, &r)) gdi_invert_rect(&dc->surface, &r);
    return TRUE;
}
