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

// The separator joined between a directory and a file name.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

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
// The file's size in bytes now, without moving its position; -1 on error or
// when the size does not fit in 31 bits.
int32_t fileSize(FileHandle f);
void fileClose(FileHandle f);
// True when a file of this name exists and can be opened.
bool fileExists(const char *name);
// The full path the system reports for a name (absolute, "." and ".."
// resolved).  Falls back to the name itself when the system cannot tell.
std::string fullPath(const char *name);

// ---- File system ------------------------------------------------------------

// True when the name is an existing directory.
bool isDirectory(const char *name);
// Deletes a file; false when it could not be deleted.
bool fileDelete(const char *name);
// Moves a file to a new name in the same directory, replacing a file of that
// name in one step: the new name refers to the old file or to the moved one,
// never to none and never to a partial file.  False on failure; both files
// are then as they were.
bool fileReplace(const char *from, const char *to);
// Creates a new, empty file with a unique name ("~vyr" followed by six
// letters or digits and ".tmp") in the directory dir, exclusively (an existing
// file is never opened), with write access and the usual permissions of a new
// file.  Stores its full path in path.  kNoFile when no file could be made.
FileHandle fileCreateUnique(const char *dir, std::string &path);
// Writes the file's data through to the storage device; false on failure.
bool fileSync(FileHandle f);
// Renames or moves a file; fails (false) when a file or directory of the new
// name exists already, and then changes nothing.
bool fileRename(const char *from, const char *to);
// Number of files open through this layer in the whole process: each
// handle fileOpen or fileCreateUnique gives counts until fileClose closes
// it.  Exact on every system (unlike the system's own handle lists, which
// include the runtime's handles), so tests compare it before and after work
// to find a file left open.
int32_t openFileCount();
// Kept by the implementations: a handle was opened / closed.
void noteFileOpened();
void noteFileClosed();
// Creates one directory / removes an empty one; false on failure.
bool makeDirectory(const char *name);
bool removeDirectory(const char *name);
// The process's current directory, without a trailing separator except at
// a root; false (and dir unchanged) when the system cannot tell.
bool currentDirectory(std::string &dir);
// Changes the process's current directory; false on failure.
bool setCurrentDirectory(const char *dir);

// ---- Fault injection --------------------------------------------------------
//
// Tests and fuzz targets make file calls fail the way the system makes them
// fail (a full disk, a directory without write access, a file that cannot
// be read) through one hook.  It is asked before each call below; when it
// answers true the call fails as documented (kNoFile, -1 or false) without
// touching the file system.  Without a hook nothing changes.  Not for hosts:
// the hook is process-wide and not synchronised.

enum FileCall {
    kCallOpen,          // fileOpen: name, mode
    kCallRead,          // fileRead: file
    kCallWrite,         // fileWrite: file
    kCallCreateUnique,  // fileCreateUnique: name is the directory
    kCallReplace,       // fileReplace: name is the target, other the file moved
    kCallDelete,        // fileDelete: name
    kCallSync,          // fileSync: file
};

struct FileCallInfo {
    FileCall call;
    const char *name;   // null for calls on an open file
    const char *other;  // fileReplace: the file moved; else null
    FileHandle file;    // kNoFile for calls by name
    int mode;           // fileOpen: the OpenMode; else 0
};

using FileFaultHook = bool (*)(const FileCallInfo &call, void *context);
// Installs the hook (null removes it); context is handed back to each call.
void setFileFaultHook(FileFaultHook hook, void *context);
// True when the hook fails this call (used by the implementations).
bool fileFault(FileCall call, const char *name, FileHandle file, int mode = 0, const char *other = nullptr);

// ---- Case mapping and messages -----------------------------------------

// Upper/lower case in place: the ANSI code page's mapping on Windows, ASCII
// elsewhere.
void upperBuffer(char *text, size_t length);
void lowerBuffer(char *text, size_t length);
// Letter tests with the same reach as the case mapping: the ANSI code page's
// letters on Windows, ASCII A-Z/a-z (and 0-9) elsewhere.
bool isLetter(unsigned char c);
bool isLetterOrDigit(unsigned char c);

// Removes and dispatches every message waiting in the thread's queue so the
// host's windows stay responsive during a run (nothing to do on POSIX).
void pumpMessages();

// The window active for the calling thread (null on POSIX).
void *activeWindow();

// The library's message box captioned "Vyr Message" with a stop icon; on
// POSIX one line on standard error, "Vyr Message: <text>".
void messageBox(const char *text);
// Sends every later message box text to sink instead (null restores the
// box), for hosts and tests that must never wait for a modal box.
void setMessageSink(void (*sink)(const char *text));

