#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dir/dir_iterator.h"
#include "expand/expand_settings.h"
#include "expand/include_guard.h"
#include "expand/line_expander.h"
#include "expand/table_budget.h"
#include "io/byte_order_mark.h"
#include "io/text_file.h"
#include "table/subs_table.h"

// The walker of a run: every template (a file whose name ends in ".pre") is
// expanded into the file of the same path without that ending. Keyword
// directives of one template hold for every template expanded after it.
class subsIter : public dirIterator, private missObserver {
public:
    // The table must outlive the object; it is never changed through it.
    explicit subsIter(const subsTable& table);

    bool processFile(const std::string& path, int depth) override;
    void configure(const expandSettings& chosen);

    // Expands the template in, called path, into out. A failed allocation
    // ends this template alone, with a message.
    bool expandTemplate(const std::string& path, textInput& in, textOutput& out);
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
    // The private table, copied from the run's table on first use. A keyword
    // set in it must be told to the expander (see setKeyword).
    subsTable& getLocalSubs();
    // Null for none. With an observer, lines are expanded one at a time and
    // counted; see lineExpander::observeMisses.
    void observeMisses(missObserver* observer) { expander.observeMisses(observer); }

    // Includes deeper than this are refused, so that no cycle runs forever.
    static constexpr std::size_t includeDepthLimit = 64;
    // A keyword directive whose tokens would make its value longer than this
    // is refused: a few lines that each double a value would otherwise take
    // all memory. A value no longer than its directive's own text always fits.
    static constexpr std::size_t keywordValueLimit = std::size_t{1} << 20;

private:
    const subsTable& currentSubs() const { return localSubs ? *localSubs : *globalSubs; }
    bool carryOutDirective(std::string_view directive, textOutput& out);
    void setKeyword(std::string_view keyword, std::string_view value);
    bool include(std::string_view name, textOutput& out);
    // What the run's settings add; each takes the lines one at a time.
    bool linesOneByOne() const { return expander.observing() || settings.explain; }
    // Expands an opened template into its opened output, in the template's
    // encoding; false when the text is incomplete.
    bool writeTemplate(const std::string& path, byteOrderMark mark, textInput& in, textOutput& out);
    void previewFile(const std::string& path, const std::string& outputName, textInput& input,
                     byteOrderMark mark);
    // With --atomic: the output is replaced whole, and left untouched when
    // its text is unchanged.
    void expandAtomically(const std::string& path, const std::string& outputName, textInput& input,
                          byteOrderMark mark);
    std::string readPathOf(const std::string& path) const;
    // Finds the $(name) tokens of a directive's value that stay as written;
    // the expander finds those of text lines. reportMiss writes the message
    // for one.
    void reportMisses(std::string_view text, std::size_t lineNumber);
    void unknownName(std::string_view name, std::string_view file, std::uint64_t line) override;
    void reportMiss(std::string_view token, std::size_t lineNumber) const;
    void explainKeyword(const std::string& keyword, const std::string& value) const;

    const subsTable* globalSubs;
    std::unique_ptr<subsTable> localSubs;
    // The read and write buffers of every template of the walk.
    std::vector<char> inBuffer;
    std::vector<char> outBuffer;
    std::vector<std::string> filenames;
    // One read buffer per include depth: an including file's unread data must
    // survive its includes. A deque keeps the buffers in place as it grows.
    std::deque<std::vector<char>> includeBuffers;
    // Looks names up in the current table.
    lineExpander expander;
    includeGuard guard;
    tableBudget tableRoom;
    expandSettings settings;
    // The line of the directive being carried out, in the file on top of filenames.
    std::size_t directiveLine = 0;
};
