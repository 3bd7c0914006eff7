// list.h - the containers of the value model.
//
// VyrList: the value of a List item, an owned node list of VyrItems with a
// selection index.  VyrNameTable: an ordered list of VyrNamedItems looked up
// ignoring case, with a link to a pushed scope (another name table, not
// owned).  VyrObject: the value of an Object item, a name table of members
// with the object's own name.
//
// All of them are VyrNodeLists and share its cursor rule: walks, index
// look-ups and name look-ups move the one cursor of the list they search.
#ifndef VYR_LIST_H
#define VYR_LIST_H

#include <cstdint>

#include "values/item.h"
#include "vyrnode.h"
#include "vyrstring.h"

class VyrList : public VyrNodeList {
public:
    // The current element; 0 in a new list and in an empty one.  Appending
    // and clearing never change it; see remove() and setSel().
    int32_t sel = 0;

    VyrList() = default;
    VyrList(const VyrList &other) : VyrNodeList(other), sel(other.sel) {}
    VyrList(VyrList &&other) noexcept = default;
    VyrList &operator=(const VyrList &other);
    VyrList &operator=(VyrList &&other) noexcept = default;

    // The element at an index (moves the cursor), or null.
    VyrItem *itemAt(int32_t index) { return static_cast<VyrItem *>(nodeAt(index)); }
    VyrItem *walkFirstItem() { return static_cast<VyrItem *>(walkFirst()); }
    VyrItem *walkNextItem() { return static_cast<VyrItem *>(walkNext()); }

    // Appends a copy of the item (the copy is returned).
    // A named item (a member, say) is copied as a plain item: elements have
    // no names.
    VyrItem *add(const VyrItem &item) { return adopt(new VyrItem(item)); }
    VyrItem *addNum(int32_t value) { return adopt(new VyrItem(value)); }
    VyrItem *addStr(const char *text) { return adopt(new VyrItem(text)); }
    VyrItem *addList(const VyrList &list) { return adopt(new VyrItem(list)); }
    VyrItem *addObj(const VyrObject &object);

    // Stores the index only when 0 <= index < count.
    void setSel(int32_t index) {
        if (index >= 0 && static_cast<uint32_t>(index) < count) sel = index;
    }
    // Destroys the element at the index; false when there is none.  The
    // selection does not shift; when (as an unsigned number) it is no longer
    // below the count it becomes the new count.
    bool remove(int32_t index);

private:
    VyrItem *adopt(VyrItem *item) { return static_cast<VyrItem *>(appendNode(item)); }
};

class VyrNameTable : public VyrNodeList {
public:
    // Innermost pushed scope, or null.  Not owned and never copied.
    VyrNameTable *scope = nullptr;

    VyrNameTable() = default;
    VyrNameTable(const VyrNameTable &other) : VyrNodeList(other) {}
    VyrNameTable &operator=(const VyrNameTable &other) {
        copy(other);
        return *this;
    }

    VyrNamedItem *walkFirstItem() { return static_cast<VyrNamedItem *>(walkFirst()); }
    VyrNamedItem *walkNextItem() { return static_cast<VyrNamedItem *>(walkNext()); }
    VyrNamedItem *itemAt(int32_t index) { return static_cast<VyrNamedItem *>(nodeAt(index)); }

    // The first item of that name, ignoring case: in the innermost pushed
    // scope first (not the scopes behind it), then in the table itself.
    // Null when none; null name counts as empty.
    VyrNamedItem *find(const char *name);
    // Appends a clone to the innermost pushed scope, else to the table
    // itself; names need not be unique.  Returns the clone.
    VyrNamedItem *add(const VyrNamedItem &item);
    // Appends the item itself (no clone), where add() would put a clone.
    VyrNamedItem *addNode(VyrNamedItem *item);
    // Destroys the item if it belongs to the table itself, unless a scope is
    // pushed that holds an item of the same name.  True when it was removed.
    bool remove(VyrNamedItem *item);
    // Links a scope in as the innermost one / unlinks the innermost one.
    void pushScope(VyrNameTable *local);
    void popScope();

private:
    VyrNamedItem *findHere(const char *name);
};

class VyrObject : public VyrNameTable {
public:
    VyrString name;

    VyrObject() = default;
    explicit VyrObject(const char *objectName) : name(objectName) {}
    VyrObject(const VyrObject &other) = default;
    VyrObject &operator=(const VyrObject &other);

    // Sets the member of that name (found ignoring case) to a copy of the
    // value, or appends a new member with that name.  Returns the member.
    VyrNamedItem *setMember(const char *memberName, const VyrItem &value);
    VyrNamedItem *setMemberNum(const char *memberName, int32_t value);
    VyrNamedItem *setMemberStr(const char *memberName, const char *text);
    VyrNamedItem *setMemberList(const char *memberName, const VyrList &list);
    VyrNamedItem *setMemberObj(const char *memberName, const VyrObject &object);
    // Destroys the first member of that name; false when there is none.
    bool removeMember(const char *memberName);
};

inline VyrItem *VyrList::addObj(const VyrObject &object) { return adopt(new VyrItem(object)); }

// Conversions between containers and the opaque handles of the interface.
inline VyrList *vyrList(HVYRLIST handle) { return reinterpret_cast<VyrList *>(handle); }
inline HVYRLIST vyrHandle(VyrList *list) { return reinterpret_cast<HVYRLIST>(list); }
inline VyrObject *vyrObject(HVYROBJECT handle) { return reinterpret_cast<VyrObject *>(handle); }
inline HVYROBJECT vyrHandle(VyrObject *object) { return reinterpret_cast<HVYROBJECT>(object); }

#endif  // VYR_LIST_H
