#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "GlobalHeap.h"
#include "GlobalHeapFaults.h"

namespace {

bool AllZero(const char* bytes, size_t n) { return std::all_of(bytes, bytes + n, [](char b) { return b == 0; }); }

TEST(GlobalHeapTest, BlocksAreZeroFilledAndKeepContentOnResize) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 100);  // zeroed even without GMEM_ZEROINIT
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 100u);
    char* bytes = static_cast<char*>(GlobalLock(block));
    ASSERT_NE(bytes, nullptr);
    EXPECT_TRUE(AllZero(bytes, 100));
    std::memset(bytes, 'x', 100);
    EXPECT_FALSE(GlobalUnlock(block));

    block = GlobalReAlloc(block, 300, GMEM_MOVEABLE);
    ASSERT_NE(block, nullptr);
    bytes = static_cast<char*>(GlobalLock(block));
    EXPECT_EQ(bytes[99], 'x');
    EXPECT_TRUE(AllZero(bytes + 100, 200));
    EXPECT_TRUE(GlobalLock(block) != nullptr);
    EXPECT_TRUE(GlobalUnlock(block));
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_EQ(GlobalFree(block), nullptr);

    HGLOBAL empty1 = GlobalAlloc(GHND, 0);
    HGLOBAL empty2 = GlobalAlloc(GHND, 0);
    EXPECT_NE(GlobalLock(empty1), nullptr);
    EXPECT_NE(GlobalLock(empty1), GlobalLock(empty2));
    GlobalFree(empty1);
    GlobalFree(empty2);

    EXPECT_EQ(GlobalFree(nullptr), nullptr);
    EXPECT_EQ(GlobalLock(nullptr), nullptr);
    EXPECT_EQ(GlobalSize(nullptr), 0u);
}

TEST(GlobalHeapTest, InjectedFailuresChangeNothing) {
    HGLOBAL block = GlobalAlloc(GPTR, 8);
    std::memcpy(GlobalLock(block), "keepme!", 8);
    GlobalUnlock(block);

    SetGlobalAllocFailCountdown(1);
    HGLOBAL first = GlobalAlloc(GPTR, 4);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(GlobalReAlloc(block, 64, GHND), nullptr);  // the second one fails
    EXPECT_EQ(GlobalSize(block), 8u);
    EXPECT_STREQ(static_cast<char*>(GlobalLock(block)), "keepme!");
    GlobalUnlock(block);
    HGLOBAL after = GlobalAlloc(GPTR, 4);  // then allocation works again
    EXPECT_NE(after, nullptr);

    SetGlobalAllocFailCountdown(0);
    EXPECT_EQ(GlobalAlloc(GPTR, 4), nullptr);
    SetGlobalAllocFailCountdown(-1);

    EXPECT_EQ(GlobalAlloc(GPTR, static_cast<size_t>(-1)), nullptr);
    GlobalFree(first);
    GlobalFree(after);
    GlobalFree(block);
}

}  // namespace
