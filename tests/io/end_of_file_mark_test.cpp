#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/paths.h"
#include "io/text_file.h"
#include "lines_read.h"
#include "support/repeated_text.h"
#include "support/scratch_dir.h"

// Windows reads text files in text mode, which ends a file at its first
// Ctrl-Z: the rest is lost unless the reader is told. POSIX reads bytes.
namespace {

struct markCase {
    const char* what;
    std::string content;
    std::string textModeContent;  // what text mode gives
    bool stoppedEarly;            // in text mode
};

const std::string crLfLines = repeated("line\r\n", 100000);
const std::string lfLines = repeated("line\n", 100000);
const std::string pastAChunk(textInput::chunkSize + 100, 'x');

const markCase cases[] = {
    {"mark as the last byte", "a\r\nb\x1a", "a\nb", false},
    {"two marks", "\x1a\x1a", "", true},
    {"mark after CR LF lines",
     "a\r\n\x1a"
     "b\r\n",
     "a\n", true},
    {"many CR LF lines and a last mark", crLfLines + "\x1a", lfLines, false},
    {"many CR LF lines, a mark and more", crLfLines + "\x1a" + "tail", lfLines, true},
    {"mark beyond the first chunk", pastAChunk + "\x1a\r\n", pastAChunk, true},
};

TEST(endOfFileMark, endsTheTextOnlyWhereTextModeStopsAndIsReported) {
    const bool textMode = !lineEndCarriageReturnsKept;
    for (const markCase& c : cases) {
        scratchDir dir;
        dir.write("in", c.content);
        std::vector<char> buffer;
        textInput input(openPathForReading(dir.at("in"), readable::regularFiles), buffer);
        ASSERT_TRUE(input.isOpen()) << c.what;
        const std::string read = linesRead(input);
        EXPECT_FALSE(input.failed()) << c.what;
        EXPECT_TRUE(read == (textMode ? c.textModeContent : c.content)) << c.what;
        EXPECT_EQ(input.stoppedAtEndOfFileMark(), textMode && c.stoppedEarly) << c.what;
    }
}

}  // namespace
