// Generated files through the engine interface: Output and Append, protected
// regions kept across regeneration, the previous file left exactly as it was
// after a failed run, and no file lost when the generating process is killed.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#ifdef __linux__
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "unit/scratch_dir.h"
#include "unit/script_options.h"
#include "vyrapi.h"

namespace fs = std::filesystem;

namespace {

struct RunRecord {
    int32_t result = 0;
    int32_t error = 0;
    std::vector<std::string> outputs;  // lpszOutput of every output event
    std::vector<std::string> errors;   // message of every error event
};

int32_t VYRAPI record(HVYR engine, uint32_t event, VYRSTATE *state, intptr_t user) {
    RunRecord *run = reinterpret_cast<RunRecord *>(user);
    if (event == VYRE_OUTPUT) run->outputs.push_back(state->lpszOutput);
    if (event == VYRE_ERROR) {
        char text[256] = "";
        VYRERROR e = {nullptr, 0, text, sizeof text};
        VyrGetErrMessage(engine, &e);
        run->errors.push_back(text);
    }
    return 1;
}

// Interprets the script text with the IDE's default options and a callback
// answering 1, then destroys the engine.  "@" in the script stands for the
// scratch directory.
RunRecord generate(const ScratchDir &dir, std::string script, uint32_t flags = VYRO_NOCOMMENTS | VYRO_NOBLANKLINES |
                                                                         VYRO_XLATSUBLINES) {
    const std::string base = fs::path(dir.path("")).generic_string();
    for (size_t at; (at = script.find('@')) != std::string::npos;) script.replace(at, 1, base);
    const std::string path = dir.write("gen.vyr", script);
    RunRecord run;
    VyrInitInstance();
    VYROPTIONS o = scriptOptions(VYROF_CALLBACK | VYROF_USERDATA);
    o.fFlags = flags;
    o.lpfnCallback = record;
    o.lUserData = reinterpret_cast<intptr_t>(&run);
    HVYR engine = VyrCreate(&o);
    EXPECT_NE(engine, nullptr);
    run.result = VyrInterpret(engine, path.c_str());
    run.error = VyrGetError(engine);
    VyrDestroy(engine);
    VyrFreeInstance();
    return run;
}

std::set<std::string> filesIn(const ScratchDir &dir) {
    std::set<std::string> names;
    for (const auto &e : fs::directory_iterator(fs::path(dir.path(""))))
        names.insert(e.path().filename().string());
    return names;
}

std::string regionScript(const std::string &name) {
    return "$[Output '@out.c']$\n"
           "header\n"
           "$[Protect '" + name + "']$\n"
           "// your code\n"
           "$[End Protect]$\n"
           "footer\n";
}

const char *const kFirst = "header\r\n%PROTECT init\r\n// your code\r\n%ENDPROTECT\r\nfooter\r\n";
const char *const kEdited = "header\r\n%PROTECT init\r\na();\r\nb();\r\n%ENDPROTECT\r\nfooter\r\n";

// ---- Generation and regeneration ----------------------------------------------------

TEST(OutputScript, RegenerationKeepsProtectedRegions) {
    struct Case {
        const char *label;
        const char *previous;  // null: no file before the run
        const char *region;    // the name the script uses
        const char *expect;
    };
    const Case cases[] = {
        {"first generation", nullptr, "init", kFirst},
        {"hand-edited content is kept", kEdited, "init", kEdited},
        {"names ignore case", kEdited, "INIT",
         "header\r\n%PROTECT INIT\r\na();\r\nb();\r\n%ENDPROTECT\r\nfooter\r\n"},
        {"a renamed region starts from its default", kEdited, "setup",
         "header\r\n%PROTECT setup\r\n// your code\r\n%ENDPROTECT\r\nfooter\r\n"},
        {"a name with a space is found by its first word only",
         "header\r\n%PROTECT my init\r\nmine\r\n%ENDPROTECT\r\nfooter\r\n", "my init",
         "header\r\n%PROTECT my init\r\n// your code\r\n%ENDPROTECT\r\nfooter\r\n"},
        {"text after the name on the marker line is content",
         "%PROTECT init -- keep\r\nx\r\n%ENDPROTECT tail\r\n", "init",
         "header\r\n%PROTECT init -- keep\r\nx\r\n%ENDPROTECT\r\nfooter\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        ScratchDir dir;
        if (c.previous) dir.write("out.c", c.previous);
        RunRecord run = generate(dir, regionScript(c.region));
        EXPECT_EQ(run.error, 0);
        EXPECT_EQ(ScratchDir::read(dir.path("out.c")), c.expect);
        EXPECT_EQ(filesIn(dir), (std::set<std::string>{"gen.vyr", "out.c"}));
        ASSERT_EQ(run.outputs.size(), 1u);
        EXPECT_EQ(fs::path(run.outputs[0]), fs::canonical(dir.path("out.c")));
    }
}

TEST(OutputScript, RegionsInsideLoopsAndTemplateLines) {
    ScratchDir dir;
    dir.write("out.c", "%PROTECT f2\r\nkept 2\r\n%ENDPROTECT\r\n%PROTECT f1 junk%ENDPROTECT\r\n");
    RunRecord run = generate(dir,
                       "$[Output '@out.c']$\n"
                       "$[For i = 1 To 3]$\n"
                       "// $[Protect 'f' + STR(i)]$\n"
                       "default $[i]$\n"
                       "$[End Protect]$ end\n"
                       "$[End For]$\n");
    EXPECT_EQ(run.error, 0);
    EXPECT_EQ(ScratchDir::read(dir.path("out.c")),
              "// %PROTECT f1 junk%ENDPROTECT end\r\n"
              "// %PROTECT f2\r\nkept 2\r\n%ENDPROTECT end\r\n"
              "// %PROTECT f3\r\ndefault 3\r\n%ENDPROTECT end\r\n");
}

// ---- Failed runs and runs without output ----------------------------------------------

TEST(OutputScript, FailedRunLeavesThePreviousFileAsItWas) {
    const std::string previous("header\r\n%PROTECT init\r\nmine\0\r\n%ENDPROTECT\r\n", 44);
    const char *const scripts[] = {
        "$[Output '@out.c']$\nnew text\n$[Protect 'init']$\n$[End Protect]$\n$[x = 1 +]$\n",
        "$[Append '@out.c']$\nnew text\n$[Protect 'init']$\n$[End Protect]$\n$[undefined_name]$\n",
        "$[Output '@out.c']$\nnew text\n$[Output 5]$\n",
    };
    for (const char *script : scripts) {
        SCOPED_TRACE(script);
        ScratchDir dir;
        dir.write("out.c", previous);
        RunRecord run = generate(dir, script);
        EXPECT_EQ(run.error, 1);
        EXPECT_EQ(ScratchDir::read(dir.path("out.c")), previous);
        EXPECT_EQ(filesIn(dir), (std::set<std::string>{"gen.vyr", "out.c"}));
    }
}

TEST(OutputScript, NoOutputFileIsWrittenWithoutOutput) {
    ScratchDir dir;
    RunRecord run = generate(dir, "template text\n$[x = 3]$\nvalue $[x]$\n$[Print x]$\n");
    EXPECT_EQ(run.error, 0);
    EXPECT_TRUE(run.outputs.empty());
    EXPECT_EQ(filesIn(dir), (std::set<std::string>{"gen.vyr"}));
}

TEST(OutputScript, OutputThatCannotBeOpenedFailsWithoutTouchingFiles) {
    struct Case {
        const char *label;
        const char *script;
        uint32_t flags;
    };
    const Case cases[] = {
        {"missing directory", "$[Output '@no/such/dir.c']$\ntext\n", VYRO_XLATSUBLINES},
        {"a directory as the name", "$[Output '@sub']$\ntext\n", VYRO_XLATSUBLINES},
        {"without script markers", "Output '@out.c'\n", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        ScratchDir dir;
        fs::create_directory(dir.path("sub"));
        dir.write("out.c", "previous");
        RunRecord run = generate(dir, c.script, c.flags);
        EXPECT_EQ(run.error, 1);
        ASSERT_FALSE(run.errors.empty());
        EXPECT_EQ(run.errors[0], "Cannot open output file");
        EXPECT_EQ(ScratchDir::read(dir.path("out.c")), "previous");
        EXPECT_EQ(filesIn(dir), (std::set<std::string>{"gen.vyr", "out.c", "sub"}));
    }
}

// ---- Several outputs and Append -------------------------------------------------------

TEST(OutputScript, SeveralOutputsInOneRun) {
    ScratchDir dir;
    dir.write("a.c", "%PROTECT r\r\nmine a\r\n%ENDPROTECT\r\n");
    RunRecord run = generate(dir,
                       "$[Output '@a.c']$\n"
                       "first $[Protect 'r']$\ndefault\n$[End Protect]$\n"
                       "$[Output '@b.c']$\n"
                       "second\n"
                       "$[Output '']$\n"
                       "nowhere\n"
                       "$[Output '@a.c']$\n"
                       "third $[Protect 'r']$\ndefault\n$[End Protect]$\n");
    EXPECT_EQ(run.error, 0);
    EXPECT_EQ(ScratchDir::read(dir.path("b.c")), "second\r\n");
    // The second Output of a.c regenerates over the first one of this run.
    EXPECT_EQ(ScratchDir::read(dir.path("a.c")), "third %PROTECT r\r\nmine a\r\n%ENDPROTECT\r\n");
    EXPECT_EQ(filesIn(dir), (std::set<std::string>{"gen.vyr", "a.c", "b.c"}));
    ASSERT_EQ(run.outputs.size(), 4u);
    EXPECT_EQ(fs::path(run.outputs[1]), fs::canonical(dir.path("b.c")));
    EXPECT_EQ(run.outputs[2], "");
}

TEST(OutputScript, AppendContinuesTheExistingFile) {
    ScratchDir dir;
    dir.write("log.txt", "old line\r\n");
    RunRecord run = generate(dir, "$[Append '@log.txt']$\nnew line\n");
    EXPECT_EQ(run.error, 0);
    EXPECT_EQ(ScratchDir::read(dir.path("log.txt")), "old line\r\nnew line\r\n");
    run = generate(dir, "$[Append '@fresh.txt']$\nfirst\n");
    EXPECT_EQ(ScratchDir::read(dir.path("fresh.txt")), "first\r\n");
}

// ---- A killed generator loses nothing -------------------------------------------------

#ifdef __linux__
// Size of the generator's temporary file in the directory, -1 when there is none.
long long tempSize(const ScratchDir &dir) {
    for (const auto &e : fs::directory_iterator(fs::path(dir.path(""))))
        if (e.path().filename().string().rfind("~vyr", 0) == 0) {
            std::error_code ec;
            auto n = fs::file_size(e.path(), ec);
            return ec ? 0 : static_cast<long long>(n);
        }
    return -1;
}

TEST(OutputScript, KilledGeneratorLeavesThePreviousFileIntact) {
    ScratchDir dir;
    std::string previous = "top\r\n";
    for (int i = 1; i <= 200; ++i)
        previous += "%PROTECT r" + std::to_string(i) + "\r\nuser code " + std::to_string(i) + "\r\n%ENDPROTECT\r\n";
    const std::string script =
        "$[Output '@big.c']$\n"
        "$[For i = 1 To 100000]$\n"
        "line $[i]$ of generated text that makes the file long enough\n"
        "$[If i % 60 == 0]$\n"
        "$[Protect 'r' + STR(i / 60)]$\n"
        "default $[i]$\n"
        "$[End Protect]$\n"
        "$[End If]$\n"
        "$[End For]$\n";
    // Kill before the output exists, and after the new content reached each size.
    const long long moments[] = {-1, 0, 4096, 100000, 400000};
    for (long long moment : moments) {
        SCOPED_TRACE(moment);
        dir.write("big.c", previous);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            generate(dir, script);
            _exit(0);
        }
        int status = 0;
        bool ended = false;
        while (moment >= 0 && tempSize(dir) < moment) {
            if (waitpid(child, &status, WNOHANG) == child) {
                ended = true;
                break;
            }
        }
        if (!ended) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
        }
        EXPECT_TRUE(WIFSIGNALED(status)) << "the run ended before the kill";
        EXPECT_TRUE(ScratchDir::read(dir.path("big.c")) == previous) << "the previous file changed";
        // A killed run may leave its temporary file; the next run must not mind.
        for (const auto &e : fs::directory_iterator(fs::path(dir.path(""))))
            if (e.path().filename().string().rfind("~vyr", 0) == 0) fs::remove(e.path());
    }
    // Left alone, the same run regenerates the file and keeps every region.
    dir.write("big.c", previous);
    RunRecord run = generate(dir, script);
    EXPECT_EQ(run.error, 0);
    const std::string done = ScratchDir::read(dir.path("big.c"));
    EXPECT_NE(done.find("line 12000 of"), std::string::npos);
    for (int i : {1, 100, 200})
        EXPECT_NE(done.find("%PROTECT r" + std::to_string(i) + "\r\nuser code " + std::to_string(i) + "\r\n"),
                  std::string::npos);
    EXPECT_EQ(filesIn(dir), (std::set<std::string>{"gen.vyr", "big.c"}));
}
#endif

}  // namespace
