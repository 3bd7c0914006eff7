// The statement table remembers matches by text: a second match of the same
// text gives the same id and captures, a longer text is matched without the
// table, and adding a pattern forgets what was remembered.
#include <gtest/gtest.h>

#include <string>

#include "core/pattern.h"

namespace {

TEST(StatementMatchCache, RepeatedTextsGiveTheSameMatch) {
    VyrStatementTable table;
    table.addStandard();
    VyrTextList args;
    const std::string long_text = "x = '" + std::string(VyrStatementTable::kCacheTextLimit, 'a') + "'";
    struct Case {
        std::string text;
        int32_t id;
        std::vector<std::string> captures;
    } cases[] = {
        {"For i = 1 To n Step 2", kStmtFor, {"i", "1", "n", "2"}},
        {"For i = 1 To n", kStmtFor, {"i", "1", "n"}},
        {"  For Each f In e.Fields Where f.Key ", kStmtForEach, {"f", "e.Fields", "f.Key"}},
        {"name + 'x'", kStmtNone, {}},
        {long_text, kStmtAssign, {"x", long_text.substr(4)}},
    };
    for (int pass = 0; pass < 2; ++pass) {
        for (const Case &c : cases) {
            // A buffer of its own each time: the match must not depend on where the text lies.
            std::string copy = c.text;
            ASSERT_EQ(table.match(copy.c_str(), args), c.id) << c.text << " pass " << pass;
            ASSERT_EQ(args.count(), static_cast<int32_t>(c.captures.size())) << c.text;
            for (size_t i = 0; i < c.captures.size(); ++i)
                EXPECT_STREQ(args[static_cast<int32_t>(i)].c_str(), c.captures[i].c_str()) << c.text;
        }
    }
}

TEST(StatementMatchCache, AddingAPatternForgetsRememberedMatches) {
    VyrStatementTable table;
    table.add("Stop", 7, true);
    VyrTextList args;
    EXPECT_EQ(table.match("Go", args), kStmtNone);
    table.add("Go", 8, true);
    EXPECT_EQ(table.match("Go", args), 8);
    table.clear();
    EXPECT_EQ(table.match("Go", args), kStmtNone);
}

}  // namespace
