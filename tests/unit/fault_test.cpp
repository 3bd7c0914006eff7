// Faults of the file system during a run: every one must stop the run with
// an error event naming the script file and a line, VyrGetError 1, and leave
// the user's previous output file byte for byte as it was, with no
// temporary file behind.  The platform layer's fault hook stands in for a
// full disk or a refused directory, so these run wherever the tests run.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/limits.h"
#include "platform/platform.h"
#include "scratch_dir.h"
#include "script_options.h"
#include "vyrapi.h"

namespace fs = std::filesystem;

namespace {

const char kScript[] =
    "$[Output 'out.txt']$\n"
    "first line\n"
    "$[Protect 'body']$\n"
    "default body\n"
    "$[End Protect]$\n"
    "$[Include 'inc.vyh']$\n"
    "last line $[1 + 1]$\n";

const char kInclude[] = "included $[2 * 3]$\n";

const char kPrevious[] =
    "old header\r\n"
    "%PROTECT body\r\n"
    "hand-written code\r\n"
    "%ENDPROTECT\r\n"
    "old tail\r\n";

struct ErrorEvent {
    std::string file;
    uint32_t line;
    std::string text;
};

struct RunRecord {
    std::vector<ErrorEvent> errors;
    std::function<void(VYRSTATE *)> onStatement;
};

int32_t VYRAPI record(HVYR engine, uint32_t event, VYRSTATE *state, intptr_t user) {
    RunRecord *run = reinterpret_cast<RunRecord *>(user);
    if (event == VYRE_STATEMENT && run->onStatement) run->onStatement(state);
    if (event == VYRE_ERROR) {
        char text[256];
        VYRERROR e = {nullptr, 0, text, sizeof text};
        if (VyrGetErrMessage(engine, &e)) run->errors.push_back({e.lpszFile ? e.lpszFile : "", e.nLine, text});
        else run->errors.push_back({"", 0, "no message"});
    }
    return 1;
}

// The files of one generator: script, include file and a previous output.
class Generator {
public:
    Generator() {
        script = dir.write("gen.vyr", kScript);
        dir.write("inc.vyh", kInclude);
        output = dir.write("out.txt", kPrevious);
    }

    // Runs the script in a fresh engine; returns VyrGetError.
    int32_t run(RunRecord &r) {
        const int32_t filesBefore = plat::openFileCount();
        VyrInitInstance();
        VYROPTIONS o = scriptOptions(VYROF_CALLBACK | VYROF_USERDATA | VYROF_INCLUDEPATH);
        const std::string include = dir.path("");
        o.lpszIncludePath = include.c_str();
        o.lpfnCallback = record;
        o.lUserData = reinterpret_cast<intptr_t>(&r);
        HVYR engine = VyrCreate(&o);
        EXPECT_NE(engine, nullptr);
        // Relative output names are taken from the current directory.
        const fs::path here = fs::current_path();
        fs::current_path(dir.path(""));
        VyrInterpret(engine, script.c_str());
        int32_t failed = VyrGetError(engine);
        VyrDestroy(engine);
        fs::current_path(here);
        VyrFreeInstance();
        filesLeftOpen = plat::openFileCount() - filesBefore;
        return failed;
    }

    std::vector<std::string> tempFiles() const {
        std::vector<std::string> found;
        for (const auto &e : fs::directory_iterator(dir.path("")))
            if (e.path().extension() == ".tmp") found.push_back(e.path().filename().string());
        return found;
    }

