// unique_name.h - candidate names for the new unique files of
// fileCreateUnique, shared by the implementations of the platform layer (not
// part of its interface).
#ifndef VYR_PLATFORM_UNIQUE_NAME_H
#define VYR_PLATFORM_UNIQUE_NAME_H

#include <atomic>
#include <string>

namespace plat {

// The next candidate in the directory base (which ends with a separator):
// "~vyr", six letters or digits, ".tmp".  The letters mix the caller's seed
// (process and clock) with a serial number shared by every thread, so two
// calls never try the same sequence.
inline std::string uniqueFileCandidate(const std::string &base, unsigned long long seed) {
    static const char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    static std::atomic<unsigned long> serial{0};
    unsigned long long x = seed + 0x9E3779B97F4A7C15ULL * (++serial);
    x ^= x >> 31;
    x *= 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 29;
    std::string name = base + "~vyr";
    for (int i = 0; i < 6; ++i) {
        name += kDigits[x % 36];
        x /= 36;
    }
    name += ".tmp";
    return name;
}

}  // namespace plat

#endif  // VYR_PLATFORM_UNIQUE_NAME_H
