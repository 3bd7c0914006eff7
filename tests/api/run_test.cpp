// A run as a host sees it: events with their state records, cancelling,
// the answers' effect on the result, and host functions.
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

struct Event {
    uint32_t event;
    int32_t level, line, offset, size;
    int32_t stateOk;
};

struct Recorder {
    std::vector<Event> events;
    uint32_t zeroFor = 0;  // answer 0 to this event (once), 1 otherwise
    std::vector<std::string> prints;
};

int32_t VYRAPI recordEvents(HVYR engine, uint32_t event, VYRSTATE *state, intptr_t user) {
    auto *r = reinterpret_cast<Recorder *>(user);
    VYRSTATE now;
    int32_t ok = VyrGetState(engine, &now);
    r->events.push_back({event, state->nLevel, state->nLine, state->lOffset, state->lSize,
                         ok && now.nLine == state->nLine && std::strcmp(now.lpszFile, state->lpszFile) == 0});
    if (event == VYRE_PRINT) {
        HVYRITEM item = static_cast<HVYRITEM>(state->lpItem);
        r->prints.push_back(VyrItemIsStr(item) ? VyrItemGetStr(item) : std::to_string(VyrItemGetNum(item)));
    }
    if (event == r->zeroFor) {
        r->zeroFor = 0;
        return 0;
    }
    return 1;
}

class RunTest : public ::testing::Test {
protected:
    void SetUp() override {
        VyrInitInstance();
        dir = fs::temp_directory_path() / ("vyr-run-" + uniqueSuffix());
        fs::create_directories(dir);
    }
    void TearDown() override {
        fs::remove_all(dir);
        VyrFreeInstance();
    }
    std::string write(const char *name, const std::string &text) {
        fs::path p = dir / name;
        std::ofstream(p, std::ios::binary) << text;
        return p.string();
    }
    HVYR create(Recorder &r) {
        VYROPTIONS o;
        std::memset(&o, 0, sizeof o);
        o.cbSize = sizeof o;
        o.fMask = VYROF_FLAGS | VYROF_CALLBACK | VYROF_USERDATA;
        o.fFlags = VYRO_NOCOMMENTS | VYRO_NOBLANKLINES;  // every line is script text
        o.lpfnCallback = recordEvents;
        o.lUserData = reinterpret_cast<intptr_t>(&r);
        return VyrCreate(&o);
    }
    fs::path dir;
};

TEST_F(RunTest, EventsCarryTheStateOfTheFile) {
    std::string script = write("a.vyr", "x = 1\r\nPrint x\n");
    Recorder r;
    HVYR e = create(r);
    EXPECT_EQ(VyrInterpret(e, script.c_str()), 1);
    EXPECT_EQ(VyrGetError(e), 0);
    ASSERT_EQ(r.events.size(), 5u);
    const uint32_t order[] = {VYRE_BEGIN, VYRE_STATEMENT, VYRE_STATEMENT, VYRE_PRINT, VYRE_END};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(r.events[i].event, order[i]) << i;
        EXPECT_EQ(r.events[i].level, 1) << i;
        EXPECT_EQ(r.events[i].size, 15) << i;
        EXPECT_TRUE(r.events[i].stateOk) << "VyrGetState during event " << i;
    }
    EXPECT_EQ(r.events[0].line, 0);
    EXPECT_EQ(r.events[1].line, 1);
    EXPECT_EQ(r.events[1].offset, 0);
    EXPECT_EQ(r.events[2].line, 2);
    EXPECT_EQ(r.events[2].offset, 7);
    EXPECT_EQ(r.prints, std::vector<std::string>{"1"});
    VYRSTATE s;
    EXPECT_EQ(VyrGetState(e, &s), 0) << "no state outside a run";
    VyrDestroy(e);
}

TEST_F(RunTest, AnsweringZeroToAStatementCancelsWithoutError) {
    std::string script = write("c.vyr", "Print 1\nPrint 2\nPrint 3\n");
    Recorder r;
    r.zeroFor = VYRE_STATEMENT;
    HVYR e = create(r);
    EXPECT_EQ(VyrInterpret(e, script.c_str()), 1);
    EXPECT_EQ(VyrGetError(e), 0);
    EXPECT_EQ(r.prints, std::vector<std::string>{"1"}) << "the current line still runs";
    EXPECT_EQ(r.events.back().event, VYRE_END);
    VYROPTIONS o;
    std::memset(&o, 0, sizeof o);
    o.cbSize = sizeof o;
    o.fMask = VYROF_FLAGS;
    ASSERT_EQ(VyrGetOptions(e, &o), 1);
    EXPECT_EQ(o.fFlags, 0u);
    // A cancelled engine reads no further line.
    r.events.clear();
    EXPECT_EQ(VyrInterpret(e, script.c_str()), 1);
    EXPECT_EQ(r.events.size(), 2u);
    VyrDestroy(e);
}

