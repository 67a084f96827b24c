#include "builtins/built_ins.h"

#include <string_view>

#include "builtins/current_directory.h"
#include "events/text.h"

namespace {

// A shortened DN drops the "dc=" in front; a supplied value too short to have
// one gives empty text.
std::string withoutFirstComponentTag(const std::string& dn) {
    return dn.size() < 3 ? std::string() : dn.substr(3);
}

}  // namespace

std::string domainToDn(const std::string& name) {
    std::string dn = "dc=";
    for (char c : name) {
        if (c == '.') {
            dn += ",dc=";
        } else {
            dn.push_back(c);
        }
    }
    return dn;
}

std::string percentEncode(const std::string& text) {
    std::string encoded;
    encoded.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'z') ||
                                (byte >= 'A' && byte <= 'Z') ||
                                std::string_view("!()*-._~`").find(c) != std::string_view::npos;
        if (unreserved) {
            encoded.push_back(c);
        } else {
            encoded.push_back('%');
            appendHex(encoded, byte);
        }
    }
    return encoded;
}

std::string dottedQuad(const socketAddress& address) {
    std::string quad;
    for (int i = 4; i < 8; ++i) {
        if (i > 4) {
            quad.push_back('.');
        }
        appendDecimal(quad, address.storage[i]);
    }
    return quad;
}

void addBuiltIns(subsTable& table, const std::string& canonicalKeyword, runLog& log) {
    machineFacts facts;
    facts.adapters = adapterList();
    facts.currentDirectoryKnown = currentDirectory(facts.currentDirectory);
    addBuiltIns(table, canonicalKeyword, facts, log);
}

void addBuiltIns(subsTable& table, const std::string& canonicalKeyword, const machineFacts& facts,
                 runLog& log) {
    const std::string name = table.valueOrEmpty("FQDN");
    const std::size_t dot = name.find('.');
    if (dot == std::string::npos) {
        log.message("bad FQDN name " + quoted(name));
    }
    if (!facts.adapters.empty()) {
        table.setIfAbsent("IPaddr", dottedQuad(facts.adapters.front().address));
    }
    const std::string domain =
        table.setIfAbsent("DOMAIN", dot == std::string::npos ? name : name.substr(dot + 1));
    table.setIfAbsent("HOST", name.substr(0, dot));
    const std::string rootDn = table.setIfAbsent("ROOTDN", domainToDn(name));
    const std::string stubDn = table.setIfAbsent("STUBDN", domainToDn(domain));
    table.setIfAbsent("E_ROOTDN", percentEncode(rootDn));
    table.setIfAbsent("E_STUBDN", percentEncode(stubDn));
    table.setIfAbsent("ROOT_DN", withoutFirstComponentTag(rootDn));
    table.setIfAbsent("STUB_DN", withoutFirstComponentTag(stubDn));
    if (facts.currentDirectoryKnown) {
        table.setIfAbsent("LOCAL_DIR", facts.currentDirectory);
    }
    table.setIfAbsent("CANONICAL", table.valueOrEmpty(canonicalKeyword));
    table.setIfAbsent("HTTP_PORT", "80");
    table.setIfAbsent("HTTPS_PORT", "443");
}
