#pragma once

#include <string>

// The host name made fully qualified from the texts of the hosts file and
// the resolver configuration, as a lookup of the host's canonical name would
// give it, but without asking a name server so that it never waits:
// - the first hosts line naming the host gives its first name that is not a
//   loopback alias;
// - otherwise a name without a dot gets the configured domain (the "domain"
//   line, else the first "search" entry);
// - otherwise the host name as it is.
// Empty when the host name is empty or itself a loopback alias.
std::string qualifiedHostName(const std::string& hostName, const std::string& hostsText,
                              const std::string& resolverText);

// Names such as "localhost" that every host gives its loopback address.
bool isLoopbackAlias(const std::string& name);
