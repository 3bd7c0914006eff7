// Settings files: reading and writing keys of the private-profile format.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

class IniFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        dir_ = fs::temp_directory_path() / ("vyr_ini_" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(dir_);
        path_ = (dir_ / "settings.ini").string();
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    void put(const std::string &bytes) {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    std::string get() const {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    const char *file() const { return path_.c_str(); }

    fs::path dir_;
    std::string path_;
};

const char kSample[] =
    "; settings of the editor\r\n"
    "[System]\r\n"
    "Toolbar=0\r\n"
    "\r\n"
    "[ Defaults ]\r\n"
    "  CommentMark = #  \r\n"
    "SubLineBegin=\"<%\"\r\n"
    "IncludePath=\r\n"
    "OutPrint=1\r\n"
    "OutPrint=0\r\n"
    "Quoted=' x '\r\n"
    "no equals sign here\r\n"
    "[Broken\r\n"
    "Stray=1\r\n"
    "[Messages]\r\n"
    "MaxLines=-25\r\n"
    "Print=12abc\r\n"
    "Reset=abc\r\n"
    "[Defaults]\r\n"
    "Second=yes\r\n"
    "[Editor]\n"
    "Font=-13,0,0,0,400,0,0,0,0,3,2,1,49,Courier New";  // no line end at the end

struct ReadCase {
    const char *section, *key, *expected;
};

TEST_F(IniFile, ReadsStringsIgnoringCaseAndBlanks) {
    put(kSample);
    const ReadCase cases[] = {
        {"System", "Toolbar", "0"},
        {"system", "TOOLBAR", "0"},       // names ignore case
        {"Defaults", "CommentMark", "#"},  // blanks around names and values dropped
        {"Defaults", "SubLineBegin", "<%"},  // a quoted value loses its quotes
        {"Defaults", "Quoted", " x "},
        {"Defaults", "IncludePath", ""},   // present but empty: empty, not the default
        {"Defaults", "OutPrint", "1"},     // the first of two equal keys
        {"Defaults", "Second", "dflt"},    // only the first section of a name counts
        {"Broken", "Stray", "dflt"},       // a header without its bracket opens no section...
        {"Defaults", "Stray", "1"},        // ...its lines stay in the section before
        {"Messages", "MaxLines", "-25"},
        {"Editor", "Font", "-13,0,0,0,400,0,0,0,0,3,2,1,49,Courier New"},
        {"System", "CommentMark", "dflt"},  // key of another section
        {"Missing", "Toolbar", "dflt"},
        {"Defaults", "no equals sign here", "dflt"},
        {"", "Toolbar", "dflt"},
    };
    for (const ReadCase &c : cases)
        EXPECT_EQ(plat::iniReadString(file(), c.section, c.key, "dflt"), c.expected) << c.section << "/" << c.key;
}

TEST_F(IniFile, ReadsIntegersAsTheSystemDoes) {
    put(kSample);
    struct IntCase {
        const char *section, *key;
        int32_t expected;
    };
    const IntCase cases[] = {
        {"System", "Toolbar", 0},      {"Messages", "MaxLines", -25}, {"Messages", "Print", 12},
        {"Messages", "Reset", 0},      // text that is no number reads as 0
        {"Defaults", "IncludePath", 77},  // an empty value gives the default
        {"Defaults", "Absent", 77},
    };
    for (const IntCase &c : cases)
        EXPECT_EQ(plat::iniReadInt(file(), c.section, c.key, 77), c.expected) << c.key;
}

TEST_F(IniFile, MissingOrUnreadableFileGivesDefaults) {
    EXPECT_EQ(plat::iniReadString(file(), "System", "Toolbar", "d"), "d");
    EXPECT_EQ(plat::iniReadInt(file(), "System", "Toolbar", 5), 5);
    EXPECT_EQ(plat::iniReadString(dir_.string().c_str(), "System", "Toolbar", "d"), "d");  // a directory
    EXPECT_EQ(plat::iniReadString(nullptr, "System", "Toolbar", "d"), "d");
}

TEST_F(IniFile, WritingCreatesFileSectionAndKey) {
    ASSERT_TRUE(plat::iniWriteString(file(), "Defaults", "CommentMark", "//"));
    EXPECT_EQ(get(), "[Defaults]\r\nCommentMark=//\r\n");
    ASSERT_TRUE(plat::iniWriteString(file(), "defaults", "SubLineBegin", "$["));
    ASSERT_TRUE(plat::iniWriteString(file(), "Messages", "Print", "1"));
    EXPECT_EQ(get(), "[Defaults]\r\nCommentMark=//\r\nSubLineBegin=$[\r\n[Messages]\r\nPrint=1\r\n");
}

// The project's own writer changes nothing but the line it writes; the
// system's calls on Windows may tidy the rest of the file, so these exact
// file contents are checked on POSIX only.
#ifndef _WIN32
TEST_F(IniFile, WritingKeepsEveryOtherLine) {
    put(kSample);
    // Replacing a key changes that line only.
    ASSERT_TRUE(plat::iniWriteString(file(), "DEFAULTS", "commentmark", "--"));
    std::string expected = kSample;
    expected.replace(expected.find("  CommentMark = #  "), strlen("  CommentMark = #  "), "commentmark=--");
    EXPECT_EQ(get(), expected);
    EXPECT_EQ(plat::iniReadString(file(), "Defaults", "CommentMark", ""), "--");

    // A new key goes after the section's last line, before the blank line.
    ASSERT_TRUE(plat::iniWriteString(file(), "System", "Status", "1"));
    expected.replace(expected.find("Toolbar=0\r\n") + 11, 0, "Status=1\r\n");
    EXPECT_EQ(get(), expected);

    // A new section at the end completes the unterminated last line first.
    ASSERT_TRUE(plat::iniWriteString(file(), "Filters", "Scripts", "*.vyr"));
    EXPECT_EQ(get(), expected + "\r\n[Filters]\r\nScripts=*.vyr\r\n");
}

TEST_F(IniFile, WritingFollowsTheFilesLineEnds) {
    put("[A]\nx=1\n");
    ASSERT_TRUE(plat::iniWriteString(file(), "A", "y", "2"));
    EXPECT_EQ(get(), "[A]\nx=1\ny=2\n");
    put("[A]\r\nx=1");  // the section ends with the unterminated last line
    ASSERT_TRUE(plat::iniWriteString(file(), "A", "y", "2"));
    EXPECT_EQ(get(), "[A]\r\nx=1\r\ny=2\r\n");
}

#endif  // _WIN32

TEST_F(IniFile, RefusedWritesLeaveTheFileAlone) {
    put(kSample);
    const char *bad[][3] = {
        {"System", "Toolbar", "1\r\n[Evil]\r\nx=1"},  // a value must not become several lines
        {"System", "Tool\nbar", "1"},
        {"Sys]tem", "Toolbar", "1"},
        {"System", "Tool=bar", "1"},
        {"", "Toolbar", "1"},
        {"System", "", "1"},
    };
    for (auto &b : bad) EXPECT_FALSE(plat::iniWriteString(file(), b[0], b[1], b[2])) << b[1];
    EXPECT_EQ(get(), kSample);
    // A file that cannot be written: nothing is created anywhere.
    std::string inMissingDir = (dir_ / "no" / "such.ini").string();
    EXPECT_FALSE(plat::iniWriteString(inMissingDir.c_str(), "A", "b", "c"));
    EXPECT_FALSE(plat::iniWriteString(dir_.string().c_str(), "A", "b", "c"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

// Arbitrary bytes never crash the reader or the writer, and a key written
// into any file reads back with the written value.
TEST_F(IniFile, AnyContentSurvivesReadAndWrite) {
    std::mt19937 rng(1234);
    const char alphabet[] = {'[', ']', '=', '\r', '\n', ' ', '\t', '"', '\'', ';', 'a', 'B', 'k', '\0', '\xff', 's'};
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        size_t n = rng() % 200;
        for (size_t i = 0; i < n; ++i) bytes += alphabet[rng() % sizeof alphabet];
        put(bytes);
        (void)plat::iniReadString(file(), "s", "k", "");
        (void)plat::iniReadInt(file(), "a", "B", 0);
        std::string value = "v" + std::to_string(round);
        ASSERT_TRUE(plat::iniWriteString(file(), "s", "k", value.c_str())) << round;
        EXPECT_EQ(plat::iniReadString(file(), "S", "K", ""), value) << round;
    }
}

}  // namespace
