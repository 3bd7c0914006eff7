// The file and directory built-ins, called through the registered table with
// a real engine behind the argument list, against a scratch directory.
// Message boxes go to a sink here, so their texts can be checked and no
// test ever waits for a modal box.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/engine.h"
#include "platform/platform.h"
#include "scratch_dir.h"
#include "values/builtins.h"
#include "values/library.h"
#include "values/list.h"

namespace {

std::vector<std::string> shown;
void collect(const char *text) { shown.push_back(text); }

const char kSep = plat::kPathSeparator;

class FileFuncs : public ::testing::Test {
protected:
    void SetUp() override {
        vyrRegisterBuiltins(lib);
        shown.clear();
        plat::setMessageSink(collect);
        plat::currentDirectory(startDir);
    }
    void TearDown() override {
        plat::setCurrentDirectory(startDir.c_str());
        plat::setMessageSink(nullptr);
        plat::setFileFaultHook(nullptr, nullptr);
    }

    // Calls a built-in with copies of the items as arguments, on behalf of
    // the test's engine (or of none).  ok tells whether it succeeded.
    VyrItem call(const char *name, std::vector<VyrItem> argItems, bool &ok, bool withEngine = true) {
        auto *entry = static_cast<VyrFuncEntry *>(lib.functions.find(name));
        EXPECT_NE(entry, nullptr) << name;
        VyrItem result;
        if (entry == nullptr) return result;
        VyrArgs args(withEngine ? engine->handle() : nullptr);
        for (VyrItem &a : argItems) args.addCopy(a);
        ok = entry->call(args, result) != 0;
        return result;
    }
    // A call that must succeed; its result as text ("#n" for numbers).
    std::string run(const char *name, std::vector<VyrItem> argItems) {
        bool ok = false;
        VyrItem r = call(name, std::move(argItems), ok);
        EXPECT_TRUE(ok) << name << " failed";
        if (r.isString()) return r.str()->c_str();
        if (r.type() == VyrItem::kInteger) return "#" + std::to_string(r.num());
        return "<none>";
    }
    bool fails(const char *name, std::vector<VyrItem> argItems, bool withEngine = true) {
        bool ok = true;
        call(name, std::move(argItems), ok, withEngine);
        return !ok;
    }
    int32_t open(const std::string &path, int32_t mode = 0) {
        bool ok = false;
        VyrItem h = call("OPEN", {VyrItem(path.c_str()), VyrItem(mode)}, ok);
        EXPECT_TRUE(ok);
        return h.num();
    }

