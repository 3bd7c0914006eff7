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

// A buffer for a new capacity, filled before it replaces the old one (the
// text that goes into it may come from the old buffer): on the heap, or on
// the stack for the capacity whose buffer is inside the object.
class VyrString::Fresh {
public:
    explicit Fresh(int32_t capacity)
        : capacity_(capacity), p_(capacity == kInline ? local_ : newBuffer(capacity)) {}
    Fresh(const Fresh &) = delete;
    Fresh &operator=(const Fresh &) = delete;
    char *data() { return p_; }

private:
    friend class VyrString;
    int32_t capacity_;
    char local_[kInline];
    char *p_;
};

void VyrString::release() {
    if (capacity_ > kInline) vyrPoolFree(store_.heap, static_cast<size_t>(capacity_));
}

void VyrString::install(Fresh &fresh) {
    release();
    capacity_ = fresh.capacity_;
    if (capacity_ == kInline) std::memcpy(store_.chars, fresh.local_, kInline);
    else store_.heap = fresh.p_;
}

VyrString::VyrString() : length_(0), capacity_(kInline) { store_.chars[0] = '\0'; }

VyrString::VyrString(const char *text) : VyrString(text, text ? static_cast<int32_t>(std::strlen(text)) : 0) {}

VyrString::VyrString(const char *text, int32_t n) {
    length_ = clampedLength(text, n);
    capacity_ = capacityFor(length_);
    if (capacity_ > kInline) store_.heap = newBuffer(capacity_);
    char *p = data();
    if (length_) std::memcpy(p, text, static_cast<size_t>(length_));
    p[length_] = '\0';
}

VyrString::VyrString(const VyrString &other) : length_(other.length_), capacity_(other.capacity_) {
    if (capacity_ > kInline) store_.heap = newBuffer(capacity_);
    std::memcpy(data(), other.c_str(), static_cast<size_t>(length_) + 1);
}

VyrString::VyrString(VyrString &&other) noexcept
    : store_(other.store_), length_(other.length_), capacity_(other.capacity_) {
    // The source is left empty, with the buffer inside itself.
    other.capacity_ = kInline;
    other.length_ = 0;
    other.store_.chars[0] = '\0';
}

VyrString::VyrString(int32_t n, char ch) {
    length_ = n > 0 ? n : 0;
    capacity_ = capacityFor(length_);
    if (capacity_ > kInline) store_.heap = newBuffer(capacity_);
    char *p = data();
    if (length_) std::memset(p, ch, static_cast<size_t>(length_));
    p[length_] = '\0';
}

VyrString::VyrString(char ch) : length_(ch == '\0' ? 0 : 1), capacity_(kInline) {
    store_.chars[0] = ch;
    store_.chars[1] = '\0';
}

VyrString::~VyrString() { release(); }

VyrString &VyrString::operator=(const VyrString &other) {
    if (this == &other) return *this;
    if (other.capacity_ == capacity_) {
        // A buffer of the very size a fresh copy would get: reuse it.  (The
        // other text never lives in this buffer: copies share none.)
        std::memcpy(data(), other.c_str(), static_cast<size_t>(other.length_) + 1);
        length_ = other.length_;
        return *this;
    }
    Fresh fresh(other.capacity_);
    std::memcpy(fresh.data(), other.c_str(), static_cast<size_t>(other.length_) + 1);
    install(fresh);
    length_ = other.length_;
    return *this;
}

VyrString &VyrString::operator=(VyrString &&other) noexcept {
    if (this == &other) return *this;
    release();
    store_ = other.store_;
    length_ = other.length_;
    capacity_ = other.capacity_;
    other.capacity_ = kInline;
    other.length_ = 0;
    other.store_.chars[0] = '\0';
    return *this;
}

VyrString &VyrString::operator=(const char *text) {
    int32_t n = text ? static_cast<int32_t>(std::strlen(text)) : 0;
    if (capacityFor(n) == capacity_) {
        // Same size as a fresh buffer would have: write in place (text may
        // point into this buffer, hence memmove).
        char *p = data();
        if (n) std::memmove(p, text, static_cast<size_t>(n));
        p[n] = '\0';
        length_ = n;
        return *this;
    }
    Fresh fresh(capacityFor(n));
    if (n) std::memcpy(fresh.data(), text, static_cast<size_t>(n));  // text may point into our buffer
    fresh.data()[n] = '\0';
    install(fresh);
    length_ = n;
    return *this;
}

void VyrString::clear() {
    length_ = 0;
    data()[0] = '\0';
}

VyrString &VyrString::append(const VyrString &s) { return append(s.c_str(), s.length_); }

VyrString &VyrString::append(const char *text) {
    return append(text, text ? static_cast<int32_t>(std::strlen(text)) : 0);
}

VyrString &VyrString::append(const char *text, int32_t n) {
    n = clampedLength(text, n);
    int32_t total = length_ + n;
    Fresh fresh(capacityFor(total));
    char *p = fresh.data();
    std::memcpy(p, c_str(), static_cast<size_t>(length_));
    if (n) std::memcpy(p + length_, text, static_cast<size_t>(n));  // text may point into our buffer
    p[total] = '\0';
    install(fresh);
    length_ = total;
    return *this;
}

