// reader.h - the script reader: turns one script file into the script lines
// the interpreter executes, and copies the template text around them into the
// current output file.
//
// The file is read in 4096-byte chunks and physical lines are assembled from
// them (LF and CR LF end a line; a CR inside a line drops the rest of it; a
// zero byte ends a line).  In script-marker mode only the parts of a line
// between the sub-line markers are script text; the rest is template text,
// collected in the output line and written when the line is finished.
// Comments are removed from script text and blank script texts skipped as the
// reader options say.
#ifndef VYR_READER_H
#define VYR_READER_H

#include <cstdint>
#include <string>
#include <vector>

#include "core/limits.h"
#include "core/textfile.h"
#include "vyrstring.h"

// The options every script reader of an engine obeys (owned by the engine).
// flags holds VYRO_NOCOMMENTS, VYRO_NOBLANKLINES, VYRO_XLATSUBLINES and the
// cancel bit VYR_CANCEL.
struct VyrReaderOptions {
    uint32_t flags = 0;
    VyrString subLineBegin, subLineEnd, commentMark, commentBegin, commentEnd;
};

// Where interpretation stands: the current script text, the byte offset at
// which its physical line begins and that line's number (first line 1).
struct VyrLinePos {
    VyrString text;
    int32_t offset = 0;
    int32_t line = 0;
};

class VyrScriptReader {
public:
    static constexpr int32_t kChunk = 4096;

    explicit VyrScriptReader(const VyrReaderOptions &options);
    ~VyrScriptReader();
    VyrScriptReader(const VyrScriptReader &) = delete;
    VyrScriptReader &operator=(const VyrScriptReader &) = delete;

    // Opens the script file for reading; 1 when it opened, else 0.  With
    // fullPath the path is a file's full path already (VyrFile::open).
    int32_t open(const char *path, bool fullPath = false);
    // Closes the file and forgets the current line.
    void close();
    bool isOpen() const { return file_.state() != 0; }

    // The script file: full path and size.
    const VyrFile &file() const { return file_; }

    // Attaches the output file (null for none).  Only in script-marker mode;
    // a file that failed to open is replaced by none.  1 on success.
    int32_t attachOutput(VyrFile *output);
    VyrFile *output() const { return output_; }

    // Points at the engine's active flag; text is produced only while it is
    // non-zero.  Without one the reader counts as active.
    void setActive(const int32_t *active) { active_ = active; }

    // Delivers the next script text with its line and offset: 1, or 0 at the
    // end of the file or after a cancel.
    int32_t nextScriptLine(VyrLinePos &pos);

    // Writes the output line of the current physical line; withRest adds the
    // template text after the last script part and a line end.
    void flush(bool withRest);

    // Moves so that the next physical line read starts at pos.offset and gets
    // number pos.line; pos then holds the line before it.  No file access when
    // the offset lies inside the chunk in memory.
    void seek(VyrLinePos &pos);

    // Adds text to the output line (values of expression lines, Print).
    void appendOutput(const char *text, int32_t length = -1);
    const std::string &outputLine() const { return outLine_; }

    // True when the part just handed out was the last of its line.
    bool lastPart() const { return lastPart_; }
    // Block comments open at the end of the last script text examined.
    int32_t commentDepth() const { return depth_; }
    // Offset in the file at which the next physical line begins.
    int32_t nextLineOffset() const { return base_ + pos_; }

    // Why reading stopped before the end of the file, 0 when it did not.
    // nextScriptLine answers 0 in both cases; the line position names the
    // line concerned.
    enum Fault : int32_t {
        kFaultNone = 0,
        kFaultLineTooLong = 1,  // a physical line exceeds kVyrMaxLineLength
        kFaultChanged = 2,      // the file's size changed while it was read
    };
    int32_t fault() const { return fault_; }

private:
    struct Part {
        std::string text;
        int32_t pos = 0;
    };

    bool markerMode() const;
    bool isActive() const { return active_ == nullptr || *active_ != 0; }
    bool readPhysicalLine(VyrLinePos &pos);
    bool appendLine(const char *bytes, int32_t n);
    void checkSize(int32_t readEnd, bool atEnd);
    void splitParts();
    void resetLine();
    bool removeComments(std::string &text);
    bool mayHoldComment(const std::string &text) const;
    static bool isBlank(const std::string &text);
    static void assign(VyrString &to, const std::string &from);

    const VyrReaderOptions &options_;
    VyrFile file_;

    // The chunk in memory: bytes [0, count_) are the file bytes from base_.
    char buffer_[kChunk + 1];
    int32_t base_ = 0;
    int32_t count_ = 0;
    int32_t pos_ = 0;
    bool ended_ = false;  // the last read returned less than a full chunk
    int32_t fault_ = kFaultNone;

    int32_t depth_ = 0;

    // The current physical line and its parts; buffers are reused.
    std::string line_;
    std::string raw_;
    std::string outLine_;
    std::vector<Part> parts_;
    int32_t partCount_ = 0;
    int32_t nextPart_ = 0;
    int32_t copied_ = 0;
    bool lastPart_ = false;

    VyrFile *output_ = nullptr;
    const int32_t *active_ = nullptr;
};

#endif  // VYR_READER_H
