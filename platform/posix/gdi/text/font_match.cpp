// Face matching: a logical font's face name, weight, slant and pitch become a fontconfig
// pattern that the system's own rules complete (aliases, metric-compatible faces, the name's
// generic kind, the default face); fontconfig's best face for it is the font's face, and the
// faces it sorts after that one stand in for characters the face lacks.
#include "platform/posix/gdi/text/font_engine.h"

#include <fontconfig/fontconfig.h>

#include <map>
#include <new>
#include <tuple>

namespace {

// The library's own configuration rather than the process default, so that unloading can
// destroy it without taking the default from a host that uses fontconfig itself.
FcConfig *g_config;
bool g_config_tried;

FcConfig *library_config() {
    if (!g_config_tried) {
        g_config_tried = true;
        g_config = FcInitLoadConfigAndFonts(); // null: fontconfig falls back to its default
    }
    return g_config;
}

// Choices by face name, weight, italic, pitch and em size. The cache starts afresh when it
// holds this many, which only a program asking for ever new names or sizes reaches; fonts
// keep the choice they were made with either way.
constexpr size_t choice_cache_limit = 256;
using choice_key = std::tuple<std::string, int, bool, DWORD, int>;
using choice_cache = std::map<choice_key, std::shared_ptr<font_choice>>;
choice_cache *g_choices; // made on first use, so that it outlives no unload

// Win32 weights are OpenType weights; 0 means "don't care", taken as normal.
int normal_weight(int weight) {
    if (weight <= 0) return FW_NORMAL;
    return weight > 1000 ? 1000 : weight;
}

// The family hint is left out: with it, every name the system does not know would turn into
// the hint's generic face (the library always passes FF_MODERN, which is monospace), where
// Windows falls back to its default proportional face. Fontconfig's rules give an unknown
// name the default sans face. Only an explicit pitch asks for a spacing.
FcPattern *pattern_for(const gdi_font *font, int em_pixels) {
    FcPattern *pattern = FcPatternCreate();
    if (!pattern) return nullptr;
    if (font->face[0]) FcPatternAddString(pattern, FC_FAMILY, (const FcChar8 *)font->face);
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, em_pixels);
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(normal_weight(font->weight)));
    FcPatternAddInteger(pattern, FC_SLANT, font->italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    DWORD pitch = font->pitch_and_family & 3;
    if (pitch == FIXED_PITCH) FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
    if (pitch == VARIABLE_PITCH) FcPatternAddInteger(pattern, FC_SPACING, FC_PROPORTIONAL);
    FcConfigSubstitute(library_config(), pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    return pattern;
}

// Dual-width faces (monospaced with double-width ideographs) count as monospaced.
bool is_monospaced(FcPattern *font) {
    int spacing = FC_PROPORTIONAL;
    return FcPatternGetInteger(font, FC_SPACING, 0, &spacing) == FcResultMatch &&
           spacing >= FC_DUAL;
}

bool has_family(FcPattern *font, const char *name) {
    FcChar8 *family = nullptr;
    for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &family) == FcResultMatch; i++)
        if (FcStrCmpIgnoreCase(family, (const FcChar8 *)name) == 0) return true;
    return false;
}

// A request is for a monospaced face when it asks for a fixed pitch, or when the system's
// rules file its name under "monospace" before any other generic family.
bool wants_monospace(const gdi_font *font, FcPattern *pattern) {
    if ((font->pitch_and_family & 3) == FIXED_PITCH) return true;
    static const char *const proportional_kinds[] = {"sans-serif", "serif", "cursive", "fantasy"};
    FcChar8 *family = nullptr;
    for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &family) == FcResultMatch; i++) {
        if (FcStrCmpIgnoreCase(family, (const FcChar8 *)"monospace") == 0) return true;
        for (const char *kind : proportional_kinds)
            if (FcStrCmpIgnoreCase(family, (const FcChar8 *)kind) == 0) return false;
    }
    return false;
}