// Cancelling while an output file is half written keeps the user's previous
// file: the partial output never replaces it.
TEST_F(RunTest, CancelKeepsThePreviousOutputFile) {
    const std::string out = (dir / "gen.txt").string();
    write("gen.txt", "previous version\r\n");
    std::string script = write("g.vyr", "$[Output '" + out + "']$\nfirst line\n$[x = 1]$\nsecond line\n");
    Recorder r;
    VYROPTIONS o;
    std::memset(&o, 0, sizeof o);
    o.cbSize = sizeof o;
    o.fMask = VYROF_FLAGS | VYROF_CALLBACK | VYROF_USERDATA | VYROF_SUBLINES;
    o.fFlags = VYRO_XLATSUBLINES;
    o.lpszSubLineBegin = "$[";
    o.lpszSubLineEnd = "]$";
    o.lpfnCallback = recordEvents;
    o.lUserData = reinterpret_cast<intptr_t>(&r);
    HVYR e = VyrCreate(&o);
    // Answer 1 to the Output line's statement event, 0 to the next one.
    struct Cancel {
        static int32_t VYRAPI cb(HVYR, uint32_t event, VYRSTATE *, intptr_t user) {
            int *statements = reinterpret_cast<int *>(user);
            return event == VYRE_STATEMENT && ++*statements == 2 ? 0 : 1;
        }
    };
    int statements = 0;
    o.fMask = VYROF_CALLBACK | VYROF_USERDATA;
    o.lpfnCallback = Cancel::cb;
    o.lUserData = reinterpret_cast<intptr_t>(&statements);
    VyrSetOptions(e, &o);
    VyrInterpret(e, script.c_str());
    EXPECT_EQ(statements, 2);
    EXPECT_EQ(VyrGetError(e), 0);
    VyrDestroy(e);
    std::ifstream in(out, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "previous version\r\n");
    size_t files = 0;
    for (const auto &entry : fs::directory_iterator(dir)) (void)entry, ++files;
    EXPECT_EQ(files, 2u) << "no temporary file is left behind";
}

// The first Output of a run may come from an include file: the including
// file's template text after the Include goes to that output too.
TEST_F(RunTest, OutputStartedInAnIncludeFileReceivesTheIncludersText) {
    const std::string out = (dir / "inc.txt").string();
    write("o.vyh", "$[Output '" + out + "']$\ninside\n");
    std::string script = write("m.vyr", "before\n$[Include '" + (dir / "o.vyh").string() + "']$\nafter\n");
    Recorder r;
    VYROPTIONS o;
    std::memset(&o, 0, sizeof o);
    o.cbSize = sizeof o;
    o.fMask = VYROF_FLAGS | VYROF_CALLBACK | VYROF_USERDATA | VYROF_SUBLINES;
    o.fFlags = VYRO_XLATSUBLINES;
    o.lpszSubLineBegin = "$[";
    o.lpszSubLineEnd = "]$";
    o.lpfnCallback = recordEvents;
    o.lUserData = reinterpret_cast<intptr_t>(&r);
    HVYR e = VyrCreate(&o);
    VyrInterpret(e, script.c_str());
    EXPECT_EQ(VyrGetError(e), 0);
    VyrDestroy(e);
    std::ifstream in(out, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "inside\r\nafter\r\n");
}

TEST_F(RunTest, ZeroToTheEndOfTheMainScriptMakesTheResultZero) {
    std::string script = write("d.vyr", "x = 1\n");
    Recorder r;
    r.zeroFor = VYRE_END;
    HVYR e = create(r);
    EXPECT_EQ(VyrInterpret(e, script.c_str()), 0);
    EXPECT_EQ(VyrGetError(e), 0);
    VyrDestroy(e);
}

TEST_F(RunTest, WithoutCallbackANormalRunReturnsZero) {
    std::string script = write("n.vyr", "x = 1\n");
    HVYR e = VyrCreate(nullptr);
    EXPECT_EQ(VyrInterpret(e, script.c_str()), 0);
    EXPECT_EQ(VyrGetError(e), 0);
    VyrDestroy(e);
}

// A host function: doubles its first argument in place, answers the sum of
// its numeric arguments, and reports a message of its own for a text.
int32_t VYRAPI hostDouble(HVYRARGS args, HVYRITEM result) {
    int32_t sum = 0;
    HVYRITEM first = VyrArgsGetFirst(args);
    if (first == nullptr) return 0;
    if (VyrItemIsStr(first)) {
        char text[] = "text given";
        VYRERROR e = {"host.c", 7, text, 0};
        VyrSetErrMessage(VyrArgsGetHandle(args), &e);
        return 0;
    }
    for (HVYRITEM a = first; a; a = VyrArgsGetNext(args))
        if (VyrItemIsNum(a)) sum += VyrItemGetNum(a);
    VyrItemSetNum(first, VyrItemGetNum(first) * 2);
    VyrItemSetNum(result, sum);
    return 1;
}

struct MessageProbe {
    std::string file, text;
    uint32_t line = 0;
    int errors = 0;
};

