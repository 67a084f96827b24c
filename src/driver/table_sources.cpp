#include "driver/table_sources.h"

#include "events/shown_text.h"

void tableSources::noteNew(const subsTable& table, const std::string& source) {
    for (const auto& keywordAndValue : table.all()) {
        sources.try_emplace(keywordAndValue.first, source);
    }
}

void tableSources::note(const std::string& keyword, const std::string& source) {
    sources.insert_or_assign(keyword, source);
}

void tableSources::list(std::ostream& out, const subsTable& table) const {
    for (const auto& [keyword, value] : table.all()) {
        const auto found = sources.find(keyword);
        out << shownText(keyword) << '=' << shownText(value) << '\t'
            << (found != sources.end() ? found->second : std::string()) << '\n';
    }
    out.flush();
}
