// The file and directory built-ins: files opened by scripts and addressed by
// handles, the parts of a path, and the file-system operations that report
// their failures in the library's message box.
#include "values/filefuncs.h"

#include <memory>
#include <string>
#include <vector>

#include "core/engine.h"
#include "core/messages.h"
#include "core/symbols.h"
#include "platform/platform.h"
#include "values/builtin_args.h"
#include "values/item.h"

// ---- The open-file list ---------------------------------------------------

VyrOpenFile::~VyrOpenFile() {
    if (owned) delete file;  // closing flushes the waiting bytes
}

int32_t VyrOpenFileList::adopt(VyrTextFile *file) {
    // Handles count up from 1; after a wrap-around the next one that is not
    // in use is taken, so a handle is never 0 and never shared.
    int32_t h = last_;
    do {
        h = h == INT32_MAX ? 1 : h + 1;
    } while (entry(h) != nullptr);
    appendNode(new VyrOpenFile(h, file, true));
    last_ = h;
    return h;
}

VyrOpenFile *VyrOpenFileList::entry(int32_t handle) {
    if (handle == 0) return nullptr;
    for (VyrNode *n = first; n; n = n->next) {
        auto *e = static_cast<VyrOpenFile *>(n);
        if (e->handle == handle) return e;
    }
    return nullptr;
}

VyrTextFile *VyrOpenFileList::find(int32_t handle) {
    VyrOpenFile *e = entry(handle);
    return e ? e->file : nullptr;
}

bool VyrOpenFileList::close(int32_t handle, bool &written) {
    VyrOpenFile *e = entry(handle);
    if (e == nullptr) return false;
    written = true;
    if (e->file != nullptr && e->file->mode() != VyrFile::kRead) {
        e->file->flush();
        written = e->file->state() != 0;
    }
    unlink(e);
    return true;
}

// ---- Paths ------------------------------------------------------------------

bool vyrPathDir(const char *path, VyrString &dir) {
    std::string p = path ? path : "";
    size_t cut = p.rfind('\\');
    if (cut == std::string::npos) cut = p.rfind('/');
    if (cut == std::string::npos) return false;
    dir = VyrString(p.c_str(), static_cast<int32_t>(cut));
    return true;
}

VyrString vyrPathName(const char *path) {
    std::string p = path ? path : "";
    size_t cut = p.rfind('\\');
    if (cut == std::string::npos) cut = p.rfind('/');
    if (cut == std::string::npos) cut = p.rfind(':');
    return VyrString(cut == std::string::npos ? p.c_str() : p.c_str() + cut + 1);
}

VyrString vyrPathExt(const char *path) {
    std::string p = path ? path : "";
    size_t dot = p.rfind('.');
    return VyrString(dot == std::string::npos ? "" : p.c_str() + dot + 1);
}

// ---- Messages ------------------------------------------------------------------

void vyrFileSystemMessage(int32_t id, const char *first, const char *second) {
    const char *pattern = vyrMessageText(id);
    if (pattern == nullptr) return;
    // Only the pattern's own "%s" and "%%" are expanded: a percent sign in a
    // name is shown as it is.
    const char *names[2] = {first ? first : "", second ? second : ""};
    int next = 0;
    std::string text;
    for (const char *p = pattern; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            text += next < 2 ? names[next++] : "";
            ++p;
        } else if (p[0] == '%' && p[1] == '%') {
            text += '%';
            ++p;
        } else {
            text += *p;
        }
    }
    plat::messageBox(text.c_str());
}

// ---- Built-ins ---------------------------------------------------------------------

