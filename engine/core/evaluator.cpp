// The expression evaluator: a recursive-descent parser over VyrTokenizer's
// tokens that computes values as it parses.
//
// Precedence, loosest first; every binary operator is left-associative and
// evaluates both operands (no short-circuit):
//   1 ||    2 &&    3 & | ^    4 == != >= > <= <    5 << >>    6 + -
//   7 * / %    8 unary + - ~ !, primaries and their postfix chain
// Arithmetic wraps in 32 bits (done on unsigned values).
#include "core/evaluator.h"

#include "core/stackguard.h"

#include <cstring>

namespace {

// Nesting of parse functions and calls across every evaluator of the
// process (argument evaluators included); the engine runs on one thread.
int32_t g_nesting = 0;

struct NestingGuard {
    NestingGuard() { ++g_nesting; }
    ~NestingGuard() { --g_nesting; }
    bool tooDeep() const { return g_nesting > VyrEvaluator::kMaxNesting || VyrStackGuard::exhausted(); }
};

int32_t wrapAdd(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); }
int32_t wrapSub(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)); }
int32_t wrapMul(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b)); }

// Operators of each binary level.
// The binding level of a binary operator, from 1 (||, loosest) to 7 (* / %,
// tightest); 0 for a token that is no binary operator.
int32_t operatorLevel(int32_t t) {
    switch (t) {
    case kTokOr: return 1;
    case kTokAnd: return 2;
    case kTokAmp:
    case kTokBar:
    case kTokCaret: return 3;
    case kTokEqual:
    case kTokNotEqual:
    case kTokGreaterEqual:
    case kTokGreater:
    case kTokLessEqual:
    case kTokLess: return 4;
    case kTokShiftLeft:
    case kTokShiftRight: return 5;
    case kTokPlus:
    case kTokMinus: return 6;
    case kTokStar:
    case kTokSlash:
    case kTokPercent: return 7;
    default: return 0;
    }
}

}  // namespace

VyrEvaluator::VyrEvaluator(VyrSymbolTable &symbols, HVYR engine, VyrTokenCache *cache)
    : symbols_(symbols), engine_(engine), cache_(cache) {
    if (cache_ == nullptr) {
        ownCache_.reset(new VyrTokenCache);
        cache_ = ownCache_.get();
    }
}

void VyrEvaluator::prepare(const char *text) {
    // The stream holds its own copies of the texts: the text may belong to
    // an item that the evaluation changes.
    const char *s = text ? text : "";
    prepare(cache_->lookupTrimmed(s, static_cast<int32_t>(std::strlen(s))));
}

void VyrEvaluator::prepare(const VyrTokenStream *stream) {
    error_ = 0;
    result_.release();
    reference_ = nullptr;
    tok_.reset(stream);
}

bool VyrEvaluator::evaluate(const char *text) {
    VyrStackGuard stack;
    prepare(text);
    return evaluatePrepared(false);
}

bool VyrEvaluator::evaluateArgument(const VyrTokenStream *stream) {
    VyrStackGuard stack;
    prepare(stream);
    return evaluatePrepared(true);
}

bool VyrEvaluator::evaluatePrepared(bool lazy) {
    VyrTokenCache::Use use(*cache_);
    lazyChain_ = lazy;
    const bool ok = parse(1, result_);
    lazyChain_ = false;
    if (!ok) return false;
    if (tok_.next() != kTokEnd || !tok_.atEnd()) return fail(16);
    return true;
}

VyrItem *VyrEvaluator::evaluateTarget(const char *text) {
    VyrStackGuard stack;
    prepare(text);
    VyrTokenCache::Use use(*cache_);
    targetOnly_ = true;
    const bool ok = unary(result_);
    targetOnly_ = false;
    if (!ok) return nullptr;
    if (tok_.next() != kTokEnd || !tok_.atEnd()) {
        fail(16);
        return nullptr;
    }
    if (reference_ == nullptr) {
        fail(19);
        return nullptr;
    }
    return reference_;
}

// level n -> level n+1 { op(n) level n+1 }, for the binary levels 1 to 7.
bool VyrEvaluator::parse(int32_t level, VyrItem &out) {
    // Precedence climbing: an operand, then every operator binding at least
    // as tightly as the level, each with a right operand made of the tighter
    // operators after it.  All operators group from the left.  This
    // evaluates exactly as one function per level would, in the same order,
    // without passing every operand down through all seven levels.
    if (!unary(out)) return false;
    for (;;) {
        const int32_t t = tok_.next();
        const int32_t tLevel = operatorLevel(t);
        if (tLevel < level || tLevel == 0) {
            tok_.unread();
            return true;
        }
        VyrItem right;
        if (!parse(tLevel + 1, right)) return false;
        if (!binary(t, out, right)) return false;
        reference_ = nullptr;  // the result of an operation is a value
    }
}

