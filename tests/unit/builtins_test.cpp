// The built-in functions, called through the registered table exactly as the
// evaluator calls them: arguments as references to the caller's items, the
// result item holding the last argument's value on entry.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/symbols.h"
#include "types/registry.h"
#include "values/builtins.h"
#include "values/library.h"
#include "values/list.h"

namespace {

// ---- Building and comparing items ---------------------------------------

VyrItem I(int32_t v) { return VyrItem(v); }
VyrItem S(const char *s) { return VyrItem(s); }
VyrItem L(std::vector<VyrItem> elements = {}, int32_t sel = 0) {
    VyrList list;
    for (const VyrItem &e : elements) list.add(e);
    list.sel = sel;
    return VyrItem(list);
}
VyrItem O(const char *name, std::vector<std::pair<const char *, VyrItem>> members) {
    VyrObject obj(name);
    for (auto &m : members) obj.setMember(m.first, m.second);
    return VyrItem(obj);
}

std::string show(const VyrItem &item) {
    switch (item.type()) {
    case VyrItem::kInteger: return std::to_string(item.num());
    case VyrItem::kString: return "\"" + std::string(item.str()->c_str()) + "\"";
    case VyrItem::kList: {
        std::string s = "[";
        for (VyrItem *e = item.list()->walkFirstItem(); e; e = item.list()->walkNextItem())
            s += show(*e) + (e->next ? "," : "");
        return s + "]sel" + std::to_string(item.list()->sel);
    }
    case VyrItem::kObject: {
        std::string s = std::string(item.obj()->name.c_str()) + "{";
        for (VyrNamedItem *m = item.obj()->walkFirstItem(); m; m = item.obj()->walkNextItem())
            s += std::string(m->name.c_str()) + "=" + show(*m) + (m->next ? "," : "");
        return s + "}";
    }
    default: return "none";
    }
}

// Same type and deep-equal value (shown forms are unambiguous enough here),
// and for texts the length agrees with the characters.
bool same(const VyrItem &a, const VyrItem &b) {
    if (a.type() == VyrItem::kString &&
        a.str()->length() != static_cast<int32_t>(std::string(a.str()->c_str()).size()))
        return false;
    return show(a) == show(b);
}

struct Expect {
    bool ok;
    VyrItem value;
};
Expect Ok(VyrItem v) { return {true, std::move(v)}; }
const Expect Fail{false, VyrItem()};

class Builtins : public ::testing::Test {
protected:
    void SetUp() override { vyrRegisterBuiltins(lib); }

    // Calls a built-in with the items as by-reference arguments; the result
    // starts as a copy of the last argument, as the evaluator leaves it.
    int32_t call(const char *name, std::vector<VyrItem *> argItems, VyrItem &result) {
        auto *entry = static_cast<VyrFuncEntry *>(lib.functions.find(name));
        EXPECT_NE(entry, nullptr) << name;
        if (entry == nullptr) return -1;
        VyrArgs args(nullptr);
        for (VyrItem *a : argItems) args.addReference(a);
        if (!argItems.empty()) result.assign(*argItems.back());
        return entry->call(args, result);
    }

    VyrGlobalLibrary lib;
};

struct Case {
    const char *fn;
    std::vector<VyrItem> args;
    Expect expect;
};

class BuiltinTable : public Builtins {
public:
    void run(const std::vector<Case> &cases) {
        for (const Case &c : cases) {
            std::vector<VyrItem> args = c.args;
            std::vector<VyrItem *> refs;
            for (VyrItem &a : args) refs.push_back(&a);
            VyrItem result;
            std::string call_ = std::string(c.fn) + "(";
            for (size_t i = 0; i < c.args.size(); ++i) call_ += show(c.args[i]) + (i + 1 < c.args.size() ? ", " : "");
            call_ += ")";
            int32_t ok = call(c.fn, refs, result);
            if (!c.expect.ok) {
                EXPECT_EQ(ok, 0) << call_ << " should fail, gave " << show(result);
                continue;
            }
            EXPECT_NE(ok, 0) << call_ << " failed";
            EXPECT_TRUE(same(result, c.expect.value))
                << call_ << " gave " << show(result) << ", expected " << show(c.expect.value);
        }
    }
};

}  // namespace

