// limits.h - the engine's limits against runaway scripts, in one place.
//
// A script may loop for ever (the host can cancel it), but it must not
// crash the engine or take all memory: recursion, nesting and the sizes of
// texts and lines stop at these limits with an error of the run.  The README
// lists them for users.
#ifndef VYR_LIMITS_H
#define VYR_LIMITS_H

#include <cstddef>
#include <cstdint>

// Nested interpretations (include files and procedure bodies) beyond this
// depth fail with "Script nested too deeply".
constexpr int32_t kVyrMaxDepth = 256;

// Nested parentheses, unary operators and calls in expressions, counted
// across every evaluator of the process (procedure bodies included); beyond
// it an expression fails with "Script nested too deeply".
constexpr int32_t kVyrMaxNesting = 2000;

// Whatever the counts above, nested evaluation and interpretation stop with
// "Script nested too deeply" once they have used this much of the C stack
// (stackguard.h), leaving room for the host below a 1 MB stack.
constexpr size_t kVyrStackBudget = 512 * 1024;

// Longest text value in bytes (64 MiB, far above any generated file): a
// built-in or a "+" that would make a longer one fails.
constexpr int64_t kVyrMaxTextLength = int64_t(1) << 26;

// Longest physical script line in bytes (16 MiB): a longer line stops the
// run with "Script line too long" instead of being collected without end.
constexpr int32_t kVyrMaxLineLength = int32_t(1) << 24;

// The engine remembers the scanned tokens of expression texts, up to this
// many texts or about this many bytes per engine; beyond, it starts afresh.
constexpr size_t kVyrMaxCachedTexts = 16384;
constexpr size_t kVyrMaxCachedBytes = size_t(8) << 20;

#endif  // VYR_LIMITS_H
