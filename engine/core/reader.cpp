#include "core/reader.h"

#include <cstring>

#include "vyrapi.h"

namespace {

const char kLineEnd[] = "\r\n";

bool isSpaceByte(char c) { return vyrIsSpace(static_cast<unsigned char>(c)); }

// The first place at or after from where what stands in in, as
// std::string::find gives it; written out here so that the few searches of
// every line cost a memchr each rather than a library call.
inline std::string::size_type findText(const std::string &in, const VyrString &what,
                                        std::string::size_type from = 0) {
    const size_t n = static_cast<size_t>(what.length());
    const size_t size = in.size();
    if (n == 0) return from <= size ? from : std::string::npos;
    if (from > size || size - from < n) return std::string::npos;
    const char *const data = in.data();
    const char *const w = what.c_str();
    const char *p = data + from;
    const char *const stop = data + (size - n) + 1;  // one past the last place it could start
    for (;;) {
        p = static_cast<const char *>(std::memchr(p, w[0], static_cast<size_t>(stop - p)));
        if (p == nullptr) return std::string::npos;
        if (std::memcmp(p + 1, w + 1, n - 1) == 0) return static_cast<std::string::size_type>(p - data);
        if (++p == stop) return std::string::npos;
    }
}

}  // namespace

VyrScriptReader::VyrScriptReader(const VyrReaderOptions &options) : options_(options) {
    buffer_[0] = '\0';
}

VyrScriptReader::~VyrScriptReader() { close(); }

int32_t VyrScriptReader::open(const char *path, bool fullPath) {
    close();
    return file_.open(path, VyrFile::kRead, fullPath);
}

void VyrScriptReader::close() {
    file_.close();
    base_ = count_ = pos_ = 0;
    ended_ = false;
    fault_ = kFaultNone;
    resetLine();
    output_ = nullptr;
}

bool VyrScriptReader::markerMode() const { return (options_.flags & VYRO_XLATSUBLINES) != 0; }

int32_t VyrScriptReader::attachOutput(VyrFile *output) {
    if (!markerMode() || (output != nullptr && output->state() == 0)) {
        output_ = nullptr;
        return 0;
    }
    output_ = output;
    return 1;
}

void VyrScriptReader::resetLine() {
    partCount_ = 0;
    nextPart_ = 0;
    raw_.clear();
    outLine_.clear();
    copied_ = 0;
    lastPart_ = false;
}

void VyrScriptReader::assign(VyrString &to, const std::string &from) {
    // Replacing in place keeps the text's buffer when the new text fits.
    to.replace(0, to.length(), from.c_str());
}

// ---- Physical lines -------------------------------------------------------

// Appends bytes to the physical line; false (and the fault set) when the
// line would grow beyond the limit.
bool VyrScriptReader::appendLine(const char *bytes, int32_t n) {
    if (static_cast<int64_t>(line_.size()) + n > kVyrMaxLineLength) {
        fault_ = kFaultLineTooLong;
        return false;
    }
    line_.append(bytes, static_cast<size_t>(n));
    return true;
}

// A script that grows or shrinks while it runs would be read half old and
// half new, and one that cannot be read to its end would run cut short:
// readEnd is the offset the reading has reached, atEnd whether a read met
// the end of the data (or failed) there.  A file whose size was unknown at
// open (0: empty, a device, too large) is not checked.
void VyrScriptReader::checkSize(int32_t readEnd, bool atEnd) {
    const int32_t size = file_.size();
    if (size <= 0 || fault_ != kFaultNone) return;
    if (readEnd > size || (atEnd && readEnd != size) || (atEnd && file_.currentSize() != size))
        fault_ = kFaultChanged;
}

