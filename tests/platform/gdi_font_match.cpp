// Face matching judged by pixels: Windows face names find a face of their kind through the
// system's fontconfig rules, and characters a face lacks come from the faces sorted after it.
#include "gdi_text_util.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

namespace {

const std::u16string sample = u"Hamburgefonstiv 0123";

// Whether an installed face has `family` as its own name (aliases left aside).
bool installed(const char *family) {
    FcPattern *pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8 *>(family));
    FcObjectSet *objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet *fonts = FcFontList(nullptr, pattern, objects);
    bool found = fonts && fonts->nfont > 0;
    if (fonts) FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
}

std::vector<COLORREF> picture_of(const char *face, const std::u16string &text) {
    HFONT font = make_font(20, 0, face);
    text_canvas canvas(320, 40);
    canvas.draw(font, TA_TOP, 4, 4, text);
    DeleteObject(font);
    return canvas.pixels();
}

bool monospaced(const char *face) {
    HFONT font = make_font(20, 0, face);
    bool same = advance_of(font, "iiii") == advance_of(font, "MMMM");
    DeleteObject(font);
    return same;
}

} // namespace

TEST(GdiFontMatch, WindowsNamesFindAFaceOfTheirKind) {
    for (const char *face : {"Times New Roman", "Arial", "Verdana", "Tahoma", "Segoe UI",
                             "Comic Sans MS", "Calibri", "Cambria", "No Such Face", ""})
        EXPECT_FALSE(monospaced(face)) << "'" << face << "' is proportional";
    EXPECT_TRUE(monospaced("Courier New"));
    EXPECT_NE(picture_of("Times New Roman", sample), picture_of("Arial", sample))
        << "a serif face and a sans face";
}

TEST(GdiFontMatch, UnknownAndEmptyNamesDrawInTheDefaultSansFace) {
    std::vector<COLORREF> sans = picture_of("sans-serif", sample);
    EXPECT_EQ(picture_of("No Such Face", sample), sans);
    EXPECT_EQ(picture_of("", sample), sans);
}

TEST(GdiFontMatch, LiberationFacesStandInForArialTimesAndCourier) {
    if (!installed("Liberation Sans") || !installed("Liberation Serif") ||
        !installed("Liberation Mono"))
        GTEST_SKIP() << "fonts-liberation2 is not installed";
    EXPECT_EQ(picture_of("Arial", sample), picture_of("Liberation Sans", sample));
    EXPECT_EQ(picture_of("Times New Roman", sample), picture_of("Liberation Serif", sample));
    EXPECT_EQ(picture_of("Courier New", sample), picture_of("Liberation Mono", sample));
}

// A snowman is in the DejaVu faces only: a serif request draws it from a fallback face,
// where a character no face has shows the face's missing-glyph box.
TEST(GdiFontMatch, CharactersAFaceLacksComeFromTheFacesSortedAfterIt) {
    if (!installed("DejaVu Sans")) GTEST_SKIP() << "fonts-dejavu-core is not installed";
    std::vector<COLORREF> snowman = picture_of("Times New Roman", u"\u2603");
    std::vector<COLORREF> missing = picture_of("Times New Roman", u"\U0010FFFD");
    EXPECT_NE(snowman, missing);
    HFONT font = make_font(20, 0, "Times New Roman");
    EXPECT_GT(advance_of(font, u"\u2603"), 8) << "the fallback glyph's own advance";
    DeleteObject(font);
}
