// Tests of VyrString: the capacity rule, the modifying operations, extraction,
// comparison and number conversion.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "vyrpool.h"
#include "vyrstring.h"

namespace {

void expectText(const VyrString &s, const char *text) {
    EXPECT_STREQ(s.c_str(), text);
    EXPECT_EQ(s.length(), static_cast<int32_t>(std::strlen(text)));
    EXPECT_GE(s.capacity(), s.length() + 1);
    EXPECT_EQ(s.c_str()[s.length()], '\0');
}

}  // namespace

TEST(VyrStringCapacity, ConstructorsFollowTheRule) {
    struct Case {
        VyrString s;
        const char *text;
        int32_t capacity;
    } cases[] = {
        {VyrString(), "", 8},
        {VyrString("abcdefg"), "abcdefg", 8},
        {VyrString("abcdefgh"), "abcdefgh", 16},
        {VyrString("abcdefghijklmno"), "abcdefghijklmno", 16},
        {VyrString("abcdefghijklmnop"), "abcdefghijklmnop", 24},
        {VyrString("abcdefghij", 8), "abcdefgh", 16},
        {VyrString("abc", 10), "abc", 8},
        {VyrString(9, 'x'), "xxxxxxxxx", 16},
        {VyrString(-3, 'x'), "", 8},
        {VyrString('q'), "q", 8},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        expectText(c.s, c.text);
        EXPECT_EQ(c.s.capacity(), c.capacity);
    }
}

TEST(VyrStringCapacity, SingleCharacterAppendUsesSpareCapacity) {
    VyrString s;
    const char *before = s.c_str();
    for (int i = 0; i < 7; ++i) s.append(static_cast<char>('a' + i));
    EXPECT_EQ(s.capacity(), 8);
    EXPECT_EQ(s.c_str(), before);  // no reallocation yet
    s.append('h');
    EXPECT_EQ(s.capacity(), 16);
    expectText(s, "abcdefgh");
}

TEST(VyrStringCapacity, AssignAndAppendSizeFreshBuffers) {
    VyrString s;
    s = "12345678";
    EXPECT_EQ(s.capacity(), 16);
    s = "123456789012345";
    EXPECT_EQ(s.capacity(), 16);
    s = "1234567890123456";
    EXPECT_EQ(s.capacity(), 24);

    // Appending a text always sizes by the rule for the new length.
    VyrString a("abc");
    a.append("de");
    expectText(a, "abcde");
    EXPECT_EQ(a.capacity(), 8);
    a.append(VyrString("fgh"));
    expectText(a, "abcdefgh");
    EXPECT_EQ(a.capacity(), 16);
    a.appendInt(-42);
    expectText(a, "abcdefgh-42");
}

TEST(VyrStringCapacity, CopiesKeepTheSourceCapacityAndOwnTheirText) {
    VyrString src(20, 'x');
    src.clear();  // length 0, capacity stays 24
    EXPECT_EQ(src.capacity(), 24);
    VyrString copy(src);
    EXPECT_EQ(copy.capacity(), 24);
    EXPECT_EQ(copy.length(), 0);

    VyrString a("hello");
    VyrString b;
    b = a;
    EXPECT_NE(a.c_str(), b.c_str());
    b.data()[0] = 'J';
    expectText(a, "hello");
    expectText(b, "Jello");

    b = b;  // self-assignment keeps the text
    expectText(b, "Jello");

    // Assigning onto a buffer of the same size writes in place; the result
    // is the same as with a fresh buffer, also from a text inside it.
    VyrString c("1234567");
    c = VyrString("hi");
    expectText(c, "hi");
    EXPECT_EQ(c.capacity(), 8);
    c = "abcdefg";
    c = c.c_str() + 2;
    expectText(c, "cdefg");
    EXPECT_EQ(c.capacity(), 8);
    c = src;  // the source's larger capacity comes along
    EXPECT_EQ(c.capacity(), 24);
    expectText(c, "");
}

TEST(VyrStringStorage, TextsOfUpToSevenCharactersAllocateNothing) {
    const size_t before = vyrPoolAllocations();
    {
        VyrString empty, seven("1234567"), copy(seven), ch('x');
        ch = "abc";
        copy = ch;
        VyrString moved(std::move(seven));
        expectText(moved, "1234567");
        expectText(copy, "abc");
        EXPECT_EQ(empty.capacity(), 8);
    }
    EXPECT_EQ(vyrPoolAllocations() - before, 0u);
    VyrString eight("12345678");
    EXPECT_EQ(vyrPoolAllocations() - before, 1u);
    EXPECT_EQ(eight.capacity(), 16);
}

