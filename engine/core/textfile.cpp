#include "core/textfile.h"

#include <cstdlib>
#include <cstring>
#include <string>

// ---- VyrFile ---------------------------------------------------------------

VyrFile::VyrFile() = default;

VyrFile::~VyrFile() { VyrFile::close(); }

int32_t VyrFile::currentSize() const {
    return handle_ == plat::kNoFile ? -1 : plat::fileSize(handle_);
}

int32_t VyrFile::open(const char *nameIn, int32_t mode, bool fullName) {
    // The name may point into name_ itself: take a copy before closing.
    std::string given = nameIn ? nameIn : "";
    const char *name = given.c_str();
    close();
    name_ = name;
    size_ = 0;
    state_ = 0;
    mode_ = -1;
    if (*name == '\0') return 0;

    plat::FileHandle h = plat::kNoFile;
    switch (mode) {
    case kRead: h = plat::fileOpen(name, plat::kOpenRead); break;
    case kWrite: h = plat::fileOpen(name, plat::kOpenCreate); break;
    case kAppend:
        h = plat::fileOpen(name, plat::fileExists(name) ? plat::kOpenWrite : plat::kOpenCreate);
        break;
    default: return 0;
    }
    if (h == plat::kNoFile) return 0;

    if (mode == kRead) {
        // Reading starts at the beginning, where a new handle stands.  A
        // file of no known size may be something that cannot be read from
        // its start (a device): it is refused unless it can be positioned.
        const int32_t end = plat::fileSize(h);
        size_ = end > 0 ? end : 0;
        if (size_ == 0 && (plat::fileSeek(h, 0, plat::kSeekEnd) < 0 || plat::fileSeek(h, 0, plat::kSeekSet) != 0)) {
            plat::fileClose(h);
            return 0;
        }
    } else if (mode == kAppend) {
        // Appending writes at the end.
        const int32_t end = plat::fileSeek(h, 0, plat::kSeekEnd);
        size_ = end > 0 ? end : 0;
    }
    handle_ = h;
    mode_ = mode;
    if (!fullName) name_ = plat::fullPath(name).c_str();
    state_ = 1;
    return 1;
}

void VyrFile::close() {
    flushWrites();
    if (handle_ != plat::kNoFile) plat::fileClose(handle_);
    handle_ = plat::kNoFile;
    state_ = 0;
    size_ = 0;
}

int32_t VyrFile::read(void *buffer, int32_t count) {
    if (!flushWrites() || buffer == nullptr || count < 0) return 0;
    int32_t n = plat::fileRead(handle_, buffer, count);
    if (n < 0) n = 0;  // a read error ends the data
    state_ = n < count ? 2 : 1;
    return n;
}

int32_t VyrFile::write(const void *bytes, int32_t count) {
    if (state_ == 0 || count < 0 || (bytes == nullptr && count > 0)) return 0;
    if (pending_ == nullptr) return writeThrough(bytes, count);
    if (count > pendingCapacity_ - pendingLength_ && !flushWrites()) return 0;
    if (count >= pendingCapacity_) return writeThrough(bytes, count);
    std::memcpy(pending_.get() + pendingLength_, bytes, static_cast<size_t>(count));
    pendingLength_ += count;
    return count;
}

void VyrFile::setWriteBuffer(int32_t capacity) {
    flushWrites();
    pendingLength_ = 0;
    pendingCapacity_ = capacity > 0 ? capacity : 0;
    pending_.reset(capacity > 0 ? new char[static_cast<size_t>(capacity)] : nullptr);
}

bool VyrFile::flushWrites() {
    if (pendingLength_ > 0) {
        const int32_t n = pendingLength_;
        pendingLength_ = 0;
        // A failed file drops what it collected, as it refuses later writes.
        if (state_ != 0) writeThrough(pending_.get(), n);
    }
    return state_ != 0;
}

int32_t VyrFile::writeThrough(const void *bytes, int32_t count) {
    int32_t n = count > 0 ? plat::fileWrite(handle_, bytes, count) : 0;
    if (n < 0) n = 0;
    state_ = n == count ? 1 : 0;
    return n;
}

int32_t VyrFile::tell() {
    if (!flushWrites()) return -1;
    return plat::fileSeek(handle_, 0, plat::kSeekCur);
}

int32_t VyrFile::seek(int32_t offset) {
    if (!flushWrites() || offset < 0) return -1;
    return plat::fileSeek(handle_, offset, plat::kSeekSet);
}

int32_t VyrFile::exists(const char *name) { return plat::fileExists(name) ? 1 : 0; }

// ---- VyrTextFile -----------------------------------------------------------

VyrTextFile::VyrTextFile() = default;

VyrTextFile::~VyrTextFile() { VyrTextFile::close(); }

int32_t VyrTextFile::open(const char *name, int32_t mode, int32_t capacity) {
    close();
    if (capacity < 1) {
        name_ = name ? name : "";
        return 0;
    }
    if (!VyrFile::open(name, mode)) return 0;
    buffer_ = static_cast<unsigned char *>(std::malloc(static_cast<size_t>(capacity)));
    if (buffer_ == nullptr) {
        VyrFile::close();
        return 0;
    }
    capacity_ = capacity;
    if (mode == kRead) fill();
    return 1;
}

