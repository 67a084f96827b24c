#include "driver/run.h"

#include <memory>

#include "builtins/built_ins.h"
#include "driver/table_sources.h"
#include "events/shown_text.h"
#include "events/text.h"
#include "net/host_name.h"
#include "outputs/output_mode.h"
#include "templates/subs_iter.h"

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

// The run's way of writing outputs; null, after the message, when it cannot
// be had.
std::unique_ptr<outputMode> outputModeFor(const toolOptions& tools, runLog& log) {
    if (tools.check || tools.diff) {
        return previewOutputs(log, tools.diff);
    }
    return tools.atomic ? atomicOutputs(log) : inPlaceOutputs(log);
}

}  // namespace

void run(const std::vector<std::string>& positional, const subsTable& options,
         const toolOptions& tools, runLog& log) {
    subsTable table(options);
    tableSources sources;
    sources.noteNew(table, "option");
    table.setIfAbsent("FQDN", hostFqdn());
    sources.noteNew(table, "host name");
    const std::string canonicalKeyword = canonicalKeywordFor(positional, log);
    const std::string& substitutions = positional[1];
    readSubstitutions(table, substitutions, log, [&](const std::string& keyword, std::size_t line) {
        if (tools.explain) {
            sources.note(keyword, "substitutions file " + shownText(substitutions) + " line " +
                                      std::to_string(line));
        }
    });
    addBuiltIns(table, canonicalKeyword, log);
    if (tools.explain) {
        sources.noteNew(table, "built-in");
        sources.list(log, table);
    }
    const std::unique_ptr<outputMode> outputs = outputModeFor(tools, log);
    if (!outputs) {
        return;
    }
    expandSettings settings;
    settings.strict = tools.strict;
    settings.explain = tools.explain;
    subsIter iterator(table, log, *outputs, settings);
    iterator.walk(positional[0], 0);
}
