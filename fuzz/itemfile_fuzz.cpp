// Item files (LOADITEM) over fuzzed bytes.  Whatever the reader makes of
// the input is written back and read again: that second reading must
// write exactly the same text, so what SAVEITEM stores LOADITEM restores.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/textfile.h"
#include "fuzz_support.h"
#include "values/filefuncs.h"
#include "values/item.h"
#include "values/itemfile.h"

namespace {

bool save(const std::string &path, const VyrItem &item) {
    VyrTextFile file;
    if (!file.open(path.c_str(), VyrFile::kWrite, kVyrScriptFileBuffer)) return false;
    bool ok = vyrWriteItem(file, item);
    file.flush();
    ok = ok && file.state() != 0;
    file.close();
    return ok;
}

bool load(const std::string &path, VyrItem &item) {
    VyrTextFile file;
    if (!file.open(path.c_str(), VyrFile::kRead, kVyrScriptFileBuffer)) return false;
    vyrReadItem(file, item);
    file.close();
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::enterSandbox();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string input = fuzz::scratchPath("input.itm");
    const std::string first = fuzz::scratchPath("first.itm");
    const std::string second = fuzz::scratchPath("second.itm");
    fuzz::writeFile(input, data, size);
    VyrItem loaded;
    if (!load(input, loaded)) __builtin_trap();
    if (!save(first, loaded)) __builtin_trap();
    VyrItem again;
    if (!load(first, again)) __builtin_trap();
    if (!save(second, again)) __builtin_trap();
    if (fuzz::readFile(first) != fuzz::readFile(second)) __builtin_trap();
    return 0;
}
