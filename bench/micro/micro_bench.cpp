// Micro-benchmarks of the per-line parts of the engine on their own: the
// statement matcher, the tokenizer and evaluator, and the script reader.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "core/evaluator.h"
#include "core/pattern.h"
#include "core/reader.h"
#include "core/tokenizer.h"
#include "values/library.h"
#include "vyrapi.h"

namespace {

const char *const kLines[] = {
    "For Each f In e.Fields Where f.Key",
    "params = params + sep + f.Type + ' ' + f.Name",
    "If f.Type = 'std::string'",
    "End For",
    "UPPER(LEFT(f.Name, 1)) + SUBSTR(f.Name, 1)",
};

void BM_MatchStatement(benchmark::State &state) {
    VyrStatementTable table;
    table.addStandard();
    VyrTextList args;
    const char *line = kLines[state.range(0)];
    for (auto _ : state) benchmark::DoNotOptimize(table.match(line, args));
}
BENCHMARK(BM_MatchStatement)->DenseRange(0, 4);

void BM_Tokenize(benchmark::State &state) {
    const char *text = "params + sep + f.Type + ' ' + UPPER(LEFT(f.Name, 1)) + SUBSTR(f.Name, 1) * 42";
    VyrTokenizer tok;
    for (auto _ : state) {
        tok.reset(text);
        int32_t n = 0;
        while (tok.next() > 0) ++n;
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_Tokenize);

struct Symbols {
    Symbols() {
        VyrGlobalLibrary library;
        vyrRegisterBuiltins(library);
        for (VyrHashEntry *e = library.functions.first(); e; e = library.functions.next()) table.functions.add(*e);
        VyrObject f("f");
        f.setMemberStr("Name", "quantity");
        f.setMemberStr("Type", "int");
        f.setMemberNum("Key", 1);
        table.addVariable("f", VyrItem(f));
        table.addVariable("params", VyrItem("long id"));
        table.addVariable("sep", VyrItem(", "));
        table.addVariable("i", VyrItem(12345));
    }
    VyrSymbolTable table;
};

void BM_Evaluate(benchmark::State &state) {
    static const char *const kExpressions[] = {
        "i * 3 + i % 7 - (i << 2)",
        "params + sep + f.Type + ' ' + f.Name",
        "UPPER(LEFT(f.Name, 1)) + SUBSTR(f.Name, 1)",
    };
    Symbols symbols;
    VyrEvaluator eval(symbols.table, nullptr);
    const char *text = kExpressions[state.range(0)];
    for (auto _ : state) {
        if (!eval.evaluate(text)) state.SkipWithError("evaluation failed");
        benchmark::DoNotOptimize(eval.result());
    }
}
BENCHMARK(BM_Evaluate)->DenseRange(0, 2);

// Variable look-up with many variables: the last one defined is the slowest
// for a linear table.
void BM_FindVariable(benchmark::State &state) {
    VyrSymbolTable table;
    const int count = static_cast<int>(state.range(0));
    for (int i = 0; i < count; ++i) table.addVariable(("v" + std::to_string(i)).c_str(), VyrItem(i));
    const std::string last = "V" + std::to_string(count - 1);
    for (auto _ : state) benchmark::DoNotOptimize(table.findVariable(last.c_str()));
}
BENCHMARK(BM_FindVariable)->Arg(100)->Arg(10000)->Arg(200000);

void BM_ReadScript(benchmark::State &state) {
    const std::string path = "vyr_micro_reader.vyr";
    {
        std::FILE *f = std::fopen(path.c_str(), "wb");
        for (int i = 0; i < 10000; ++i)
            std::fprintf(f, "%s\n", i % 4 == 0 ? "    plain template text of a line\n    $[f.Name]$ = $[f.Type]$;"
                                               : "$[For Each f In e.Fields]$");
        std::fclose(f);
    }
    VyrReaderOptions options;
    options.flags = VYRO_XLATSUBLINES | VYRO_NOCOMMENTS | VYRO_NOBLANKLINES;
    options.subLineBegin = "$[";
    options.subLineEnd = "]$";
    options.commentMark = "//";
    options.commentBegin = "/*";
    options.commentEnd = "*/";
    int64_t lines = 0;
    for (auto _ : state) {
        VyrScriptReader reader(options);
        reader.open(path.c_str());
        VyrLinePos pos;
        while (reader.nextScriptLine(pos)) ++lines;
    }
    state.SetItemsProcessed(lines);
    std::remove(path.c_str());
}
BENCHMARK(BM_ReadScript);

}  // namespace

BENCHMARK_MAIN();
