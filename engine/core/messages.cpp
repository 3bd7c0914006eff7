// The engine's messages live in code as plain tables: one row per string id,
// and one row per error number that selects a message.
#include "core/messages.h"

#include <cstddef>

namespace {

struct Message {
    int32_t id;
    const char *text;
};

const Message kStringTable[] = {
    // Evaluator errors.
    {900, "Expression error"},
    {901, "Expression fatal error"},
    {902, "Division by zero"},
    {903, "Unknown identifier"},
    {904, "Unknown function"},
    {905, "Unknown array element"},
    {906, "Unknown object"},
    {907, "Unknown member"},
    {908, "Invalid function call"},
    {909, "Bad element type"},
    {910, "Bad subscript"},
    {911, "Bad member"},
    {912, "Bad object"},
    {913, "Index out of bounds"},
    {914, "Bad expression type"},
    {915, "Bad expression syntax"},
    {916, "No matching parenthesis"},
    {917, "No matching brackets"},
    {918, "Bad lvalue expression"},
    // Engine errors.
    {920, "Unknown token error code"},
    {921, "Unrecognized Token"},
    {922, "Bad expression in IF"},
    {923, "Bad expression in CASE"},
    {924, "Bad expression in WHILE"},
    {925, "Bad expression in FOR"},
    {926, "Bad expression in FOR EACH"},
    {927, "Bad expression in ASSIGN"},
    {928, "Bad procedure definition"},
    {929, "Bad expression in RETURN"},
    {930, "Bad expression in INCLUDE"},
    {931, "Bad expression in OUTPUT"},
    {932, "Bad expression in APPEND"},
    {933, "Bad expression in PROTECT"},
    {934, "Mismatched ELSE"},
    {935, "Mismatched END IF"},
    {936, "Mismatched END WHILE"},
    {937, "Mismatched END FOR"},
    {938, "Mismatched CASE"},
    {939, "Mismatched OTHERWISE"},
    {940, "Mismatched END SELECT"},
    {941, "Mismatched END PROC"},
    {942, "Cannot open input file"},
    {943, "Cannot open output file"},
    {944, "Cannot open include file"},
    {945, "Bad expression type"},
    {946, "Mismatched END PROTECT"},
    {947, "Mismatched END OBJECT"},
    {948, "Mismatched END DIALOG"},
    // The engine's own addition: runaway recursion through Include or
    // procedure calls, or expressions nested beyond the stack budget, stop
    // with this message instead of a crash.
    {949, "Script nested too deeply"},
    // Limits and failures of the files a run reads and writes.
    {950, "Script line too long"},
    {951, "Script file changed or could not be read during the run"},
    {952, "Cannot write output file"},
    // File-system failures of the file and directory built-ins, shown in a
    // message box; %s stands for the names involved.
    {3000, "Vyr Message"},
    {3001, "Could not locate current directory.\n\nThis problem may be caused by an invalid drive or "
           "directory or the file system has become corrupted."},
    {3002, "Could not set current directory to %s.\n\nThis problem may be caused by an invalid drive or "
           "directory or the file system has become corrupted."},
    {3003, "Could not create %s directory.\n\nThis problem may be caused by an invalid drive or directory, "
           "an already existing directory or the file system has become corrupted."},
    {3004, "Could not remove %s directory.\n\nThis problem may be caused by an invalid drive or directory, "
           "a non empty directory or the file system has become corrupted."},
    {3005, "Could not rename file %s to %s.\n\nThis problem may be caused by an invalid file name, an "
           "already existing file with the same name or the file system has become corrupted."},
    {3006, "Could not remove file %s.\n\nThis problem may be caused by an invalid file name, the file may "
           "have been already removed or the file system has become corrupted."},
    // Type drivers and the engine settings file.
    {1000, ".ini"},
    {1001, "Drivers"},
    {1002, "Count"},
    {1003, "Driver%d"},
    {1004, "Module could not be loaded:\n\n%s\n\nThis problem may be caused by an invalid or not supported "
           "registration type driver (DLL)."},
    {1005, "Module already loaded:\n\n%s\n\nThis problem is caused by trying to load an registration type "
           "driver (DLL) that is already loaded."},
    {1006, "VyrRegTypes"},
    {1007, "VyrRegSetup"},
    {1008, "vyrtypes.dll"},
    {1009, "vyrtyp32.dll"},
};

// Evaluator error n selects kEvaluatorMessages[n - 1].  Errors 12 and 13 are
// crossed on purpose: "Bad object" is 912 and "Bad member" 911.
const int32_t kEvaluatorMessages[] = {
    900, 901, 902, 903, 904, 905, 906, 907, 908, 909,
    910, 912, 911, 913, 914, 915, 916, 917, 918,
    949,  // nesting too deep: the engine's own addition
};

struct CodeMessage {
    int32_t code;
    int32_t id;
};

const CodeMessage kEngineMessages[] = {
    {kErrUnrecognized, 921}, {kErrIf, 922},         {kErrCase, 923},
    {kErrWhile, 924},        {kErrFor, 925},        {kErrForEach, 926},
    {kErrAssign, 927},       {kErrProc, 928},       {kErrReturn, 929},
    {kErrInclude, 930},      {kErrOutput, 931},     {kErrAppend, 932},
    {kErrProtect, 933},      {kErrElse, 934},       {kErrEndIf, 935},
    {kErrEndWhile, 936},     {kErrEndFor, 937},     {kErrCaseMismatch, 938},
    {kErrOtherwise, 939},    {kErrEndSelect, 940},  {kErrEndProc, 941},
    {kErrOpenInput, 942},    {kErrOpenOutput, 943}, {kErrOpenInclude, 944},
    {kErrExprType, 945},     {kErrEndProtect, 946}, {kErrEndObject, 947},
    {kErrEndDialog, 948},    {kErrTooDeep, 949},    {kErrLineTooLong, 950},
    {kErrScriptChanged, 951}, {kErrWriteOutput, 952},
};

}  // namespace

const char *vyrMessageText(int32_t id) {
    for (const Message &m : kStringTable)
        if (m.id == id) return m.text;
    return nullptr;
}

int32_t vyrEvaluatorMessageId(int32_t evaluatorError) {
    const int32_t n = static_cast<int32_t>(sizeof kEvaluatorMessages / sizeof kEvaluatorMessages[0]);
    if (evaluatorError < 1 || evaluatorError > n) return 0;
    return kEvaluatorMessages[evaluatorError - 1];
}

int32_t vyrEngineMessageId(int32_t errorCode) {
    for (const CodeMessage &m : kEngineMessages)
        if (m.code == errorCode) return m.id;
    return 0;
}
