// The per-font glyph cache: each byte's glyph is rendered the first time it is drawn and
// kept until the font is deleted. Readers take no lock; rendering is serialized per font.
#include "platform/posix/gdi/font_engine.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <math.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Bytes are Latin-1: each byte value is the Unicode code point of its character.
FT_UInt glyph_index_of(FT_Face face, unsigned char byte) {
    FT_UInt index = FT_Get_Char_Index(face, byte);
    // Symbol fonts map bytes from U+F000 up instead.
    if (!index && face->charmap && face->charmap->encoding == FT_ENCODING_MS_SYMBOL)
        index = FT_Get_Char_Index(face, 0xF000u + byte);
    return index;
}

// The coverage value of column x of a rendered row, whatever the bitmap's pixel mode.
uint8_t coverage_at(const FT_Bitmap &bitmap, const unsigned char *row, unsigned x) {
    switch (bitmap.pixel_mode) {
    case FT_PIXEL_MODE_MONO:
        return (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    case FT_PIXEL_MODE_BGRA:
        return row[x * 4 + 3]; // colour glyphs are drawn by their alpha alone
    default:
        return row[x];
    }
}

// Copies the rendered bitmap into packed coverage bytes.
void copy_coverage(const FT_Bitmap &bitmap, uint8_t *out) {
    for (unsigned y = 0; y < bitmap.rows; y++) {
        const unsigned char *row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
        if (bitmap.pitch < 0) row = bitmap.buffer + (bitmap.rows - 1 - y) * -bitmap.pitch;
        uint8_t *dst = out + static_cast<size_t>(y) * bitmap.width;
        if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.num_grays == 256)
            memcpy(dst, row, bitmap.width);
        else
            for (unsigned x = 0; x < bitmap.width; x++) dst[x] = coverage_at(bitmap, row, x);
    }
}

// Renders with FreeType; fills the placement and, when `keep` is true and memory allows,
// the coverage. Called with the render lock held.
bool render_freetype(font_engine *engine, unsigned char byte, font_glyph *glyph,
                     std::vector<uint8_t> *scratch) {
    FT_Face face = static_cast<FT_Face>(engine->ft_face);
    if (FT_Load_Glyph(face, glyph_index_of(face, byte), FT_LOAD_DEFAULT | FT_LOAD_RENDER) != 0) {
        *glyph = font_glyph{}; // a glyph the face cannot render draws nothing
        return true;
    }
    FT_GlyphSlot slot = face->glyph;
    // The advance runs along the escapement; the hinted, untransformed length is kept.
    double length = static_cast<double>(slot->metrics.horiAdvance);
    glyph->advance_x = llround(length * cos(engine->escapement_radians));
    glyph->advance_y = llround(-length * sin(engine->escapement_radians));
    glyph->left = slot->bitmap_left;
    glyph->top = slot->bitmap_top;
    glyph->width = static_cast<int>(slot->bitmap.width);
    glyph->height = static_cast<int>(slot->bitmap.rows);
    glyph->coverage = nullptr;
    size_t bytes = static_cast<size_t>(glyph->width) * glyph->height;
    if (!bytes) return true;
    if (scratch) {
        scratch->resize(bytes);
        copy_coverage(slot->bitmap, scratch->data());
    } else if (engine->cached_bytes + bytes <= font_cache_budget_bytes) {
        glyph->coverage = static_cast<uint8_t *>(malloc(bytes));
        if (!glyph->coverage) return false;
        copy_coverage(slot->bitmap, glyph->coverage);
        engine->cached_bytes += bytes;
    }
    return true;
}

bool render_fallback(font_engine *engine, unsigned char byte, font_glyph *glyph,
                     std::vector<uint8_t> *scratch) {
    if (!bitmap_font_render(byte, engine->fallback_scale, engine->orientation_radians, glyph))
        return false;
    int ascent = 0, descent = 0, advance = 0;
    bitmap_font_metrics(engine->fallback_scale, &ascent, &descent, &advance);
    double length = advance * 64.0;
    glyph->advance_x = llround(length * cos(engine->escapement_radians));
    glyph->advance_y = llround(-length * sin(engine->escapement_radians));
    size_t bytes = static_cast<size_t>(glyph->width) * glyph->height;
    if (scratch) {
        scratch->assign(glyph->coverage, glyph->coverage + bytes);
        free(glyph->coverage);
        glyph->coverage = nullptr;
    } else if (engine->cached_bytes + bytes > font_cache_budget_bytes) {
        free(glyph->coverage);
        glyph->coverage = nullptr;
    } else {
        engine->cached_bytes += bytes;
    }
    return true;
}

bool render(font_engine *engine, unsigned char byte, font_glyph *glyph,
            std::vector<uint8_t> *scratch) {
    return engine->fallback ? render_fallback(engine, byte, glyph, scratch)
                            : render_freetype(engine, byte, glyph, scratch);
}

} // namespace

const font_glyph *font_glyph_get(font_engine *engine, unsigned char byte) {
    font_glyph *glyph = engine->glyphs[byte].load(std::memory_order_acquire);
    if (glyph) return glyph;
    std::lock_guard<std::mutex> guard(engine->render_lock);
    glyph = engine->glyphs[byte].load(std::memory_order_relaxed);
    if (glyph) return glyph; // another thread rendered it meanwhile
    glyph = static_cast<font_glyph *>(calloc(1, sizeof(font_glyph)));
    if (!glyph) return nullptr;
    if (!render(engine, byte, glyph, nullptr)) {
        free(glyph);
        return nullptr;
    }
    engine->glyphs[byte].store(glyph, std::memory_order_release);
    return glyph;
}

const uint8_t *font_glyph_render_uncached(font_engine *engine, unsigned char byte,
                                          std::vector<uint8_t> *scratch) {
    std::lock_guard<std::mutex> guard(engine->render_lock);
    scratch->clear();
    font_glyph glyph = {};
    if (!render(engine, byte, &glyph, scratch)) return nullptr;
    return scratch->empty() ? nullptr : scratch->data();
}

void font_glyphs_release(font_engine *engine) {
    for (std::atomic<font_glyph *> &slot : engine->glyphs) {
        font_glyph *glyph = slot.exchange(nullptr);
        if (!glyph) continue;
        free(glyph->coverage);
        free(glyph);
    }
    engine->cached_bytes = 0;
}