VyrString &VyrString::append(char ch) {
    if (ch == '\0') return *this;  // a zero byte always ends the text
    if (length_ + 1 >= capacity_) {
        Fresh fresh(capacityFor(length_ + 1));
        std::memcpy(fresh.data(), c_str(), static_cast<size_t>(length_));
        install(fresh);
    }
    char *p = data();
    p[length_++] = ch;
    p[length_] = '\0';
    return *this;
}

VyrString &VyrString::appendInt(int32_t value) {
    char digits[kIntTextSize];
    return append(digits, formatInt(value, digits));
}

void VyrString::remove(int32_t pos, int32_t count) {
    if (pos < 0 || pos > length_) return;
    if (count < 0 || count > length_ - pos) count = length_ - pos;
    if (count == 0) return;
    char *p = data();
    std::memmove(p + pos, p + pos + count, static_cast<size_t>(length_ - pos - count) + 1);
    length_ = static_cast<int32_t>(std::strlen(p));
}

void VyrString::replace(int32_t pos, int32_t count, const char *text) {
    if (pos < 0) pos = 0;
    if (pos > length_) pos = length_;
    if (count < 0 || count > length_ - pos) count = length_ - pos;
    int32_t m = text ? static_cast<int32_t>(std::strlen(text)) : 0;
    int32_t newLength = length_ - count + m;
    int32_t tail = length_ - pos - count;
    char *p = data();
    if (newLength < capacity_ && (text == nullptr || text < p || text >= p + capacity_)) {
        std::memmove(p + pos + m, p + pos + count, static_cast<size_t>(tail));
        if (m) std::memcpy(p + pos, text, static_cast<size_t>(m));
    } else {
        Fresh fresh(capacityFor(newLength));
        char *q = fresh.data();
        std::memcpy(q, p, static_cast<size_t>(pos));
        if (m) std::memcpy(q + pos, text, static_cast<size_t>(m));
        std::memcpy(q + pos + m, p + pos + count, static_cast<size_t>(tail));
        install(fresh);
    }
    length_ = newLength;
    data()[length_] = '\0';
}

void VyrString::trim(bool leading) {
    char *p = data();
    int32_t start = 0;
    if (leading)
        while (start < length_ && static_cast<unsigned char>(p[start]) <= 32) ++start;
    int32_t end = length_;
    while (end > start && static_cast<unsigned char>(p[end - 1]) <= 32) --end;
    if (start) std::memmove(p, p + start, static_cast<size_t>(end - start));
    length_ = end - start;
    p[length_] = '\0';
}

void VyrString::fit(int32_t n, char ch) {
    if (n < 0) n = 0;
    if (n > length_) {
        Fresh fresh(capacityFor(n));
        std::memcpy(fresh.data(), c_str(), static_cast<size_t>(length_));
        std::memset(fresh.data() + length_, ch, static_cast<size_t>(n - length_));
        install(fresh);
    }
    char *p = data();
    p[n] = '\0';
    length_ = n;
    if (ch == '\0') length_ = static_cast<int32_t>(std::strlen(p));
}

void VyrString::toUpper() { plat::upperBuffer(data(), static_cast<size_t>(length_)); }

void VyrString::toLower() { plat::lowerBuffer(data(), static_cast<size_t>(length_)); }

void VyrString::syncLength() { length_ = static_cast<int32_t>(std::strlen(c_str())); }

VyrString VyrString::substr(int32_t pos, int32_t n) const {
    if (pos < 0) pos = 0;
    if (pos >= length_ || n <= 0) return VyrString();
    return VyrString(c_str() + pos, n < length_ - pos ? n : length_ - pos);
}

VyrString VyrString::right(int32_t n) const {
    if (n <= 0) return VyrString();
    if (n > length_) n = length_;
    return VyrString(c_str() + length_ - n, n);
}

int32_t VyrString::find(char ch) const {
    if (ch == '\0') return -1;
    const char *p = c_str();
    const void *hit = std::memchr(p, ch, static_cast<size_t>(length_));
    return hit ? static_cast<int32_t>(static_cast<const char *>(hit) - p) : -1;
}

int32_t VyrString::find(const char *text) const {
    if (text == nullptr || *text == '\0') return 0;
    const char *p = c_str();
    const char *hit = std::strstr(p, text);
    return hit ? static_cast<int32_t>(hit - p) : -1;
}

int32_t VyrString::findLast(char ch) const {
    if (ch == '\0') return -1;
    const char *p = c_str();
    for (int32_t i = length_ - 1; i >= 0; --i)
        if (p[i] == ch) return i;
    return -1;
}

int VyrString::compare(const char *text) const {
    // strcmp compares as unsigned char, and a proper prefix is less.
    return std::strcmp(c_str(), text ? text : "");
}

int VyrString::compareNoCase(const char *text) const { return vyrCompareNoCase(c_str(), text); }

bool VyrString::isBlank() const {
    const char *p = c_str();
    for (int32_t i = 0; i < length_; ++i)
        if (!vyrIsSpace(static_cast<unsigned char>(p[i]))) return false;
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
    const unsigned char *p = reinterpret_cast<const unsigned char *>(c_str());
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
