// White-box tests of items, lists, name tables and objects: deep copies,
// aliasing between a value and its own parts, selection rules, the shared
// cursor, scopes and registered-type links.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "types/registry.h"
#include "values/item.h"
#include "values/list.h"

namespace {

std::vector<std::string> names(VyrNameTable &t) {
    std::vector<std::string> v;
    for (VyrNode *n = t.first; n; n = n->next) v.push_back(static_cast<VyrNamedItem *>(n)->name.c_str());
    return v;
}

// An item holding List[ Object "o" { inner: List[1, "x"], n: 5 }, "s" ].
VyrItem nested() {
    VyrList inner;
    inner.addNum(1);
    inner.addStr("x");
    inner.setSel(1);
    VyrObject o("o");
    o.setMemberList("inner", inner);
    o.setMemberNum("n", 5);
    VyrList outer;
    outer.addObj(o);
    outer.addStr("s");
    return VyrItem(outer);
}

}  // namespace

TEST(Item, CopiesAreDeepAtEveryLevel) {
    VyrItem original = nested();
    VyrItem cloned;
    cloned.assign(original);
    VyrItem *viaClone = static_cast<VyrItem *>(original.clone());

    // Change every level of the original.
    VyrObject *o = original.list()->itemAt(0)->obj();
    VyrList *inner = o->find("inner")->list();
    inner->itemAt(1)->setStr("changed");
    inner->setSel(0);
    o->setMemberNum("n", 6);
    o->name = "renamed";
    original.list()->itemAt(1)->setNum(9);

    for (VyrItem *copy : {&cloned, viaClone}) {
        ASSERT_TRUE(copy->isList());
        EXPECT_EQ(copy->list()->count, 2u);
        VyrObject *co = copy->list()->itemAt(0)->obj();
        ASSERT_NE(co, nullptr);
        EXPECT_NE(co, o);
        EXPECT_STREQ(co->name.c_str(), "o");
        EXPECT_EQ(co->find("N")->num(), 5);
        VyrList *ci = co->find("INNER")->list();
        EXPECT_EQ(ci->sel, 1);
        EXPECT_STREQ(ci->itemAt(1)->str()->c_str(), "x");
        EXPECT_STREQ(copy->list()->itemAt(1)->str()->c_str(), "s");
    }
    viaClone->destroy();
}

TEST(Item, AssignFromItselfOrFromItsOwnParts) {
    VyrItem a = nested();
    a.assign(a);
    ASSERT_TRUE(a.isList());
    EXPECT_EQ(a.list()->count, 2u);

    // a = a[1]: the source lives inside the value being replaced.
    a.assign(*a.list()->itemAt(1));
    ASSERT_TRUE(a.isString());
    EXPECT_STREQ(a.str()->c_str(), "s");

    // a[0] = a: the target lives inside the source.
    VyrItem b = nested();
    b.list()->itemAt(0)->assign(b);
    ASSERT_TRUE(b.list()->itemAt(0)->isList());
    EXPECT_EQ(b.list()->itemAt(0)->list()->count, 2u);
    EXPECT_TRUE(b.list()->itemAt(0)->list()->itemAt(0)->isObject());

    // Setting an item from its own list, object or text.
    VyrItem c = nested();
    c.setList(*c.list());
    EXPECT_EQ(c.list()->count, 2u);
    VyrItem d(VyrObject("obj"));
    d.obj()->setMemberNum("m", 1);
    d.setObj(*d.obj());
    EXPECT_STREQ(d.obj()->name.c_str(), "obj");
    EXPECT_EQ(d.obj()->find("m")->num(), 1);
    VyrItem e("abcdef");
    e.setStr(e.str()->c_str() + 2);
    EXPECT_STREQ(e.str()->c_str(), "cdef");
    e.setStr(*e.str());
    EXPECT_STREQ(e.str()->c_str(), "cdef");
}

