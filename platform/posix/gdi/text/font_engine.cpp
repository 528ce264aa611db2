// Font engine set-up: the logical font's size mapped to pixels, the face opened with
// FreeType (or the built-in bitmap font when there is none), the fallback faces opened as
// characters need them, and CreateFontA.
#include "platform/posix/gdi/text/font_engine.h"
#include "platform/posix/gdi/gdi_shutdown.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <math.h>
#include <new>
#include <string.h>

namespace {

// The default size of a font asked for with height 0: the system font's 16 pixels.
constexpr int default_em_pixels = 16;

// Made on first use and done with at unload; both under the set-up lock.
FT_Library g_freetype;
bool g_freetype_tried;

FT_Library freetype_library() {
    if (!g_freetype_tried) {
        g_freetype_tried = true;
        if (FT_Init_FreeType(&g_freetype) != 0) g_freetype = nullptr;
    }
    return g_freetype;
}

double tenths_to_radians(int tenths) {
    return fmod(static_cast<double>(tenths), 3600.0) * M_PI / 1800.0;
}

int clamp_em(int64_t pixels) {
    if (pixels < 1) return 1;
    return pixels > font_max_em_pixels ? font_max_em_pixels : static_cast<int>(pixels);
}

// Positive heights ask for the cell (ascent + descent); the em is the cell's share of it.
int em_for_cell(FT_Face face, int64_t cell) {
    int64_t span = static_cast<int64_t>(face->ascender) - face->descender;
    if (span <= 0 || face->units_per_EM == 0) return clamp_em(cell);
    return clamp_em((cell * face->units_per_EM + span / 2) / span);
}

// Bitmap-only faces come in fixed strikes: the one nearest the asked height.
bool select_nearest_strike(FT_Face face, int em) {
    if (face->num_fixed_sizes <= 0) return false;
    int best = 0;
    for (int i = 1; i < face->num_fixed_sizes; i++)
        if (abs(face->available_sizes[i].height - em) <
            abs(face->available_sizes[best].height - em))
            best = i;
    return FT_Select_Size(face, best) == 0;
}

// Sets `face` to `em` pixels and to reading characters by Unicode; false when it cannot be.
bool size_face(FT_Face face, int em) {
    bool sized = FT_IS_SCALABLE(face) ? FT_Set_Pixel_Sizes(face, 0, em) == 0
                                      : select_nearest_strike(face, em);
    if (!sized) return false;
    if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0 && face->num_charmaps > 0)
        FT_Set_Charmap(face, face->charmaps[0]); // symbol fonts: bytes index their own map
    return true;
}

// Glyphs are turned by the orientation as they are rendered; the pen follows the escapement,
// which the text layout applies.
void set_turn(FT_Face face, double turn) {
    FT_Matrix matrix;
    matrix.xx = static_cast<FT_Fixed>(lround(cos(turn) * 65536.0));
    matrix.xy = static_cast<FT_Fixed>(lround(-sin(turn) * 65536.0));
    matrix.yx = static_cast<FT_Fixed>(lround(sin(turn) * 65536.0));
    matrix.yy = matrix.xx;
    FT_Set_Transform(face, &matrix, nullptr);
}

FT_Face open_file(const font_face_file &file) {
    FT_Library library = freetype_library();
    FT_Face face = nullptr;
    if (!library || FT_New_Face(library, file.path.c_str(), file.index, &face) != 0) return nullptr;
    return face;
}

// Opens the face fontconfig chose at the font's size; false when there is none or FreeType
// cannot read it. Called with the set-up lock held.
bool open_chosen_face(font_engine *engine, const gdi_font *font) {
    engine->choice = font_match_choose(font, font_requested_em(font));
    FT_Face face = engine->choice ? open_file(engine->choice->face) : nullptr;
    if (!face) return false;
    engine->em_pixels =
        font->height > 0 ? em_for_cell(face, font->height) : font_requested_em(font);
    if (!size_face(face, engine->em_pixels)) {
        FT_Done_Face(face);
        return false;
    }
    set_turn(face, engine->orientation_radians);
    engine->ft_face = face;
    engine->ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    engine->descent = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
    return true;
}

void use_bitmap_font(font_engine *engine, const gdi_font *font) {
    engine->bitmap_font = true;
    engine->bitmap_scale = bitmap_font_scale_for(font_requested_em(font), font->height > 0);
    int advance = 0;
    bitmap_font_metrics(engine->bitmap_scale, &engine->ascent, &engine->descent, &advance);
}

font_engine *engine_create(const gdi_font *font) {
    font_engine *engine = new (std::nothrow) font_engine();
    if (!engine) return nullptr;
    for (std::atomic<font_glyph_page *> &page : engine->pages) page.store(nullptr);
    engine->escapement_radians = tenths_to_radians(font->escapement);
    engine->orientation_radians = tenths_to_radians(font->orientation);
    if (!open_chosen_face(engine, font)) use_bitmap_font(engine, font); // text never vanishes
    return engine;
}

FT_UInt char_index(FT_Face face, uint32_t code_point) {
    FT_UInt index = FT_Get_Char_Index(face, code_point);
    // Symbol fonts map the bytes 0x20 to 0xFF from U+F020 up instead.
    if (!index && code_point < 0x100 && face->charmap &&
        face->charmap->encoding == FT_ENCODING_MS_SYMBOL)
        index = FT_Get_Char_Index(face, 0xF000u + code_point);
    return index;
}

