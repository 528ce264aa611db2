// MultiByteToWideChar and WideCharToMultiByte: strict and lenient UTF-8, Windows-1252, and the
// argument checks.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The conversion of `bytes`, or "fail" and the error when there is none.
std::u16string convert(UINT code_page, DWORD flags, const std::string &bytes) {
    char16_t out[64];
    int needed = MultiByteToWideChar(code_page, flags, bytes.data(), (int)bytes.size(), nullptr, 0);
    int made = MultiByteToWideChar(code_page, flags, bytes.data(), (int)bytes.size(), out, 64);
    EXPECT_EQ(needed, made) << "the count asked for first is the count made";
    if (made == 0) return u"fail " + std::u16string(1, (char16_t)GetLastError());
    return std::u16string(out, made);
}

const std::u16string no_translation = u"fail " + std::u16string(1, (char16_t)1113);

} // namespace

TEST(kernel_MultiByteToWideChar, Utf8ValidSequencesOfEveryLength) {
    EXPECT_EQ(
        convert(CP_UTF8, MB_ERR_INVALID_CHARS, "x\xC2\xB2 \xE2\x86\x92 caf\xC3\xA9 \xE2\x82\xAC"),
        u"x\u00B2 \u2192 caf\u00E9 \u20AC");
    EXPECT_EQ(convert(CP_UTF8, MB_ERR_INVALID_CHARS, "\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"),
              u"\U0001F600\U0010FFFF")
        << "beyond the BMP: surrogate pairs";
    EXPECT_EQ(convert(CP_UTF8, MB_ERR_INVALID_CHARS, "\xED\x9F\xBF\xEE\x80\x80"), u"\uD7FF\uE000");
    char16_t out[8];
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab", -1, out, 8), 3) << "-1 takes the NUL too";
    EXPECT_EQ(out[2], 0);
}

// Overlong forms, surrogates, values past U+10FFFF, stray and missing continuation bytes.
TEST(kernel_MultiByteToWideChar, Utf8InvalidSequencesFailOrAreReplaced) {
    for (const char *bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80",
                            "caf\xE9", "\xE2\x82", "\xF8\x88\x80\x80\x80", "\xFF"})
        EXPECT_EQ(convert(CP_UTF8, MB_ERR_INVALID_CHARS, bad), no_translation) << bad;
    // Without the flag each longest well-formed start becomes one U+FFFD.
    EXPECT_EQ(convert(CP_UTF8, 0, "a\xE2\x82z"), u"a\uFFFDz");
    EXPECT_EQ(convert(CP_UTF8, 0, "\xC0\xAF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(convert(CP_UTF8, 0, "\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
}

TEST(kernel_MultiByteToWideChar, Windows1252MapsEveryByte) {
    std::u16string expected = u"caf\u00E9 \u20AC\u201A\u0192\u2026\u0178 \u0081\u008D\u00A0\u00FF";
    std::string bytes = "caf\xE9 \x80\x82\x83\x85\x9F \x81\x8D\xA0\xFF";
    EXPECT_EQ(convert(1252, MB_ERR_INVALID_CHARS, bytes), expected);
    EXPECT_EQ(convert(CP_ACP, 0, bytes), expected) << "the ANSI code page is Windows-1252";
}

TEST(kernel_MultiByteToWideChar, BadArgumentsFailWithTheirError) {
    char16_t out[2];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 3, out, 2), 0);
    EXPECT_EQ(GetLastError(), 122u) << "no room";
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", 1, out, 2), 0);
    EXPECT_EQ(GetLastError(), 1004u) << "flag not for UTF-8";
    for (int count : {0, -2}) EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", count, out, 2), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, nullptr, 3, out, 2), 0);
    EXPECT_EQ(MultiByteToWideChar(437, 0, "abc", 3, out, 2), 0) << "a code page we lack";
    EXPECT_EQ(GetLastError(), 87u);
}

// WideCharToMultiByte: UTF-8 of every length, a lone surrogate as U+FFFD, Windows-1252 with
// its default character for what it lacks, and the counting call.
TEST(kernel_WideCharToMultiByte, Utf8AndWindows1252) {
    char out[32];
    const char16_t *wide = u"caf\u00E9 \u20AC \U0001F600 \u041F";
    int needed = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, 32, nullptr, nullptr), needed);
    EXPECT_STREQ(out, "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xD0\x9F");
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a\xD800z", 3, out, 32, nullptr, nullptr), 5);
    EXPECT_EQ(std::string(out, 5), "a\xEF\xBF\xBDz");
    BOOL used = FALSE;
    EXPECT_EQ(WideCharToMultiByte(1252, 0, wide, -1, out, 32, nullptr, &used), 11);
    EXPECT_STREQ(out, "caf\xE9 \x80 ? ?") << "a surrogate pair is one character";
    EXPECT_TRUE(used);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u0081\u0178x", 3, out, 32, "#", &used), 3);
    EXPECT_EQ(std::string(out, 3), "\x81\x9F"
                                   "x");
    EXPECT_FALSE(used);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"abc", 3, out, 2, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), 122u) << "no room";
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"abc", 3, out, 8, "?", nullptr), 0);
    EXPECT_EQ(GetLastError(), 87u) << "UTF-8 takes no default character";
}
