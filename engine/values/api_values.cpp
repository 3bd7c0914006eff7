// Exports 13 to 74: items, lists, objects and members.  Every function
// accepts null handles (answering 0 or null) and lets no C++ exception out:
// an allocation failure answers the failure value and leaves the container
// as it was before the call.
#include <new>

#include "types/registry.h"
#include "values/item.h"
#include "values/list.h"
#include "vyrapi.h"

namespace {

template <typename R, typename F>
R guarded(R failure, F &&body) {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

// The element at an index of a list handle, or null.
VyrItem *elementAt(HVYRLIST hList, int32_t index) {
    return hList ? vyrList(hList)->itemAt(index) : nullptr;
}

// The member of that name, or null.
VyrNamedItem *memberOf(HVYROBJECT hObject, const char *name) {
    return hObject && name ? vyrObject(hObject)->find(name) : nullptr;
}

// A member handle as a member; null for an item that is no member.
VyrNamedItem *asMember(HVYRITEM hMember) {
    return hMember ? dynamic_cast<VyrNamedItem *>(vyrItem(hMember)) : nullptr;
}

const char *textOf(const VyrItem *item) {
    const VyrString *s = item ? item->str() : nullptr;
    return s ? s->c_str() : nullptr;
}

}  // namespace

extern "C" {

// ---- Items ----------------------------------------------------------------

VYREXPORT HVYRITEM VYRAPI VyrItemCreate(const char *lpszType) {
    return guarded<HVYRITEM>(nullptr, [&]() -> HVYRITEM {
        if (lpszType == nullptr) return vyrHandle(new VyrItem());
        VyrRegType *type = vyrUsableRegType(lpszType);
        if (type == nullptr) return nullptr;
        VyrItem *item = new VyrItem();
        item->setRegType(type);
        // The type procedure gives the new item its initial value.
        type->proc(nullptr, kTypeCreate, vyrHandle(item), 0);
        return vyrHandle(item);
    });
}

VYREXPORT int32_t VYRAPI VyrItemDelete(HVYRITEM hItem) {
    if (hItem == nullptr) return 1;
    VyrItem *item = vyrItem(hItem);
    // An item linked into a list belongs to that list; freeing it here would
    // leave the list pointing at freed memory.
    if (item->next || item->prev) return 0;
    item->destroy();
    return 1;
}

VYREXPORT int32_t VYRAPI VyrItemGetType(HVYRITEM hItem) { return hItem ? vyrItem(hItem)->type() : 0; }

VYREXPORT int32_t VYRAPI VyrItemIsNum(HVYRITEM hItem) { return hItem && vyrItem(hItem)->isNumeric(); }

VYREXPORT int32_t VYRAPI VyrItemIsStr(HVYRITEM hItem) { return hItem && vyrItem(hItem)->isString(); }

VYREXPORT int32_t VYRAPI VyrItemIsList(HVYRITEM hItem) { return hItem && vyrItem(hItem)->isList(); }

VYREXPORT int32_t VYRAPI VyrItemIsObj(HVYRITEM hItem) { return hItem && vyrItem(hItem)->isObject(); }

VYREXPORT int32_t VYRAPI VyrItemSetItem(HVYRITEM hItem, HVYRITEM hSource) {
    if (hItem == nullptr || hSource == nullptr) return 0;
    return guarded<int32_t>(0, [&] {
        vyrItem(hItem)->assign(*vyrItem(hSource));
        return 1;
    });
}

VYREXPORT int32_t VYRAPI VyrItemSetNum(HVYRITEM hItem, int32_t nValue) {
    if (hItem == nullptr) return 0;
    vyrItem(hItem)->setNum(nValue);
    return 1;
}

VYREXPORT int32_t VYRAPI VyrItemGetNum(HVYRITEM hItem) { return hItem ? vyrItem(hItem)->num() : 0; }

VYREXPORT int32_t VYRAPI VyrItemSetStr(HVYRITEM hItem, const char *lpszText) {
    if (hItem == nullptr) return 0;
    return guarded<int32_t>(0, [&] {
        vyrItem(hItem)->setStr(lpszText);
        return 1;
    });
}

VYREXPORT const char *VYRAPI VyrItemGetStr(HVYRITEM hItem) { return hItem ? textOf(vyrItem(hItem)) : nullptr; }

VYREXPORT int32_t VYRAPI VyrItemSetList(HVYRITEM hItem, HVYRLIST hList) {
    if (hItem == nullptr || hList == nullptr) return 0;
    return guarded<int32_t>(0, [&] {
        vyrItem(hItem)->setList(*vyrList(hList));
        return 1;
    });
}

VYREXPORT HVYRLIST VYRAPI VyrItemGetList(HVYRITEM hItem) {
    return hItem ? vyrHandle(vyrItem(hItem)->list()) : nullptr;
}

VYREXPORT int32_t VYRAPI VyrItemSetObj(HVYRITEM hItem, HVYROBJECT hObject, const char *lpszType) {
    if (hItem == nullptr || hObject == nullptr) return 0;
    return guarded<int32_t>(0, [&] {
        VyrItem *item = vyrItem(hItem);
        item->setObj(*vyrObject(hObject));
        if (lpszType == nullptr) return 1;
        VyrRegType *type = vyrUsableRegType(lpszType);
        if (type == nullptr) return 0;  // the object stays, untyped
        item->setRegType(type);
        return 1;
    });
}

VYREXPORT HVYROBJECT VYRAPI VyrItemGetObj(HVYRITEM hItem) {
    return hItem ? vyrHandle(vyrItem(hItem)->obj()) : nullptr;
}

// ---- Lists ----------------------------------------------------------------

VYREXPORT HVYRLIST VYRAPI VyrListCreate(void) {
    return guarded<HVYRLIST>(nullptr, [] { return vyrHandle(new VyrList()); });
}

VYREXPORT int32_t VYRAPI VyrListCount(HVYRLIST hList) {
    return hList ? static_cast<int32_t>(vyrList(hList)->count) : 0;
}

VYREXPORT int32_t VYRAPI VyrListDelete(HVYRLIST hList) {
    delete vyrList(hList);
    return 1;
}

VYREXPORT int32_t VYRAPI VyrListAddItem(HVYRLIST hList, HVYRITEM hItem) {
    if (hList == nullptr || hItem == nullptr) return 0;
    return guarded<int32_t>(0, [&] {
        vyrList(hList)->add(*vyrItem(hItem));
        return 1;
    });
}

VYREXPORT int32_t VYRAPI VyrListAddNum(HVYRLIST hList, int32_t nValue) {
    if (hList == nullptr) return 0;
    return guarded<int32_t>(0, [&] {
        vyrList(hList)->addNum(nValue);
        return 1;
    });
}

VYREXPORT int32_t VYRAPI VyrListAddStr(HVYRLIST hList, const char *lpszText) {
    if (hList == nullptr) return 0;
    return guarded<int32_t>(0, [&] {
        vyrList(hList)->addStr(lpszText);
        return 1;
    });
}

VYREXPORT int32_t VYRAPI VyrListAddList(HVYRLIST hList, HVYRLIST hValue) {
    if (hList == nullptr || hValue == nullptr) return 0;
    return guarded<int32_t>(0, [&] {
        vyrList(hList)->addList(*vyrList(hValue));
        return 1;
    });
}

VYREXPORT int32_t VYRAPI VyrListAddObj(HVYRLIST hList, HVYROBJECT hValue) {
    if (hList == nullptr || hValue == nullptr) return 0;
    return guarded<int32_t>(0, [&] {
        vyrList(hList)->addObj(*vyrObject(hValue));
        return 1;
    });
}

VYREXPORT int32_t VYRAPI VyrListRemove(HVYRLIST hList, int32_t nIndex) {
    return hList && vyrList(hList)->remove(nIndex) ? 1 : 0;
}

VYREXPORT int32_t VYRAPI VyrListSetSel(HVYRLIST hList, int32_t nIndex) {
    if (hList == nullptr) return 0;
    vyrList(hList)->setSel(nIndex);
    return 1;
}

VYREXPORT int32_t VYRAPI VyrListGetSel(HVYRLIST hList) { return hList ? vyrList(hList)->sel : 0; }

VYREXPORT int32_t VYRAPI VyrListSetItem(HVYRLIST hList, int32_t nIndex, HVYRITEM hItem) {
    if (hItem == nullptr) return 0;
    VyrItem *element = elementAt(hList, nIndex);
    if (element == nullptr) return 0;
    return guarded<int32_t>(0, [&] {
        element->assign(*vyrItem(hItem));
        return 1;
    });
}

VYREXPORT HVYRITEM VYRAPI VyrListGetItem(HVYRLIST hList, int32_t nIndex) {
    return vyrHandle(elementAt(hList, nIndex));
}

VYREXPORT HVYRITEM VYRAPI VyrListGetFirstItem(HVYRLIST hList) {
    return hList ? vyrHandle(vyrList(hList)->walkFirstItem()) : nullptr;
}

VYREXPORT HVYRITEM VYRAPI VyrListGetNextItem(HVYRLIST hList) {
    return hList ? vyrHandle(vyrList(hList)->walkNextItem()) : nullptr;
}

VYREXPORT int32_t VYRAPI VyrListSetNum(HVYRLIST hList, int32_t nIndex, int32_t nValue) {
    VyrItem *element = elementAt(hList, nIndex);
    if (element == nullptr) return 0;
    element->setNum(nValue);
    return 1;
}

VYREXPORT int32_t VYRAPI VyrListGetNum(HVYRLIST hList, int32_t nIndex) {
    VyrItem *element = elementAt(hList, nIndex);
    return element ? element->num() : 0;
}

VYREXPORT int32_t VYRAPI VyrListSetStr(HVYRLIST hList, int32_t nIndex, const char *lpszText) {
    VyrItem *element = elementAt(hList, nIndex);
    if (element == nullptr) return 0;
    return guarded<int32_t>(0, [&] {
        element->setStr(lpszText);
        return 1;
    });
}

VYREXPORT const char *VYRAPI VyrListGetStr(HVYRLIST hList, int32_t nIndex) {
    return textOf(elementAt(hList, nIndex));
}

VYREXPORT int32_t VYRAPI VyrListSetList(HVYRLIST hList, int32_t nIndex, HVYRLIST hValue) {
    if (hValue == nullptr) return 0;
    VyrItem *element = elementAt(hList, nIndex);
    if (element == nullptr) return 0;
    return guarded<int32_t>(0, [&] {
        element->setList(*vyrList(hValue));
        return 1;
    });
}

VYREXPORT HVYRLIST VYRAPI VyrListGetList(HVYRLIST hList, int32_t nIndex) {
    VyrItem *element = elementAt(hList, nIndex);
    return element ? vyrHandle(element->list()) : nullptr;
}

VYREXPORT int32_t VYRAPI VyrListSetObj(HVYRLIST hList, int32_t nIndex, HVYROBJECT hValue) {
    if (hValue == nullptr) return 0;
    VyrItem *element = elementAt(hList, nIndex);
    if (element == nullptr) return 0;
    return guarded<int32_t>(0, [&] {
        element->setObj(*vyrObject(hValue));
        return 1;
    });
}

VYREXPORT HVYROBJECT VYRAPI VyrListGetObj(HVYRLIST hList, int32_t nIndex) {
    VyrItem *element = elementAt(hList, nIndex);
    return element ? vyrHandle(element->obj()) : nullptr;
}

// ---- Objects and members --------------------------------------------------

VYREXPORT HVYROBJECT VYRAPI VyrObjectCreate(const char *lpszName) {
    return guarded<HVYROBJECT>(nullptr, [&] { return vyrHandle(new VyrObject(lpszName)); });
}

VYREXPORT int32_t VYRAPI VyrObjectDelete(HVYROBJECT hObject) {
    delete vyrObject(hObject);
    return 1;
}

VYREXPORT int32_t VYRAPI VyrGetMemberCount(HVYROBJECT hObject) {
    return hObject ? static_cast<int32_t>(vyrObject(hObject)->count) : 0;
}

VYREXPORT HVYRITEM VYRAPI VyrGetMemberByIndex(HVYROBJECT hObject, int32_t nIndex) {
    return hObject ? vyrHandle(vyrObject(hObject)->itemAt(nIndex)) : nullptr;
}

VYREXPORT int32_t VYRAPI VyrSetMemberName(HVYRITEM hMember, const char *lpszName) {
    VyrNamedItem *member = asMember(hMember);
    if (member == nullptr || lpszName == nullptr) return 0;
    return guarded<int32_t>(0, [&] {
        member->name = lpszName;
        return 1;
    });
}

VYREXPORT const char *VYRAPI VyrGetMemberName(HVYRITEM hMember) {
    VyrNamedItem *member = asMember(hMember);
    return member ? member->name.c_str() : nullptr;
}

VYREXPORT HVYRITEM VYRAPI VyrGetFirstMember(HVYROBJECT hObject) {
    return hObject ? vyrHandle(vyrObject(hObject)->walkFirstItem()) : nullptr;
}

VYREXPORT HVYRITEM VYRAPI VyrGetNextMember(HVYROBJECT hObject) {
    return hObject ? vyrHandle(vyrObject(hObject)->walkNextItem()) : nullptr;
}

VYREXPORT int32_t VYRAPI VyrSetObjectName(HVYROBJECT hObject, const char *lpszName) {
    if (hObject == nullptr || lpszName == nullptr) return 0;
    return guarded<int32_t>(0, [&] {
        vyrObject(hObject)->name = lpszName;
        return 1;
    });
}

VYREXPORT const char *VYRAPI VyrGetObjectName(HVYROBJECT hObject) {
    return hObject ? vyrObject(hObject)->name.c_str() : nullptr;
}

VYREXPORT int32_t VYRAPI VyrSetMemberItem(HVYROBJECT hObject, const char *lpszName, HVYRITEM hItem) {
    if (hObject == nullptr || lpszName == nullptr || hItem == nullptr) return 0;
    return guarded<int32_t>(0, [&] {
        vyrObject(hObject)->setMember(lpszName, *vyrItem(hItem));
        return 1;
    });
}

VYREXPORT HVYRITEM VYRAPI VyrGetMemberItem(HVYROBJECT hObject, const char *lpszName) {
    return vyrHandle(memberOf(hObject, lpszName));
}

VYREXPORT int32_t VYRAPI VyrSetMemberNum(HVYROBJECT hObject, const char *lpszName, int32_t nValue) {
    if (hObject == nullptr || lpszName == nullptr) return 0;
    return guarded<int32_t>(0, [&] {
        vyrObject(hObject)->setMemberNum(lpszName, nValue);
        return 1;
    });
}

VYREXPORT int32_t VYRAPI VyrGetMemberNum(HVYROBJECT hObject, const char *lpszName) {
    VyrNamedItem *member = memberOf(hObject, lpszName);
    return member ? member->num() : 0;
}

VYREXPORT int32_t VYRAPI VyrSetMemberStr(HVYROBJECT hObject, const char *lpszName, const char *lpszText) {
    if (hObject == nullptr || lpszName == nullptr) return 0;
    return guarded<int32_t>(0, [&] {
        vyrObject(hObject)->setMemberStr(lpszName, lpszText);
        return 1;
    });
}

VYREXPORT const char *VYRAPI VyrGetMemberStr(HVYROBJECT hObject, const char *lpszName) {
    return textOf(memberOf(hObject, lpszName));
}

VYREXPORT int32_t VYRAPI VyrSetMemberSel(HVYROBJECT hObject, const char *lpszName, int32_t nIndex) {
    VyrNamedItem *member = memberOf(hObject, lpszName);
    VyrList *list = member ? member->list() : nullptr;
    if (list == nullptr) return 0;
    list->setSel(nIndex);
    return 1;
}

VYREXPORT int32_t VYRAPI VyrGetMemberSel(HVYROBJECT hObject, const char *lpszName) {
    VyrNamedItem *member = memberOf(hObject, lpszName);
    VyrList *list = member ? member->list() : nullptr;
    return list ? list->sel : 0;
}

VYREXPORT int32_t VYRAPI VyrSetMemberList(HVYROBJECT hObject, const char *lpszName, HVYRLIST hValue) {
    if (hObject == nullptr || lpszName == nullptr || hValue == nullptr) return 0;
    return guarded<int32_t>(0, [&] {
        vyrObject(hObject)->setMemberList(lpszName, *vyrList(hValue));
        return 1;
    });
}

VYREXPORT HVYRLIST VYRAPI VyrGetMemberList(HVYROBJECT hObject, const char *lpszName) {
    VyrNamedItem *member = memberOf(hObject, lpszName);
    return member ? vyrHandle(member->list()) : nullptr;
}

VYREXPORT int32_t VYRAPI VyrSetMemberObj(HVYROBJECT hObject, const char *lpszName, HVYROBJECT hValue) {
    if (hObject == nullptr || lpszName == nullptr || hValue == nullptr) return 0;
    return guarded<int32_t>(0, [&] {
        vyrObject(hObject)->setMemberObj(lpszName, *vyrObject(hValue));
        return 1;
    });
}

VYREXPORT HVYROBJECT VYRAPI VyrGetMemberObj(HVYROBJECT hObject, const char *lpszName) {
    VyrNamedItem *member = memberOf(hObject, lpszName);
    return member ? vyrHandle(member->obj()) : nullptr;
}

VYREXPORT int32_t VYRAPI VyrRemoveMember(HVYROBJECT hObject, const char *lpszName) {
    return hObject && lpszName && vyrObject(hObject)->removeMember(lpszName) ? 1 : 0;
}

}  // extern "C"
