// builtin_args.h - reading the arguments of a built-in function.
//
// A built-in checks its own arguments: these return null (or false, or the
// default) for an argument that is missing or of another type, and leave the
// error to the caller.
#ifndef VYR_BUILTIN_ARGS_H
#define VYR_BUILTIN_ARGS_H

#include <cstdint>

#include "core/symbols.h"
#include "values/item.h"
#include "values/list.h"

// The argument at a 0-based index, or null past the last one.
inline VyrItem *argAt(VyrArgs *args, int32_t index) { return index < args->size() ? args->arg(index) : nullptr; }

// The argument's text when it is a String.
inline const VyrString *textArg(VyrArgs *args, int32_t index) {
    VyrItem *item = argAt(args, index);
    return item ? item->str() : nullptr;
}

// The argument's list when it is a List.
inline VyrList *listArg(VyrArgs *args, int32_t index) {
    VyrItem *item = argAt(args, index);
    return item ? item->list() : nullptr;
}

// A numeric argument: true and its value for an Integer or a List.
inline bool numArg(VyrArgs *args, int32_t index, int32_t &value) {
    VyrItem *item = argAt(args, index);
    if (item == nullptr || !item->isNumeric()) return false;
    value = item->num();
    return true;
}

// An optional numeric argument: its value, or the default when it is
// missing or not numeric.
inline int32_t optNumArg(VyrArgs *args, int32_t index, int32_t defaultValue) {
    int32_t value;
    return numArg(args, index, value) ? value : defaultValue;
}

#endif  // VYR_BUILTIN_ARGS_H
