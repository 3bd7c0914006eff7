// The script reader: physical lines from 4096-byte chunks, script parts
// between the markers, comment removal, blank-line skipping, the output
// line, seeking and cancelling.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/reader.h"
#include "scratch_dir.h"
#include "vyrapi.h"

namespace {

constexpr uint32_t C = VYRO_NOCOMMENTS;
constexpr uint32_t B = VYRO_NOBLANKLINES;
constexpr uint32_t M = VYRO_XLATSUBLINES;

struct Line {
    int32_t line;
    int32_t offset;
    std::string text;
    bool operator==(const Line &o) const { return line == o.line && offset == o.offset && text == o.text; }
};

std::ostream &operator<<(std::ostream &os, const Line &l) {
    return os << "{" << l.line << ", " << l.offset << ", \"" << l.text << "\"}";
}

VyrReaderOptions makeOptions(uint32_t flags) {
    VyrReaderOptions o;
    o.flags = flags;
    o.subLineBegin = "$[";
    o.subLineEnd = "]$";
    o.commentMark = "//";
    o.commentBegin = "/*";
    o.commentEnd = "*/";
    return o;
}

std::string trimmed(const char *s) {
    std::string t = s;
    size_t a = t.find_first_not_of(" \t");
    if (a == std::string::npos) return "";
    return t.substr(a, t.find_last_not_of(" \t") - a + 1);
}

struct ReadResult {
    std::vector<Line> lines;
    std::string output;
};

// Reads a script the way the interpreter does: every script text whose
// trimmed form names a value appends that value to the output line; "off" and
// "on" switch the active flag; "nf" is a line consumed by the block logic (no
// flush); every other line is flushed with the rest of its line.
ReadResult interpret(const std::string &script, uint32_t flags,
              const std::map<std::string, std::string> &values = {}) {
    ScratchDir dir;
    std::string in = dir.write("script.vyr", script);
    std::string outPath = dir.path("out.txt");
    VyrReaderOptions options = makeOptions(flags);
    VyrScriptReader reader(options);
    ReadResult run;
    if (!reader.open(in.c_str())) {
        ADD_FAILURE() << "script did not open";
        return run;
    }
    VyrFile out;
    EXPECT_EQ(out.open(outPath.c_str(), VyrFile::kWrite), 1);
    int32_t active = 1;
    reader.setActive(&active);
    EXPECT_EQ(reader.attachOutput(&out), (flags & M) ? 1 : 0);
    VyrLinePos pos;
    reader.seek(pos);
    while (reader.nextScriptLine(pos) && run.lines.size() < 100000) {
        run.lines.push_back({pos.line, pos.offset, pos.text.c_str()});
        std::string t = trimmed(pos.text.c_str());
        if (t == "off") active = 0;
        if (t == "on") active = 1;
        auto v = values.find(t);
        if (v != values.end()) reader.appendOutput(v->second.c_str());
        if (t != "nf") reader.flush(true);
    }
    out.close();
    run.output = ScratchDir::read(outPath);
    return run;
}

struct ReaderCase {
    const char *label;
    std::string script;
    uint32_t flags;
    std::map<std::string, std::string> values;
    std::vector<Line> lines;
    std::string output;
};

void check(const ReaderCase &c) {
    SCOPED_TRACE(c.label);
    ReadResult run = interpret(c.script, c.flags, c.values);
    EXPECT_EQ(run.lines, c.lines);
    EXPECT_EQ(run.output, c.output);
}

TEST(ScriptReader, MarkersAndTemplateText) {
    const ReaderCase cases[] = {
        {"expression inside template", "Total: $[n]$ items\r\n", M, {{"n", "3"}},
         {{1, 0, "n"}}, "Total: 3 items\r\n"},
        {"statement-only and blank results write nothing", "$[If x]$\n   $[s]$\nend\n", M, {{"s", ""}},
         {{1, 0, "If x"}, {2, 9, "s"}}, "end\r\n"},
        {"end marker first: copied literally", "a ]$ b $[x]$\n", M, {}, {}, "a ]$ b $[x]$\r\n"},
        {"several parts, left to right", "$[x]$ and $[y]$!\n", M, {{"x", "1"}, {"y", "2"}},
         {{1, 0, "x"}, {1, 0, "y"}}, "1 and 2!\r\n"},
        {"unterminated part is template", "a $[x\n", M, {}, {}, "a $[x\r\n"},
        {"first bytes of markers without the rest", "$ a ] $$ b ]]$\n", M, {}, {}, "$ a ] $$ b ]]$\r\n"},
        {"line ending in a marker's first byte", "$[x]$ $\n", M, {{"x", "1"}}, {{1, 0, "x"}}, "1 $\r\n"},
        {"blank and empty template lines are written", "\n  \nx\n", M, {}, {}, "\r\n  \r\nx\r\n"},
        {"marker pair may enclose a begin marker", "<$[a $[b]$>\n", M, {{"a $[b", "v"}},
         {{1, 0, "a $[b"}}, "<v>\r\n"},
        {"a removed part joins new markers", "$$[a]$[b]$\n", M, {{"a", "1"}, {"b", "2"}},
         {{1, 0, "a"}, {1, 0, "b"}}, "12\r\n"},
        {"line consumed by the block logic is discarded", "a $[nf]$ b\nc\n", M, {},
         {{1, 0, "nf"}}, "c\r\n"},
        {"inactive lines write nothing", "$[off]$\nhidden $[v]$\n$[on]$\nshown\n", M, {{"v", "x"}},
         {{1, 0, "off"}, {2, 8, "v"}, {3, 21, "on"}}, "shown\r\n"},
        {"without marker mode every line is script", "a $[x]$\nb\n", 0, {},
         {{1, 0, "a $[x]$"}, {2, 8, "b"}}, ""},
    };
    for (const ReaderCase &c : cases) check(c);
}

TEST(ScriptReader, CommentsAndBlankLines) {
    const ReaderCase cases[] = {
        {"line comment", "$[If a // test]$\n", C | M, {}, {{1, 0, "If a "}}, ""},
        {"comments off keep the text", "$[If a // test]$\n", M, {}, {{1, 0, "If a // test"}}, ""},
        {"block comment inside a part", "$[/* a */ If b]$\n", C | M, {}, {{1, 0, " If b"}}, ""},
        {"line mark cuts inside a block comment, which stays open", "x /* a // b */ y\nz\n", C, {},
         {{1, 0, "x "}}, ""},
        {"block comment over lines", "x /* start\nhidden\nmore\nend */ y\nz\n", C, {},
         {{1, 0, "x "}, {4, 23, " y"}, {5, 32, "z"}}, ""},
        {"close then open inside a comment skips the line", "/*\nx */ y /* z\nq */ w\n", C | B, {},
         {{3, 15, " w"}}, ""},
        {"comment spanning parts", "$[a /* b]$ t $[c */ d]$\n", C | M, {},
         {{1, 0, "a "}, {1, 0, " d"}}, " t \r\n"},
        {"stray end mark does not disable comments", "a */ b\n/* c\nd\n", C, {},
         {{1, 0, " b"}, {2, 7, ""}}, ""},
        {"empty parts skipped as blank", "$[]$\n$[// note]$\n$[x]$\n", C | B | M, {},
         {{3, 17, "x"}}, ""},
        {"empty parts delivered without skipping", "$[]$\n$[// note]$\n", C | M, {},
         {{1, 0, ""}, {2, 5, ""}}, ""},
        {"skipped last part keeps its template text", "int x; $[// c]$\n  $[]$\n", C | B | M, {}, {},
         "int x; \r\n"},
        {"blank lines kept without skipping", "a\n\n \t\nb\n", 0, {},
         {{1, 0, "a"}, {2, 2, ""}, {3, 3, " \t"}, {4, 6, "b"}}, ""},
        {"blank lines skipped", "a\n\n \t\nb\n", B, {}, {{1, 0, "a"}, {4, 6, "b"}}, ""},
        {"bytes above 127 are not blank", "\xa0\n", B, {}, {{1, 0, "\xa0"}}, ""},
    };
    for (const ReaderCase &c : cases) check(c);
}

TEST(ScriptReader, PhysicalLines) {
    const std::string a4095(4095, 'a');
    const ReaderCase cases[] = {
        {"lone CR drops the rest of the line", "abc\rdef\nx\r\n\r\rlead\n", 0, {},
         {{1, 0, "abc"}, {2, 8, "x"}, {3, 11, "lead"}}, ""},
        {"zero bytes end a line", std::string("ab\0\0\0cd\nef", 11), 0, {},
         {{1, 0, "ab"}, {2, 5, "cd"}, {3, 8, "ef"}}, ""},
        {"zero bytes at the end of the data", std::string("ab\0\0", 4), 0, {}, {{1, 0, "ab"}}, ""},
        {"last line without LF", "a\nb", 0, {}, {{1, 0, "a"}, {2, 2, "b"}}, ""},
        {"final LF adds no empty line", "a\n", 0, {}, {{1, 0, "a"}}, ""},
        {"empty file", "", 0, {}, {}, ""},
        {"line longer than a chunk", std::string(5000, 'x') + "\nb", 0, {},
         {{1, 0, std::string(5000, 'x')}, {2, 5001, "b"}}, ""},
        {"4096 bytes, last line without LF", "x\n" + std::string(4094, 'y'), 0, {},
         {{1, 0, "x"}, {2, 2, std::string(4094, 'y')}}, ""},
        {"8192 bytes, last line without LF", "x\n" + std::string(8190, 'y'), 0, {},
         {{1, 0, "x"}, {2, 2, std::string(8190, 'y')}}, ""},
        {"4096 bytes ending in LF", a4095 + "\n", 0, {}, {{1, 0, a4095}}, ""},
        {"8192 bytes ending in LF", a4095 + "\n" + a4095 + "\n", 0, {},
         {{1, 0, a4095}, {2, 4096, a4095}}, ""},
        {"CR LF split by the chunk end", a4095 + "\r\nb", 0, {}, {{1, 0, a4095}, {2, 4097, "b"}}, ""},
        {"CR cut carries into the next chunk", std::string(4094, 'a') + "\rzz\nc", 0, {},
         {{1, 0, std::string(4094, 'a')}, {2, 4098, "c"}}, ""},
        {"zero byte at the chunk end", a4095 + std::string("\0b", 2), 0, {},
         {{1, 0, a4095}, {2, 4096, "b"}}, ""},
        {"part split by the chunk end", std::string(4094, ' ') + "$[x]$\n", M, {{"x", "v"}},
         {{1, 0, "x"}}, std::string(4094, ' ') + "v\r\n"},
    };
    for (const ReaderCase &c : cases) check(c);
}

// ---- Reader operations outside the table ---------------------------------------

struct ReaderFixture : ::testing::Test {
    ScratchDir dir;
    VyrReaderOptions options = makeOptions(0);
    VyrScriptReader reader{options};
    VyrLinePos pos;

