// Scripts that work with files through the engine interface: a file written
// with OPEN is read back in the same run, item files round-trip, wrong
// handles are script errors, and VyrDestroy flushes what is still open.
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "vyrapi.h"

namespace fs = std::filesystem;

namespace {

// A name no other test process running at the same time can pick: test
// processes run in parallel, and heap addresses repeat between them.
std::string uniqueSuffix() {
    static int counter = 0;
    return std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" +
           std::to_string(std::random_device{}()) + "-" + std::to_string(++counter);
}

std::string formatItem(HVYRITEM item) {
    switch (VyrItemGetType(item)) {
    case 1: return std::to_string(VyrItemGetNum(item));
    case 2: return std::string("'") + VyrItemGetStr(item) + "'";
    case 3: {
        HVYRLIST list = VyrItemGetList(item);
        std::string s = "[";
        for (int32_t i = 0; i < VyrListCount(list); ++i)
            s += (i ? ", " : "") + formatItem(VyrListGetItem(list, i));
        return s + "]@" + std::to_string(VyrListGetSel(list));
    }
    case 4: {
        HVYROBJECT o = VyrItemGetObj(item);
        std::string s = std::string(VyrGetObjectName(o)) + "{";
        for (int32_t i = 0; i < VyrGetMemberCount(o); ++i) {
            HVYRITEM m = VyrGetMemberByIndex(o, i);
            s += (i ? ", " : "") + std::string(VyrGetMemberName(m)) + ": " + formatItem(m);
        }
        return s + "}";
    }
    default: return "none";
    }
}

int32_t VYRAPI record(HVYR engine, uint32_t event, VYRSTATE *state, intptr_t user) {
    auto *out = reinterpret_cast<std::string *>(user);
    if (event == VYRE_PRINT) *out += formatItem(static_cast<HVYRITEM>(state->lpItem)) + "\n";
    if (event == VYRE_ERROR) {
        char text[256];
        VYRERROR e = {nullptr, 0, text, sizeof text};
        if (VyrGetErrMessage(engine, &e)) *out += "error " + std::to_string(e.nLine) + ": " + text + "\n";
    }
    return 1;
}

std::string readFile(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FilesApi : public ::testing::Test {
protected:
    void SetUp() override {
        VyrInitInstance();
        dir = fs::temp_directory_path() / ("vyr-files-" + uniqueSuffix());
        fs::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
        VyrFreeInstance();
    }
    // Runs the script lines (each line is script text; "@" stands for the
    // scratch directory) on a new engine and returns the record.  The
    // engine is destroyed afterwards unless keep receives it.
    std::string run(const std::string &lines, HVYR *keep = nullptr) {
        std::string text;
        for (char c : lines) text += c == '@' ? dir.string() + static_cast<char>(fs::path::preferred_separator)
                                               : std::string(1, c);
        fs::path script = dir / "script.vyr";
        std::ofstream(script, std::ios::binary) << text;
        std::string got;
        VYROPTIONS o;
        std::memset(&o, 0, sizeof o);
        o.cbSize = sizeof o;
        o.fMask = VYROF_FLAGS | VYROF_CALLBACK | VYROF_USERDATA;
        o.fFlags = VYRO_NOCOMMENTS | VYRO_NOBLANKLINES;
        o.lpfnCallback = record;
        o.lUserData = reinterpret_cast<intptr_t>(&got);
        HVYR engine = VyrCreate(&o);
        EXPECT_NE(engine, nullptr);
        int32_t r = VyrInterpret(engine, script.string().c_str());
        got += "result " + std::to_string(r) + "\n";
        if (keep)
            *keep = engine;
        else
            VyrDestroy(engine);
        return got;
    }
    fs::path dir;
};

TEST_F(FilesApi, AScriptReadsBackWhatItWrote) {
    std::string got = run(
        "h = OPEN('@out.txt', O_WRITE)\n"
        "WRITELN(h, 'first')\n"
        "WRITE(h, 'sec')\n"
        "WRITELN(h, 'ond')\n"
        "CLOSE(h)\n"
        "r = OPEN('@out.txt')\n"
        "While EOF(r) == 0\n"
        "Print READLN(r)\n"
        "End While\n"
        "CLOSE(r)\n"
        "Print OPEN('@missing.txt'), EXIST('@out.txt'), FNAME('@out.txt'), FEXT('@out.txt')\n"
        "x = CLOSE(r)\n"
        "Print 'not reached'\n");
    EXPECT_EQ(got,
              "'first'\n'second'\n"
              "0\n1\n'out.txt'\n'txt'\n"
              "error 12: Invalid function call\n"
              "result 0\n");
    EXPECT_EQ(readFile(dir / "out.txt"), "first\r\nsecond\r\n");
}

TEST_F(FilesApi, ItemFilesRoundTripThroughScripts) {
    std::string got = run(
        "Object Pt\n"
        "X = 1\n"
        "Name = 'a\"b'\n"
        "End Object\n"
        "l = LIST(5, Pt, LIST())\n"
        "Print SAVEITEM('@item.dat', l)\n"
        "Print LOADITEM('@item.dat')\n"
        "x = LOADITEM('@missing.dat')\n");
    EXPECT_EQ(got,
              "1\n"
              "[5, Pt{X: 1, Name: 'a\"b'}, []@0]@0\n"
              "error 8: Invalid function call\n"
              "result 0\n");
    EXPECT_EQ(readFile(dir / "item.dat"),
              "(L:{0,(i:5),(O:(\"Pt\":{(\"X\":(i:1)),(\"Name\":(s:\"a\\\"b\"))})),(L:{0})})");
}

TEST_F(FilesApi, DestroyFlushesFilesLeftOpen) {
    HVYR engine = nullptr;
    std::string got = run(
        "h = OPEN('@left.txt', O_APPEND)\n"
        "WRITELN(h, 'pending')\n"
        "Print VyrName()\n");
#ifdef _WIN32
    EXPECT_EQ(got, "'vyrapi32.dll'\nresult 1\n");
#else
    EXPECT_EQ(got, "'libvyrapi32.so'\nresult 1\n");
#endif
    got = run("h = OPEN('@left2.txt', O_WRITE)\nWRITE(h, 'kept')\n", &engine);
    EXPECT_EQ(readFile(dir / "left2.txt"), "");
    VyrDestroy(engine);
    EXPECT_EQ(readFile(dir / "left.txt"), "pending\r\n");
    EXPECT_EQ(readFile(dir / "left2.txt"), "kept");
}

}  // namespace
