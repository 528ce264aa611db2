// The fonts engine behind the font objects: fontconfig chooses a face, FreeType renders it,
// glyphs are cached per font, and a built-in bitmap font stands in when no face is found.
// Used by CreateFontA and TextOutA in gdi/.
#ifndef ZELVAN_GDI_FONT_ENGINE_H
#define ZELVAN_GDI_FONT_ENGINE_H

#include "platform/posix/gdi/gdi_internal.h"

#include <atomic>
#include <mutex>
#include <stddef.h>
#include <stdint.h>
#include <string>
#include <vector>

// Em heights are kept within [1, this] pixels: glyph bitmaps grow with the square of the size,
// and nothing larger fits on a screen anyway.
constexpr int font_max_em_pixels = 1024;
// Glyph coverage a font may keep cached; glyphs beyond it are rendered afresh on every draw.
constexpr size_t font_cache_budget_bytes = size_t{16} << 20;

// One rendered glyph. Positions are relative to the pen on the baseline, in surface pixels
// (y grows downwards); advances are in 1/64 pixel along the escapement.
struct font_glyph {
    int64_t advance_x; // 1/64 pixel
    int64_t advance_y; // 1/64 pixel, downwards
    int left;          // column of the first coverage pixel, from the pen
    int top;           // rows from the first coverage row down to the baseline
    int width;
    int height;
    uint8_t *coverage; // width * height values 0..255; null when over the cache budget
};

// The face a font resolved to (font_match.cpp).
struct font_face_file {
    std::string path;
    int index;
};

struct font_engine {
    bool fallback; // drawing with the built-in bitmap font
    void *ft_face; // FT_Face when not the fallback
    int fallback_scale;
    int ascent;  // pixels above the baseline
    int descent; // pixels below it
    double escapement_radians;
    double orientation_radians;
    std::mutex render_lock; // FreeType faces are not thread-safe; guards cached_bytes too
    size_t cached_bytes;
    std::atomic<font_glyph *> glyphs[256]; // by byte value (Latin-1), filled on first use
};

// ---- Matching (font_match.cpp) ----

// Asks fontconfig for the installed face nearest to the description at `em_pixels`; false
// when fontconfig knows no face at all.
bool font_match_face(const gdi_font *font, int em_pixels, font_face_file *out);
// Destroys the library's fontconfig configuration (caller holds the set-up lock).
void font_match_shutdown(void);
// Done with FreeType and fontconfig once every font's engine has been released.
void font_engine_shutdown(void);

// ---- Engine set-up (font_engine.cpp) ----

// The engine of `font`, made on first use; safe to call from several threads at once.
// Null only when out of memory.
font_engine *font_engine_of(gdi_font *font);

// The font's em height in pixels as asked for, before the face is known (cell heights are
// mapped to em heights once the face's metrics are).
int font_requested_em(const gdi_font *font);

// ---- Glyphs (glyph_cache.cpp) ----

// The glyph of `byte`, rendered once and kept; null only when out of memory.
const font_glyph *font_glyph_get(font_engine *engine, unsigned char byte);
// Renders the coverage of a glyph that is over the cache budget into `scratch`.
const uint8_t *font_glyph_render_uncached(font_engine *engine, unsigned char byte,
                                          std::vector<uint8_t> *scratch);
// Frees every cached glyph of the engine.
void font_glyphs_release(font_engine *engine);

// ---- The built-in bitmap font (bitmap_font.cpp) ----

// Cell metrics of the bitmap font at `scale` times its design size.
void bitmap_font_metrics(int scale, int *ascent, int *descent, int *advance);
// The scale that brings the bitmap font closest to an em height of `em_pixels`.
int bitmap_font_scale_for(int em_pixels);
// Renders `byte` at `scale`, turned by `orientation` radians counter-clockwise, into `glyph`
// (coverage allocated with malloc); the advance is left to the caller. False when out of memory.
bool bitmap_font_render(unsigned char byte, int scale, double orientation, font_glyph *glyph);

// ---- Blending (text_blend.cpp) ----

// Blends glyph coverage in `pixel` onto the surface with the glyph's top-left corner at
// (x, y), clipped to the surface.
void font_blend_coverage(const gdi_surface *surface, int64_t x, int64_t y, const uint8_t *coverage,
                         int width, int height, uint32_t pixel);

#endif
