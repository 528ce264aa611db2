// Zelvan.dll reads titles and file names as UTF-8 when they are UTF-8: the window and the
// disk hold the characters meant. Other bytes keep their old meaning: Windows-1252 for
// titles, the ANSI code page for file names.
#include "image_files.h"

#include <gtest/gtest.h>
#include <windows.h>

TEST(WindowsNames, Utf8FileNamesLandOnDiskAsWritten) {
    scratch_folder dir;
    int w = ZVCreateWindow(0, 0, 20, 10, "names");
    ASSERT_GT(w, 0);
    ZVSetPixel(w, 3, 4, ZVGetRGBColour(200, 10, 10));
    const std::string utf8 = "gr\xC3\xBC\xC3\x9F"
                             "e-\xD0\xBA\xD0\xB0\xD1\x80.bmp";
    const std::wstring meant = L"gr\u00FC\u00DFe-\u043A\u0430\u0440.bmp";
    std::string path = (dir.root.string() + "\\") + utf8;
    ASSERT_EQ(ZVSaveImage(w, path.c_str()), ZV_OK);
    EXPECT_TRUE(std::filesystem::exists(dir.root / meant))
        << "the name on disk is not the one meant";
    int loaded = ZVCreateWindow(0, 0, 5, 5, "loaded");
    EXPECT_EQ(ZVLoadImage(loaded, path.c_str()), ZV_OK);
    EXPECT_EQ(ZVGetPixel(loaded, 3, 4), ZVGetRGBColour(200, 10, 10));
    EXPECT_EQ(ZVSaveImage(w, (dir.root.string() + "\\\xE2\x82\xAC.bmp").c_str()), ZV_OK);
    EXPECT_TRUE(std::filesystem::exists(dir.root / L"\u20AC.bmp"));

    // Not UTF-8: the ANSI code page, as before.
    const char ansi[] = "caf\xE9.bmp";
    wchar_t ansi_meant[16];
    ASSERT_GT(MultiByteToWideChar(CP_ACP, 0, ansi, -1, ansi_meant, 16), 0);
    ASSERT_EQ(ZVSaveImage(w, (dir.root.string() + "\\" + ansi).c_str()), ZV_OK);
    EXPECT_TRUE(std::filesystem::exists(dir.root / ansi_meant));
    auto files = std::filesystem::directory_iterator(dir.root);
    EXPECT_EQ(std::distance(begin(files), end(files)), 3) << "no temporary file left behind";
    ZVDestroyWindow(loaded);
    ZVDestroyWindow(w);
}

TEST(WindowsNames, TitlesKeepEveryCharacter) {
    const char *utf8 = "Gr\xC3\xBC\xC3\x9F"
                       "e \xE2\x80\x93 \xD0\x9F\xD1\x80\xD0\xB8";
    int w = ZVCreateWindow(0, 0, 40, 20, utf8);
    ASSERT_GT(w, 0);
    // FindWindowW compares the stored caption, as the title bar shows it.
    EXPECT_NE(FindWindowW(nullptr, L"Gr\u00FC\u00DFe \u2013 \u041F\u0440\u0438"), nullptr);
    EXPECT_EQ(ZVSetTitle(w, "caf\xE9 \x80"), ZV_OK); // not UTF-8: Windows-1252
    EXPECT_NE(FindWindowW(nullptr, L"caf\u00E9 \u20AC"), nullptr);
    EXPECT_STREQ(ZVGetTitle(w), "caf\xE9 \x80");
    ZVDestroyWindow(w);
}
