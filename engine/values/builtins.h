// builtins.h - the table of built-in functions, in registration order.
#ifndef VYR_BUILTINS_H
#define VYR_BUILTINS_H

#include <cstdint>

// Number of built-in functions and the name at a position of the table
// (null outside it), in the order vyrRegisterBuiltins adds them.
int32_t vyrBuiltinCount();
const char *vyrBuiltinName(int32_t index);

#endif  // VYR_BUILTINS_H
