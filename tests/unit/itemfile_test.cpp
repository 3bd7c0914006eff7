// Item files: the exact bytes SAVEITEM writes, what LOADITEM makes of
// well-formed and malformed files, and the two built-ins' results.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/symbols.h"
#include "core/textfile.h"
#include "platform/platform.h"
#include "scratch_dir.h"
#include "types/registry.h"
#include "values/builtins.h"
#include "values/itemfile.h"
#include "values/library.h"
#include "values/list.h"

namespace {

VyrItem I(int32_t v) { return VyrItem(v); }
VyrItem S(const std::string &s) { return VyrItem(s.c_str()); }
VyrItem L(std::vector<VyrItem> elements = {}, int32_t sel = 0) {
    VyrList list;
    for (const VyrItem &e : elements) list.add(e);
    list.sel = sel;
    return VyrItem(list);
}
VyrItem O(const char *name, std::vector<std::pair<const char *, VyrItem>> members = {}) {
    VyrObject obj(name);
    // Appended one by one, so duplicate names stay as given.
    for (auto &m : members) obj.addNode(new VyrNamedItem(m.first, m.second));
    return VyrItem(obj);
}
VyrItem Typed(VyrItem item, VyrRegType *type) {
    item.setRegType(type);
    return item;
}

// An unambiguous picture of an item: type, value, selection, member names
// and registered type.
std::string show(const VyrItem &item) {
    std::string s;
    switch (item.type()) {
    case VyrItem::kInteger: s = std::to_string(item.num()); break;
    case VyrItem::kString: s = "'" + std::string(item.str()->c_str()) + "'"; break;
    case VyrItem::kList: {
        s = "[";
        for (const VyrNode *n = item.list()->first; n; n = n->next)
            s += show(*static_cast<const VyrItem *>(n)) + (n->next ? "," : "");
        s += "]@" + std::to_string(item.list()->sel);
        break;
    }
    case VyrItem::kObject: {
        s = std::string(item.obj()->name.c_str()) + "{";
        for (const VyrNode *n = item.obj()->first; n; n = n->next) {
            auto *m = static_cast<const VyrNamedItem *>(n);
            s += std::string(m->name.c_str()) + "=" + show(*m) + (n->next ? "," : "");
        }
        s += "}";
        break;
    }
    default: s = "none"; break;
    }
    if (item.regType()) s += "<" + std::string(item.regType()->name.c_str()) + ">";
    return s;
}

class ItemFiles : public ::testing::Test {
protected:
    void SetUp() override { vyrRegisterBuiltins(lib); }
    void TearDown() override {
        plat::setFileFaultHook(nullptr, nullptr);
        while (vyrRegTypes().first) vyrRegTypes().unlink(vyrRegTypes().first);
    }
    VyrRegType *registerType(const char *name) {
        return static_cast<VyrRegType *>(vyrRegTypes().append(VyrRegType(name, nullptr)));
    }

    // Calls a built-in; result holds `result` on entry.
    int32_t call(const char *name, std::vector<VyrItem> argItems, VyrItem &result) {
        auto *entry = static_cast<VyrFuncEntry *>(lib.functions.find(name));
        EXPECT_NE(entry, nullptr) << name;
        if (entry == nullptr) return -1;
        VyrArgs args(nullptr);
        for (VyrItem &a : argItems) args.addCopy(a);
        return entry->call(args, result);
    }
    std::string save(const VyrItem &item) {
        std::string path = dir.path("item.dat");
        VyrItem r;
        EXPECT_EQ(call("SAVEITEM", {S(path), item}, r), 1);
        EXPECT_EQ(show(r), "1");
        return ScratchDir::read(path);
    }
    VyrItem load(const std::string &bytes) {
        std::string path = dir.write("load.dat", bytes);
        VyrItem r(7);
        EXPECT_EQ(call("LOADITEM", {S(path)}, r), 1);
        return r;
    }

