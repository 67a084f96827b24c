#include "expand/preview_outputs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "io/platform_file.h"
#include "support/scratch_dir.h"

namespace {

void writeNewText(const std::string& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

TEST(PreviewOutputs, SettlesEachOutputAndStandsInForItAfterwards) {
    scratchDir dir;
    dir.write("same", "same\n");
    dir.write("old", "old\n");
    dir.makeDirectory("sub");
    std::ostringstream report;
    std::string directory;
    {
        previewOutputs preview(report, false);
        ASSERT_TRUE(preview.isReady());
        const std::string first = preview.newTextFile();
        directory = std::filesystem::path(first).parent_path().string();
        const struct {
            std::string output;
            std::string text;
            previewOutputs::outcome outcome;
        } cases[] = {
            {dir.at("same"), "same\n", previewOutputs::outcome::unchanged},
            {dir.at("old"), "new\n", previewOutputs::outcome::changed},
            {dir.at("fresh"), "fresh\n", previewOutputs::outcome::created},
            // The output settled before is now compared with its new text.
            {dir.at("sub/../old"), "new\n", previewOutputs::outcome::unchanged},
            {dir.at("sub/../fresh"), "fresher\n", previewOutputs::outcome::changed},
        };
        for (const auto& c : cases) {
            const std::string newText = preview.newTextFile();
            writeNewText(newText, c.text);
            EXPECT_EQ(preview.settle(c.output, newText), c.outcome) << c.output;
            // Reads of the output by any spelling open its new text.
            EXPECT_EQ(readBytes(preview.readPathOf(c.output)), c.text) << c.output;
            EXPECT_EQ(
                readBytes(preview.readPathOf(dir.at("sub/../sub/../") +
                                             std::filesystem::path(c.output).filename().string())),
                c.text)
                << c.output;
        }
        EXPECT_TRUE(preview.anyChange());
        EXPECT_EQ(preview.readPathOf(dir.at("elsewhere")), dir.at("elsewhere"));
        EXPECT_TRUE(std::filesystem::is_directory(directory));
    }
    // Nothing was written to the outputs, and the new texts are gone.
    EXPECT_EQ(dir.read("old"), "old\n");
    EXPECT_FALSE(dir.exists("fresh"));
    EXPECT_FALSE(std::filesystem::exists(directory));
    EXPECT_NE(report.str().find("created " + dir.at("fresh") + "\n"), std::string::npos);
}

TEST(PreviewOutputs, RealRunsCouldNotOpenDirectoriesForOutput) {
    scratchDir dir;
    dir.makeDirectory("sub");
    using platformFile::writeRefusal;
    EXPECT_EQ(platformFile::previewRefusal(dir.at("sub")), writeRefusal::cannotOpen);
    EXPECT_TRUE(previewOutputs::namesDirectory(dir.at("sub") + "/"));
    EXPECT_TRUE(previewOutputs::namesDirectory(""));
    EXPECT_FALSE(previewOutputs::namesDirectory(dir.at("sub/file")));
    EXPECT_EQ(platformFile::previewRefusal(dir.at("sub/file")), writeRefusal::none);
}

}  // namespace
