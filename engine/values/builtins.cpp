// The built-in library: the named constants and the table of built-in
// functions, registered in this order into the global library.
//
// Every built-in reads its arguments from the front of the list and ignores
// the rest.  A required argument that is missing or of the wrong type makes
// it answer 0 ("Invalid function call"); an optional argument of the wrong
// type counts as missing.  A numeric argument is an Integer or a List (its
// selection index); a text argument is a String.  Results are new values:
// the result item is separate from the arguments but may hold anything on
// entry, so every success writes it completely.
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "core/limits.h"
#include "core/symbols.h"
#include "platform/platform.h"
#include "types/registry.h"
#include "values/builtin_args.h"
#include "values/builtins.h"
#include "values/datetime.h"
#include "values/filefuncs.h"
#include "values/itemfile.h"
#include "values/library.h"

namespace {

// ---- Argument helpers -----------------------------------------------------

// Longest text a built-in builds (core/limits.h).
constexpr int64_t kMaxTextLength = kVyrMaxTextLength;

// A text of n copies of a character.  A text cannot hold character code 0,
// so copies of it make the empty text.
bool repeated(int32_t n, char ch, VyrItem *result) {
    if (n > kMaxTextLength) return false;
    if (ch == '\0') n = 0;
    result->setStr(VyrString(n, ch));
    return true;
}

// ---- Strings --------------------------------------------------------------

int32_t fnLen(VyrArgs *args, VyrItem *result) {
    const VyrString *s = textArg(args, 0);
    if (s == nullptr) return 0;
    result->setNum(s->length());
    return 1;
}

int32_t fnSubstr(VyrArgs *args, VyrItem *result) {
    const VyrString *s = textArg(args, 0);
    int32_t start;
    if (s == nullptr || !numArg(args, 1, start) || start < 0 || start >= s->length()) return 0;
    // A negative count takes nothing, as a count of 0 does.
    int32_t n = optNumArg(args, 2, s->length() - start);
    result->setStr(s->substr(start, n));
    return 1;
}

int32_t fnLeft(VyrArgs *args, VyrItem *result) {
    const VyrString *s = textArg(args, 0);
    int32_t n;
    if (s == nullptr || !numArg(args, 1, n) || n <= 0) return 0;
    result->setStr(s->left(n));
    return 1;
}

int32_t fnRight(VyrArgs *args, VyrItem *result) {
    const VyrString *s = textArg(args, 0);
    int32_t n;
    if (s == nullptr || !numArg(args, 1, n) || n <= 0) return 0;
    result->setStr(s->right(n));
    return 1;
}

int32_t fnUpper(VyrArgs *args, VyrItem *result) {
    const VyrString *s = textArg(args, 0);
    if (s == nullptr) return 0;
    VyrString copy(*s);
    copy.toUpper();
    result->setStr(std::move(copy));
    return 1;
}

int32_t fnLower(VyrArgs *args, VyrItem *result) {
    const VyrString *s = textArg(args, 0);
    if (s == nullptr) return 0;
    VyrString copy(*s);
    copy.toLower();
    result->setStr(std::move(copy));
    return 1;
}

int32_t fnTrim(VyrArgs *args, VyrItem *result) {
    const VyrString *s = textArg(args, 0);
    if (s == nullptr) return 0;
    VyrString copy(*s);
    copy.trim(true);
    result->setStr(std::move(copy));
    return 1;
}

int32_t fnPad(VyrArgs *args, VyrItem *result) {
    const VyrString *s = textArg(args, 0);
    int32_t n;
    if (s == nullptr || !numArg(args, 1, n) || n <= 0 || n > kMaxTextLength) return 0;
    // An empty fill text has no character to repeat: pad with blanks so the
    // result still has exactly the asked length.
    const VyrString *fill = textArg(args, 2);
    char ch = fill && !fill->empty() ? (*fill)[0] : ' ';
    VyrString copy(*s);
    copy.fit(n, ch);
    result->setStr(std::move(copy));
    return 1;
}

int32_t fnSpace(VyrArgs *args, VyrItem *result) { return repeated(optNumArg(args, 0, 1), ' ', result); }

int32_t fnTab(VyrArgs *args, VyrItem *result) { return repeated(optNumArg(args, 0, 1), '\t', result); }

int32_t fnString(VyrArgs *args, VyrItem *result) {
    const VyrString *s = textArg(args, 0);
    if (s == nullptr) return 0;
    return repeated(optNumArg(args, 1, 1), (*s)[0], result);
}

int32_t fnStr(VyrArgs *args, VyrItem *result) {
    int32_t n;
    if (!numArg(args, 0, n)) return 0;
    result->setStr(VyrString::fromInt(n));
    return 1;
}

int32_t fnVal(VyrArgs *args, VyrItem *result) {
    const VyrString *s = textArg(args, 0);
    if (s == nullptr) return 0;
    result->setNum(s->toInt());
    return 1;
}

int32_t fnFind(VyrArgs *args, VyrItem *result) {
    VyrItem *where = argAt(args, 0);
    VyrItem *what = argAt(args, 1);
    if (where == nullptr || what == nullptr) return 0;
    if (where->isString() && what->isString()) {
        result->setNum(where->str()->find(what->str()->c_str()));
        return 1;
    }
    VyrList *list = where->list();
    if (list == nullptr || (what->type() != VyrItem::kInteger && what->type() != VyrItem::kString)) return 0;
    // Read the value first: it may be an element of the list itself.
    const bool wantText = what->isString();
    const VyrString text = wantText ? *what->str() : VyrString();
    const int32_t number = wantText ? 0 : what->num();
    int32_t index = 0;
    for (VyrItem *e = list->walkFirstItem(); e; e = list->walkNextItem(), ++index) {
        if (e->type() != what->type()) continue;
        if (wantText ? *e->str() == text : e->num() == number) {
            result->setNum(index);
            return 1;
        }
    }
    result->setNum(-1);
    return 1;
}

// Replaces old by new until no occurrence is left, each search starting
// again at the beginning of the changed text, so replacements can combine
// ("aab" with "ab" -> "b" gives "b").  The text before a replaced occurrence
// held no occurrence, so the next one cannot start earlier than
// len(old) - 1 characters before it: the text is kept as a finished part
// (a vector used as a stack at its end) and a pending part (a stack stored
// back to front), which makes the work linear in the characters moved.
// Fails when the text would grow beyond the limit or the replacements do
// not come to an end within the bound.
bool replaceRepeatedly(const VyrString &s, const std::string &oldText, const std::string &newText,
                       std::string &out) {
    const size_t m = oldText.size();
    std::string pending(s.c_str(), static_cast<size_t>(s.length()));
    std::string reversed(pending.rbegin(), pending.rend());
    const std::string newReversed(newText.rbegin(), newText.rend());
    int64_t total = s.length();
    int64_t budget = 4 * (int64_t(s.length()) + 1) + (int64_t(1) << 20);
    out.clear();
    while (!reversed.empty()) {
        out.push_back(reversed.back());
        reversed.pop_back();
        if (out.size() < m || out.compare(out.size() - m, m, oldText) != 0) continue;
        if (--budget < 0) return false;
        total += static_cast<int64_t>(newText.size()) - static_cast<int64_t>(m);
        if (total > kMaxTextLength) return false;
        out.resize(out.size() - m);
        reversed += newReversed;
        // Give back the characters an occurrence could start on.
        size_t back = out.size() < m - 1 ? out.size() : m - 1;
        for (size_t i = 0; i < back; ++i) {
            reversed.push_back(out.back());
            out.pop_back();
        }
    }
    return true;
}

int32_t fnReplace(VyrArgs *args, VyrItem *result) {
    const VyrString *s = textArg(args, 0);
    const VyrString *oldText = textArg(args, 1);
    const VyrString *newText = textArg(args, 2);
    // An empty text occurs everywhere: there is nothing sensible to replace.
    if (s == nullptr || oldText == nullptr || newText == nullptr || oldText->empty()) return 0;
    const std::string from(oldText->c_str()), to(newText->c_str());
    std::string out;
    if (newText->find(oldText->c_str()) >= 0) {
        // Every replacement would bring the old text back: replace each
        // occurrence of the original text once, from left to right.
        const std::string text(s->c_str());
        int64_t total = 0;
        size_t pos = 0;
        for (size_t hit; (hit = text.find(from, pos)) != std::string::npos; pos = hit + from.size()) {
            total += int64_t(hit - pos) + int64_t(to.size());
            if (total > kMaxTextLength) return 0;
            out.append(text, pos, hit - pos);
            out += to;
        }
        out.append(text, pos, std::string::npos);
        if (static_cast<int64_t>(out.size()) > kMaxTextLength) return 0;
    } else if (!replaceRepeatedly(*s, from, to, out)) {
        return 0;
    }
    result->setStr(VyrString(out.c_str(), static_cast<int32_t>(out.size())));
    return 1;
}

bool isAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }

int32_t fnStrip(VyrArgs *args, VyrItem *result) {
    const VyrString *s = textArg(args, 0);
    if (s == nullptr) return 0;
    // Keeps what makes an identifier: letters and underscores anywhere,
    // digits once something has been kept.
    VyrString out;
    for (int32_t i = 0; i < s->length(); ++i) {
        unsigned char c = static_cast<unsigned char>((*s)[i]);
        if (c == '_' || isAsciiLetter(c) || (isAsciiDigit(c) && !out.empty())) out.append(static_cast<char>(c));
    }
    result->setStr(std::move(out));
    return 1;
}

int32_t fnProper(VyrArgs *args, VyrItem *result) {
    const VyrString *s = textArg(args, 0);
    if (s == nullptr) return 0;
    // Lower-case the copy, then capitalise every letter that does not follow
    // a letter or digit.  The letter classes are those of the case mapping:
    // the code page's letters on Windows, plain ASCII elsewhere.
    VyrString copy(*s);
    copy.toLower();
    char *p = copy.data();
    unsigned char previous = ' ';
    for (int32_t i = 0; i < copy.length(); ++i) {
        unsigned char c = static_cast<unsigned char>(p[i]);
        if (plat::isLetter(c) && !plat::isLetterOrDigit(previous)) plat::upperBuffer(p + i, 1);
        previous = c;
    }
    result->setStr(std::move(copy));
    return 1;
}