int32_t VYRAPI probeErrors(HVYR engine, uint32_t event, VYRSTATE *, intptr_t user) {
    auto *p = reinterpret_cast<MessageProbe *>(user);
    if (event == VYRE_ERROR && p->errors++ == 0) {
        char buffer[5];
        VYRERROR e = {nullptr, 0, buffer, sizeof buffer};
        if (VyrGetErrMessage(engine, &e)) {
            p->file = e.lpszFile ? e.lpszFile : "";
            p->line = e.nLine;
            p->text = buffer;
        }
    }
    return 1;
}

TEST_F(RunTest, HostFunctionsThroughTheInterface) {
    HVYR before = VyrCreate(nullptr);
    ASSERT_EQ(VyrAddFunction("Twice", hostDouble), 1);
    HVYRITEM seven = VyrItemCreate(nullptr);
    VyrItemSetNum(seven, 7);
    ASSERT_EQ(VyrAddSymbol("Seven", seven), 1);
    VyrItemDelete(seven);

    std::string script = write("h.vyr", "v = 5\nr = TWICE(v, 3)\nPrint v, r, Twice(v + 0), v, Seven\nx = twice('a')\n");
    MessageProbe probe;
    VYROPTIONS o;
    std::memset(&o, 0, sizeof o);
    o.cbSize = sizeof o;
    o.fMask = VYROF_CALLBACK | VYROF_USERDATA;
    o.lpfnCallback = probeErrors;
    o.lUserData = reinterpret_cast<intptr_t>(&probe);
    HVYR after = VyrCreate(&o);
    Recorder r;
    VYROPTIONS p = o;
    p.lpfnCallback = recordEvents;
    p.lUserData = reinterpret_cast<intptr_t>(&r);
    VyrSetOptions(after, &p);
    VyrInterpret(after, script.c_str());
    EXPECT_EQ(r.prints, (std::vector<std::string>{"10", "8", "10", "10", "7"}));
    VyrDestroy(after);

    // The host's own message reaches the host during its error event, cut
    // to the buffer.
    HVYR third = VyrCreate(&o);
    VyrInterpret(third, script.c_str());
    EXPECT_EQ(probe.file, "host.c");
    EXPECT_EQ(probe.line, 7u);
    EXPECT_EQ(probe.text, "text");
    EXPECT_EQ(VyrGetError(third), 1);
    VyrDestroy(third);

    // The engine created before the function was added does not know it.
    std::string old = write("o.vyr", "x = Twice(1)\n");
    Recorder q;
    VYROPTIONS w = p;
    w.lUserData = reinterpret_cast<intptr_t>(&q);
    VyrSetOptions(before, &w);
    VyrInterpret(before, old.c_str());
    EXPECT_EQ(VyrGetError(before), 1);
    VyrDestroy(before);

    EXPECT_EQ(VyrRemoveFunction("TWICE"), 1);
    EXPECT_EQ(VyrRemoveFunction("TWICE"), 0);
    EXPECT_EQ(VyrRemoveSymbol("seven"), 1);
    EXPECT_EQ(VyrRemoveSymbol("seven"), 0);
}

}  // namespace

namespace {

struct FirstMessage {
    std::string text;
    int errors = 0;
};

int32_t VYRAPI firstMessage(HVYR engine, uint32_t event, VYRSTATE *, intptr_t user) {
    auto *m = reinterpret_cast<FirstMessage *>(user);
    if (event == VYRE_ERROR && m->errors++ == 0) {
        char text[128];
        VYRERROR e = {nullptr, 0, text, sizeof text};
        if (VyrGetErrMessage(engine, &e)) m->text = text;
    }
    return 1;
}

// Runaway recursion through procedures or Include ends with a clear error
// instead of exhausting the stack.
TEST_F(RunTest, RunawayRecursionIsStopped) {
    const char *scripts[] = {
        "Proc Forever(n)\nReturn Forever(n + 1)\nEnd Proc\nx = Forever(0)\n",
        "Include 'self.vyr'\n",
    };
    for (const char *text : scripts) {
        std::string script = write("self.vyr", text);
        FirstMessage m;
        VYROPTIONS o;
        std::memset(&o, 0, sizeof o);
        o.cbSize = sizeof o;
        o.fMask = VYROF_CALLBACK | VYROF_USERDATA | VYROF_INCLUDEPATH;
        const std::string includePath = dir.string();
        o.lpszIncludePath = includePath.c_str();
        o.lpfnCallback = firstMessage;
        o.lUserData = reinterpret_cast<intptr_t>(&m);
        HVYR e = VyrCreate(&o);
        VyrInterpret(e, script.c_str());
        EXPECT_EQ(VyrGetError(e), 1) << text;
        EXPECT_EQ(m.text, "Script nested too deeply") << text;
        // Every level reports its failure; how many levels fit depends on the
        // frame sizes of the build (sanitizers make them larger).
        EXPECT_GT(m.errors, 20) << "every level reports its failure";
        VyrDestroy(e);
    }
}

}  // namespace
