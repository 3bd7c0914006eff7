// A whole run: the input is the main script, interpreted through
// VyrCreate/VyrInterpret/VyrDestroy in a scratch directory that holds an
// include file and a previous output with a protected region.  The callback
// answers 1 to everything and cancels the run after a fixed number of
// statements, as a user would cancel an endless loop.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"

namespace {

constexpr int32_t kStatementBudget = 1000;

struct RunState {
    int32_t statements = 0;
};

int32_t VYRAPI callback(HVYR engine, uint32_t event, VYRSTATE *state, intptr_t user) {
    auto *run = reinterpret_cast<RunState *>(user);
    if (event == VYRE_STATEMENT && ++run->statements > kStatementBudget) return 0;
    if (event == VYRE_ERROR) {
        // Every error must come with a message naming a file.
        char text[256];
        VYRERROR e = {nullptr, 0, text, sizeof text};
        if (!VyrGetErrMessage(engine, &e) || e.lpszFile == nullptr) __builtin_trap();
    }
    (void)state;
    return 1;
}

const char kInclude[] =
    "$[inc = 42]$\n"
    "included $[inc]$\n"
    "$[Proc Twice(x)]$\n"
    "$[Return x + x]$\n"
    "$[End Proc]$\n";

const char kPrevious[] =
    "header\r\n"
    "%PROTECT body\r\n"
    "hand-written line\r\n"
    "%ENDPROTECT\r\n"
    "%PROTECT other  kept %ENDPROTECT\r\n";

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    VyrInitInstance();
    fuzz::enterSandbox();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    namespace fs = std::filesystem;
    // A fresh directory for each run: what one script wrote never steers the next.
    const std::string work = fuzz::scratchPath("run");
    std::error_code ec;
    fs::remove_all(work, ec);
    fs::create_directory(work);
    fs::current_path(work);
    fuzz::writeFile(work + "/inc.vyh", kInclude, sizeof kInclude - 1);
    fuzz::writeFile(work + "/out.txt", kPrevious, sizeof kPrevious - 1);
    const std::string script = work + "/main.vyr";
    fuzz::writeFile(script, data, size);

    RunState run;
    VYROPTIONS o = fuzz::defaultOptions();
    o.fMask |= VYROF_CALLBACK | VYROF_USERDATA | VYROF_INCLUDEPATH;
    o.lpszIncludePath = work.c_str();
    o.lpfnCallback = callback;
    o.lUserData = reinterpret_cast<intptr_t>(&run);
    HVYR engine = VyrCreate(&o);
    if (engine == nullptr) return 0;
    VyrInterpret(engine, script.c_str());
    VyrDestroy(engine);

    // Nothing may be left behind but the files the script names.
    for (const auto &entry : fs::directory_iterator(work, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("~vyr", 0) == 0 && entry.path().extension() == ".tmp") __builtin_trap();
    }
    return 0;
}
