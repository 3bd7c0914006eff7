// Win32 implementation of shared-library loading, memory blocks handed
// between libraries, and starting programs.
#include "platform/platform.h"

#include <windows.h>

namespace plat {

void *loadLibrary(const char *name) {
    if (name == nullptr || *name == '\0') return nullptr;
    // No system error box for a library that cannot be loaded: the caller
    // reports the failure itself.
    UINT old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    SetErrorMode(old | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryA(name);
    SetErrorMode(old);
    return module;
}

void *findSymbol(void *library, const char *name) {
    if (library == nullptr || name == nullptr) return nullptr;
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void freeLibrary(void *library) {
    if (library != nullptr) FreeLibrary(static_cast<HMODULE>(library));
}

std::string libraryPath(void *library) {
    if (library == nullptr) return std::string();
    char buffer[MAX_PATH * 4];
    DWORD n = GetModuleFileNameA(static_cast<HMODULE>(library), buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) return std::string();
    return std::string(buffer, n);
}

const void *imageOfAddress(const void *address) {
    HMODULE module = nullptr;
    if (address == nullptr ||
        !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(address), &module))
        return nullptr;
    return module;
}

BlockHandle blockAlloc(size_t size) { return GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size); }

void *blockLock(BlockHandle block) { return block ? GlobalLock(static_cast<HGLOBAL>(block)) : nullptr; }

void blockUnlock(BlockHandle block) {
    if (block) GlobalUnlock(static_cast<HGLOBAL>(block));
}

size_t blockSize(BlockHandle block) { return block ? GlobalSize(static_cast<HGLOBAL>(block)) : 0; }

void blockFree(BlockHandle block) {
    if (block) GlobalFree(static_cast<HGLOBAL>(block));
}

int32_t runCommand(const char *commandLine, int32_t showMode) {
    if (commandLine == nullptr) return 0;
    return static_cast<int32_t>(WinExec(commandLine, static_cast<UINT>(showMode)));
}

bool isWindow(void *window) { return window != nullptr && IsWindow(static_cast<HWND>(window)) != FALSE; }

}  // namespace plat
