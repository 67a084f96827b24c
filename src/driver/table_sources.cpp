#include "driver/table_sources.h"

void tableSources::noteNew(const subsTable& table, const std::string& source) {
    for (const auto& keywordAndValue : table.all()) {
        sources.try_emplace(keywordAndValue.first, source);
    }
}

void tableSources::note(const std::string& keyword, const std::string& source) {
    sources.insert_or_assign(keyword, source);
}

std::string tableSources::givenSource(const std::string& keyword) const {
    const auto found = sources.find(keyword);
    if (found == sources.end()) {
        return {};
    }
    const std::string& source = found->second;
    return source == option || source.rfind(environment, 0) == 0 ? source : std::string();
}

void tableSources::list(runLog& log, const subsTable& table) const {
    for (const auto& [keyword, value] : table.all()) {
        const auto found = sources.find(keyword);
        log.tableSource(keyword, value, found != sources.end() ? found->second : std::string());
    }
}
