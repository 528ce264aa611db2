// MulDiv, the lstr* calls and wsprintfA.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

TEST(kernel_MulDiv, RoundsHalfAwayFromZero) {
    EXPECT_EQ(MulDiv(5, 1, 2), 3);
    EXPECT_EQ(MulDiv(-5, 1, 2), -3);
    EXPECT_EQ(MulDiv(5, -1, 2), -3);
    EXPECT_EQ(MulDiv(-7, 1, -2), 4);
    EXPECT_EQ(MulDiv(7, 1, -2), -4);
    EXPECT_EQ(MulDiv(3, 1, 4), 1);  // 0.75
    EXPECT_EQ(MulDiv(1, 1, 4), 0);  // 0.25
    EXPECT_EQ(MulDiv(-1, 1, 4), 0); // -0.25
    EXPECT_EQ(MulDiv(2, 1, 3), 1);
    EXPECT_EQ(MulDiv(-2, 1, 3), -1);
    EXPECT_EQ(MulDiv(12, 96, 72), 16); // the font height conversion the library makes
    EXPECT_EQ(MulDiv(10, 96, 72), 13); // 13.33
}

TEST(kernel_MulDiv, UsesA64BitIntermediate) {
    EXPECT_EQ(MulDiv(INT_MAX, INT_MAX, INT_MAX), INT_MAX);
    EXPECT_EQ(MulDiv(100000, 100000, 1000), 10000000);
    EXPECT_EQ(MulDiv(INT_MIN, 1, 1), INT_MIN);
}

TEST(kernel_MulDiv, ReportsMinusOneForZeroDivisorAndOverflow) {
    EXPECT_EQ(MulDiv(7, 3, 0), -1);
    EXPECT_EQ(MulDiv(INT_MAX, 2, 1), -1);
    EXPECT_EQ(MulDiv(INT_MIN, 2, 1), -1);
    EXPECT_EQ(MulDiv(INT_MIN, -1, 1), -1);
}

TEST(kernel_LstrCalls, CopyWithAndWithoutLimit) {
    char buffer[8];
    EXPECT_EQ(lstrcpyA(buffer, "abc"), buffer);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(lstrcpynA(buffer, "abcdefghij", 5), buffer);
    EXPECT_STREQ(buffer, "abcd"); // count includes the terminator
    lstrcpynA(buffer, "xy", 8);
    EXPECT_STREQ(buffer, "xy");
    buffer[0] = 'Q';
    lstrcpynA(buffer, "zzz", 1);
    EXPECT_STREQ(buffer, "");
    buffer[0] = 'Q';
    lstrcpynA(buffer, "zzz", 0); // nothing at all is written
    EXPECT_EQ(buffer[0], 'Q');
    EXPECT_EQ(lstrlenA("hello"), 5);
    EXPECT_EQ(lstrlenA(nullptr), 0);
}

TEST(kernel_LstrCalls, CompareLikeWin32) {
    EXPECT_EQ(lstrcmpA("abc", "abc"), 0);
    EXPECT_LT(lstrcmpA("abc", "abd"), 0);
    EXPECT_GT(lstrcmpA("abd", "abc"), 0);
    EXPECT_LT(lstrcmpA("ab", "abc"), 0);
    // Letters sort alphabetically before case is looked at, and lower case comes first.
    EXPECT_LT(lstrcmpA("apple", "Banana"), 0);
    EXPECT_LT(lstrcmpA("a", "A"), 0);
    EXPECT_GT(lstrcmpA("Zelvan", "zelvan"), 0);
}

TEST(kernel_Wsprintf, FormatsTheConversionsTheLibraryUses) {
    char out[1100];
    int n = wsprintfA(out, "Unable to get handle: %s", "draw.exe");
    EXPECT_STREQ(out, "Unable to get handle: draw.exe");
    EXPECT_EQ(n, 30);
    wsprintfA(out, "NULL thread - last error = %lu", static_cast<DWORD>(4294967295u));
    EXPECT_STREQ(out, "NULL thread - last error = 4294967295");
    wsprintfA(out, "%d|%u|%x|%X|%i|%c|%%", -42, 42u, 255u, 255u, 7, 'z');
    EXPECT_STREQ(out, "-42|42|ff|FF|7|z|%");
    wsprintfA(out, "[%5d][%-5d][%05d][%.2s][%s]", 42, 42, -42, "abcdef",
              static_cast<char *>(nullptr));
    EXPECT_STREQ(out, "[   42][42   ][-0042][ab][(null)]");
}

TEST(kernel_Wsprintf, StopsAt1024CharactersWithTheTerminator) {
    std::string long_text(2000, 'x');
    char out[2100];
    int n = wsprintfA(out, "%s", long_text.c_str());
    EXPECT_EQ(n, 1023);
    EXPECT_EQ(std::string(out), std::string(1023, 'x'));
}