bool VyrScriptReader::readPhysicalLine(VyrLinePos &pos) {
    if ((options_.flags & VYR_CANCEL) || fault_ != kFaultNone) return false;
    pos.line += 1;
    pos.offset = base_ + pos_;
    line_.clear();
    bool consumed = false;  // bytes of this line were seen
    bool cut = false;       // a CR inside the line dropped the rest of it

    for (;;) {
        if (pos_ >= count_) {
            if (ended_ || !file_.isOpen()) {
                if (!consumed && file_.isOpen()) {
                    checkSize(base_ + count_, true);
                    if (fault_ != kFaultNone) return false;
                }
                return consumed;
            }
            base_ += count_;
            count_ = pos_ = 0;
            int32_t n = file_.read(buffer_, kChunk);
            if (n < kChunk) ended_ = true;  // a read error counts as the end
            count_ = n > 0 ? n : 0;
            buffer_[count_] = '\0';
            checkSize(base_ + count_, ended_);
            if (fault_ != kFaultNone) return false;
            continue;
        }
        int32_t start = pos_;
        while (pos_ < count_) {
            // Skip to the next LF, CR or zero byte; the zero after the
            // chunk's data stops the search at its end.
            const int32_t plain = static_cast<int32_t>(std::strcspn(buffer_ + pos_, "\r\n"));
            if (plain > 0) {
                consumed = true;
                pos_ += plain;
                if (pos_ >= count_) break;
            }
            char c = buffer_[pos_];
            if (c == '\n' || c == '\0') {
                if (!cut && !appendLine(buffer_ + start, pos_ - start)) return false;
                ++pos_;
                // A run of zero bytes ends one line, within the data read.
                if (c == '\0')
                    while (pos_ < count_ && buffer_[pos_] == '\0') ++pos_;
                return true;
            }
            consumed = true;
            if (c == '\r' && !cut) {
                if (line_.empty() && pos_ == start) {
                    start = pos_ + 1;  // CRs at the start of a line are dropped
                } else {
                    if (!appendLine(buffer_ + start, pos_ - start)) return false;
                    cut = true;
                }
            }
            ++pos_;
        }
        if (!cut && !appendLine(buffer_ + start, pos_ - start)) return false;
    }
}

// ---- Script lines -----------------------------------------------------------

void VyrScriptReader::splitParts() {
    const VyrString &begin = options_.subLineBegin;
    const VyrString &end = options_.subLineEnd;
    const size_t beginLen = static_cast<size_t>(begin.length());
    const size_t endLen = static_cast<size_t>(end.length());
    size_t a = findText(raw_, begin);
    size_t b = findText(raw_, end);
    while (a != std::string::npos && b != std::string::npos && b > a) {
        if (static_cast<size_t>(partCount_) == parts_.size()) parts_.emplace_back();
        Part &part = parts_[static_cast<size_t>(partCount_++)];
        // Overlapping markers can leave nothing between them.
        if (a + beginLen <= b) part.text.assign(raw_, a + beginLen, b - a - beginLen);
        else part.text.clear();
        part.pos = static_cast<int32_t>(a);
        raw_.erase(a, b + endLen - a);
        // Nothing before the erased part held a marker; one may now run
        // across the join.
        const size_t cut = a;
        a = findText(raw_, begin, cut >= beginLen && beginLen > 0 ? cut - beginLen + 1 : 0);
        b = findText(raw_, end, cut >= endLen && endLen > 0 ? cut - endLen + 1 : 0);
    }
}

int32_t VyrScriptReader::nextScriptLine(VyrLinePos &pos) {
    std::string *script;
    for (;;) {
        if (options_.flags & VYR_CANCEL) return 0;
        if (markerMode()) {
            while (nextPart_ >= partCount_) {
                if (!readPhysicalLine(pos)) return 0;
                resetLine();
                raw_.swap(line_);
                splitParts();
                if (partCount_ == 0 && output_ != nullptr && isActive()) {
                    // Template text only: the line and its end go straight
                    // to the output (whose buffer collects them).
                    output_->write(raw_.data(), static_cast<int32_t>(raw_.size()));
                    output_->write(kLineEnd, 2);
                }
            }
            Part &part = parts_[static_cast<size_t>(nextPart_++)];
            // Later parts never lie before earlier ones or past the line's end.
            int32_t at = part.pos;
            if (at > static_cast<int32_t>(raw_.size())) at = static_cast<int32_t>(raw_.size());
            if (at < copied_) at = copied_;
            if (output_ != nullptr && isActive())
                outLine_.append(raw_, static_cast<size_t>(copied_), static_cast<size_t>(at - copied_));
            copied_ = at;
            lastPart_ = nextPart_ >= partCount_;
            // The part is handed out once: its text is worked on in place.
            script = &part.text;
        } else {
            if (!readPhysicalLine(pos)) return 0;
            script = &line_;
        }
        if (removeComments(*script)) {
            // A skipped last part still finishes its line, so the template
            // text around it is not lost.
            if (lastPart_ && markerMode()) flush(true);
            continue;
        }
        assign(pos.text, *script);
        return 1;
    }
}

bool VyrScriptReader::isBlank(const std::string &text) {
    // Only the ASCII white-space class counts; bytes above 127 are text.
    for (char c : text)
        if (!isSpaceByte(c)) return false;
    return true;
}