    VyrGlobalLibrary lib;
    ScratchDir dir;  // outlives the engine, which closes the files in it
    std::unique_ptr<VyrEngine> engine = std::make_unique<VyrEngine>();
    std::string startDir;
};

VyrItem S(const std::string &s) { return VyrItem(s.c_str()); }
VyrItem I(int32_t v) { return VyrItem(v); }

// ---- Names --------------------------------------------------------------------

struct PathCase {
    const char *fn;
    const char *path;
    const char *expect;  // null: the current directory
};

TEST_F(FileFuncs, PathPartsAcceptBothSeparators) {
    const PathCase cases[] = {
        {"FDIR", "c:\\dir\\file.txt", "c:\\dir"},
        {"FDIR", "c:\\file.txt", "c:"},
        {"FDIR", "/usr/lib/x.so", "/usr/lib"},
        {"FDIR", "dir/sub/", "dir/sub"},
        {"FDIR", "a/b\\c/d", "a/b"},  // a backslash wins over later slashes
        {"FDIR", "file.txt", nullptr},
        {"FDIR", "c:file.txt", nullptr},
        {"FDIR", "", nullptr},
        {"FNAME", "c:name.txt", "name.txt"},
        {"FNAME", "c:\\dir\\file.txt", "file.txt"},
        {"FNAME", "/usr/lib/x.so", "x.so"},
        {"FNAME", "a\\b/c", "b/c"},
        {"FNAME", "dir\\", ""},
        {"FNAME", "plain", "plain"},
        {"FEXT", "archive.tar.gz", "gz"},
        {"FEXT", "dir.old\\file", "old\\file"},
        {"FEXT", "noext", ""},
        {"FEXT", "trailing.", ""},
        {"FEXT", ".profile", "profile"},
    };
    std::string cwd;
    ASSERT_TRUE(plat::currentDirectory(cwd));
    for (const PathCase &c : cases)
        EXPECT_EQ(run(c.fn, {S(c.path)}), c.expect ? c.expect : cwd) << c.fn << "(" << c.path << ")";
    EXPECT_TRUE(shown.empty());
    for (const char *fn : {"FDIR", "FNAME", "FEXT"}) {
        EXPECT_TRUE(fails(fn, {I(1)})) << fn;
        EXPECT_TRUE(fails(fn, {})) << fn;
    }
}

TEST_F(FileFuncs, EngineLibraryNameAndDirectory) {
    std::string path = plat::modulePath();
    ASSERT_FALSE(path.empty());
    std::string d = run("VyrDir", {}), n = run("VyrName", {});
    EXPECT_FALSE(n.empty());
    EXPECT_EQ(n.find_first_of("\\/:"), std::string::npos) << n;
    EXPECT_EQ(d + kSep + n, path);
}

// ---- File-system operations and their messages ---------------------------------

std::string message3(const char *verb, const std::string &name, const char *extra) {
    return std::string("Could not ") + verb + " " + name + " directory.\n\nThis problem may be caused by an "
           "invalid drive or directory, " + extra + " or the file system has become corrupted.";
}

TEST_F(FileFuncs, DirectoriesAndTheirFailureMessages) {
    std::string d = dir.path("sub");
    EXPECT_EQ(run("MKDIR", {S(d)}), "#1");
    EXPECT_TRUE(plat::isDirectory(d.c_str()));
    EXPECT_EQ(run("MKDIR", {S(d)}), "#0");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], message3("create", d, "an already existing directory"));

    dir.write("sub/f.txt", "x");
    EXPECT_EQ(run("RMDIR", {S(d)}), "#0");  // not empty
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], message3("remove", d, "a non empty directory"));
    EXPECT_TRUE(plat::isDirectory(d.c_str()));

    EXPECT_EQ(run("CHDIR", {S(d)}), "#1");
    EXPECT_EQ(run("CURDIR", {}), plat::fullPath(d.c_str()));
    EXPECT_EQ(run("FDIR", {S("f.txt")}), plat::fullPath(d.c_str()));
    EXPECT_EQ(run("EXIST", {S("f.txt")}), "#1");
    EXPECT_EQ(run("CHDIR", {S(startDir)}), "#1");

    std::string missing = dir.path("missing");
    EXPECT_EQ(run("CHDIR", {S(missing)}), "#0");
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2], "Could not set current directory to " + missing +
                            ".\n\nThis problem may be caused by an invalid drive or directory or the file "
                            "system has become corrupted.");
    EXPECT_EQ(run("CURDIR", {}), startDir);

    EXPECT_EQ(run("REMOVEFILE", {S(d + kSep + "f.txt")}), "#1");
    EXPECT_EQ(run("RMDIR", {S(d)}), "#1");
    EXPECT_FALSE(plat::isDirectory(d.c_str()));
    EXPECT_EQ(shown.size(), 3u);

    for (const char *fn : {"MKDIR", "RMDIR", "CHDIR", "REMOVEFILE", "EXIST"}) EXPECT_TRUE(fails(fn, {I(1)})) << fn;
    EXPECT_TRUE(fails("RENAMEFILE", {S(d), I(1)}));
    EXPECT_EQ(shown.size(), 3u);  // a wrong argument shows nothing
}

