// vyr - the console host of the engine.  Runs each script as the editor's
// Generate command does and reports every event of the run as the
// messages window would, one line each on standard output.
#include <atomic>
#include <cstdio>
#include <string>

#include "cmdline.h"
#include "platform/platform.h"
#include "printvalue.h"
#include "report.h"
#include "settings.h"
#include "vyrapi.h"

#ifndef VYR_VERSION
#define VYR_VERSION "0.0.0"
#endif

namespace {

enum ExitStatus { kExitOk = 0, kExitErrors = 1, kExitUsage = 2, kExitCancelled = 130 };

// Set from the interrupt handler (a signal handler or another thread).
std::atomic<bool> cancelRequested{false};

void requestCancel() { cancelRequested = true; }

// What the callback knows about one run.
struct Run {
    Reporter *reporter;
    const GenSettings *settings;
    bool begun = false;       // the main script's start event arrived
    uint32_t total = 0;       // size of the main script
    uint32_t furthest = 0;    // furthest line offset of the main script so far
    uint32_t percent = 0;
};

std::string orEmpty(const char *text) { return text ? text : ""; }

void printItem(Run *run, void *item) {
    Reporter *reporter = run->reporter;
    printValue(static_cast<HVYRITEM>(item), 0, [reporter](const std::string &line) { reporter->message(line); });
}

int32_t onEvent(HVYR engine, uint32_t event, VYRSTATE *state, Run *run) {
    Reporter &out = *run->reporter;
    switch (event) {
    case VYRE_BEGIN:
        if (state->nLevel == 1) {
            run->begun = true;
            run->total = static_cast<uint32_t>(state->lSize);
            run->furthest = 0;
            run->percent = 0;
            // A new engine has no output file yet: name the script instead of
            // printing an empty name.
            std::string name = orEmpty(state->lpszOutput);
            out.message("Generating " + (name.empty() ? orEmpty(state->lpszFile) : name) + "...");
        }
        out.showProgress(run->percent, state->lpszOutput);
        return 1;
    case VYRE_END:
        if (state->nLevel == 1) {
            out.endProgress();
            out.final(cancelRequested     ? "Generation Canceled."
                      : VyrGetError(engine) ? "Generation with Errors."
                                            : "Generation Successful.");
        }
        return 1;
    case VYRE_RESUME: return 1;
    case VYRE_STATEMENT:
        if (cancelRequested) return 0;
        if (state->nLevel == 1) {
            // The bar only moves forward, as in the editor's progress dialog.
            uint32_t offset = static_cast<uint32_t>(state->lOffset);
            if (offset > run->furthest) {
                run->furthest = offset;
                run->percent = percentRead(offset, run->total);
            }
        }
        out.showProgress(run->percent, state->lpszOutput);
        return 1;
    case VYRE_OUTPUT:
        out.message("Generating " + orEmpty(state->lpszOutput) + "...");
        out.showProgress(run->percent, state->lpszOutput);
        return 1;
    case VYRE_ERROR: {
        char text[257] = {0};
        VYRERROR error = {nullptr, 0, text, 256};
        if (VyrGetErrMessage(engine, &error)) out.error(error.lpszFile, error.nLine, text);
        return 1;
    }
    case VYRE_PRINT:
        if (run->settings->printToMessages) printItem(run, state->lpItem);
        return 1;
    case VYRE_DIALOG: return 1;
    case VYRE_INSPECT:
        // No dialog here: the object is shown as Print shows it and the
        // script goes on with its value unchanged.
        printItem(run, state->lpItem);
        return 1;
    default: return 0;
    }
}

int32_t VYRAPI callback(HVYR engine, uint32_t event, VYRSTATE *state, intptr_t userData) {
    if (state == nullptr || userData == 0) return 0;
    try {
        return onEvent(engine, event, state, reinterpret_cast<Run *>(userData));
    } catch (...) {
        return 0;  // nothing may unwind through the engine
    }
}

// Adds the -D symbols to the engine's global library, where every engine
// created afterwards finds them.
bool addDefines(const CommandLine &cmd, Reporter *reporter) {
    for (const Define &d : cmd.defines) {
        HVYRITEM item = VyrItemCreate(nullptr);
        if (item == nullptr) {
            reporter->problem("out of memory defining '" + d.name + "'");
            return false;
        }
        if (d.isInteger) VyrItemSetNum(item, d.number);
        else VyrItemSetStr(item, d.text.c_str());
        bool added = VyrAddSymbol(d.name.c_str(), item) != 0;
        VyrItemDelete(item);
        if (!added) {
            reporter->problem("cannot define '" + d.name + "'");
            return false;
        }
    }
    return true;
}

// Runs one script; returns its exit status.
int runScript(const std::string &script, const GenSettings &settings, Reporter *reporter) {
    plat::FileHandle f = plat::fileOpen(script.c_str(), plat::kOpenRead);
    if (f == plat::kNoFile) {
        reporter->problem("cannot open script '" + script + "'");
        return kExitUsage;
    }
    plat::fileClose(f);
    std::string path = plat::fullPath(script.c_str());

    Run run;
    run.reporter = reporter;
    run.settings = &settings;
    VYROPTIONS options = makeOptions(settings, callback, reinterpret_cast<intptr_t>(&run));
    HVYR engine = VyrCreate(&options);
    if (engine == nullptr) {
        reporter->problem("cannot create an engine for '" + script + "' (out of memory)");
        return kExitErrors;
    }
    VyrInterpret(engine, path.c_str());
    bool failed = VyrGetError(engine) != 0;
    VyrDestroy(engine);
    reporter->endProgress();

    if (!run.begun && failed) {
        // The engine could not open the script after all: it reports no
        // event for that, so say it here.
        reporter->problem("cannot open script '" + script + "'");
        return kExitUsage;
    }
    if (cancelRequested) return kExitCancelled;
    return failed ? kExitErrors : kExitOk;
}

}  // namespace

int main(int argc, char **argv) {
    CommandLine cmd;
    std::string error;
    if (!parseCommandLine(argc, argv, &cmd, &error)) {
        fprintf(stderr, "vyr: %s\nTry 'vyr --help' for more information.\n", error.c_str());
        return kExitUsage;
    }
    if (cmd.help) {
        fputs(helpText(), stdout);
        return kExitOk;
    }
    if (cmd.version) {
        printf("vyr %s\n", VYR_VERSION);
        return kExitOk;
    }
    GenSettings settings;
    if (!resolveSettings(cmd, &settings, &error)) {
        fprintf(stderr, "vyr: %s\n", error.c_str());
        return kExitUsage;
    }

    bool progress = cmd.progress == Progress::kAlways ||
                    (cmd.progress == Progress::kAuto && plat::isTerminal(plat::kStdErr));
    Reporter reporter(cmd.quiet, cmd.errorFormat, progress);
    plat::onInterrupt(requestCancel);

    VyrInitInstance();
    int status = kExitOk;
    if (!addDefines(cmd, &reporter)) {
        status = kExitUsage;
    } else {
        // Every script runs, also after one failed; the status tells the
        // worst outcome.  A cancel ends the whole command.
        for (const std::string &script : cmd.scripts) {
            if (cancelRequested) {
                status = kExitCancelled;
                break;
            }
            int result = runScript(script, settings, &reporter);
            if (result == kExitCancelled) {
                status = result;
                break;
            }
            if (result > status) status = result;
        }
    }
    VyrFreeInstance();
    fflush(stdout);
    return status;
}
