#include "core/textlist.h"

#include <cstring>

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
    if (static_cast<size_t>(count_) < items_.size()) {
        vyrAssignText(items_[static_cast<size_t>(count_)], text, n);
    } else {
        // A new slot: the text is copied before the list grows, because
        // growing moves the slots (a short text with its slot) and the text
        // may be one of this list's own.
        items_.push_back(VyrString(text, n));
    }
    ++count_;
}

void VyrTextList::add(const char *text) {
    add(text, text ? static_cast<int32_t>(std::strlen(text)) : 0);
}
