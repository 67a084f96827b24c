#include "driver/run.h"

#include <map>
#include <memory>
#include <optional>

#include "builtins/built_ins.h"
#include "driver/environment.h"
#include "driver/table_sources.h"
#include "events/shown_text.h"
#include "events/text.h"
#include "io/directory.h"
#include "io/tree_lock.h"
#include "net/host_name.h"
#include "outputs/output_mode.h"
#include "templates/subs_iter.h"

// The run, entered at run: the table from its sources in their order, the
// tree's lock, the output mode, then the walk.

std::string canonicalKeywordFor(const std::vector<std::string>& positional, runLog& log) {
    if (positional.size() < 3) {
        return "FQDN";
    }
    const std::string& selector = positional[2];
    switch (selector.empty() ? '\0' : selector.front()) {
        case 'F':
        case 'f':
            return "FQDN";
        case 'H':
        case 'h':
            return "HOST";
        case 'I':
        case 'i':
            return "IPaddr";
        default:
            log.message("Bad third argument " + quoted(selector));
            return "FQDN";
    }
}

namespace {

// The environment's variables (--env) come first, as options given before
// the command line's own, which override them. False after the message for
// a variable that leaves no keyword once its prefix is taken off.
bool takeGivenValues(const subsTable& options, const toolOptions& tools, subsTable& table,
                     tableSources& sources, runLog& log) {
    bool everyNameKept = true;
    const auto variables = tools.environmentPrefixes.empty()
                               ? std::vector<std::pair<std::string, std::string>>()
                               : environmentVariables();
    for (const std::string& prefix : tools.environmentPrefixes) {
        for (const auto& [name, value] : variables) {
            if (!nameBeginsWith(name, prefix)) {
                continue;
            }
            const std::string keyword = name.substr(prefix.size());
            if (keyword.empty()) {
                log.message("Environment variable " + quoted(name) +
                            " leaves no keyword after the prefix " + quoted(prefix) +
                            "; it is skipped");
                everyNameKept = false;
                continue;
            }
            table.assign(keyword, value);
            sources.note(keyword, tableSources::environment + name);
        }
    }
    for (const auto& [keyword, value] : options.all()) {
        table.assign(keyword, value);
        sources.note(keyword, tableSources::option);
    }
    return everyNameKept;
}

// What "option" or "environment NAME" is called in a message.
std::string givenName(const std::string& keyword, const std::string& source) {
    if (source == tableSources::option) {
        return "Option " + quoted(keyword);
    }
    const std::string variable = source.substr(std::string(tableSources::environment).size());
    return "Environment variable " + quoted(variable);
}

void readSubstitutionsFile(const std::string& path, const toolOptions& tools, subsTable& table,
                           tableSources& sources, runLog& log) {
    // A keyword the command line gave that a line replaces, with what gave it.
    std::map<std::string, std::string, keywordLess> replaced;
    const bool opened =
        readSubstitutions(table, path, log, [&](const std::string& keyword, std::size_t line) {
            const std::string where =
                "substitutions file " + shownText(path) + " line " + std::to_string(line);
            if (const std::string given = sources.givenSource(keyword); !given.empty()) {
                replaced.emplace(keyword, given);
                if (tools.strict) {
                    // The entry keeps the spelling the command line gave it.
                    const std::string& spelled = table.all().find(keyword)->first;
                    log.message(givenName(spelled, given) + " is replaced by substitutions file " +
                                quoted(path) + " line " + std::to_string(line));
                }
            }
            const auto found = replaced.find(keyword);
            sources.note(keyword,
                         found == replaced.end() ? where : where + ", replacing " + found->second);
        });
    if (!opened && tools.strict) {
        log.message("Cannot open substitutions file " + quoted(path));
    }
}

// The run's way of writing outputs; null, after the message, when it cannot
// be had.
std::unique_ptr<outputMode> outputModeFor(const toolOptions& tools, runLog& log) {
    if (tools.previews()) {
        return previewOutputs(log, tools.diff);
    }
    return tools.atomic ? atomicOutputs(log) : inPlaceOutputs(log);
}

}  // namespace

bool run(const std::vector<std::string>& positional, const subsTable& options,
         const toolOptions& tools, runLog& log) {
    subsTable table;
    tableSources sources;
    const bool valuesTaken = takeGivenValues(options, tools, table, sources, log);
    table.setIfAbsent("FQDN", hostFqdn());
    sources.noteNew(table, "host name");
    const std::string canonicalKeyword = canonicalKeywordFor(positional, log);
    if (tools.strict) {
        for (std::size_t extra = 3; extra < positional.size(); ++extra) {
            log.message("Extra argument " + quoted(positional[extra]) + " ignored");
        }
    }
    readSubstitutionsFile(positional[1], tools, table, sources, log);
    addBuiltIns(table, canonicalKeyword, log);
    if (tools.explain) {
        sources.noteNew(table, "built-in");
        sources.list(log, table);
    }
    const std::unique_ptr<outputMode> outputs = outputModeFor(tools, log);
    if (!outputs) {
        return valuesTaken;
    }
    const std::string& tree = positional[0];
    const directory start = directory::open(tree);
    // Two runs at once would mix their texts in an output; a run that only
    // looks would see one half written.
    std::optional<treeLock> lock;
    if (start.isOpen()) {
        lock.emplace(
            start, tools.previews() ? treeLock::kind::shared : treeLock::kind::exclusive,
            [&] { log.note("Waiting for another run over " + quoted(tree) + " to finish"); });
    }
    expandSettings settings;
    settings.strict = tools.strict;
    settings.explain = tools.explain;
    settings.keepOldOutputOnMessages = tools.strict && tools.atomic;
    subsIter iterator(table, log, *outputs, settings);
    iterator.walk(tree, start, 0);
    return valuesTaken;
}
