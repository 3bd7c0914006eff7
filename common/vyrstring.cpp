#include "vyrstring.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/platform.h"
#include "vyrpool.h"

namespace {

char *newBuffer(int32_t capacity) { return static_cast<char *>(vyrPoolAlloc(static_cast<size_t>(capacity))); }

int32_t clampedLength(const char *text, int32_t n) {
    if (text == nullptr || n <= 0) return 0;
    const void *zero = std::memchr(text, 0, static_cast<size_t>(n));
    return zero ? static_cast<int32_t>(static_cast<const char *>(zero) - text) : n;
}

}  // namespace

VyrString::VyrString() : text_(newBuffer(8)), length_(0), capacity_(8) { text_[0] = '\0'; }

VyrString::VyrString(const char *text) : VyrString(text, text ? static_cast<int32_t>(std::strlen(text)) : 0) {}

VyrString::VyrString(const char *text, int32_t n) {
    length_ = clampedLength(text, n);
    capacity_ = capacityFor(length_);
    text_ = newBuffer(capacity_);
    if (length_) std::memcpy(text_, text, static_cast<size_t>(length_));
    text_[length_] = '\0';
}

VyrString::VyrString(const VyrString &other)
    : text_(nullptr), length_(other.length_),
      capacity_(other.capacity_ ? other.capacity_ : capacityFor(other.length_)) {
    text_ = newBuffer(capacity_);
    std::memcpy(text_, other.text_, static_cast<size_t>(length_) + 1);
}

VyrString::VyrString(VyrString &&other) noexcept
    : text_(other.text_), length_(other.length_), capacity_(other.capacity_) {
    // The source is left as a valid empty string without its own buffer; it
    // gets one again at its next modification or assignment.
    static char empty[1] = {'\0'};
    other.text_ = empty;
    other.length_ = 0;
    other.capacity_ = 0;
}

VyrString::VyrString(int32_t n, char ch) {
    length_ = n > 0 ? n : 0;
    capacity_ = capacityFor(length_);
    text_ = newBuffer(capacity_);
    if (length_) std::memset(text_, ch, static_cast<size_t>(length_));
    text_[length_] = '\0';
}

VyrString::VyrString(char ch) : text_(newBuffer(8)), length_(1), capacity_(8) {
    text_[0] = ch;
    text_[1] = '\0';
    if (ch == '\0') length_ = 0;
}

VyrString::~VyrString() {
    if (capacity_) vyrPoolFree(text_, static_cast<size_t>(capacity_));
}

void VyrString::allocate(int32_t length) {
    char *fresh = newBuffer(capacityFor(length));
    if (capacity_) vyrPoolFree(text_, static_cast<size_t>(capacity_));
    text_ = fresh;
    capacity_ = capacityFor(length);
}

VyrString &VyrString::operator=(const VyrString &other) {
    if (this == &other) return *this;
    int32_t capacity = other.capacity_ ? other.capacity_ : capacityFor(other.length_);
    if (capacity == capacity_) {
        // A buffer of the very size a fresh copy would get: reuse it.  (The
        // other text never lives in this buffer: copies share none.)
        std::memcpy(text_, other.text_, static_cast<size_t>(other.length_) + 1);
        length_ = other.length_;
        return *this;
    }
    char *fresh = newBuffer(capacity);
    std::memcpy(fresh, other.text_, static_cast<size_t>(other.length_) + 1);
    if (capacity_) vyrPoolFree(text_, static_cast<size_t>(capacity_));
    text_ = fresh;
    length_ = other.length_;
    capacity_ = capacity;
    return *this;
}

VyrString &VyrString::operator=(VyrString &&other) noexcept {
    if (this == &other) return *this;
    if (capacity_) vyrPoolFree(text_, static_cast<size_t>(capacity_));
    text_ = other.text_;
    length_ = other.length_;
    capacity_ = other.capacity_;
    static char empty[1] = {'\0'};
    other.text_ = empty;
    other.length_ = 0;
    other.capacity_ = 0;
    return *this;
}