bool file_of(FcPattern *font, font_face_file *out) {
    FcChar8 *file = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || !file) return false;
    int index = 0;
    if (FcPatternGetInteger(font, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    out->path = reinterpret_cast<const char *>(file);
    out->index = index;
    return true;
}

// A proportional request never gets a monospaced face: when the best match is one (the
// installed faces of the asked kind all matched worse), the first proportional face in
// fontconfig's order takes its place, if there is any. A face asked for by its own name is
// always kept.
void keep_proportional(const gdi_font *font, FcPattern *pattern, FcPattern *match,
                       font_face_file *face) {
    if (!is_monospaced(match) || has_family(match, font->face) || wants_monospace(font, pattern))
        return;
    FcResult result = FcResultNoMatch;
    FcFontSet *sorted = FcFontSort(library_config(), pattern, FcFalse, nullptr, &result);
    if (!sorted) return;
    for (int i = 0; i < sorted->nfont; i++)
        if (!is_monospaced(sorted->fonts[i]) && file_of(sorted->fonts[i], face)) break;
    FcFontSetDestroy(sorted);
}

std::shared_ptr<font_choice> choose(const gdi_font *font, int em_pixels) {
    FcPattern *pattern = pattern_for(font, em_pixels);
    if (!pattern) return nullptr;
    FcResult result = FcResultNoMatch;
    FcPattern *match = FcFontMatch(library_config(), pattern, &result);
    std::shared_ptr<font_choice> choice(new (std::nothrow) font_choice());
    if (!match || !choice || !file_of(match, &choice->face)) {
        if (match) FcPatternDestroy(match);
        FcPatternDestroy(pattern);
        return nullptr;
    }
    keep_proportional(font, pattern, match, &choice->face);
    FcPatternDestroy(match);
    choice->pattern = pattern;
    return choice;
}

FcFontSet *fallbacks_of(font_choice *choice) {
    if (!choice->sort_tried) {
        choice->sort_tried = true;
        FcResult result = FcResultNoMatch;
        // Trimmed: only the faces that add characters the ones before them lack.
        choice->sorted = FcFontSort(library_config(), static_cast<FcPattern *>(choice->pattern),
                                    FcTrue, nullptr, &result);
    }
    return static_cast<FcFontSet *>(choice->sorted);
}

} // namespace

font_choice::~font_choice() {
    if (sorted) FcFontSetDestroy(static_cast<FcFontSet *>(sorted));
    if (pattern) FcPatternDestroy(static_cast<FcPattern *>(pattern));
}

std::shared_ptr<font_choice> font_match_choose(const gdi_font *font, int em_pixels) {
    choice_key key(font->face, normal_weight(font->weight), font->italic != 0,
                   font->pitch_and_family & 3, em_pixels);
    if (!g_choices) g_choices = new (std::nothrow) choice_cache();
    if (g_choices) {
        choice_cache::iterator found = g_choices->find(key);
        if (found != g_choices->end()) return found->second;
    }
    std::shared_ptr<font_choice> choice = choose(font, em_pixels);
    if (!choice || !g_choices) return choice;
    if (g_choices->size() >= choice_cache_limit) g_choices->clear();
    g_choices->emplace(key, choice);
    return choice;
}

int font_match_fallback_for(font_choice *choice, uint32_t code_point, int first) {
    FcFontSet *sorted = fallbacks_of(choice);
    for (int slot = first < 0 ? 0 : first; sorted && slot < sorted->nfont; slot++) {
        FcPattern *font = sorted->fonts[slot];
        FcCharSet *characters = nullptr;
        if (FcPatternGetCharSet(font, FC_CHARSET, 0, &characters) != FcResultMatch ||
            !FcCharSetHasChar(characters, code_point))
            continue;
        font_face_file file;
        if (file_of(font, &file) &&
            (file.path != choice->face.path || file.index != choice->face.index))
            return slot;
    }
    return -1;
}

bool font_match_fallback_file(font_choice *choice, int slot, font_face_file *out) {
    FcFontSet *sorted = fallbacks_of(choice);
    return sorted && slot >= 0 && slot < sorted->nfont && file_of(sorted->fonts[slot], out);
}

void font_match_shutdown(void) {
    delete g_choices; // every font is gone by now, so these are the choices' last owners
    g_choices = nullptr;
    if (g_config) FcConfigDestroy(g_config);
    g_config = nullptr;
    g_config_tried = false;
}
