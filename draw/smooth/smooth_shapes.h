// The shapes of smooth mode: each call's outline built from the drawing state's pen and fill
// and painted into the draw buffer. All with the window lock held and the draw buffer
// selected in `dc`; each gives a ZV_ result.
#ifndef ZELVAN_DRAW_SMOOTH_SHAPES_H
#define ZELVAN_DRAW_SMOOTH_SHAPES_H

#include "core/window_record.h"
#include "draw/smooth/coverage_scan.h"

int smooth_line(window_record *window, HDC dc, int x1, int y1, int x2, int y2);
int smooth_circle(window_record *window, HDC dc, int xc, int yc, int radius, bool filled);
int smooth_arc(window_record *window, HDC dc, int xc, int yc, int radius, float start, float sweep,
               bool pie);
int smooth_rectangle(window_record *window, HDC dc, int x1, int y1, int x2, int y2, bool filled);
// A path through pixel positions (a position's pixel centre is half a pixel further on).
int smooth_path(window_record *window, HDC dc, const scan_point *points, size_t count, bool closed,
                bool filled);

#endif