namespace {

// The calling engine's open-file list, or null outside an engine.
VyrOpenFileList *openFiles(VyrArgs *args) {
    if (args->engine == nullptr) return nullptr;
    return &VyrEngine::fromHandle(args->engine)->openFiles;
}

// The file named by the handle in the first argument, or null.
VyrTextFile *handleArg(VyrArgs *args) {
    VyrOpenFileList *files = openFiles(args);
    int32_t handle;
    if (files == nullptr || !numArg(args, 0, handle)) return nullptr;
    return files->find(handle);
}

// The current directory; the empty text after message 3001 when the system
// cannot tell.
VyrString currentDirectory() {
    std::string dir;
    if (plat::currentDirectory(dir)) return VyrString(dir.c_str());
    vyrFileSystemMessage(3001);
    return VyrString();
}

// A one-name file-system operation: 1 on success, else its message and 0.
int32_t fileSystemCall(VyrArgs *args, VyrItem *result, bool (*op)(const char *), int32_t messageId) {
    const VyrString *name = textArg(args, 0);
    if (name == nullptr) return 0;
    bool ok = op(name->c_str());
    if (!ok) vyrFileSystemMessage(messageId, name->c_str());
    result->setNum(ok ? 1 : 0);
    return 1;
}

}  // namespace

int32_t vyrFnExist(VyrArgs *args, VyrItem *result) {
    const VyrString *name = textArg(args, 0);
    if (name == nullptr) return 0;
    result->setNum(VyrFile::exists(name->c_str()));
    return 1;
}

int32_t vyrFnRemoveFile(VyrArgs *args, VyrItem *result) {
    return fileSystemCall(args, result, plat::fileDelete, 3006);
}

int32_t vyrFnRenameFile(VyrArgs *args, VyrItem *result) {
    const VyrString *from = textArg(args, 0);
    const VyrString *to = textArg(args, 1);
    if (from == nullptr || to == nullptr) return 0;
    bool ok = plat::fileRename(from->c_str(), to->c_str());
    if (!ok) vyrFileSystemMessage(3005, from->c_str(), to->c_str());
    result->setNum(ok ? 1 : 0);
    return 1;
}

int32_t vyrFnFDir(VyrArgs *args, VyrItem *result) {
    const VyrString *path = textArg(args, 0);
    if (path == nullptr) return 0;
    VyrString dir;
    if (!vyrPathDir(path->c_str(), dir)) dir = currentDirectory();
    result->setStr(std::move(dir));
    return 1;
}

int32_t vyrFnFName(VyrArgs *args, VyrItem *result) {
    const VyrString *path = textArg(args, 0);
    if (path == nullptr) return 0;
    result->setStr(vyrPathName(path->c_str()));
    return 1;
}

int32_t vyrFnFExt(VyrArgs *args, VyrItem *result) {
    const VyrString *path = textArg(args, 0);
    if (path == nullptr) return 0;
    result->setStr(vyrPathExt(path->c_str()));
    return 1;
}

int32_t vyrFnCurDir(VyrArgs *, VyrItem *result) {
    result->setStr(currentDirectory());
    return 1;
}

int32_t vyrFnChDir(VyrArgs *args, VyrItem *result) {
    return fileSystemCall(args, result, plat::setCurrentDirectory, 3002);
}

int32_t vyrFnMkDir(VyrArgs *args, VyrItem *result) {
    return fileSystemCall(args, result, plat::makeDirectory, 3003);
}

int32_t vyrFnRmDir(VyrArgs *args, VyrItem *result) {
    return fileSystemCall(args, result, plat::removeDirectory, 3004);
}

int32_t vyrFnOpen(VyrArgs *args, VyrItem *result) {
    VyrOpenFileList *files = openFiles(args);
    const VyrString *name = textArg(args, 0);
    if (files == nullptr || name == nullptr) return 0;
    int32_t mode = optNumArg(args, 1, VyrFile::kRead);
    if (mode != VyrFile::kRead && mode != VyrFile::kWrite && mode != VyrFile::kAppend) return 0;
    auto file = std::make_unique<VyrTextFile>();
    file->open(name->c_str(), mode, kVyrScriptFileBuffer);
    // A file to read counts as open only when it holds at least one byte.
    bool open = mode == VyrFile::kRead ? file->isOpen() && file->hasByte() : file->state() == 1;
    result->setNum(open ? files->adopt(file.release()) : 0);
    return 1;
}