TEST_F(BuiltinTable, StringFunctions) {
    run({
        {"LEN", {S("abc")}, Ok(I(3))},
        {"LEN", {S("abc"), I(5)}, Ok(I(3))},  // surplus arguments are ignored
        {"LEN", {S("")}, Ok(I(0))},
        {"LEN", {I(3)}, Fail},
        {"LEN", {}, Fail},

        {"SUBSTR", {S("abc"), I(1)}, Ok(S("bc"))},
        {"SUBSTR", {S("abc"), I(1), I(10)}, Ok(S("bc"))},
        {"SUBSTR", {S("abc"), I(0), I(2)}, Ok(S("ab"))},
        {"SUBSTR", {S("abc"), I(1), I(0)}, Ok(S(""))},
        {"SUBSTR", {S("abc"), I(1), I(-1)}, Ok(S(""))},          // a negative count takes nothing
        {"SUBSTR", {S("abc"), I(1), S("x")}, Ok(S("bc"))},       // wrong-typed count is missing
        {"SUBSTR", {S("abcd"), L({I(1), I(2), I(3)}, 2)}, Ok(S("cd"))},  // list: its selection
        {"SUBSTR", {S("abc"), I(3)}, Fail},
        {"SUBSTR", {S("abc"), I(-1)}, Fail},
        {"SUBSTR", {S(""), I(0)}, Fail},
        {"SUBSTR", {S("abc")}, Fail},
        {"SUBSTR", {S("abc"), S("1")}, Fail},

        {"LEFT", {S("abc"), I(2)}, Ok(S("ab"))},
        {"LEFT", {S("abc"), I(9)}, Ok(S("abc"))},
        {"LEFT", {S("abc"), I(0)}, Fail},
        {"LEFT", {S("abc")}, Fail},
        {"RIGHT", {S("abc"), I(2)}, Ok(S("bc"))},
        {"RIGHT", {S("abc"), I(5)}, Ok(S("abc"))},
        {"RIGHT", {S("abc"), I(-1)}, Fail},

        {"UPPER", {S("aBc1_z")}, Ok(S("ABC1_Z"))},
        {"LOWER", {S("AbC1_Z")}, Ok(S("abc1_z"))},
        {"UPPER", {I(1)}, Fail},
        {"TRIM", {S("\t  a b \r\n")}, Ok(S("a b"))},
        {"TRIM", {S(" \x01\x1f ")}, Ok(S(""))},
        {"TRIM", {L()}, Fail},

        {"PAD", {S("hello"), I(3)}, Ok(S("hel"))},
        {"PAD", {S("hi"), I(4), S("-x")}, Ok(S("hi--"))},
        {"PAD", {S("hi"), I(4)}, Ok(S("hi  "))},
        {"PAD", {S("hi"), I(4), I(7)}, Ok(S("hi  "))},   // non-text fill: a blank
        {"PAD", {S("hi"), I(4), S("")}, Ok(S("hi  "))},  // empty fill: a blank, length kept
        {"PAD", {S("hi"), I(0)}, Fail},
        {"PAD", {S("hi")}, Fail},

        {"SPACE", {}, Ok(S(" "))},
        {"SPACE", {S("x")}, Ok(S(" "))},
        {"SPACE", {I(3)}, Ok(S("   "))},
        {"SPACE", {I(0)}, Ok(S(""))},
        {"SPACE", {I(-4)}, Ok(S(""))},
        {"SPACE", {I(0x7fffffff)}, Fail},  // beyond any sensible text: refused, not attempted
        {"TAB", {I(2)}, Ok(S("\t\t"))},
        {"TAB", {}, Ok(S("\t"))},
        {"STRING", {S("xyz"), I(3)}, Ok(S("xxx"))},
        {"STRING", {S("xyz")}, Ok(S("x"))},
        {"STRING", {S(""), I(3)}, Ok(S(""))},  // no character to repeat
        {"STRING", {I(65)}, Fail},

        {"STR", {I(-42)}, Ok(S("-42"))},
        {"STR", {I(0)}, Ok(S("0"))},
        {"STR", {L({I(1), I(2), I(3)}, 2)}, Ok(S("2"))},
        {"STR", {S("1")}, Fail},
        {"VAL", {S("  -42abc")}, Ok(I(-42))},
        {"VAL", {S("abc")}, Ok(I(0))},
        {"VAL", {S("+7")}, Ok(I(7))},
        {"VAL", {I(7)}, Fail},

        {"FIND", {S("Hello"), S("l")}, Ok(I(2))},
        {"FIND", {S("Hello"), S("hello")}, Ok(I(-1))},
        {"FIND", {S("Hello"), S("")}, Ok(I(0))},
        {"FIND", {L({S("3"), I(3)}), I(3)}, Ok(I(1))},
        {"FIND", {L({I(3), S("3")}), S("3")}, Ok(I(1))},
        {"FIND", {L({S("a"), S("A")}), S("A")}, Ok(I(1))},
        {"FIND", {L({I(1)}), I(2)}, Ok(I(-1))},
        {"FIND", {L(), S("x")}, Ok(I(-1))},
        {"FIND", {L({L()}), L()}, Fail},  // only integers and texts are looked for
        {"FIND", {S("abc"), I(1)}, Fail},
        {"FIND", {I(1), I(1)}, Fail},
        {"FIND", {S("abc")}, Fail},

        {"REPLACE", {S("aab"), S("ab"), S("b")}, Ok(S("b"))},  // replacements combine
        {"REPLACE", {S("a.b.c"), S("."), S("::")}, Ok(S("a::b::c"))},
        {"REPLACE", {S("aaaa"), S("aa"), S("a")}, Ok(S("a"))},
        {"REPLACE", {S("x"), S("y"), S("z")}, Ok(S("x"))},
        {"REPLACE", {S("a\r\nb\r\n"), S("\r"), S("")}, Ok(S("a\nb\n"))},
        {"REPLACE", {S("aab"), S("ab"), S("ba")}, Ok(S("baa"))},
        // New text containing the old: each original occurrence once.
        {"REPLACE", {S("a-b-"), S("-"), S("--")}, Ok(S("a--b--"))},
        {"REPLACE", {S("aXa"), S("a"), S("a")}, Ok(S("aXa"))},
        {"REPLACE", {S("abc"), S(""), S("x")}, Fail},  // an empty old text is refused
        {"REPLACE", {S("abc"), S("b"), I(1)}, Fail},
        {"REPLACE", {S("abc"), S("b")}, Fail},

        {"STRIP", {S("1st-Name 2")}, Ok(S("stName2"))},
        {"STRIP", {S("123")}, Ok(S(""))},
        {"STRIP", {S("_a1")}, Ok(S("_a1"))},
        {"STRIP", {S("\xe9t\xe9")}, Ok(S("t"))},  // only ASCII letters
        {"PROPER", {S("hello wORLD-foo 2nd")}, Ok(S("Hello World-Foo 2nd"))},
        {"PROPER", {S("o'neil x_y")}, Ok(S("O'Neil X_Y"))},
        {"PROPER", {S("")}, Ok(S(""))},

        {"PREFIX", {S("Hello"), S("HELP")}, Ok(I(3))},
        {"PREFIX", {S("Hello"), S("HELP"), I(1)}, Ok(I(1))},
        {"PREFIX", {S("Hello"), S("HELP"), S("x")}, Ok(I(3))},
        {"PREFIX", {S("ab"), S("abc")}, Ok(I(2))},
        {"PREFIX", {S(""), S("abc")}, Ok(I(0))},
        {"PREFIX", {S("[a"), S("{A")}, Ok(I(0))},  // only letters fold
        {"SUFFIX", {S("file.TXT"), S(".txt")}, Ok(I(4))},
        {"SUFFIX", {S("file.TXT"), S(".txt"), I(1)}, Ok(I(0))},
        {"SUFFIX", {S("a.TXT"), S("b.TXT"), I(1)}, Ok(I(4))},
        {"SUFFIX", {S("abc"), S("c")}, Ok(I(1))},
        {"SUFFIX", {S("abc"), I(1)}, Fail},

        {"CHR", {I(65)}, Ok(S("A"))},
        {"CHR", {I(65 + 256), I(3)}, Ok(S("AAA"))},  // the low 8 bits
        {"CHR", {I(0)}, Ok(S(""))},                  // code 0 cannot be held
        {"CHR", {S("A")}, Fail},
        {"ASC", {S("xyz")}, Ok(S("x"))},
        {"ASC", {S("")}, Ok(S(""))},
        {"ASC", {I(1)}, Fail},

        {"STRTOLIST", {S("a,b,,c,"), S(",")}, Ok(L({S("a"), S("b"), S(""), S("c")}))},
        {"STRTOLIST", {S(",a"), S(",")}, Ok(L({S(""), S("a")}))},
        {"STRTOLIST", {S(""), S(",")}, Ok(L())},
        {"STRTOLIST", {S("a::b"), S("::")}, Ok(L({S("a"), S("b")}))},
        {"STRTOLIST", {S("abc"), S(",")}, Ok(L({S("abc")}))},
        {"STRTOLIST", {S("abc"), S("")}, Fail},  // an empty separator is refused
        {"STRTOLIST", {S("abc")}, Fail},
        {"LISTTOSTR", {L({I(1), S("x"), L(), I(2)}), S("-")}, Ok(S("1-x--2"))},
        {"LISTTOSTR", {L(), S("-")}, Ok(S(""))},
        {"LISTTOSTR", {L({I(-3)}), S("-")}, Ok(S("-3"))},
        {"LISTTOSTR", {L({I(1)}), I(0)}, Fail},
        {"LISTTOSTR", {S("a"), S("-")}, Fail},
    });
}