    VyrGlobalLibrary lib;
    ScratchDir dir;
};

struct ExactCase {
    VyrItem item;
    std::string bytes;
};

TEST_F(ItemFiles, WrittenByteForByteAndReadBack) {
    VyrRegType *font = registerType("Font");
    const ExactCase cases[] = {
        {I(-12), "(i:-12)"},
        {I(0), "(i:0)"},
        {I(INT32_MIN), "(i:-2147483648)"},
        {S("\t\"\\"), "(s:\"\\t\\\"\\\\\")"},
        {S("\b\n\r'x\xE9{}(),:"), "(s:\"\\b\\n\\r'x\xE9{}(),:\")"},
        {S(""), "(s:\"\")"},
        {VyrItem(), "()"},
        {L(), "(L:{0})"},
        {L({VyrItem()}), "(L:{0,()})"},
        {O("O"), "(O:(\"O\":{}))"},
        {L({I(5), S("a\"b"), O("Pt", {{"X", I(1)}, {"Y", I(2)}})}, 1),
         "(L:{1,(i:5),(s:\"a\\\"b\"),(O:(\"Pt\":{(\"X\":(i:1)),(\"Y\":(i:2))}))})"},
        {L({I(1), I(2), I(3), I(4)}, 3), "(L:{3,(i:1),(i:2),(i:3),(i:4)})"},
        {O("a\"b\\c", {{"m\"1", L({L({O("in", {{"z", VyrItem()}})})})}}),
         "(O:(\"a\\\"b\\\\c\":{(\"m\\\"1\":(L:{0,(L:{0,(O:(\"in\":{(\"z\":())}))})}))}))"},
        {Typed(O("F", {{"Size", I(10)}}), font), "(O:(\"F\":{(\"Size\":(i:10))}),\"Font\")"},
        {Typed(VyrItem(), font), "(,\"Font\")"},
        {L({Typed(I(1), font), I(2)}), "(L:{0,(i:1,\"Font\"),(i:2)})"},
    };
    for (const ExactCase &c : cases) {
        EXPECT_EQ(save(c.item), c.bytes) << show(c.item);
        EXPECT_EQ(show(load(c.bytes)), show(c.item)) << c.bytes;
    }
}

TEST_F(ItemFiles, UnregisteredTypeNamesAreDropped) {
    registerType("Font");
    VyrItem loaded = load("(O:(\"F\":{(\"Size\":(i:10))}),\"Color\")");
    EXPECT_EQ(show(loaded), "F{Size=10}");
    // Type names match exactly, case included.
    EXPECT_EQ(show(load("(i:1,\"font\")")), "1");
    EXPECT_EQ(show(load("(i:1,\"Font\")")), "1<Font>");
}

TEST_F(ItemFiles, LongTextsAndNamesSurviveWhole) {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += i % 3 ? "a" : "\"\\";  // escapes fall across buffer fills
    std::string name(300, 'n');
    VyrItem item = L({S(text), O(name.c_str(), {{name.c_str(), S(std::string(40000, 'q'))}})});
    std::string bytes = save(item);
    EXPECT_GT(bytes.size(), 3u * 4096);
    EXPECT_EQ(show(load(bytes)), show(item));
}

struct ReadCase {
    std::string bytes;
    std::string expect;  // show() of the loaded item
};

TEST_F(ItemFiles, MalformedFilesGiveWhatWasComplete) {
    const ReadCase cases[] = {
        {"", "none"},
        {"garbage", "none"},
        {"(i: 42)", "42"},  // white space before the digits
        {"( i:42)", "none"},
        {"(i:+7)", "7"},
        {"(i:12abc)", "12"},
        {"(i:99999999999)", "2147483647"},
        {"(i5)", "none"},
        {"(x:5)", "none"},
        {"(s:abc)", "none"},
        {"(s:\"open", "'open'"},
        {"(s:\"\\q\\x\\\\\")", "'qx\\'"},
        {"(s:\"line\r\nbreak\")", "'line\r\nbreak'"},
        {std::string("(s:\"a\0b\")", 9), "'ab'"},
        {"(i:1)(i:2)", "1"},
        {"(L:{2,(i:1),(i:2)", "[1,2]@2"},
        {"(L:{0,(i:1),(s:\"ab", "[1,'ab']@0"},
        {"(L:{9})", "[]@9"},
        {"(L:{-3,(i:1)})", "[1]@-3"},
        {"(L:5)", "[]@0"},
        {"(L:{0,junk,(i:1)})", "[none]@0"},
        {"(O:(\"P\":{(\"a\":(i:1)),(\"a\":(i:2))}))", "P{a=1,a=2}"},
        {"(O:(\"P\"", "P{}"},
        {"(O:(P", "{}"},
        {"(O:(\"P\":{(\"a\":(i:1)),(b)}))", "P{a=1}"},
        {"(O:(\"P\":{(\"a\":", "P{a=none}"},
        {"(,\"Nope\")", "none"},
        {"(i:1,\"Nope", "1"},
        {"(L:{0,(O:(\"Q\":{}))", "[Q{}]@0"},
    };
    for (const ReadCase &c : cases) EXPECT_EQ(show(load(c.bytes)), c.expect) << c.bytes;
}

TEST_F(ItemFiles, DeepNestingStopsWithoutCrashing) {
    const int deep = kVyrItemFileMaxDepth + 500;
    std::string open, close;
    for (int i = 0; i < deep; ++i) {
        open += "(L:{0,";
        close += "})";
    }
    VyrItem loaded = load(open + "(i:1)" + close);
    int depth = 0;
    for (const VyrItem *it = &loaded; it && it->isList(); it = static_cast<const VyrItem *>(it->list()->first))
        ++depth;
    EXPECT_EQ(depth, kVyrItemFileMaxDepth);

    // Exactly at the limit everything is read.
    open.clear();
    close.clear();
    for (int i = 0; i < kVyrItemFileMaxDepth; ++i) {
        open += "(O:(\"o\":{(\"m\":";
        close += ")}))";
    }
    std::string bytes = open + "(i:1)" + close;
    EXPECT_TRUE(save(load(bytes)) == bytes);  // too long to print

    EXPECT_EQ(show(load(std::string(200000, '('))), "none");
    std::string unclosed;
    for (int i = 0; i < 100000; ++i) unclosed += "(L:{0,";
    load(unclosed);  // must simply come back
}

TEST_F(ItemFiles, BuiltinArgumentsAndFileFailures) {
    VyrItem r(7);
    EXPECT_EQ(call("LOADITEM", {S(dir.path("missing.dat"))}, r), 0);
    EXPECT_EQ(show(r), "7");  // unchanged
    EXPECT_EQ(call("LOADITEM", {I(1)}, r), 0);
    EXPECT_EQ(call("LOADITEM", {}, r), 0);
    EXPECT_EQ(show(load("")), "none");

    EXPECT_EQ(call("SAVEITEM", {S(dir.path("x.dat"))}, r), 0);  // no item
    EXPECT_EQ(call("SAVEITEM", {I(1), I(2)}, r), 0);
    EXPECT_FALSE(plat::fileExists(dir.path("x.dat").c_str()));

    // A file that cannot be created is a 0 result, not a failed call.
    r = I(7);
    EXPECT_EQ(call("SAVEITEM", {S(dir.path("no-dir/x.dat")), I(1)}, r), 1);
    EXPECT_EQ(show(r), "0");

    // Saving replaces the whole file.
    std::string path = dir.write("over.dat", std::string(100, 'x'));
    EXPECT_EQ(call("SAVEITEM", {S(path), I(3)}, r), 1);
    EXPECT_EQ(ScratchDir::read(path), "(i:3)");

}

// A save that fails at any step gives 0 and leaves the previous item file
// byte for byte as it was, with no temporary file and no file left open.
TEST_F(ItemFiles, FailedSaveKeepsThePreviousFile) {
    struct Case {
        const char *what;
        VyrItem item;
        bool (*fail)(const plat::FileCallInfo &c, int32_t &writes);
    };
    const std::string big(10000, 'x');  // three buffers' worth: several writes
    const Case cases[] = {
        {"every write refused, small item written by the last flush", I(1),
         [](const plat::FileCallInfo &c, int32_t &) { return c.call == plat::kCallWrite; }},
        {"disk full after the first buffer", S(big),
         [](const plat::FileCallInfo &c, int32_t &writes) { return c.call == plat::kCallWrite && ++writes > 1; }},
        {"data not flushed to the disk", I(1),
         [](const plat::FileCallInfo &c, int32_t &) { return c.call == plat::kCallSync; }},
        {"no new file in the directory", I(1),
         [](const plat::FileCallInfo &c, int32_t &) { return c.call == plat::kCallCreateUnique; }},
        {"new file cannot take the old one's place", I(1),
         [](const plat::FileCallInfo &c, int32_t &) { return c.call == plat::kCallReplace; }},
        {"existing file may not be written", I(1),
         [](const plat::FileCallInfo &c, int32_t &) {
             return c.call == plat::kCallOpen && c.mode == plat::kOpenWrite;
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir scratch;
        const std::string previous = "(L:{1,(s:\"kept\"),(i:42)})";
        const std::string path = scratch.write("settings.dat", previous);
        struct Hook {
            const Case *c;
            int32_t writes = 0;
            int32_t hits = 0;
        } hook{&c};
        plat::setFileFaultHook(
            [](const plat::FileCallInfo &call, void *context) {
                Hook *h = static_cast<Hook *>(context);
                bool hit = h->c->fail(call, h->writes);
                h->hits += hit;
                return hit;
            },
            &hook);
        const int32_t filesBefore = plat::openFileCount();
        VyrItem r(7);
        const int32_t called = call("SAVEITEM", {S(path), c.item}, r);
        plat::setFileFaultHook(nullptr, nullptr);
        EXPECT_GT(hook.hits, 0);
        EXPECT_EQ(called, 1);
        EXPECT_EQ(show(r), "0");
        EXPECT_EQ(ScratchDir::read(path), previous);
        EXPECT_EQ(plat::openFileCount(), filesBefore);
        std::vector<std::string> names;
        for (const auto &e : std::filesystem::directory_iterator(scratch.path("")))
            names.push_back(e.path().filename().string());
        EXPECT_EQ(names, std::vector<std::string>{"settings.dat"});
    }

    // Without faults the same save goes through and leaves only the file.
    ScratchDir scratch;
    const std::string path = scratch.write("settings.dat", "(i:1)");
    VyrItem r(7);
    EXPECT_EQ(call("SAVEITEM", {S(path), S(big)}, r), 1);
    EXPECT_EQ(show(r), "1");
    EXPECT_EQ(ScratchDir::read(path), "(s:\"" + big + "\")");
    int files = 0;
    for ([[maybe_unused]] const auto &e : std::filesystem::directory_iterator(scratch.path(""))) ++files;
    EXPECT_EQ(files, 1);
}

}  // namespace