bool sameChar(char a, char b, bool exact) {
    if (a == b) return true;
    if (exact) return false;
    auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return fold(a) == fold(b);
}

// Length of the common beginning (fromEnd false) or ending (fromEnd true).
int32_t fnCommon(VyrArgs *args, VyrItem *result, bool fromEnd) {
    const VyrString *a = textArg(args, 0);
    const VyrString *b = textArg(args, 1);
    if (a == nullptr || b == nullptr) return 0;
    const bool exact = optNumArg(args, 2, 0) != 0;
    const int32_t la = a->length(), lb = b->length();
    const int32_t shorter = la < lb ? la : lb;
    int32_t n = 0;
    while (n < shorter) {
        char ca = fromEnd ? (*a)[la - 1 - n] : (*a)[n];
        char cb = fromEnd ? (*b)[lb - 1 - n] : (*b)[n];
        if (!sameChar(ca, cb, exact)) break;
        ++n;
    }
    result->setNum(n);
    return 1;
}

int32_t fnPrefix(VyrArgs *args, VyrItem *result) { return fnCommon(args, result, false); }

int32_t fnSuffix(VyrArgs *args, VyrItem *result) { return fnCommon(args, result, true); }

int32_t fnChr(VyrArgs *args, VyrItem *result) {
    int32_t code;
    if (!numArg(args, 0, code)) return 0;
    return repeated(optNumArg(args, 1, 1), static_cast<char>(code & 0xFF), result);
}

int32_t fnAsc(VyrArgs *args, VyrItem *result) {
    const VyrString *s = textArg(args, 0);
    if (s == nullptr) return 0;
    // The first character, or the empty text when there is none.
    result->setStr(VyrString((*s)[0]));
    return 1;
}