TEST_F(BuiltinTable, ListNumberAndTypeFunctions) {
    VyrItem pt1 = O("Pt", {{"Name", S("a")}, {"x", I(1)}});
    VyrItem pt2 = O("Pt", {{"NAME", S("b")}});
    VyrItem noName = O("Pt", {{"x", I(2)}});
    run({
        {"COUNT", {L()}, Ok(I(0))},
        {"COUNT", {L({I(1), S("a"), L()})}, Ok(I(3))},
        {"COUNT", {I(3)}, Fail},
        {"LIST", {}, Ok(L())},
        {"LIST", {I(1), S("a"), L({I(2)}, 0)}, Ok(L({I(1), S("a"), L({I(2)})}))},
        {"ADD", {L({I(1)}, 0), I(2), S("x")}, Ok(L({I(1), I(2), S("x")}))},
        {"ADD", {L({}, 0), L({I(1)})}, Ok(L({L({I(1)})}))},  // a list is one element
        {"ADD", {L()}, Fail},
        {"ADD", {I(3), I(4)}, Fail},
        {"REMOVE", {L({I(1), I(2), I(3)}, 2), I(0)}, Ok(L({I(2), I(3)}, 2))},  // selection not shifted
        {"REMOVE", {L({I(1), I(2)}, 1), I(1)}, Ok(L({I(1)}, 1))},             // ... becomes the count
        {"REMOVE", {L({I(1), I(2)}), I(2)}, Fail},
        {"REMOVE", {L({I(1), I(2)}), I(-1)}, Fail},
        {"REMOVE", {L({I(1)})}, Fail},
        {"RESET", {L({I(1), I(2)}, 1)}, Ok(L({}, 1))},
        {"RESET", {S("x")}, Fail},

        {"MAX", {L({I(3), S("hello"), I(9)})}, Ok(I(9))},
        {"MAX", {L({S("ab"), S("abcd")})}, Ok(I(4))},
        {"MAX", {L({I(-5), I(-2)})}, Ok(I(-2))},
        {"MIN", {L({I(5), I(-2), I(7)})}, Ok(I(-2))},
        {"MIN", {L({L({I(1), I(2)}, 1), L()})}, Ok(I(0))},  // element counts, not selections
        {"MAX", {L()}, Ok(I(0))},
        {"MAX", {L({O("o", {}), I(5)})}, Ok(I(0))},  // first type measures nothing
        {"SUM", {L({L({I(1), I(2)}), L({I(1)}), I(100)})}, Ok(I(3))},
        {"SUM", {L({I(0x7fffffff), I(1)})}, Ok(I(INT32_MIN))},  // wraps in 32 bits
        {"SUM", {L({S("ab"), S("c")})}, Ok(I(3))},
        {"AVG", {L({I(1), I(2), S("x")})}, Ok(I(1))},
        {"AVG", {L({I(-7), I(0)})}, Ok(I(-3))},
        {"AVG", {L()}, Ok(I(0))},
        {"SUM", {I(1)}, Fail},
        {"AVG", {}, Fail},

        {"MEMBERLIST", {L({pt1, pt2}), S("name")}, Ok(L({S("a"), S("b")}))},
        {"MEMBERLIST", {L({pt1, I(2), noName}), S("Name")}, Ok(L({S("a")}))},  // stops at a non-object
        {"MEMBERLIST", {L({pt1, noName}), S("Name")}, Fail},
        {"MEMBERLIST", {L(), S("Name")}, Ok(L())},
        {"MEMBERLIST", {L({pt1}), I(1)}, Fail},
        {"MEMBERLIST", {pt1, S("Name")}, Fail},

        {"ISINTEGER", {I(1)}, Ok(I(1))},
        {"ISINTEGER", {L()}, Ok(I(1))},
        {"ISINTEGER", {S("1")}, Ok(I(0))},
        {"ISSTRING", {S("")}, Ok(I(1))},
        {"ISSTRING", {I(1)}, Ok(I(0))},
        {"ISSTRING", {}, Fail},
        {"ISLIST", {L()}, Ok(I(1))},
        {"ISLIST", {I(1)}, Ok(I(0))},
        {"ISOBJECT", {pt1}, Ok(I(1))},
        {"ISOBJECT", {VyrItem()}, Ok(I(0))},
        {"ISOBJECT", {}, Fail},

        {"OBJECT", {S("NoSuchType")}, Fail},
        {"OBJECT", {S("")}, Fail},
        {"OBJECT", {I(1)}, Fail},
    });
}

