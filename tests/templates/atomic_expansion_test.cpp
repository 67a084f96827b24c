#include <gtest/gtest.h>

#include <filesystem>

#include "events/text.h"
#include "expansion_harness.h"
#include "support/repeated_text.h"
#include "support/scratch_dir.h"

#ifndef _WIN32
#include "support/file_size_limit.h"
#endif

namespace {

#ifndef _WIN32
// Outputs larger and smaller than the write buffer, past the limit and within it.
TEST(atomicExpansion, aFailedWriteKeepsTheOldOutput) {
    scratchDir dir;
    dir.write("large.pre", repeated("$A and some more text\n", 100000));
    dir.write("large", "earlier large\n");
    dir.write("medium.pre", repeated("$A and some more text\n", 1000));
    dir.write("medium", "earlier medium\n");
    dir.write("small.pre", "$A\n");
    const subsTable table = tableOf({{"A", "v"}});
    testIter iter(table, {}, true);
    std::string errors;
    {
        const fileSizeLimit limit(16 * 1024);
        for (const char* name : {"large.pre", "medium.pre", "small.pre"}) {
            iter.processFile(dir.at(name), 0);
        }
        errors = iter.errors();
    }
    EXPECT_EQ(errors, "Failed to process " + quoted(dir.at("large.pre")) + " correctly\n" +
                          "Failed to process " + quoted(dir.at("medium.pre")) + " correctly\n");
    EXPECT_EQ(dir.read("large"), "earlier large\n");
    EXPECT_EQ(dir.read("medium"), "earlier medium\n");
    EXPECT_EQ(dir.read("small"), "v\n");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        ++files;
    }
    EXPECT_EQ(files, 6u) << "a temporary file is left";
}
#endif

}  // namespace