bool VyrEvaluator::binary(int32_t op, VyrItem &left, const VyrItem &right) {
    const bool numeric = left.isNumeric() && right.isNumeric();
    const bool strings = left.isString() && right.isString();
    if (op >= kTokEqual && op <= kTokLess) {
        int c;
        if (numeric) {
            const int32_t a = left.num(), b = right.num();
            c = a < b ? -1 : a > b ? 1 : 0;
        } else if (strings) {
            c = left.str()->compare(*right.str());
        } else {
            return fail(15);
        }
        bool r = false;
        switch (op) {
        case kTokEqual: r = c == 0; break;
        case kTokNotEqual: r = c != 0; break;
        case kTokGreaterEqual: r = c >= 0; break;
        case kTokGreater: r = c > 0; break;
        case kTokLessEqual: r = c <= 0; break;
        default: r = c < 0; break;
        }
        left.setNum(r ? 1 : 0);
        return true;
    }
    if (op == kTokPlus && strings) {
        // A text that keeps doubling stops at the limit rather than
        // exhausting memory (or the 32-bit length).
        if (int64_t(left.str()->length()) + right.str()->length() > kVyrMaxTextLength) return fail(2);
        // Appending sizes a fresh buffer for the joined text, as a new text
        // would be; the result is a plain text without a registered type.
        left.str()->append(*right.str());
        left.setRegType(nullptr);
        return true;
    }
    if (!numeric) return fail(15);
    const int32_t a = left.num(), b = right.num();
    int32_t r = 0;
    switch (op) {
    case kTokOr: r = (a != 0 || b != 0) ? 1 : 0; break;
    case kTokAnd: r = (a != 0 && b != 0) ? 1 : 0; break;
    case kTokAmp: r = a & b; break;
    case kTokBar: r = a | b; break;
    case kTokCaret: r = a ^ b; break;
    case kTokShiftLeft: r = static_cast<int32_t>(static_cast<uint32_t>(a) << (b & 31)); break;
    case kTokShiftRight: r = a >> (b & 31); break;  // arithmetic on every supported compiler
    case kTokPlus: r = wrapAdd(a, b); break;
    case kTokMinus: r = wrapSub(a, b); break;
    case kTokStar: r = wrapMul(a, b); break;
    case kTokSlash:
    case kTokPercent:
        if (b == 0) return fail(3);
        if (b == -1) {  // INT32_MIN / -1 overflows: wrap to INT32_MIN, remainder 0
            r = op == kTokSlash ? wrapSub(0, a) : 0;
        } else {
            r = op == kTokSlash ? a / b : a % b;
        }
        break;
    default: return fail(16);
    }
    left.setNum(r);
    return true;
}

// level 8 -> ("+" | "-" | "~" | "!") level 8 | primary
bool VyrEvaluator::unary(VyrItem &out) {
    NestingGuard guard;
    if (guard.tooDeep()) return fail(kTooDeep);
    int32_t t = tok_.next();
    if (t == kTokPlus || t == kTokMinus || t == kTokTilde || t == kTokNot) {
        targetOnly_ = false;  // the operator needs the value
        lazyChain_ = false;
        if (!unary(out)) return false;
        if (!out.isNumeric()) return fail(15);
        const int32_t v = out.num();
        switch (t) {
        case kTokMinus: out.setNum(wrapSub(0, v)); break;
        case kTokTilde: out.setNum(~v); break;
        case kTokNot: out.setNum(v == 0 ? 1 : 0); break;
        default: if (out.isList()) out.setNum(v); break;  // "+" gives the number as a value
        }
        reference_ = nullptr;
        return true;
    }
    tok_.unread();
    return primary(out);
}

// primary -> "(" expr ")" | string | number | name postfix | call | end
bool VyrEvaluator::primary(VyrItem &out) {
    const bool targetOnly = targetOnly_;
    const bool lazy = lazyChain_;
    targetOnly_ = false;
    lazyChain_ = false;
    int32_t t = tok_.next();
    switch (t) {
    case kTokLParen:
        if (!parse(1, out)) return false;
        if (!tok_.expect(kTokRParen)) return fail(17);
        reference_ = nullptr;
        return true;
    case kTokString:
        out.setStr(tok_.text());
        reference_ = nullptr;
        return true;
    case kTokNumber:
        out.setNum(tok_.number());
        reference_ = nullptr;
        return true;
    case kTokName: {
        VyrNamedItem *variable = symbols_.findVariable(tok_.text().c_str());
        if (variable == nullptr) return fail(4);
        reference_ = variable;
        return postfix(out, targetOnly, lazy);
    }
    case kTokCall:
        reference_ = nullptr;
        return call(nullptr, out);
    case kTokEnd:
        // The end of the text: no value and no error.
        reference_ = nullptr;
        return true;
    default:
        return fail(16);
    }
}

