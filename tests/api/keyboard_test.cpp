// The per-window ring of typed characters, fed through the headless screen.
#include "headless_helpers.h"
#include "poll.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

// Types into the focused window and waits until the window has handled every character.
void type(int window, const std::string &text, int repeat = 1) {
    for (char c : text) headless_test_type(static_cast<unsigned char>(c), repeat);
    ASSERT_TRUE(flush_input(window));
}

std::string read_all(int window) {
    std::string text;
    while (ZV_kbhit(window) == 1) text += ZVReadChar(window);
    return text;
}

} // namespace

TEST(Keyboard, EmptyRing) {
    int w = ZVCreateWindow(10, 10, 100, 100, "empty");
    EXPECT_EQ(ZV_kbhit(w), 0);
    EXPECT_EQ(ZVReadChar(w), 1);
}

// Characters of any language come as code points; ZVReadChar, reading the same queue, gives
// their Windows-1252 byte or '?' where that code page has none (no look-alike letters).
TEST(Keyboard, TypedCodePointsAndTheirWindows1252Bytes) {
    int w = ZVCreateWindow(10, 10, 100, 100, "unicode");
    const struct {
        uint32_t typed;
        char western;
    } cases[] = {{'a', 'a'},   {0xE9, '\xE9'}, {0x20AC, '\x80'}, {0x436, '?'},
                 {0x3BB, '?'}, {0x101, '?'},   {0x1F600, '?'},   {'\r', '\r'}};
    for (auto c : cases) headless_test_type(c.typed, 1);
    for (auto c : cases) headless_test_type(c.typed, 1);
    ASSERT_TRUE(flush_input(w));
    for (auto c : cases) EXPECT_EQ(ZVReadUnicode(w), static_cast<int>(c.typed));
    for (auto c : cases) EXPECT_EQ(ZVReadChar(w), c.western) << c.typed;
    EXPECT_EQ(ZVReadUnicode(w), 0) << "nothing waits";
    EXPECT_EQ(ZVReadUnicode(0), ZV_ERR_BAD_WINDOW);
    ZVDestroyWindow(w);
}

// WM_CHAR carries UTF-16: a pair of surrogates is one character, and a surrogate without its
// partner is kept as U+FFFD rather than lost; clearing the ring forgets a half pair.
TEST(Keyboard, SurrogatePairsJoinAndLoneOnesAreReplaced) {
    int w = ZVCreateWindow(10, 10, 100, 100, "surrogates");
    HWND hwnd = hwnd_of(w);
    const WPARAM units[] = {0xD83D, 0xDE00, 0xDE00, 'x', 0xD83D, 'y', 0xD835, 0xDC00};
    for (WPARAM unit : units) SendMessageA(hwnd, WM_CHAR, unit, 1);
    for (int expected : {0x1F600, 0xFFFD, int('x'), 0xFFFD, int('y'), 0x1D400})
        EXPECT_EQ(ZVReadUnicode(w), expected);
    SendMessageA(hwnd, WM_CHAR, 0xD83D, 1);
    ZVClearKeyBuffer(w);
    SendMessageA(hwnd, WM_CHAR, 0xDE00, 2);
    EXPECT_EQ(ZVReadUnicode(w), 0xFFFD);
    EXPECT_EQ(ZVReadUnicode(w), 0xFFFD);
    EXPECT_EQ(ZVReadUnicode(w), 0);
    ZVDestroyWindow(w);
}

TEST(Keyboard, CharactersComeBackInOrder) {
    int w = ZVCreateWindow(10, 10, 100, 100, "order");
    type(w, "xyz");
    EXPECT_EQ(ZV_kbhit(w), 1);
    EXPECT_EQ(ZVReadChar(w), 'x');
    EXPECT_EQ(ZVReadChar(w), 'y');
    EXPECT_EQ(ZVReadChar(w), 'z');
    EXPECT_EQ(ZVReadChar(w), 1);
    EXPECT_EQ(ZV_kbhit(w), 0);
}

// A repeat count stores the character that many times while the ring has room: typed on the
// screen, and sent straight to the window procedure, which is the only way to send a count of 0.
TEST(Keyboard, RepeatCountsStoreWhileThereIsRoom) {
    int w = ZVCreateWindow(10, 10, 100, 100, "repeat");
    type(w, "q", 3);
    EXPECT_EQ(read_all(w), "qqq");
    HWND hwnd = hwnd_of(w);
    const struct {
        char character;
        int repeat;
    } sent[] = {{'a', 3}, {'b', 0}, {'c', 123}, {'d', 5}, {'e', 1}}; // 'd': two fit; 'e': full
    for (auto [character, repeat] : sent) SendMessageA(hwnd, WM_CHAR, character, repeat);
    EXPECT_EQ(read_all(w), "aaa" + std::string(123, 'c') + "dd");
    EXPECT_EQ(ZVReadChar(w), 1);
}

