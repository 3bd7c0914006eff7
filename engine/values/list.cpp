#include "values/list.h"

VyrList &VyrList::operator=(const VyrList &other) {
    if (this != &other) {
        int32_t selection = other.sel;  // read first: other may live inside this list
        copy(other);
        sel = selection;
    }
    return *this;
}

bool VyrList::remove(int32_t index) {
    VyrNode *node = nodeAt(index);
    if (node == nullptr) return false;
    unlink(node);
    if (static_cast<uint32_t>(sel) >= count) sel = static_cast<int32_t>(count);
    return true;
}

VyrNamedItem *VyrNameTable::findHere(const char *name) {
    for (VyrNamedItem *n = walkFirstItem(); n; n = walkNextItem())
        if (n->name.compareNoCase(name) == 0) return n;
    return nullptr;
}

VyrNamedItem *VyrNameTable::find(const char *name) {
    if (scope) {
        if (VyrNamedItem *found = scope->findHere(name)) return found;
    }
    return findHere(name);
}

VyrNamedItem *VyrNameTable::add(const VyrNamedItem &item) {
    VyrNameTable *target = scope ? scope : this;
    return static_cast<VyrNamedItem *>(target->append(item));
}

VyrNamedItem *VyrNameTable::addNode(VyrNamedItem *item) {
    VyrNameTable *target = scope ? scope : this;
    return static_cast<VyrNamedItem *>(target->appendNode(item));
}

bool VyrNameTable::remove(VyrNamedItem *item) {
    if (item == nullptr) return false;
    if (scope && scope->findHere(item->name.c_str())) return false;
    // Only a node of this table may be unlinked from it: anything else would
    // corrupt the links and the count.
    if (!contains(item)) return false;
    unlink(item);
    return true;
}

void VyrNameTable::pushScope(VyrNameTable *local) {
    if (local == nullptr || local == this) return;
    local->scope = scope;
    scope = local;
}

void VyrNameTable::popScope() {
    if (scope == nullptr) return;
    VyrNameTable *popped = scope;
    scope = popped->scope;
    popped->scope = nullptr;
}

VyrObject &VyrObject::operator=(const VyrObject &other) {
    if (this != &other) {
        VyrString objectName(other.name);  // other may live inside this object
        copy(other);
        name = objectName;
    }
    return *this;
}

VyrNamedItem *VyrObject::setMember(const char *memberName, const VyrItem &value) {
    if (VyrNamedItem *member = find(memberName)) {
        member->assign(value);
        return member;
    }
    return addNode(new VyrNamedItem(memberName, value));
}

// A new member is built with its value before it is appended, so a value
// taken from this very object does not see the new member.
template <typename Set>
static VyrNamedItem *setOrAdd(VyrObject &object, const char *memberName, Set set) {
    if (VyrNamedItem *member = object.find(memberName)) {
        set(*member);
        return member;
    }
    VyrNamedItem *member = new VyrNamedItem(memberName);
    try {
        set(*member);
    } catch (...) {
        member->destroy();
        throw;
    }
    return object.addNode(member);
}

VyrNamedItem *VyrObject::setMemberNum(const char *memberName, int32_t value) {
    return setOrAdd(*this, memberName, [&](VyrItem &m) { m.setNum(value); });
}

VyrNamedItem *VyrObject::setMemberStr(const char *memberName, const char *text) {
    return setOrAdd(*this, memberName, [&](VyrItem &m) { m.setStr(text); });
}

VyrNamedItem *VyrObject::setMemberList(const char *memberName, const VyrList &list) {
    return setOrAdd(*this, memberName, [&](VyrItem &m) { m.setList(list); });
}

VyrNamedItem *VyrObject::setMemberObj(const char *memberName, const VyrObject &object) {
    return setOrAdd(*this, memberName, [&](VyrItem &m) { m.setObj(object); });
}

bool VyrObject::removeMember(const char *memberName) {
    VyrNamedItem *member = find(memberName);
    return member != nullptr && remove(member);
}