    void openScript(const std::string &bytes) {
        ASSERT_EQ(reader.open(dir.write("s.vyr", bytes).c_str()), 1);
        reader.seek(pos);
    }
    std::string next() {
        if (!reader.nextScriptLine(pos)) return "<end>";
        return pos.text.c_str();
    }
};

TEST_F(ReaderFixture, SeekInsideTheChunkReadsNoFile) {
    openScript("l1\nl2\nl3\n");
    EXPECT_EQ(next(), "l1");
    EXPECT_EQ(next(), "l2");
    EXPECT_EQ(next(), "l3");
    // Change the bytes on disk: a seek that reread the file would see them.
    {
        std::fstream f(dir.path("s.vyr"), std::ios::in | std::ios::out | std::ios::binary);
        f.write("XX\nXX\nXX\n", 9);
    }
    pos.line = 2;
    pos.offset = 3;
    reader.seek(pos);
    EXPECT_EQ(pos.line, 1);
    EXPECT_EQ(next(), "l2");
    EXPECT_EQ(pos.line, 2);
    EXPECT_EQ(pos.offset, 3);
    // Back to the start of the file (the start of the chunk) as well.
    pos.line = 0;
    pos.offset = 0;
    reader.seek(pos);
    EXPECT_EQ(next(), "l1");
    EXPECT_EQ(pos.line, 1);
    EXPECT_EQ(next(), "l2");
    EXPECT_EQ(next(), "l3");
    EXPECT_EQ(next(), "<end>");
}

TEST_F(ReaderFixture, SeekOutsideTheChunk) {
    std::string script;
    std::vector<int32_t> offsets;
    for (int i = 1; i <= 1000; ++i) {
        offsets.push_back(static_cast<int32_t>(script.size()));
        script += "line " + std::to_string(i) + "\n";
    }
    openScript(script);
    while (next() != "<end>") {
    }
    // From the end back into the first chunk, then forward into the third.
    for (int target : {2, 700, 1, 999, 1000}) {
        SCOPED_TRACE(target);
        pos.line = target;
        pos.offset = offsets[static_cast<size_t>(target - 1)];
        reader.seek(pos);
        EXPECT_EQ(next(), "line " + std::to_string(target));
        EXPECT_EQ(pos.line, target);
        EXPECT_EQ(pos.offset, offsets[static_cast<size_t>(target - 1)]);
    }
    EXPECT_EQ(next(), "<end>");
    // Beyond the end of the file there is nothing to read.
    pos.line = 5;
    pos.offset = 1 << 20;
    reader.seek(pos);
    EXPECT_EQ(next(), "<end>");
}

TEST_F(ReaderFixture, SeekForgetsThePendingOutputLine) {
    options.flags = M;
    openScript("a $[x]$ b\n");
    VyrFile out;
    ASSERT_EQ(out.open(dir.path("o.txt").c_str(), VyrFile::kWrite), 1);
    ASSERT_EQ(reader.attachOutput(&out), 1);
    EXPECT_EQ(next(), "x");
    reader.seek(pos);  // back to line 1 before the line was flushed
    EXPECT_EQ(next(), "x");
    reader.flush(true);
    out.close();
    EXPECT_EQ(ScratchDir::read(dir.path("o.txt")), "a  b\r\n");
}

TEST_F(ReaderFixture, FlushingTwiceWritesTheRestOnce) {
    options.flags = M;
    openScript("<$[inc]$ tail\n$[x]$ end\n");
    VyrFile out;
    ASSERT_EQ(out.open(dir.path("o.txt").c_str(), VyrFile::kWrite), 1);
    ASSERT_EQ(reader.attachOutput(&out), 1);
    EXPECT_EQ(next(), "inc");
    reader.flush(true);  // as before running an included file
    out.write("[included]\r\n", 12);
    reader.flush(true);  // after the line's statement
    EXPECT_EQ(next(), "x");
    reader.appendOutput("abcdef", 3);
    reader.flush(false);  // written without a line end, rest kept
    reader.flush(true);
    out.close();
    EXPECT_EQ(ScratchDir::read(dir.path("o.txt")), "< tail\r\n[included]\r\nabc end\r\n");
}

TEST_F(ReaderFixture, AttachOutput) {
    VyrFile out, closed;
    ASSERT_EQ(out.open(dir.path("o.txt").c_str(), VyrFile::kWrite), 1);
    openScript("x\n");
    // Without script-marker mode nothing is attached.
    EXPECT_EQ(reader.attachOutput(&out), 0);
    EXPECT_EQ(reader.output(), nullptr);
    options.flags = M;
    EXPECT_EQ(reader.attachOutput(&out), 1);
    EXPECT_EQ(reader.output(), &out);
    EXPECT_EQ(reader.attachOutput(nullptr), 1);
    EXPECT_EQ(reader.output(), nullptr);
    // A file that did not open is replaced by none.
    EXPECT_EQ(closed.open(dir.path("no/such/dir/o.txt").c_str(), VyrFile::kWrite), 0);
    EXPECT_EQ(reader.attachOutput(&closed), 0);
    EXPECT_EQ(reader.output(), nullptr);
}

TEST_F(ReaderFixture, CancelEndsTheFile) {
    options.flags = M;
    openScript("$[a]$ $[b]$\n$[c]$\n");
    EXPECT_EQ(next(), "a");
    options.flags = VYR_CANCEL;
    EXPECT_EQ(next(), "<end>");
    EXPECT_EQ(next(), "<end>");
}

TEST_F(ReaderFixture, CommentDepthBelongsToTheReader) {
    options.flags = C;
    openScript("a /* open\nb\n");
    EXPECT_EQ(next(), "a ");
    EXPECT_EQ(reader.commentDepth(), 1);
    EXPECT_EQ(next(), "<end>");
    // Another reader with the same options starts outside any comment.
    VyrScriptReader other(options);
    ASSERT_EQ(other.open(dir.write("t.vyr", "c\n").c_str()), 1);
    VyrLinePos p2;
    ASSERT_EQ(other.nextScriptLine(p2), 1);
    EXPECT_STREQ(p2.text.c_str(), "c");
}

TEST_F(ReaderFixture, MissingFile) {
    EXPECT_EQ(reader.open(dir.path("missing.vyr").c_str()), 0);
    EXPECT_FALSE(reader.isOpen());
    EXPECT_EQ(next(), "<end>");
}

TEST_F(ReaderFixture, FileNameAndSize) {
    std::string p = dir.write("s.vyr", "abc\n");
    ASSERT_EQ(reader.open(p.c_str()), 1);
    EXPECT_EQ(reader.file().size(), 4);
    EXPECT_EQ(std::string(reader.file().name().c_str()), plat::fullPath(p.c_str()));
}

// Arbitrary bytes under every option combination: no crash, lines and offsets
// only move forward, offsets stay inside the file.
TEST(ScriptReader, ArbitraryBytes) {
    std::mt19937 rng(12345);
    const char alphabet[] = {'\0', '\n', '\r', '$', '[', ']', '/', '*', ' ', 'a', '\t', '\xff'};
    for (int round = 0; round < 24; ++round) {
        std::string bytes;
        size_t n = 1 + rng() % 9000;
        for (size_t i = 0; i < n; ++i) bytes += alphabet[rng() % sizeof alphabet];
        uint32_t flags = static_cast<uint32_t>(round % 8);
        ReadResult run = interpret(bytes, flags);
        int32_t lastLine = 0, lastOffset = -1;
        for (const Line &l : run.lines) {
            EXPECT_GE(l.line, lastLine);
            EXPECT_GE(l.offset, lastOffset);
            EXPECT_LT(l.offset, static_cast<int32_t>(bytes.size()));
            EXPECT_EQ(l.text.find('\0'), std::string::npos);
            lastLine = l.line;
            lastOffset = l.offset;
        }
    }
}

}  // namespace
