// Turning a window's drawing attributes into the pen and fill brush of its memory DC.
#ifndef ZELVAN_DRAW_PEN_AND_BRUSH_H
#define ZELVAN_DRAW_PEN_AND_BRUSH_H

#include "draw/drawing_state.h"

// The platform pen style for a library line style; unknown numbers mean solid.
int pen_style_for_line_style(int line_style);
// The platform hatch style for a library fill style, or SOLID_BRUSH.
int hatch_for_fill_style(int fill_style);

// Makes the pen from `pen_style`, `line_width` and `foreground_colour`, selects it and
// deletes the one it replaces. Called with the window lock held.
void rebuild_pen(window_record *record);
// Makes the fill brush from `hatch_style` and `fill_colour`, selects it and deletes the one
// it replaces. Called with the window lock held.
void rebuild_fill_brush(window_record *record);

#endif
