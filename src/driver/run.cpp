#include "driver/run.h"

#include <iostream>

#include "builtins/built_ins.h"
#include "events/text.h"
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

void run(const std::vector<std::string>& positional, const subsTable& options,
         const toolOptions& tools) {
    subsTable table(options);
    table.setIfAbsent("FQDN", hostFqdn());
    const std::string canonicalKeyword = canonicalKeywordFor(positional);
    readSubstitutions(table, positional[1]);
    addBuiltIns(table, canonicalKeyword);
    subsIter iterator(table);
    iterator.setAtomicWrites(tools.atomic);
    iterator.walk(positional[0], 0);
}
