// filefuncs.h - the file and directory built-ins and the engine's list of
// files opened by scripts.
//
// A script opens a file with OPEN and names it afterwards by an integer
// handle: nonzero, unique among the engine's open files, valid until CLOSE
// or until the engine is destroyed, which flushes and closes every file
// still open.
#ifndef VYR_FILEFUNCS_H
#define VYR_FILEFUNCS_H

#include <cstdint>

#include "core/textfile.h"
#include "vyrnode.h"
#include "vyrstring.h"

class VyrArgs;
class VyrItem;

// Buffer size of every file a script opens (and of item files).
constexpr int32_t kVyrScriptFileBuffer = 4096;

// One entry of the open-file list.  An owning entry flushes, closes and
// frees its file when it is destroyed; a clone never owns the file.
class VyrOpenFile : public VyrNode {
public:
    VyrOpenFile(int32_t handle, VyrTextFile *file, bool owned) : handle(handle), file(file), owned(owned) {}
    VyrNode *clone() const override { return new VyrOpenFile(handle, file, false); }

    int32_t handle;
    VyrTextFile *file;
    bool owned;

protected:
    ~VyrOpenFile() override;
};

class VyrOpenFileList : public VyrNodeList {
public:
    VyrOpenFileList() = default;
    VyrOpenFileList(const VyrOpenFileList &) = delete;
    VyrOpenFileList &operator=(const VyrOpenFileList &) = delete;

    // Takes ownership of an open file and returns its new handle.
    int32_t adopt(VyrTextFile *file);
    // The file of that handle, or null.
    VyrTextFile *find(int32_t handle);
    // Flushes, closes and frees the file of that handle.  False when the
    // handle is unknown; otherwise whether every byte reached the file.
    bool close(int32_t handle, bool &written);

private:
    VyrOpenFile *entry(int32_t handle);
    int32_t last_ = 0;  // the handle given out last
};

// The parts of a path, accepting backslash and slash on every platform.
// Directory: before the last backslash, else before the last slash; false
// when the path has neither.  Name: after the last backslash, else after the
// last slash, else after the last colon, else the whole path.  Extension:
// after the last dot anywhere, "" when there is none.
bool vyrPathDir(const char *path, VyrString &dir);
VyrString vyrPathName(const char *path);
VyrString vyrPathExt(const char *path);

// Shows the engine message with that id in the library's message box, each
// %s replaced by the next name.
void vyrFileSystemMessage(int32_t id, const char *first = nullptr, const char *second = nullptr);

// The built-ins of this family, in the order of the built-in table.
int32_t vyrFnExist(VyrArgs *args, VyrItem *result);
int32_t vyrFnRemoveFile(VyrArgs *args, VyrItem *result);
int32_t vyrFnRenameFile(VyrArgs *args, VyrItem *result);
int32_t vyrFnFDir(VyrArgs *args, VyrItem *result);
int32_t vyrFnFName(VyrArgs *args, VyrItem *result);
int32_t vyrFnFExt(VyrArgs *args, VyrItem *result);
int32_t vyrFnCurDir(VyrArgs *args, VyrItem *result);
int32_t vyrFnChDir(VyrArgs *args, VyrItem *result);
int32_t vyrFnMkDir(VyrArgs *args, VyrItem *result);
int32_t vyrFnRmDir(VyrArgs *args, VyrItem *result);
int32_t vyrFnOpen(VyrArgs *args, VyrItem *result);
int32_t vyrFnEof(VyrArgs *args, VyrItem *result);
int32_t vyrFnRead(VyrArgs *args, VyrItem *result);
int32_t vyrFnReadLn(VyrArgs *args, VyrItem *result);
int32_t vyrFnWrite(VyrArgs *args, VyrItem *result);
int32_t vyrFnWriteLn(VyrArgs *args, VyrItem *result);
int32_t vyrFnClose(VyrArgs *args, VyrItem *result);
int32_t vyrFnVyrDir(VyrArgs *args, VyrItem *result);
int32_t vyrFnVyrName(VyrArgs *args, VyrItem *result);

#endif  // VYR_FILEFUNCS_H
