#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <new>

#include "events/text.h"
#include "expansion_harness.h"
#include "support/run_tool.h"
#include "support/scratch_dir.h"

// Every allocation of this test program passes here, so that a test can make
// the large ones fail as on an exhausted machine.
static std::size_t largestAllocation = SIZE_MAX;

void* operator new(std::size_t size) {
    void* memory = size <= largestAllocation ? std::malloc(size == 0 ? 1 : size) : nullptr;
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    return memory;
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

// A failed allocation ends the template being expanded, and the walk goes on.
TEST(allocationFailure, endsOneTemplateNotTheRun) {
    scratchDir dir;
    // Directive lines are read whole.
    dir.write("long.pre", "before\n>>K=" + std::string(3u << 19, 'x') + "\n");
    dir.write("next.pre", "$A\n");
    const subsTable table = tableOf({{"A", "v"}});
    testIter iter(table);
    largestAllocation = 1u << 20;
    iter.processFile(dir.at("long.pre"), 0);
    iter.processFile(dir.at("next.pre"), 0);
    largestAllocation = SIZE_MAX;
    EXPECT_EQ(iter.errors(), "Not enough memory to expand " + quoted(dir.at("long.pre")) +
                                 "\nFailed to process " + quoted(dir.at("long.pre")) +
                                 " correctly\n");
    EXPECT_EQ(dir.read("long") + dir.read("next"), withNativeLineEnds("before\nv\n"));
}