int32_t fnStrToList(VyrArgs *args, VyrItem *result) {
    const VyrString *s = textArg(args, 0);
    const VyrString *sep = textArg(args, 1);
    // An empty separator occurs everywhere and would split forever.
    if (s == nullptr || sep == nullptr || sep->empty()) return 0;
    VyrList list;
    const std::string text(s->c_str()), separator(sep->c_str());
    size_t pos = 0;
    for (size_t hit; (hit = text.find(separator, pos)) != std::string::npos; pos = hit + separator.size())
        list.addStr(text.substr(pos, hit - pos).c_str());
    if (pos < text.size()) list.addStr(text.c_str() + pos);
    result->setList(std::move(list));
    return 1;
}

int32_t fnListToStr(VyrArgs *args, VyrItem *result) {
    VyrList *list = listArg(args, 0);
    const VyrString *sep = textArg(args, 1);
    if (list == nullptr || sep == nullptr) return 0;
    std::string out;
    for (VyrItem *e = list->walkFirstItem(); e; e = list->walkNextItem()) {
        if (e->type() == VyrItem::kInteger) {
            char digits[VyrString::kIntTextSize];
            out.append(digits, static_cast<size_t>(VyrString::formatInt(e->num(), digits)));
        } else if (e->isString()) {
            out += e->str()->c_str();
        }
        if (e->next) out += sep->c_str();
        if (static_cast<int64_t>(out.size()) > kMaxTextLength) return 0;
    }
    result->setStr(VyrString(out.c_str(), static_cast<int32_t>(out.size())));
    return 1;
}

// ---- Lists ------------------------------------------------------------------

int32_t fnCount(VyrArgs *args, VyrItem *result) {
    VyrList *list = listArg(args, 0);
    if (list == nullptr) return 0;
    result->setNum(static_cast<int32_t>(list->count));
    return 1;
}

int32_t fnReset(VyrArgs *args, VyrItem *result) {
    VyrList *list = listArg(args, 0);
    if (list == nullptr) return 0;
    list->clear();  // keeps the selection index
    result->setList(*list);
    return 1;
}

int32_t fnList(VyrArgs *args, VyrItem *result) {
    VyrList list;
    for (int32_t i = 0; i < args->size(); ++i) list.add(*args->arg(i));
    result->setList(std::move(list));
    return 1;
}

int32_t fnAdd(VyrArgs *args, VyrItem *result) {
    VyrList *list = listArg(args, 0);
    if (list == nullptr || args->size() < 2) return 0;
    // Copy every value before appending any: a value may be the list itself
    // or something holding it, and must be added as it was before the call.
    VyrList copies;
    for (int32_t i = 1; i < args->size(); ++i) copies.add(*args->arg(i));
    while (VyrNode *node = copies.first) list->appendNode(copies.detach(node));
    result->setList(*list);
    return 1;
}

int32_t fnRemove(VyrArgs *args, VyrItem *result) {
    VyrList *list = listArg(args, 0);
    int32_t index;
    if (list == nullptr || !numArg(args, 1, index) || !list->remove(index)) return 0;
    result->setList(*list);
    return 1;
}

// ---- Aggregates -------------------------------------------------------------

enum class Aggregate { kMax, kMin, kSum, kAvg };

// What an element contributes: an Integer its value, a String its length,
// a List its number of elements.
int32_t measure(const VyrItem &e) {
    switch (e.type()) {
    case VyrItem::kInteger: return e.num();
    case VyrItem::kString: return e.str()->length();
    case VyrItem::kList: return static_cast<int32_t>(e.list()->count);
    default: return 0;
    }
}

