// Tests of VyrNodeList: cloning on append, index look-ups from the nearer
// end, the shared cursor, unlinking and clearing.
#include <gtest/gtest.h>

#include <vector>

#include "vyrnode.h"

namespace {

// A node that records its clones and destructions in a shared log.
struct Probe : VyrNode {
    int value;
    int *live;
    Probe(int v, int *liveCount) : value(v), live(liveCount) { ++*live; }
    Probe(const Probe &o) : VyrNode(o), value(o.value), live(o.live) { ++*live; }
    ~Probe() override { --*live; }
    VyrNode *clone() const override { return new Probe(*this); }
};

int valueOf(const VyrNode *n) { return n ? static_cast<const Probe *>(n)->value : -1; }

std::vector<int> forward(const VyrNodeList &l) {
    std::vector<int> v;
    for (const VyrNode *n = l.first; n; n = n->next) v.push_back(valueOf(n));
    return v;
}

std::vector<int> backward(const VyrNodeList &l) {
    std::vector<int> v;
    for (const VyrNode *n = l.last; n; n = n->prev) v.push_back(valueOf(n));
    return v;
}

class NodeListTest : public ::testing::Test {
protected:
    int live = 0;
    VyrNodeList list;

    void fill(int n) {
        for (int i = 0; i < n; ++i) {
            Probe p(i, &live);
            list.append(p);
        }
    }
    void TearDown() override {
        list.clear();
        EXPECT_EQ(live, 0);
    }
};

}  // namespace

TEST_F(NodeListTest, AppendAddsACloneAndSetsTheCursorOnlyWhenEmpty) {
    Probe p(7, &live);
    VyrNode *added = list.append(p);
    EXPECT_NE(added, &p);
    EXPECT_EQ(list.cursor, added);
    EXPECT_EQ(list.count, 1u);
    list.append(p);
    EXPECT_EQ(list.cursor, added);  // unchanged by later appends
    EXPECT_EQ(list.count, 2u);
    EXPECT_EQ(live, 3);
    EXPECT_EQ(forward(list), (std::vector<int>{7, 7}));
    EXPECT_EQ(backward(list), (std::vector<int>{7, 7}));

    list.appendNode(new Probe(8, &live));  // adopted, not cloned
    EXPECT_EQ(live, 4);
    EXPECT_EQ(forward(list), (std::vector<int>{7, 7, 8}));
}

TEST_F(NodeListTest, NodeAtReachesEveryIndexAndMovesTheCursor) {
    for (int n : {1, 2, 5, 6}) {
        list.clear();
        fill(n);
        for (int i = 0; i < n; ++i) {
            VyrNode *node = list.nodeAt(i);
            EXPECT_EQ(valueOf(node), i) << "count " << n;
            EXPECT_EQ(list.cursor, node);
        }
        VyrNode *before = list.cursor;
        EXPECT_EQ(list.nodeAt(-1), nullptr);
        EXPECT_EQ(list.nodeAt(n), nullptr);
        EXPECT_EQ(list.cursor, before);
    }
    list.clear();
    EXPECT_EQ(list.nodeAt(0), nullptr);
}

TEST_F(NodeListTest, WalkSharesTheCursorWithIndexLookups) {
    fill(5);
    EXPECT_EQ(valueOf(list.walkFirst()), 0);
    EXPECT_EQ(valueOf(list.walkNext()), 1);
    list.nodeAt(3);
    EXPECT_EQ(valueOf(list.walkNext()), 4);
    EXPECT_EQ(list.walkNext(), nullptr);
    EXPECT_EQ(valueOf(list.cursor), 4);  // stays on the last node
    EXPECT_EQ(list.walkNext(), nullptr);

    // Unlinking the node under the cursor ends the walk.
    list.nodeAt(2);
    list.unlink(list.cursor);
    EXPECT_EQ(list.cursor, nullptr);
    EXPECT_EQ(list.walkNext(), nullptr);
    EXPECT_EQ(valueOf(list.walkFirst()), 0);

    VyrNodeList empty;
    EXPECT_EQ(empty.walkFirst(), nullptr);
    EXPECT_EQ(empty.walkNext(), nullptr);
}

