#pragma once

#include <string>
#include <vector>

#include "net/adapter_list.h"
#include "record/run_log.h"
#include "table/subs_table.h"

// What the built-in keywords are derived from, besides the table itself.
struct machineFacts {
    std::vector<adapterInfo> adapters;
    bool currentDirectoryKnown = false;
    std::string currentDirectory;
};

// Adds every built-in keyword the table does not hold yet, derived from the
// machine and from the values already in the table.
void addBuiltIns(subsTable& table, const std::string& canonicalKeyword, runLog& log);
void addBuiltIns(subsTable& table, const std::string& canonicalKeyword, const machineFacts& facts,
                 runLog& log);

// "dc=" components of a dotted name: a.b gives dc=a,dc=b.
std::string domainToDn(const std::string& name);
// Bytes outside the unreserved set as '%' and lower-case hex without leading zeros.
std::string percentEncode(const std::string& text);
// The IPv4 address of a socket address as four decimal bytes.
std::string dottedQuad(const socketAddress& address);