TEST_F(FileFuncs, FilesAreRenamedAndRemovedNeverReplaced) {
    std::string a = dir.write("a.txt", "old"), b = dir.path("b.txt"), c = dir.write("c.txt", "keep");
    EXPECT_EQ(run("EXIST", {S(a)}), "#1");
    EXPECT_EQ(run("EXIST", {S(b)}), "#0");
    EXPECT_EQ(run("EXIST", {S(dir.path(""))}), "#0");  // a directory is not a file

    EXPECT_EQ(run("RENAMEFILE", {S(a), S(b)}), "#1");
    EXPECT_EQ(ScratchDir::read(b), "old");
    EXPECT_EQ(run("EXIST", {S(a)}), "#0");

    // The target exists: nothing changes, and the box names both files.
    EXPECT_EQ(run("RENAMEFILE", {S(b), S(c)}), "#0");
    EXPECT_EQ(ScratchDir::read(b), "old");
    EXPECT_EQ(ScratchDir::read(c), "keep");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "Could not rename file " + b + " to " + c +
                            ".\n\nThis problem may be caused by an invalid file name, an already existing "
                            "file with the same name or the file system has become corrupted.");

    EXPECT_EQ(run("REMOVEFILE", {S(b)}), "#1");
    EXPECT_EQ(run("REMOVEFILE", {S(b)}), "#0");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], "Could not remove file " + b +
                            ".\n\nThis problem may be caused by an invalid file name, the file may have been "
                            "already removed or the file system has become corrupted.");

    // Names are shown as they are, percent signs included.
    std::string odd = dir.path("100%s%n.txt");
    EXPECT_EQ(run("REMOVEFILE", {S(odd)}), "#0");
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2].find("Could not remove file " + odd + "."), 0u) << shown[2];
}

#ifndef _WIN32
// A current directory that no longer exists cannot be read: message 3001,
// and the empty text for CURDIR and for FDIR's fallback.
TEST_F(FileFuncs, LostCurrentDirectoryGivesEmptyTextAndMessage) {
    std::string d = dir.path("gone");
    ASSERT_TRUE(plat::makeDirectory(d.c_str()));
    ASSERT_TRUE(plat::setCurrentDirectory(d.c_str()));
    ASSERT_TRUE(plat::removeDirectory(d.c_str()));
    EXPECT_EQ(run("CURDIR", {}), "");
    EXPECT_EQ(run("FDIR", {S("x.txt")}), "");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], "Could not locate current directory.\n\nThis problem may be caused by an invalid drive "
                        "or directory or the file system has become corrupted.");
}
#endif

// ---- Handles --------------------------------------------------------------------

TEST_F(FileFuncs, OpenGivesUniqueHandlesOnlyForUsableFiles) {
    std::string data = dir.write("data.txt", "abc"), empty = dir.write("empty.txt", "");
    EXPECT_EQ(open(dir.path("missing.txt")), 0);
    EXPECT_EQ(open(empty), 0);
    EXPECT_EQ(open(dir.path("")), 0);  // a directory
    int32_t h1 = open(data), h2 = open(data, 1), h3 = open(dir.path("new.txt"), 2);
    EXPECT_NE(h1, 0);
    EXPECT_NE(h2, 0);
    EXPECT_NE(h3, 0);
    EXPECT_NE(h1, h2);
    EXPECT_NE(h2, h3);
    EXPECT_NE(h1, h3);
    EXPECT_EQ(engine->openFiles.count, 3u);
    // Opening for writing truncated the file; appending created one.
    EXPECT_EQ(ScratchDir::read(data), "");
    EXPECT_TRUE(plat::fileExists(dir.path("new.txt").c_str()));

    dir.write("r.txt", "xyz");
    bool ok = false;
    VyrItem h = call("OPEN", {S(dir.path("r.txt")), S("x")}, ok);  // a text mode reads
    ASSERT_TRUE(ok);
    EXPECT_EQ(run("READ", {I(h.num()), I(3)}), "xyz");
    h = call("OPEN", {S(dir.path("r.txt"))}, ok);
    EXPECT_TRUE(ok && h.num() != 0);

    EXPECT_TRUE(fails("OPEN", {S(data), I(3)}));
    EXPECT_TRUE(fails("OPEN", {S(data), I(-1)}));
    EXPECT_TRUE(fails("OPEN", {I(1)}));
    EXPECT_TRUE(fails("OPEN", {S(data)}, false));  // outside an engine
    EXPECT_EQ(engine->openFiles.count, 5u);
}