TEST_F(NodeListTest, UnlinkKeepsLinksConsistentAtEveryPosition) {
    fill(4);
    list.nodeAt(1);
    VyrNode *cursor = list.cursor;
    list.unlink(list.first);
    EXPECT_EQ(list.cursor, cursor);  // another node's removal leaves the cursor
    list.unlink(list.last);
    EXPECT_EQ(forward(list), (std::vector<int>{1, 2}));
    EXPECT_EQ(backward(list), (std::vector<int>{2, 1}));
    list.unlink(list.nodeAt(1));
    list.unlink(list.first);
    EXPECT_EQ(list.count, 0u);
    EXPECT_EQ(list.first, nullptr);
    EXPECT_EQ(list.last, nullptr);
    EXPECT_EQ(live, 0);

    fill(2);
    VyrNode *taken = list.detach(list.first);
    EXPECT_EQ(live, 2);  // detached, still alive
    EXPECT_EQ(forward(list), (std::vector<int>{1}));
    taken->destroy();
    EXPECT_EQ(live, 1);
}

TEST_F(NodeListTest, CopyClonesEveryNodeAndReplacesTheOldOnes) {
    fill(3);
    VyrNodeList other;
    other.appendNode(new Probe(9, &live));
    other.copy(list);
    EXPECT_EQ(forward(other), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(live, 6);
    EXPECT_NE(other.first, list.first);
    EXPECT_EQ(other.cursor, other.first);

    other.copy(other);  // onto itself: unchanged
    EXPECT_EQ(forward(other), (std::vector<int>{0, 1, 2}));

    VyrNodeList copied(list);
    EXPECT_EQ(backward(copied), (std::vector<int>{2, 1, 0}));
    other.clear();
    copied.clear();
    EXPECT_EQ(other.count, 0u);
    EXPECT_EQ(other.cursor, nullptr);
    EXPECT_EQ(live, 3);
}

// Index look-ups start from the node of the previous look-up when that is
// nearer; whatever happened to the list in between, they must still land on
// the right node.  A fixed pseudo-random mix of look-ups, appends, removals,
// moves and clears, checked against a plain vector.
TEST_F(NodeListTest, NodeAtStaysRightAcrossAppendsRemovalsAndMoves) {
    std::vector<int> model;
    int nextValue = 0;
    uint32_t seed = 12345;
    auto random = [&seed](uint32_t bound) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % bound;
    };
    for (int step = 0; step < 4000; ++step) {
        const uint32_t op = random(100);
        if (op < 45 && !model.empty()) {
            // Mostly near the previous look-up, sometimes anywhere.
            const int32_t i = static_cast<int32_t>(random(static_cast<uint32_t>(model.size())));
            ASSERT_EQ(valueOf(list.nodeAt(i)), model[static_cast<size_t>(i)]) << "step " << step;
        } else if (op < 75) {
            Probe p(nextValue, &live);
            list.append(p);
            model.push_back(nextValue++);
        } else if (op < 93 && !model.empty()) {
            const uint32_t i = random(static_cast<uint32_t>(model.size()));
            VyrNode *n = list.first;
            for (uint32_t k = 0; k < i; ++k) n = n->next;
            list.unlink(n);
            model.erase(model.begin() + i);
        } else if (op < 98) {
            VyrNodeList other(std::move(list));
            ASSERT_EQ(list.nodeAt(0), nullptr);
            list = std::move(other);
        } else {
            list.clear();
            model.clear();
        }
        ASSERT_EQ(list.count, model.size());
    }
    for (size_t i = model.size(); i-- > 0;)
        ASSERT_EQ(valueOf(list.nodeAt(static_cast<int32_t>(i))), model[i]);
}
