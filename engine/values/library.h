// library.h - the process-wide global library: built-in constants and
// functions plus the symbols and functions hosts and type drivers add.
// Every engine copies it when it is created.
#ifndef VYR_LIBRARY_H
#define VYR_LIBRARY_H

#include "core/hashtable.h"
#include "values/list.h"

struct VyrGlobalLibrary {
    VyrNameTable symbols;
    VyrHashTable functions;
};

// The library, or null while no instance is active.
VyrGlobalLibrary *vyrGlobalLibrary();
// Discards any previous library and builds a new one with the built-ins.
void vyrBuildGlobalLibrary();
void vyrFreeGlobalLibrary();

// Adds the constants and the built-in functions in their fixed order
// (builtins.cpp).
void vyrRegisterBuiltins(VyrGlobalLibrary &library);

#endif  // VYR_LIBRARY_H