// ---- Modules --------------------------------------------------------------

// Handle of the module (shared library or program) this code is linked into.
void *moduleHandle();
// Full path of that module's file.
std::string modulePath();

// The file-name prefix and extension of a shared library on this system
// ("" and ".dll" on Windows, "lib" and ".so" elsewhere).
#ifdef _WIN32
constexpr const char *kLibraryPrefix = "";
constexpr const char *kLibraryExtension = ".dll";
#else
constexpr const char *kLibraryPrefix = "lib";
constexpr const char *kLibraryExtension = ".so";
#endif

// Loads a shared library by name or path with the system's loader (a bare
// file name is searched for on the system's library search path).  Null
// when it cannot be loaded.
void *loadLibrary(const char *name);
// Address of an exported symbol of a loaded library, or null.
void *findSymbol(void *library, const char *name);
// Releases one load of a library (the system unloads it after the last).
void freeLibrary(void *library);
// Full path of a loaded library's file, or "" when the system cannot tell.
std::string libraryPath(void *library);
// The loaded library (or program) whose image holds an address, as a value
// that is the same for every address of that image while it stays loaded;
// null when no loaded image holds the address.
const void *imageOfAddress(const void *address);

// ---- Memory blocks handed between libraries -----------------------------
//
// A block allocated by one library and freed by another: a movable,
// zero-filled global memory block on Windows, a tagged heap block
// elsewhere.  Lock gives the block's bytes (null for a handle that is not a
// live block); every lock is balanced by an unlock before the block is freed.

using BlockHandle = void *;
// A new zero-filled block of size bytes, or null.
BlockHandle blockAlloc(size_t size);
void *blockLock(BlockHandle block);
void blockUnlock(BlockHandle block);
// Size in bytes of a live block, 0 for anything else.
size_t blockSize(BlockHandle block);
// Frees the block; ignores null.
void blockFree(BlockHandle block);

// ---- Processes and windows ------------------------------------------------

// Starts a command line without waiting for it, with a show mode for its
// main window (Windows' SW_* values; ignored elsewhere).  A result above 32
// means the program was started.  Windows runs the command line with the
// system's call for it; elsewhere it runs in the background through
// "/bin/sh -c", and the result is above 32 when the shell started.
int32_t runCommand(const char *commandLine, int32_t showMode);

// True when the handle names an existing window (always false on POSIX,
// which has no windows).
bool isWindow(void *window);

// ---- Settings files (private-profile INI format) --------------------------
//
// Sections are headed "[name]"; keys are "name=value" lines.  Section and
// key names ignore case; blanks around names and values are dropped.  A
// missing file, section or key gives the default.  Windows uses the
// system's private-profile calls; elsewhere the project's own reader and
// writer follow the same rules.

// The key's value as a decimal integer (leading blanks, optional sign,
// digits; text that does not start with a number reads as 0).  The default
// when the file, section or key is missing or the value is empty.
int32_t iniReadInt(const char *file, const char *section, const char *key, int32_t defaultValue);
// The key's text; the default when the file, section or key is missing.  A
// key present with an empty value reads as the empty text.
std::string iniReadString(const char *file, const char *section, const char *key,
                          const char *defaultValue);
// Sets the key, creating the file, the section and the key as needed and
// keeping every other line of the file as it was.  False when the file
// cannot be written (or a name is empty); the old file is then unchanged.
bool iniWriteString(const char *file, const char *section, const char *key, const char *value);

// ---- Console ---------------------------------------------------------------

enum StdStream { kStdIn = 0, kStdOut = 1, kStdErr = 2 };
// True when the standard stream is attached to a terminal (console).
bool isTerminal(StdStream stream);
// Calls handler (with no arguments) when the user interrupts the program
// (Ctrl+C: SIGINT on POSIX, CTRL_C_EVENT on Windows).  Only the first
// interrupt reaches the handler; a later one ends the process the usual way,
// so a program that stopped responding can still be stopped.  The handler
// may run on another thread (Windows) or inside a signal handler (POSIX):
// it must only set a flag.
void onInterrupt(void (*handler)());

// ---- Clock -------------------------------------------------------------------

// A moment of the local calendar: year, month 1-12, day 1-31, hour 0-23,
// minute 0-59, second 0-59 (a leap second reads as 59).
struct LocalTime {
    int32_t year;
    int32_t month;
    int32_t day;
    int32_t hour;
    int32_t minute;
    int32_t second;
};

// The system clock's current local date and time.  When the system cannot
// tell, the fields are those of 1 January 1970, 00:00:00.
LocalTime localTime();

}  // namespace plat

#endif  // VYR_PLATFORM_H
