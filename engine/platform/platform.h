// platform.h - the only door from the portable code to the operating system.
//
// Two implementations exist, chosen by the build: posix/ and win32/.  The
// interface covers just what the engine, the type registry and the console
// host need; each function says what it does on failure.  Texts are 8-bit
// bytes; paths accept both separators on Windows.
#ifndef VYR_PLATFORM_H
#define VYR_PLATFORM_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace plat {

// ---- Files --------------------------------------------------------------

using FileHandle = intptr_t;
constexpr FileHandle kNoFile = -1;

enum OpenMode {
    kOpenRead = 0,      // existing file, read access
    kOpenCreate = 1,    // create or truncate, write access
    kOpenWrite = 2,     // existing file, write access, not truncated
};

// Opens a file; kNoFile when the system refuses.
FileHandle fileOpen(const char *name, OpenMode mode);
// Number of bytes read (0 at the end), -1 on error.
int32_t fileRead(FileHandle f, void *buffer, int32_t count);
// Number of bytes written, -1 on error.
int32_t fileWrite(FileHandle f, const void *bytes, int32_t count);
enum SeekFrom { kSeekSet = 0, kSeekCur = 1, kSeekEnd = 2 };
// New absolute position, -1 on error.
int32_t fileSeek(FileHandle f, int32_t offset, SeekFrom from);
void fileClose(FileHandle f);
// True when a file of this name exists and can be opened.
bool fileExists(const char *name);
// The full path the system reports for a name (absolute, "." and ".."
// resolved).  Falls back to the name itself when the system cannot tell.
std::string fullPath(const char *name);

// ---- Case mapping and messages -----------------------------------------

// Upper/lower case in place: the ANSI code page's mapping on Windows, ASCII
// elsewhere.
void upperBuffer(char *text, size_t length);
void lowerBuffer(char *text, size_t length);

// Removes and dispatches every message waiting in the thread's queue so the
// host's windows stay responsive during a run (nothing to do on POSIX).
void pumpMessages();

// The window active for the calling thread (null on POSIX).
void *activeWindow();

// The library's message box captioned "Vyr Message" with a stop icon; on
// POSIX one line on standard error, "Vyr Message: <text>".
void messageBox(const char *text);

// ---- Modules --------------------------------------------------------------

// Handle of the module (shared library or program) this code is linked into.
void *moduleHandle();
// Full path of that module's file.
std::string modulePath();

}  // namespace plat

#endif  // VYR_PLATFORM_H
