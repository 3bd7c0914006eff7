// textfile.h - the engine's own file classes.
//
// VyrFile is a plain, unbuffered file that knows its full path, its size
// and a transfer state.  VyrTextFile adds a buffer of a chosen capacity with
// character, line, string and number operations and an optional escape mode
// (backslash escapes decoded on reading, encoded on writing).
//
// State: 0 closed or failed, 1 open, 2 open and a read returned fewer bytes
// than asked (end of data).  A short write drops the state to 0, after which
// every transfer is refused until the file is closed and opened again.
#ifndef VYR_TEXTFILE_H
#define VYR_TEXTFILE_H

#include <cstdint>
#include <memory>

#include "platform/platform.h"
#include "vyrstring.h"

class VyrFile {
public:
    enum Mode : int32_t { kRead = 0, kWrite = 1, kAppend = 2 };

    VyrFile();
    virtual ~VyrFile();
    VyrFile(const VyrFile &) = delete;
    VyrFile &operator=(const VyrFile &) = delete;

    // Opens in mode 0 (read), 1 (create or truncate) or 2 (append, creating
    // a missing file).  1 when the file is open (state 1), else 0.  A file
    // that is still open is closed first.  name() becomes the full path the
    // system reports; with fullName the name is such a path already (from
    // an earlier name()) and is kept as it is, which spares asking again.
    int32_t open(const char *name, int32_t mode, bool fullName = false);
    // Releases the handle: state 0, size 0.
    virtual void close();
    // Bytes read; 0 without reading when the state is 0.  A short read (or a
    // read error) sets state 2, a full one state 1.
    int32_t read(void *buffer, int32_t count);
    // Bytes written; 0 without writing when the state is 0.  A short write
    // sets state 0.  With a write buffer the bytes may only be collected:
    // a write that fails later, when the buffer goes out, sets state 0 then.
    int32_t write(const void *bytes, int32_t count);
    // Collects written bytes in a buffer of capacity bytes and writes them
    // when it is full, at flushWrites, close, read, seek and tell: one system
    // call per buffer instead of one per line.  0 turns buffering off.
    void setWriteBuffer(int32_t capacity);
    // Writes the collected bytes; false when the file is (now) failed.
    bool flushWrites();
    // Current / new absolute position; -1 when the state is 0.
    int32_t tell();
    int32_t seek(int32_t offset);
    // True when a file of this name exists and can be opened.
    static int32_t exists(const char *name);
    // The size the system reports now (it may differ from size() when the
    // file changed since it was opened); -1 when not open or unknown.  The
    // position is kept.
    int32_t currentSize() const;

    // The name given to open, replaced by the full path once open.
    const VyrString &name() const { return name_; }
    int32_t size() const { return size_; }
    int32_t state() const { return state_; }
    int32_t mode() const { return mode_; }
    bool isOpen() const { return handle_ != plat::kNoFile; }

protected:
    int32_t writeThrough(const void *bytes, int32_t count);

    VyrString name_;
    int32_t size_ = 0;
    int32_t state_ = 0;
    int32_t mode_ = -1;
    plat::FileHandle handle_ = plat::kNoFile;
    std::unique_ptr<char[]> pending_;  // the write buffer, when there is one
    int32_t pendingCapacity_ = 0;
    int32_t pendingLength_ = 0;
};

class VyrTextFile : public VyrFile {
public:
    VyrTextFile();
    ~VyrTextFile() override;

    // Opens with a buffer of capacity bytes (at least 1); in mode 0 the
    // buffer is filled at once.  1 when the file opened (its state may be 2
    // already when the file is shorter than the buffer), else 0.
    int32_t open(const char *name, int32_t mode, int32_t capacity);
    // Writes the waiting bytes, frees the buffer, closes the file.
    void close() override;
    // Writes the bytes waiting in the buffer.
    void flush();

    // True when a read met the end of the data and every byte is consumed.
    bool atEnd() const { return state_ == 2 && readPos_ >= count_; }
    // True when a byte can be read (fills the buffer when it is used up).
    bool hasByte();
    // The next raw byte without consuming it; 0 when there is none.
    unsigned char peekByte();

    // Reads one character (decoded in escape mode); 0 when there is none.
    char readChar();
    // Reads up to n characters into dest (not terminated); returns how many.
    int32_t readChars(char *dest, int32_t n);
    // Reads up to max characters into dest (which holds max + 1 bytes) up
    // to the delimiter, and terminates them with a zero.  Delimiter 0 ends
    // the line at LF, CR (each with one following byte of the other kind)
    // and at a zero byte.  Returns the number of characters stored.
    int32_t readLine(char *dest, int32_t max, char delimiter);
    // Reads a signed decimal number after optional white space.
    int32_t readNumber();

    // Writes n characters (encoded in escape mode); returns how many.
    int32_t writeChars(const char *bytes, int32_t n);
    // Writes length characters, or up to the terminating zero for -1.
    int32_t writeString(const char *text, int32_t length = -1);
    // Writes the decimal text of value.
    int32_t writeNumber(int32_t value);

    void setEscapeMode(bool on) { escape_ = on; }
    bool escapeMode() const { return escape_; }
    int32_t capacity() const { return capacity_; }

private:
    bool fill();
    bool putByte(unsigned char c);
    bool readable() const { return buffer_ != nullptr && mode_ == kRead; }
    bool writable() const { return buffer_ != nullptr && mode_ != kRead && state_ != 0; }

    unsigned char *buffer_ = nullptr;
    int32_t count_ = 0;
    int32_t capacity_ = 0;
    int32_t readPos_ = 0;
    int32_t writeLen_ = 0;
    bool escape_ = false;
};

#endif  // VYR_TEXTFILE_H
