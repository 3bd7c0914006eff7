// The expression evaluator: expression -> value or error number.
#include <gtest/gtest.h>

#include <string>

#include "core/evaluator.h"
#include "values/library.h"

namespace {

struct Case {
    const char *text;
    int32_t error;          // expected evaluator error, 0 for success
    int32_t type;           // expected result type when it succeeds
    int32_t number;         // for Integer results
    const char *str;        // for String results
};

// Variables: n = 7, s = 'abc', l = LIST(10, 'x', LIST()) with selection 2,
// o = Object o {a: 1, b: 'two'}, e with no value.
class EvaluatorTest : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        VyrGlobalLibrary library;
        vyrRegisterBuiltins(library);
        for (VyrHashEntry *e = library.functions.first(); e; e = library.functions.next()) symbols.functions.add(*e);
        symbols.addVariable("n", VyrItem(7));
        symbols.addVariable("s", VyrItem("abc"));
        VyrList l;
        l.addNum(10);
        l.addStr("x");
        l.addList(VyrList());
        l.setSel(2);
        symbols.addVariable("l", VyrItem(l));
        VyrObject o("o");
        o.setMemberNum("a", 1);
        o.setMemberStr("b", "two");
        symbols.addVariable("o", VyrItem(o));
        symbols.addVariable("e", VyrItem());
    }
    VyrSymbolTable symbols;
};

TEST_P(EvaluatorTest, Evaluates) {
    const Case &c = GetParam();
    VyrEvaluator eval(symbols, nullptr);
    bool ok = eval.evaluate(c.text);
    EXPECT_EQ(eval.error(), c.error) << c.text;
    EXPECT_EQ(ok, c.error == 0) << c.text;
    if (c.error != 0 || !ok) return;
    ASSERT_EQ(eval.result().type(), c.type) << c.text;
    if (c.type == VyrItem::kInteger) {
        EXPECT_EQ(eval.result().num(), c.number) << c.text;
    }
    if (c.type == VyrItem::kString) {
        EXPECT_STREQ(eval.result().str()->c_str(), c.str) << c.text;
    }
}

const Case kCases[] = {
    // Arithmetic, precedence and signs.
    {"2 + 3 * 4", 0, 1, 14, nullptr},
    {"(2 + 3) * 4", 0, 1, 20, nullptr},
    {"7 / 2", 0, 1, 3, nullptr},
    {"-7 / 2", 0, 1, -3, nullptr},
    {"-7 % 2", 0, 1, -1, nullptr},
    {"7 % -2", 0, 1, 1, nullptr},
    {"1 / 0", 3, 0, 0, nullptr},
    {"1 % 0", 3, 0, 0, nullptr},
    {"2147483647 + 1", 0, 1, INT32_MIN, nullptr},
    {"(-2147483647 - 1) / -1", 0, 1, INT32_MIN, nullptr},
    {"(-2147483647 - 1) % -1", 0, 1, 0, nullptr},
    {"1 << 4 + 1", 0, 1, 32, nullptr},
    {"-16 >> 2", 0, 1, -4, nullptr},
    {"1 << 33", 0, 1, 2, nullptr},
    {"6 & 3 | 8 ^ 1", 0, 1, 11, nullptr},
    {"~0", 0, 1, -1, nullptr},
    {"!5 + !0", 0, 1, 1, nullptr},
    {"--3", 0, 1, 3, nullptr},
    // Operators of one level group from the left; looser ones take the
    // results of tighter ones on both sides.
    {"10 - 2 - 3", 0, 1, 5, nullptr},
    {"100 / 10 / 5", 0, 1, 2, nullptr},
    {"8 >> 1 << 2", 0, 1, 16, nullptr},
    {"2 * 3 + 4 * 5 - 6 % 4", 0, 1, 24, nullptr},
    {"1 || 0 && 0", 0, 1, 1, nullptr},
    {"1 + 2 < 4 && 3 | 4 == 7", 0, 1, 1, nullptr},
    {"'a' + 'b' + 'c' + 'd'", 0, 2, 0, "abcd"},
    // Comparisons chain; "=" compares; no short-circuit but logical values.
    {"1 < 2 == 1", 0, 1, 1, nullptr},
    {"3 > 2 > 1", 0, 1, 0, nullptr},
    {"n = 7", 0, 1, 1, nullptr},
    {"n <> 7", 0, 1, 0, nullptr},
    {"n => 7 && n =< 7", 0, 1, 1, nullptr},
    {"0 || 2", 0, 1, 1, nullptr},
    {"1 && 0", 0, 1, 0, nullptr},
    {"'abc' < 'abd'", 0, 1, 1, nullptr},
    {"'B' > 'A' && 'B' < 'a'", 0, 1, 1, nullptr},
    {"'ab' < 'abc'", 0, 1, 1, nullptr},
    {"'abc' == 'ABC'", 0, 1, 0, nullptr},
    {"'\xE9' > 'z'", 0, 1, 1, nullptr},
    // Strings and mixing.
    {"'a' + \"b\"", 0, 2, 0, "ab"},
    {"'say \"hi\"'", 0, 2, 0, "say \"hi\""},
    {"'a' + 1", 15, 0, 0, nullptr},
    {"'a' - 'b'", 15, 0, 0, nullptr},
    {"'a' < 1", 15, 0, 0, nullptr},
    {"o + 1", 15, 0, 0, nullptr},
    {"e + 1", 15, 0, 0, nullptr},
    {"-s", 15, 0, 0, nullptr},
    {"'abc", 16, 0, 0, nullptr},
    // A list counts as its selection index.
    {"l + 1", 0, 1, 3, nullptr},
    {"l", 0, 3, 0, nullptr},
    // Names, members, indexes.
    {"nope", 4, 0, 0, nullptr},
    {"N + n", 0, 1, 14, nullptr},
    {"o.a", 0, 1, 1, nullptr},
    {"o.B", 0, 2, 0, "two"},
    {"o.c", 8, 0, 0, nullptr},
    {"n.a", 12, 0, 0, nullptr},
    {"o.1", 13, 0, 0, nullptr},
    {"o[1]", 0, 2, 0, "two"},
    {"o[2]", 14, 0, 0, nullptr},
    {"s[0]", 0, 2, 0, "a"},
    {"s[3]", 14, 0, 0, nullptr},
    {"s[-1]", 14, 0, 0, nullptr},
    {"s['x']", 11, 0, 0, nullptr},
    {"s[0", 18, 0, 0, nullptr},
    {"n[0]", 10, 0, 0, nullptr},
    {"l[1]", 0, 2, 0, "x"},
    {"l[2]", 0, 3, 0, nullptr},
    {"(1 + 2", 17, 0, 0, nullptr},
    {"1 +", 15, 0, 0, nullptr},
    {"", 0, 0, 0, nullptr},
    {"1 2", 16, 0, 0, nullptr},
    {"1 )", 16, 0, 0, nullptr},
    {"1 #", 0, 1, 1, nullptr},
    {"1 # 2", 16, 0, 0, nullptr},
    // Calls: by value, method form, failures.
    {"LEN(s)", 0, 1, 3, nullptr},
    {"LEN (s)", 0, 1, 3, nullptr},
    {"LEN(s, 5)", 0, 1, 3, nullptr},
    {"NOSUCH(1)", 5, 0, 0, nullptr},
    {"LEFT(s, 0)", 9, 0, 0, nullptr},
    {"LEN(s + )", 15, 0, 0, nullptr},
    {"COUNT(LIST(1, , 2))", 0, 1, 3, nullptr},
    {"COUNT(LIST(1, ))", 0, 1, 1, nullptr},
    {"s.UPPER()", 0, 2, 0, "ABC"},
    {"s.LEN()", 0, 1, 3, nullptr},
    {"((((((((((1))))))))))", 0, 1, 1, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Expressions, EvaluatorTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case> &info) { return "case" + std::to_string(info.index); });

