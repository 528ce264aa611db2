// A window's drawing state: the objects its memory DC draws with, the attributes they are made
// from, the pen position and which buffer is drawn into. draw/ makes, sets and frees it; the
// core only holds it for the window (`window_record::drawing`) and asks for it through
// g_library_parts when a window opens and when it is torn down.
#ifndef ZELVAN_DRAW_DRAWING_STATE_H
#define ZELVAN_DRAW_DRAWING_STATE_H

#include "core/window_record.h"
#include "draw/buffer_patch.h"
#include "draw/smooth/coverage_scan.h"
#include "draw/smooth/smooth_outline.h"

#include <atomic>

// The `hatch_style` of a solid fill brush: any other value is a platform HS_ hatch style.
enum { SOLID_BRUSH = -1 };

// Everything here but the atomics is guarded by the window lock.
struct drawing_state {
    // Selected into the memory DC while the window lives (the palette, fill brush, pen and
    // font), or drawn with (the background brush); stock objects until a setter replaces them.
    HPALETTE palette;
    HBRUSH fill_brush;
    HBRUSH background_brush;
    HPEN pen;
    HFONT font;
    // The memory DC's own objects, selected back before it is deleted.
    HPALETTE saved_palette;
    HBRUSH saved_brush;
    HPEN saved_pen;
    HFONT saved_font;
    int line_width;
    int line_style;
    int pen_style;
    int fill_style;
    int hatch_style; // an HS_ style, or SOLID_BRUSH
    // Set when the platform could not make the pen or fill brush the attributes call for: the
    // previous object stays selected, and the next setter rebuilds even an unchanged value.
    bool pen_outdated;
    bool brush_outdated;
    // The position ZVMoveTo set and ZVLineTo continues from.
    int cur_x;
    int cur_y;
    std::atomic<COLORREF> background_colour;
    std::atomic<COLORREF> foreground_colour;
    std::atomic<COLORREF> fill_colour;
    std::atomic<int> double_buffered;
    std::atomic<int> draw_buffer;
    // Frames shown with ZVPresent, and the last of them a paint has handed to the screen.
    std::atomic<unsigned> frames_presented;
    std::atomic<unsigned> frames_painted;
    // Shapes drawn anti-aliased (ZVSetSmooth), and the opacity of their pen and fill.
    std::atomic<int> smooth;
    std::atomic<int> opacity;
    // Where the buffer's pixels are read and changed in software: made on first use, kept.
    staging_section staging;
    // The outlines of smooth shapes and their scan converter, their arrays kept between calls.
    outline_builder outline;
    coverage_scanner scanner;
};

// Gives a new record its drawing state with the defaults (black pen and fill, white
// background, solid styles, the system font) and its first buffer, `buffer_bitmap[0]`, at the
// record's size (none for a size below 1); false when there is no memory for either.
bool create_drawing_state(window_record *record);
// Makes the new window's memory DC, like `window_dc` (like the screen's for a canvas, which
// has none), selects the drawing state there, clears the first buffer to the background and
// shows it through `window_dc` (a canvas shows nothing); false when the DC cannot be made.
// With the window lock held, on the GUI thread for a window and on the creating thread for a
// canvas.
bool open_drawing(window_record *record, HDC window_dc);
// Selects the memory DC's own objects back and deletes the DC when `dc_alive`, deletes the
// drawing objects and the buffers and frees the state. Null-safe, for a record whose creation
// stopped early.
void free_drawing_state(window_record *record, bool dc_alive);

#endif
