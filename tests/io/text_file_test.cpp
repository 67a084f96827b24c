#include "io/text_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "io/directory.h"
#include "io/paths.h"
#include "lines_read.h"
#include "support/scratch_dir.h"

// Files of more than one chunk are read and written a buffer at a time;
// these sizes put the end of a file before, at and after the chunk edges.
namespace {

// Lines of many lengths, without CR bytes, so that the platform's text mode
// gives them back as written; the last line has no line feed.
std::string linesOfSize(std::size_t size) {
    std::string text;
    for (std::size_t line = 0; text.size() < size; ++line) {
        text.append(line * 7919 % 300, static_cast<char>('a' + line % 26));
        text += '\n';
    }
    text.resize(size);
    return text;
}

class largeFiles : public testing::TestWithParam<std::size_t> {};

TEST_P(largeFiles, areReadWhole) {
    const std::string content = linesOfSize(GetParam());
    scratchDir dir;
    dir.write("in", content);
    std::vector<char> buffer;
    textInput input(openPathForReading(dir.at("in"), readable::regularFiles), buffer);
    ASSERT_TRUE(input.isOpen());
    const std::string read = linesRead(input);
    EXPECT_FALSE(input.failed());
    ASSERT_EQ(read.size(), content.size());
    EXPECT_TRUE(read == content);
}

TEST_P(largeFiles, areWrittenWhole) {
    // No line feeds: the platform's text mode would write them as CR LF.
    std::string content(GetParam(), '\0');
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>('A' + i * 31 % 26);
    }
    scratchDir dir;
    std::vector<char> buffer;
    {
        const directory in = directory::open(dir.at(""));
        const writeOpening opened = in.openForWriting("out", 0644, nullptr);
        ASSERT_TRUE(opened.file.isOpen());
        fileSink sink(opened.file);
        textOutput output(sink, buffer);
        // Pieces of every kind: short, padded, longer than the buffer.
        const std::size_t pieces[] = {1, 5, 31, 1000, textOutput::bufferSize + 3, 70000};
        for (std::size_t at = 0, next = 0; at < content.size(); ++next) {
            const std::size_t size =
                std::min(pieces[next % std::size(pieces)], content.size() - at);
            if (size <= shortPiece && content.size() - at >= shortPiece) {
                output.write(paddedText{content.data() + at, size});
            } else {
                output.write(content.data() + at, size);
            }
            at += size;
        }
        EXPECT_TRUE(output.flush());
    }
    const std::string written = dir.read("out");
    ASSERT_EQ(written.size(), content.size());
    EXPECT_TRUE(written == content);
}

INSTANTIATE_TEST_SUITE_P(sizes, largeFiles,
                         testing::Values(0, 1, textInput::chunkSize - 1, textInput::chunkSize,
                                         textInput::chunkSize + 1, 3 * textInput::chunkSize,
                                         3 * textInput::chunkSize + 77, 2000000));

}  // namespace
