// The statement matcher on its own: the input is one script text, matched
// against the standard statement table.  Every capture must be a piece of
// the text, and a failed match must leave no captures.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/pattern.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static VyrStatementTable *table = [] {
        auto *t = new VyrStatementTable();
        t->addStandard();
        return t;
    }();
    static VyrTextList args;
    const std::string text(reinterpret_cast<const char *>(data), size);  // a zero byte ends the text
    const int32_t id = table->match(text.c_str(), args);
    if (id == 0 && args.count() != 0) __builtin_trap();
    const char *c = text.c_str();
    for (int32_t i = 0; i < args.count(); ++i)
        if (std::strstr(c, args[i].c_str()) == nullptr) __builtin_trap();
    return 0;
}
