// PICTURE, DATE and TIME: one table of value x picture -> text, the
// scrambling of the K function, the clock texts, and the built-ins called
// through the registered table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/symbols.h"
#include "values/builtins.h"
#include "values/datetime.h"
#include "values/library.h"

namespace {

struct PictureCase {
    const char *value;
    std::string picture;
    std::string expected;
};

void PrintTo(const PictureCase &c, std::ostream *os) {
    *os << "PICTURE(\"" << c.value << "\", \"" << c.picture << "\")";
}

class PictureTable : public ::testing::TestWithParam<PictureCase> {};

TEST_P(PictureTable, Formats) {
    const PictureCase &c = GetParam();
    EXPECT_EQ(vyrPicture(c.value, c.picture), c.expected);
}

const std::string kMarco = "Mar\xE7o";      // March
const std::string kSabado = "S\xE1" "bado";  // Saturday
const std::string kTerca = "Ter\xE7" "a";    // Tuesday

const PictureCase kCases[] = {
    // Choosing the function.
    {"abc", "", "abc"},
    {"abc", "@", "abc"},
    {"abc", "@Q999", "abc"},
    {"abc", "@c999", "abc"},  // letters are upper case only
    {"", "@C", ""},
    {"ab", "9X", "ab"},           // an X before any V: character
    {"12", "99VX", "12X"},        // an X after the V: numeric, X a literal
    {"5551234567", "(999) 999-9999", " 555) 123 4567"},
    {"5551234567", "@C(999) 999-9999", "(555) 123-4567"},

    // Character.
    {"abc", "XXX-XXX", "abc-   "},
    {"hello", "XZ9!", "hel!"},
    {"abcdef", "@CXX", "ab"},  // value characters left over are dropped
    {"abc", "@C", "abc"},
    {"a-b", "@C9?9", "a?-"},   // placeholders take any character

    // K: scrambled, then laid out as characters.
    {"Hello", "@K", "\x67\x38\xE6\xDA\x8E"},
    {"a b", "@K", "\x4E\x20\x3E"},  // blanks stay and do not move the key
    {"Secret 123", "@K", "\x7C\x38\xE9\xC4\x84\x7F\x20\x31\x68\xB3"},  // "1" stays: its XOR is a control
    {"Hello", "@KXX-X", "\x67\x38-\xE6"},

    // Date: runs of C, Y, M, D in either case; other characters stay.
    {"20240315", "@DDD/MM/YYYY", "15/03/2024"},
    {"20240315", "@DDDD, DD MMM CCYY", "Sex, 15 Mar 2024"},
    {"20240315", "@DDDDDDD", "Sexta "},  // the first D is the function letter
    {"20240315", "@DDDDDDDD", "Sexta  "},
    {"20240315", "@DMMMMMMMMM", kMarco + "    "},
    {"20000101", "@DDDDDDD", kSabado},
    {"20000101", "@DDDDDDDD", kSabado + " "},
    {"20241231", "@DDDDDDDD", kTerca + "  "},
    {"20240229", "@DDDD", "Qui"},
    {"19000101", "@DDDD", "Seg"},        // January of a century year not divisible by 400
    {"21000228", "@DDDD", "Dom"},
    {"21000301", "@DDDD", "Seg"},
    {"20230101", "@DDDD", "Dom"},
    {"00000101", "@DDDD", "S\xE1" "b"},  // January of year 0: floor division of negative years
    {"99999999", "@DDDD", "S\xE1" "b"},  // no such date: the formula still gives a day
    {"20241315", "@DMMM-YY", "MMM-24"},  // no month 13: the name run stays
    {"20240015", "@Dmmm", "mmm"},
    {"20241315", "@DMM", "13"},          // digits are shown as they stand
    {"20240315", "@DYY.MM.DD hh:mm", "24.03.15 hh:03"},
    {"20240315", "@DcCyY", "2024"},
    {"20240315", "@DC", "2"},
    {"20240315", "@DCCC", "202"},        // a third C starts a new group
    {"20240315", "@DY/M/D", "4/3/5"},    // one letter: the last digit
    {"20241231", "@DM", "2"},
    {"20240315", "@DdDdmMmyY", "SexMar24"},
    {"20240315extra", "@DDD", "15"},     // only the first 8 characters count
    {"2024031", "@DDD/MM", "2024031"},   // fewer than 8 digits: unchanged
    {"2024031x", "@DDD/MM", "2024031x"},
    {"20240315", "@D", "20240315"},
    // Longer runs than their source: digits get leading zeros, names blanks.
    {"20240315", "@DYYYYYY", "002024"},
    {"20240315", "@DMMMMMMMMMMM", kMarco + "      "},
    {"20240315", "@DDDDDDDDDD", "Sexta    "},

    // Logical.
    {"T", "@LYes;No", "Yes"},
    {"F", "@LYes;No", "No"},
    {"N", "@LYes", "F"},
    {"x", "@L", "T"},
    {"F", "@L", "F"},
    {"0", "@LOn;Off", "On"},
    {"", "@LOn;Off", "Off"},
    {"f", "@LOn;Off", "On"},
    {"F", "@La;b;c", "b;c"},
    {"T", "@L;No", ""},

    // Memo.
    {"hello", "@M", "Memo"},
    {"00 0", "@MFull;Empty", "Empty"},
    {"\t 0x", "@MFull;Empty", "Full"},
    {"x", "@MFull", "Full"},
    {"0", "@MFull", ""},
    {"", "@M", ""},

    // Choice.
    {"1", "@Azero;one;two", "one"},
    {"5", "@Azero;one;two", ""},
    {"-1", "@Azero;one;two", ""},
    {"0", "@Aa;b", "a"},
    {" 2x", "@Aa;b;c", "c"},
    {"abc", "@Aa;b", "a"},
    {"1", "@Aa;;c", ""},
    {"2", "@Aa;;c", "c"},
    {"0", "@A", ""},

    // Numeric.
    {"5", "999", "005"},
    {"-5", "999", "005"},  // no blank for the sign: it is lost
    {"-5", "ZZ9", " -5"},
    {"+5", "ZZ9", " +5"},
    {"1234", "Z,ZZZ,ZZ9", "    1,234"},
    {"-1234", "Z,ZZZ,ZZ9", "   -1,234"},
    {"0", "ZZZZ", "    "},
    {"0012", "ZZZ9", "  12"},
    {"-0012", "ZZZ9", " -12"},
    {"  42", "ZZZ9", "  42"},
    {"7", "+99", "+07"},
    {"-7", "+99", "-07"},
    {"7", "-99", " 07"},
    {"-7", "-99", "-07"},
    {"-7", "99-", "07-"},
    {"5", "$ZZ9", "   5"},
    {"-5", "$999", "-005"},
    {"1234.5", "9,999V.99", "1,234.50"},
    {"123.45", "9999V.99", "0123.45"},
    {"123.45", "9999.99", "0001.23"},
    {"1.5", "99V9", "015"},
    {"12345", "999", "345"},
    {"1234567", "Z,ZZ9", "4,567"},
    {"", "999", "000"},
    {"", "ZZZ", "   "},
    {"42", "@N999", "042"},
    {"42", "@F999", "042"},
    {"abc", "@N", "abc"},
    {"42", "@F", "42"},
};

INSTANTIATE_TEST_SUITE_P(Picture, PictureTable, ::testing::ValuesIn(kCases));

// Results follow the mask however long it is: nothing is cut at any length.
TEST(Picture, LongMasksAreNotCut) {
    const std::string xs(300, 'X');
    EXPECT_EQ(vyrPicture("ab", "@C" + xs), "ab" + std::string(298, ' '));
    EXPECT_EQ(vyrPicture("7", std::string(200, '9')), std::string(199, '0') + "7");
    EXPECT_EQ(vyrPicture("20240315", "@D" + std::string(150, '-') + "YYYY"), std::string(150, '-') + "2024");
    EXPECT_EQ(vyrPicture(std::string(250, '1').c_str(), "@C" + std::string(200, 'Z')), std::string(200, '1'));
}

// Every day from 1601 to 2400, walked one by one from a known Monday,
// gets its weekday name: leap years, century years and the turn of each
// year included.
TEST(Picture, WeekdaysOfFourCenturies) {
    const char *names[7] = {"Domingo", "Segunda", "Ter\xE7" "a  ", "Quarta ", "Quinta ", "Sexta  ", "S\xE1" "bado "};
    int weekday = 1;  // 1 January 1601 was a Monday
    for (int year = 1601; year <= 2400; ++year) {
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        const int lengths[12] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= lengths[month - 1]; ++day, weekday = (weekday + 1) % 7) {
                char date[32];
                std::snprintf(date, sizeof date, "%04d%02d%02d", year, month, day);
                ASSERT_EQ(vyrPicture(date, "@DDDDDDDD"), names[weekday]) << date;
            }
        }
    }
}