void VyrTextFile::close() {
    flush();
    std::free(buffer_);
    buffer_ = nullptr;
    capacity_ = count_ = readPos_ = writeLen_ = 0;
    VyrFile::close();
}

void VyrTextFile::flush() {
    if (writeLen_ <= 0) return;
    write(buffer_, writeLen_);  // a short write drops the state to 0
    writeLen_ = 0;
    plat::pumpMessages();
}

bool VyrTextFile::fill() {
    plat::pumpMessages();
    int32_t n = read(buffer_, capacity_);
    count_ = n;
    readPos_ = 0;
    return n > 0;
}

bool VyrTextFile::hasByte() {
    if (!readable()) return false;
    if (readPos_ < count_) return true;
    // Refill only while the data has not ended; a file in state 0 reads
    // nothing anyway.
    if (state_ != 1) return false;
    return fill();
}

unsigned char VyrTextFile::peekByte() { return hasByte() ? buffer_[readPos_] : 0; }

char VyrTextFile::readChar() {
    if (!hasByte()) return 0;
    unsigned char c = buffer_[readPos_++];
    if (!escape_ || c != '\\') return static_cast<char>(c);
    // The backslash is consumed before the buffer is refilled, so a pair
    // split by a fill decodes like any other.
    if (!hasByte()) return '\\';
    unsigned char e = buffer_[readPos_++];
    switch (e) {
    case 'b': return '\b';
    case 'n': return '\n';
    case 'r': return '\r';
    case 't': return '\t';
    default: return static_cast<char>(e);
    }
}

int32_t VyrTextFile::readChars(char *dest, int32_t n) {
    if (dest == nullptr) return 0;
    int32_t got = 0;
    while (got < n && hasByte()) dest[got++] = readChar();
    return got;
}

int32_t VyrTextFile::readLine(char *dest, int32_t max, char delimiter) {
    if (dest == nullptr) return 0;
    int32_t got = 0;
    while (got < max && hasByte()) {
        unsigned char c = buffer_[readPos_];
        if (c == static_cast<unsigned char>(delimiter)) {
            ++readPos_;
            break;
        }
        if (delimiter == '\0' && (c == '\n' || c == '\r')) {
            ++readPos_;
            unsigned char other = c == '\n' ? '\r' : '\n';
            if (hasByte() && buffer_[readPos_] == other) ++readPos_;
            break;
        }
        dest[got++] = readChar();
    }
    dest[got < 0 ? 0 : got] = '\0';
    return got;
}

int32_t VyrTextFile::readNumber() {
    while (hasByte() && vyrIsSpace(buffer_[readPos_])) ++readPos_;
    char text[33];
    int32_t n = 0;
    if (hasByte() && (buffer_[readPos_] == '-' || buffer_[readPos_] == '+')) {
        if (buffer_[readPos_] == '-') text[n++] = '-';
        ++readPos_;
    }
    while (n < 32 && hasByte() && buffer_[readPos_] >= '0' && buffer_[readPos_] <= '9')
        text[n++] = static_cast<char>(buffer_[readPos_++]);
    text[n] = '\0';
    // Out-of-range numbers saturate instead of wrapping around.
    bool negative = text[0] == '-';
    int64_t value = 0;
    for (int32_t i = negative ? 1 : 0; i < n; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<int64_t>(INT32_MAX) + 1) value = static_cast<int64_t>(INT32_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) value = INT32_MAX;
    return static_cast<int32_t>(value);
}

bool VyrTextFile::putByte(unsigned char c) {
    if (writeLen_ >= capacity_) flush();
    if (state_ == 0) return false;
    buffer_[writeLen_++] = c;
    return true;
}

int32_t VyrTextFile::writeChars(const char *bytes, int32_t n) {
    if (bytes == nullptr || !writable()) return 0;
    int32_t done = 0;
    for (; done < n; ++done) {
        unsigned char c = static_cast<unsigned char>(bytes[done]);
        if (escape_) {
            unsigned char e = 0;
            switch (c) {
            case '\b': e = 'b'; break;
            case '\t': e = 't'; break;
            case '\n': e = 'n'; break;
            case '\r': e = 'r'; break;
            case '"': case '\\': e = c; break;
            default: break;
            }
            if (e) {
                if (!putByte('\\') || !putByte(e)) break;
                continue;
            }
        }
        if (!putByte(c)) break;
    }
    return done;
}

int32_t VyrTextFile::writeString(const char *text, int32_t length) {
    if (text == nullptr) return 0;
    if (length == -1) length = static_cast<int32_t>(std::strlen(text));
    return writeChars(text, length);
}

int32_t VyrTextFile::writeNumber(int32_t value) {
    char digits[VyrString::kIntTextSize];
    return writeChars(digits, VyrString::formatInt(value, digits));
}