// False when no comment mark can occur in the text: none of the marks'
// first bytes does.  Outside a block comment such a text stays as it is, so
// one pass over it replaces the searches for each mark.
bool VyrScriptReader::mayHoldComment(const std::string &text) const {
    char firsts[4];
    int n = 0;
    if (!options_.commentMark.empty()) firsts[n++] = options_.commentMark[0];
    if (!options_.commentBegin.empty() && !options_.commentEnd.empty()) {
        firsts[n++] = options_.commentBegin[0];
        firsts[n++] = options_.commentEnd[0];
    }
    firsts[n] = '\0';
    if (n == 0) return false;
    // The text holds no zero byte (a zero ends a physical line).
    return std::strcspn(text.c_str(), firsts) < text.size();
}

bool VyrScriptReader::removeComments(std::string &text) {
    const bool comments = (options_.flags & VYRO_NOCOMMENTS) != 0;
    bool skip = comments && depth_ > 0;
    if (comments && (depth_ > 0 || mayHoldComment(text))) {
        const VyrString &mark = options_.commentMark;
        if (!mark.empty()) {
            size_t at = findText(text, mark);
            if (at != std::string::npos) text.resize(at);
        }
        const VyrString &open = options_.commentBegin;
        const VyrString &close = options_.commentEnd;
        const size_t closeLen = static_cast<size_t>(close.length());
        const size_t npos = std::string::npos;
        if (!open.empty() && !close.empty()) {
            for (;;) {
                size_t b = findText(text, open);
                size_t e = findText(text, close);
                if (b != npos && e == b) {
                    // One mark is a prefix of the other: inside a comment it
                    // closes, otherwise it opens and the next end mark closes.
                    if (depth_ > 0) b = npos;
                    else e = findText(text, close, b + static_cast<size_t>(open.length()));
                }
                if (b != npos && e != npos && e > b) {
                    text.erase(b, e + closeLen - b);
                } else if (b != npos && e != npos) {
                    text.erase(0, e + closeLen);
                    if (depth_ > 0) --depth_;
                } else if (b != npos) {
                    text.resize(b);
                    if (depth_ > 0) skip = true;
                    ++depth_;
                } else if (e != npos) {
                    text.erase(0, e + closeLen);
                    // A stray end mark does not take the depth below zero, so
                    // it cannot disable later comments.
                    if (depth_ > 0) --depth_;
                    if (depth_ > 0) skip = true;
                } else {
                    if (depth_ == 0) skip = false;
                    break;
                }
            }
        }
    }
    if ((options_.flags & VYRO_NOBLANKLINES) && !skip) skip = isBlank(text);
    return skip;
}

// ---- Output -----------------------------------------------------------------

void VyrScriptReader::appendOutput(const char *text, int32_t length) {
    // Outside script-marker mode no output can be attached, so nothing
    // collected here could ever be written.
    if (text == nullptr || !markerMode()) return;
    if (length < 0) outLine_.append(text);
    else {
        const void *zero = std::memchr(text, 0, static_cast<size_t>(length));
        outLine_.append(text, zero ? static_cast<size_t>(static_cast<const char *>(zero) - text)
                                   : static_cast<size_t>(length));
    }
}

void VyrScriptReader::flush(bool withRest) {
    if (output_ == nullptr || !isActive()) return;
    if (markerMode()) {
        if (!lastPart_) return;
        if (withRest) {
            // The rest goes out once, even when the line is flushed again.
            outLine_.append(raw_, static_cast<size_t>(copied_), std::string::npos);
            copied_ = static_cast<int32_t>(raw_.size());
        }
    }
    if (!isBlank(outLine_)) {
        if (withRest) outLine_.append(kLineEnd);
        output_->write(outLine_.data(), static_cast<int32_t>(outLine_.size()));
    }
    outLine_.clear();
}

// ---- Seek ---------------------------------------------------------------------

void VyrScriptReader::seek(VyrLinePos &pos) {
    resetLine();
    int32_t target = pos.offset > 0 ? pos.offset : 0;
    if (target >= base_ && target - base_ <= count_) {
        pos_ = target - base_;
    } else {
        count_ = pos_ = 0;
        base_ = target;
        ended_ = file_.seek(target) != target;
    }
    // The next line read gets the target number; a start at line 0 or 1
    // gives the first line number 1.
    pos.line = pos.line > 0 ? pos.line - 1 : 0;
    pos.offset = target;
}
