// POSIX implementation of shared-library loading, memory blocks handed
// between libraries, and starting programs.
#include "platform/platform.h"

#include <dlfcn.h>
#include <link.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char **environ;

namespace plat {

void *loadLibrary(const char *name) {
    if (name == nullptr || *name == '\0') return nullptr;
    // Local binding: two drivers may export the same names.
    return dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

void *findSymbol(void *library, const char *name) {
    if (library == nullptr || name == nullptr) return nullptr;
    return dlsym(library, name);
}

void freeLibrary(void *library) {
    if (library != nullptr) dlclose(library);
}

std::string libraryPath(void *library) {
    if (library == nullptr) return std::string();
    struct link_map *map = nullptr;
    if (dlinfo(library, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr || map->l_name == nullptr ||
        map->l_name[0] == '\0')
        return std::string();
    return fullPath(map->l_name);
}

const void *imageOfAddress(const void *address) {
    Dl_info info;
    if (address == nullptr || dladdr(address, &info) == 0) return nullptr;
    return info.dli_fbase;
}

// ---- Memory blocks ----------------------------------------------------------

namespace {
// Every block starts with this header; the tag tells a live block from any
// other pointer a caller might hand in.  Both libraries that pass a block
// share the process's heap, so either may free it.
struct BlockHeader {
    uint64_t tag;
    uint64_t size;
};
constexpr uint64_t kBlockTag = 0x6b636f6c42727956ull;  // "VyrBlock"

BlockHeader *header(BlockHandle block) {
    BlockHeader *h = static_cast<BlockHeader *>(block);
    return h != nullptr && h->tag == kBlockTag ? h : nullptr;
}
}  // namespace

BlockHandle blockAlloc(size_t size) {
    if (size > SIZE_MAX - sizeof(BlockHeader)) return nullptr;
    BlockHeader *h = static_cast<BlockHeader *>(std::calloc(1, sizeof(BlockHeader) + size));
    if (h == nullptr) return nullptr;
    h->tag = kBlockTag;
    h->size = size;
    return h;
}

void *blockLock(BlockHandle block) {
    BlockHeader *h = header(block);
    return h ? h + 1 : nullptr;
}

void blockUnlock(BlockHandle) {}

size_t blockSize(BlockHandle block) {
    BlockHeader *h = header(block);
    return h ? static_cast<size_t>(h->size) : 0;
}

void blockFree(BlockHandle block) {
    BlockHeader *h = header(block);
    if (h == nullptr) return;
    h->tag = 0;
    std::free(h);
}

// ---- Processes and windows -------------------------------------------------

int32_t runCommand(const char *commandLine, int32_t) {
    if (commandLine == nullptr) return 2;
    // The outer shell starts the command in the background and exits at
    // once; waiting for it leaves no zombie behind, and the command itself
    // is adopted by the system when it ends.  The command line is passed as
    // a positional parameter, so it needs no quoting.
    const char *argv[] = {"sh", "-c", "eval \"$1\" </dev/null &", "sh", commandLine, nullptr};
    pid_t pid;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char *const *>(argv), environ) != 0)
        return 2;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return 2;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 33 : 2;
}

bool isWindow(void *) { return false; }

}  // namespace plat
