#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dir/dir_iterator.h"
#include "io/byte_order_mark.h"
#include "io/text_file.h"
#include "outputs/output_mode.h"
#include "record/run_log.h"
#include "table/subs_table.h"
#include "templates/include_guard.h"
#include "templates/table_budget.h"
#include "tokens/line_expander.h"

// What a run asks of the expansion beyond writing the outputs.
struct expandSettings {
    // Each $(name) token left as written is reported with its file and line.
    bool strict = false;
    // Each keyword directive goes to the log's table with its file and line.
    bool explain = false;
    // Messages carry the line they are about, which takes reading a line
    // at a time.
    bool numberLines = false;
    // A template that drew any message keeps its old output.
    bool keepOldOutputOnMessages = false;
};

// The walker of a run: every template (a file whose name ends in ".pre") is
// expanded into the file of the same path without that ending, through the
// run's output mode. Keyword directives of one template hold for every
// template expanded after it.
class subsIter : public dirIterator, private missObserver {
public:
    // The table, log and output mode must outlive the object; the table is
    // never changed through it.
    subsIter(const subsTable& table, runLog& log, outputMode& outputs,
             const expandSettings& settings = {});

    bool processFile(const std::string& path, int depth) override;

    // Expands in into out as the file called name, to whose directory its
    // includes are joined; false when the text is incomplete.
    bool expandStream(const std::string& name, textInput& in, textOutput& out);
    // Expands in into out; the top of filenames names the file in reads.
    // False after a read error, a failed output or a failed include.
    bool processStream(textInput& in, textOutput& out);
    // The private table, copied from the run's table on first use.
    subsTable& getLocalSubs();

    // Includes deeper than this are refused, so that no cycle runs forever.
    static constexpr std::size_t includeDepthLimit = 64;
    // A keyword directive whose tokens would make its value longer than this
    // is refused: a few lines that each double a value would otherwise take
    // all memory. A value no longer than its directive's own text always fits.
    static constexpr std::size_t keywordValueLimit = std::size_t{1} << 20;
    // A directive line longer than this after its ">>" is passed over whole:
    // room for a value as long as a keyword's may be and a keyword of 4 KiB,
    // so that a line of any length is read in bounded memory.
    static constexpr std::size_t directiveLineLimit = keywordValueLimit + 4096;

private:
    const subsTable& currentSubs() const { return localSubs ? *localSubs : *globalSubs; }
    void expandTemplate(const std::string& path, const std::string& outputPath, const directory& in,
                        const std::string& name);
    bool expandOpened(const std::string& path, byteOrderMark mark, textInput& in,
                      pendingOutput& output);
    bool carryOutDirective(std::string_view directive, textOutput& out);
    void setKeyword(std::string_view keyword, std::string_view value);
    bool include(std::string_view name, textOutput& out);
    bool linesOneByOne() const {
        return expander.observing() || settings.explain || settings.numberLines;
    }
    // Where the line being carried out or expanded lies.
    messagePlace here() const;
    // Finds the $(name) tokens of a directive's value that stay as written;
    // the expander finds those of text lines.
    void reportMisses(std::string_view text);
    void unknownName(std::string_view name, std::string_view file, std::uint64_t line) override;
    void reportMiss(std::string_view token);
    void reportRefusedInclude(const std::string& include, includeGuard::verdict verdict);

    const subsTable* globalSubs;
    std::unique_ptr<subsTable> localSubs;
    runLog& log;
    outputMode& outputs;
    expandSettings settings;
    // The read buffer of every template of the walk.
    std::vector<char> inBuffer;
    // Lines read whole, at every include depth: a line is done with before
    // an include it holds is expanded.
    std::vector<char> lineBuffer;
    std::vector<std::string> filenames;
    // One read buffer per include depth: an including file's unread data must
    // survive its includes. A deque keeps the buffers in place as it grows.
    std::deque<std::vector<char>> includeBuffers;
    // Looks names up in the current table.
    lineExpander expander;
    includeGuard guard;
    tableBudget tableRoom;
    // The line being read in the file on top of filenames; 0 where lines are
    // not counted.
    std::uint64_t lineNumber = 0;
};
