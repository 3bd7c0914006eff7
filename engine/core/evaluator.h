// evaluator.h - VyrEvaluator, the expression evaluator.
//
// A hand-written scanner (VyrTokenizer) and a recursive-descent parser with
// eight precedence levels that evaluates while it parses: there is no syntax
// tree.  Evaluating a text leaves its value in result(); when the last
// primary denoted a variable (a symbol, member or element), reference()
// points at it, which is how assignment targets and by-reference arguments
// work.  Errors are evaluator error numbers (see messages.h for their texts).
#ifndef VYR_EVALUATOR_H
#define VYR_EVALUATOR_H

#include <cstdint>
#include <memory>

#include "core/limits.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "values/item.h"
#include "vyrapi.h"

class VyrEvaluator {
public:
    // Token streams come from cache, which is shared by every evaluator of
    // an engine; without one the evaluator keeps its own.
    VyrEvaluator(VyrSymbolTable &symbols, HVYR engine, VyrTokenCache *cache = nullptr);

    // Evaluates a text; true on success (error() == 0).  An empty text gives
    // an item with no value.
    bool evaluate(const char *text);
    // Evaluates one argument of a call.  When the whole text denotes a
    // variable (a name with its member/element chain) only reference() is
    // set and result() stays empty: the variable is passed by reference and
    // its value need not be copied.  Otherwise as evaluate.
    bool evaluateArgument(const VyrTokenStream *stream);
    // Evaluates an assignment target: the variable it denotes, or null with
    // error() set.
    VyrItem *evaluateTarget(const char *text);

    int32_t error() const { return error_; }
    void clearError() { error_ = 0; }
    VyrItem &result() { return result_; }
    VyrItem *reference() const { return reference_; }

    // Nested parentheses, unary operators and calls beyond this depth, or
    // beyond the stack budget (stackguard.h), fail with kTooDeep instead of
    // exhausting the stack.
    static constexpr int32_t kMaxNesting = kVyrMaxNesting;
    // The evaluator's own error number for nesting too deep (its message is
    // the engine's "Script nested too deeply").
    static constexpr int32_t kTooDeep = 20;

private:
    bool fail(int32_t error) {
        if (error_ == 0) error_ = error;
        return false;
    }
    bool parse(int32_t level, VyrItem &out);
    bool unary(VyrItem &out);
    bool primary(VyrItem &out);
    bool postfix(VyrItem &out, bool targetOnly, bool lazy);
    bool call(VyrItem *receiver, VyrItem &out);
    bool binary(int32_t op, VyrItem &left, const VyrItem &right);
    void prepare(const char *text);
    void prepare(const VyrTokenStream *stream);
    // Evaluates the prepared stream as a whole expression (lazy: as a call
    // argument, see evaluateArgument).
    bool evaluatePrepared(bool lazy);

    VyrSymbolTable &symbols_;
    HVYR engine_;
    int32_t error_ = 0;
    VyrItem result_;
    VyrItem *reference_ = nullptr;
    // Set while evaluateTarget reads its leading primary: a variable that ends
    // the chain is then only pointed at, not copied into the result.
    bool targetOnly_ = false;
    // Set while evaluateArgument reads its leading primary: a variable chain
    // that turns out to be the whole text is then only pointed at.
    bool lazyChain_ = false;
    VyrTokenCursor tok_;
    VyrTokenCache *cache_;
    std::unique_ptr<VyrTokenCache> ownCache_;
};

#endif  // VYR_EVALUATOR_H
