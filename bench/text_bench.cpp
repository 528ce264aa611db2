// Text drawing: ZVTextOut of a 20-character string at 12 points into a window's draw buffer,
// next to FreeType alone drawing the same string from a glyph cache into a plain pixel array.
#include "zelvan.h"

#include <benchmark/benchmark.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H

#include <stdint.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

const char twenty_characters[] = "Benchmark text 12 pt";
static_assert(sizeof(twenty_characters) == 21, "twenty characters and the NUL");

void zv_text_out_12pt(benchmark::State &state) {
    int w = ZVCreateWindow(0, 0, 640, 480, "text bench");
    ZVSetFont(w, 12, 0.0, "DejaVu Sans");
    ZVTextOut(w, 10, 10, twenty_characters); // warm-up: the glyphs are rendered once here
    for (auto _ : state) benchmark::DoNotOptimize(ZVTextOut(w, 10, 10, twenty_characters));
    state.SetItemsProcessed(state.iterations());
    // The summary's bound on the rate reads this counter (CPU seconds, like the other rows).
    state.counters["strings_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    ZVDestroyWindow(w);
}
BENCHMARK(zv_text_out_12pt)->Name("text/ZVTextOut_20_chars");

// The file of the face fontconfig picks for "DejaVu Sans".
std::string dejavu_sans_path() {
    FcPattern *pattern = FcNameParse(reinterpret_cast<const FcChar8 *>("DejaVu Sans"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern *match = FcFontMatch(nullptr, pattern, &result);
    FcChar8 *file = nullptr;
    std::string path;
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) path = (char *)file;
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return path;
}

// The floor: cached FreeType bitmaps blended into 32-bit pixels, with no locks or handles.
void freetype_cached_glyphs_16px(benchmark::State &state) {
    FT_Library library;
    FT_Face face;
    if (FT_Init_FreeType(&library) || FT_New_Face(library, dejavu_sans_path().c_str(), 0, &face)) {
        state.SkipWithError("no DejaVu Sans");
        return;
    }
    FT_Set_Pixel_Sizes(face, 0, 16);
    FT_BitmapGlyph cache[256] = {};
    std::vector<uint32_t> pixels(640 * 480, 0x00FFFFFF);
    for (auto _ : state) {
        int pen_x = 10, baseline = 25;
        for (const char *p = twenty_characters; *p; ++p) {
            unsigned char byte = static_cast<unsigned char>(*p);
            if (!cache[byte]) {
                FT_Load_Char(face, byte, FT_LOAD_DEFAULT);
                FT_Glyph glyph;
                FT_Get_Glyph(face->glyph, &glyph);
                FT_Glyph_To_Bitmap(&glyph, FT_RENDER_MODE_NORMAL, nullptr, 1);
                cache[byte] = reinterpret_cast<FT_BitmapGlyph>(glyph);
            }
            FT_BitmapGlyph g = cache[byte];
            for (unsigned y = 0; y < g->bitmap.rows; ++y) {
                uint32_t *row = &pixels[(size_t)(baseline - g->top + y) * 640 + pen_x + g->left];
                const uint8_t *cover = g->bitmap.buffer + y * g->bitmap.pitch;
                for (unsigned x = 0; x < g->bitmap.width; ++x) {
                    uint32_t a = cover[x], d = row[x] & 0xFF;
                    uint32_t v = (d * (255 - a) + 127) / 255;
                    row[x] = v | v << 8 | v << 16;
                }
            }
            pen_x += static_cast<int>(g->root.advance.x >> 16);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
    for (FT_BitmapGlyph g : cache)
        if (g) FT_Done_Glyph(reinterpret_cast<FT_Glyph>(g));
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}
BENCHMARK(freetype_cached_glyphs_16px)->Name("text/freetype_cached_20_chars");

} // namespace
