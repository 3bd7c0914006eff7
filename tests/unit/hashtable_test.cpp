// The chained hash table of named entries.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/hashtable.h"

namespace {

struct Entry : VyrHashEntry {
    explicit Entry(const char *name, int value = 0) : VyrHashEntry(name), value(value) {}
    Entry(const Entry &other) = default;
    VyrHashEntry *clone() const override { return new Entry(*this); }
    int value;
};

TEST(HashTable, PjwHashOverSignedBytes) {
    EXPECT_EQ(VyrHashTable::hash(""), 0u);
    EXPECT_EQ(VyrHashTable::hash("A"), 65u);
    EXPECT_EQ(VyrHashTable::hash("AB"), 65u * 16 + 66);
    // A byte above 127 counts as negative: 0xE9 is -23, which sets the top
    // bits; they are folded back and cleared.
    EXPECT_EQ(VyrHashTable::hash("\xE9"), 0x0FFFFF19u);
    // Long names keep the top four bits clear.
    EXPECT_EQ(VyrHashTable::hash("ABCDEFGHIJKLMNOP") & 0xF0000000u, 0u);
}

TEST(HashTable, NamesIgnoreCaseAndFindMovesToFront) {
    VyrHashTable table;
    table.add(Entry("len", 1));
    ASSERT_EQ(table.count(), 1u);
    Entry *found = static_cast<Entry *>(table.find("Len"));
    ASSERT_NE(found, nullptr);
    EXPECT_STREQ(found->name.c_str(), "LEN");
    EXPECT_EQ(table.find("LEN"), found);
    EXPECT_EQ(table.find("LENGTH"), nullptr);

    // A one-bucket table puts every name in one chain: the walk shows the
    // order of recent look-ups.
    VyrHashTable one(1);
    one.add(Entry("a"));
    one.add(Entry("b"));
    one.add(Entry("c"));  // chain: C B A
    ASSERT_NE(one.find("a"), nullptr);  // chain: A C B
    std::string order;
    for (VyrHashEntry *e = one.first(); e; e = one.next()) order += e->name.c_str();
    EXPECT_EQ(order, "ACB");
}

TEST(HashTable, CopyClonesAndRemoveDestroys) {
    VyrHashTable table;
    const char *names[] = {"alpha", "beta", "gamma", "delta", "epsilon"};
    for (int i = 0; i < 5; ++i) table.add(Entry(names[i], i));
    VyrHashTable copy(table);
    EXPECT_EQ(copy.count(), 5u);
    std::set<std::string> seen;
    for (VyrHashEntry *e = copy.first(); e; e = copy.next()) seen.insert(e->name.c_str());
    EXPECT_EQ(seen, (std::set<std::string>{"ALPHA", "BETA", "GAMMA", "DELTA", "EPSILON"}));
    static_cast<Entry *>(copy.find("beta"))->value = 99;
    EXPECT_EQ(static_cast<Entry *>(table.find("beta"))->value, 1) << "copies are independent";
    table.remove(table.find("gamma"));
    EXPECT_EQ(table.count(), 4u);
    EXPECT_EQ(table.find("gamma"), nullptr);
    EXPECT_NE(copy.find("gamma"), nullptr);
}

}  // namespace
