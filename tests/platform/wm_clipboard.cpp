// The platform clipboard: one opener at a time, ownership of the data, export of CF_DIB.
#include "platform/posix/display/headless/headless_test.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <string.h>

#include <future>
#include <thread>

namespace {

HGLOBAL block_of(const char *text) {
    size_t size = strlen(text);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(block), text, size);
    GlobalUnlock(block);
    return block;
}

// Runs `work` on a thread of its own and returns its result.
template <typename Work> auto on_other_thread(Work work) {
    return std::async(std::launch::async, work).get();
}

} // namespace

TEST(wm_Clipboard, OneThreadHoldsItOpenAtATime) {
    headless_test_activate();
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(OpenClipboard(nullptr)); // the holder may open it again
    EXPECT_FALSE(on_other_thread([] { return OpenClipboard(nullptr); }));
    EXPECT_FALSE(on_other_thread([] { return CloseClipboard(); })); // nor close it for us
    EXPECT_TRUE(CloseClipboard());
    EXPECT_FALSE(CloseClipboard());
    EXPECT_TRUE(on_other_thread([] { return OpenClipboard(nullptr) && CloseClipboard(); }));
}

TEST(wm_Clipboard, ChangesNeedTheClipboardOpen) {
    headless_test_activate();
    HGLOBAL block = block_of("x");
    EXPECT_FALSE(EmptyClipboard());
    EXPECT_EQ(GetLastError(), 1418u); // ERROR_CLIPBOARD_NOT_OPEN
    EXPECT_EQ(SetClipboardData(CF_DIB, block), nullptr);
    GlobalFree(block); // refused, so still the caller's
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(EmptyClipboard());
    EXPECT_EQ(SetClipboardData(CF_DIB, nullptr), nullptr); // no delayed rendering
    EXPECT_TRUE(CloseClipboard());
}

TEST(wm_Clipboard, ADibIsOfferedToOtherProgramsAndOwnedByTheClipboard) {
    headless_test_activate();
    std::vector<unsigned char> offered;
    ASSERT_TRUE(OpenClipboard(nullptr));
    ASSERT_TRUE(EmptyClipboard());
    HGLOBAL first = block_of("first picture");
    EXPECT_EQ(SetClipboardData(CF_DIB, first), first);
    ASSERT_TRUE(headless_test_clipboard(&offered));
    EXPECT_EQ(std::string(offered.begin(), offered.end()), "first picture");
    // A second item of the same format replaces (and frees) the first.
    HGLOBAL second = block_of("second");
    EXPECT_EQ(SetClipboardData(CF_DIB, second), second);
    ASSERT_TRUE(headless_test_clipboard(&offered));
    EXPECT_EQ(std::string(offered.begin(), offered.end()), "second");
    // Other formats are kept but not offered as the picture.
    EXPECT_NE(SetClipboardData(1, block_of("text")), nullptr);
    ASSERT_TRUE(headless_test_clipboard(&offered));
    EXPECT_EQ(std::string(offered.begin(), offered.end()), "second");
    EXPECT_TRUE(EmptyClipboard());
    EXPECT_TRUE(CloseClipboard());
}

// Registered names share one id whatever their case; the one named PNG goes to the display
// beside the DIB, set before it or after, and a later DIB alone leaves no PNG behind.
TEST(wm_Clipboard, ARegisteredPngGoesBesideTheDib) {
    headless_test_activate();
    UINT png = RegisterClipboardFormatA("PNG");
    EXPECT_GE(png, 0xC000u);
    EXPECT_EQ(RegisterClipboardFormatA("png"), png);
    UINT other = RegisterClipboardFormatA("Something else");
    EXPECT_NE(other, png);
    EXPECT_EQ(RegisterClipboardFormatA(""), 0u);
    std::vector<unsigned char> seen;
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    ASSERT_TRUE(SetClipboardData(png, block_of("png first")));
    ASSERT_TRUE(SetClipboardData(other, block_of("unseen")));
    ASSERT_TRUE(SetClipboardData(CF_DIB, block_of("dib")));
    EXPECT_TRUE(headless_test_clipboard_png(&seen));
    EXPECT_EQ(std::string(seen.begin(), seen.end()), "png first");
    EmptyClipboard();
    ASSERT_TRUE(SetClipboardData(CF_DIB, block_of("dib alone")));
    EXPECT_FALSE(headless_test_clipboard_png(&seen));
    EXPECT_TRUE(CloseClipboard());
}
