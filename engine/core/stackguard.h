// stackguard.h - a budget for the C stack of nested evaluation and
// interpretation.
//
// Parentheses, unary operators, calls, procedure bodies and include files
// all nest on the C stack.  Rather than guess frame sizes, the engine
// measures: the outermost evaluation or interpretation records where the
// stack stood, and every nesting step checks how far it has grown since.
// Past the budget the step fails with an error instead of overflowing,
// leaving room for the host below a 1 MB stack (the Windows default).
#ifndef VYR_STACKGUARD_H
#define VYR_STACKGUARD_H

#include <cstddef>
#include <cstdint>

#include "core/limits.h"  // kVyrStackBudget

class VyrStackGuard {
public:
    // The first guard on the stack records the base; inner ones do nothing.
    VyrStackGuard() {
        if (base_ == 0) {
            base_ = here();
            owner_ = true;
        }
    }
    ~VyrStackGuard() {
        if (owner_) base_ = 0;
    }
    VyrStackGuard(const VyrStackGuard &) = delete;
    VyrStackGuard &operator=(const VyrStackGuard &) = delete;

    static bool exhausted() { return base_ != 0 && base_ > here() && base_ - here() > kVyrStackBudget; }

private:
    static uintptr_t here() {
        volatile char probe = 0;
        return reinterpret_cast<uintptr_t>(&probe);
    }
    static inline uintptr_t base_ = 0;
    bool owner_ = false;
};

#endif  // VYR_STACKGUARD_H
