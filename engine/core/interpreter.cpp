// The interpretation of one script file, line by line.
#include <cstring>

#include "core/engine.h"
#include "platform/platform.h"

int32_t VyrInterpreter::interpretMain(const char *path) {
    plat::FileHandle f = path ? plat::fileOpen(path, plat::kOpenRead) : plat::kNoFile;
    if (f == plat::kNoFile) {
        // The main script runs at depth 0, so no event reaches the host and
        // the answer counts as 0: the result is 1 and VyrGetError tells.
        errorCode_ = kErrOpenInput;
        return onError() == 0 ? 1 : 0;
    }
    currentSize_ = plat::fileSeek(f, 0, plat::kSeekEnd);
    plat::fileClose(f);
    currentFile_ = plat::fullPath(path).c_str();
    currentLine_ = 0;
    currentOffset_ = 0;
    ++depth_;
    int32_t r = onBegin();
    int32_t result = onEnd(r);
    --depth_;
    return result;
}