// The first argument is the caller's variable: the list changes in place
// and the result is a separate copy of it.
TEST_F(Builtins, ListChangesReachTheCallersVariable) {
    VyrItem x = L();
    VyrItem one = I(1), two = I(2), result;
    ASSERT_EQ(call("ADD", {&x, &one, &two}, result), 1);
    EXPECT_EQ(show(x), "[1,2]sel0");
    EXPECT_EQ(show(result), show(x));
    EXPECT_NE(result.list(), x.list());

    // Adding the list to itself appends it as it was before the call, once.
    ASSERT_EQ(call("ADD", {&x, &x, &x}, result), 1);
    EXPECT_EQ(show(x), "[1,2,[1,2]sel0,[1,2]sel0]sel0");

    VyrItem index = I(2);
    VyrItem small = L({I(1), I(2)}, 1);
    const std::string before = show(small);
    EXPECT_EQ(call("REMOVE", {&small, &index}, result), 0);
    EXPECT_EQ(show(small), before);  // a failed removal changes nothing
    index.setNum(0);
    ASSERT_EQ(call("REMOVE", {&small, &index}, result), 1);
    EXPECT_EQ(show(small), "[2]sel1");

    VyrItem full = L({I(1), I(2)}, 1);
    ASSERT_EQ(call("RESET", {&full}, result), 1);
    EXPECT_EQ(show(full), "[]sel1");
    EXPECT_EQ(show(result), "[]sel1");

    // A value taken from the list itself is appended as it was.
    VyrItem y = L({S("a")});
    ASSERT_EQ(call("ADD", {&y, y.list()->itemAt(0)}, result), 1);
    EXPECT_EQ(show(y), "[\"a\",\"a\"]sel0");
}

