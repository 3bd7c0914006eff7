// item.h - VyrItem, the single value type of the script language and of the
// engine interface, and VyrNamedItem, an item with a name (object members,
// variables, constants).
//
// An item holds no value (type 0), an Integer (1), a String (2), a List (3)
// or an Object (4), and may link to a registered type of the type registry
// (not owned).  Copies are deep at every level.  Setting a value always
// releases the old one first and so drops the registered-type link; copying
// one item into another carries the link along.  There are no implicit
// conversions: a List's numeric value is its selection index.
#ifndef VYR_ITEM_H
#define VYR_ITEM_H

#include <cstdint>
#include <utility>

#include "vyrapi.h"
#include "vyrnode.h"
#include "vyrstring.h"

class VyrList;
class VyrObject;
struct VyrRegType;

class VyrItem : public VyrNode {
public:
    enum Type : int32_t { kNone = 0, kInteger = 1, kString = 2, kList = 3, kObject = 4 };

    VyrItem() = default;
    explicit VyrItem(int32_t value) : typeAndLink_(kInteger) { value_.num = value; }
    explicit VyrItem(const char *text);
    explicit VyrItem(const VyrString &text);
    explicit VyrItem(const VyrList &list);
    explicit VyrItem(const VyrObject &object);
    VyrItem(const VyrItem &other);
    VyrItem(VyrItem &&other) noexcept;
    VyrItem &operator=(const VyrItem &other) {
        assign(other);
        return *this;
    }
    VyrItem &operator=(VyrItem &&other) noexcept;
    ~VyrItem() override;

    VyrNode *clone() const override { return new VyrItem(*this); }
    // Deletes the item, or keeps it until the last VyrItemKeepAlive ends.
    void destroy() override;

    // Copies the source's type, value and registered-type link.  Assigning an
    // item to itself changes nothing; the source may be part of this item's
    // own value (an element or member of it).
    void assign(const VyrItem &source);
    // Frees the value; type 0, no registered type.
    void release();

    // Setters: release the old value (dropping the registered type), then
    // store a copy of the argument.  The argument may be part of this item's
    // own value.
    void setNum(int32_t value);
    void setStr(const char *text);
    void setStr(const VyrString &text);
    void setStr(VyrString &&text);
    void setList(const VyrList &list);
    // Takes over a list built for the item (it must not be part of the
    // item's own value).
    void setList(VyrList &&list);
    void setObj(const VyrObject &object);

    int32_t type() const { return static_cast<int32_t>(typeAndLink_ & kTypeBits); }
    bool isNumeric() const { return type() == kInteger || type() == kList; }
    bool isString() const { return type() == kString; }
    bool isList() const { return type() == kList; }
    bool isObject() const { return type() == kObject; }

    // Views.  num(): an Integer's value or a List's selection index, 0 for
    // other types.  str(), list(), obj(): the item's own value, or null when
    // the item holds another type.
    int32_t num() const;
    const VyrString *str() const { return type() == kString ? text() : nullptr; }
    VyrString *str() { return type() == kString ? text() : nullptr; }
    VyrList *list() const { return type() == kList ? value_.list : nullptr; }
    VyrObject *obj() const { return type() == kObject ? value_.obj : nullptr; }

    // The type and the registered-type link share one word (an item is the
    // engine's most numerous object): registered types are 8-byte aligned,
    // so the link's low three bits hold the type.
    static constexpr uintptr_t kTypeBits = 7;
    VyrRegType *regType() const { return reinterpret_cast<VyrRegType *>(typeAndLink_ & ~kTypeBits); }
    void setRegType(VyrRegType *type) {
        typeAndLink_ = reinterpret_cast<uintptr_t>(type) | (typeAndLink_ & kTypeBits);
    }

private:
    // A String lives inside the item (no allocation of its own besides its
    // buffer); a List or an Object is owned through a pointer.
    union Value {
        int32_t num;
        VyrList *list;
        VyrObject *obj;
        void *ptr;
        alignas(VyrString) unsigned char text[sizeof(VyrString)];
    };
    VyrString *text() { return reinterpret_cast<VyrString *>(value_.text); }
    const VyrString *text() const { return reinterpret_cast<const VyrString *>(value_.text); }
    // Frees the value: type 0 (the registered type is left alone).
    void freeValue();
    // Stores a value built beforehand, after freeing the old one.  Building
    // first keeps a source that lives inside the old value intact until it
    // has been copied.
    void installText(VyrString &&built);
    void installList(VyrList *built);
    void installObject(VyrObject *built);
    // Copies the value of source into this item, which holds none.
    void copyValueOf(const VyrItem &source);

    void setType(int32_t type) { typeAndLink_ = (typeAndLink_ & ~kTypeBits) | static_cast<uintptr_t>(type); }

    uintptr_t typeAndLink_ = kNone;  // the registered-type link | the type
    Value value_{};
};

// While one is active, items removed from their list or object (or from the
// symbol table) are not deleted but kept until the last one ends.  A call
// holds one while it evaluates its arguments: an argument passed by
// reference points at a variable, an element or a member, and a later
// argument (REMOVE on the same list, say) must not be able to free it under
// the function.  The kept items are unlinked; what is written to them is
// simply lost.  One thread, as the engine.
class VyrItemKeepAlive {
public:
    VyrItemKeepAlive() = default;
    ~VyrItemKeepAlive() { end(); }
    VyrItemKeepAlive(const VyrItemKeepAlive &) = delete;
    VyrItemKeepAlive &operator=(const VyrItemKeepAlive &) = delete;
    // Starts keeping items (once; later calls do nothing).
    void begin();
    // Stops; the last one to end deletes what was kept.
    void end();

private:
    bool active_ = false;
};

class VyrNamedItem : public VyrItem {
public:
    VyrString name;

    VyrNamedItem() = default;
    explicit VyrNamedItem(const char *itemName) : name(itemName) {}
    VyrNamedItem(const char *itemName, const VyrItem &value) : VyrItem(value), name(itemName) {}
    // The name is copied before the value is moved: it may be a text of
    // that value, and a short text moves with its string.
    VyrNamedItem(const char *itemName, VyrItem &&value) : VyrNamedItem(VyrString(itemName), std::move(value)) {}
    VyrNamedItem(VyrString &&itemName, VyrItem &&value) : VyrItem(std::move(value)), name(std::move(itemName)) {}
    VyrNamedItem(const VyrNamedItem &other) = default;
    VyrNamedItem &operator=(const VyrNamedItem &other) {
        if (this != &other) {
            assign(other);
            name = other.name;
        }
        return *this;
    }

    VyrNode *clone() const override { return new VyrNamedItem(*this); }
};

// Conversions between items and the opaque handles of the interface.
inline VyrItem *vyrItem(HVYRITEM handle) { return reinterpret_cast<VyrItem *>(handle); }
inline HVYRITEM vyrHandle(VyrItem *item) { return reinterpret_cast<HVYRITEM>(item); }

#endif  // VYR_ITEM_H
