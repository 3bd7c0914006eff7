#include "vyrnode.h"

VyrNodeList::VyrNodeList(VyrNodeList &&other) noexcept
    : first(other.first), cursor(other.cursor), last(other.last), count(other.count),
      hintIndex_(other.hintIndex_), hint_(other.hint_) {
    other.init();
}

VyrNodeList &VyrNodeList::operator=(const VyrNodeList &other) {
    copy(other);
    return *this;
}

VyrNodeList &VyrNodeList::operator=(VyrNodeList &&other) noexcept {
    if (this != &other) {
        clear();
        first = other.first;
        cursor = other.cursor;
        last = other.last;
        count = other.count;
        hint_ = other.hint_;
        hintIndex_ = other.hintIndex_;
        other.init();
    }
    return *this;
}

void VyrNodeList::init() {
    first = cursor = last = nullptr;
    count = 0;
    hint_ = nullptr;
}

VyrNode *VyrNodeList::append(const VyrNode &node) { return appendNode(node.clone()); }

VyrNode *VyrNodeList::appendNode(VyrNode *node) {
    node->next = nullptr;
    node->prev = last;
    if (last)
        last->next = node;
    else
        first = cursor = node;
    last = node;
    ++count;
    return node;
}

void VyrNodeList::copy(const VyrNodeList &source) {
    if (this == &source) return;
    // Clone into a separate list first: the source may live inside one of
    // the nodes this list is about to destroy.
    VyrNodeList fresh;
    for (const VyrNode *n = source.first; n; n = n->next) fresh.append(*n);
    *this = static_cast<VyrNodeList &&>(fresh);
}

VyrNode *VyrNodeList::nodeAt(int32_t index) {
    if (index < 0 || static_cast<uint32_t>(index) >= count) return nullptr;
    const uint32_t i = static_cast<uint32_t>(index);
    // Start from whichever of the first node, the last node and the node of
    // the previous look-up is nearest, and walk towards the index.
    VyrNode *n = first;
    uint32_t at = 0;
    uint32_t distance = i;
    if (count - 1 - i < distance) {
        n = last;
        at = count - 1;
        distance = count - 1 - i;
    }
    if (hint_ != nullptr) {
        const uint32_t fromHint = i > hintIndex_ ? i - hintIndex_ : hintIndex_ - i;
        if (fromHint < distance) {
            n = hint_;
            at = hintIndex_;
        }
    }
    for (; at < i; ++at) n = n->next;
    for (; at > i; --at) n = n->prev;
    hint_ = n;
    hintIndex_ = i;
    cursor = n;
    return n;
}

VyrNode *VyrNodeList::detach(VyrNode *node) {
    if (node->prev)
        node->prev->next = node->next;
    else
        first = node->next;
    if (node->next)
        node->next->prev = node->prev;
    else
        last = node->prev;
    if (cursor == node) cursor = nullptr;
    hint_ = nullptr;  // the indices after the node have shifted
    node->next = node->prev = nullptr;
    --count;
    return node;
}

bool VyrNodeList::contains(const VyrNode *node) const {
    for (const VyrNode *n = first; n; n = n->next)
        if (n == node) return true;
    return false;
}

void VyrNodeList::clear() {
    VyrNode *n = first;
    // Unhook the nodes first, so a destroy that looks back at this list sees
    // it empty rather than half torn down.
    init();
    while (n) {
        VyrNode *following = n->next;
        n->destroy();
        n = following;
    }
}

VyrNode *VyrNodeList::walkNext() {
    if (cursor == nullptr || cursor->next == nullptr) return nullptr;
    return cursor = cursor->next;
}
