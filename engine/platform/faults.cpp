// The fault-injection hook of the platform layer's file calls.
#include "platform/platform.h"

namespace plat {
namespace {
FileFaultHook g_hook = nullptr;
void *g_context = nullptr;
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

}  // namespace plat
