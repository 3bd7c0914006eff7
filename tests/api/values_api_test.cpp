// The exported item, list, object and member functions, used as a host uses
// them: through vyrapi.h and the shared library only.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vyrapi.h"

namespace {

// A list of the given integers, selection 0; deleted with VyrListDelete.
HVYRLIST makeList(std::vector<int32_t> values) {
    HVYRLIST l = VyrListCreate();
    for (int32_t v : values) VyrListAddNum(l, v);
    return l;
}

std::vector<int32_t> numbers(HVYRLIST l) {
    std::vector<int32_t> v;
    for (int32_t i = 0; i < VyrListCount(l); ++i) v.push_back(VyrListGetNum(l, i));
    return v;
}

std::vector<std::string> memberNames(HVYROBJECT o) {
    std::vector<std::string> v;
    for (HVYRITEM m = VyrGetFirstMember(o); m; m = VyrGetNextMember(o)) v.push_back(VyrGetMemberName(m));
    return v;
}

}  // namespace

TEST(ItemApi, CreateTypesAndPredicates) {
    HVYRITEM item = VyrItemCreate(nullptr);
    ASSERT_NE(item, nullptr);
    HVYRLIST list = makeList({});
    HVYROBJECT obj = VyrObjectCreate("o");

    struct Case {
        const char *what;
        int32_t (*set)(HVYRITEM, HVYRLIST, HVYROBJECT);
        int32_t type, isNum, isStr, isList, isObj;
    } cases[] = {
        {"new", [](HVYRITEM, HVYRLIST, HVYROBJECT) { return 1; }, 0, 0, 0, 0, 0},
        {"num", [](HVYRITEM i, HVYRLIST, HVYROBJECT) { return VyrItemSetNum(i, -5); }, 1, 1, 0, 0, 0},
        {"str", [](HVYRITEM i, HVYRLIST, HVYROBJECT) { return VyrItemSetStr(i, "txt"); }, 2, 0, 1, 0, 0},
        {"list", [](HVYRITEM i, HVYRLIST l, HVYROBJECT) { return VyrItemSetList(i, l); }, 3, 1, 0, 1, 0},
        {"obj", [](HVYRITEM i, HVYRLIST, HVYROBJECT o) { return VyrItemSetObj(i, o, nullptr); }, 4, 0, 0, 0, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.set(item, list, obj), 1);
        EXPECT_EQ(VyrItemGetType(item), c.type);
        EXPECT_EQ(VyrItemIsNum(item), c.isNum);
        EXPECT_EQ(VyrItemIsStr(item), c.isStr);
        EXPECT_EQ(VyrItemIsList(item), c.isList);
        EXPECT_EQ(VyrItemIsObj(item), c.isObj);
        // Getters of another type answer 0 or null.
        EXPECT_EQ(VyrItemGetStr(item) != nullptr, c.isStr == 1);
        EXPECT_EQ(VyrItemGetList(item) != nullptr, c.isList == 1);
        EXPECT_EQ(VyrItemGetObj(item) != nullptr, c.isObj == 1);
        if (!c.isNum) {
            EXPECT_EQ(VyrItemGetNum(item), 0);
        }
    }
    EXPECT_NE(VyrItemGetObj(item), obj);  // stored as a copy
    EXPECT_STREQ(VyrGetObjectName(VyrItemGetObj(item)), "o");

    EXPECT_EQ(VyrItemSetNum(item, INT32_MIN), 1);
    EXPECT_EQ(VyrItemGetNum(item), INT32_MIN);
    EXPECT_EQ(VyrItemSetStr(item, nullptr), 1);  // null text stores the empty text
    EXPECT_STREQ(VyrItemGetStr(item), "");

    EXPECT_EQ(VyrItemDelete(item), 1);
    EXPECT_EQ(VyrListDelete(list), 1);
    EXPECT_EQ(VyrObjectDelete(obj), 1);
}

