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
    // Where the stack stands now: the frame address, which (unlike the
    // address of a local) is on the real stack also when a sanitizer moves
    // locals to a heap-allocated fake stack.
    static uintptr_t here() {
#if defined(__GNUC__) || defined(__clang__)
        return reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
#else
        volatile char probe = 0;
        return reinterpret_cast<uintptr_t>(&probe);
#endif
    }
    static inline uintptr_t base_ = 0;
    bool owner_ = false;
};

#endif  // VYR_STACKGUARD_H
