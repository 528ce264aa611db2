// Face matching: a logical font's face name, weight, slant, pitch and family hint turned
// into a fontconfig pattern, and fontconfig's nearest installed face.
#include "platform/posix/gdi/font_engine.h"

#include <fontconfig/fontconfig.h>

namespace {

// The library's own configuration rather than the process default, so that unloading can
// destroy it without taking the default from a host that uses fontconfig itself. Used under
// the font engine's set-up lock.
FcConfig *g_config;
bool g_config_tried;

FcConfig *library_config() {
    if (!g_config_tried) {
        g_config_tried = true;
        g_config = FcInitLoadConfigAndFonts(); // null: fontconfig falls back to its default
    }
    return g_config;
}

// The generic fontconfig family for the Win32 family hint (high nibble of pitch and family).
const char *generic_family(DWORD pitch_and_family) {
    switch (pitch_and_family & 0xF0) {
    case FF_ROMAN:
        return "serif";
    case FF_SWISS:
        return "sans-serif";
    case FF_MODERN: // constant stroke width: Courier-like faces
        return "monospace";
    case FF_SCRIPT:
        return "cursive";
    case FF_DECORATIVE:
        return "fantasy";
    default:
        return nullptr;
    }
}

// Win32 weights are OpenType weights; 0 means "don't care", taken as normal.
int fontconfig_weight(int weight) {
    if (weight <= 0) weight = FW_NORMAL;
    if (weight > 1000) weight = 1000;
    return FcWeightFromOpenType(weight);
}

FcPattern *pattern_for(const gdi_font *font, int em_pixels) {
    FcPattern *pattern = FcPatternCreate();
    if (!pattern) return nullptr;
    if (font->face[0]) FcPatternAddString(pattern, FC_FAMILY, (const FcChar8 *)font->face);
    // The family hint comes after the name, so it steers only when the name is not installed.
    const char *generic = generic_family(font->pitch_and_family);
    if (generic) FcPatternAddString(pattern, FC_FAMILY, (const FcChar8 *)generic);
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, em_pixels);
    FcPatternAddInteger(pattern, FC_WEIGHT, fontconfig_weight(font->weight));
    FcPatternAddInteger(pattern, FC_SLANT, font->italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    if ((font->pitch_and_family & 3) == FIXED_PITCH)
        FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
    FcConfigSubstitute(library_config(), pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    return pattern;
}

} // namespace

bool font_match_face(const gdi_font *font, int em_pixels, font_face_file *out) {
    FcPattern *pattern = pattern_for(font, em_pixels);
    if (!pattern) return false;
    FcResult result = FcResultNoMatch;
    FcPattern *match = FcFontMatch(library_config(), pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return false;
    FcChar8 *file = nullptr;
    int index = 0;
    bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file;
    if (found) {
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
        out->path = reinterpret_cast<const char *>(file);
        out->index = index;
    }
    FcPatternDestroy(match);
    return found;
}

void font_match_shutdown(void) {
    if (g_config) FcConfigDestroy(g_config);
    g_config = nullptr;
    g_config_tried = false;
}
