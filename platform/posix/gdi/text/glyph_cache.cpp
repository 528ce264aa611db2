// The per-font glyph cache: each character's glyph is rendered the first time it is drawn,
// from whichever face has it, and kept until the font is deleted. Readers take no lock for
// the Basic Multilingual Plane; rendering is serialized per font.
#include "platform/posix/gdi/text/font_engine.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <math.h>
#include <new>
#include <stdlib.h>
#include <string.h>

namespace {

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

// Keeps the coverage in `scratch` when given, else in the glyph while the cache budget
// allows; false when out of memory.
bool keep_coverage(font_engine *engine, const FT_Bitmap &bitmap, font_glyph *glyph,
                   std::vector<uint8_t> *scratch) {
    size_t bytes = static_cast<size_t>(glyph->width) * glyph->height;
    if (!bytes) return true;
    if (scratch) {
        scratch->resize(bytes);
        copy_coverage(bitmap, scratch->data());
    } else if (engine->cached_bytes + bytes <= font_cache_budget_bytes) {
        glyph->coverage = static_cast<uint8_t *>(malloc(bytes));
        if (!glyph->coverage) return false;
        copy_coverage(bitmap, glyph->coverage);
        engine->cached_bytes += bytes;
    }
    return true;
}

// Renders with FreeType from the face that has the character. With `scratch` the glyph was
// placed before (over the budget) and is drawn again from the same face and index. Called
// with the render lock held.
bool render_freetype(font_engine *engine, uint32_t code_point, font_glyph *glyph,
                     std::vector<uint8_t> *scratch) {
    FT_Face face = nullptr;
    if (scratch) {
        face = static_cast<FT_Face>(font_face_of_source(engine, glyph->source));
    } else {
        face =
            static_cast<FT_Face>(font_face_for(engine, code_point, &glyph->source, &glyph->index));
    }
    if (!face || FT_Load_Glyph(face, glyph->index, FT_LOAD_DEFAULT | FT_LOAD_RENDER) != 0) {
        *glyph = font_glyph{}; // a glyph no face can render draws nothing
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
    return keep_coverage(engine, slot->bitmap, glyph, scratch);
}

bool render_bitmap_font(font_engine *engine, uint32_t code_point, font_glyph *glyph,
                        std::vector<uint8_t> *scratch) {
    if (!bitmap_font_render(code_point, engine->bitmap_scale, engine->orientation_radians, glyph))
        return false;
    int ascent = 0, descent = 0, advance = 0;
    bitmap_font_metrics(engine->bitmap_scale, &ascent, &descent, &advance);
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

bool render(font_engine *engine, uint32_t code_point, font_glyph *glyph,
            std::vector<uint8_t> *scratch) {
    return engine->bitmap_font ? render_bitmap_font(engine, code_point, glyph, scratch)
                               : render_freetype(engine, code_point, glyph, scratch);
}

// The cache slot of a code point in the Basic Multilingual Plane, its page made if `make`;
// null when the page is not there (or cannot be made). Pages are made under the render lock.
std::atomic<font_glyph *> *bmp_slot(font_engine *engine, uint32_t code_point, bool make) {
    std::atomic<font_glyph_page *> &entry = engine->pages[code_point >> 8];
    font_glyph_page *page = entry.load(std::memory_order_acquire);
    if (!page && make) {
        page = new (std::nothrow) font_glyph_page();
        if (page) entry.store(page, std::memory_order_release);
    }
    return page ? &page->glyphs[code_point & 0xFF] : nullptr;
}

void free_glyph(font_glyph *glyph) {
    if (!glyph) return;
    free(glyph->coverage);
    free(glyph);
}

// Renders and keeps the glyph; called with the render lock held.
font_glyph *render_and_keep(font_engine *engine, uint32_t code_point) {
    std::atomic<font_glyph *> *slot = nullptr;
    if (code_point < 0x10000) {
        slot = bmp_slot(engine, code_point, true);
        if (!slot) return nullptr;
    }
    font_glyph *glyph = static_cast<font_glyph *>(calloc(1, sizeof(font_glyph)));
    if (!glyph) return nullptr;
    if (!render(engine, code_point, glyph, nullptr)) {
        free(glyph);
        return nullptr;
    }
    if (slot) {
        slot->store(glyph, std::memory_order_release);
        return glyph;
    }
    try {
        engine->astral.emplace(code_point, glyph);
    } catch (const std::bad_alloc &) {
        free_glyph(glyph);
        return nullptr;
    }
    return glyph;
}

// The kept glyph of a code point, or null. Safe without the render lock for the Basic
// Multilingual Plane only.
font_glyph *kept_glyph(font_engine *engine, uint32_t code_point) {
    if (code_point < 0x10000) {
        std::atomic<font_glyph *> *slot = bmp_slot(engine, code_point, false);
        return slot ? slot->load(std::memory_order_acquire) : nullptr;
    }
    std::unordered_map<uint32_t, font_glyph *>::const_iterator found =
        engine->astral.find(code_point);
    return found == engine->astral.end() ? nullptr : found->second;
}

} // namespace

const font_glyph *font_glyph_cached(font_engine *engine, uint32_t code_point) {
    if (code_point < 0x10000) return kept_glyph(engine, code_point);
    std::lock_guard<std::mutex> guard(engine->render_lock);
    return kept_glyph(engine, code_point);
}

const font_glyph *font_glyph_get(font_engine *engine, uint32_t code_point) {
    if (code_point < 0x10000) {
        const font_glyph *glyph = kept_glyph(engine, code_point);
        if (glyph) return glyph;
    }
    std::lock_guard<std::mutex> guard(engine->render_lock);
    font_glyph *glyph = kept_glyph(engine, code_point);
    if (glyph) return glyph; // rendered before, or by another thread meanwhile
    return render_and_keep(engine, code_point);
}

const uint8_t *font_glyph_render_uncached(font_engine *engine, uint32_t code_point,
                                          const font_glyph *glyph, std::vector<uint8_t> *scratch) {
    std::lock_guard<std::mutex> guard(engine->render_lock);
    scratch->clear();
    font_glyph again = *glyph;
    if (!render(engine, code_point, &again, scratch)) return nullptr;
    return scratch->empty() ? nullptr : scratch->data();
}

void font_glyphs_release(font_engine *engine) {
    for (std::atomic<font_glyph_page *> &entry : engine->pages) {
        font_glyph_page *page = entry.exchange(nullptr);
        if (!page) continue;
        for (std::atomic<font_glyph *> &slot : page->glyphs) free_glyph(slot.load());
        delete page;
    }
    for (auto &entry : engine->astral) free_glyph(entry.second);
    engine->astral.clear();
    engine->cached_bytes = 0;
}