int32_t aggregate(VyrArgs *args, VyrItem *result, Aggregate kind) {
    VyrList *list = listArg(args, 0);
    if (list == nullptr) return 0;
    VyrItem *head = list->walkFirstItem();
    const int32_t type = head ? head->type() : VyrItem::kNone;
    int32_t value = 0;
    if (type == VyrItem::kInteger || type == VyrItem::kString || type == VyrItem::kList) {
        value = measure(*head);
        uint32_t sum = 0;  // wraps in 32 bits
        for (VyrItem *e = head; e; e = list->walkNextItem()) {
            if (e->type() != type) continue;
            const int32_t m = measure(*e);
            if (kind == Aggregate::kMax && m > value) value = m;
            if (kind == Aggregate::kMin && m < value) value = m;
            sum += static_cast<uint32_t>(m);
        }
        if (kind == Aggregate::kSum || kind == Aggregate::kAvg) value = static_cast<int32_t>(sum);
        if (kind == Aggregate::kAvg) {
            // Over every element, skipped ones included; truncates toward 0.
            value = static_cast<int32_t>(static_cast<int64_t>(value) / static_cast<int64_t>(list->count));
        }
    }
    result->setNum(value);
    return 1;
}

int32_t fnMax(VyrArgs *args, VyrItem *result) { return aggregate(args, result, Aggregate::kMax); }
int32_t fnMin(VyrArgs *args, VyrItem *result) { return aggregate(args, result, Aggregate::kMin); }
int32_t fnSum(VyrArgs *args, VyrItem *result) { return aggregate(args, result, Aggregate::kSum); }
int32_t fnAvg(VyrArgs *args, VyrItem *result) { return aggregate(args, result, Aggregate::kAvg); }

// ---- Objects and registered types -------------------------------------------

int32_t fnObject(VyrArgs *args, VyrItem *result) {
    const VyrString *name = textArg(args, 0);
    if (name == nullptr) return 0;
    VyrRegType *type = vyrUsableRegType(name->c_str());
    if (type == nullptr) return 0;
    // Created as the interface creates a typed item: the type procedure
    // gives the new item its initial value and may change its type link.
    VyrItem item;
    item.setRegType(type);
    type->proc(nullptr, kTypeCreate, vyrHandle(&item), 0);
    result->assign(item);
    return 1;
}

int32_t fnMemberList(VyrArgs *args, VyrItem *result) {
    VyrList *list = listArg(args, 0);
    const VyrString *name = textArg(args, 1);
    if (list == nullptr || name == nullptr) return 0;
    VyrList members;
    // The walk ends at the first element that is not an object.
    for (VyrItem *e = list->walkFirstItem(); e && e->isObject(); e = list->walkNextItem()) {
        VyrNamedItem *member = e->obj()->find(name->c_str());
        if (member == nullptr) return 0;
        members.add(*member);
    }
    result->setList(std::move(members));
    return 1;
}

// ---- Type tests ---------------------------------------------------------------

template <bool (*Test)(const VyrItem &)>
int32_t typeTest(VyrArgs *args, VyrItem *result) {
    VyrItem *item = argAt(args, 0);
    if (item == nullptr) return 0;
    result->setNum(Test(*item) ? 1 : 0);
    return 1;
}

bool testNumeric(const VyrItem &i) { return i.isNumeric(); }
bool testString(const VyrItem &i) { return i.isString(); }
bool testList(const VyrItem &i) { return i.isList(); }
bool testObject(const VyrItem &i) { return i.isObject(); }

// ---- Functions still to come ------------------------------------------------

// Answers "Invalid function call": the functions of this group are
// registered so their names are known, and are filled in one by one.
int32_t notAvailable(VyrArgs *, VyrItem *) { return 0; }

// ---- Registration -------------------------------------------------------------

// No exception leaves a built-in: running out of memory makes the call fail.
template <VyrBuiltin Fn>
int32_t guarded(VyrArgs *args, VyrItem *result) {
    try {
        return Fn(args, result);
    } catch (const std::exception &) {
        return 0;
    }
}

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

