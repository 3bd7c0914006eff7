// fuzz_support.h - what the fuzz targets share: a private scratch directory
// and a file-call hook that keeps every file operation of the engine inside
// it, so fuzzed scripts cannot read devices or write anywhere else.
#ifndef VYR_FUZZ_SUPPORT_H
#define VYR_FUZZ_SUPPORT_H

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/platform.h"
#include "vyrapi.h"
#include "../tests/unit/script_options.h"

namespace fuzz {

namespace fs = std::filesystem;

// The process's scratch directory (made once, removed at exit).
inline const std::string &scratchDir() {
    static const std::string dir = [] {
        std::string pattern = (fs::temp_directory_path() / "vyr-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        std::string made = fs::canonical(pattern).string();
        static std::string removeAtExit;
        removeAtExit = made;
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(removeAtExit, ec);
        });
        return made;
    }();
    return dir;
}

inline std::string scratchPath(const std::string &name) { return scratchDir() + "/" + name; }

inline void writeFile(const std::string &path, const void *bytes, size_t n) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char *>(bytes), static_cast<std::streamsize>(n));
}

inline void writeFile(const std::string &path, const std::string &bytes) {
    writeFile(path, bytes.data(), bytes.size());
}

inline std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// True when the name lies inside the scratch directory (relative names are
// taken from the current directory, which the targets set to it).
inline bool insideScratch(const char *name) {
    if (name == nullptr || *name == '\0') return false;
    std::error_code ec;
    fs::path p = fs::weakly_canonical(fs::absolute(name, ec), ec);
    if (ec) return false;
    const std::string s = p.string();
    const std::string &dir = scratchDir();
    return s == dir || (s.size() > dir.size() && s.compare(0, dir.size(), dir) == 0 && s[dir.size()] == '/');
}

inline bool sandbox(const plat::FileCallInfo &call, void *) {
    switch (call.call) {
    case plat::kCallOpen:
    case plat::kCallCreateUnique:
    case plat::kCallDelete: return !insideScratch(call.name);
    case plat::kCallReplace: return !insideScratch(call.name) || !insideScratch(call.other);
    default: return false;
    }
}

// Sets up the scratch directory as the current directory and confines the
// engine's file calls to it.
inline void enterSandbox() {
    fs::current_path(scratchDir());
    plat::setFileFaultHook(sandbox, nullptr);
}

// The IDE's default options: script-marker mode, comments and blank lines
// removed, the usual markers.
inline VYROPTIONS defaultOptions() { return scriptOptions(); }

}  // namespace fuzz

#endif  // VYR_FUZZ_SUPPORT_H