// postfix -> { "." name | "." call | "[" expr "]" }, while there is a reference
//
// The value of the variable that reference_ points at is copied into out only
// when something needs it (a call through the variable, or the end of the
// chain): a member or an element that follows replaces it anyway, and
// copying a whole object to read one member would cost more than the rest
// of the expression.  With targetOnly a chain that ends on a variable leaves
// out alone; with lazy so does a chain that ends the whole text.
bool VyrEvaluator::postfix(VyrItem &out, bool targetOnly, bool lazy) {
    bool loaded = false;
    while (reference_ != nullptr) {
        int32_t t = tok_.next();
        if (t == kTokDot) {
            VyrItem *variable = reference_;
            int32_t u = tok_.next();
            if (u == kTokName) {
                VyrObject *object = variable->obj();
                if (object == nullptr) return fail(12);
                VyrNamedItem *member = object->find(tok_.text().c_str());
                if (member == nullptr) return fail(8);
                reference_ = member;
                loaded = false;
            } else if (u == kTokCall) {
                // call() gives out the variable's value as the value of its
                // first argument.
                loaded = true;
                if (!call(variable, out)) return false;
                // The result is stored back when it has the variable's type;
                // otherwise the expression's value is the result alone.
                if (out.type() == variable->type()) {
                    variable->assign(out);
                    reference_ = variable;
                } else {
                    reference_ = nullptr;
                }
            } else {
                return fail(13);
            }
        } else if (t == kTokLBracket) {
            VyrItem *variable = reference_;
            VyrItem index;
            if (!parse(1, index)) return false;
            if (!index.isNumeric()) return fail(11);
            if (!tok_.expect(kTokRBracket)) return fail(18);
            const int32_t i = index.num();
            switch (variable->type()) {
            case VyrItem::kString: {
                const VyrString &s = *variable->str();
                if (i < 0 || i >= s.length()) return fail(14);
                out.setStr(VyrString(s.c_str() + i, 1));
                reference_ = nullptr;
                return true;
            }
            case VyrItem::kList: {
                VyrList *list = variable->list();
                if (i < 0 || static_cast<uint32_t>(i) >= list->count) return fail(14);
                reference_ = list->itemAt(i);
                loaded = false;
                break;
            }
            case VyrItem::kObject: {
                VyrObject *object = variable->obj();
                if (i < 0 || static_cast<uint32_t>(i) >= object->count) return fail(14);
                reference_ = object->itemAt(i);
                loaded = false;
                break;
            }
            default:
                return fail(10);
            }
        } else {
            const bool wholeText = t == kTokEnd && tok_.atEnd();
            tok_.unread();
            if (!loaded && !targetOnly && !(lazy && wholeText)) out.assign(*reference_);
            break;
        }
    }
    return true;
}

// The call token just read: evaluate each argument with its own evaluator,
// pass variables by reference and values as owned copies, call.
bool VyrEvaluator::call(VyrItem *receiver, VyrItem &out) {
    NestingGuard guard;
    if (guard.tooDeep()) return fail(kTooDeep);
    VyrFuncEntry *function = symbols_.findFunction(tok_.text().c_str());
    if (function == nullptr) return fail(5);
    VyrArgs args(engine_);
    if (receiver) args.addReference(receiver);
    // The call token stays valid while the arguments are evaluated: the
    // cache keeps every stream while an evaluation is under way.
    const VyrTextList &texts = tok_.arguments();
    // The item holding the last argument's value: the function's result
    // starts out as a copy of it.
    const VyrItem *last = receiver;
    // Once the list holds a reference, what later arguments remove from
    // their lists stays alive until the function has returned.
    VyrItemKeepAlive keep;
    bool referenced = receiver != nullptr;
    for (int32_t i = 0; i < texts.count(); ++i) {
        if (referenced) keep.begin();
        VyrEvaluator sub(symbols_, engine_, cache_);
        if (!sub.evaluateArgument(tok_.argumentStream(i, *cache_))) return fail(sub.error());
        if (sub.reference()) {
            args.addReference(sub.reference());
            last = sub.reference();
            referenced = true;
        } else {
            VyrItem *owned = new VyrItem(std::move(sub.result()));
            args.addOwned(owned);
            last = owned;
        }
    }
    const bool seedAfter = last != nullptr && function->seedsAfterCall();
    if (seedAfter)
        out.release();
    else if (last != nullptr)
        out.assign(*last);
    if (function->call(args, out) == 0) return fail(9);
    if (seedAfter && out.type() == VyrItem::kNone) out.assign(*last);
    return true;
}
