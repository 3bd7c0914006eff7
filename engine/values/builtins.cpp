// The built-in library: the named constants and the table of built-in
// functions, registered in this order into the global library.
#include "core/symbols.h"
#include "values/library.h"

namespace {

// Answers "Invalid function call": the functions of this group are
// registered so their names are known, and are filled in one by one.
int32_t notAvailable(VyrArgs *, VyrItem *) { return 0; }

struct Constant {
    const char *name;
    int32_t value;
};

const Constant kConstants[] = {
    {"FALSE", 0}, {"TRUE", 1}, {"O_READ", 0}, {"O_WRITE", 1}, {"O_APPEND", 2},
};

struct Builtin {
    const char *name;
    VyrBuiltin fn;
};

const Builtin kBuiltins[] = {
    {"COUNT", notAvailable},     {"RESET", notAvailable},     {"LIST", notAvailable},
    {"ADD", notAvailable},       {"REMOVE", notAvailable},    {"LEN", notAvailable},
    {"SUBSTR", notAvailable},    {"LEFT", notAvailable},      {"RIGHT", notAvailable},
    {"UPPER", notAvailable},     {"LOWER", notAvailable},     {"TRIM", notAvailable},
    {"PAD", notAvailable},       {"SPACE", notAvailable},     {"TAB", notAvailable},
    {"STRING", notAvailable},    {"STR", notAvailable},       {"VAL", notAvailable},
    {"FIND", notAvailable},      {"REPLACE", notAvailable},   {"STRIP", notAvailable},
    {"PROPER", notAvailable},    {"PREFIX", notAvailable},    {"SUFFIX", notAvailable},
    {"CHR", notAvailable},       {"ASC", notAvailable},       {"DATE", notAvailable},
    {"TIME", notAvailable},      {"PICTURE", notAvailable},   {"STRTOLIST", notAvailable},
    {"LISTTOSTR", notAvailable}, {"MAX", notAvailable},       {"MIN", notAvailable},
    {"AVG", notAvailable},       {"SUM", notAvailable},       {"EXIST", notAvailable},
    {"REMOVEFILE", notAvailable}, {"RENAMEFILE", notAvailable}, {"FDIR", notAvailable},
    {"FNAME", notAvailable},     {"FEXT", notAvailable},      {"CURDIR", notAvailable},
    {"CHDIR", notAvailable},     {"MKDIR", notAvailable},     {"RMDIR", notAvailable},
    {"OBJECT", notAvailable},    {"MEMBERLIST", notAvailable}, {"ISINTEGER", notAvailable},
    {"ISSTRING", notAvailable},  {"ISLIST", notAvailable},    {"ISOBJECT", notAvailable},
    {"LOADITEM", notAvailable},  {"SAVEITEM", notAvailable},  {"OPEN", notAvailable},
    {"EOF", notAvailable},       {"READ", notAvailable},      {"READLN", notAvailable},
    {"WRITE", notAvailable},     {"WRITELN", notAvailable},   {"CLOSE", notAvailable},
    {"VyrDir", notAvailable},    {"VyrName", notAvailable},   {"MsgBox", notAvailable},
    {"FileDialog", notAvailable}, {"DirDialog", notAvailable}, {"Prompt", notAvailable},
};

}  // namespace

void vyrRegisterBuiltins(VyrGlobalLibrary &library) {
    for (const Constant &c : kConstants) library.symbols.addNode(new VyrNamedItem(c.name, VyrItem(c.value)));
    for (const Builtin &b : kBuiltins) {
        if (VyrHashEntry *old = library.functions.find(b.name)) library.functions.remove(old);
        library.functions.adopt(new VyrBuiltinEntry(b.name, b.fn));
    }
}
