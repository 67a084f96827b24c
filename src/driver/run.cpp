#include "driver/run.h"

#include <iostream>
#include <memory>

#include "builtins/built_ins.h"
#include "driver/table_sources.h"
#include "events/shown_text.h"
#include "events/text.h"
#include "expand/preview_outputs.h"
#include "expand/subs_iter.h"
#include "net/host_name.h"

std::string canonicalKeywordFor(const std::vector<std::string>& positional) {
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
            std::cerr << "Bad third argument " << quoted(selector) << std::endl;
            return "FQDN";
    }
}

bool run(const std::vector<std::string>& positional, const subsTable& options,
         const toolOptions& tools) {
    subsTable table(options);
    tableSources sources;
    sources.noteNew(table, "option");
    table.setIfAbsent("FQDN", hostFqdn());
    sources.noteNew(table, "host name");
    const std::string canonicalKeyword = canonicalKeywordFor(positional);
    const std::string& substitutions = positional[1];
    readSubstitutions(table, substitutions, [&](const std::string& keyword, std::size_t line) {
        if (tools.explain) {
            sources.note(keyword, "substitutions file " + shownText(substitutions) + " line " +
                                      std::to_string(line));
        }
    });
    addBuiltIns(table, canonicalKeyword);
    if (tools.explain) {
        sources.noteNew(table, "built-in");
        sources.list(std::cout, table);
    }
    std::unique_ptr<previewOutputs> preview;
    if (tools.check || tools.diff) {
        preview = std::make_unique<previewOutputs>(std::cout, tools.diff);
        if (!preview->isReady()) {
            std::cerr << "Cannot make a private temporary directory for the new texts" << std::endl;
            return false;
        }
    }
    subsIter iterator(table);
    iterator.configure({tools.strict, tools.explain, preview.get(), tools.atomic});
    iterator.walk(positional[0], 0);
    return preview && preview->anyChange();
}