int32_t vyrFnEof(VyrArgs *args, VyrItem *result) {
    VyrTextFile *file = handleArg(args);
    if (file == nullptr) return 0;
    result->setNum(file->mode() == VyrFile::kRead && file->atEnd() ? 1 : 0);
    return 1;
}

int32_t vyrFnRead(VyrArgs *args, VyrItem *result) {
    VyrTextFile *file = handleArg(args);
    int32_t count;
    // Reading a file opened for writing is a script error, not an empty text.
    if (file == nullptr || file->mode() != VyrFile::kRead || !numArg(args, 1, count)) return 0;
    // A count of 0 or less reads nothing.
    std::string text;
    char chunk[kVyrScriptFileBuffer];
    while (count > 0) {
        int32_t want = count < kVyrScriptFileBuffer ? count : kVyrScriptFileBuffer;
        int32_t got = file->readChars(chunk, want);
        text.append(chunk, static_cast<size_t>(got));
        count -= got;
        if (got < want) break;
    }
    // A text ends at its first zero character.
    result->setStr(VyrString(text.c_str()));
    return 1;
}

int32_t vyrFnReadLn(VyrArgs *args, VyrItem *result) {
    VyrTextFile *file = handleArg(args);
    if (file == nullptr || file->mode() != VyrFile::kRead) return 0;
    int32_t max = optNumArg(args, 1, kVyrScriptFileBuffer);
    // Read in pieces so a large maximum costs no memory of its own.  A piece
    // that comes back full has left the line end in the file; a shorter one
    // ended the line (or the data).
    std::string line;
    char chunk[kVyrScriptFileBuffer + 1];
    while (max > 0) {
        int32_t want = max < kVyrScriptFileBuffer ? max : kVyrScriptFileBuffer;
        int32_t got = file->readLine(chunk, want, '\0');
        line.append(chunk, static_cast<size_t>(got));
        max -= got;
        if (got < want) break;
    }
    result->setStr(VyrString(line.c_str()));
    return 1;
}

namespace {

int32_t writeText(VyrArgs *args, VyrItem *result, bool lineEnd) {
    VyrTextFile *file = handleArg(args);
    const VyrString *text = textArg(args, 1);
    if (file == nullptr || text == nullptr || file->mode() == VyrFile::kRead) return 0;
    file->writeChars(text->c_str(), text->length());
    if (lineEnd) file->writeChars("\r\n", 2);
    // A file that refused a transfer has lost the text: say so instead of
    // answering as if it had been written.
    if (file->state() == 0) return 0;
    result->setStr("");
    return 1;
}

}  // namespace

int32_t vyrFnWrite(VyrArgs *args, VyrItem *result) { return writeText(args, result, false); }

int32_t vyrFnWriteLn(VyrArgs *args, VyrItem *result) { return writeText(args, result, true); }

int32_t vyrFnClose(VyrArgs *args, VyrItem *result) {
    VyrOpenFileList *files = openFiles(args);
    int32_t handle;
    if (files == nullptr || !numArg(args, 0, handle)) return 0;
    bool written = false;
    if (!files->close(handle, written)) return 0;
    // The handle is gone either way; data that did not reach the file make
    // the call fail rather than pass unnoticed.
    if (!written) return 0;
    result->setStr("");
    return 1;
}

namespace {

// The engine library's own file: the position after its directory part
// (after the last backslash, slash or colon), 0 when it has none.
size_t moduleNameStart(const std::string &path) {
    size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? 0 : cut + 1;
}

}  // namespace

int32_t vyrFnVyrDir(VyrArgs *, VyrItem *result) {
    std::string path = plat::modulePath();
    size_t start = moduleNameStart(path);
    // The directory stops before a separator but keeps a drive's colon.
    size_t end = start == 0 ? 0 : (path[start - 1] == ':' ? start : start - 1);
    result->setStr(VyrString(path.substr(0, end).c_str()));
    return 1;
}

int32_t vyrFnVyrName(VyrArgs *, VyrItem *result) {
    std::string path = plat::modulePath();
    result->setStr(VyrString(path.c_str() + moduleNameStart(path)));
    return 1;
}
