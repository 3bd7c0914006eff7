// Output files and protected regions.
#include "core/output.h"

#include "core/engine.h"

#include <cstring>
#include <string>

#include "platform/platform.h"

namespace {

// A protected region: its name (upper case) and the offset just after the
// name in the previous version.
class RegionEntry : public VyrHashEntry {
public:
    RegionEntry(const char *name, int32_t offset) : VyrHashEntry(name), offset(offset) {}
    VyrHashEntry *clone() const override { return new RegionEntry(*this); }
    int32_t offset;

private:
    RegionEntry(const RegionEntry &other) = default;
};

bool isSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool isNameChar(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The directory part of a full path ("" when it has none).
std::string directoryOf(const char *path) {
    std::string p = path;
    size_t cut = p.find_last_of("/\\");
    if (cut == std::string::npos) return std::string();
    return cut == 0 ? p.substr(0, 1) : p.substr(0, cut);
}

void reportRenameFailure(const char *from, const char *to) {
    std::string text = "Could not rename file ";
    text += from;
    text += " to ";
    text += to;
    text += ".\n\nThis problem may be caused by an invalid file name, an already existing file with the "
            "same name or the file system has become corrupted.";
    plat::messageBox(text.c_str());
}

}  // namespace

// ---- The file holding the new content -----------------------------------------

bool VyrOutputFile::TempFile::create(const char *dir, std::string &path) {
    close();
    plat::FileHandle h = plat::fileCreateUnique(dir, path);
    if (h == plat::kNoFile) return false;
    handle_ = h;
    name_ = path.c_str();
    size_ = 0;
    mode_ = kWrite;
    state_ = 1;
    return true;
}

// ---- VyrOutputFile --------------------------------------------------------------

VyrOutputFile::VyrOutputFile() { work_[0] = '\0'; }

VyrOutputFile::~VyrOutputFile() { rollback(); }

bool VyrOutputFile::open(const char *name, int32_t mode, const char *protectBegin,
                         const char *protectEnd) {
    rollback();
    if (name == nullptr || *name == '\0' || (mode != kOutput && mode != kAppend)) return false;
    std::string full = plat::fullPath(name);
    if (full.empty() || plat::isDirectory(full.c_str())) return false;

    begin_ = protectBegin ? protectBegin : "";
    end_ = protectEnd ? protectEnd : "";

    // The previous version is read where it lies; a file that exists but
    // cannot be read would otherwise be replaced with its regions unseen.
    if (VyrFile::exists(full.c_str()) && !previous_.open(full.c_str(), VyrFile::kRead)) return false;

    std::string temp;
    if (!temp_.create(directoryOf(full.c_str()).c_str(), temp)) {
        previous_.close();
        return false;
    }
    tempPath_ = temp.c_str();
    path_ = full.c_str();
    temp_.setWriteBuffer(kWriteBuffer);

    if (mode == kAppend && previous_.isOpen()) {
        // Append continues the previous content; the copy is what a failed
        // run throws away, so the previous version itself is never written.
        previous_.seek(0);
        for (;;) {
            int32_t n = previous_.read(work_, kChunk);
            if (n > 0 && temp_.write(work_, n) != n) {
                rollback();
                return false;
            }
            if (n < kChunk) break;
        }
    }
    scan();
    window_.clear();
    windowBase_ = -1;
    return true;
}

// Collects the regions of the previous version, chunk by chunk.  A marker,
// the white space after it or a name that runs past the end of a chunk is
// examined again together with the next chunk, so chunk ends change nothing.
void VyrOutputFile::scan() {
    table_.clear();
    if (!previous_.isOpen() || begin_.empty() || end_.empty()) return;
    const size_t markerLength = begin_.size();
    std::string data;     // bytes of the previous version from dataBase on
    int32_t dataBase = 0;
    previous_.seek(0);
    for (;;) {
        int32_t n = previous_.read(work_, kChunk);
        if (n > 0) data.append(work_, static_cast<size_t>(n));
        const bool last = n < kChunk;

        size_t from = 0;
        size_t keep = std::string::npos;  // where the next round starts
        for (;;) {
            size_t at = data.find(begin_, from);
            if (at == std::string::npos) break;
            size_t p = at + markerLength;
            while (p < data.size() && isSpace(static_cast<unsigned char>(data[p]))) ++p;
            size_t nameStart = p;
            while (p < data.size() && isNameChar(static_cast<unsigned char>(data[p]))) ++p;
            if (p == data.size() && !last) {
                keep = at;  // the name may go on in the next chunk
                break;
            }
            addRegion(data.substr(nameStart, p - nameStart), dataBase + static_cast<int32_t>(p));
            from = p;
        }
        if (last) break;
        if (keep == std::string::npos) {
            // A marker cut by the chunk end begins in the last length - 1 bytes.
            size_t tail = data.size() > markerLength - 1 ? data.size() - (markerLength - 1) : 0;
            keep = from > tail ? from : tail;
        }
        data.erase(0, keep);
        dataBase += static_cast<int32_t>(keep);
    }
}

void VyrOutputFile::addRegion(const std::string &name, int32_t offset) {
    // A name seen again is found at its last occurrence.
    if (VyrHashEntry *found = table_.find(name.c_str())) {
        static_cast<RegionEntry *>(found)->offset = offset;
        return;
    }
    table_.adopt(new RegionEntry(name.c_str(), offset));
}

bool VyrOutputFile::findRegion(const char *name, int32_t *offset) {
    VyrHashEntry *found = table_.find(name ? name : "");
    if (found == nullptr) return false;
    if (offset) *offset = static_cast<RegionEntry *>(found)->offset;
    return true;
}

bool VyrOutputFile::copyRegion(int32_t offset) {
    if (!isOpen() || !previous_.isOpen() || offset < 0) return false;
    // Regions are usually copied in the order they stand in the file: the
    // bytes read for one serve the next ones too.
    if (windowBase_ < 0 || offset < windowBase_ || offset > windowBase_ + static_cast<int32_t>(window_.size())) {
        if (previous_.seek(offset) != offset) return false;
        window_.clear();
        windowBase_ = offset;
        windowAtEnd_ = false;
    }
    const size_t npos = std::string::npos;
    const size_t markerLength = end_.size();
    size_t from = static_cast<size_t>(offset - windowBase_);  // first byte not yet copied
    size_t search = from;                                       // where the end marker may start
    for (;;) {
        size_t at = markerLength > 0 ? window_.find(end_, search) : from;
        if (at != npos || windowAtEnd_) {
            size_t put = (at != npos ? at : window_.size()) - from;
            return put == 0 || temp_.write(window_.data() + from, static_cast<int32_t>(put)) == static_cast<int32_t>(put);
        }
        // A marker cut by the window's end begins in its last length - 1 bytes.
        search = window_.size() > markerLength - 1 ? window_.size() - (markerLength - 1) : 0;
        if (search < from) search = from;
        if (window_.size() - from > static_cast<size_t>(kChunk)) {
            // A long region goes out as it is read, so the window stays small.
            size_t put = search - from;
            if (temp_.write(window_.data() + from, static_cast<int32_t>(put)) != static_cast<int32_t>(put)) return false;
            window_.erase(0, search);
            windowBase_ += static_cast<int32_t>(search);
            from = search = 0;
        }
        int32_t n = previous_.read(work_, kChunk);
        if (n > 0) window_.append(work_, static_cast<size_t>(n));
        if (n < kChunk) windowAtEnd_ = true;
    }
}

bool VyrOutputFile::commit() {
    if (!isOpen()) {
        closeAll();
        return true;
    }
    // A write that failed left the new content incomplete: keep the previous
    // version rather than replace it with a truncated file.
    bool written = temp_.flushWrites() && plat::fileSync(temp_.handle());
    temp_.close();
    previous_.close();
    bool moved = false;
    if (written) {
        moved = plat::fileReplace(tempPath_.c_str(), path_.c_str());
        if (!moved) reportRenameFailure(tempPath_.c_str(), path_.c_str());
    } else {
        std::string text = "Could not write file ";
        text += path_.c_str();
        text += ".";
        plat::messageBox(text.c_str());
    }
    if (!moved) plat::fileDelete(tempPath_.c_str());
    closeAll();
    return moved;
}

void VyrOutputFile::rollback() {
    if (temp_.isOpen()) {
        temp_.close();
        plat::fileDelete(tempPath_.c_str());
    }
    closeAll();
}

void VyrOutputFile::closeAll() {
    temp_.close();
    previous_.close();
    window_.clear();
    windowBase_ = -1;
    table_.clear();
    path_.clear();
    tempPath_.clear();
}

// ---- Output, Append, Protect and End Protect --------------------------------------

bool VyrInterpreter::executeOutput(int32_t mode) {
    VyrFrame &f = *frame_;
    if (f.args.count() < 1 || !f.eval.evaluate(f.args[0].c_str()) || !f.eval.result().isString()) return false;
    const VyrString name(*f.eval.result().str());

    // The output written so far is complete: it replaces its previous version
    // now.  Readers of including files keep pointing at the same file object,
    // so they go on writing to whichever output is current.
    const bool kept = outFile_.commit();
    output_ = nullptr;
    inCopiedRegion_ = false;
    outputPath.clear();
    previousPath.clear();

    bool opened = kept;
    if (opened && !name.empty()) {
        opened = outFile_.open(name.c_str(), mode, protectBegin.c_str(), protectEnd.c_str());
        if (opened) {
            output_ = outFile_.file();
            outputPath = outFile_.path();
            previousPath = outFile_.previousPath();
        }
    }
    if (!opened || !f.reader.attachOutput(output_)) {
        // The output before this one could not be completed (a write or the
        // final move failed): that is reported rather than the new name.
        errorCode_ = kept ? kErrOpenOutput : kErrWriteOutput;
        return onError() == 0;
    }
    return onOutput() != 0;
}

bool VyrInterpreter::executeProtect() {
    VyrFrame &f = *frame_;
    // Without output, on lines that do not execute and inside a region whose
    // old content was copied (the reader is detached then) nothing happens.
    if (f.reader.output() == nullptr || !active_) return true;
    if (f.args.count() < 1 || !f.eval.evaluate(f.args[0].c_str()) || !f.eval.result().isString()) return false;
    const VyrString name(*f.eval.result().str());
    f.reader.appendOutput(protectBegin.c_str(), protectBegin.length());
    f.reader.appendOutput(" ", 1);
    f.reader.appendOutput(name.c_str(), name.length());

    int32_t offset = 0;
    if (!outFile_.findRegion(name.c_str(), &offset)) return true;  // the script's lines are the content
    // The begin line goes out without a line end: the old content starts
    // with the line end that followed the name.
    if (f.reader.lastPart()) {
        f.reader.flush(false);
    } else {
        // More script parts follow on this line: write the marker now all the
        // same, so the region keeps its name in the new file.
        const std::string &line = f.reader.outputLine();
        output_->write(line.data(), static_cast<int32_t>(line.size()));
    }
    outFile_.copyRegion(offset);
    f.reader.attachOutput(nullptr);
    inCopiedRegion_ = true;
    return true;
}

bool VyrInterpreter::executeEndProtect() {
    inCopiedRegion_ = false;
    if (output_ == nullptr) return true;
    VyrFrame &f = *frame_;
    f.reader.attachOutput(output_);
    f.reader.appendOutput(protectEnd.c_str(), protectEnd.length());
    return true;
}

void VyrInterpreter::finishOutput() {
    // A good run keeps the new output; after a failed one the previous
    // version, which was never moved, is simply left where it is.  A run the
    // host cancelled ended early without an error, but its last output file
    // is cut short: it must not replace the user's file either.
    if (errorCode_ == kErrNone && !(readerOptions.flags & VYR_CANCEL))
        outFile_.commit();
    else
        outFile_.rollback();
    output_ = nullptr;
    outputPath.clear();
    previousPath.clear();
}
