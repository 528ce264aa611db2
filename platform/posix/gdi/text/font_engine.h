// The fonts engine behind the font objects: fontconfig chooses a face and the faces that
// stand in for characters it lacks, FreeType renders them, glyphs are cached per font by
// code point, and a built-in bitmap font stands in when no face is found at all.
// Used by CreateFontA and TextOutW in gdi/.
#ifndef ZELVAN_GDI_FONT_ENGINE_H
#define ZELVAN_GDI_FONT_ENGINE_H

#include "platform/posix/gdi/gdi_internal.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <stddef.h>
#include <stdint.h>
#include <string>
#include <unordered_map>
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
    int source;        // the face it came from: 0 the font's own, n fallback slot n - 1
    unsigned index;    // its index in that face
    uint8_t *coverage; // width * height values 0..255; null when over the cache budget
};

// A face file, and which face inside it.
struct font_face_file {
    std::string path;
    int index;
};

// What fontconfig chose for one font description; shared by every font made alike.
struct font_choice {
    font_face_file face;
    void *pattern = nullptr; // FcPattern * the face was chosen by, kept to sort the fallbacks
    void *sorted = nullptr;  // FcFontSet * of the fallback faces, sorted on first need
    bool sort_tried = false; // `sorted` has been asked for
    ~font_choice();
};

// A fallback face of one engine, opened on first need and set to the engine's size.
struct font_fallback_face {
    void *ft_face; // FT_Face; null when not opened or unreadable
    bool tried;
};

// Glyphs of 256 consecutive code points, each made on first use.
struct font_glyph_page {
    std::atomic<font_glyph *> glyphs[256];
};

struct font_engine {
    bool bitmap_font; // drawing with the built-in bitmap font: fontconfig found no face
    void *ft_face;    // FT_Face when not the bitmap font
    int em_pixels;    // the size every face of the engine is set to
    int bitmap_scale;
    int ascent;  // pixels above the baseline
    int descent; // pixels below it
    double escapement_radians;
    double orientation_radians;
    std::shared_ptr<font_choice> choice;
    // Guards the FreeType faces (not thread-safe), cached_bytes, fallback_faces and astral.
    std::mutex render_lock;
    size_t cached_bytes;
    std::vector<font_fallback_face> fallback_faces; // by fallback slot
    // Glyphs by code point: the Basic Multilingual Plane in pages read without a lock, the
    // rare code points beyond it in a map under the render lock.
    std::atomic<font_glyph_page *> pages[256];
    std::unordered_map<uint32_t, font_glyph *> astral;
};

// ---- Matching (font_match.cpp); the caller holds the set-up lock ----

// The face fontconfig chooses for the description at `em_pixels`, the same choice for the
// same name, weight, slant, pitch and size; null when fontconfig knows no face at all.
std::shared_ptr<font_choice> font_match_choose(const gdi_font *font, int em_pixels);
// The first fallback slot from `first` on whose face has `code_point`, or -1. The fallbacks
// are sorted on the first call for a choice.
int font_match_fallback_for(font_choice *choice, uint32_t code_point, int first);
// The face file of a fallback slot; false when there is no such slot.
bool font_match_fallback_file(font_choice *choice, int slot, font_face_file *out);
// Forgets every choice and destroys the library's fontconfig configuration.
void font_match_shutdown(void);
// Done with FreeType and fontconfig once every font's engine has been released.
void font_engine_shutdown(void);

// ---- Engine set-up (font_engine.cpp) ----

// Guards the FreeType library, face creation and destruction, fontconfig, and the one-time
// set-up of each font's engine. Taken after a render lock, never before one.
std::mutex &font_setup_lock(void);

// The engine of `font`, made on first use; safe to call from several threads at once.
// Null only when out of memory.
font_engine *font_engine_of(gdi_font *font);

// The font's em height in pixels as asked for, before the face is known (cell heights are
// mapped to em heights once the face's metrics are).
int font_requested_em(const gdi_font *font);

// The FreeType face that draws `code_point`: the font's own when it has the character, else
// the first fallback face that has it, else the font's own (its missing-glyph shape). Sets
// `source` (see font_glyph) and `index`, the glyph's index in that face. Called with the
// render lock held; never for the bitmap font.
void *font_face_for(font_engine *engine, uint32_t code_point, int *source, unsigned *index);
// The face of `source` again, for a glyph rendered before (render lock held).
void *font_face_of_source(font_engine *engine, int source);

// ---- Glyphs (glyph_cache.cpp) ----

// The glyph of `code_point` if it has been made already, else null; takes no lock for the
// Basic Multilingual Plane.
const font_glyph *font_glyph_cached(font_engine *engine, uint32_t code_point);
// The glyph of `code_point`, rendered once and kept; null only when out of memory.
const font_glyph *font_glyph_get(font_engine *engine, uint32_t code_point);
// Renders the coverage of a glyph that is over the cache budget into `scratch`.
const uint8_t *font_glyph_render_uncached(font_engine *engine, uint32_t code_point,
                                          const font_glyph *glyph, std::vector<uint8_t> *scratch);
// Frees every cached glyph of the engine.
void font_glyphs_release(font_engine *engine);

// ---- The built-in bitmap font (bitmap_font_render.cpp, bitmap_font_pictures.cpp) ----

// Cell metrics of the bitmap font at `scale` times its design size.
void bitmap_font_metrics(int scale, int *ascent, int *descent, int *advance);
// The whole-number scale that brings the bitmap font closest to `pixels`: its cell height
// (ascent plus descent) when `cell_height`, else its character height, as outline faces read
// positive and negative font heights.
int bitmap_font_scale_for(int pixels, bool cell_height);
// Renders `code_point` at `scale`, turned by `orientation` radians counter-clockwise, into
// `glyph` (coverage allocated with malloc); the advance is left to the caller. Printable
// ASCII and Windows-1252 have their shapes; other characters show as a box. False when out
// of memory.
bool bitmap_font_render(uint32_t code_point, int scale, double orientation, font_glyph *glyph);

// ---- Blending (text_blend.cpp) ----

// Blends glyph coverage in `pixel` onto the surface with the glyph's top-left corner at
// (x, y), clipped to the surface.
void font_blend_coverage(const gdi_surface *surface, int64_t x, int64_t y, const uint8_t *coverage,
                         int width, int height, uint32_t pixel);

#endif