TEST(Picture, ScramblingTwiceRestoresTheText) {
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    for (std::string text : {std::string("Hello, World"), std::string(" \t x"), all, all + all}) {
        std::string s = text;
        vyrScramble(s);
        EXPECT_NE(s, text);
        EXPECT_EQ(s.find('\0'), std::string::npos);  // a text cannot hold code 0
        vyrScramble(s);
        EXPECT_EQ(s, text);
    }
}

// Random pictures from the characters that mean something: every call ends
// and stays inside its text (the sanitizer build checks the memory), and a
// formatted result is never longer than the longer of mask and value (or
// the memo default text).
TEST(Picture, AnyPictureAndValueFinish) {
    const std::string alphabet = "@CKDLMNFAQXZ9V+-.;,YMDcymd 0123456789TFN";
    std::mt19937 rng(12345);
    auto randomText = [&](size_t maxLength) {
        std::string s(rng() % (maxLength + 1), ' ');
        for (char &c : s) c = alphabet[rng() % alphabet.size()];
        return s;
    };
    for (int k = 0; k < 20000; ++k) {
        std::string value = randomText(k % 50 == 0 ? 200 : 12);
        std::string picture = randomText(k % 50 == 1 ? 300 : 14);
        if (k % 3 == 0) picture = "@" + picture;
        std::string out = vyrPicture(value, picture);
        const size_t longest = std::max(std::max(value.size(), picture.size()), size_t(4));  // "Memo"
        EXPECT_LE(out.size(), longest) << value << " / " << picture;
        EXPECT_EQ(out.find('\0'), std::string::npos);
    }
}

