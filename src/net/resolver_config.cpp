#include "net/resolver_config.h"

#include <algorithm>
#include <sstream>
#include <vector>

namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return text;
}

// The blank-separated words of each line, comments removed.
std::vector<std::vector<std::string>> wordLines(const std::string& text) {
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find_first_of("#;"));
        std::istringstream words(line);
        std::vector<std::string> wordsOfLine;
        for (std::string word; words >> word;) {
            wordsOfLine.push_back(word);
        }
        if (!wordsOfLine.empty()) {
            lines.push_back(std::move(wordsOfLine));
        }
    }
    return lines;
}

std::string fromHosts(const std::string& hostName, const std::string& hostsText) {
    std::string wanted = lowerCase(hostName);
    for (const auto& words : wordLines(hostsText)) {
        auto names = words.begin() + 1;
        bool namesHost = std::any_of(
            names, words.end(), [&](const std::string& name) { return lowerCase(name) == wanted; });
        if (namesHost) {
            return *std::find_if(names, words.end(),
                                 [](const std::string& name) { return !isLoopbackAlias(name); });
        }
    }
    return std::string();
}

std::string configuredDomain(const std::string& resolverText) {
    std::string domain;
    std::string firstSearch;
    for (const auto& words : wordLines(resolverText)) {
        if (words.size() < 2) {
            continue;
        }
        // The resolver lets the last of these lines win.
        if (words[0] == "domain") {
            domain = words[1];
            firstSearch.clear();
        } else if (words[0] == "search") {
            firstSearch = words[1];
            domain.clear();
        }
    }
    std::string chosen = domain.empty() ? firstSearch : domain;
    return chosen == "." ? std::string() : chosen;
}

}  // namespace

bool isLoopbackAlias(const std::string& name) {
    static const char* const aliases[] = {"localhost", "localhost4", "localhost6", "ip6-localhost",
                                          "ip6-loopback"};
    // Their domain forms too, such as localhost.localdomain.
    std::string firstLabel = lowerCase(name.substr(0, name.find('.')));
    return std::find(std::begin(aliases), std::end(aliases), firstLabel) != std::end(aliases);
}

std::string qualifiedHostName(const std::string& hostName, const std::string& hostsText,
                              const std::string& resolverText) {
    if (hostName.empty() || isLoopbackAlias(hostName)) {
        return std::string();
    }
    std::string canonical = fromHosts(hostName, hostsText);
    if (!canonical.empty()) {
        return canonical;
    }
    std::string domain = configuredDomain(resolverText);
    if (hostName.find('.') == std::string::npos && !domain.empty()) {
        return hostName + "." + domain;
    }
    return hostName;
}