// Lines and characters read from files of known bytes.  Each step is a call
// on the file's handle: "L" READLN, "Ln" READLN with maximum n, "Rn" READ n,
// "E" EOF (expecting "#0" or "#1").
struct ReadCase {
    std::string bytes;
    std::vector<std::pair<std::string, std::string>> steps;
};

TEST_F(FileFuncs, ReadingLinesAndCharacters) {
    const std::string full = std::string(4094, 'x') + "\r\n";  // exactly one buffer
    const std::string longLine = std::string(5000, 'y');
    const ReadCase cases[] = {
        {"a\r\nb\r\rc", {{"L", "a"}, {"L", "b"}, {"L", ""}, {"E", "#0"}, {"L", "c"}, {"E", "#1"}, {"L", ""}}},
        {"a\n\rb\n\nc", {{"L", "a"}, {"L", "b"}, {"L", ""}, {"L", "c"}}},
        {std::string("ab\0cd", 5), {{"L", "ab"}, {"L", "cd"}, {"E", "#1"}}},
        {"abcdef", {{"L3", "abc"}, {"E", "#0"}, {"L3", "def"}, {"E", "#1"}}},
        {"abcdef\r\nz", {{"L3", "abc"}, {"L3", "def"}, {"L3", ""}, {"L3", "z"}}},
        {"abc", {{"L0", ""}, {"L-5", ""}, {"L", "abc"}}},
        {full, {{"L", std::string(4094, 'x')}, {"E", "#0"}, {"L", ""}, {"E", "#1"}}},
        {longLine + "\r\nq", {{"L", longLine.substr(0, 4096)}, {"L", longLine.substr(4096)}, {"L", "q"}}},
        {longLine + "\r\nq", {{"L10000", longLine}, {"L10000", "q"}}},
        {"abcdef", {{"R2", "ab"}, {"R0", ""}, {"R-1", ""}, {"R10", "cdef"}, {"E", "#1"}, {"R5", ""}}},
        {std::string("ab\0cd!", 6), {{"R5", "ab"}, {"R5", "!"}}},  // the text ends at the zero
        {longLine, {{"R4999", longLine.substr(1)}, {"R9", "y"}}},
    };
    int n = 0;
    for (const ReadCase &c : cases) {
        std::string path = dir.write("case" + std::to_string(n++) + ".txt", c.bytes);
        int32_t h = open(path);
        ASSERT_NE(h, 0);
        for (const auto &step : c.steps) {
            const std::string &s = step.first;
            std::vector<VyrItem> a = {I(h)};
            if (s.size() > 1) a.push_back(I(std::stoi(s.substr(1))));
            const char *fn = s[0] == 'L' ? "READLN" : s[0] == 'R' ? "READ" : "EOF";
            EXPECT_EQ(run(fn, a), step.second) << "case " << n - 1 << ", step " << s;
        }
        EXPECT_EQ(run("CLOSE", {I(h)}), "");
    }
}

TEST_F(FileFuncs, WritingReachesTheFileAtCloseAndKeepsOrder) {
    std::string path = dir.write("out.txt", "old content");
    int32_t h = open(path, 1);
    ASSERT_NE(h, 0);
    EXPECT_EQ(run("EOF", {I(h)}), "#0");  // a file being written is never at its end
    EXPECT_EQ(run("WRITE", {I(h), S("ab")}), "");
    EXPECT_EQ(run("WRITELN", {I(h), S("c")}), "");
    EXPECT_EQ(ScratchDir::read(path), "");  // still in the buffer
    std::string big(10000, 'z');
    big[0] = '<';
    big[9999] = '>';
    EXPECT_EQ(run("WRITE", {I(h), S(big)}), "");
    EXPECT_EQ(run("WRITELN", {I(h), S("")}), "");
    EXPECT_EQ(run("CLOSE", {I(h)}), "");
    EXPECT_EQ(ScratchDir::read(path), "abc\r\n" + big + "\r\n");

    h = open(path, 2);
    EXPECT_EQ(run("WRITE", {I(h), S("+")}), "");
    EXPECT_EQ(run("CLOSE", {I(h)}), "");
    EXPECT_EQ(ScratchDir::read(path), "abc\r\n" + big + "\r\n+");

    // Written and read back in one run.
    h = open(path);
    EXPECT_EQ(run("READLN", {I(h)}), "abc");
    EXPECT_EQ(run("CLOSE", {I(h)}), "");
}