TEST(VyrStringStorage, MovesAndSizeChangesKeepTheText) {
    // Across the inside/heap boundary in both directions, by move and by edit.
    VyrString small("abc"), big("0123456789");
    VyrString fromSmall(std::move(small)), fromBig(std::move(big));
    expectText(fromSmall, "abc");
    expectText(fromBig, "0123456789");
    // Moved-from texts are empty and fully usable.
    expectText(small, "");
    expectText(big, "");
    small.append("de");
    big += 'q';
    expectText(small, "de");
    expectText(big, "q");

    small = std::move(fromBig);  // heap text into an inside one
    fromBig = std::move(fromSmall);  // inside text into a moved-from one
    expectText(small, "0123456789");
    expectText(fromBig, "abc");
    EXPECT_EQ(small.capacity(), 16);
    EXPECT_EQ(fromBig.capacity(), 8);

    VyrString s("1234567");
    s.append('8');  // leaves the inside buffer
    expectText(s, "12345678");
    EXPECT_EQ(s.capacity(), 16);
    s = "ab";  // and comes back
    expectText(s, "ab");
    EXPECT_EQ(s.capacity(), 8);
    s.fit(12, '-');
    expectText(s, "ab----------");
    s.replace(0, 12, s.c_str() + 10);  // from its own heap buffer into the inside one
    expectText(s, "--");
}

TEST(VyrStringEdit, AppendToItself) {
    VyrString s("ab");
    s.append(s);
    expectText(s, "abab");
    s.append(s.c_str() + 1);
    expectText(s, "ababbab");
    s = s.c_str() + 2;
    expectText(s, "abbab");
}

TEST(VyrStringEdit, Remove) {
    struct Case {
        int32_t pos, count;
        const char *expected;
    } cases[] = {
        {3, -1, "abc"}, {7, 1, "abcdef"}, {6, 2, "abcdef"}, {0, 2, "cdef"},
        {2, 2, "abef"}, {4, 10, "abcd"},  {0, -1, ""},       {2, 0, "abcdef"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.pos) + "," + std::to_string(c.count));
        VyrString s("abcdef");
        s.remove(c.pos, c.count);
        expectText(s, c.expected);
    }
}

TEST(VyrStringEdit, Replace) {
    struct Case {
        const char *start;
        int32_t pos, count;
        const char *text;
        const char *expected;
        int32_t capacity;
    } cases[] = {
        {"abcdef", 1, 2, "XYZ", "aXYZdef", 8},         // fits in place
        {"abcdef", 0, 0, "XY", "XYabcdef", 16},        // grows into a fresh buffer
        {"abcdef", 2, 4, "", "ab", 8},                 // shrinks, capacity stays
        {"abcdef", 6, 0, "gh", "abcdefgh", 16},        // at the end
        {"abcdefghijk", 0, 11, "Z", "Z", 16},          // whole text
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected);
        VyrString s(c.start);
        s.replace(c.pos, c.count, c.text);
        expectText(s, c.expected);
        EXPECT_EQ(s.capacity(), c.capacity);
    }
}

TEST(VyrStringEdit, ReplaceWithPartOfItself) {
    VyrString s("abcdef");
    s.replace(0, 1, s.c_str() + 3);  // "def" taken from the same buffer
    expectText(s, "defbcdef");
}

TEST(VyrStringEdit, Fit) {
    struct Case {
        int32_t n;
        char ch;
        const char *expected;
        int32_t capacity;
    } cases[] = {
        {3, ' ', "hel", 8},
        {7, '*', "hello**", 8},
        {8, '-', "hello---", 16},
        {5, '.', "hello", 8},
        {0, ' ', "", 8},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected);
        VyrString s("hello");
        s.fit(c.n, c.ch);
        expectText(s, c.expected);
        EXPECT_EQ(s.capacity(), c.capacity);
    }
}

TEST(VyrStringEdit, Trim) {
    struct Case {
        const char *start;
        bool leading;
        const char *expected;
    } cases[] = {
        {"\t  a b \r\n", true, "a b"},
        {"\t  a b \r\n", false, "\t  a b"},
        {" \t\r\n", true, ""},
        {" \t\r\n", false, ""},
        {"\x01x\x1f", true, "x"},  // every code up to 32 counts, not only white space
        {"x\x80", true, "x\x80"},  // bytes above 127 are not trimmed
        {"", true, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.start);
        VyrString s(c.start);
        int32_t capacity = s.capacity();
        s.trim(c.leading);
        expectText(s, c.expected);
        EXPECT_EQ(s.capacity(), capacity);
    }
}

TEST(VyrStringEdit, ClearKeepsCapacityAndCaseMapping) {
    VyrString s("abcdefghij");
    s.clear();
    expectText(s, "");
    EXPECT_EQ(s.capacity(), 16);

    VyrString m("Mixed Case 123");
    m.toUpper();
    expectText(m, "MIXED CASE 123");
    m.toLower();
    expectText(m, "mixed case 123");
}