TEST_F(Builtins, RegistersConstantsThenEveryFunctionInOrder) {
    const char *constants[] = {"FALSE", "TRUE", "O_READ", "O_WRITE", "O_APPEND"};
    const int32_t values[] = {0, 1, 0, 1, 2};
    ASSERT_EQ(lib.symbols.count, 5u);
    int i = 0;
    for (VyrNamedItem *s = lib.symbols.walkFirstItem(); s; s = lib.symbols.walkNextItem(), ++i) {
        EXPECT_STREQ(s->name.c_str(), constants[i]);
        EXPECT_EQ(s->type(), VyrItem::kInteger);
        EXPECT_EQ(s->num(), values[i]);
    }

    const char *order[] = {
        "COUNT", "RESET", "LIST", "ADD", "REMOVE", "LEN", "SUBSTR", "LEFT", "RIGHT", "UPPER", "LOWER",
        "TRIM", "PAD", "SPACE", "TAB", "STRING", "STR", "VAL", "FIND", "REPLACE", "STRIP", "PROPER",
        "PREFIX", "SUFFIX", "CHR", "ASC", "DATE", "TIME", "PICTURE", "STRTOLIST", "LISTTOSTR", "MAX",
        "MIN", "AVG", "SUM", "EXIST", "REMOVEFILE", "RENAMEFILE", "FDIR", "FNAME", "FEXT", "CURDIR",
        "CHDIR", "MKDIR", "RMDIR", "OBJECT", "MEMBERLIST", "ISINTEGER", "ISSTRING", "ISLIST", "ISOBJECT",
        "LOADITEM", "SAVEITEM", "OPEN", "EOF", "READ", "READLN", "WRITE", "WRITELN", "CLOSE", "VyrDir",
        "VyrName", "MsgBox", "FileDialog", "DirDialog", "Prompt"};
    ASSERT_EQ(vyrBuiltinCount(), 66);
    EXPECT_EQ(lib.functions.count(), 66u);
    for (int32_t k = 0; k < 66; ++k) {
        EXPECT_STREQ(vyrBuiltinName(k), order[k]) << k;
        EXPECT_NE(lib.functions.find(order[k]), nullptr) << order[k];
    }
    EXPECT_EQ(vyrBuiltinName(66), nullptr);
    // Names are found ignoring case.
    EXPECT_NE(lib.functions.find("strtolist"), nullptr);

    // Registering again replaces the entries instead of doubling them.
    vyrRegisterBuiltins(lib);
    EXPECT_EQ(lib.functions.count(), 66u);
}