TEST(Item, ViewsAndNumericRule) {
    VyrItem none, num(42), text("t"), list{VyrList()}, obj{VyrObject("x")};
    struct Case {
        VyrItem *item;
        int32_t type;
        bool numeric;
        int32_t value;
    } cases[] = {
        {&none, 0, false, 0}, {&num, 1, true, 42}, {&text, 2, false, 0}, {&list, 3, true, 0}, {&obj, 4, false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(c.item->type(), c.type);
        EXPECT_EQ(c.item->isNumeric(), c.numeric);
        EXPECT_EQ(c.item->num(), c.value);
        EXPECT_EQ(c.item->str() != nullptr, c.type == 2);
        EXPECT_EQ(c.item->list() != nullptr, c.type == 3);
        EXPECT_EQ(c.item->obj() != nullptr, c.type == 4);
    }
    list.list()->addNum(1);
    list.list()->addNum(2);
    list.list()->setSel(1);
    EXPECT_EQ(list.num(), 1);

    num.release();
    EXPECT_EQ(num.type(), 0);
}

TEST(Item, RegisteredTypeLinkTravelsWithCopiesAndDropsOnSet) {
    VyrRegType type("T", nullptr);
    VyrItem typed(VyrObject("x"));
    typed.setRegType(&type);

    EXPECT_EQ(typed.type(), VyrItem::kObject);  // the link leaves the type alone
    VyrItem copy;
    copy.assign(typed);
    EXPECT_EQ(copy.regType(), &type);
    EXPECT_EQ(copy.type(), VyrItem::kObject);
    // A move takes both; the source is left without either.
    VyrItem moved(std::move(copy));
    EXPECT_EQ(moved.regType(), &type);
    EXPECT_EQ(moved.type(), VyrItem::kObject);
    EXPECT_EQ(copy.regType(), nullptr);
    EXPECT_EQ(copy.type(), VyrItem::kNone);
    copy = std::move(moved);
    EXPECT_EQ(copy.regType(), &type);
    ASSERT_NE(copy.obj(), nullptr);
    EXPECT_STREQ(copy.obj()->name.c_str(), "x");
    moved.setRegType(&type);  // an item of no value may carry a link too
    moved.setRegType(nullptr);
    EXPECT_EQ(moved.type(), VyrItem::kNone);
    VyrItem *cloned = static_cast<VyrItem *>(typed.clone());
    EXPECT_EQ(cloned->regType(), &type);
    cloned->destroy();

    VyrItem text("a");
    text.setRegType(&type);
    VyrItem plain("b");
    text.assign(plain);  // string-to-string assignment takes the link too
    EXPECT_EQ(text.regType(), nullptr);
    EXPECT_STREQ(text.str()->c_str(), "b");

    // Every setter drops the link.
    auto setters = std::vector<void (*)(VyrItem &)>{
        [](VyrItem &i) { i.setNum(1); },
        [](VyrItem &i) { i.setStr("s"); },
        [](VyrItem &i) { i.setList(VyrList()); },
        [](VyrItem &i) { i.setObj(VyrObject("o")); },
        [](VyrItem &i) { i.release(); },
    };
    for (auto set : setters) {
        VyrItem item;
        item.assign(typed);
        set(item);
        EXPECT_EQ(item.regType(), nullptr);
    }
    // Also on an item that already holds a string.
    VyrItem s("x");
    s.setRegType(&type);
    s.setStr("y");
    EXPECT_EQ(s.regType(), nullptr);
}

TEST(Item, NamedItemNamedAfterItsOwnValue) {
    // The name is read before the value moves into the item.
    for (const char *text : {"short", "a longer text than seven"}) {
        VyrItem value(text);
        VyrNamedItem named(value.str()->c_str(), std::move(value));
        EXPECT_STREQ(named.name.c_str(), text);
        ASSERT_NE(named.str(), nullptr);
        EXPECT_STREQ(named.str()->c_str(), text);
    }
}

TEST(Item, NamedItemCloneCarriesName) {
    VyrNamedItem member("Width", VyrItem(3));
    VyrNode *c = member.clone();
    auto *named = dynamic_cast<VyrNamedItem *>(c);
    ASSERT_NE(named, nullptr);
    EXPECT_STREQ(named->name.c_str(), "Width");
    EXPECT_EQ(named->num(), 3);
    c->destroy();

    // A member added to a list becomes a plain element.
    VyrList l;
    VyrItem *element = l.add(member);
    EXPECT_EQ(dynamic_cast<VyrNamedItem *>(element), nullptr);
    EXPECT_EQ(element->num(), 3);
}

TEST(List, SelectionAfterRemoval) {
    struct Case {
        int32_t count, sel, removeAt;
        bool removed;
        int32_t selAfter;
    } cases[] = {
        {5, 4, 4, true, 4},   // the selected element itself: sel becomes the count
        {5, 4, 0, true, 4},   // before the selection: no shift, sel == count
        {5, 2, 0, true, 2},   // before the selection: no shift
        {5, 2, 4, true, 2},   // after the selection
        {1, 0, 0, true, 0},   // emptied
        {5, 2, -1, false, 2}, // missing elements
        {5, 2, 5, false, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + "/" + std::to_string(c.sel) + "/" + std::to_string(c.removeAt));
        VyrList l;
        for (int i = 0; i < c.count; ++i) l.addNum(i * 10);
        l.setSel(c.sel);
        EXPECT_EQ(l.remove(c.removeAt), c.removed);
        EXPECT_EQ(l.sel, c.selAfter);
        EXPECT_EQ(l.count, static_cast<uint32_t>(c.removed ? c.count - 1 : c.count));
    }

    // With sel 2, removing element 0 leaves sel designating the old element 3.
    VyrList l;
    for (int i = 0; i < 5; ++i) l.addNum(i);
    l.setSel(2);
    l.remove(0);
    EXPECT_EQ(l.itemAt(l.sel)->num(), 3);
}

TEST(List, SetSelIgnoresOutOfRangeAndAppendOrClearKeepIt) {
    VyrList l;
    l.setSel(0);  // empty: ignored
    EXPECT_EQ(l.sel, 0);
    l.addNum(1);
    l.addNum(2);
    l.setSel(1);
    for (int32_t bad : {2, -1, INT32_MIN}) {
        l.setSel(bad);
        EXPECT_EQ(l.sel, 1);
    }
    l.addNum(3);
    EXPECT_EQ(l.sel, 1);
    l.clear();
    EXPECT_EQ(l.sel, 1);

    VyrList copy;
    l.addNum(1);
    copy = l;
    EXPECT_EQ(copy.sel, 1);
    copy = copy;
    EXPECT_EQ(copy.count, 1u);
}

TEST(List, WalkContinuesFromTheLastIndexLookup) {
    VyrList l;
    for (int i = 0; i < 6; ++i) l.addNum(i);
    EXPECT_EQ(l.walkFirstItem()->num(), 0);
    EXPECT_EQ(l.itemAt(3)->num(), 3);
    EXPECT_EQ(l.walkNextItem()->num(), 4);
    l.remove(4);  // the cursor was on the removed element
    EXPECT_EQ(l.walkNextItem(), nullptr);
}

TEST(NameTable, FindIgnoresCaseAndFirstMatchWins) {
    VyrNameTable t;
    t.add(VyrNamedItem("Size", VyrItem(1)));
    t.add(VyrNamedItem("SIZE", VyrItem(2)));
    t.add(VyrNamedItem("other", VyrItem(3)));
    EXPECT_EQ(t.find("size")->num(), 1);
    EXPECT_EQ(t.find("OTHER")->num(), 3);
    EXPECT_EQ(t.cursor, t.find("OTHER"));  // the look-up moved the cursor
    EXPECT_EQ(t.find("siz"), nullptr);
    EXPECT_EQ(t.find("sizes"), nullptr);
    EXPECT_EQ(t.find(nullptr), nullptr);
}

TEST(NameTable, ScopesAddFindAndRemove) {
    VyrNameTable globals;
    globals.add(VyrNamedItem("g", VyrItem(1)));
    globals.add(VyrNamedItem("x", VyrItem(2)));

    VyrNameTable outer, inner;
    globals.pushScope(&outer);
    globals.add(VyrNamedItem("o", VyrItem(10)));  // goes into the innermost scope
    EXPECT_EQ(names(outer), (std::vector<std::string>{"o"}));
    EXPECT_EQ(globals.count, 2u);

    globals.pushScope(&inner);
    globals.add(VyrNamedItem("X", VyrItem(20)));
    EXPECT_EQ(names(inner), (std::vector<std::string>{"X"}));
    EXPECT_EQ(globals.find("x")->num(), 20);  // the local hides the global
    EXPECT_EQ(globals.find("g")->num(), 1);
    EXPECT_EQ(globals.find("o"), nullptr);    // scopes behind the innermost are not searched

    // A global is not removed while a local of the same name is in scope.
    VyrNamedItem *gx = globals.itemAt(1);
    EXPECT_FALSE(globals.remove(gx));
    EXPECT_EQ(globals.count, 2u);
    // An item that is not one of the table's own is left alone.
    EXPECT_FALSE(globals.remove(inner.itemAt(0)));
    EXPECT_EQ(inner.count, 1u);

    globals.popScope();
    EXPECT_EQ(globals.scope, &outer);
    EXPECT_EQ(globals.find("o")->num(), 10);
    EXPECT_EQ(globals.find("x")->num(), 2);
    EXPECT_TRUE(globals.remove(globals.find("x")));
    EXPECT_EQ(names(globals), (std::vector<std::string>{"g"}));

    globals.popScope();
    EXPECT_EQ(globals.scope, nullptr);
    globals.popScope();  // nothing pushed: no effect
    globals.add(VyrNamedItem("late", VyrItem(0)));
    EXPECT_EQ(names(globals), (std::vector<std::string>{"g", "late"}));
}

TEST(Object, MemberSettersUpdateOrAppend) {
    VyrObject o("obj");
    o.setMemberNum("SIZE", 1);
    o.setMemberNum("Size", 2);  // found ignoring case: changed, not added
    o.setMemberStr("name", "n");
    o.setMember("Name", VyrItem(7));
    VyrList list;
    list.addNum(1);
    o.setMemberList("items", list);
    o.setMemberObj("child", VyrObject("c"));
    EXPECT_EQ(names(o), (std::vector<std::string>{"SIZE", "name", "items", "child"}));
    EXPECT_EQ(o.find("size")->num(), 2);
    EXPECT_EQ(o.find("NAME")->num(), 7);
    EXPECT_EQ(o.find("items")->list()->count, 1u);
    EXPECT_STREQ(o.find("child")->obj()->name.c_str(), "c");

    EXPECT_TRUE(o.removeMember("ITEMS"));
    EXPECT_FALSE(o.removeMember("items"));
    EXPECT_EQ(o.count, 3u);

    // A member set from the object that holds it gets a snapshot.
    o.setMemberObj("self", o);
    EXPECT_EQ(o.find("self")->obj()->count, 3u);
    VyrObject copy(o);
    EXPECT_STREQ(copy.name.c_str(), "obj");
    EXPECT_EQ(copy.count, 4u);
    o = *o.find("child")->obj();  // assign from one of its own members
    EXPECT_STREQ(o.name.c_str(), "c");
    EXPECT_EQ(o.count, 0u);
}

int32_t VYRAPI acceptingTypeProc(VYRHWND, int32_t, HVYRITEM, int32_t) { return 1; }

TEST(Registry, LookUpIsExactAndNeedsAProcedure) {
    VyrNodeList &types = vyrRegTypes();
    auto proc = acceptingTypeProc;
    VyrRegType *withProc = static_cast<VyrRegType *>(types.append(VyrRegType("Font", proc)));
    VyrRegType *without = static_cast<VyrRegType *>(types.append(VyrRegType("Empty", nullptr)));

    EXPECT_EQ(vyrFindRegType("Font"), withProc);
    EXPECT_EQ(vyrFindRegType("font"), nullptr);
    EXPECT_EQ(vyrFindRegType("Empty"), without);
    EXPECT_EQ(vyrUsableRegType("Font"), withProc);
    for (const char *bad : {"Empty", "font", "", "  \t", "Font ", static_cast<const char *>(nullptr)})
        EXPECT_EQ(vyrUsableRegType(bad), nullptr) << (bad ? bad : "(null)");

    types.clear();
}

namespace {

struct ProcCall {
    VYRHWND owner;
    int32_t command;
    HVYRITEM item;
    int32_t reserved;
};
std::vector<ProcCall> procCalls;

// Stores an object named "made" and binds it to its own type, like an
// object-valued type does.
int32_t VYRAPI objectTypeProc(VYRHWND owner, int32_t command, HVYRITEM item, int32_t reserved) {
    procCalls.push_back({owner, command, item, reserved});
    if (command != kTypeCreate) return 0;
    HVYROBJECT o = VyrObjectCreate("made");
    VyrItemSetObj(item, o, "Obj");
    VyrObjectDelete(o);
    return 1;
}

// Stores a list with the ordinary setter, which leaves the item untyped.
int32_t VYRAPI listTypeProc(VYRHWND, int32_t, HVYRITEM item, int32_t) {
    HVYRLIST l = VyrListCreate();
    VyrListAddStr(l, "False");
    VyrListAddStr(l, "True");
    VyrItemSetList(item, l);
    VyrListDelete(l);
    return 1;
}

class TypedItems : public ::testing::Test {
protected:
    VyrRegType *objType = nullptr;
    void SetUp() override {
        procCalls.clear();
        objType = static_cast<VyrRegType *>(vyrRegTypes().append(VyrRegType("Obj", objectTypeProc)));
        vyrRegTypes().append(VyrRegType("Flag", listTypeProc));
        vyrRegTypes().append(VyrRegType("NoProc", nullptr));
    }
    void TearDown() override { vyrRegTypes().clear(); }
};

}  // namespace

TEST_F(TypedItems, CreateRunsTheCreateCommandOnce) {
    HVYRITEM item = VyrItemCreate("Obj");
    ASSERT_NE(item, nullptr);
    ASSERT_EQ(procCalls.size(), 1u);
    EXPECT_EQ(procCalls[0].owner, nullptr);
    EXPECT_EQ(procCalls[0].command, kTypeCreate);
    EXPECT_EQ(procCalls[0].item, item);
    EXPECT_EQ(procCalls[0].reserved, 0);
    EXPECT_EQ(vyrItem(item)->regType(), objType);
    EXPECT_STREQ(VyrGetObjectName(VyrItemGetObj(item)), "made");

    // Copies take the type along; setting a value drops it.
    HVYRITEM copy = VyrItemCreate(nullptr);
    VyrItemSetItem(copy, item);
    EXPECT_EQ(vyrItem(copy)->regType(), objType);
    VyrItemSetNum(copy, 1);
    EXPECT_EQ(vyrItem(copy)->regType(), nullptr);
    HVYROBJECT o = VyrObjectCreate("plain");
    VyrItemSetObj(item, o, nullptr);
    EXPECT_EQ(vyrItem(item)->regType(), nullptr);

    // Binding through VyrItemSetObj does not call the procedure.
    EXPECT_EQ(VyrItemSetObj(item, o, "Obj"), 1);
    EXPECT_EQ(vyrItem(item)->regType(), objType);
    EXPECT_EQ(procCalls.size(), 1u);
    EXPECT_EQ(VyrItemSetObj(item, o, "NoProc"), 0);
    EXPECT_EQ(vyrItem(item)->regType(), nullptr);
    EXPECT_STREQ(VyrGetObjectName(VyrItemGetObj(item)), "plain");

    VyrObjectDelete(o);
    VyrItemDelete(copy);
    VyrItemDelete(item);
}

TEST_F(TypedItems, NamesMustMatchExactlyAndHaveAProcedure) {
    for (const char *name : {"obj", "OBJ", "Obj ", "NoProc", "", " "}) EXPECT_EQ(VyrItemCreate(name), nullptr) << name;
    EXPECT_TRUE(procCalls.empty());

    HVYRITEM flag = VyrItemCreate("Flag");
    ASSERT_NE(flag, nullptr);
    EXPECT_EQ(VyrItemIsList(flag), 1);
    EXPECT_EQ(VyrItemGetNum(flag), 0);
    EXPECT_EQ(vyrItem(flag)->regType(), nullptr);  // the list setter dropped the type
    VyrItemDelete(flag);
}