// Opens the fallback face of `slot` at the engine's size. Fixed-size bitmap faces are left
// out: a strike of another size would stand out of the line. Called with both locks held.
FT_Face open_fallback_face(font_engine *engine, int slot) {
    font_face_file file;
    if (!font_match_fallback_file(engine->choice.get(), slot, &file)) return nullptr;
    FT_Face face = open_file(file);
    if (face && (!FT_IS_SCALABLE(face) || !size_face(face, engine->em_pixels))) {
        FT_Done_Face(face);
        return nullptr;
    }
    if (face) set_turn(face, engine->orientation_radians);
    return face;
}

FT_Face fallback_face(font_engine *engine, int slot) {
    std::vector<font_fallback_face> &faces = engine->fallback_faces;
    if (static_cast<size_t>(slot) >= faces.size()) faces.resize(slot + 1, font_fallback_face{});
    if (!faces[slot].tried) {
        faces[slot].tried = true;
        faces[slot].ft_face = open_fallback_face(engine, slot);
    }
    return static_cast<FT_Face>(faces[slot].ft_face);
}

void engine_release(gdi_font *font) {
    font_engine *engine = static_cast<font_engine *>(font->engine);
    if (!engine) return;
    font_glyphs_release(engine);
    {
        std::lock_guard<std::mutex> guard(font_setup_lock());
        if (engine->ft_face) FT_Done_Face(static_cast<FT_Face>(engine->ft_face));
        for (font_fallback_face &fallback : engine->fallback_faces)
            if (fallback.ft_face) FT_Done_Face(static_cast<FT_Face>(fallback.ft_face));
        engine->choice.reset(); // fontconfig's objects go under the lock too
    }
    delete engine;
    font->engine = nullptr;
}

} // namespace

// FreeType lets threads share one library as long as faces are made and done with one at a
// time; each face is then used under its font's render lock.
std::mutex &font_setup_lock(void) {
    static std::mutex lock;
    return lock;
}

void *font_face_for(font_engine *engine, uint32_t code_point, int *source, unsigned *index) {
    *source = 0;
    *index = char_index(static_cast<FT_Face>(engine->ft_face), code_point);
    if (*index || !engine->choice) return engine->ft_face;
    std::lock_guard<std::mutex> guard(font_setup_lock());
    font_choice *choice = engine->choice.get();
    for (int slot = font_match_fallback_for(choice, code_point, 0); slot >= 0;
         slot = font_match_fallback_for(choice, code_point, slot + 1)) {
        FT_Face face = fallback_face(engine, slot);
        FT_UInt found = face ? char_index(face, code_point) : 0;
        if (!found) continue;
        *source = slot + 1;
        *index = found;
        return face;
    }
    return engine->ft_face; // no face has it: the font's own missing-glyph shape
}

void *font_face_of_source(font_engine *engine, int source) {
    if (source <= 0) return engine->ft_face;
    return engine->fallback_faces[source - 1].ft_face;
}

int font_requested_em(const gdi_font *font) {
    if (font->height == 0) return default_em_pixels;
    int64_t height = font->height;
    return clamp_em(height < 0 ? -height : height);
}

font_engine *font_engine_of(gdi_font *font) {
    void *made = __atomic_load_n(&font->engine, __ATOMIC_ACQUIRE);
    if (made) return static_cast<font_engine *>(made);
    std::lock_guard<std::mutex> guard(font_setup_lock());
    made = __atomic_load_n(&font->engine, __ATOMIC_RELAXED);
    if (made) return static_cast<font_engine *>(made);
    font_engine *engine = engine_create(font);
    if (!engine) return nullptr;
    font->release_engine = engine_release;
    __atomic_store_n(&font->engine, static_cast<void *>(engine), __ATOMIC_RELEASE);
    return engine;
}

// Width, underline and strike-out are kept in the record but not drawn: the library asks
// for none of them. The face is looked up when the font is first drawn with, not here.
HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight,
                         DWORD italic, DWORD underline, DWORD strike_out, DWORD charset,
                         DWORD out_precision, DWORD clip_precision, DWORD quality,
                         DWORD pitch_and_family, LPCSTR face) {
    (void)out_precision;
    (void)clip_precision;
    (void)quality;
    gdi_font description = {};
    description.height = height;
    description.width = width;
    description.escapement = escapement;
    description.orientation = orientation;
    description.weight = weight;
    description.italic = italic;
    description.underline = underline;
    description.strike_out = strike_out;
    description.charset = charset;
    description.pitch_and_family = pitch_and_family;
    // Win32 face names hold at most 31 characters; longer ones are cut there, as LOGFONT does.
    if (face) strncpy(description.face, face, sizeof(description.face) - 1);
    return gdi_font_create(&description);
}

void font_engine_shutdown(void) {
    std::lock_guard<std::mutex> guard(font_setup_lock());
    if (g_freetype) FT_Done_FreeType(g_freetype);
    g_freetype = nullptr;
    g_freetype_tried = false;
    font_match_shutdown();
}

void gdi_shutdown(void) {
    // Fonts release their faces as they are freed, before FreeType itself goes.
    gdi_release_all_objects();
    font_engine_shutdown();
}
