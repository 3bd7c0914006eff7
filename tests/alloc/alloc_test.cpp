// Allocation counts of the per-line path.  Once the lines of a loop have been
// matched and their expressions tokenized, another pass over them must not
// allocate: the run of a loop of 1,000 passes allocates exactly as much as
// the run of the same loop of 10 passes.
//
// A program of its own, because it replaces the global operator new to count
// the calls (in the test programs of the other tests that would hide the
// sanitizers' own new/delete checks).  The engine's small blocks come from
// its pool, which counts them itself.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "unit/scratch_dir.h"
#include "unit/script_options.h"
#include "vyrapi.h"
#include "vyrpool.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<long> news{0};
}  // namespace

// The replacements pair malloc with free; GCC cannot see that the operator
// new it sees paired with free is this one.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void *operator new(std::size_t n) {
    if (counting.load(std::memory_order_relaxed)) ++news;
    if (void *p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void *operator new[](std::size_t n) { return operator new(n); }
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }

namespace {

// Lets every step of the run go on (without a callback every question is
// answered no).
int32_t VYRAPI goOn(HVYR, uint32_t, VYRSTATE *, intptr_t) { return 1; }

struct Count {
    long news = 0;
    long blocks = 0;
};

// Runs the script with its loop of passes passes in dir; what VyrInterpret
// allocated, and the output.
Count runCounting(const ScratchDir &dir, const std::string &body, int passes, std::string &output) {
    std::string script = "$[Output '" + dir.path("out.txt") + "']$\n";
    // The same width for every count, so the texts of both runs are alike.
    std::string count = std::to_string(passes);
    count.insert(0, 4 - count.size(), '0');
    script += "$[For i = 1 To " + count + "]$\n" + body + "pass\n$[End For]$\n";
    const std::string path = dir.write("gen.vyr", script);
    VyrInitInstance();
    VYROPTIONS o = scriptOptions(VYROF_CALLBACK);
    o.lpfnCallback = goOn;
    HVYR engine = VyrCreate(&o);
    EXPECT_NE(engine, nullptr);
    Count c;
    const long news0 = news.load();
    const size_t blocks0 = vyrPoolAllocations();
    counting = true;
    const int32_t r = VyrInterpret(engine, path.c_str());
    counting = false;
    c.news = news.load() - news0;
    c.blocks = static_cast<long>(vyrPoolAllocations() - blocks0);
    EXPECT_EQ(r, 1);
    VyrDestroy(engine);
    VyrFreeInstance();
    output = ScratchDir::read(dir.path("out.txt"));
    return c;
}

struct PathCase {
    const char *label;
    const char *body;  // the lines of the loop
};

TEST(PerLinePath, MorePassesAllocateNothingMore) {
    const PathCase cases[] = {
        {"template text", "plain line of template text, copied as it stands\n"},
        {"integer assignment", "$[total = 3]$\n$[total = total + i * 2 - (i % 3)]$\n"},
        {"condition", "$[If i % 2 = 0]$\neven\n$[Else]$\nodd\n$[End If]$\n"},
        {"select", "$[Select]$\n$[Case i < 3]$\nsmall\n$[Otherwise]$\nlarge\n$[End Select]$\n"},
        {"comment", "$[// a comment line]$\n"},
        {"integer in the text", "value $[i * 3]$ of $[total = i]$$[total]$\n"},
    };
    for (const PathCase &c : cases) {
        SCOPED_TRACE(c.label);
        // The same files for every run, and a first run that is not
        // counted: what a process keeps across runs is in place before the
        // counted runs.
        ScratchDir dir;
        std::string small, large;
        runCounting(dir, c.body, 10, small);
        const Count few = runCounting(dir, c.body, 10, small);
        const Count many = runCounting(dir, c.body, 1000, large);
        EXPECT_GT(large.size(), small.size() + 900 * 5);  // the passes did run
        EXPECT_EQ(many.news, few.news);
        EXPECT_EQ(many.blocks, few.blocks);
    }
}

}  // namespace
