// The settings-file reader and writer (the project's own on POSIX) over a
// fuzzed file.  A set of probe keys is read, one key is written, and then
// the written key must read back as written while every other probe reads
// as before.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::enterSandbox();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string file = fuzz::scratchPath("settings.ini");
    fuzz::writeFile(file, data, size);
    static const char *const kSections[] = {"Defaults", "editor", "A", "x y"};
    static const char *const kKeys[] = {"Path", "type", "k", "MaxLines", "a b"};
    std::vector<std::string> before;
    for (const char *section : kSections)
        for (const char *key : kKeys) {
            before.push_back(plat::iniReadString(file.c_str(), section, key, "\x01"));
            (void)plat::iniReadInt(file.c_str(), section, key, -7);
        }
    // The key written is chosen by the input too, so it may already exist.
    const char *section = kSections[size % 4];
    const char *key = kKeys[(size / 4) % 5];
    if (!plat::iniWriteString(file.c_str(), section, key, " new value ")) __builtin_trap();
    size_t i = 0;
    for (const char *s : kSections)
        for (const char *k : kKeys) {
            std::string now = plat::iniReadString(file.c_str(), s, k, "\x01");
            if (s == section && k == key) {
                if (now != "new value") __builtin_trap();
            } else if (now != before[i]) {
                __builtin_trap();
            }
            ++i;
        }
    return 0;
}
