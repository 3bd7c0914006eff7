// Output files with protected regions: collecting regions from the previous
// version across chunk ends, copying a region's old content, and replacing
// or keeping the previous version without ever leaving a partial file or a
// stray temporary file behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/output.h"
#include "platform/platform.h"
#include "scratch_dir.h"

namespace {

const char *const kBegin = "%PROTECT";
const char *const kEnd = "%ENDPROTECT";
constexpr size_t kChunk = VyrOutputFile::kChunk;

// Names of the files in the directory of path.
std::set<std::string> filesBeside(const std::string &path) {
    std::set<std::string> names;
    for (const auto &e : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
        names.insert(e.path().filename().string());
    return names;
}

// Writes a region's old content through the output and returns the new file.
std::string copied(ScratchDir &dir, const std::string &previous, const char *region) {
    std::string path = dir.write("out.txt", previous);
    VyrOutputFile out;
    EXPECT_TRUE(out.open(path.c_str(), 1, kBegin, kEnd));
    int32_t offset = -1;
    EXPECT_TRUE(out.findRegion(region, &offset)) << region;
    EXPECT_TRUE(out.copyRegion(offset));
    EXPECT_TRUE(out.commit());
    return ScratchDir::read(path);
}

// ---- Collecting regions -------------------------------------------------------

TEST(OutputScan, FindsEveryRegionWhereverAChunkEnds) {
    // The marker, the white space after it and the name are moved across the
    // first chunk end one byte at a time.
    const std::string region = "%PROTECT \r\n\t setup_2";
    for (size_t start = kChunk - region.size() - 2; start <= kChunk + 1; ++start) {
        SCOPED_TRACE(start);
        ScratchDir dir;
        std::string text = std::string(start, 'x') + region + "\r\nbody\r\n%ENDPROTECT\r\n";
        std::string path = dir.write("out.txt", text);
        VyrOutputFile out;
        ASSERT_TRUE(out.open(path.c_str(), 1, kBegin, kEnd));
        int32_t offset = -1;
        ASSERT_TRUE(out.findRegion("setup_2", &offset));
        EXPECT_EQ(offset, static_cast<int32_t>(start + region.size()));
        EXPECT_EQ(out.regionCount(), 1u);
        out.rollback();
    }
}

TEST(OutputScan, NamesAndOccurrences) {
    struct Case {
        const char *label;
        std::string text;
        const char *lookup;
        int32_t offset;  // -1: not found
        uint32_t count;
    };
    const std::string zeros("\0\0", 2);
    const Case cases[] = {
        {"name ignores case", "%PROTECT Init\nx%ENDPROTECT", "iNIT", 13, 1},
        {"last occurrence wins", "%PROTECT a\n1%ENDPROTECT\n%PROTECT A\n2%ENDPROTECT", "a", 34, 1},
        {"name ends at a non-name byte", "%PROTECT my region\n%ENDPROTECT", "my", 11, 1},
        {"a name with a space is not found whole", "%PROTECT my region\n%ENDPROTECT", "my region", -1, 1},
        {"marker without a name", "%PROTECT\n\n%ENDPROTECT", "", 10, 1},
        {"name at the very end of the file", "%PROTECT last", "last", 13, 1},
        {"zero bytes do not hide a marker", "a" + zeros + "%PROTECT z\n%ENDPROTECT", "z", 13, 1},
        {"end marker is not a begin marker", "%ENDPROTECT x", "x", -1, 0},
        {"two regions", "%PROTECT a\n%ENDPROTECT %PROTECT b\n%ENDPROTECT", "b", 33, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        ScratchDir dir;
        std::string path = dir.write("out.txt", c.text);
        VyrOutputFile out;
        ASSERT_TRUE(out.open(path.c_str(), 1, kBegin, kEnd));
        int32_t offset = -1;
        EXPECT_EQ(out.findRegion(c.lookup, &offset), c.offset >= 0);
        if (c.offset >= 0) {
            EXPECT_EQ(offset, c.offset);
        }
        EXPECT_EQ(out.regionCount(), c.count);
    }
}

TEST(OutputScan, EmptyMarkersMeanNoRegions) {
    ScratchDir dir;
    std::string path = dir.write("out.txt", "%PROTECT a\nkeep%ENDPROTECT\n");
    for (auto markers : {std::make_pair("", kEnd), std::make_pair(kBegin, "")}) {
        VyrOutputFile out;
        ASSERT_TRUE(out.open(path.c_str(), 1, markers.first, markers.second));
        EXPECT_EQ(out.regionCount(), 0u);
        EXPECT_FALSE(out.findRegion("a", nullptr));
    }
}

TEST(OutputScan, NameLongerThanAChunk) {
    ScratchDir dir;
    std::string name(kChunk + 100, 'n');
    std::string path = dir.write("out.txt", "%PROTECT " + name + "\nbody%ENDPROTECT\n");
    VyrOutputFile out;
    ASSERT_TRUE(out.open(path.c_str(), 1, kBegin, kEnd));
    int32_t offset = -1;
    ASSERT_TRUE(out.findRegion(name.c_str(), &offset));
    EXPECT_EQ(offset, static_cast<int32_t>(9 + name.size()));
}

// ---- Copying a region's content -------------------------------------------------

TEST(OutputCopy, StopsAtTheEndMarkerWhereverAChunkEnds) {
    const std::string head = "%PROTECT r";
    for (size_t markerAt = kChunk - 12; markerAt <= kChunk + 1; ++markerAt) {
        SCOPED_TRACE(markerAt);
        ScratchDir dir;
        std::string content = "\r\n" + std::string(markerAt - head.size() - 3, 'c') + "\n";
        std::string text = head + content + "%ENDPROTECT tail %";
        ASSERT_EQ(text.find(kEnd), markerAt);
        EXPECT_EQ(copied(dir, text, "r"), content);
    }
}

TEST(OutputCopy, KeepsEveryByte) {
    const std::string zero("\0", 1);
    struct Case {
        const char *label;
        std::string previous;
        std::string expect;
    };
    const Case cases[] = {
        {"zero bytes are content", "%PROTECT r\na" + zero + "b" + zero + "\n%ENDPROTECT", "\na" + zero + "b" + zero + "\n"},
        {"a partial end marker is content", "%PROTECT r %ENDPROTEC%END%ENDPROTECT", " %ENDPROTEC%END"},
        {"no end marker copies to the end", "%PROTECT r\nrest of file\n", "\nrest of file\n"},
        {"the first end marker ends it", "%PROTECT r\n1%ENDPROTECT\n2%ENDPROTECT", "\n1"},
        {"a long region across chunks", "%PROTECT r\n" + std::string(3 * kChunk + 7, 'q') + "%ENDPROTECT",
         "\n" + std::string(3 * kChunk + 7, 'q')},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        ScratchDir dir;
        EXPECT_EQ(copied(dir, c.previous, "r"), c.expect);
    }
}

TEST(OutputCopy, RegionsInAnyOrderAndAgain) {
    // The bytes read for one region serve the next; a region before them,
    // or one copied twice, is read again.
    ScratchDir dir;
    const std::string a = "\nalpha\n", b = "\n" + std::string(2 * kChunk + 5, 'b') + "\n", c = "\ngamma\n";
    std::string path = dir.write("out.txt", "%PROTECT a" + a + "%ENDPROTECT\n%PROTECT b" + b +
                                                "%ENDPROTECT\n%PROTECT c" + c + "%ENDPROTECT\n");
    VyrOutputFile out;
    ASSERT_TRUE(out.open(path.c_str(), 1, kBegin, kEnd));
    std::string expected;
    for (const char *name : {"a", "c", "b", "a", "c", "c"}) {
        int32_t offset = -1;
        ASSERT_TRUE(out.findRegion(name, &offset)) << name;
        ASSERT_TRUE(out.copyRegion(offset)) << name;
        expected += *name == 'a' ? a : *name == 'b' ? b : c;
    }
    ASSERT_TRUE(out.commit());
    EXPECT_EQ(ScratchDir::read(path), expected);
}

TEST(OutputCopy, ZeroBytesInEveryChunkSurvive) {
    ScratchDir dir;
    std::string content;
    for (int i = 0; i < 3 * static_cast<int>(kChunk); ++i) content += static_cast<char>(i % 7 == 0 ? 0 : 'a' + i % 26);
    EXPECT_EQ(copied(dir, "%PROTECT r" + content + "%ENDPROTECT", "r"), content);
}

// ---- Keeping or replacing the previous version -----------------------------------

TEST(OutputDisposition, PreviousStaysUntilCommit) {
    ScratchDir dir;
    const std::string before = "old\r\n%PROTECT a\r\nmine\r\n%ENDPROTECT\r\n";
    std::string path = dir.write("gen.c", before);
    auto listed = filesBeside(path);

    VyrOutputFile out;
    ASSERT_TRUE(out.open(path.c_str(), 1, kBegin, kEnd));
    EXPECT_STREQ(out.path().c_str(), std::filesystem::canonical(path).string().c_str());
    EXPECT_STREQ(out.previousPath().c_str(), out.path().c_str());
    ASSERT_NE(out.file(), nullptr);
    EXPECT_EQ(out.file()->write("new\r\n", 5), 5);
    EXPECT_TRUE(out.file()->flushWrites());
    // The new content lives beside the output, the output is untouched.
    EXPECT_EQ(ScratchDir::read(path), before);
    EXPECT_EQ(std::filesystem::path(out.tempPath().c_str()).parent_path(),
              std::filesystem::path(out.path().c_str()).parent_path());
    EXPECT_EQ(ScratchDir::read(out.tempPath().c_str()), "new\r\n");

    EXPECT_TRUE(out.commit());
    EXPECT_EQ(ScratchDir::read(path), "new\r\n");
    EXPECT_EQ(filesBeside(path), listed);
    EXPECT_FALSE(out.isOpen());
    EXPECT_EQ(out.file(), nullptr);
    EXPECT_TRUE(out.path().empty());
}

TEST(OutputDisposition, RollbackAndDestructionLeaveThePreviousVersion) {
    for (bool destroy : {false, true}) {
        for (int32_t mode : {1, 2}) {
            SCOPED_TRACE(std::string(destroy ? "destroyed" : "rolled back") + " mode " + std::to_string(mode));
            ScratchDir dir;
            const std::string before("keep\0me\r\n", 9);
            std::string path = dir.write("gen.c", before);
            auto listed = filesBeside(path);
            {
                VyrOutputFile out;
                ASSERT_TRUE(out.open(path.c_str(), mode, kBegin, kEnd));
                out.file()->write("half", 4);
                if (!destroy) out.rollback();
            }
            EXPECT_EQ(ScratchDir::read(path), before);
            EXPECT_EQ(filesBeside(path), listed);
        }
    }
}

TEST(OutputDisposition, AppendContinuesThePreviousContent) {
    ScratchDir dir;
    std::string previous = std::string(kChunk, 'p') + "%PROTECT a\nx%ENDPROTECT\n";
    std::string path = dir.write("gen.c", previous);
    VyrOutputFile out;
    ASSERT_TRUE(out.open(path.c_str(), 2, kBegin, kEnd));
    EXPECT_TRUE(out.findRegion("a", nullptr));
    out.file()->write("more\r\n", 6);
    ASSERT_TRUE(out.commit());
    EXPECT_EQ(ScratchDir::read(path), previous + "more\r\n");

    // A missing file: Append starts empty.
    std::string fresh = dir.path("fresh.c");
    ASSERT_TRUE(out.open(fresh.c_str(), 2, kBegin, kEnd));
    EXPECT_TRUE(out.previousPath().empty());
    out.file()->write("x", 1);
    ASSERT_TRUE(out.commit());
    EXPECT_EQ(ScratchDir::read(fresh), "x");
}

TEST(OutputDisposition, NewFileWithoutPrevious) {
    ScratchDir dir;
    std::string path = dir.path("new.c");
    {
        VyrOutputFile out;
        ASSERT_TRUE(out.open(path.c_str(), 1, kBegin, kEnd));
        EXPECT_TRUE(out.previousPath().empty());
        EXPECT_EQ(out.regionCount(), 0u);
        EXPECT_FALSE(out.copyRegion(0));
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    // Dropped without commit: nothing at all is left.
    EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::path(path).parent_path()));
}

TEST(OutputDisposition, OpenFailuresTouchNothing) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.path("sub"));
    const std::string names[] = {"", dir.path("missing/dir/out.c"), dir.path("sub")};
    for (const std::string &name : names) {
        SCOPED_TRACE(name);
        VyrOutputFile out;
        EXPECT_FALSE(out.open(name.c_str(), 1, kBegin, kEnd));
        EXPECT_FALSE(out.isOpen());
        EXPECT_EQ(out.file(), nullptr);
        EXPECT_TRUE(out.path().empty());
    }
    VyrOutputFile out;
    std::string path = dir.write("x.c", "x");
    EXPECT_FALSE(out.open(path.c_str(), 3, kBegin, kEnd));
    EXPECT_EQ(filesBeside(path), (std::set<std::string>{"sub", "x.c"}));
}

std::vector<std::string> g_shown;  // message box texts of the running test

TEST(OutputDisposition, RefusedMoveKeepsThePreviousVersionAndCleansUp) {
    // The refusal is shown in a message box, modal on Windows: collect it.
    g_shown.clear();
    plat::setMessageSink([](const char *text) { g_shown.push_back(text); });
    ScratchDir dir;
    std::string path = dir.path("gen.c");
    VyrOutputFile out;
    ASSERT_TRUE(out.open(path.c_str(), 1, kBegin, kEnd));
    out.file()->write("new", 3);
    // Something else takes the output name meanwhile, here a non-empty
    // directory: the move must fail.
    std::filesystem::create_directory(path);
    dir.write("gen.c/inside", "user");
    EXPECT_FALSE(out.commit());
    plat::setMessageSink(nullptr);
    EXPECT_EQ(ScratchDir::read(dir.path("gen.c/inside")), "user");
    EXPECT_EQ(filesBeside(path), (std::set<std::string>{"gen.c"}));
    ASSERT_EQ(g_shown.size(), 1u);
    EXPECT_EQ(g_shown[0].find("Could not rename file "), 0u) << g_shown[0];
}

}  // namespace
