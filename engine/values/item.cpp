#include "values/item.h"

#include <new>
#include <utility>
#include <vector>

#include "values/list.h"

VyrItem::VyrItem(const char *text) : type_(kString) { new (value_.text) VyrString(text); }

VyrItem::VyrItem(const VyrString &text) : type_(kString) { new (value_.text) VyrString(text); }

VyrItem::VyrItem(const VyrList &list) : type_(kList) { value_.list = new VyrList(list); }

VyrItem::VyrItem(const VyrObject &object) : type_(kObject) { value_.obj = new VyrObject(object); }

VyrItem::VyrItem(const VyrItem &other) : VyrNode(other), regType_(other.regType_) { copyValueOf(other); }

VyrItem::VyrItem(VyrItem &&other) noexcept : VyrNode(), type_(other.type_), regType_(other.regType_) {
    if (type_ == kString) {
        new (value_.text) VyrString(std::move(*other.text()));
        other.text()->~VyrString();
    } else {
        value_ = other.value_;
    }
    other.type_ = kNone;
    other.value_.ptr = nullptr;
    other.regType_ = nullptr;
}

VyrItem &VyrItem::operator=(VyrItem &&other) noexcept {
    if (this != &other) {
        if (other.type_ == kString) {
            // The source may live inside this item's value: take its text first.
            VyrString taken(std::move(*other.text()));
            VyrRegType *link = other.regType_;
            other.freeValue();
            other.regType_ = nullptr;
            installText(std::move(taken));
            regType_ = link;
            return *this;
        }
        Value moved = other.value_;
        int32_t type = other.type_;
        VyrRegType *link = other.regType_;
        other.type_ = kNone;
        other.value_.ptr = nullptr;
        freeValue();
        type_ = type;
        value_ = moved;
        regType_ = link;
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
    switch (source.type_) {
    case kInteger: value_.num = source.value_.num; break;
    case kString: new (value_.text) VyrString(*source.text()); break;
    case kList: value_.list = new VyrList(*source.value_.list); break;
    case kObject: value_.obj = new VyrObject(*source.value_.obj); break;
    default: type_ = kNone; return;  // no value, or a type code this item cannot hold
    }
    type_ = source.type_;
}

void VyrItem::freeValue() {
    switch (type_) {
    case kString: text()->~VyrString(); break;
    case kList: delete value_.list; break;
    case kObject: delete value_.obj; break;
    default: break;
    }
    type_ = kNone;
    value_.ptr = nullptr;
}

void VyrItem::installText(VyrString &&built) {
    // The text may live inside the old value: take it before freeing that.
    VyrString taken(std::move(built));
    freeValue();
    new (value_.text) VyrString(std::move(taken));
    type_ = kString;
    regType_ = nullptr;
}

void VyrItem::installList(VyrList *built) {
    freeValue();
    value_.list = built;
    type_ = kList;
    regType_ = nullptr;
}

void VyrItem::installObject(VyrObject *built) {
    freeValue();
    value_.obj = built;
    type_ = kObject;
    regType_ = nullptr;
}

void VyrItem::assign(const VyrItem &source) {
    if (this == &source) return;
    VyrRegType *link = source.regType_;
    switch (source.type_) {
    case kInteger: setNum(source.value_.num); break;
    case kString:
        if (type_ == kString) *text() = *source.text();  // reuses the buffer; copies before freeing
        else installText(VyrString(*source.text()));
        break;
    case kList: installList(new VyrList(*source.value_.list)); break;
    case kObject: installObject(new VyrObject(*source.value_.obj)); break;
    default: freeValue(); break;
    }
    regType_ = link;
}

void VyrItem::release() {
    freeValue();
    regType_ = nullptr;
}

void VyrItem::setNum(int32_t value) {
    freeValue();
    value_.num = value;
    type_ = kInteger;
    regType_ = nullptr;
}

void VyrItem::setStr(const char *text) {
    if (type_ == kString) {
        *this->text() = text;  // copies before freeing, so text may point into it
        regType_ = nullptr;
        return;
    }
    installText(VyrString(text));
}

void VyrItem::setStr(const VyrString &text) {
    if (type_ == kString) {
        *this->text() = text;
        regType_ = nullptr;
        return;
    }
    installText(VyrString(text));
}

void VyrItem::setStr(VyrString &&text) {
    if (type_ == kString) {
        *this->text() = std::move(text);
        regType_ = nullptr;
        return;
    }
    installText(std::move(text));
}

void VyrItem::setList(const VyrList &list) { installList(new VyrList(list)); }

void VyrItem::setList(VyrList &&list) { installList(new VyrList(std::move(list))); }

void VyrItem::setObj(const VyrObject &object) { installObject(new VyrObject(object)); }

int32_t VyrItem::num() const {
    if (type_ == kInteger) return value_.num;
    if (type_ == kList) return value_.list->sel;
    return 0;
}