// The later group (files, directories, item files, dates, prompts) keeps its
// place in the order; each entry is replaced when its function is written.
const Builtin kBuiltins[] = {
    {"COUNT", guarded<fnCount>},
    {"RESET", guarded<fnReset>},
    {"LIST", guarded<fnList>},
    {"ADD", guarded<fnAdd>},
    {"REMOVE", guarded<fnRemove>},
    {"LEN", guarded<fnLen>},
    {"SUBSTR", guarded<fnSubstr>},
    {"LEFT", guarded<fnLeft>},
    {"RIGHT", guarded<fnRight>},
    {"UPPER", guarded<fnUpper>},
    {"LOWER", guarded<fnLower>},
    {"TRIM", guarded<fnTrim>},
    {"PAD", guarded<fnPad>},
    {"SPACE", guarded<fnSpace>},
    {"TAB", guarded<fnTab>},
    {"STRING", guarded<fnString>},
    {"STR", guarded<fnStr>},
    {"VAL", guarded<fnVal>},
    {"FIND", guarded<fnFind>},
    {"REPLACE", guarded<fnReplace>},
    {"STRIP", guarded<fnStrip>},
    {"PROPER", guarded<fnProper>},
    {"PREFIX", guarded<fnPrefix>},
    {"SUFFIX", guarded<fnSuffix>},
    {"CHR", guarded<fnChr>},
    {"ASC", guarded<fnAsc>},
    {"DATE", guarded<vyrFnDate>},
    {"TIME", guarded<vyrFnTime>},
    {"PICTURE", guarded<vyrFnPicture>},
    {"STRTOLIST", guarded<fnStrToList>},
    {"LISTTOSTR", guarded<fnListToStr>},
    {"MAX", guarded<fnMax>},
    {"MIN", guarded<fnMin>},
    {"AVG", guarded<fnAvg>},
    {"SUM", guarded<fnSum>},
    {"EXIST", guarded<vyrFnExist>},
    {"REMOVEFILE", guarded<vyrFnRemoveFile>},
    {"RENAMEFILE", guarded<vyrFnRenameFile>},
    {"FDIR", guarded<vyrFnFDir>},
    {"FNAME", guarded<vyrFnFName>},
    {"FEXT", guarded<vyrFnFExt>},
    {"CURDIR", guarded<vyrFnCurDir>},
    {"CHDIR", guarded<vyrFnChDir>},
    {"MKDIR", guarded<vyrFnMkDir>},
    {"RMDIR", guarded<vyrFnRmDir>},
    {"OBJECT", guarded<fnObject>},
    {"MEMBERLIST", guarded<fnMemberList>},
    {"ISINTEGER", guarded<typeTest<testNumeric>>},
    {"ISSTRING", guarded<typeTest<testString>>},
    {"ISLIST", guarded<typeTest<testList>>},
    {"ISOBJECT", guarded<typeTest<testObject>>},
    {"LOADITEM", guarded<vyrFnLoadItem>},
    {"SAVEITEM", guarded<vyrFnSaveItem>},
    {"OPEN", guarded<vyrFnOpen>},
    {"EOF", guarded<vyrFnEof>},
    {"READ", guarded<vyrFnRead>},
    {"READLN", guarded<vyrFnReadLn>},
    {"WRITE", guarded<vyrFnWrite>},
    {"WRITELN", guarded<vyrFnWriteLn>},
    {"CLOSE", guarded<vyrFnClose>},
    {"VyrDir", guarded<vyrFnVyrDir>},
    {"VyrName", guarded<vyrFnVyrName>},
    /* later */ {"MsgBox", notAvailable},
    /* later */ {"FileDialog", notAvailable},
    /* later */ {"DirDialog", notAvailable},
    /* later */ {"Prompt", notAvailable},
};

}  // namespace

void vyrRegisterBuiltins(VyrGlobalLibrary &library) {
    for (const Constant &c : kConstants) library.symbols.addNode(new VyrNamedItem(c.name, VyrItem(c.value)));
    for (const Builtin &b : kBuiltins) {
        if (VyrHashEntry *old = library.functions.find(b.name)) library.functions.remove(old);
        library.functions.adopt(new VyrBuiltinEntry(b.name, b.fn));
    }
}

int32_t vyrBuiltinCount() { return static_cast<int32_t>(sizeof kBuiltins / sizeof kBuiltins[0]); }

const char *vyrBuiltinName(int32_t index) {
    return index >= 0 && index < vyrBuiltinCount() ? kBuiltins[index].name : nullptr;
}
