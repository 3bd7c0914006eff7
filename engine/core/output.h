// output.h - VyrOutputFile, one generated output file with its protected
// regions.
//
// The previous version of the output file never leaves its name while a run
// writes the new one: it stays where it is, open for reading, and is scanned
// for protected regions ("<begin marker> <name> <content><end marker>").  The
// new content goes to a fresh file with a unique name in the same directory,
// which commit() moves over the output name in one step (the previous
// version is replaced at that moment) and rollback() deletes (the previous
// version stays exactly as it was).  Whatever happens to the process, the
// output name holds either the complete previous version or the complete new
// one.
#ifndef VYR_OUTPUT_H
#define VYR_OUTPUT_H

#include <cstdint>
#include <string>

#include "core/hashtable.h"
#include "core/textfile.h"
#include "vyrstring.h"

class VyrOutputFile {
public:
    // Previous versions are scanned and copied in chunks of this size.
    static constexpr int32_t kChunk = 64 * 1024;
    // The new content is written in blocks of this size.
    static constexpr int32_t kWriteBuffer = 64 * 1024;
    enum Mode : int32_t { kOutput = 1, kAppend = 2 };

    VyrOutputFile();
    // Rolls back an output that is still open: nothing is left behind.
    ~VyrOutputFile();
    VyrOutputFile(const VyrOutputFile &) = delete;
    VyrOutputFile &operator=(const VyrOutputFile &) = delete;

    // Starts a new output under name.  An output still open must have been
    // committed or rolled back first (open rolls it back otherwise).  When a
    // file of that name exists it becomes the previous version and its regions
    // are collected with the two markers (no regions when either is empty).
    // Mode kOutput starts the new content empty, kAppend with a copy of the
    // previous version.  False when the name is empty, names a directory, the
    // previous version cannot be read or the new file cannot be created or
    // filled: then nothing is open and no file was touched.
    bool open(const char *name, int32_t mode, const char *protectBegin, const char *protectEnd);

    // Closes the new content and moves it over the output name, replacing
    // the previous version.  When a write to the new content failed or the
    // move is refused, the new content is deleted, the previous version stays
    // and the library's message box tells; the result is then false.  True
    // when nothing was open.
    bool commit();
    // Closes and deletes the new content; the previous version is untouched.
    void rollback();

    bool isOpen() const { return temp_.isOpen(); }
    // The file the new content is written to; null when nothing is open.
    // Its writes are buffered: flushWrites() before anyone looks at the file.
    VyrFile *file() { return isOpen() ? &temp_ : nullptr; }
    // Full path of the output name ("" when nothing is open).
    const VyrString &path() const { return path_; }
    // Full path of the previous version ("" when there is none).
    const VyrString &previousPath() const { return previous_.isOpen() ? path_ : empty_; }
    // Full path of the file holding the new content ("" when none).
    const VyrString &tempPath() const { return tempPath_; }

    // The offset in the previous version just after the region's name; the
    // last region of that name (case ignored) counts.  False when there is
    // no such region.
    bool findRegion(const char *name, int32_t *offset);
    // Copies the previous version from offset up to the first end marker after
    // it (or to its end) into the new content.  False when nothing is open,
    // there is no previous version or a write failed.
    bool copyRegion(int32_t offset);
    // Number of distinct region names found.
    uint32_t regionCount() const { return table_.count(); }

private:
    // A new file object that takes over a handle created exclusively.
    class TempFile : public VyrFile {
    public:
        bool create(const char *dir, std::string &path);
        plat::FileHandle handle() const { return handle_; }
    };

    void scan();
    void addRegion(const std::string &name, int32_t offset);
    void closeAll();

    TempFile temp_;
    VyrFile previous_;
    VyrString path_;
    VyrString tempPath_;
    VyrString empty_;
    std::string begin_, end_;
    VyrHashTable table_;
    char work_[kChunk + 1];
    // Bytes of the previous version from windowBase_ on (-1: none), kept
    // between region copies; windowAtEnd_ once they reach the file's end.
    std::string window_;
    int32_t windowBase_ = -1;
    bool windowAtEnd_ = false;
};

#endif  // VYR_OUTPUT_H
