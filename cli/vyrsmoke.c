/*
 * vyrsmoke - the smallest host of the engine, written in C.  It initialises
 * the library, creates an engine with the IDE's default options, interprets
 * the script named on the command line, prints every event it receives and
 * reports the outcome.  Exit status: 0 success, 1 errors, 2 usage.
 */
#include <stdio.h>
#include <string.h>

#include "vyrapi.h"

static const char *eventName(uint32_t event) {
    static const char *const names[] = {"?",      "BEGIN", "END",    "RESUME", "STATEMENT",
                                        "OUTPUT", "ERROR", "PRINT",  "DIALOG", "INSPECT"};
    return event < sizeof names / sizeof names[0] ? names[event] : "?";
}

static int32_t VYRAPI callback(HVYR engine, uint32_t event, VYRSTATE *state, intptr_t user) {
    (void)user;
    if (event == VYRE_STATEMENT) return 1;
    printf("%s level %d line %d: %s\n", eventName(event), (int)state->nLevel, (int)state->nLine,
           state->lpszFile);
    if (event == VYRE_ERROR) {
        char text[256];
        VYRERROR error;
        memset(&error, 0, sizeof error);
        error.lpszText = text;
        error.cchText = (int32_t)sizeof text;
        if (VyrGetErrMessage(engine, &error)) printf("  %s (%u): %s\n", error.lpszFile, (unsigned)error.nLine, text);
    }
    return 1;
}

int main(int argc, char **argv) {
    VYROPTIONS options;
    HVYR engine;
    int32_t result, failed;

    if (argc != 2) {
        fprintf(stderr, "usage: vyrsmoke SCRIPT\n");
        return 2;
    }
    VyrInitInstance();
    memset(&options, 0, sizeof options);
    options.cbSize = sizeof options;
    options.fMask = VYROF_FLAGS | VYROF_SUBLINES | VYROF_COMMENTS | VYROF_PROTECT | VYROF_CALLBACK;
    options.fFlags = VYRO_NOCOMMENTS | VYRO_NOBLANKLINES | VYRO_XLATSUBLINES;
    options.lpszSubLineBegin = "$[";
    options.lpszSubLineEnd = "]$";
    options.lpszCommentMark = "//";
    options.lpszCommentBegin = "/*";
    options.lpszCommentEnd = "*/";
    options.lpszProtectBegin = "%PROTECT";
    options.lpszProtectEnd = "%ENDPROTECT";
    options.lpfnCallback = callback;
    engine = VyrCreate(&options);
    if (engine == NULL) {
        fprintf(stderr, "vyrsmoke: out of memory\n");
        return 1;
    }
    result = VyrInterpret(engine, argv[1]);
    failed = VyrGetError(engine);
    VyrDestroy(engine);
    VyrFreeInstance();
    printf("result %d, %s\n", (int)result, failed ? "Generation with Errors." : "Generation Successful.");
    return failed ? 1 : 0;
}
