// Span regions: the pixel sets that wide outlines and filled shapes are built up in before
// they are painted. Spans are clipped to the surface on the way in, so a region never
// holds more than the surface can show, whatever the size of the shape.
#include "platform/posix/gdi/raster/gdi_raster.h"

#include <algorithm>

void gdi_region_init(gdi_region *region, const gdi_surface *clip) {
    region->clip = clip;
    region->spans.clear();
    region->paints_at_once = false;
    region->pixel = 0;
}

void gdi_region_init_painting(gdi_region *region, const gdi_surface *clip, uint32_t pixel) {
    gdi_region_init(region, clip);
    region->paints_at_once = true;
    region->pixel = pixel;
}

void gdi_region_add_rect(gdi_region *region, int64_t left, int64_t top, int64_t right,
                         int64_t bottom) {
    top = std::max<int64_t>(top, 0);
    bottom = std::min<int64_t>(bottom, region->clip->height);
    for (int64_t y = top; y < bottom; y++) gdi_region_add_span(region, y, left, right);
}

void gdi_region_paint(const gdi_dc *dc, const gdi_region *region, uint32_t pixel) {
    for (const gdi_span &span : region->spans)
        gdi_fill_span(&dc->surface, span.y, span.left, span.right, pixel);
}

void gdi_region_paint_brush(const gdi_dc *dc, const gdi_region *region, const gdi_brush *brush) {
    if (brush->style == GDI_BRUSH_NULL) return;
    for (const gdi_span &span : region->spans)
        gdi_brush_span(dc, brush, span.y, span.left, span.right);
}
