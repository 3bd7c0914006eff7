#include "core/textlist.h"

#include <cstring>
#include <functional>

void vyrAssignText(VyrString &s, const char *text, int32_t n) {
    if (text == nullptr || n < 0) n = 0;
    if (n > 0) {
        const void *zero = std::memchr(text, 0, static_cast<size_t>(n));
        if (zero) n = static_cast<int32_t>(static_cast<const char *>(zero) - text);
    }
    if (n < s.capacity()) {
        // The buffer holds n bytes and the terminator: copy in place.
        if (n) std::memmove(s.data(), text, static_cast<size_t>(n));
        s.data()[n] = '\0';
        s.syncLength();
    } else {
        s = VyrString(text, n);
    }
}

void VyrTextList::add(const char *text, int32_t n) {
    if (static_cast<size_t>(count_) == items_.size()) {
        // A short text lives inside its list slot, and a new slot may move
        // every slot: a text taken from this list is copied out first.
        const char *slots = reinterpret_cast<const char *>(items_.data());
        const std::less<const char *> before;  // a total order, also for unrelated pointers
        if (text != nullptr && !before(text, slots) && before(text, slots + items_.size() * sizeof(VyrString))) {
            const VyrString copy(text, n);
            items_.emplace_back();
            vyrAssignText(items_[static_cast<size_t>(count_++)], copy.c_str(), copy.length());
            return;
        }
        items_.emplace_back();
    }
    vyrAssignText(items_[static_cast<size_t>(count_)], text, n);
    ++count_;
}

void VyrTextList::add(const char *text) {
    add(text, text ? static_cast<int32_t>(std::strlen(text)) : 0);
}
