// Statement recognition: each line gives the id of the first matching
// pattern and the trimmed texts its slots captured.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/pattern.h"

namespace {

struct MatchCase {
    const char *line;
    int32_t id;
    std::vector<std::string> args;
};

std::ostream &operator<<(std::ostream &os, const MatchCase &c) { return os << '"' << c.line << '"'; }

std::vector<std::string> toVector(const VyrTextList &list) {
    std::vector<std::string> v;
    for (int32_t i = 0; i < list.count(); ++i) v.emplace_back(list[i].c_str(), static_cast<size_t>(list[i].length()));
    return v;
}

const MatchCase kCases[] = {
    // Keywords ignore case; "End[ ]X" takes one blank or none.
    {"end if", kStmtEndIf, {}},
    {"ENDIF", kStmtEndIf, {}},
    {"  End \t If  ", kStmtEndIf, {}},
    {"ElseIf x", kStmtNone, {}},
    {"Else", kStmtElse, {}},
    {"Else x", kStmtNone, {}},
    {"End While", kStmtEndWhile, {}},
    {"EndFor", kStmtEndFor, {}},
    {"End Select", kStmtEndSelect, {}},
    {"End Proc", kStmtEndProc, {}},
    {"endprocedure", kStmtEndProc, {}},
    {"End Protect", kStmtEndProtect, {}},
    {"End Object", kStmtEndObject, {}},
    {"End Dialog", kStmtEndDialog, {}},
    {"Break", kStmtBreak, {}},
    {"Breakfast", kStmtNone, {}},
    {"Continue", kStmtContinue, {}},
    {"Select", kStmtSelect, {}},
    {"Other", kStmtOtherwise, {}},
    {"OtherWise", kStmtOtherwise, {}},

    // If with and without Then; the keyword needs a blank after it.
    {"If x Then", kStmtIf, {"x"}},
    {"If x", kStmtIf, {"x"}},
    {"IF Abc THEN", kStmtIf, {"Abc"}},
    {"if a = b then", kStmtIf, {"a = b"}},
    {"If\tx", kStmtIf, {"x"}},
    {"If x Then y", kStmtIf, {"x Then y"}},
    {"If xThen", kStmtIf, {"xThen"}},
    {"If(x)", kStmtNone, {}},

    // Slots with one argument.
    {"While i < 10", kStmtWhile, {"i < 10"}},
    {"Case 'a'", kStmtCase, {"'a'"}},
    {"Include \"gen.vyh\"", kStmtInclude, {"\"gen.vyh\""}},
    {"Output name + '.c'", kStmtOutput, {"name + '.c'"}},
    {"Append log", kStmtAppend, {"log"}},
    {"Protect 'Region'", kStmtProtect, {"'Region'"}},
    {"Object o", kStmtObject, {"o"}},
    {"Print x, y", kStmtPrint, {"x, y"}},
    {"Print", kStmtPrint, {""}},
    {"Inspect o", kStmtInspect, {"o"}},
    {"Printx", kStmtNone, {}},

    // For: a letter ends a slot only at a word start; quotes hide end points.
    {"For i = 1 To n Step -1", kStmtFor, {"i", "1", "n", "-1"}},
    {"for I = a to b step 2", kStmtFor, {"I", "a", "b", "2"}},
    {"For i=Top To 10", kStmtFor, {"i", "Top", "10"}},
    {"For i = 1 To Steps", kStmtFor, {"i", "1", "Steps"}},
    {"For i = 1 To n Stepper", kStmtFor, {"i", "1", "n Stepper"}},
    {"For i = F(\" To \") To 3", kStmtFor, {"i", "F(\" To \")", "3"}},

    // For Each with and without Where.
    {"For Each c In list Where c.Sel", kStmtForEach, {"c", "list", "c.Sel"}},
    {"ForEach c In list", kStmtForEach, {"c", "list"}},
    {"For Each item In Inputs", kStmtForEach, {"item", "Inputs"}},
    {"For Each c In l Where c.Sel = 1", kStmtForEach, {"c", "l", "c.Sel = 1"}},

    // Assignment, the last pattern: any "=" outside quotes.
    {"Let x = 5", kStmtAssign, {"x", "5"}},
    {"x = 5", kStmtAssign, {"x", "5"}},
    {"Letter = 5", kStmtAssign, {"Letter", "5"}},
    {"Selection = 1", kStmtAssign, {"Selection", "1"}},
    {"Includes = 2", kStmtAssign, {"Includes", "2"}},
    {"x == 1", kStmtAssign, {"x", "= 1"}},
    {"s = 'a=b'", kStmtAssign, {"s", "'a=b'"}},
    {"'a=b'", kStmtNone, {}},
    {"o.m[2]=\"x\"", kStmtAssign, {"o.m[2]", "\"x\""}},

    // Procedures: the name slot, then an optional parenthesised list.
    {"Procedure Foo(a, b)", kStmtProc, {"Foo", "a, b"}},
    {"Proc Foo(a, b)", kStmtProc, {"Foo", "a, b"}},
    {"Proc Foo", kStmtProc, {"Foo"}},
    {"Proc Foo()", kStmtProc, {"Foo", ""}},
    {"Process = 1", kStmtProc, {"ess = 1"}},

    // Return's slot is optional, so no blank is required after the keyword.
    {"Return", kStmtReturn, {""}},
    {"Return x + 1", kStmtReturn, {"x + 1"}},
    {"ReturnCode = 1", kStmtReturn, {"Code = 1"}},

    // Dialog takes one argument or all six; Control exactly seven.
    {"Dialog d", kStmtDialog, {"d"}},
    {"Dialog d, 'T', 1, 2, 3, 4", kStmtDialog, {"d", "'T'", "1", "2", "3", "4"}},
    {"Dialog d, 'T'", kStmtDialog, {"d, 'T'"}},
    {"Dialog d, 'a,b', 1, 2, 3, 4", kStmtDialog, {"d", "'a,b'", "1", "2", "3", "4"}},
    {"Control c, 'Edit', 1, 2, 3, 4, 5", kStmtControl, {"c", "'Edit'", "1", "2", "3", "4", "5"}},
    {"Control c, F(a, b), 1, 2, 3, 4, 5", kStmtControl, {"c", "F(a", "b)", "1", "2", "3", "4, 5"}},
    {"Control c, 1, 2", kStmtNone, {}},

    // Lines that are no statement: expression lines.
    {"", kStmtNone, {}},
    {" \t ", kStmtNone, {}},
    {"x + 1", kStmtNone, {}},
    {"F(a, b)", kStmtNone, {}},
};

class StatementMatch : public ::testing::TestWithParam<MatchCase> {
protected:
    static void SetUpTestSuite() {
        table_ = new VyrStatementTable;
        table_->addStandard();
    }
    static void TearDownTestSuite() {
        delete table_;
        table_ = nullptr;
    }
    static VyrStatementTable *table_;
};

VyrStatementTable *StatementMatch::table_ = nullptr;

TEST_P(StatementMatch, GivesIdAndCaptures) {
    const MatchCase &c = GetParam();
    VyrTextList args;
    args.add("left over");  // the match empties the list first
    int32_t id = table_->match(c.line, args);
    EXPECT_EQ(id, c.id);
    if (c.id != kStmtNone) {
        EXPECT_EQ(toVector(args), c.args);
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, StatementMatch, ::testing::ValuesIn(kCases));

TEST(StatementTable, HoldsThirtyPatternsInMatchingOrder) {
    ASSERT_EQ(kVyrStatementCount, 30);
    EXPECT_EQ(kVyrStatements[0].id, kStmtIf);
    EXPECT_EQ(kVyrStatements[29].id, kStmtAssign);
    VyrStatementTable table;
    table.addStandard();
    EXPECT_EQ(table.count(), 30);
}

// Captures of a group that matched on one line must not leak into a later
// line where the group is absent, and the list's reused buffers must carry
// no stale bytes.
TEST(StatementTable, LaterLinesSeeOnlyTheirOwnCaptures) {
    VyrStatementTable table;
    table.addStandard();
    VyrTextList args;
    struct Step {
        const char *line;
        int32_t id;
        std::vector<std::string> args;
    };
    const Step steps[] = {
        {"Dialog dialogName, 'A long title text', 10, 20, 300, 400", kStmtDialog,
         {"dialogName", "'A long title text'", "10", "20", "300", "400"}},
        {"Dialog d", kStmtDialog, {"d"}},
        {"For i = 1 To 100 Step 5", kStmtFor, {"i", "1", "100", "5"}},
        {"For j = 2 To 3", kStmtFor, {"j", "2", "3"}},
        {"Proc LongProcedureName(first, second)", kStmtProc, {"LongProcedureName", "first, second"}},
        {"Proc p", kStmtProc, {"p"}},
        {"x + 1", kStmtNone, {}},
        {"Return", kStmtReturn, {""}},
    };
    for (const Step &s : steps) {
        EXPECT_EQ(table.match(s.line, args), s.id) << s.line;
        if (s.id != kStmtNone) {
            EXPECT_EQ(toVector(args), s.args) << s.line;
        }
    }
}

TEST(TextList, AddingItsOwnTextsWhileItGrows) {
    // Short texts live inside the list's slots, which move when the list
    // grows: adding a text of the list itself must still copy the right bytes.
    VyrTextList list;
    list.add("ab");
    list.add("0123456789");
    for (int i = 0; i < 40; ++i) list.add(list[i % 2].c_str() + (i % 2));
    ASSERT_EQ(list.count(), 42);
    for (int i = 2; i < 42; ++i) EXPECT_STREQ(list[i].c_str(), i % 2 ? "123456789" : "ab") << i;
}

TEST(StatementTable, NullTextMatchesNothing) {
    VyrStatementTable table;
    table.addStandard();
    VyrTextList args;
    EXPECT_EQ(table.match(nullptr, args), kStmtNone);
    EXPECT_EQ(args.count(), 0);
}

TEST(StatementTable, CaseSensitivePatternsCompareExactly) {
    VyrStatementTable table;
    table.add("Emit &", 500, false);
    VyrTextList args;
    EXPECT_EQ(table.match("emit x", args), kStmtNone);
    EXPECT_EQ(table.match("EMIT x", args), kStmtNone);
    ASSERT_EQ(table.match("Emit x", args), 500);
    EXPECT_EQ(toVector(args), std::vector<std::string>{"x"});
}

// Patterns are skipped by the first byte of the text; that must give the
// same answers as trying each: leading control bytes and blanks do not
// count, case is folded only for patterns that ignore it, bytes above 127
// compare as they are, and patterns opening with a slot or group take any
// text.
TEST(StatementTable, FirstByteOfTheTextChoosesAmongPatternsAsAFullTryWould) {
    VyrStatementTable table;
    table.add("emit &", 600, false);
    table.add("Emit &", 601, true);
    table.add("\xC4nd &", 603, true);
    table.add("[Say] & = &", 602, true);
    VyrTextList args;
    struct Case {
        const char *text;
        int32_t id;
    };
    const Case cases[] = {
        {"\x01\t emit a", 600}, {"EMIT a", 601}, {"eMit a", 601}, {"\xC4nd b", 603},
        {"\xE4nd b", kStmtNone}, {"x = 1", 602},  {"say x = 1", 602}, {" \x02 ", kStmtNone},
        {"", kStmtNone},
    };
    for (const Case &c : cases) EXPECT_EQ(table.match(c.text, args), c.id) << c.text;
    ASSERT_EQ(table.match("\t\x03say y = 2", args), 602);
    EXPECT_EQ(toVector(args), (std::vector<std::string>{"y", "2"}));
}

// A group in the middle of a pattern: its captures count only on lines
// where it matched.
TEST(StatementTable, InnerGroupCapturesOnlyWhenPresent) {
    VyrStatementTable table;
    table.add("Go [To &] Now", 502, true);
    VyrTextList args;
    ASSERT_EQ(table.match("go to x now", args), 502);
    EXPECT_EQ(toVector(args), std::vector<std::string>{"x"});
    ASSERT_EQ(table.match("Go Now", args), 502);
    EXPECT_EQ(args.count(), 0);
    // A letter ends a slot only after a blank, and never at the slot's start.
    EXPECT_EQ(table.match("Go To Now", args), kStmtNone);
    EXPECT_EQ(table.match("Go x Now", args), kStmtNone);
}

// A "[" without a closing "]" is an ordinary character of its word.
TEST(StatementTable, UnclosedBracketIsPartOfAWord) {
    VyrStatementTable table;
    table.add("Put[ &", 501, true);
    VyrTextList args;
    ASSERT_EQ(table.match("put[ a", args), 501);
    EXPECT_EQ(toVector(args), std::vector<std::string>{"a"});
    EXPECT_EQ(table.match("put a", args), kStmtNone);
}

// A pattern compiles into a chain of words, slots and optional groups.
std::string describe(const VyrPattern *e) {
    std::string out;
    for (; e; e = e->next.get()) {
        if (!out.empty()) out += ' ';
        switch (e->kind) {
        case VyrPattern::kWord:
            out += std::string("W(") + e->text.c_str() + (e->blankFollows ? ")_" : ")");
            break;
        case VyrPattern::kSlot:
            out += '&';
            break;
        case VyrPattern::kGroup:
            out += "[" + describe(e->group.get()) + "]";
            break;
        }
    }
    return out;
}

TEST(PatternCompile, BuildsChains) {
    struct Case {
        const char *pattern;
        const char *chain;
    };
    const Case cases[] = {
        {"For &=& To & [Step &]", "W(FOR)_ & W(=) & W(TO)_ & [W(STEP)_ &]"},
        {"End[ ]If", "W(END) [W()] W(IF)"},
        {"[Let] &=&", "[W(LET)_] & W(=) &"},
        {"Proc[edure] & [(&)]", "W(PROC) [W(EDURE)_] & [W(() & W())]"},
        {"Dialog &[,&,&]", "W(DIALOG)_ & [W(,) & W(,) &]"},
        {"  Return [&]  ", "W(RETURN)_ [&]"},
        {"", "W()"},
    };
    for (const Case &c : cases) EXPECT_EQ(describe(vyrCompilePattern(c.pattern, true).get()), c.chain) << c.pattern;
    EXPECT_EQ(describe(vyrCompilePattern("Emit &", false).get()), "W(Emit)_ &");
}

}  // namespace
