// The expression scanner: token codes and texts, and the argument texts of
// call tokens.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/tokenizer.h"

namespace {

struct Tok {
    int32_t code;
    std::string text;  // checked for literals, numbers, names and calls
    bool operator==(const Tok &o) const { return code == o.code && text == o.text; }
};

std::ostream &operator<<(std::ostream &os, const Tok &t) { return os << t.code << ":'" << t.text << "'"; }

// Reads tokens up to and including the first end or malformed token.
std::vector<Tok> scanAll(const char *text) {
    VyrTokenizer tz(text);
    std::vector<Tok> out;
    for (int guard = 0; guard < 200; ++guard) {
        int32_t code = tz.next();
        bool hasText = code != kTokEnd && code < kTokPlus;  // malformed tokens keep their text too
        out.push_back({code, hasText ? tz.text().c_str() : ""});
        if (code == kTokEnd || code == kTokMalformed) break;
    }
    return out;
}

struct TokenCase {
    const char *text;
    std::vector<Tok> tokens;
};

std::ostream &operator<<(std::ostream &os, const TokenCase &c) { return os << '"' << c.text << '"'; }

const TokenCase kTokenCases[] = {
    {"", {{kTokEnd, ""}}},
    {"x + 12", {{kTokName, "x"}, {kTokPlus, ""}, {kTokNumber, "12"}, {kTokEnd, ""}}},
    {" \t\r\n\v\fa_1\tb ", {{kTokName, "a_1"}, {kTokName, "b"}, {kTokEnd, ""}}},
    {"_x9", {{kTokName, "_x9"}, {kTokEnd, ""}}},
    {"123abc", {{kTokNumber, "123"}, {kTokName, "abc"}, {kTokEnd, ""}}},
    // Single-character operators.
    {"+-*/%~&|^!.,;{}\\()[]< >",
     {{kTokPlus, ""}, {kTokMinus, ""}, {kTokStar, ""}, {kTokSlash, ""}, {kTokPercent, ""},
      {kTokTilde, ""}, {kTokAmp, ""}, {kTokBar, ""}, {kTokCaret, ""}, {kTokNot, ""},
      {kTokDot, ""}, {kTokComma, ""}, {kTokSemicolon, ""}, {kTokLBrace, ""}, {kTokRBrace, ""},
      {kTokBackslash, ""}, {kTokLParen, ""}, {kTokRParen, ""}, {kTokLBracket, ""},
      {kTokRBracket, ""}, {kTokLess, ""}, {kTokGreater, ""}, {kTokEnd, ""}}},
    // Pairs, each followed by a blank so no pair runs into the next.
    {"&& || != <> << >> <= =< >= => == = ",
     {{kTokAnd, ""}, {kTokOr, ""}, {kTokNotEqual, ""}, {kTokNotEqual, ""}, {kTokShiftLeft, ""},
      {kTokShiftRight, ""}, {kTokLessEqual, ""}, {kTokLessEqual, ""}, {kTokGreaterEqual, ""},
      {kTokGreaterEqual, ""}, {kTokEqual, ""}, {kTokEqual, ""}, {kTokEnd, ""}}},
    // Pairs are taken greedily from the left.
    {"<<=", {{kTokShiftLeft, ""}, {kTokEqual, ""}, {kTokEnd, ""}}},
    {"===", {{kTokEqual, ""}, {kTokEqual, ""}, {kTokEnd, ""}}},
    {"a>-1", {{kTokName, "a"}, {kTokGreater, ""}, {kTokMinus, ""}, {kTokNumber, "1"}, {kTokEnd, ""}}},
    // Literals: no escapes, the other quote may appear inside.
    {"'a\"b' \"it's\"", {{kTokString, "a\"b"}, {kTokString, "it's"}, {kTokEnd, ""}}},
    {"''+\"\"", {{kTokString, ""}, {kTokPlus, ""}, {kTokString, ""}, {kTokEnd, ""}}},
    {"'abc", {{kTokMalformed, ""}}},
    {"x + \"abc'", {{kTokName, "x"}, {kTokPlus, ""}, {kTokMalformed, ""}}},
    // Characters no token uses end the text and are consumed.
    {"#", {{kTokEnd, ""}}},
    // Numbers up to the largest 32-bit value; larger ones are malformed.
    {"2147483647", {{kTokNumber, "2147483647"}, {kTokEnd, ""}}},
    {"00000000000000000009", {{kTokNumber, "00000000000000000009"}, {kTokEnd, ""}}},
    {"2147483648", {{kTokMalformed, "2147483648"}}},
    {"99999999999999999999999", {{kTokMalformed, "99999999999999999999999"}}},
    // Bytes above 127 belong to no class and are malformed outside quotes.
    {"caf\xe9", {{kTokName, "caf"}, {kTokMalformed, ""}}},
    {"'caf\xe9'", {{kTokString, "caf\xe9"}, {kTokEnd, ""}}},
    // Calls: the name, with blanks allowed before "(".
    {"F(x)", {{kTokCall, "F"}, {kTokEnd, ""}}},
    {"F (x) + 1", {{kTokCall, "F"}, {kTokPlus, ""}, {kTokNumber, "1"}, {kTokEnd, ""}}},
    {"o.Add(5)", {{kTokName, "o"}, {kTokDot, ""}, {kTokCall, "Add"}, {kTokEnd, ""}}},
    {"F(1", {{kTokMalformed, "F"}}},
    {"F('a)", {{kTokMalformed, "F"}}},
    {"F((1)", {{kTokMalformed, "F"}}},
    {"F(a))", {{kTokCall, "F"}, {kTokRParen, ""}, {kTokEnd, ""}}},
};

class TokenScan : public ::testing::TestWithParam<TokenCase> {};

TEST_P(TokenScan, GivesTokenSequence) {
    const TokenCase &c = GetParam();
    EXPECT_EQ(scanAll(c.text), c.tokens);
}

INSTANTIATE_TEST_SUITE_P(Texts, TokenScan, ::testing::ValuesIn(kTokenCases));

struct ArgsCase {
    const char *text;
    std::vector<std::string> args;
};

std::ostream &operator<<(std::ostream &os, const ArgsCase &c) { return os << '"' << c.text << '"'; }

const ArgsCase kArgsCases[] = {
    {"F()", {}},
    {"F(  )", {}},
    {"F(x)", {"x"}},
    {"F(a, b)", {"a", " b"}},
    // An empty argument counts before a comma but not before the ")".
    {"F(a, , b)", {"a", " ", " b"}},
    {"F(a, )", {"a"}},
    {"F(,)", {""}},
    // Nested parentheses and quoted text keep their commas and parentheses.
    {"F(G(1, 2), H((3)), 4)", {"G(1, 2)", " H((3))", " 4"}},
    {"F('a,b', \"(\", ')')", {"'a,b'", " \"(\"", " ')'"}},
    {"F('say \"hi\", x')", {"'say \"hi\", x'"}},
};

class CallArguments : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(CallArguments, SplitAtTopLevelCommas) {
    const ArgsCase &c = GetParam();
    VyrTokenizer tz(c.text);
    ASSERT_EQ(tz.next(), kTokCall);
    EXPECT_STREQ(tz.text().c_str(), "F");
    std::vector<std::string> got;
    for (int32_t i = 0; i < tz.arguments().count(); ++i) got.emplace_back(tz.arguments()[i].c_str());
    EXPECT_EQ(got, c.args);
    EXPECT_TRUE(tz.atEnd());
}

INSTANTIATE_TEST_SUITE_P(Calls, CallArguments, ::testing::ValuesIn(kArgsCases));

TEST(Tokenizer, NumberValueAndPositions) {
    VyrTokenizer tz("  42  x  ");
    ASSERT_EQ(tz.next(), kTokNumber);
    EXPECT_EQ(tz.number(), 42);
    EXPECT_EQ(tz.savedPosition(), 0);
    EXPECT_EQ(tz.position(), 4);
    // A name's position ends after the blanks that follow it.
    ASSERT_EQ(tz.next(), kTokName);
    EXPECT_EQ(tz.savedPosition(), 4);
    EXPECT_EQ(tz.position(), 9);
    EXPECT_TRUE(tz.atEnd());
    EXPECT_EQ(tz.next(), kTokEnd);
    EXPECT_EQ(tz.next(), kTokEnd);
}

TEST(Tokenizer, UnreadAndExpectReadTheTokenAgain) {
    VyrTokenizer tz("a ( b");
    ASSERT_EQ(tz.next(), kTokMalformed);  // a call whose list never closes
    tz.reset("a + b");
    ASSERT_EQ(tz.next(), kTokName);
    EXPECT_FALSE(tz.expect(kTokMinus));
    EXPECT_EQ(tz.position(), 2);
    EXPECT_TRUE(tz.expect(kTokPlus));
    ASSERT_EQ(tz.next(), kTokName);
    EXPECT_STREQ(tz.text().c_str(), "b");
    tz.unread();
    ASSERT_EQ(tz.next(), kTokName);
    EXPECT_STREQ(tz.text().c_str(), "b");
}

// The end-of-text token consumes an unknown character, so the caller can
// tell a trailing "#" (nothing after it) from one followed by more text.
TEST(Tokenizer, UnknownCharacterIsConsumed) {
    VyrTokenizer tz("x #");
    ASSERT_EQ(tz.next(), kTokName);
    EXPECT_EQ(tz.next(), kTokEnd);
    EXPECT_TRUE(tz.atEnd());
    tz.reset("x # y");
    tz.next();
    EXPECT_EQ(tz.next(), kTokEnd);
    EXPECT_FALSE(tz.atEnd());
}

// Arguments and texts of a later token replace those of an earlier one.
TEST(Tokenizer, CallArgumentsBelongToTheirToken) {
    VyrTokenizer tz("F(first, second, third) + G(x)");
    ASSERT_EQ(tz.next(), kTokCall);
    EXPECT_EQ(tz.arguments().count(), 3);
    ASSERT_EQ(tz.next(), kTokPlus);
    EXPECT_EQ(tz.arguments().count(), 0);
    ASSERT_EQ(tz.next(), kTokCall);
    ASSERT_EQ(tz.arguments().count(), 1);
    EXPECT_STREQ(tz.arguments()[0].c_str(), "x");
    EXPECT_STREQ(tz.text().c_str(), "G");
}

}  // namespace
