// Tests of the small-block pool: blocks of every size are aligned, never
// overlap while in use, keep their contents, and are reused after a free.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "vyrpool.h"

namespace {

struct Block {
    unsigned char *p;
    size_t size;
    unsigned char fill;
};

void fillBlock(const Block &b) { std::memset(b.p, b.fill, b.size); }

bool intact(const Block &b) {
    for (size_t i = 0; i < b.size; ++i)
        if (b.p[i] != b.fill) return false;
    return true;
}

}  // namespace

TEST(Pool, BlocksOfEverySizeAreAlignedDisjointAndKeepTheirBytes) {
    std::vector<Block> live;
    unsigned char fill = 1;
    // Sizes on both sides of the largest pooled block, several of each.
    for (int round = 0; round < 3; ++round)
        for (size_t size = 1; size <= kVyrPoolMaxBlock + 40; ++size) {
            Block b{static_cast<unsigned char *>(vyrPoolAlloc(size)), size, fill++};
            ASSERT_NE(b.p, nullptr);
            EXPECT_EQ(reinterpret_cast<uintptr_t>(b.p) % alignof(void *), 0u) << "size " << size;
            fillBlock(b);
            live.push_back(b);
        }
    // Free every other block, then take blocks of the same sizes again:
    // they may reuse the freed ones but never a block still in use.
    std::vector<Block> kept;
    for (size_t i = 0; i < live.size(); ++i) {
        if (i % 2)
            vyrPoolFree(live[i].p, live[i].size);
        else
            kept.push_back(live[i]);
    }
    for (size_t i = 1; i < live.size(); i += 2) {
        Block b{static_cast<unsigned char *>(vyrPoolAlloc(live[i].size)), live[i].size, fill++};
        fillBlock(b);
        kept.push_back(b);
    }
    for (const Block &b : kept) EXPECT_TRUE(intact(b)) << "size " << b.size;
    std::sort(kept.begin(), kept.end(), [](const Block &a, const Block &b) { return a.p < b.p; });
    for (size_t i = 1; i < kept.size(); ++i)
        EXPECT_LE(kept[i - 1].p + kept[i - 1].size, kept[i].p) << "sizes " << kept[i - 1].size << ", " << kept[i].size;
    for (const Block &b : kept) vyrPoolFree(b.p, b.size);
    vyrPoolFree(nullptr, 8);  // ignored
}

TEST(Pool, AFreedBlockServesTheNextRequestOfItsSize) {
    if (!kVyrPoolRecycles) GTEST_SKIP() << "sanitizer builds hand every block to malloc";
    void *a = vyrPoolAlloc(40);
    vyrPoolFree(a, 40);
    void *b = vyrPoolAlloc(36);  // rounds to the same size
    EXPECT_EQ(a, b);
    vyrPoolFree(b, 36);
}
