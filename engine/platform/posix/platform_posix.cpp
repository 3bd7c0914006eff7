// POSIX implementation of the platform layer.
#include "platform/platform.h"
#include "platform/unique_name.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace plat {

FileHandle fileOpen(const char *name, OpenMode mode) {
    if (fileFault(kCallOpen, name, kNoFile, mode)) return kNoFile;
    int flags = 0;
    switch (mode) {
    case kOpenRead: flags = O_RDONLY; break;
    case kOpenCreate: flags = O_WRONLY | O_CREAT | O_TRUNC; break;
    case kOpenWrite: flags = O_WRONLY; break;
    default: return kNoFile;
    }
    int fd;
    do {
        fd = ::open(name, flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return kNoFile;
    // Only regular files (and devices such as /dev/null) behave like files;
    // a directory opens on POSIX but cannot be read as a script.
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return kNoFile;
    }
    noteFileOpened();
    return fd;
}

int32_t fileRead(FileHandle f, void *buffer, int32_t count) {
    if (fileFault(kCallRead, nullptr, f)) return -1;
    if (f == kNoFile || count < 0) return -1;
    char *p = static_cast<char *>(buffer);
    int32_t done = 0;
    while (done < count) {
        ssize_t n = ::read(static_cast<int>(f), p + done, static_cast<size_t>(count - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return done > 0 ? done : -1;
        }
        if (n == 0) break;
        done += static_cast<int32_t>(n);
    }
    return done;
}

int32_t fileWrite(FileHandle f, const void *bytes, int32_t count) {
    if (fileFault(kCallWrite, nullptr, f)) return -1;
    if (f == kNoFile || count < 0) return -1;
    const char *p = static_cast<const char *>(bytes);
    int32_t done = 0;
    while (done < count) {
        ssize_t n = ::write(static_cast<int>(f), p + done, static_cast<size_t>(count - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return done > 0 ? done : -1;
        }
        done += static_cast<int32_t>(n);
    }
    return done;
}

int32_t fileSeek(FileHandle f, int32_t offset, SeekFrom from) {
    if (f == kNoFile) return -1;
    int whence = from == kSeekSet ? SEEK_SET : from == kSeekCur ? SEEK_CUR : SEEK_END;
    off_t r = ::lseek(static_cast<int>(f), static_cast<off_t>(offset), whence);
    if (r < 0 || r > INT32_MAX) return -1;
    return static_cast<int32_t>(r);
}

int32_t fileSize(FileHandle f) {
    struct stat st;
    if (f == kNoFile || ::fstat(static_cast<int>(f), &st) != 0) return -1;
    if (st.st_size < 0 || st.st_size > INT32_MAX) return -1;
    return static_cast<int32_t>(st.st_size);
}

void fileClose(FileHandle f) {
    if (f == kNoFile) return;
    // The descriptor is closed even when close() reports EINTR or EIO; only
    // EBADF means it was not open at all.
    if (::close(static_cast<int>(f)) == 0 || errno != EBADF) noteFileClosed();
}

bool fileExists(const char *name) {
    if (name == nullptr || *name == '\0') return false;
    struct stat st;
    if (::stat(name, &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return ::access(name, R_OK) == 0 || ::access(name, W_OK) == 0;
}

std::string fullPath(const char *name) {
    if (name == nullptr || *name == '\0') return std::string();
    char resolved[PATH_MAX];
    if (::realpath(name, resolved) != nullptr) return resolved;
    // A file that does not exist yet: resolve its directory and keep the name.
    std::string path = name;
    std::string dir = ".", base = path;
    size_t slash = path.find_last_of('/');
    if (slash != std::string::npos) {
        dir = slash == 0 ? "/" : path.substr(0, slash);
        base = path.substr(slash + 1);
    }
    if (::realpath(dir.c_str(), resolved) != nullptr) {
        std::string out = resolved;
        if (out.empty() || out.back() != '/') out += '/';
        return out + base;
    }
    return path;
}

bool isDirectory(const char *name) {
    if (name == nullptr || *name == '\0') return false;
    struct stat st;
    return ::stat(name, &st) == 0 && S_ISDIR(st.st_mode);
}

bool fileDelete(const char *name) {
    if (fileFault(kCallDelete, name, kNoFile)) return false;
    if (name == nullptr || *name == '\0') return false;
    return ::unlink(name) == 0;
}

bool fileReplace(const char *from, const char *to) {
    if (fileFault(kCallReplace, to, kNoFile, 0, from)) return false;
    if (from == nullptr || to == nullptr || *from == '\0' || *to == '\0') return false;
    return ::rename(from, to) == 0;
}

FileHandle fileCreateUnique(const char *dir, std::string &path) {
    if (fileFault(kCallCreateUnique, dir, kNoFile)) return kNoFile;
    std::string base = dir != nullptr && *dir != '\0' ? dir : ".";
    if (base.back() != '/') base += '/';
    unsigned long long seed = static_cast<unsigned long long>(::getpid()) * 2654435761ULL;
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    seed ^= static_cast<unsigned long long>(now.tv_nsec) ^ (static_cast<unsigned long long>(now.tv_sec) << 20);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string name = uniqueFileCandidate(base, seed);
        int fd;
        do {
            fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        } while (fd < 0 && errno == EINTR);
        if (fd >= 0) {
            noteFileOpened();
            path = fullPath(name.c_str());
            return fd;
        }
        if (errno != EEXIST) break;
    }
    return kNoFile;
}

bool fileSync(FileHandle f) {
    if (fileFault(kCallSync, nullptr, f)) return false;
    return f != kNoFile && ::fsync(static_cast<int>(f)) == 0;
}

bool fileRename(const char *from, const char *to) {
    if (from == nullptr || to == nullptr || *from == '\0' || *to == '\0') return false;
    // rename() would replace an existing file: refuse that first.
    struct stat st;
    if (::lstat(to, &st) == 0 || errno != ENOENT) return false;
    return ::rename(from, to) == 0;
}

bool makeDirectory(const char *name) {
    if (name == nullptr || *name == '\0') return false;
    return ::mkdir(name, 0777) == 0;
}

bool removeDirectory(const char *name) {
    if (name == nullptr || *name == '\0') return false;
    return ::rmdir(name) == 0;
}

bool currentDirectory(std::string &dir) {
    std::string buffer(256, '\0');
    for (;;) {
        if (::getcwd(&buffer[0], buffer.size()) != nullptr) break;
        if (errno != ERANGE || buffer.size() > (1u << 20)) return false;
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(strlen(buffer.c_str()));
    if (buffer.empty()) return false;
    while (buffer.size() > 1 && buffer.back() == '/') buffer.pop_back();
    dir = buffer;
    return true;
}

bool setCurrentDirectory(const char *dir) {
    if (dir == nullptr || *dir == '\0') return false;
    return ::chdir(dir) == 0;
}

void upperBuffer(char *text, size_t length) {
    for (size_t i = 0; i < length; ++i)
        if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - 'a' + 'A');
}

void lowerBuffer(char *text, size_t length) {
    for (size_t i = 0; i < length; ++i)
        if (text[i] >= 'A' && text[i] <= 'Z') text[i] = static_cast<char>(text[i] - 'A' + 'a');
}

bool isLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool isLetterOrDigit(unsigned char c) { return isLetter(c) || (c >= '0' && c <= '9'); }

void pumpMessages() {}

void *activeWindow() { return nullptr; }

namespace {
void (*messageSink)(const char *) = nullptr;
}

void setMessageSink(void (*sink)(const char *text)) { messageSink = sink; }

void messageBox(const char *text) {
    if (messageSink != nullptr) {
        messageSink(text ? text : "");
        return;
    }
    std::string line = "Vyr Message: ";
    for (const char *p = text ? text : ""; *p; ++p) {
        if (*p == '\r') continue;
        line += (*p == '\n') ? ' ' : *p;
    }
    line += '\n';
    fflush(stdout);
    fputs(line.c_str(), stderr);
    fflush(stderr);
}

static void moduleAnchor() {}

void *moduleHandle() {
    Dl_info info;
    if (dladdr(reinterpret_cast<void *>(&moduleAnchor), &info) == 0) return nullptr;
    return info.dli_fbase;
}

std::string modulePath() {
    Dl_info info;
    if (dladdr(reinterpret_cast<void *>(&moduleAnchor), &info) == 0 || info.dli_fname == nullptr)
        return std::string();
    return fullPath(info.dli_fname);
}

bool isTerminal(StdStream stream) { return ::isatty(static_cast<int>(stream)) == 1; }

namespace {
void (*volatile interruptHandler)() = nullptr;

extern "C" void onSigint(int) {
    // SA_RESETHAND has restored the default action: a second Ctrl+C ends
    // the process.
    void (*handler)() = interruptHandler;
    if (handler != nullptr) handler();
}
}  // namespace

void onInterrupt(void (*handler)()) {
    interruptHandler = handler;
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = onSigint;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

}  // namespace plat
