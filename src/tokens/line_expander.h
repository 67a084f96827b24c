#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "io/text_file.h"
#include "table/subs_table.h"
#include "tokens/token_cache.h"

// Told of every $(name) token of a text line whose name is no keyword.
class missObserver {
public:
    virtual ~missObserver() = default;
    // file is the name of the file being read, line counts its lines from 1.
    virtual void unknownName(std::string_view name, std::string_view file, std::uint64_t line) = 0;
};

// Expands the text lines of a template as a stream: dollar signs are found a
// block at a time, names are looked up through a cache, and the output is
// written in place. A line of any length is expanded in windows, of which no
// more than a token's worth is ever held back, so memory stays within a few
// buffers; every scan remembers what it found, so time stays linear.
class lineExpander {
public:
    // The table must outlive its use; see useTable.
    explicit lineExpander(const subsTable& table);

    // Names are looked up in table from now on. A keyword set in it later
    // must be told through keywordSet.
    void useTable(const subsTable& table);
    void keywordSet(std::size_t keywordLength);
    // Null for none. An observer is only told of the lines given to
    // expandLine.
    void observeMisses(missObserver* observer) { misses = observer; }
    bool observing() const { return misses != nullptr; }

    // Expands the text lines at the front of in into out, up to a directive
    // line (left unread) or the end of in, or until out has failed.
    void expandText(textInput& in, textOutput& out);
    // One text line, placed for the observer; its line feed is written also
    // where it had none.
    void expandLine(const textLine& line, std::string_view file, std::uint64_t lineNumber,
                    textOutput& out);
    // The text with every accepted token replaced by its value.
    std::string expandValue(std::string_view text);
    // The size expandValue would give, without building it.
    std::size_t expandedLength(std::string_view text);
    // dollar points at a '$' before end, the end of the text searched for
    // tokens. True when a token begins there and its name is a keyword: next
    // is then the first character after the token and value the keyword's.
    bool matchToken(const char* dollar, const char* end, const char*& next,
                    const std::string*& value);

private:
    // Where the search for a ')' or line feed last ended, so that the
    // dollar signs of "$($($(" do not each search the same bytes again.
    struct closingSearch {
        const char* from = nullptr;
        const char* stop = nullptr;  // the ')' or line feed, or the end of the text
    };
    // The token at dollar, in text that ends at end. softEnd: more of the
    // line may follow end. Gives the value of a keyword token, with tokenEnd
    // after the token; or null, with tokenEnd null where the token cannot
    // be told before more of the line is read.
    const cachedValue* tokenAt(const char* dollar, const char* end, bool softEnd,
                               const char*& tokenEnd, tokenCache::reader& cache,
                               closingSearch& closing, missObserver* observer) const;
    const cachedValue* longTokenAt(const char* dollar, const char* end, bool softEnd,
                                   const char*& tokenEnd, tokenCache::reader& cache,
                                   closingSearch& closing, missObserver* observer) const;
    struct scanEnd {
        const char* segment;  // the text after the last token
        const char* held;     // where a token not yet decided begins, or end
    };
    // Calls emit(segment, segmentLength, value) for every accepted token in
    // [begin, end).
    // Tokens are looked for from from on, where from is at or after begin.
    template <typename Emit>
    scanEnd forEachToken(const char* begin, const char* from, const char* end, bool softEnd,
                         missObserver* observer, Emit emit);
    // Blocks with this many bytes from their start to the end of the text
    // have room for a short name and for copies of fixedCopy bytes.
    static constexpr std::size_t fixedCopy = 64;
    static constexpr std::size_t blockRoom = 64 + fixedCopy;
    // The dollar signs of this many bytes are listed before any is looked at.
    static constexpr std::size_t listedChunk = 2048;
    struct blocksEnd {
        const char* segment;  // the text after the last token
        const char* from;     // where tokens are still to be looked for
        const char* held;     // where a token not yet decided begins, or null
    };
    blocksEnd writeBlocks(const char* begin, const char* end, bool softEnd, textOutput& out,
                          missObserver* observer);
    static textOutput::freeSpace writePieces(textOutput& out, char* at, const char* segment,
                                             std::size_t length, const cachedValue& value);
    // Writes the text in [begin, end), which holds no NUL, expanded; returns
    // where a token not yet decided begins, or end.
    const char* writeExpanded(const char* begin, const char* end, bool softEnd, textOutput& out,
                              missObserver* observer = nullptr);
    // The same for text lines that may hold NUL bytes, after which no token
    // is looked for on their line.
    const char* writeLines(const char* begin, const char* end, bool softEnd, bool& afterNul,
                           textOutput& out);

    const subsTable* table;
    // No keyword is longer: a longer name needs no lookup, and no more of a
    // line than this needs holding back to tell a token.
    std::size_t longestKeyword = 0;
    missObserver* misses = nullptr;
    // Forgotten whenever the table changes.
    tokenCache lookups;
    std::string_view currentFile;
    std::uint64_t currentLine = 0;
};