TEST_F(FileFuncs, HandlesUsedWronglyFailAndLeaveFilesAlone) {
    std::string r = dir.write("r.txt", "line\r\n"), w = dir.path("w.txt");
    int32_t hr = open(r), hw = open(w, 1);
    EXPECT_TRUE(fails("WRITE", {I(hr), S("x")}));
    EXPECT_TRUE(fails("WRITELN", {I(hr), S("x")}));
    EXPECT_TRUE(fails("READ", {I(hw), I(1)}));
    EXPECT_TRUE(fails("READLN", {I(hw)}));
    EXPECT_TRUE(fails("WRITE", {I(hw), I(5)}));
    EXPECT_TRUE(fails("WRITE", {I(hw)}));
    EXPECT_TRUE(fails("READ", {I(hr)}));
    EXPECT_TRUE(fails("READ", {I(hr), S("1")}));
    for (const char *fn : {"EOF", "READLN", "CLOSE"}) {
        EXPECT_TRUE(fails(fn, {I(0)})) << fn;
        EXPECT_TRUE(fails(fn, {I(hw + 100)})) << fn;
        EXPECT_TRUE(fails(fn, {S("1")})) << fn;
        EXPECT_TRUE(fails(fn, {I(hr)}, false)) << fn;  // outside an engine
    }
    EXPECT_EQ(run("READLN", {I(hr)}), "line");  // still usable
    EXPECT_EQ(run("CLOSE", {I(hr)}), "");
    EXPECT_TRUE(fails("CLOSE", {I(hr)}));  // closed twice
    EXPECT_TRUE(fails("EOF", {I(hr)}));
    EXPECT_EQ(engine->openFiles.count, 1u);

    // A handle is a list's selection as well.
    VyrList sel;
    sel.addNum(0);
    sel.sel = hw;
    EXPECT_EQ(run("WRITE", {I(hw), S("ok")}), "");
    EXPECT_EQ(run("CLOSE", {VyrItem(sel)}), "");
    EXPECT_EQ(ScratchDir::read(w), "ok");
}

TEST_F(FileFuncs, DestroyingTheEngineFlushesOpenFiles) {
    std::string path = dir.path("left-open.txt");
    int32_t h = open(path, 1);
    EXPECT_EQ(run("WRITELN", {I(h), S("kept")}), "");
    EXPECT_EQ(ScratchDir::read(path), "");
    engine.reset();
    EXPECT_EQ(ScratchDir::read(path), "kept\r\n");
}

// Every write refused, as on a full disk: the buffered text is lost at
// CLOSE, which says so instead of succeeding.
bool refuseWrites(const plat::FileCallInfo &call, void *) { return call.call == plat::kCallWrite; }

TEST_F(FileFuncs, CloseFailsWhenTheDataCouldNotBeWritten) {
    int32_t h = open(dir.path("full.txt"), 1);
    ASSERT_NE(h, 0);
    plat::setFileFaultHook(refuseWrites, nullptr);
    EXPECT_EQ(run("WRITE", {I(h), S("lost")}), "");
    EXPECT_TRUE(fails("CLOSE", {I(h)}));
    EXPECT_TRUE(fails("CLOSE", {I(h)}));  // the handle is gone all the same
    EXPECT_EQ(engine->openFiles.count, 0u);
    // Past one buffer the failure shows at the WRITE itself.
    plat::setFileFaultHook(nullptr, nullptr);
    h = open(dir.path("full.txt"), 1);
    plat::setFileFaultHook(refuseWrites, nullptr);
    EXPECT_TRUE(fails("WRITE", {I(h), S(std::string(5000, 'x'))}));
    plat::setFileFaultHook(nullptr, nullptr);
}

}  // namespace