TEST_F(EvaluatorTest, MethodFormStoresSameTypedResultsBack) {
    VyrEvaluator eval(symbols, nullptr);
    ASSERT_TRUE(eval.evaluate("s.UPPER()"));
    EXPECT_STREQ(symbols.findVariable("s")->str()->c_str(), "ABC");
    ASSERT_TRUE(eval.evaluate("l.ADD(5)"));
    EXPECT_EQ(symbols.findVariable("l")->list()->count, 4u);
    // ADD by reference changes the variable; an expression argument does not.
    ASSERT_TRUE(eval.evaluate("ADD(l, 6)"));
    EXPECT_EQ(symbols.findVariable("l")->list()->count, 5u);
    EXPECT_FALSE(eval.evaluate("ADD(l + 0, 7)"));  // l + 0 is an Integer, not a list
    EXPECT_EQ(eval.error(), 9);
    EXPECT_EQ(symbols.findVariable("l")->list()->count, 5u);
}

TEST_F(EvaluatorTest, TargetsDenoteVariables) {
    VyrEvaluator eval(symbols, nullptr);
    EXPECT_EQ(eval.evaluateTarget("n"), symbols.findVariable("n"));
    VyrItem *member = eval.evaluateTarget("o.b");
    ASSERT_NE(member, nullptr);
    EXPECT_STREQ(member->str()->c_str(), "two");
    ASSERT_NE(eval.evaluateTarget("l[0]"), nullptr);
    EXPECT_EQ(eval.evaluateTarget("n + 1"), nullptr);
    EXPECT_EQ(eval.error(), 16);
    EXPECT_EQ(eval.evaluateTarget("-n"), nullptr);
    EXPECT_EQ(eval.error(), 19);
    EXPECT_EQ(eval.evaluateTarget("x"), nullptr);
    EXPECT_EQ(eval.error(), 4);
}

TEST_F(EvaluatorTest, DeepNestingFailsInsteadOfOverflowing) {
    VyrEvaluator eval(symbols, nullptr);
    std::string deep(100000, '(');
    deep += "1";
    deep += std::string(100000, ')');
    EXPECT_FALSE(eval.evaluate(deep.c_str()));
    EXPECT_EQ(eval.error(), VyrEvaluator::kTooDeep);
    std::string minus(100000, '-');
    minus += "1";
    EXPECT_FALSE(eval.evaluate(minus.c_str()));
    EXPECT_EQ(eval.error(), VyrEvaluator::kTooDeep);
}

}  // namespace
