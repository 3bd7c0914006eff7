#include "values/item.h"

#include <utility>
#include <vector>

#include "values/list.h"

VyrItem::VyrItem(const char *text) : type_(kString) { value_.str = new VyrString(text); }

VyrItem::VyrItem(const VyrString &text) : type_(kString) { value_.str = new VyrString(text); }

VyrItem::VyrItem(const VyrList &list) : type_(kList) { value_.list = new VyrList(list); }

VyrItem::VyrItem(const VyrObject &object) : type_(kObject) { value_.obj = new VyrObject(object); }

VyrItem::VyrItem(const VyrItem &other)
    : VyrNode(other), type_(other.type_), value_(copyValue(other.type_, other.value_)),
      regType_(other.regType_) {
    if (type_ != kInteger && value_.ptr == nullptr) type_ = kNone;
}

VyrItem::VyrItem(VyrItem &&other) noexcept
    : VyrNode(), type_(other.type_), value_(other.value_), regType_(other.regType_) {
    other.type_ = kNone;
    other.value_.ptr = nullptr;
    other.regType_ = nullptr;
}

VyrItem &VyrItem::operator=(VyrItem &&other) noexcept {
    if (this != &other) {
        freeValue(type_, value_);
        type_ = other.type_;
        value_ = other.value_;
        regType_ = other.regType_;
        other.type_ = kNone;
        other.value_.ptr = nullptr;
        other.regType_ = nullptr;
    }
    return *this;
}

VyrItem::~VyrItem() { freeValue(type_, value_); }

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

VyrItem::Value VyrItem::copyValue(int32_t type, Value value) {
    Value copy{};
    switch (type) {
    case kInteger: copy.num = value.num; break;
    case kString: copy.str = new VyrString(*value.str); break;
    case kList: copy.list = new VyrList(*value.list); break;
    case kObject: copy.obj = new VyrObject(*value.obj); break;
    default: break;  // no value, or a type code this item cannot hold
    }
    return copy;
}

void VyrItem::freeValue(int32_t type, Value value) {
    switch (type) {
    case kString: delete value.str; break;
    case kList: delete value.list; break;
    case kObject: delete value.obj; break;
    default: break;
    }
}

void VyrItem::install(int32_t type, Value value) {
    freeValue(type_, value_);
    type_ = type;
    value_ = value;
    regType_ = nullptr;
}

void VyrItem::assign(const VyrItem &source) {
    if (this == &source) return;
    VyrRegType *link = source.regType_;
    if (type_ == kString && source.type_ == kString && value_.str != source.value_.str) {
        // Reuse the string record: one allocation instead of two.
        *value_.str = *source.value_.str;
        regType_ = link;
        return;
    }
    int32_t type = source.type_;
    Value copy = copyValue(type, source.value_);
    if (type != kInteger && copy.ptr == nullptr) type = kNone;
    install(type, copy);
    regType_ = link;
}

void VyrItem::release() { install(kNone, Value{}); }

void VyrItem::setNum(int32_t value) {
    Value v{};
    v.num = value;
    install(kInteger, v);
}

void VyrItem::setStr(const char *text) {
    if (type_ == kString) {
        *value_.str = text;  // copies before freeing, so text may point into it
        regType_ = nullptr;
        return;
    }
    Value v{};
    v.str = new VyrString(text);
    install(kString, v);
}

void VyrItem::setStr(const VyrString &text) {
    if (type_ == kString) {
        *value_.str = text;
        regType_ = nullptr;
        return;
    }
    Value v{};
    v.str = new VyrString(text);
    install(kString, v);
}

void VyrItem::setStr(VyrString &&text) {
    if (type_ == kString) {
        *value_.str = std::move(text);
        regType_ = nullptr;
        return;
    }
    Value v{};
    v.str = new VyrString(std::move(text));
    install(kString, v);
}

void VyrItem::setList(const VyrList &list) {
    Value v{};
    v.list = new VyrList(list);
    install(kList, v);
}

void VyrItem::setList(VyrList &&list) {
    Value v{};
    v.list = new VyrList(std::move(list));
    install(kList, v);
}

void VyrItem::setObj(const VyrObject &object) {
    Value v{};
    v.obj = new VyrObject(object);
    install(kObject, v);
}

int32_t VyrItem::num() const {
    if (type_ == kInteger) return value_.num;
    if (type_ == kList) return value_.list->sel;
    return 0;
}
