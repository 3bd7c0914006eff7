// Protected regions over a fuzzed previous version of an output file.
//
// Input: byte 0 picks the markers (short or long ones, so that markers cut
// by the 4096-byte chunk ends are common), byte 1 the mode (Output or
// Append); the rest is the previous file.  The regions the scanner finds are
// compared with a straightforward scan of the whole text, each one is
// copied, and the copy must be exactly the bytes up to the next end marker.
// A commit must leave the new content under the output name; an Append must
// start with the previous content.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "core/output.h"
#include "fuzz_support.h"

namespace {

bool isSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool isNameChar(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

std::string upper(std::string s) {
    for (char &c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// Region name (upper case) -> offset just after the name, last occurrence.
std::map<std::string, int32_t> referenceScan(const std::string &data, const std::string &begin) {
    std::map<std::string, int32_t> regions;
    size_t from = 0;
    for (;;) {
        size_t at = data.find(begin, from);
        if (at == std::string::npos) break;
        size_t p = at + begin.size();
        while (p < data.size() && isSpace(static_cast<unsigned char>(data[p]))) ++p;
        size_t nameStart = p;
        while (p < data.size() && isNameChar(static_cast<unsigned char>(data[p]))) ++p;
        regions[upper(data.substr(nameStart, p - nameStart))] = static_cast<int32_t>(p);
        from = p;
    }
    return regions;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::enterSandbox();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) return 0;
    static const char *const kMarkers[][2] = {
        {"%PROTECT", "%ENDPROTECT"},
        {"<", ">"},
        {"[[begin-of-a-rather-long-protected-region-marker]]", "[[end-of-a-rather-long-protected-region-marker]]"},
        {"%P", "%P"},  // the same text opens and closes
    };
    const auto &markers = kMarkers[data[0] % 4];
    const int32_t mode = (data[1] & 1) ? VyrOutputFile::kAppend : VyrOutputFile::kOutput;
    const std::string previous(reinterpret_cast<const char *>(data) + 2, size - 2);
    const std::string name = fuzz::scratchPath("out.txt");
    fuzz::writeFile(name, previous);

    auto *out = new VyrOutputFile();
    if (!out->open(name.c_str(), mode, markers[0], markers[1])) __builtin_trap();

    const auto expected = referenceScan(previous, markers[0]);
    if (out->regionCount() != expected.size()) __builtin_trap();
    std::string written = mode == VyrOutputFile::kAppend ? previous : std::string();
    for (const auto &region : expected) {
        int32_t offset = -1;
        if (!out->findRegion(region.first.c_str(), &offset) || offset != region.second) __builtin_trap();
        if (!out->copyRegion(offset)) __builtin_trap();
        size_t stop = previous.find(markers[1], static_cast<size_t>(offset));
        written += previous.substr(static_cast<size_t>(offset),
                                   stop == std::string::npos ? std::string::npos : stop - static_cast<size_t>(offset));
    }
    const std::string temp = out->tempPath().c_str();
    if (!out->commit()) __builtin_trap();
    if (fuzz::readFile(name) != written) __builtin_trap();
    if (std::filesystem::exists(temp)) __builtin_trap();
    delete out;
    return 0;
}
