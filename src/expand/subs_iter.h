#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dir/dir_iterator.h"
#include "expand/token_cache.h"
#include "io/text_file.h"
#include "table/subs_table.h"

// The walker of a run: every template (a file whose name ends in ".pre") is
// expanded into the file of the same path without that ending. Keyword
// directives of one template hold for every template expanded after it.
class subsIter : public dirIterator {
public:
    // The table must outlive the object; it is never changed through it.
    explicit subsIter(const subsTable& table);

    bool processFile(const std::string& path, int depth) override;
    // With it, each output is replaced whole, and left untouched when its
    // text is unchanged.
    void setAtomicWrites(bool on) { atomicWrites = on; }

    // Expands in into out as the file called name, to whose directory its
    // includes are joined.
    bool expandStream(const std::string& name, textInput& in, textOutput& out);
    // Expands in into out; the top of filenames names the file in reads.
    // False after a read error, a failed output or a failed include.
    bool processStream(textInput& in, textOutput& out);
    // dollar points at a '$' before end, the end of the text searched for
    // tokens. True when a token begins there and its name is a keyword of the
    // current table: next is then the first character after the token and
    // value the keyword's value. A token never spans a line feed.
    bool matchToken(const char* dollar, const char* end, const char*& next,
                    const std::string*& value);
    // The text with every accepted token replaced by its value.
    std::string expandValue(std::string_view text);
    // The private table, copied from the run's table on first use.
    subsTable& getLocalSubs();

    // Includes deeper than this are refused, so that no cycle runs forever.
    static constexpr std::size_t includeDepthLimit = 64;
    // A keyword directive whose tokens would make its value longer than this
    // is refused: a few lines that each double a value would otherwise take
    // all memory. A value no longer than its directive's own text always fits.
    static constexpr std::size_t keywordValueLimit = std::size_t{1} << 20;

private:
    const subsTable& currentSubs() const { return localSubs ? *localSubs : *globalSubs; }
    // matchToken's work: the value of the token at dollar, or null; tokenEnd
    // is then the first character after the token.
    static const cachedValue* tokenAt(const char* dollar, const char* end, const char*& tokenEnd,
                                      tokenCache::reader& cache);
    // Calls emit(segment, segmentLength, cachedValue) for every accepted token in
    // [begin, end) and returns where the text after the last token starts.
    template <typename Emit>
    const char* forEachToken(const char* begin, const char* end, Emit emit);
    void writeTextLine(textLine& line, textOutput& out);
    void writeTextLines(std::string_view lines, textOutput& out);
    bool carryOutDirective(std::string_view directive, textOutput& out);
    void setKeyword(std::string_view keyword, std::string_view value);
    std::size_t expandedLength(std::string_view text);
    bool include(std::string_view name, textOutput& out);
    void expandAtomically(const std::string& path, const std::string& outputName, textInput& input);

    const subsTable* globalSubs;
    std::unique_ptr<subsTable> localSubs;
    // The read and write buffers of every template of the walk.
    std::vector<char> inBuffer;
    std::vector<char> outBuffer;
    std::vector<std::string> filenames;
    // One read buffer per include depth: an including file's unread data must
    // survive its includes. A deque keeps the buffers in place as it grows.
    std::deque<std::vector<char>> includeBuffers;
    // Forgotten whenever the current table changes.
    tokenCache lookups;
    bool atomicWrites = false;
};
