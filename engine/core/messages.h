// messages.h - the engine library's string table and the maps from error
// numbers to message ids.
#ifndef VYR_MESSAGES_H
#define VYR_MESSAGES_H

#include <cstdint>

// Text of a string-table entry, or null when the id is not in the table.
const char *vyrMessageText(int32_t id);

// Message id chosen by an evaluator error number (1-19), or 0 when none.
int32_t vyrEvaluatorMessageId(int32_t evaluatorError);

// Message id chosen by an engine error code, or 0 when the code has none.
int32_t vyrEngineMessageId(int32_t errorCode);

// Engine error codes set by statements and by the engine itself.
enum VyrErrorCode : int32_t {
    kErrUnrecognized = 0,
    kErrNone = 1,
    kErrIf = 10,
    kErrWhile = 15,
    kErrFor = 17,
    kErrForEach = 18,
    kErrCase = 23,
    kErrAssign = 26,
    kErrProc = 27,
    kErrReturn = 29,
    kErrInclude = 30,
    kErrOutput = 31,
    kErrAppend = 32,
    kErrProtect = 33,
    kErrEndProtect = 34,
    kErrEndObject = 36,
    kErrElse = 100,
    kErrEndIf = 101,
    kErrEndWhile = 102,
    kErrEndFor = 103,
    kErrCaseMismatch = 104,
    kErrOtherwise = 105,
    kErrEndSelect = 106,
    kErrEndProc = 107,
    kErrOpenInput = 900,
    kErrOpenOutput = 901,
    kErrOpenInclude = 902,
    kErrExprType = 903,
    kErrTooDeep = 904,  // include files or procedure calls nested too deeply
    kErrLineTooLong = 905,     // a script line longer than kVyrMaxLineLength
    kErrScriptChanged = 906,   // a script file changed size or failed while it was read
    kErrWriteOutput = 907,     // writing the output file failed (disk full, device error)
    kErrEndDialog = 1003,
};

#endif  // VYR_MESSAGES_H