VyrString &VyrString::operator=(const char *text) {
    int32_t n = text ? static_cast<int32_t>(std::strlen(text)) : 0;
    if (capacityFor(n) == capacity_) {
        // Same size as a fresh buffer would have: write in place (text may
        // point into this buffer, hence memmove).
        if (n) std::memmove(text_, text, static_cast<size_t>(n));
        text_[n] = '\0';
        length_ = n;
        return *this;
    }
    char *fresh = newBuffer(capacityFor(n));
    if (n) std::memcpy(fresh, text, static_cast<size_t>(n));  // text may point into our buffer
    fresh[n] = '\0';
    if (capacity_) vyrPoolFree(text_, static_cast<size_t>(capacity_));
    text_ = fresh;
    length_ = n;
    capacity_ = capacityFor(n);
    return *this;
}

void VyrString::clear() {
    if (capacity_ == 0) allocate(0);
    length_ = 0;
    text_[0] = '\0';
}

VyrString &VyrString::append(const VyrString &s) { return append(s.text_, s.length_); }

VyrString &VyrString::append(const char *text) {
    return append(text, text ? static_cast<int32_t>(std::strlen(text)) : 0);
}

VyrString &VyrString::append(const char *text, int32_t n) {
    n = clampedLength(text, n);
    int32_t total = length_ + n;
    char *fresh = newBuffer(capacityFor(total));
    std::memcpy(fresh, text_, static_cast<size_t>(length_));
    if (n) std::memcpy(fresh + length_, text, static_cast<size_t>(n));
    fresh[total] = '\0';
    if (capacity_) vyrPoolFree(text_, static_cast<size_t>(capacity_));
    text_ = fresh;
    length_ = total;
    capacity_ = capacityFor(total);
    return *this;
}

VyrString &VyrString::append(char ch) {
    if (ch == '\0') return *this;  // a zero byte always ends the text
    if (length_ + 1 >= capacity_) {
        char *fresh = newBuffer(capacityFor(length_ + 1));
        std::memcpy(fresh, text_, static_cast<size_t>(length_));
        if (capacity_) vyrPoolFree(text_, static_cast<size_t>(capacity_));
        text_ = fresh;
        capacity_ = capacityFor(length_ + 1);
    }
    text_[length_++] = ch;
    text_[length_] = '\0';
    return *this;
}

VyrString &VyrString::appendInt(int32_t value) { return append(fromInt(value)); }

void VyrString::remove(int32_t pos, int32_t count) {
    if (pos < 0 || pos > length_) return;
    if (count < 0 || count > length_ - pos) count = length_ - pos;
    if (count == 0) return;
    std::memmove(text_ + pos, text_ + pos + count, static_cast<size_t>(length_ - pos - count) + 1);
    length_ = static_cast<int32_t>(std::strlen(text_));
}

void VyrString::replace(int32_t pos, int32_t count, const char *text) {
    if (pos < 0) pos = 0;
    if (pos > length_) pos = length_;
    if (count < 0 || count > length_ - pos) count = length_ - pos;
    int32_t m = text ? static_cast<int32_t>(std::strlen(text)) : 0;
    int32_t newLength = length_ - count + m;
    int32_t tail = length_ - pos - count;
    if (newLength < capacity_ && (text == nullptr || text < text_ || text >= text_ + capacity_)) {
        std::memmove(text_ + pos + m, text_ + pos + count, static_cast<size_t>(tail));
        if (m) std::memcpy(text_ + pos, text, static_cast<size_t>(m));
    } else {
        char *fresh = newBuffer(capacityFor(newLength));
        std::memcpy(fresh, text_, static_cast<size_t>(pos));
        if (m) std::memcpy(fresh + pos, text, static_cast<size_t>(m));
        std::memcpy(fresh + pos + m, text_ + pos + count, static_cast<size_t>(tail));
        if (capacity_) vyrPoolFree(text_, static_cast<size_t>(capacity_));
        text_ = fresh;
        capacity_ = capacityFor(newLength);
    }
    length_ = newLength;
    text_[length_] = '\0';
}

void VyrString::trim(bool leading) {
    if (capacity_ == 0) return;
    int32_t start = 0;
    if (leading)
        while (start < length_ && static_cast<unsigned char>(text_[start]) <= 32) ++start;
    int32_t end = length_;
    while (end > start && static_cast<unsigned char>(text_[end - 1]) <= 32) --end;
    if (start) std::memmove(text_, text_ + start, static_cast<size_t>(end - start));
    length_ = end - start;
    text_[length_] = '\0';
}