// OBJECT creates the item through the type's procedure, which gives it its
// value; the name must match exactly and the type must have a procedure.
// A type procedure (the driver's calling convention, so not a lambda).
int32_t VYRAPI flagTypeProc(VYRHWND, int32_t command, HVYRITEM item, int32_t) {
    if (command != kTypeCreate) return 0;
    VyrItem *it = vyrItem(item);
    VyrRegType *link = it->regType();
    it->setObj(VyrObject("Flag"));
    it->setRegType(link);  // keeps its type, as a driver binding its object does
    return 1;
}

TEST_F(Builtins, ObjectCreatesAnItemOfARegisteredType) {
    VyrNodeList &types = vyrRegTypes();
    auto proc = flagTypeProc;
    auto *flag = static_cast<VyrRegType *>(types.append(VyrRegType("Flag", proc)));
    auto *bare = static_cast<VyrRegType *>(types.append(VyrRegType("Bare", nullptr)));

    VyrItem name = S("Flag"), result = I(5);
    ASSERT_EQ(call("OBJECT", {&name}, result), 1);
    EXPECT_EQ(show(result), "Flag{}");
    EXPECT_EQ(result.regType(), flag);

    for (const char *bad : {"flag", "Bare", "Flag "}) {
        VyrItem n = S(bad);
        EXPECT_EQ(call("OBJECT", {&n}, result), 0) << bad;
    }
    types.unlink(flag);
    types.unlink(bare);
}
