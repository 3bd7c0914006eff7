// Item files (LOADITEM) over fuzzed bytes.  Whatever the reader makes of
// the input is written back and read again: that second reading must
// write exactly the same text, so what SAVEITEM stores LOADITEM restores.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/symbols.h"
#include "fuzz_support.h"
#include "values/item.h"
#include "values/itemfile.h"

namespace {

// The built-ins themselves, as a script calls them: SAVEITEM's result 1
// means written, LOADITEM's call result 1 means read.
bool save(const std::string &path, const VyrItem &item) {
    VyrArgs args(nullptr);
    args.addCopy(VyrItem(path.c_str()));
    args.addCopy(item);
    VyrItem result;
    return vyrFnSaveItem(&args, &result) == 1 && result.type() == VyrItem::kInteger && result.num() == 1;
}

bool load(const std::string &path, VyrItem &item) {
    VyrArgs args(nullptr);
    args.addCopy(VyrItem(path.c_str()));
    return vyrFnLoadItem(&args, &item) == 1;
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