TEST(Keyboard, OverflowDropsTheNewestAndWrapAroundKeepsOrder) {
    int w = ZVCreateWindow(10, 10, 100, 100, "overflow");
    std::string typed;
    for (int i = 0; i < 130; ++i) typed += static_cast<char>('0' + i % 64);
    type(w, typed);
    EXPECT_EQ(read_all(w), typed.substr(0, 128));
    // Pass more than a ring's worth through, reading as we go.
    std::string through;
    for (int round = 0; round < 5; ++round) {
        type(w, "abcdefghijklmnopqrstuvwxyz0123456789");
        through += read_all(w);
    }
    std::string expected;
    for (int round = 0; round < 5; ++round) expected += "abcdefghijklmnopqrstuvwxyz0123456789";
    EXPECT_EQ(through, expected);
}

TEST(Keyboard, ClearEmptiesTheRing) {
    int w = ZVCreateWindow(10, 10, 100, 100, "clear");
    type(w, "abc");
    EXPECT_EQ(ZVClearKeyBuffer(w), ZV_OK);
    EXPECT_EQ(ZV_kbhit(w), 0);
    type(w, "d");
    EXPECT_EQ(ZVReadChar(w), 'd');
}

TEST(Keyboard, EachWindowHasItsOwnRing) {
    int a = ZVCreateWindow(10, 10, 100, 100, "a");
    int b = ZVCreateWindow(200, 10, 100, 100, "b");
    type(b, "k"); // b was created last, so it has the focus
    EXPECT_EQ(ZV_kbhit(a), 0);
    ZVBringWindowToFront(a);
    type(a, "m");
    EXPECT_EQ(read_all(b), "k");
    EXPECT_EQ(read_all(a), "m");
}

TEST(Keyboard, BadHandles) {
    EXPECT_EQ(ZVReadChar(0), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZV_kbhit(0), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVClearKeyBuffer(0), ZV_ERR_BAD_WINDOW);
}

// Two readers drain while one thread types: every typed character is read exactly once.
TEST(KeyboardThreads, TwoReadersNeverShareOrInventACharacter) {
    int w = ZVCreateWindow(10, 10, 100, 100, "readers");
    const int total = 3000;
    std::atomic<int> read_count{0};
    std::atomic<bool> done{false};
    std::vector<std::map<char, int>> seen(2);
    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r) {
        readers.emplace_back([&, r] {
            while (!done || ZV_kbhit(w) == 1) {
                if (ZV_kbhit(w) != 1) continue;
                char c = ZVReadChar(w);
                if (c == 1) continue; // the other reader took it
                ++seen[r][c];
                ++read_count;
            }
        });
    }
    for (int i = 0; i < total; ++i) {
        // Stay well inside the ring so that nothing is dropped for lack of room.
        while (i - read_count.load() > 64) std::this_thread::yield();
        headless_test_type(static_cast<char>('A' + i % 26), 1);
    }
    ASSERT_TRUE(poll_until([&] { return read_count.load() == total; }, 20));
    done = true;
    for (auto &reader : readers) reader.join();
    std::map<char, int> combined;
    for (auto &counts : seen)
        for (auto [c, n] : counts) combined[c] += n;
    EXPECT_EQ(combined.size(), 26u);
    for (auto [c, n] : combined) {
        int expected = total / 26 + (c - 'A' < total % 26 ? 1 : 0);
        EXPECT_EQ(n, expected) << c;
    }
    EXPECT_EQ(ZVReadChar(w), 1);
}

// Clears racing reads and appends leave a consistent ring and never a stray character.
TEST(KeyboardThreads, ClearsRacingReadsKeepTheRingConsistent) {
    int w = ZVCreateWindow(10, 10, 100, 100, "clears");
    std::atomic<bool> done{false};
    std::atomic<int> invented{0};
    std::thread reader([&] {
        while (!done) {
            char c = ZVReadChar(w);
            if (c != 1 && (c < 'a' || c > 'z')) ++invented;
        }
    });
    std::thread clearer([&] {
        while (!done) ZVClearKeyBuffer(w);
    });
    for (int i = 0; i < 2000; ++i) headless_test_type(static_cast<char>('a' + i % 26), 1 + i % 3);
    // Typing is queued to the GUI thread: let it all arrive while the racers still run.
    ASSERT_TRUE(flush_input(w, 20));
    ASSERT_TRUE(poll_until([&] {
        window_ref ref(w);
        EnterCriticalSection(&ref->state_lock);
        bool consistent = ref->input->key_count >= 0 && ref->input->key_count <= KEY_RING_SIZE &&
                          (ref->input->key_read_pos + ref->input->key_count) % KEY_RING_SIZE ==
                              ref->input->key_write_pos;
        LeaveCriticalSection(&ref->state_lock);
        return consistent;
    }));
    done = true;
    reader.join();
    clearer.join();
    EXPECT_EQ(invented.load(), 0);
    ZVClearKeyBuffer(w);
    type(w, "z");
    EXPECT_EQ(ZVReadChar(w), 'z');
}
