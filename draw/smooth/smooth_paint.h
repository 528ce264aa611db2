// Painting a smooth outline into a window's draw buffer: each pixel is blended towards the
// colour by the share of its area the outline covers, times the opacity.
#ifndef ZELVAN_DRAW_SMOOTH_PAINT_H
#define ZELVAN_DRAW_SMOOTH_PAINT_H

#include "core/window_record.h"
#include "draw/smooth/smooth_outline.h"

// The whole of the window's buffer.
scan_clip buffer_clip(window_record *window);

// Paints `out` in `colour` (0x00BBGGRR) at `opacity` (0 to 255) into the buffer selected in
// `dc`, the window's draw buffer, with the window lock held. ZV_OK; ZV_ERR_NO_MEMORY when the
// outline or the scan could not be held; ZV_ERROR when the platform refuses a copy.
int paint_outline(window_record *window, HDC dc, outline_builder *out, COLORREF colour,
                  int opacity);

// Fills the pixels whose centres `edges` hold (non-zero winding) with the DC's fill brush, as
// the exact mode fills: hatches and all.
int fill_centres(window_record *window, HDC dc, edge_list *edges);

#endif