TEST(ItemApi, ListItemNumericValueIsTheSelection) {
    HVYRITEM item = VyrItemCreate(nullptr);
    HVYRLIST l = makeList({});
    VyrItemSetList(item, l);
    EXPECT_EQ(VyrItemIsNum(item), 1);
    EXPECT_EQ(VyrItemGetNum(item), 0);  // a new list: selection 0, count 0
    EXPECT_EQ(VyrListCount(VyrItemGetList(item)), 0);

    VyrListAddNum(l, 7);
    VyrListAddNum(l, 8);
    VyrListSetSel(l, 1);
    VyrItemSetList(item, l);
    EXPECT_EQ(VyrItemGetNum(item), 1);
    // The list inside the item is the item's own: changing it changes the item.
    VyrListSetSel(VyrItemGetList(item), 0);
    EXPECT_EQ(VyrItemGetNum(item), 0);
    EXPECT_EQ(VyrListGetSel(l), 1);
    VyrListDelete(l);
    VyrItemDelete(item);
}

TEST(ItemApi, SetItemCopiesDeeplyAndSelfAssignIsHarmless) {
    HVYRITEM a = VyrItemCreate(nullptr);
    HVYRITEM b = VyrItemCreate(nullptr);
    HVYRLIST l = makeList({1, 2});
    HVYROBJECT o = VyrObjectCreate("inner");
    VyrSetMemberStr(o, "text", "before");
    VyrListAddObj(l, o);
    VyrItemSetList(b, l);

    EXPECT_EQ(VyrItemSetItem(a, b), 1);
    HVYRLIST bl = VyrItemGetList(b);
    VyrListSetNum(bl, 0, 100);
    VyrSetMemberStr(VyrListGetObj(bl, 2), "text", "after");
    VyrListAddNum(bl, 3);

    HVYRLIST al = VyrItemGetList(a);
    EXPECT_EQ(VyrListCount(al), 3);
    EXPECT_EQ(VyrListGetNum(al, 0), 1);
    EXPECT_STREQ(VyrGetMemberStr(VyrListGetObj(al, 2), "text"), "before");

    EXPECT_EQ(VyrItemSetItem(a, a), 1);
    EXPECT_EQ(VyrListCount(VyrItemGetList(a)), 3);

    // An element of a's own list assigned to a.
    EXPECT_EQ(VyrItemSetItem(a, VyrListGetItem(VyrItemGetList(a), 2)), 1);
    EXPECT_EQ(VyrItemIsObj(a), 1);
    EXPECT_STREQ(VyrGetObjectName(VyrItemGetObj(a)), "inner");

    // Adding the same item twice gives two independent copies.
    HVYRLIST twice = makeList({});
    HVYRITEM s = VyrItemCreate(nullptr);
    VyrItemSetStr(s, "x");
    VyrListAddItem(twice, s);
    VyrListAddItem(twice, s);
    VyrListSetStr(twice, 0, "changed");
    EXPECT_STREQ(VyrListGetStr(twice, 1), "x");
    EXPECT_STREQ(VyrItemGetStr(s), "x");

    VyrItemDelete(s);
    VyrListDelete(twice);
    VyrObjectDelete(o);
    VyrListDelete(l);
    VyrItemDelete(a);
    VyrItemDelete(b);
}

