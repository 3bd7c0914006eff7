// The expression evaluator on its own: each line of the input is evaluated
// in a fresh engine's symbol table, which holds a number, a text, a list and
// an object, so member, element and by-reference paths are reached.  The
// target of an assignment is tried on every line as well.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/engine.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    VyrInitInstance();
    fuzz::enterSandbox();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    VYROPTIONS o = fuzz::defaultOptions();
    HVYR handle = VyrCreate(&o);
    if (handle == nullptr) return 0;
    VyrEngine *engine = VyrEngine::fromHandle(handle);
    VyrSymbolTable &symbols = engine->symbols();
    VyrEvaluator eval(symbols, handle);

    const char *setup[][2] = {
        {"n", "42"},
        {"s", "'Text with words'"},
        {"l", "LIST(1, 'two', LIST(3, 'four'), -5)"},
        {"o", "OBJECT('Point')"},
    };
    for (auto &v : setup)
        if (eval.evaluate(v[1])) symbols.addVariable(v[0], eval.result());

    const std::string input(reinterpret_cast<const char *>(data), size);
    size_t start = 0;
    while (start <= input.size()) {
        size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        const std::string line = input.substr(start, end - start);
        eval.evaluate(line.c_str());
        eval.evaluateTarget(line.c_str());
        start = end + 1;
    }
    VyrDestroy(handle);
    return 0;
}
