// Version, result-code messages and the last error.
#include "zelvan.h"

#include <gtest/gtest.h>

#include <string>

// The number comes from the package's version (1.16): a version bump that changes the
// documented 272 shows here. It is no call that fails, so the last error stays.
TEST(Version, IsThePackageVersionAndLeavesTheLastErrorAlone) {
    EXPECT_EQ(ZVSetLineStyle(-1, ZV_LINE_DASH), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetVersion(), 272);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
}

TEST(ErrorString, EveryCodeHasItsMessage) {
    EXPECT_STREQ(ZVGetErrorString(ZV_OK), "Okay");
    EXPECT_STREQ(ZVGetErrorString(ZV_ERROR), "Error");
    EXPECT_STREQ(ZVGetErrorString(ZV_ERR_BAD_WINDOW), "Invalid window handle");
    EXPECT_STREQ(ZVGetErrorString(ZV_ERR_NO_MEMORY), "Unsufficient memory");
    EXPECT_STREQ(ZVGetErrorString(ZV_ERR_TOO_MANY_WINDOWS),
                 "Could not create new window - too many already open");
    EXPECT_STREQ(ZVGetErrorString(-999966), "Failed to copy data to Clipboard");
    for (int code = ZV_OK; code <= ZV_ERR_CLIPBOARD_COPY; ++code) {
        std::string message = ZVGetErrorString(code);
        EXPECT_FALSE(message.empty());
        EXPECT_NE(message, "Bad error code") << code;
    }
}

TEST(ErrorString, CodesOutsideTheTableAreBad) {
    for (int code : {-999965, -1000001, 0, 1, -2147483647 - 1, 2147483647})
        EXPECT_STREQ(ZVGetErrorString(code), "Bad error code") << code;
}

TEST(ErrorString, KnownCodesKeepTheirTextAcrossLaterCalls) {
    const char *first = ZVGetErrorString(ZV_OK);
    const char *second = ZVGetErrorString(ZV_ERR_FILE_OPEN);
    ZVGetErrorString(12345);
    EXPECT_STREQ(first, "Okay");
    EXPECT_STREQ(second, "Could not open the file");
}

TEST(ErrorString, LeavesTheLastErrorAlone) {
    ZVIsWindow(0);
    ZVGetErrorString(ZV_OK);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
}

TEST(LastError, ReadingResetsIt) {
    EXPECT_EQ(ZVGetLastError(), ZV_OK);
    EXPECT_EQ(ZVIsWindow(0), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetLastError(), ZV_OK);
}

TEST(LastError, SuccessDoesNotClearIt) {
    int window = ZVCreateWindow(10, 10, 50, 40, "last error");
    ASSERT_NE(window, 0);
    ZVIsWindow(-1);
    EXPECT_EQ(ZVIsWindow(window), ZV_OK);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
    ZVDestroyWindow(window);
}

TEST(LastError, CreateWindowResetsItOnEntry) {
    ZVIsWindow(0);
    int window = ZVCreateWindow(10, 10, 50, 40, "reset");
    ASSERT_NE(window, 0);
    EXPECT_EQ(ZVGetLastError(), ZV_OK);
    ZVDestroyWindow(window);
}
