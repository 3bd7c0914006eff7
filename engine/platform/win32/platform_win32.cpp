// Win32 implementation of the platform layer.
#include "platform/platform.h"

#include <windows.h>

namespace plat {

FileHandle fileOpen(const char *name, OpenMode mode) {
    DWORD access = 0, disposition = 0;
    switch (mode) {
    case kOpenRead: access = GENERIC_READ; disposition = OPEN_EXISTING; break;
    case kOpenCreate: access = GENERIC_WRITE; disposition = CREATE_ALWAYS; break;
    case kOpenWrite: access = GENERIC_WRITE; disposition = OPEN_EXISTING; break;
    default: return kNoFile;
    }
    HANDLE h = CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return kNoFile;
    return reinterpret_cast<FileHandle>(h);
}

int32_t fileRead(FileHandle f, void *buffer, int32_t count) {
    if (f == kNoFile || count < 0) return -1;
    DWORD got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(f), buffer, static_cast<DWORD>(count), &got, nullptr))
        return -1;
    return static_cast<int32_t>(got);
}

int32_t fileWrite(FileHandle f, const void *bytes, int32_t count) {
    if (f == kNoFile || count < 0) return -1;
    DWORD put = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(f), bytes, static_cast<DWORD>(count), &put, nullptr))
        return -1;
    return static_cast<int32_t>(put);
}

int32_t fileSeek(FileHandle f, int32_t offset, SeekFrom from) {
    if (f == kNoFile) return -1;
    DWORD method = from == kSeekSet ? FILE_BEGIN : from == kSeekCur ? FILE_CURRENT : FILE_END;
    LARGE_INTEGER distance, result;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(reinterpret_cast<HANDLE>(f), distance, &result, method)) return -1;
    if (result.QuadPart < 0 || result.QuadPart > 0x7FFFFFFF) return -1;
    return static_cast<int32_t>(result.QuadPart);
}

void fileClose(FileHandle f) {
    if (f != kNoFile) CloseHandle(reinterpret_cast<HANDLE>(f));
}

bool fileExists(const char *name) {
    if (name == nullptr || *name == '\0') return false;
    DWORD attributes = GetFileAttributesA(name);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string fullPath(const char *name) {
    if (name == nullptr || *name == '\0') return std::string();
    char buffer[MAX_PATH * 4];
    DWORD n = GetFullPathNameA(name, sizeof buffer, buffer, nullptr);
    if (n == 0 || n >= sizeof buffer) return name;
    return std::string(buffer, n);
}

void upperBuffer(char *text, size_t length) {
    if (length) CharUpperBuffA(text, static_cast<DWORD>(length));
}

void lowerBuffer(char *text, size_t length) {
    if (length) CharLowerBuffA(text, static_cast<DWORD>(length));
}

void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void *activeWindow() { return GetActiveWindow(); }

void messageBox(const char *text) {
    pumpMessages();
    MessageBoxA(GetActiveWindow(), text ? text : "", "Vyr Message", MB_OK | MB_ICONSTOP);
}

static void moduleAnchor() {}

void *moduleHandle() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&moduleAnchor), &module);
    return module;
}

std::string modulePath() {
    char buffer[MAX_PATH * 4];
    DWORD n = GetModuleFileNameA(static_cast<HMODULE>(moduleHandle()), buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) return std::string();
    return std::string(buffer, n);
}

}  // namespace plat
