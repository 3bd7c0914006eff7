// Win32 implementation of the platform layer.
#include "platform/platform.h"
#include "platform/unique_name.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <vector>

namespace plat {

FileHandle fileOpen(const char *name, OpenMode mode) {
    if (fileFault(kCallOpen, name, kNoFile, mode)) return kNoFile;
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
    noteFileOpened();
    return reinterpret_cast<FileHandle>(h);
}

int32_t fileRead(FileHandle f, void *buffer, int32_t count) {
    if (fileFault(kCallRead, nullptr, f)) return -1;
    if (f == kNoFile || count < 0) return -1;
    DWORD got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(f), buffer, static_cast<DWORD>(count), &got, nullptr))
        return -1;
    return static_cast<int32_t>(got);
}

int32_t fileWrite(FileHandle f, const void *bytes, int32_t count) {
    if (fileFault(kCallWrite, nullptr, f)) return -1;
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

int32_t fileSize(FileHandle f) {
    LARGE_INTEGER size;
    if (f == kNoFile || !GetFileSizeEx(reinterpret_cast<HANDLE>(f), &size)) return -1;
    if (size.QuadPart < 0 || size.QuadPart > 0x7FFFFFFF) return -1;
    return static_cast<int32_t>(size.QuadPart);
}

void fileClose(FileHandle f) {
    if (f != kNoFile && CloseHandle(reinterpret_cast<HANDLE>(f))) noteFileClosed();
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

bool isDirectory(const char *name) {
    if (name == nullptr || *name == '\0') return false;
    DWORD attributes = GetFileAttributesA(name);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool fileDelete(const char *name) {
    if (fileFault(kCallDelete, name, kNoFile)) return false;
    if (name == nullptr || *name == '\0') return false;
    return DeleteFileA(name) != 0;
}

bool fileReplace(const char *from, const char *to) {
    if (fileFault(kCallReplace, to, kNoFile, 0, from)) return false;
    if (from == nullptr || to == nullptr || *from == '\0' || *to == '\0') return false;
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

FileHandle fileCreateUnique(const char *dir, std::string &path) {
    if (fileFault(kCallCreateUnique, dir, kNoFile)) return kNoFile;
    std::string base = dir != nullptr && *dir != '\0' ? dir : ".";
    if (base.back() != '\\' && base.back() != '/') base += '\\';
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    unsigned long long seed = static_cast<unsigned long long>(GetCurrentProcessId()) * 2654435761ULL;
    seed ^= static_cast<unsigned long long>(counter.QuadPart);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string name = uniqueFileCandidate(base, seed);
        HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            noteFileOpened();
            path = fullPath(name.c_str());
            return reinterpret_cast<FileHandle>(h);
        }
        DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    return kNoFile;
}

bool fileSync(FileHandle f) {
    if (fileFault(kCallSync, nullptr, f)) return false;
    return f != kNoFile && FlushFileBuffers(reinterpret_cast<HANDLE>(f)) != 0;
}

bool fileRename(const char *from, const char *to) {
    if (from == nullptr || to == nullptr || *from == '\0' || *to == '\0') return false;
    // Without MOVEFILE_REPLACE_EXISTING an existing target makes the move fail.
    return MoveFileA(from, to) != 0;
}

bool makeDirectory(const char *name) {
    if (name == nullptr || *name == '\0') return false;
    return CreateDirectoryA(name, nullptr) != 0;
}

bool removeDirectory(const char *name) {
    if (name == nullptr || *name == '\0') return false;
    return RemoveDirectoryA(name) != 0;
}

bool currentDirectory(std::string &dir) {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (n == 0) return false;
        if (n < buffer.size()) {
            std::string out(buffer.data(), n);
            // "C:\" keeps its separator; any other directory has none.
            while (out.size() > 3 && (out.back() == '\\' || out.back() == '/')) out.pop_back();
            dir = out;
            return true;
        }
        if (n > (1u << 20)) return false;
        buffer.resize(n + 1);  // the buffer was too small: n is the size needed
    }
}

bool setCurrentDirectory(const char *dir) {
    if (dir == nullptr || *dir == '\0') return false;
    return SetCurrentDirectoryA(dir) != 0;
}

void upperBuffer(char *text, size_t length) {
    if (length) CharUpperBuffA(text, static_cast<DWORD>(length));
}

void lowerBuffer(char *text, size_t length) {
    if (length) CharLowerBuffA(text, static_cast<DWORD>(length));
}

bool isLetter(unsigned char c) { return c != 0 && IsCharAlphaA(static_cast<CHAR>(c)); }

bool isLetterOrDigit(unsigned char c) { return c != 0 && IsCharAlphaNumericA(static_cast<CHAR>(c)); }

void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void *activeWindow() { return GetActiveWindow(); }

namespace {
void (*messageSink)(const char *) = nullptr;
}

void setMessageSink(void (*sink)(const char *text)) { messageSink = sink; }

void messageBox(const char *text) {
    pumpMessages();
    if (messageSink != nullptr) {
        messageSink(text ? text : "");
        return;
    }
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

// ---- Settings files ------------------------------------------------------

namespace {

// The system puts a file named without a directory into the Windows
// directory: always hand it the full path.
std::string profilePath(const char *file) { return fullPath(file); }

bool hasLineBreak(const char *text) { return strchr(text, '\n') != nullptr || strchr(text, '\r') != nullptr; }

}  // namespace

int32_t iniReadInt(const char *file, const char *section, const char *key, int32_t defaultValue) {
    if (file == nullptr || *file == '\0' || section == nullptr || key == nullptr) return defaultValue;
    return static_cast<int32_t>(GetPrivateProfileIntA(section, key, defaultValue, profilePath(file).c_str()));
}

std::string iniReadString(const char *file, const char *section, const char *key, const char *defaultValue) {
    const char *fallback = defaultValue ? defaultValue : "";
    if (file == nullptr || *file == '\0' || section == nullptr || key == nullptr) return fallback;
    std::string path = profilePath(file);
    std::vector<char> buffer(256);
    for (;;) {
        DWORD n = GetPrivateProfileStringA(section, key, fallback, buffer.data(),
                                           static_cast<DWORD>(buffer.size()), path.c_str());
        if (n + 1 < buffer.size() || buffer.size() >= (1u << 20)) return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 4);  // the value was cut: ask again with more room
    }
}

bool iniWriteString(const char *file, const char *section, const char *key, const char *value) {
    if (file == nullptr || *file == '\0' || section == nullptr || *section == '\0' || key == nullptr ||
        *key == '\0')
        return false;
    if (value == nullptr) value = "";
    // A line break would turn one value into several lines of the file.
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value) || strchr(key, '=') != nullptr ||
        strchr(section, ']') != nullptr)
        return false;
    return WritePrivateProfileStringA(section, key, value, profilePath(file).c_str()) != FALSE;
}

// ---- Console ----------------------------------------------------------------

bool isTerminal(StdStream stream) {
    DWORD which = stream == kStdIn ? STD_INPUT_HANDLE : stream == kStdOut ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
    HANDLE h = GetStdHandle(which);
    DWORD mode = 0;
    return h != nullptr && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode) != FALSE;
}

namespace {
std::atomic<void (*)()> interruptHandler{nullptr};
std::atomic<bool> interrupted{false};

BOOL WINAPI onConsoleEvent(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    // Only the first interrupt is handled; a later one takes the default
    // action and ends the process.
    if (interrupted.exchange(true)) return FALSE;
    void (*handler)() = interruptHandler.load();
    if (handler != nullptr) handler();
    return TRUE;
}
}  // namespace

void onInterrupt(void (*handler)()) {
    interruptHandler = handler;
    interrupted = false;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

}  // namespace plat