TEST(VyrStringExtract, SubstrLeftRight) {
    VyrString abc("abc");
    expectText(abc.right(10), "abc");
    expectText(abc.right(2), "bc");
    expectText(abc.right(0), "");
    expectText(abc.substr(1, 10), "bc");
    expectText(abc.substr(0, 2), "ab");
    expectText(abc.substr(3, 1), "");
    expectText(abc.substr(5, 1), "");
    expectText(abc.left(2), "ab");
    expectText(abc.left(9), "abc");
    EXPECT_EQ(abc.substr(1, 10).capacity(), 8);
}

TEST(VyrStringQuery, Find) {
    VyrString s("abcabc");
    EXPECT_EQ(s.find('c'), 2);
    EXPECT_EQ(s.find('z'), -1);
    EXPECT_EQ(s.findLast('a'), 3);
    EXPECT_EQ(s.findLast('z'), -1);
    EXPECT_EQ(s.find("ca"), 2);
    EXPECT_EQ(s.find("abc"), 0);
    EXPECT_EQ(s.find("cab"), 2);
    EXPECT_EQ(s.find("abcd"), -1);
    EXPECT_EQ(s.find(""), 0);
    EXPECT_EQ(VyrString().find(""), 0);
    EXPECT_EQ(VyrString().find('a'), -1);
}

TEST(VyrStringQuery, CompareIsBytewiseUnsignedAndCaseSensitive) {
    struct Case {
        const char *a, *b;
        int sign;
    } cases[] = {
        {"B", "A", 1},      {"B", "a", -1},     {"abc", "abc", 0},  {"ab", "abc", -1},
        {"abc", "ab", 1},   {"", "a", -1},      {"\x80", "z", 1},   {"\xff", "\x7f", 1},
        {"Name", "NAME", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        VyrString a(c.a), b(c.b);
        int r = a.compare(b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign);
        r = a.compare(c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign);
        EXPECT_EQ(a == b, c.sign == 0);
        EXPECT_EQ(a != b, c.sign != 0);
        EXPECT_EQ(a < b, c.sign < 0);
        EXPECT_EQ(a > b, c.sign > 0);
        EXPECT_EQ(a <= c.b, c.sign <= 0);
        EXPECT_EQ(a >= c.b, c.sign >= 0);
    }
}

TEST(VyrStringQuery, CompareNoCaseFoldsOnlyAsciiLetters) {
    struct Case {
        const char *a, *b;
        int sign;
    } cases[] = {
        {"Name", "NAME", 0}, {"size", "SIZE", 0}, {"a", "B", -1}, {"Ab", "a", 1},
        {"[", "a", 1},        // '[' (0x5B) is above 'A' after folding 'a' to 'A'
        {"\xe4", "\xc4", 1},  // bytes above 127 are not folded
        {"", "", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        int r = VyrString(c.a).compareNoCase(c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign);
        EXPECT_EQ(VyrString(c.a).equalsNoCase(c.b), c.sign == 0);
    }
    EXPECT_EQ(vyrCompareNoCase(nullptr, ""), 0);
}

TEST(VyrStringQuery, IsBlank) {
    EXPECT_TRUE(VyrString().isBlank());
    EXPECT_TRUE(VyrString(" \t\n\v\f\r").isBlank());
    EXPECT_FALSE(VyrString(" x ").isBlank());
    EXPECT_FALSE(VyrString("\x01").isBlank());
}

TEST(VyrStringNumber, ToInt) {
    struct Case {
        const char *text;
        int32_t value;
    } cases[] = {
        {"0", 0},
        {"123", 123},
        {"  \t\n-45", -45},
        {"+7", 7},
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"+-3", 0},
        {"- 3", 0},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MIN},   // wraps in 32 bits
        {"-2147483648", INT32_MIN},
        {"4294967297", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(VyrString(c.text).toInt(), c.value);
    }
}

TEST(VyrStringNumber, FromInt) {
    struct Case {
        int32_t value;
        const char *text;
    } cases[] = {
        {0, "0"},
        {7, "7"},
        {-7, "-7"},
        {1000000, "1000000"},
        {INT32_MAX, "2147483647"},
        {INT32_MIN, "-2147483648"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        expectText(VyrString::fromInt(c.value), c.text);
        EXPECT_EQ(VyrString(c.text).toInt(), c.value);
        // The longest text, INT32_MIN's, fills the buffer to its last byte.
        char out[VyrString::kIntTextSize];
        std::memset(out, 'x', sizeof out);
        EXPECT_EQ(VyrString::formatInt(c.value, out), static_cast<int32_t>(std::strlen(c.text)));
        EXPECT_STREQ(out, c.text);
    }
}
