#include <gtest/gtest.h>

#include <filesystem>

#include "support/run_tool.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

// The demo tree, expanded with the machine's names given on the command
// line, gives exactly the checked-in expected files.
TEST(Examples, DemoTreeGivesTheExpectedFiles) {
    const fs::path examples = fs::path(FILLWRIGHT_SOURCE_DIR) / "examples";
    scratchDir dir;
    fs::copy(examples / "tree", dir.path() / "tree", fs::copy_options::recursive);
    fs::copy_file(examples / "substitutions.txt", dir.path() / "subs");
    const toolResult result =
        runTool({"tree", "subs", "-FQDN=www.example.org", "-IPaddr=192.0.2.10"}, dir.path());
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardError, "");
    std::size_t compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(examples / "expected")) {
        if (!entry.is_regular_file()) {
            continue;
        }
        const fs::path relative = fs::relative(entry.path(), examples / "expected");
        EXPECT_EQ(dir.read("tree/" + relative.generic_string()),
                  withNativeLineEnds(readBytes(entry.path())))
            << relative.generic_string();
        ++compared;
    }
    EXPECT_EQ(compared, 3u);
}

}  // namespace