    ScratchDir dir;
    std::string script, output;
    int32_t filesLeftOpen = 0;  // by the last run
};

// A hook that fails the chosen calls; the test installs it for one run.
struct FaultRules {
    std::function<bool(const plat::FileCallInfo &)> fail;
    static bool hook(const plat::FileCallInfo &call, void *context) {
        return static_cast<FaultRules *>(context)->fail(call);
    }
};

class FaultHook {
public:
    explicit FaultHook(FaultRules &f) { plat::setFileFaultHook(FaultRules::hook, &f); }
    ~FaultHook() { plat::setFileFaultHook(nullptr, nullptr); }
};

// The last part of a path, after the last separator of either kind and
// without trailing separators ("dir/sub/" -> "sub", "C:\\a\\out.txt" ->
// "out.txt").
std::string lastPart(std::string path) {
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
    size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// True when a file call names the file or directory `path`.  Matched by
// name, as the engine may hand the system a full path, a relative one or
// one with the other separator; the test's names are unique in their scratch
// directory and the directory's name is unique too.
bool sameFile(const char *name, const std::string &path) {
    return name != nullptr && lastPart(name) == lastPart(path);
}

// Checks the common outcome of a failed run: the first error event, the
// error flag, the previous output and the temporary files.
void expectFailedRunKeptOutput(Generator &g, RunRecord &r, int32_t failed, const char *message, uint32_t line) {
    EXPECT_EQ(failed, 1);
    // The first event names the fault; the statement that met it may add
    // its own (a failed Output reports "Bad expression in OUTPUT" after it).
    ASSERT_FALSE(r.errors.empty());
    EXPECT_EQ(r.errors[0].text, message);
    EXPECT_TRUE(fs::equivalent(r.errors[0].file, g.script)) << r.errors[0].file;
    if (line) EXPECT_EQ(r.errors[0].line, line);
    else EXPECT_GT(r.errors[0].line, 0u);
    EXPECT_EQ(ScratchDir::read(g.output), kPrevious);
    EXPECT_TRUE(g.tempFiles().empty());
    EXPECT_EQ(g.filesLeftOpen, 0);
}

TEST(Faults, HookedFileCallsFailTheRunAndKeepThePreviousOutput) {
    struct Case {
        const char *what;
        const char *message;
        uint32_t line;  // 0: any line
        std::function<bool(const plat::FileCallInfo &, const std::string &dir, const std::string &out)> fail;
    };
    const Case cases[] = {
        {"directory not writable", "Cannot open output file", 1,
         [](const plat::FileCallInfo &c, const std::string &dir, const std::string &) {
             return (c.call == plat::kCallCreateUnique && sameFile(c.name, dir)) ||
                    (c.call == plat::kCallOpen && c.mode != plat::kOpenRead);
         }},
        {"disk full", "Cannot write output file", 0,
         [](const plat::FileCallInfo &c, const std::string &, const std::string &) {
             return c.call == plat::kCallWrite;
         }},
        {"previous output unreadable", "Cannot open output file", 1,
         [](const plat::FileCallInfo &c, const std::string &, const std::string &out) {
             return c.call == plat::kCallOpen && c.mode == plat::kOpenRead && sameFile(c.name, out);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Generator g;
        const std::string dir = g.dir.path("");
        FaultRules faults;
        int32_t calls = 0;
        faults.fail = [&](const plat::FileCallInfo &call) {
            bool hit = c.fail(call, dir, g.output);
            calls += hit;
            return hit;
        };
        RunRecord r;
        int32_t failed;
        {
            FaultHook hook(faults);
            failed = g.run(r);
        }
        EXPECT_GT(calls, 0);
        expectFailedRunKeptOutput(g, r, failed, c.message, c.line);
    }
}

TEST(Faults, DiskFullAfterSomeLinesStopsAtThatLine) {
    // Output goes out in large blocks.  The first block is written, every
    // later write fails: the run stops in the loop whose output could not be
    // written, not at the end.
    Generator g;
    g.dir.write("gen.vyr",
                "$[Output 'out.txt']$\n"
                "$[For i = 1 To 5000]$\n"
                "line $[i]$ of the generated output, long enough to fill a few blocks\n"
                "$[End For]$\n"
                "last line\n");
    FaultRules faults;
    int32_t writes = 0;
    faults.fail = [&](const plat::FileCallInfo &call) { return call.call == plat::kCallWrite && ++writes > 1; };
    RunRecord r;
    int32_t failed;
    {
        FaultHook hook(faults);
        failed = g.run(r);
    }
    expectFailedRunKeptOutput(g, r, failed, "Cannot write output file", 0);
    ASSERT_FALSE(r.errors.empty());
    EXPECT_GE(r.errors[0].line, 2u);
    EXPECT_LE(r.errors[0].line, 4u);
}

TEST(Faults, IncludeFileThatDisappearsBetweenRuns) {
    Generator g;
    RunRecord first;
    ASSERT_EQ(g.run(first), 0);
    ASSERT_TRUE(first.errors.empty());
    const std::string generated = ScratchDir::read(g.output);
    ASSERT_NE(generated.find("hand-written code"), std::string::npos);
    ASSERT_NE(generated.find("included 6"), std::string::npos);

    fs::remove(g.dir.path("inc.vyh"));
    RunRecord second;
    int32_t failed = g.run(second);
    EXPECT_EQ(failed, 1);
    ASSERT_FALSE(second.errors.empty());
    EXPECT_EQ(second.errors[0].text, "Cannot open include file");
    EXPECT_TRUE(fs::equivalent(second.errors[0].file, g.script));
    EXPECT_EQ(second.errors[0].line, 6u);
    EXPECT_EQ(ScratchDir::read(g.output), generated);
    EXPECT_TRUE(g.tempFiles().empty());
    EXPECT_EQ(g.filesLeftOpen, 0);
}

TEST(Faults, ScriptThatChangesSizeDuringTheRun) {
    struct Case {
        const char *what;
        std::function<void(const std::string &script)> change;
    };
    const Case cases[] = {
        {"grows", [](const std::string &s) { std::ofstream(s, std::ios::binary | std::ios::app) << "$[x = 1]$\n"; }},
        {"shrinks", [](const std::string &s) {
             std::string text = ScratchDir::read(s);
             std::ofstream(s, std::ios::binary | std::ios::trunc) << text.substr(0, text.size() / 2);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Generator g;
        RunRecord r;
        bool changed = false;
        r.onStatement = [&](VYRSTATE *state) {
            if (!changed && state->nLevel == 1 && state->nLine >= 3) {
                changed = true;
                c.change(g.script);
            }
        };
        int32_t failed = g.run(r);
        EXPECT_TRUE(changed);
        expectFailedRunKeptOutput(g, r, failed, "Script file changed or could not be read during the run", 0);
    }
}

TEST(Faults, ScriptLineLongerThanTheLimit) {
    Generator g;
    std::string script = "$[Output 'out.txt']$\nshort line\n";
    script.append(static_cast<size_t>(kVyrMaxLineLength) + 1, 'x');
    script += "\nnever reached\n";
    g.dir.write("gen.vyr", script);
    RunRecord r;
    int32_t failed = g.run(r);
    expectFailedRunKeptOutput(g, r, failed, "Script line too long", 3);
}

}  // namespace
