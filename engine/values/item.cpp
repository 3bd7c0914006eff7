#include "values/item.h"

#include <new>
#include <utility>
#include <vector>

#include "types/registry.h"
#include "values/list.h"

static_assert(alignof(VyrRegType) > VyrItem::kTypeBits, "an item keeps its type in the low bits of its registered-type link");

VyrItem::VyrItem(const char *text) : typeAndLink_(kString) { new (value_.text) VyrString(text); }

VyrItem::VyrItem(const VyrString &text) : typeAndLink_(kString) { new (value_.text) VyrString(text); }

VyrItem::VyrItem(const VyrList &list) : typeAndLink_(kList) { value_.list = new VyrList(list); }

VyrItem::VyrItem(const VyrObject &object) : typeAndLink_(kObject) { value_.obj = new VyrObject(object); }

VyrItem::VyrItem(const VyrItem &other) : VyrNode(other), typeAndLink_(reinterpret_cast<uintptr_t>(other.regType())) {
    copyValueOf(other);
}

VyrItem::VyrItem(VyrItem &&other) noexcept : VyrNode(), typeAndLink_(other.typeAndLink_) {
    if (type() == kString) {
        new (value_.text) VyrString(std::move(*other.text()));
        other.text()->~VyrString();
    } else {
        value_ = other.value_;
    }
    other.typeAndLink_ = kNone;
    other.value_.ptr = nullptr;
}

VyrItem &VyrItem::operator=(VyrItem &&other) noexcept {
    if (this != &other) {
        if (other.type() == kString) {
            // The source may live inside this item's value: take its text first.
            VyrString taken(std::move(*other.text()));
            VyrRegType *link = other.regType();
            other.freeValue();
            other.setRegType(nullptr);
            installText(std::move(taken));
            setRegType(link);
            return *this;
        }
        Value moved = other.value_;
        int32_t type = other.type();
        VyrRegType *link = other.regType();
        other.setType(kNone);
        other.value_.ptr = nullptr;
        freeValue();
        setType(type);
        value_ = moved;
        setRegType(link);
    }
    return *this;
}

VyrItem::~VyrItem() { freeValue(); }

namespace {
int32_t g_keepAlive = 0;
std::vector<VyrItem *> g_kept;
}  // namespace

void VyrItem::destroy() {
    if (g_keepAlive > 0)
        g_kept.push_back(this);
    else
        delete this;
}

void VyrItemKeepAlive::begin() {
    if (active_) return;
    active_ = true;
    ++g_keepAlive;
}

void VyrItemKeepAlive::end() {
    if (!active_) return;
    active_ = false;
    if (--g_keepAlive > 0) return;
    // Deleting a kept item may destroy the items of its own value: those
    // are deleted at once now, the count being 0.
    std::vector<VyrItem *> kept;
    kept.swap(g_kept);
    for (VyrItem *item : kept) delete item;
}

void VyrItem::copyValueOf(const VyrItem &source) {
    switch (source.type()) {
    case kInteger: value_.num = source.value_.num; break;
    case kString: new (value_.text) VyrString(*source.text()); break;
    case kList: value_.list = new VyrList(*source.value_.list); break;
    case kObject: value_.obj = new VyrObject(*source.value_.obj); break;
    default: setType(kNone); return;  // no value, or a type code this item cannot hold
    }
    setType(source.type());
}

void VyrItem::freeValue() {
    switch (type()) {
    case kString: text()->~VyrString(); break;
    case kList: delete value_.list; break;
    case kObject: delete value_.obj; break;
    default: break;
    }
    setType(kNone);
    value_.ptr = nullptr;
}

void VyrItem::installText(VyrString &&built) {
    // The text may live inside the old value: take it before freeing that.
    VyrString taken(std::move(built));
    freeValue();
    new (value_.text) VyrString(std::move(taken));
    setType(kString);
    setRegType(nullptr);
}

void VyrItem::installList(VyrList *built) {
    freeValue();
    value_.list = built;
    setType(kList);
    setRegType(nullptr);
}

void VyrItem::installObject(VyrObject *built) {
    freeValue();
    value_.obj = built;
    setType(kObject);
    setRegType(nullptr);
}

void VyrItem::assign(const VyrItem &source) {
    if (this == &source) return;
    VyrRegType *link = source.regType();
    switch (source.type()) {
    case kInteger: setNum(source.value_.num); break;
    case kString:
        if (type() == kString) *text() = *source.text();  // reuses the buffer; copies before freeing
        else installText(VyrString(*source.text()));
        break;
    case kList: installList(new VyrList(*source.value_.list)); break;
    case kObject: installObject(new VyrObject(*source.value_.obj)); break;
    default: freeValue(); break;
    }
    setRegType(link);
}

void VyrItem::release() {
    freeValue();
    setRegType(nullptr);
}

void VyrItem::setNum(int32_t value) {
    freeValue();
    value_.num = value;
    setType(kInteger);
    setRegType(nullptr);
}

void VyrItem::setStr(const char *text) {
    if (type() == kString) {
        *this->text() = text;  // copies before freeing, so text may point into it
        setRegType(nullptr);
        return;
    }
    installText(VyrString(text));
}

void VyrItem::setStr(const VyrString &text) {
    if (type() == kString) {
        *this->text() = text;
        setRegType(nullptr);
        return;
    }
    installText(VyrString(text));
}

void VyrItem::setStr(VyrString &&text) {
    if (type() == kString) {
        *this->text() = std::move(text);
        setRegType(nullptr);
        return;
    }
    installText(std::move(text));
}

void VyrItem::setList(const VyrList &list) { installList(new VyrList(list)); }

void VyrItem::setList(VyrList &&list) { installList(new VyrList(std::move(list))); }

void VyrItem::setObj(const VyrObject &object) { installObject(new VyrObject(object)); }

int32_t VyrItem::num() const {
    if (type() == kInteger) return value_.num;
    if (type() == kList) return value_.list->sel;
    return 0;
}
