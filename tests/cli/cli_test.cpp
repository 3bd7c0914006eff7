// The console host's modules: command line, settings, options record,
// progress percentage and value printing.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "cmdline.h"
#include "printvalue.h"
#include "report.h"
#include "settings.h"
#include "vyrapi.h"

namespace {

bool parse(std::vector<const char *> args, CommandLine *cmd, std::string *error) {
    args.insert(args.begin(), "vyr");
    return parseCommandLine(static_cast<int>(args.size()), args.data(), cmd, error);
}

GenSettings resolve(std::vector<const char *> args) {
    CommandLine cmd;
    std::string error;
    EXPECT_TRUE(parse(args, &cmd, &error)) << error;
    GenSettings s;
    EXPECT_TRUE(resolveSettings(cmd, &s, &error)) << error;
    return s;
}

TEST(CliSettings, DefaultsMakeTheEditorsOptionsRecord) {
    GenSettings s = resolve({"a.vyr"});
    VYROPTIONS o = makeOptions(s, nullptr, 42);
    EXPECT_EQ(o.cbSize, sizeof(VYROPTIONS));
    EXPECT_EQ(o.fMask, 0xffffu);
    EXPECT_EQ(o.fFlags, VYRO_NOCOMMENTS | VYRO_NOBLANKLINES | VYRO_XLATSUBLINES);
    EXPECT_STREQ(o.lpszCommentMark, "//");
    EXPECT_STREQ(o.lpszCommentBegin, "/*");
    EXPECT_STREQ(o.lpszCommentEnd, "*/");
    EXPECT_STREQ(o.lpszSubLineBegin, "$[");
    EXPECT_STREQ(o.lpszSubLineEnd, "]$");
    EXPECT_STREQ(o.lpszProtectBegin, "%PROTECT");
    EXPECT_STREQ(o.lpszProtectEnd, "%ENDPROTECT");
    EXPECT_STREQ(o.lpszIncludePath, "");
    EXPECT_EQ(o.lUserData, 42);
    EXPECT_TRUE(s.printToMessages);
}

TEST(CliSettings, OverridesChangeTheirSettingOnly) {
    struct Case {
        std::vector<const char *> args;
        std::function<bool(const GenSettings &)> holds;
    };
    const Case cases[] = {
        {{"--markers", "<%", "%>"}, [](const GenSettings &s) { return s.subLineBegin == "<%" && s.subLineEnd == "%>" && s.markers; }},
        {{"--protect", "BEGIN", "END"}, [](const GenSettings &s) { return s.protectBegin == "BEGIN" && s.protectEnd == "END"; }},
        {{"--line-comment", "--"}, [](const GenSettings &s) { return s.commentMark == "--" && s.comments; }},
        {{"--block-comment", "(*", "*)"}, [](const GenSettings &s) { return s.commentBegin == "(*" && s.commentEnd == "*)"; }},
        {{"--no-comments"}, [](const GenSettings &s) { return !s.comments && s.commentMark == "//"; }},
        {{"--keep-blank-lines"}, [](const GenSettings &s) { return !s.skipBlankLines && s.comments; }},
        {{"--no-markers"}, [](const GenSettings &s) { return !s.markers && s.subLineBegin == "$["; }},
        {{"--print-to-output"}, [](const GenSettings &s) { return s.outPrint && s.printToMessages; }},
        {{"--no-print"}, [](const GenSettings &s) { return !s.printToMessages && !s.outPrint; }},
        // Empty markers are texts like any other.
        {{"--markers", "", ""}, [](const GenSettings &s) { return s.subLineBegin.empty() && s.subLineEnd.empty(); }},
    };
    for (const Case &c : cases) {
        std::vector<const char *> args = c.args;
        args.push_back("a.vyr");
        EXPECT_TRUE(c.holds(resolve(args))) << c.args[0];
    }
}

TEST(CliSettings, SettingsFileThenCommandLine) {
    std::string file = VYR_CLI_DATA "/settings.ini";
    GenSettings s = resolve({"--settings", file.c_str(), "a.vyr"});
    EXPECT_FALSE(s.comments);               // NoComments=0
    EXPECT_EQ(s.commentMark, "//");         // an empty value keeps the default
    EXPECT_EQ(s.subLineBegin, "<%");
    EXPECT_EQ(s.subLineEnd, "%>");
    EXPECT_EQ(s.includePath, "inc1;inc2");
    EXPECT_TRUE(s.outPrint);
    EXPECT_FALSE(s.printToMessages);        // Print=abc reads as 0
    EXPECT_TRUE(s.markers);                 // missing keys keep their defaults
    EXPECT_EQ(s.protectBegin, "%PROTECT");
    EXPECT_TRUE(s.skipBlankLines);

    // The command line wins whatever the order of its arguments.
    s = resolve({"--markers", "{{", "}}", "-I", "a", "--settings", file.c_str(), "--include=b", "-Ic", "a.vyr"});
    EXPECT_EQ(s.subLineBegin, "{{");
    EXPECT_EQ(s.includePath, "a;b;c;inc1;inc2");

    CommandLine cmd;
    std::string error;
    ASSERT_TRUE(parse({"--settings", VYR_CLI_DATA "/nosuch.ini", "a.vyr"}, &cmd, &error));
    EXPECT_FALSE(resolveSettings(cmd, &s, &error));
    EXPECT_NE(error.find("nosuch.ini"), std::string::npos) << error;
}

TEST(CliSettings, LongValuesAreCutAsTheEditorCutsThem) {
    namespace fs = std::filesystem;
    std::random_device rd;
    fs::path file = fs::temp_directory_path() / ("vyr_cli_" + std::to_string(rd()) + ".ini");
    {
        std::ofstream out(file, std::ios::binary);
        out << "[Defaults]\r\nIncludePath=" << std::string(300, 'x') << "\r\n";
    }
    GenSettings s;
    std::string error;
    EXPECT_TRUE(loadSettings(file.string().c_str(), &s, &error)) << error;
    EXPECT_EQ(s.includePath, std::string(254, 'x'));
    fs::remove(file);
}

TEST(CliSettings, SettingNumbers) {
    const std::pair<const char *, int32_t> cases[] = {
        {"1", 1}, {"  -7", -7}, {"+3x", 3}, {"abc", 0}, {"", 0}, {"4294967297", 1},
    };
    for (const auto &c : cases) EXPECT_EQ(settingNumber(c.first), c.second) << c.first;
}

TEST(CliCommandLine, Defines) {
    CommandLine cmd;
    std::string error;
    ASSERT_TRUE(parse({"-D", "NAME=a=b", "-Dn:=-2147483648", "--define", "Empty=", "--define=name=last",
                       "-DBig:=+2147483647", "x.vyr"},
                      &cmd, &error))
        << error;
    ASSERT_EQ(cmd.defines.size(), 4u);
    EXPECT_EQ(cmd.defines[0].name, "n");
    EXPECT_TRUE(cmd.defines[0].isInteger);
    EXPECT_EQ(cmd.defines[0].number, INT32_MIN);
    EXPECT_EQ(cmd.defines[1].name, "Empty");
    EXPECT_EQ(cmd.defines[1].text, "");
    // A later -D of the same name (in any case) replaces the earlier one.
    EXPECT_EQ(cmd.defines[2].name, "name");
    EXPECT_FALSE(cmd.defines[2].isInteger);
    EXPECT_EQ(cmd.defines[2].text, "last");
    EXPECT_EQ(cmd.defines[3].name, "Big");
    EXPECT_TRUE(cmd.defines[3].isInteger);
    EXPECT_EQ(cmd.defines[3].number, INT32_MAX);

    const char *bad[] = {"X", "=1", "1A=2", "A B=1", "X:=", "X:=1.5", "X:=-2147483649", "X:= 1"};
    for (const char *b : bad) {
        CommandLine c;
        EXPECT_FALSE(parse({"-D", b, "x.vyr"}, &c, &error)) << b;
        EXPECT_NE(error.find(b[0] == '=' ? "=1" : b), std::string::npos) << error;
    }
}

TEST(CliCommandLine, UsageErrorsNameTheArgument) {
    struct Case {
        std::vector<const char *> args;
        const char *mention;
    };
    const Case cases[] = {
        {{"--what", "a.vyr"}, "'--what'"},
        {{"-x", "a.vyr"}, "'-x'"},
        {{"-Ia;b", "a.vyr"}, "'a;b'"},
        {{"--include=", "a.vyr"}, "''"},
        {{"a.vyr", "--protect", "X"}, "'--protect' needs two values"},
        {{"a.vyr", "--settings"}, "'--settings' needs a value"},
        {{"--no-print=1", "a.vyr"}, "'--no-print'"},
        {{"--error-format", "a.vyr"}, "'--error-format'"},
        {{}, "no script"},
    };
    for (const Case &c : cases) {
        CommandLine cmd;
        std::string error;
        EXPECT_FALSE(parse(c.args, &cmd, &error)) << c.mention;
        EXPECT_NE(error.find(c.mention), std::string::npos) << error;
    }
    // After "--" everything is a script, also what looks like an option.
    CommandLine cmd;
    std::string error;
    ASSERT_TRUE(parse({"-q", "--", "-q", "--help"}, &cmd, &error));
    EXPECT_TRUE(cmd.quiet);
    EXPECT_FALSE(cmd.help);
    EXPECT_EQ(cmd.scripts, (std::vector<std::string>{"-q", "--help"}));
}

TEST(CliProgress, PercentOfTheScriptRead) {
    struct Case {
        uint32_t offset, size, percent;
    };
    const Case cases[] = {
        {0, 0, 0}, {10, 0, 0}, {0, 200, 0}, {199, 200, 99}, {200, 200, 100}, {300, 200, 100},
        {4000000000u, 4200000000u, 95},  // offset x 100 needs more than 32 bits
    };
    for (const Case &c : cases) EXPECT_EQ(percentRead(c.offset, c.size), c.percent) << c.offset << "/" << c.size;
}

// ---- Printing values -------------------------------------------------------

std::vector<std::string> printed(HVYRITEM item, int depth = 0) {
    std::vector<std::string> lines;
    printValue(item, depth, [&lines](const std::string &line) { lines.push_back(line); });
    return lines;
}

class CliPrint : public ::testing::Test {
protected:
    void SetUp() override { VyrInitInstance(); }
    void TearDown() override {
        for (HVYRITEM i : items_) VyrItemDelete(i);
        VyrFreeInstance();
    }
    HVYRITEM item() {
        items_.push_back(VyrItemCreate(nullptr));
        return items_.back();
    }
    std::vector<HVYRITEM> items_;
};

TEST_F(CliPrint, ScalarsAndUnknownTypes) {
    HVYRITEM n = item(), s = item(), none = item();
    VyrItemSetNum(n, -42);
    VyrItemSetStr(s, "text with  spaces");
    EXPECT_EQ(printed(n), (std::vector<std::string>{"-42"}));
    EXPECT_EQ(printed(s, 2), (std::vector<std::string>{"    text with  spaces"}));
    // A value without a type is named, never indented.
    EXPECT_EQ(printed(none, 3), (std::vector<std::string>{"[Unknown Item Type]"}));
}

TEST_F(CliPrint, ObjectAsTheMessagesWindowShowsIt) {
    HVYROBJECT pt = VyrObjectCreate("pt");
    VyrSetMemberNum(pt, "x", 1);
    VyrSetMemberStr(pt, "s", "abc");
    HVYRITEM v = item();
    VyrItemSetObj(v, pt, nullptr);
    VyrObjectDelete(pt);
    EXPECT_EQ(printed(v), (std::vector<std::string>{"pt", "{", "  [x]", "    1", "  [s]", "    abc", "}"}));
}

TEST_F(CliPrint, NestedListsAndObjectsIndentByDepth) {
    HVYRLIST inner = VyrListCreate();
    VyrListAddNum(inner, 2);
    VyrListAddStr(inner, "b");
    HVYROBJECT o = VyrObjectCreate("o");
    VyrSetMemberList(o, "l", inner);
    HVYRLIST outer = VyrListCreate();
    VyrListAddNum(outer, 1);
    VyrListAddList(outer, inner);
    VyrListAddObj(outer, o);
    HVYRLIST empty = VyrListCreate();
    VyrListAddList(outer, empty);
    HVYRITEM v = item();
    VyrItemSetList(v, outer);
    const std::vector<std::string> expected = {
        "  {",           //
        "    1",         //
        "    {",         //
        "      2",       //
        "      b",       //
        "    }",         //
        "    o",         //
        "    {",         //
        "      [l]",     //
        "        {",     //
        "          2",   //
        "          b",   //
        "        }",     //
        "    }",         //
        "    {",         //
        "    }",         //
        "  }",
    };
    EXPECT_EQ(printed(v, 1), expected);
    VyrListDelete(inner);
    VyrListDelete(outer);
    VyrListDelete(empty);
    VyrObjectDelete(o);
}

}  // namespace
