// The engine's plain and buffered files: open modes, end-of-data and
// short-write states, line and number reading, escapes, buffered writing.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>
#include <filesystem>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "core/textfile.h"
#include "platform/platform.h"
#include "scratch_dir.h"

namespace {

// ---- VyrFile ----------------------------------------------------------------

struct ModeCase {
    const char *label;
    bool exists;       // the file exists before the open
    int32_t mode;
    int32_t opened;    // expected result of open
    int32_t size;      // expected size after open
    const char *after; // content after writing "xyz" (when opened for writing) and closing
};

TEST(VyrFile, OpenModes) {
    const ModeCase cases[] = {
        {"read existing", true, 0, 1, 5, "hello"},
        {"read missing", false, 0, 0, 0, nullptr},
        {"write truncates", true, 1, 1, 0, "xyz"},
        {"write creates", false, 1, 1, 0, "xyz"},
        {"append adds at the end", true, 2, 1, 5, "helloxyz"},
        {"append creates", false, 2, 1, 0, "xyz"},
        {"unknown mode", true, 3, 0, 0, "hello"},
        {"negative mode", true, -1, 0, 0, "hello"},
    };
    for (const ModeCase &c : cases) {
        SCOPED_TRACE(c.label);
        ScratchDir dir;
        std::string p = dir.path("f.txt");
        if (c.exists) dir.write("f.txt", "hello");
        VyrFile f;
        EXPECT_EQ(f.open(p.c_str(), c.mode), c.opened);
        EXPECT_EQ(f.state(), c.opened);
        EXPECT_EQ(f.size(), c.size);
        if (c.opened) {
            EXPECT_EQ(std::string(f.name().c_str()), plat::fullPath(p.c_str()));
            if (c.mode != 0) {
                EXPECT_EQ(f.write("xyz", 3), 3);
            }
        } else {
            // A failed file touches nothing.
            char buf[4];
            EXPECT_EQ(f.read(buf, 4), 0);
            EXPECT_EQ(f.write("xyz", 3), 0);
            EXPECT_EQ(f.tell(), -1);
            EXPECT_EQ(f.seek(0), -1);
        }
        f.close();
        EXPECT_EQ(f.state(), 0);
        EXPECT_EQ(f.size(), 0);
        if (c.after) EXPECT_EQ(ScratchDir::read(p), c.after);
        else EXPECT_FALSE(VyrFile::exists(p.c_str()));
    }
}

TEST(VyrFile, ShortReadSetsStateTwoAndSeekTellWork) {
    ScratchDir dir;
    std::string p = dir.write("f.bin", std::string(4096, 'q'));
    VyrFile f;
    ASSERT_EQ(f.open(p.c_str(), 0), 1);
    std::vector<char> buf(4096);
    EXPECT_EQ(f.read(buf.data(), 4096), 4096);
    EXPECT_EQ(f.state(), 1);
    EXPECT_EQ(f.tell(), 4096);
    EXPECT_EQ(f.read(buf.data(), 4096), 0);
    EXPECT_EQ(f.state(), 2);
    EXPECT_EQ(f.seek(10), 10);
    EXPECT_EQ(f.read(buf.data(), 5), 5);
    EXPECT_EQ(f.state(), 1);
    EXPECT_EQ(f.tell(), 15);
}

TEST(VyrFile, FailedWriteRefusesEverythingAfter) {
    ScratchDir dir;
    std::string p = dir.write("f.txt", "data");
    VyrFile f;
    ASSERT_EQ(f.open(p.c_str(), 0), 1);
    // The handle is read-only, so the system refuses the write.
    EXPECT_EQ(f.write("x", 1), 0);
    EXPECT_EQ(f.state(), 0);
    char buf[4];
    EXPECT_EQ(f.read(buf, 4), 0);
    EXPECT_EQ(f.tell(), -1);
    EXPECT_EQ(ScratchDir::read(p), "data");
}

TEST(VyrFile, ExistsAndReopenBySameName) {
    ScratchDir dir;
    std::string p = dir.write("f.txt", "abc");
    EXPECT_EQ(VyrFile::exists(p.c_str()), 1);
    EXPECT_EQ(VyrFile::exists(dir.path("none.txt").c_str()), 0);
    EXPECT_EQ(VyrFile::exists(""), 0);
    VyrFile f;
    ASSERT_EQ(f.open(p.c_str(), 0), 1);
    // Reopening by its own stored name works although the name is replaced.
    ASSERT_EQ(f.open(f.name().c_str(), 2), 1);
    EXPECT_EQ(f.size(), 3);
    EXPECT_EQ(f.write("d", 1), 1);
    f.close();
    EXPECT_EQ(ScratchDir::read(p), "abcd");
}

TEST(VyrFile, CurrentSizeFollowsTheFileAndKeepsThePosition) {
    ScratchDir dir;
    std::string p = dir.write("f.txt", "0123456789");
    VyrFile f;
    ASSERT_EQ(f.open(p.c_str(), 0), 1);
    char buf[4];
    ASSERT_EQ(f.read(buf, 4), 4);
    // Another writer grows the file: size() keeps the size at open,
    // currentSize() tells the size now, and reading goes on where it was.
    dir.write("f.txt", "0123456789abcdef");
    EXPECT_EQ(f.size(), 10);
    EXPECT_EQ(f.currentSize(), 16);
    EXPECT_EQ(f.tell(), 4);
    ASSERT_EQ(f.read(buf, 2), 2);
    EXPECT_EQ(std::string(buf, 2), "45");
    f.close();
    EXPECT_EQ(f.currentSize(), -1);
}

TEST(VyrFile, FullPathsResolveTheSameWhenAskedAgain) {
    ScratchDir dir;
    std::string p = dir.write("f.txt", "x");
    const std::string full = plat::fullPath(p.c_str());
    // A full path is its own full path, however often it is asked for, and a
    // roundabout name of the same file resolves to it.
    for (int i = 0; i < 3; ++i) EXPECT_EQ(plat::fullPath(full.c_str()), full);
    std::filesystem::create_directory(dir.path("sub"));
    const std::string roundabout = dir.path("sub") + "/../f.txt";
    EXPECT_EQ(plat::fullPath(roundabout.c_str()), full);
    VyrFile f;
    ASSERT_EQ(f.open(roundabout.c_str(), 0), 1);
    EXPECT_EQ(std::string(f.name().c_str()), full);
    // A name given as a full path already is kept as it is.
    ASSERT_EQ(f.open(f.name().c_str(), 0, true), 1);
    EXPECT_EQ(std::string(f.name().c_str()), full);
#ifndef _WIN32
    // A link is resolved to its target even when the link's own name looks
    // like a resolved path.
    const std::string link = dir.path("link.txt");
    ASSERT_EQ(::symlink(full.c_str(), link.c_str()), 0);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(plat::fullPath(link.c_str()), full);
#endif
}

// ---- VyrTextFile reading ---------------------------------------------------------

std::vector<std::string> readLines(const std::string &path, char delimiter, int32_t max = 100,
                                   int32_t capacity = 4096, bool escape = false) {
    VyrTextFile f;
    std::vector<std::string> lines;
    if (!f.open(path.c_str(), 0, capacity)) return {"<open failed>"};
    f.setEscapeMode(escape);
    std::vector<char> buf(static_cast<size_t>(max) + 1);
    while (!f.atEnd()) {
        f.readLine(buf.data(), max, delimiter);
        if (f.atEnd() && buf[0] == '\0') break;
        lines.push_back(buf.data());
    }
    return lines;
}

struct LineCase {
    const char *label;
    std::string bytes;
    char delimiter;
    int32_t max;
    std::vector<std::string> lines;
};

TEST(VyrTextFile, ReadLine) {
    const LineCase cases[] = {
        {"CR LF, LF and LF LF", std::string("a\r\nb\n\nc"), 0, 100, {"a", "b", "", "c"}},
        {"LF CR is one line end", std::string("a\n\rb"), 0, 100, {"a", "b"}},
        {"CR CR are two", std::string("a\r\rb\r"), 0, 100, {"a", "", "b"}},
        {"zero byte ends a line", std::string("a\0b", 3), 0, 100, {"a", "b"}},
        {"maximum splits a line", std::string("abcdef\ngh"), 0, 3, {"abc", "def", "", "gh"}},
        {"other delimiter", std::string("a,b\n,c"), ',', 100, {"a", "b\n", "c"}},
    };
    for (const LineCase &c : cases) {
        SCOPED_TRACE(c.label);
        ScratchDir dir;
        std::string p = dir.write("f.txt", c.bytes);
        EXPECT_EQ(readLines(p, c.delimiter, c.max), c.lines);
        // A tiny buffer refills inside every line and line end.
        EXPECT_EQ(readLines(p, c.delimiter, c.max, 1), c.lines);
    }
}

TEST(VyrTextFile, FileOfExactlyOneBuffer) {
    ScratchDir dir;
    std::string p = dir.write("f.txt", std::string(4095, 'x') + "\n");
    VyrTextFile f;
    ASSERT_EQ(f.open(p.c_str(), 0, 4096), 1);
    EXPECT_EQ(f.state(), 1);
    std::vector<char> buf(5000);
    EXPECT_EQ(f.readChars(buf.data(), 4096), 4096);
    // Everything is consumed but no read has met the end yet.
    EXPECT_FALSE(f.atEnd());
    EXPECT_EQ(f.state(), 1);
    EXPECT_EQ(f.readChars(buf.data(), 10), 0);
    EXPECT_EQ(f.state(), 2);
    EXPECT_TRUE(f.atEnd());
}

TEST(VyrTextFile, EmptyFileIsAtEndAtOnce) {
    ScratchDir dir;
    std::string p = dir.write("f.txt", "");
    VyrTextFile f;
    ASSERT_EQ(f.open(p.c_str(), 0, 4096), 1);
    EXPECT_EQ(f.state(), 2);
    EXPECT_TRUE(f.atEnd());
    char buf[4];
    EXPECT_EQ(f.readLine(buf, 3, 0), 0);
    EXPECT_STREQ(buf, "");
}

struct NumberCase {
    std::string bytes;
    int32_t value;
    char next;  // the character left unread (0: none)
};

TEST(VyrTextFile, ReadNumber) {
    const NumberCase cases[] = {
        {"-42x", -42, 'x'},
        {"+7", 7, 0},
        {" \t\r\n 12 ", 12, ' '},
        {"abc", 0, 'a'},
        {"-", 0, 0},
        {"+-3", 0, '-'},
        {"2147483647", INT32_MAX, 0},
        {"-2147483648", INT32_MIN, 0},
        {"99999999999", INT32_MAX, 0},
        {"-99999999999", INT32_MIN, 0},
        // At most 32 characters are taken.
        {std::string(32, '0') + "1234", 0, '1'},
    };
    for (const NumberCase &c : cases) {
        SCOPED_TRACE(c.bytes);
        ScratchDir dir;
        std::string p = dir.write("n.txt", c.bytes);
        for (int32_t capacity : {4096, 1}) {
            VyrTextFile f;
            ASSERT_EQ(f.open(p.c_str(), 0, capacity), 1);
            EXPECT_EQ(f.readNumber(), c.value);
            EXPECT_EQ(f.readChar(), c.next);
        }
    }
}

// ---- Escapes and writing -----------------------------------------------------------

TEST(VyrTextFile, EscapesRoundTripAcrossEveryFill) {
    const std::string text = std::string("a\n\"\\") + "\b\t\r" + "z";
    const std::string encoded = "a\\n\\\"\\\\\\b\\t\\rz";
    ScratchDir dir;
    std::string p = dir.path("e.txt");
    {
        VyrTextFile f;
        ASSERT_EQ(f.open(p.c_str(), 1, 4096), 1);
        f.setEscapeMode(true);
        EXPECT_EQ(f.writeString(text.c_str(), static_cast<int32_t>(text.size())),
                  static_cast<int32_t>(text.size()));
    }
    ASSERT_EQ(ScratchDir::read(p), encoded);
    // Every capacity up to the encoded length puts a fill between some pair.
    for (int32_t capacity = 1; capacity <= static_cast<int32_t>(encoded.size()) + 1; ++capacity) {
        SCOPED_TRACE(capacity);
        VyrTextFile f;
        ASSERT_EQ(f.open(p.c_str(), 0, capacity), 1);
        f.setEscapeMode(true);
        char buf[32];
        int32_t n = f.readChars(buf, 31);
        EXPECT_EQ(std::string(buf, static_cast<size_t>(n)), text);
        EXPECT_TRUE(f.atEnd());
    }
}

TEST(VyrTextFile, EscapedPairAtTheEndOfA4096ByteFill) {
    ScratchDir dir;
    // The backslash is byte 4096, its partner the first byte of the next fill.
    std::string p = dir.write("e.txt", std::string(4095, 'x') + "\\n\\\"tail\"rest");
    VyrTextFile f;
    ASSERT_EQ(f.open(p.c_str(), 0, 4096), 1);
    f.setEscapeMode(true);
    std::vector<char> buf(8192);
    EXPECT_EQ(f.readChars(buf.data(), 4096), 4096);
    EXPECT_EQ(buf[4095], '\n');
    // A quoted string read up to its quote keeps the escaped quote.
    EXPECT_EQ(f.readLine(buf.data(), 100, '"'), 5);
    EXPECT_STREQ(buf.data(), "\"tail");
    EXPECT_EQ(f.readLine(buf.data(), 100, '"'), 4);
    EXPECT_STREQ(buf.data(), "rest");
}

TEST(VyrTextFile, BackslashAsLastByteOfTheFile) {
    ScratchDir dir;
    std::string p = dir.write("e.txt", "a\\");
    VyrTextFile f;
    ASSERT_EQ(f.open(p.c_str(), 0, 4096), 1);
    f.setEscapeMode(true);
    char buf[8];
    EXPECT_EQ(f.readChars(buf, 8), 2);
    EXPECT_EQ(std::string(buf, 2), "a\\");
}

TEST(VyrTextFile, WritesSeveralBuffersInOrderOnlyWhenFullOrClosed) {
    ScratchDir dir;
    std::string p = dir.path("w.txt");
    std::string expected;
    for (int i = 0; i < 3 * 4096 + 100; ++i) expected += static_cast<char>('a' + (i * 7) % 26);
    VyrTextFile f;
    ASSERT_EQ(f.open(p.c_str(), 1, 4096), 1);
    EXPECT_EQ(f.writeChars(expected.data(), 100), 100);
    EXPECT_EQ(ScratchDir::read(p), "");  // still in the buffer
    // Uneven pieces so buffer boundaries fall inside them.
    size_t done = 100;
    for (size_t piece = 1; done < expected.size(); piece = piece * 3 + 1) {
        size_t n = std::min(piece, expected.size() - done);
        EXPECT_EQ(f.writeChars(expected.data() + done, static_cast<int32_t>(n)), static_cast<int32_t>(n));
        done += n;
    }
    EXPECT_EQ(ScratchDir::read(p), expected.substr(0, 3 * 4096));
    f.close();
    EXPECT_EQ(ScratchDir::read(p), expected);
}

TEST(VyrTextFile, WriteStringAndNumber) {
    ScratchDir dir;
    std::string p = dir.path("w.txt");
    {
        VyrTextFile f;
        ASSERT_EQ(f.open(p.c_str(), 1, 8), 1);
        EXPECT_EQ(f.writeNumber(0), 1);
        EXPECT_EQ(f.writeString(" "), 1);
        EXPECT_EQ(f.writeNumber(INT32_MIN), 11);
        EXPECT_EQ(f.writeString("|abcdef", 3), 3);
        EXPECT_EQ(f.writeNumber(1234), 4);
    }  // destruction flushes
    EXPECT_EQ(ScratchDir::read(p), "0 -2147483648|ab1234");
    // Append keeps what is there.
    VyrTextFile f;
    ASSERT_EQ(f.open(p.c_str(), 2, 4096), 1);
    EXPECT_EQ(f.writeString("\n"), 1);
    f.close();
    EXPECT_EQ(ScratchDir::read(p), "0 -2147483648|ab1234\n");
}

TEST(VyrTextFile, ReadingAndWritingStayApart) {
    ScratchDir dir;
    std::string p = dir.write("f.txt", "abc");
    VyrTextFile r;
    ASSERT_EQ(r.open(p.c_str(), 0, 4096), 1);
    // A file opened for reading takes no writes (they would overwrite the
    // read buffer) ...
    EXPECT_EQ(r.writeString("zz"), 0);
    EXPECT_EQ(r.readChar(), 'a');
    r.close();
    EXPECT_EQ(ScratchDir::read(p), "abc");
    // ... and one opened for writing reads nothing.
    VyrTextFile w;
    ASSERT_EQ(w.open(p.c_str(), 2, 4096), 1);
    char buf[4];
    EXPECT_EQ(w.readChars(buf, 4), 0);
    EXPECT_FALSE(w.atEnd());
    EXPECT_EQ(w.writeString("d"), 1);
    w.close();
    EXPECT_EQ(ScratchDir::read(p), "abcd");
}

TEST(VyrTextFile, BadOpens) {
    ScratchDir dir;
    std::string p = dir.write("f.txt", "abc");
    VyrTextFile f;
    EXPECT_EQ(f.open(p.c_str(), 0, 0), 0);
    EXPECT_EQ(f.open(p.c_str(), 5, 4096), 0);
    EXPECT_EQ(f.open(dir.path("missing").c_str(), 0, 4096), 0);
    EXPECT_EQ(f.state(), 0);
    EXPECT_FALSE(f.hasByte());
    EXPECT_EQ(f.readChar(), 0);
    EXPECT_EQ(f.readNumber(), 0);
    EXPECT_EQ(f.writeString("x"), 0);
}

TEST(VyrTextFile, ShortWriteDropsTheRest) {
#ifdef _WIN32
    GTEST_SKIP() << "no device that refuses writes";
#endif
    if (!plat::fileExists("/dev/full")) GTEST_SKIP() << "no device that refuses writes";
    VyrTextFile f;
    ASSERT_EQ(f.open("/dev/full", 1, 16), 1);
    std::string data(40, 'x');
    // The first flush fails: the 16 buffered bytes are taken, the rest is not.
    EXPECT_EQ(f.writeChars(data.data(), 40), 16);
    EXPECT_EQ(f.state(), 0);
    EXPECT_EQ(f.writeString("more"), 0);
}

}  // namespace