TEST(ItemApi, TypeNamesThatAreNotRegistered) {
    for (const char *name : {"", "   ", "\t", "Font", "font", "NoSuchType"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(VyrItemCreate(name), nullptr);

        HVYRITEM item = VyrItemCreate(nullptr);
        HVYROBJECT o = VyrObjectCreate("obj");
        EXPECT_EQ(VyrItemSetObj(item, o, name), 0);
        // The object is stored all the same.
        EXPECT_EQ(VyrItemIsObj(item), 1);
        EXPECT_STREQ(VyrGetObjectName(VyrItemGetObj(item)), "obj");
        VyrObjectDelete(o);
        VyrItemDelete(item);
    }
}

TEST(ItemApi, NullHandlesAreTolerated) {
    EXPECT_EQ(VyrItemDelete(nullptr), 1);
    EXPECT_EQ(VyrListDelete(nullptr), 1);
    EXPECT_EQ(VyrObjectDelete(nullptr), 1);

    EXPECT_EQ(VyrItemGetType(nullptr), 0);
    EXPECT_EQ(VyrItemIsNum(nullptr), 0);
    EXPECT_EQ(VyrItemSetNum(nullptr, 1), 0);
    EXPECT_EQ(VyrItemGetStr(nullptr), nullptr);
    EXPECT_EQ(VyrItemSetItem(nullptr, nullptr), 0);
    EXPECT_EQ(VyrListCount(nullptr), 0);
    EXPECT_EQ(VyrListAddNum(nullptr, 1), 0);
    EXPECT_EQ(VyrListGetItem(nullptr, 0), nullptr);
    EXPECT_EQ(VyrListGetFirstItem(nullptr), nullptr);
    EXPECT_EQ(VyrGetMemberCount(nullptr), 0);
    EXPECT_EQ(VyrGetMemberItem(nullptr, "a"), nullptr);
    EXPECT_EQ(VyrSetMemberNum(nullptr, "a", 1), 0);
    EXPECT_EQ(VyrGetMemberName(nullptr), nullptr);
    EXPECT_EQ(VyrGetObjectName(nullptr), nullptr);

    HVYRITEM item = VyrItemCreate(nullptr);
    HVYRLIST l = makeList({1});
    HVYROBJECT o = VyrObjectCreate("o");
    EXPECT_EQ(VyrItemSetItem(item, nullptr), 0);
    EXPECT_EQ(VyrItemSetList(item, nullptr), 0);
    EXPECT_EQ(VyrItemSetObj(item, nullptr, nullptr), 0);
    EXPECT_EQ(VyrItemGetType(item), 0);
    EXPECT_EQ(VyrListAddItem(l, nullptr), 0);
    EXPECT_EQ(VyrListSetList(l, 0, nullptr), 0);
    EXPECT_EQ(VyrSetMemberNum(o, nullptr, 1), 0);
    EXPECT_EQ(VyrGetMemberNum(o, nullptr), 0);
    EXPECT_EQ(VyrGetMemberCount(o), 0);
    EXPECT_EQ(numbers(l), (std::vector<int32_t>{1}));
    VyrObjectDelete(o);
    VyrListDelete(l);
    VyrItemDelete(item);
}

TEST(ListApi, MissingElements) {
    HVYRLIST l = makeList({10, 20, 30});
    HVYRLIST other = makeList({});
    HVYROBJECT o = VyrObjectCreate("o");
    HVYRITEM item = VyrItemCreate(nullptr);
    VyrItemSetNum(item, 5);
    for (int32_t bad : {-1, 3, 100, INT32_MIN}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(VyrListGetItem(l, bad), nullptr);
        EXPECT_EQ(VyrListRemove(l, bad), 0);
        EXPECT_EQ(VyrListSetItem(l, bad, item), 0);
        EXPECT_EQ(VyrListSetNum(l, bad, 1), 0);
        EXPECT_EQ(VyrListGetNum(l, bad), 0);
        EXPECT_EQ(VyrListSetStr(l, bad, "x"), 0);
        EXPECT_EQ(VyrListGetStr(l, bad), nullptr);
        EXPECT_EQ(VyrListSetList(l, bad, other), 0);
        EXPECT_EQ(VyrListGetList(l, bad), nullptr);
        EXPECT_EQ(VyrListSetObj(l, bad, o), 0);
        EXPECT_EQ(VyrListGetObj(l, bad), nullptr);
        EXPECT_EQ(numbers(l), (std::vector<int32_t>{10, 20, 30}));
    }
    VyrItemDelete(item);
    VyrObjectDelete(o);
    VyrListDelete(other);
    VyrListDelete(l);
}

TEST(ListApi, ElementSettersAndGetters) {
    HVYRLIST l = makeList({0, 0, 0, 0});
    HVYRLIST inner = makeList({4, 5});
    VyrListSetSel(inner, 1);
    HVYROBJECT o = VyrObjectCreate("obj");
    HVYRITEM item = VyrItemCreate(nullptr);
    VyrItemSetStr(item, "from item");

    EXPECT_EQ(VyrListSetNum(l, 0, 42), 1);
    EXPECT_EQ(VyrListSetStr(l, 1, "text"), 1);
    EXPECT_EQ(VyrListSetList(l, 2, inner), 1);
    EXPECT_EQ(VyrListSetObj(l, 3, o), 1);
    EXPECT_EQ(VyrListGetNum(l, 0), 42);
    EXPECT_STREQ(VyrListGetStr(l, 1), "text");
    EXPECT_EQ(numbers(VyrListGetList(l, 2)), (std::vector<int32_t>{4, 5}));
    EXPECT_EQ(VyrListGetNum(l, 2), 1);  // a list element's numeric value is its selection
    EXPECT_NE(VyrListGetList(l, 2), inner);
    EXPECT_STREQ(VyrGetObjectName(VyrListGetObj(l, 3)), "obj");
    // Typed getters on elements of another type.
    EXPECT_EQ(VyrListGetStr(l, 0), nullptr);
    EXPECT_EQ(VyrListGetList(l, 1), nullptr);
    EXPECT_EQ(VyrListGetObj(l, 0), nullptr);
    EXPECT_EQ(VyrListGetNum(l, 1), 0);

    EXPECT_EQ(VyrListSetItem(l, 3, item), 1);
    EXPECT_STREQ(VyrListGetStr(l, 3), "from item");
    EXPECT_EQ(VyrItemGetType(VyrListGetItem(l, 3)), 2);

    // A list added to itself is a snapshot of its state before the call.
    EXPECT_EQ(VyrListAddList(l, l), 1);
    EXPECT_EQ(VyrListCount(l), 5);
    EXPECT_EQ(VyrListCount(VyrListGetList(l, 4)), 4);
    EXPECT_EQ(VyrListSetList(l, 4, VyrListGetList(l, 4)), 1);
    EXPECT_EQ(VyrListCount(VyrListGetList(l, 4)), 4);

    // An element belongs to its list and cannot be deleted as an item.
    EXPECT_EQ(VyrItemDelete(VyrListGetItem(l, 1)), 0);
    EXPECT_EQ(VyrListCount(l), 5);

    VyrItemDelete(item);
    VyrObjectDelete(o);
    VyrListDelete(inner);
    VyrListDelete(l);
}

TEST(ListApi, SelectionRules) {
    struct Case {
        int32_t sel, removeAt, selAfter;
        std::vector<int32_t> left;
    } cases[] = {
        {4, 4, 4, {0, 1, 2, 3}},
        {4, 0, 4, {1, 2, 3, 4}},
        {2, 0, 2, {1, 2, 3, 4}},
        {2, 3, 2, {0, 1, 2, 4}},
    };
    for (const Case &c : cases) {
        HVYRLIST l = makeList({0, 1, 2, 3, 4});
        EXPECT_EQ(VyrListSetSel(l, c.sel), 1);
        EXPECT_EQ(VyrListRemove(l, c.removeAt), 1);
        EXPECT_EQ(VyrListGetSel(l), c.selAfter);
        EXPECT_EQ(numbers(l), c.left);
        VyrListDelete(l);
    }

    HVYRLIST l = makeList({0, 1, 2, 3, 4});
    VyrListSetSel(l, 2);
    VyrListRemove(l, 0);
    EXPECT_EQ(VyrListGetNum(l, VyrListGetSel(l)), 3);
    EXPECT_EQ(VyrListSetSel(l, VyrListCount(l)), 1);  // out of range: ignored, still 1
    EXPECT_EQ(VyrListGetSel(l), 2);
    EXPECT_EQ(VyrListSetSel(l, -1), 1);
    EXPECT_EQ(VyrListGetSel(l), 2);
    VyrListAddStr(l, "x");  // appending keeps the selection
    EXPECT_EQ(VyrListGetSel(l), 2);
    VyrListDelete(l);
}

TEST(ListApi, WalksShareTheCursorWithIndexLookups) {
    HVYRLIST l = makeList({0, 1, 2, 3, 4, 5});
    EXPECT_EQ(VyrItemGetNum(VyrListGetFirstItem(l)), 0);
    EXPECT_EQ(VyrItemGetNum(VyrListGetNextItem(l)), 1);
    EXPECT_EQ(VyrItemGetNum(VyrListGetItem(l, 4)), 4);
    EXPECT_EQ(VyrItemGetNum(VyrListGetNextItem(l)), 5);
    EXPECT_EQ(VyrListGetNextItem(l), nullptr);
    EXPECT_EQ(VyrListGetNextItem(l), nullptr);
    VyrListGetNum(l, 1);  // typed look-ups move the cursor as well
    EXPECT_EQ(VyrItemGetNum(VyrListGetNextItem(l)), 2);

    HVYRLIST empty = makeList({});
    EXPECT_EQ(VyrListGetFirstItem(empty), nullptr);
    EXPECT_EQ(VyrListGetNextItem(empty), nullptr);
    VyrListDelete(empty);
    VyrListDelete(l);
}

TEST(ObjectApi, MemberSettersFindIgnoringCaseOrAdd) {
    HVYROBJECT o = VyrObjectCreate("Window");
    HVYRLIST l = makeList({1, 2, 3});
    HVYROBJECT child = VyrObjectCreate("Child");
    HVYRITEM item = VyrItemCreate(nullptr);
    VyrItemSetStr(item, "item value");

    EXPECT_EQ(VyrSetMemberNum(o, "SIZE", 1), 1);
    EXPECT_EQ(VyrSetMemberNum(o, "Size", 2), 1);  // changes SIZE, adds nothing
    EXPECT_EQ(VyrSetMemberStr(o, "Title", "t"), 1);
    EXPECT_EQ(VyrSetMemberList(o, "Items", l), 1);
    EXPECT_EQ(VyrSetMemberObj(o, "Child", child), 1);
    EXPECT_EQ(VyrSetMemberItem(o, "Extra", item), 1);
    EXPECT_EQ(memberNames(o), (std::vector<std::string>{"SIZE", "Title", "Items", "Child", "Extra"}));
    EXPECT_EQ(VyrGetMemberCount(o), 5);

    EXPECT_EQ(VyrGetMemberNum(o, "size"), 2);
    EXPECT_STREQ(VyrGetMemberStr(o, "TITLE"), "t");
    EXPECT_EQ(numbers(VyrGetMemberList(o, "items")), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_STREQ(VyrGetObjectName(VyrGetMemberObj(o, "child")), "Child");
    EXPECT_STREQ(VyrItemGetStr(VyrGetMemberItem(o, "extra")), "item value");
    EXPECT_STREQ(VyrGetMemberName(VyrGetMemberByIndex(o, 4)), "Extra");
    EXPECT_EQ(VyrGetMemberByIndex(o, 5), nullptr);
    EXPECT_EQ(VyrGetMemberByIndex(o, -1), nullptr);

    // Missing members and members of another type.
    EXPECT_EQ(VyrGetMemberItem(o, "nope"), nullptr);
    EXPECT_EQ(VyrGetMemberNum(o, "nope"), 0);
    EXPECT_EQ(VyrGetMemberStr(o, "size"), nullptr);
    EXPECT_EQ(VyrGetMemberList(o, "title"), nullptr);
    EXPECT_EQ(VyrGetMemberObj(o, "items"), nullptr);
    EXPECT_EQ(VyrGetMemberNum(o, "Title"), 0);

    // Member selection: only for List members.
    EXPECT_EQ(VyrSetMemberSel(o, "ITEMS", 2), 1);
    EXPECT_EQ(VyrGetMemberSel(o, "items"), 2);
    EXPECT_EQ(VyrGetMemberNum(o, "items"), 2);
    EXPECT_EQ(VyrSetMemberSel(o, "items", 3), 1);  // out of range: ignored
    EXPECT_EQ(VyrGetMemberSel(o, "items"), 2);
    EXPECT_EQ(VyrSetMemberSel(o, "size", 0), 0);
    EXPECT_EQ(VyrGetMemberSel(o, "size"), 0);
    EXPECT_EQ(VyrSetMemberSel(o, "nope", 0), 0);
    EXPECT_EQ(VyrGetMemberSel(o, "nope"), 0);
    EXPECT_EQ(VyrListGetSel(l), 0);  // the list passed in was copied

    // Setting a member replaces its value, whatever the old type.
    EXPECT_EQ(VyrSetMemberStr(o, "items", "now text"), 1);
    EXPECT_STREQ(VyrGetMemberStr(o, "Items"), "now text");
    EXPECT_EQ(VyrSetMemberItem(o, "SIZE", item), 1);
    EXPECT_STREQ(VyrGetMemberStr(o, "size"), "item value");
    EXPECT_EQ(VyrGetMemberCount(o), 5);

    EXPECT_EQ(VyrRemoveMember(o, "title"), 1);
    EXPECT_EQ(VyrRemoveMember(o, "title"), 0);
    EXPECT_EQ(memberNames(o), (std::vector<std::string>{"SIZE", "Items", "Child", "Extra"}));

    VyrItemDelete(item);
    VyrObjectDelete(child);
    VyrListDelete(l);
    VyrObjectDelete(o);
}

TEST(ObjectApi, NamesWalksAndMemberHandles) {
    HVYROBJECT o = VyrObjectCreate("First");
    EXPECT_STREQ(VyrGetObjectName(o), "First");
    EXPECT_EQ(VyrSetObjectName(o, "Second"), 1);
    EXPECT_STREQ(VyrGetObjectName(o), "Second");
    EXPECT_EQ(VyrGetFirstMember(o), nullptr);
    EXPECT_EQ(VyrGetNextMember(o), nullptr);

    VyrSetMemberNum(o, "a", 1);
    VyrSetMemberNum(o, "b", 2);
    VyrSetMemberNum(o, "c", 3);
    HVYRITEM a = VyrGetFirstMember(o);
    EXPECT_EQ(VyrSetMemberName(a, "Renamed"), 1);
    EXPECT_EQ(VyrGetMemberNum(o, "renamed"), 1);
    EXPECT_EQ(VyrGetMemberItem(o, "a"), nullptr);

    // A name look-up moves the walk.
    EXPECT_EQ(VyrItemGetNum(VyrGetFirstMember(o)), 1);
    VyrGetMemberItem(o, "b");
    EXPECT_EQ(VyrItemGetNum(VyrGetNextMember(o)), 3);
    EXPECT_EQ(VyrGetNextMember(o), nullptr);
    EXPECT_EQ(VyrGetNextMember(o), nullptr);

    // A member is usable as an item; a member cannot be deleted as an item.
    HVYRITEM b = VyrGetMemberItem(o, "b");
    EXPECT_EQ(VyrItemSetStr(b, "via item"), 1);
    EXPECT_STREQ(VyrGetMemberStr(o, "B"), "via item");
    EXPECT_EQ(VyrItemDelete(b), 0);
    EXPECT_EQ(VyrGetMemberCount(o), 3);

    // Items that are not members have no member name.
    HVYRITEM plain = VyrItemCreate(nullptr);
    EXPECT_EQ(VyrGetMemberName(plain), nullptr);
    EXPECT_EQ(VyrSetMemberName(plain, "x"), 0);
    HVYRLIST l = makeList({1});
    EXPECT_EQ(VyrGetMemberName(VyrListGetItem(l, 0)), nullptr);

    // An object stored into one of its own members is a snapshot.
    EXPECT_EQ(VyrSetMemberObj(o, "self", o), 1);
    EXPECT_EQ(VyrGetMemberCount(VyrGetMemberObj(o, "self")), 3);
    EXPECT_EQ(VyrGetMemberCount(o), 4);

    VyrListDelete(l);
    VyrItemDelete(plain);
    VyrObjectDelete(o);
}
