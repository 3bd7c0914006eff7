// The bookkeeping both implementations share: the fault-injection hook of
// the file calls and the count of open files.
#include "platform/platform.h"

#include <atomic>

namespace plat {
namespace {
FileFaultHook g_hook = nullptr;
void *g_context = nullptr;
std::atomic<int32_t> g_openFiles{0};
}  // namespace

void setFileFaultHook(FileFaultHook hook, void *context) {
    g_hook = hook;
    g_context = hook ? context : nullptr;
}

bool fileFault(FileCall call, const char *name, FileHandle file, int mode, const char *other) {
    if (g_hook == nullptr) return false;
    FileCallInfo info{call, name, other, file, mode};
    return g_hook(info, g_context);
}

int32_t openFileCount() { return g_openFiles.load(); }
void noteFileOpened() { ++g_openFiles; }
void noteFileClosed() { --g_openFiles; }

}  // namespace plat