void VyrString::fit(int32_t n, char ch) {
    if (n < 0) n = 0;
    if (n > length_) {
        char *fresh = newBuffer(capacityFor(n));
        std::memcpy(fresh, text_, static_cast<size_t>(length_));
        std::memset(fresh + length_, ch, static_cast<size_t>(n - length_));
        if (capacity_) vyrPoolFree(text_, static_cast<size_t>(capacity_));
        text_ = fresh;
        capacity_ = capacityFor(n);
    }
    if (capacity_ == 0) allocate(0);
    text_[n] = '\0';
    length_ = n;
    if (ch == '\0') length_ = static_cast<int32_t>(std::strlen(text_));
}

void VyrString::toUpper() { plat::upperBuffer(text_, static_cast<size_t>(length_)); }

void VyrString::toLower() { plat::lowerBuffer(text_, static_cast<size_t>(length_)); }

void VyrString::syncLength() { length_ = static_cast<int32_t>(std::strlen(text_)); }

VyrString VyrString::substr(int32_t pos, int32_t n) const {
    if (pos < 0) pos = 0;
    if (pos >= length_ || n <= 0) return VyrString();
    return VyrString(text_ + pos, n < length_ - pos ? n : length_ - pos);
}

VyrString VyrString::right(int32_t n) const {
    if (n <= 0) return VyrString();
    if (n > length_) n = length_;
    return VyrString(text_ + length_ - n, n);
}

int32_t VyrString::find(char ch) const {
    if (ch == '\0') return -1;
    const void *p = std::memchr(text_, ch, static_cast<size_t>(length_));
    return p ? static_cast<int32_t>(static_cast<const char *>(p) - text_) : -1;
}

int32_t VyrString::find(const char *text) const {
    if (text == nullptr || *text == '\0') return 0;
    const char *p = std::strstr(text_, text);
    return p ? static_cast<int32_t>(p - text_) : -1;
}

int32_t VyrString::findLast(char ch) const {
    if (ch == '\0') return -1;
    for (int32_t i = length_ - 1; i >= 0; --i)
        if (text_[i] == ch) return i;
    return -1;
}

int VyrString::compare(const char *text) const {
    // strcmp compares as unsigned char, and a proper prefix is less.
    return std::strcmp(text_, text ? text : "");
}

int VyrString::compareNoCase(const char *text) const { return vyrCompareNoCase(text_, text); }

bool VyrString::isBlank() const {
    for (int32_t i = 0; i < length_; ++i)
        if (!vyrIsSpace(static_cast<unsigned char>(text_[i]))) return false;
    return true;
}

int32_t VyrString::formatInt(int32_t value, char *out) {
    char digits[12];
    int n = 0;
    // Work in unsigned arithmetic so INT32_MIN converts too.
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    int32_t k = 0;
    if (value < 0) out[k++] = '-';
    while (n) out[k++] = digits[--n];
    out[k] = '\0';
    return k;
}

VyrString VyrString::fromInt(int32_t value) {
    char out[kIntTextSize];
    const int32_t n = formatInt(value, out);
    return VyrString(out, n);
}

int32_t VyrString::toInt() const {
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text_);
    while (vyrIsSpace(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    uint32_t value = 0;
    while (*p >= '0' && *p <= '9') value = value * 10u + static_cast<uint32_t>(*p++ - '0');
    return static_cast<int32_t>(negative ? 0u - value : value);
}

VyrString operator+(const VyrString &a, const VyrString &b) {
    VyrString r(a);
    r.append(b);
    return r;
}

int vyrCompareNoCase(const char *a, const char *b) {
    const unsigned char *p = reinterpret_cast<const unsigned char *>(a ? a : "");
    const unsigned char *q = reinterpret_cast<const unsigned char *>(b ? b : "");
    for (;; ++p, ++q) {
        unsigned char c = *p, d = *q;
        if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 32);
        if (d >= 'a' && d <= 'z') d = static_cast<unsigned char>(d - 32);
        if (c != d) return c < d ? -1 : 1;
        if (c == 0) return 0;
    }
}
