// The process heap and global memory.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(kernel_ProcessHeap, ZeroMemoryFlagClearsTheBlock) {
    HANDLE heap = GetProcessHeap();
    ASSERT_NE(heap, nullptr);
    for (int round = 0; round < 4; ++round) {
        unsigned char *dirty = static_cast<unsigned char *>(HeapAlloc(heap, 0, 4096));
        ASSERT_NE(dirty, nullptr);
        memset(dirty, 0xAB, 4096);
        ASSERT_TRUE(HeapFree(heap, 0, dirty));
        unsigned char *clean =
            static_cast<unsigned char *>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 4096));
        ASSERT_NE(clean, nullptr);
        for (int i = 0; i < 4096; ++i) ASSERT_EQ(clean[i], 0) << "byte " << i;
        ASSERT_TRUE(HeapFree(heap, 0, clean));
    }
}

TEST(kernel_ProcessHeap, ZeroByteBlocksAreDistinctAndFreeingNullWorks) {
    HANDLE heap = GetProcessHeap();
    void *a = HeapAlloc(heap, 0, 0);
    void *b = HeapAlloc(heap, 0, 0);
    EXPECT_NE(a, nullptr);
    EXPECT_NE(a, b);
    EXPECT_TRUE(HeapFree(heap, 0, a));
    EXPECT_TRUE(HeapFree(heap, 0, b));
    EXPECT_TRUE(HeapFree(heap, 0, nullptr));
}

TEST(kernel_GlobalMemory, MoveableBlocksLockToTheirDataAndKnowTheirSize) {
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 100);
    ASSERT_NE(mem, nullptr);
    EXPECT_EQ(GlobalSize(mem), 100u);
    unsigned char *data = static_cast<unsigned char *>(GlobalLock(mem));
    ASSERT_NE(data, nullptr);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(data[i], 0);
    memset(data, 0x5A, 100);
    EXPECT_EQ(GlobalLock(mem), data); // locking twice gives the same address
    EXPECT_TRUE(GlobalUnlock(mem));   // still locked once
    EXPECT_FALSE(GlobalUnlock(mem));  // now unlocked
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_EQ(static_cast<unsigned char *>(GlobalLock(mem))[99], 0x5A);
    GlobalUnlock(mem);
    EXPECT_EQ(GlobalFree(mem), nullptr);
}

TEST(kernel_GlobalMemory, FixedBlocksAreTheirOwnData) {
    HGLOBAL mem = GlobalAlloc(0, 16);
    ASSERT_NE(mem, nullptr);
    EXPECT_EQ(GlobalLock(mem), mem);
    EXPECT_EQ(GlobalSize(mem), 16u);
    memcpy(mem, "0123456789abcdef", 16);
    EXPECT_FALSE(GlobalUnlock(mem));
    EXPECT_EQ(GlobalFree(mem), nullptr);
}

TEST(kernel_GlobalMemory, SizesThatWouldWrapAroundAreRefused) {
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, SIZE_MAX), nullptr);
    EXPECT_EQ(GlobalAlloc(0, SIZE_MAX - 8), nullptr);
    EXPECT_EQ(GetLastError(), 8u); // ERROR_NOT_ENOUGH_MEMORY
}
