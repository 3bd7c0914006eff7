// vyrstring.h - VyrString, the counted, owned, zero-terminated 8-bit text
// type of the engine and the IDE.
//
// Whenever an operation sizes a buffer for a text of length L, the capacity
// becomes the smallest multiple of 8 strictly greater than L.  Copies never
// share buffers.  Only appending one character reuses spare capacity.
//
// A buffer of capacity 8 (texts of up to 7 characters: most names and many
// values) lives inside the object itself, so such texts allocate nothing.
// c_str() and data() of such a text point into the object: they stay valid
// while the object is neither moved nor changed, like every other pointer
// into a text.
#ifndef VYR_STRING_H
#define VYR_STRING_H

#include <cstdint>

class VyrString {
public:
    VyrString();
    VyrString(const char *text);
    VyrString(const char *text, int32_t n);
    VyrString(const VyrString &other);
    VyrString(VyrString &&other) noexcept;
    VyrString(int32_t n, char ch);
    explicit VyrString(char ch);
    ~VyrString();

    VyrString &operator=(const VyrString &other);
    VyrString &operator=(VyrString &&other) noexcept;
    VyrString &operator=(const char *text);

    const char *c_str() const { return capacity_ == kInline ? store_.chars : store_.heap; }
    char *data() { return capacity_ == kInline ? store_.chars : store_.heap; }
    int32_t length() const { return length_; }
    int32_t capacity() const { return capacity_; }
    bool empty() const { return length_ == 0; }
    char operator[](int32_t i) const { return c_str()[i]; }

    // Modification.
    void clear();
    VyrString &append(const VyrString &s);
    VyrString &append(const char *text);
    VyrString &append(const char *text, int32_t n);
    VyrString &append(char ch);
    VyrString &appendInt(int32_t value);
    VyrString &operator+=(const VyrString &s) { return append(s); }
    VyrString &operator+=(const char *text) { return append(text); }
    VyrString &operator+=(char ch) { return append(ch); }
    void remove(int32_t pos, int32_t count);
    void replace(int32_t pos, int32_t count, const char *text);
    void trim(bool leading);
    void fit(int32_t n, char ch);
    void toUpper();
    void toLower();
    // Recomputes the length from the buffer after a caller wrote into data()
    // (the text must stay within the capacity and be zero-terminated).
    void syncLength();

    // Extraction.
    VyrString substr(int32_t pos, int32_t n) const;
    VyrString left(int32_t n) const { return substr(0, n); }
    VyrString right(int32_t n) const;

    // Queries.
    int32_t find(char ch) const;
    int32_t find(const char *text) const;
    int32_t findLast(char ch) const;
    int compare(const char *text) const;
    int compare(const VyrString &s) const { return compare(s.c_str()); }
    int compareNoCase(const char *text) const;
    bool equalsNoCase(const char *text) const { return compareNoCase(text) == 0; }
    bool isBlank() const;

    // Number conversion.
    static VyrString fromInt(int32_t value);
    // The same text written into out (at least kIntTextSize bytes), with a
    // closing zero, without making a string; returns its length.
    static constexpr int32_t kIntTextSize = 12;
    static int32_t formatInt(int32_t value, char *out);
    int32_t toInt() const;

    // The capacity rule: the smallest multiple of 8 greater than length.
    static int32_t capacityFor(int32_t length) { return (length / 8) * 8 + 8; }

private:
    // The capacity whose buffer is the object's own.
    static constexpr int32_t kInline = 8;
    class Fresh;

    // Frees a buffer of the heap (the text is then undefined).
    void release();
    // Frees the old buffer and takes over a new one filled by the caller.
    void install(Fresh &fresh);

    union Store {
        char *heap;             // capacity > kInline
        char chars[kInline];    // capacity == kInline
    } store_;
    int32_t length_;
    int32_t capacity_;
};

inline bool operator==(const VyrString &a, const VyrString &b) { return a.compare(b) == 0; }
inline bool operator!=(const VyrString &a, const VyrString &b) { return a.compare(b) != 0; }
inline bool operator<(const VyrString &a, const VyrString &b) { return a.compare(b) < 0; }
inline bool operator>(const VyrString &a, const VyrString &b) { return a.compare(b) > 0; }
inline bool operator<=(const VyrString &a, const VyrString &b) { return a.compare(b) <= 0; }
inline bool operator>=(const VyrString &a, const VyrString &b) { return a.compare(b) >= 0; }
inline bool operator==(const VyrString &a, const char *b) { return a.compare(b) == 0; }
inline bool operator!=(const VyrString &a, const char *b) { return a.compare(b) != 0; }
inline bool operator<(const VyrString &a, const char *b) { return a.compare(b) < 0; }
inline bool operator>(const VyrString &a, const char *b) { return a.compare(b) > 0; }
inline bool operator<=(const VyrString &a, const char *b) { return a.compare(b) <= 0; }
inline bool operator>=(const VyrString &a, const char *b) { return a.compare(b) >= 0; }

VyrString operator+(const VyrString &a, const VyrString &b);

// Compares two texts byte by byte after folding ASCII a-z to A-Z (the rule
// for member, symbol and keyword names).  Null counts as empty.
int vyrCompareNoCase(const char *a, const char *b);

// The white-space class of the library: tab, LF, VT, FF, CR and space.
inline bool vyrIsSpace(unsigned char c) { return c == ' ' || (c >= 9 && c <= 13); }

#endif  // VYR_STRING_H
