#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "io/paths.h"
#include "outputs/output_mode.h"
#include "support/run_tool.h"
#include "support/scratch_dir.h"
#include "support/test_log.h"
#ifndef _WIN32
#include "support/file_size_limit.h"
#endif

namespace fs = std::filesystem;

namespace {

// Writes text as the output called name in dir through the mode; the
// verdict line it gave (with verdicts shown), then the messages.
std::string writeThrough(outputMode& mode, testLog& record, const directory& in,
                         const std::string& name, const std::string& text) {
    record.log.beginTemplate(name + ".pre", name);
    const std::unique_ptr<pendingOutput> output = mode.open({in, name, name, std::nullopt, 0644});
    if (output) {
        output->text().write(text);
        EXPECT_TRUE(output->commit());
    }
    record.log.endTemplate();
    return record.takeOutput() + record.takeErrors();
}

TEST(PreviewOutputs, SettleEachOutputAndStandInForItAfterwards) {
    scratchDir dir;
    dir.write("same", withNativeLineEnds("same\n"));
    dir.write("old", "old\n");
    dir.makeDirectory("sub");
    runLog::settings showVerdicts;
    showVerdicts.showVerdicts = true;
    testLog record(showVerdicts);
    std::string texts;
    {
        const std::unique_ptr<outputMode> preview = previewOutputs(record.log, false);
        ASSERT_NE(preview, nullptr);
        const directory in = directory::open(dir.at(""));
        const struct {
            std::string output;
            std::string text;
            const char* verdict;
        } cases[] = {
            {"same", "same\n", "unchanged"},
            {"old", "new\n", "changed"},
            {"fresh", "fresh\n", "created"},
            // The output settled before is now compared with its new text.
            {"old", "new\n", "unchanged"},
            {"fresh", "fresher\n", "changed"},
        };
        for (const auto& c : cases) {
            EXPECT_EQ(writeThrough(*preview, record, in, c.output, c.text),
                      std::string(c.verdict) + " " + c.output + "\n");
            // Reads of the output by any spelling open its new text.
            for (const std::string& spelling : {c.output, "sub/../sub/../" + c.output}) {
                const std::string read = preview->readPathOf(dir.at(spelling));
                EXPECT_EQ(readBytes(read), withNativeLineEnds(c.text)) << spelling;
                texts = std::filesystem::path(read).parent_path().string();
            }
        }
        EXPECT_TRUE(record.log.anyChange());
        EXPECT_EQ(preview->readPathOf(dir.at("elsewhere")), dir.at("elsewhere"));
        // A real run could not open a directory as its output.
        EXPECT_EQ(writeThrough(*preview, record, in, "sub", "x"),
                  "Cannot open \"sub\" for output\n");
    }
    // Nothing was written to the outputs, and the new texts are gone.
    EXPECT_EQ(dir.read("old"), "old\n");
    EXPECT_FALSE(dir.exists("fresh"));
    EXPECT_FALSE(std::filesystem::exists(texts));
}

#ifndef _WIN32
// An output swapped for a link while its new text is made is judged by what
// its name holds then, never by the file the link leads to: that file may
// be one only the administrator may read.
TEST(PreviewOutputs, NeverShowAFileThatALinkSwappedInLeadsTo) {
    scratchDir dir;
    dir.write("out", "old\n");
    dir.write("secret", "the secret\n");
    runLog::settings showVerdicts;
    showVerdicts.showVerdicts = true;
    for (const bool diffs : {false, true}) {
        testLog record(showVerdicts);
        const std::unique_ptr<outputMode> preview = previewOutputs(record.log, diffs);
        const directory in = directory::open(dir.at(""));
        record.log.beginTemplate("out.pre", "out");
        const std::unique_ptr<pendingOutput> output =
            preview->open({in, "out", "out", std::nullopt, 0644});
        ASSERT_NE(output, nullptr);
        output->text().write("the secret\n");
        fs::remove(dir.path() / "out");
        fs::create_symlink("secret", dir.path() / "out");
        EXPECT_TRUE(output->commit());
        EXPECT_EQ(record.takeOutput(),
                  diffs ? "changed out\nOutput out differs; it is a link, whose text is not shown\n"
                        : "changed out\n");
        fs::remove(dir.path() / "out");
        dir.write("out", "old\n");
    }
}
#endif

// An output is written over from its start and cut where writing ends: no
// byte of its old text may be left behind, whatever the two sizes.
TEST(InPlaceOutputs, LeaveOnlyTheNewText) {
    const struct {
        const char* name;
        std::size_t oldSize;
        std::size_t newSize;
    } cases[] = {
        {"nothing over text", 5000, 0},
        {"shorter over longer", 3 * textOutput::bufferSize, 10},
        {"same size", 4096, 4096},
        {"longer over shorter", 10, 3 * textOutput::bufferSize + 5},
    };
    for (const auto& c : cases) {
        scratchDir dir;
        dir.write("out", std::string(c.oldSize, 'o'));
        testLog record;
        const std::unique_ptr<outputMode> mode = inPlaceOutputs(record.log);
        const std::string text(c.newSize, 'n');
        EXPECT_EQ(writeThrough(*mode, record, directory::open(dir.at("")), "out", text), "");
        EXPECT_TRUE(dir.read("out") == text) << c.name;
    }
}

#ifndef _WIN32
// A write that fails after the buffer has filled many times over is still
// reported when the output is committed, and the file ends where writing
// stopped: the old text after it is gone too.
TEST(InPlaceOutputs, ReportAFullDiskAndEndWhereWritingStopped) {
    scratchDir dir;
    dir.write("out", std::string(5000, 'o'));
    testLog record;
    const std::unique_ptr<outputMode> mode = inPlaceOutputs(record.log);
    const directory in = directory::open(dir.at(""));
    {
        const fileSizeLimit full(1000);
        const std::unique_ptr<pendingOutput> output =
            mode->open({in, "out", "out", std::nullopt, 0644});
        ASSERT_NE(output, nullptr);
        const std::string piece(1000, 'n');
        for (int i = 0; i < 1000; ++i) {
            output->text().write(piece);
        }
        EXPECT_FALSE(output->text().flush());
        EXPECT_TRUE(output->text().failed());
        EXPECT_FALSE(output->commit());
        output->abandon();
    }
    EXPECT_EQ(dir.read("out"), std::string(1000, 'n'));
}
#endif

}  // namespace