TEST(Clock, DateAndTimeTexts) {
    EXPECT_EQ(vyrDateText({2024, 3, 15, 9, 5, 7}), "20240315");
    EXPECT_EQ(vyrTimeText({2024, 3, 15, 9, 5, 7}), "09:05:07");
    EXPECT_EQ(vyrDateText({987, 12, 1, 23, 59, 59}), "09871201");
    EXPECT_EQ(vyrTimeText({987, 12, 1, 23, 59, 59}), "23:59:59");
    // Fields out of range never make a longer text.
    EXPECT_EQ(vyrDateText({123456, 13, 0, 0, 0, 0}), "99991201");
    EXPECT_EQ(vyrTimeText({0, 0, 0, 24, -1, 60}), "23:00:59");
}

TEST(Clock, LocalTimeIsACalendarMoment) {
    plat::LocalTime t = plat::localTime();
    EXPECT_GE(t.year, 2000);
    EXPECT_GE(t.month, 1);
    EXPECT_LE(t.month, 12);
    EXPECT_GE(t.day, 1);
    EXPECT_LE(t.day, 31);
    EXPECT_GE(t.hour, 0);
    EXPECT_LE(t.hour, 23);
    EXPECT_GE(t.minute, 0);
    EXPECT_LE(t.minute, 59);
    EXPECT_GE(t.second, 0);
    EXPECT_LE(t.second, 59);
}

// ---- Through the built-in table ---------------------------------------------

class DateBuiltins : public ::testing::Test {
protected:
    void SetUp() override { vyrRegisterBuiltins(lib); }

    int32_t call(const char *name, std::vector<VyrItem *> argItems, VyrItem &result) {
        auto *entry = static_cast<VyrFuncEntry *>(lib.functions.find(name));
        EXPECT_NE(entry, nullptr) << name;
        if (entry == nullptr) return -1;
        VyrArgs args(nullptr);
        for (VyrItem *a : argItems) args.addReference(a);
        return entry->call(args, result);
    }

    VyrGlobalLibrary lib;
};

TEST_F(DateBuiltins, DateAndTimeHaveTheirLayouts) {
    VyrItem date(5), time(5), surplus("x");
    ASSERT_EQ(call("DATE", {&surplus}, date), 1);  // surplus arguments are ignored
    ASSERT_EQ(call("TIME", {}, time), 1);
    ASSERT_TRUE(date.isString());
    ASSERT_TRUE(time.isString());
    const std::string d = date.str()->c_str(), t = time.str()->c_str();
    ASSERT_EQ(d.size(), 8u);
    for (char c : d) EXPECT_TRUE(c >= '0' && c <= '9') << d;
    const int month = std::stoi(d.substr(4, 2)), day = std::stoi(d.substr(6, 2));
    EXPECT_TRUE(month >= 1 && month <= 12) << d;
    EXPECT_TRUE(day >= 1 && day <= 31) << d;
    ASSERT_EQ(t.size(), 8u);
    EXPECT_EQ(t[2], ':');
    EXPECT_EQ(t[5], ':');
    EXPECT_LE(std::stoi(t.substr(0, 2)), 23);
    EXPECT_LE(std::stoi(t.substr(3, 2)), 59);
    EXPECT_LE(std::stoi(t.substr(6, 2)), 59);
    // The date is one PICTURE can lay out.
    VyrItem pic("@DDD/MM/YYYY"), out;
    ASSERT_EQ(call("PICTURE", {&date, &pic}, out), 1);
    EXPECT_EQ(std::string(out.str()->c_str()), d.substr(6, 2) + "/" + d.substr(4, 2) + "/" + d.substr(0, 4));
}

TEST_F(DateBuiltins, PictureNeedsTwoTexts) {
    VyrItem text("5"), mask("999"), number(5), result;
    EXPECT_EQ(call("PICTURE", {&text}, result), 0);
    EXPECT_EQ(call("PICTURE", {}, result), 0);
    EXPECT_EQ(call("PICTURE", {&number, &mask}, result), 0);
    EXPECT_EQ(call("PICTURE", {&text, &number}, result), 0);
    ASSERT_EQ(call("PICTURE", {&text, &mask, &number}, result), 1);
    EXPECT_STREQ(result.str()->c_str(), "005");
}

// Formatting never changes the caller's value, scrambling included.
TEST_F(DateBuiltins, PictureLeavesTheValueAlone) {
    VyrItem value("Hello"), mask("@K"), result;
    ASSERT_EQ(call("PICTURE", {&value, &mask}, result), 1);
    EXPECT_STREQ(value.str()->c_str(), "Hello");
    EXPECT_STREQ(result.str()->c_str(), "\x67\x38\xE6\xDA\x8E");
    EXPECT_EQ(result.str()->length(), 5);
}

}  // namespace
