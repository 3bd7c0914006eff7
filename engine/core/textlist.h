// textlist.h - VyrTextList, an ordered list of texts that keeps its buffers.
//
// The statement matcher and the tokenizer fill such a list for every script
// line and every call they see.  Clearing the list only forgets the count, so
// the next fill copies into the buffers already there and allocates only when
// a text outgrows its slot.
#ifndef VYR_TEXTLIST_H
#define VYR_TEXTLIST_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vyrstring.h"

// Makes s a copy of n bytes of text (fewer when a zero byte comes first),
// reusing s's buffer when it is large enough.
void vyrAssignText(VyrString &s, const char *text, int32_t n);

class VyrTextList {
public:
    int32_t count() const { return count_; }
    bool empty() const { return count_ == 0; }

    // Texts 0 .. count()-1; the index must be in range.
    const VyrString &operator[](int32_t i) const { return items_[static_cast<size_t>(i)]; }
    VyrString &operator[](int32_t i) { return items_[static_cast<size_t>(i)]; }

    // Forgets every text; the buffers stay for the next fill.
    void clear() { count_ = 0; }

    // Appends a copy of n bytes of text (fewer when a zero byte comes first).
    void add(const char *text, int32_t n);
    void add(const char *text);
    void add(const VyrString &text) { add(text.c_str(), text.length()); }

private:
    std::vector<VyrString> items_;
    int32_t count_ = 0;
};

#endif  // VYR_TEXTLIST_H
