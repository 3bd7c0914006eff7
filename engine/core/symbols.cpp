#include "core/symbols.h"

VyrSymbolTable::VyrSymbolTable(VyrNameTable &globalSymbols, const VyrHashTable &globalFunctions)
    : variables(globalSymbols), functions(globalFunctions) {}

VyrNamedItem *VyrSymbolTable::addVariable(const char *name, const VyrItem &value) {
    return variables.addNode(new VyrNamedItem(name, value));
}

void VyrSymbolTable::addFunction(VyrFuncEntry *entry) {
    if (VyrHashEntry *old = functions.find(entry->name.c_str())) functions.remove(old);
    functions.adopt(entry);
}
