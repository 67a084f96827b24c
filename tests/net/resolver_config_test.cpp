#include "net/resolver_config.h"

#include <gtest/gtest.h>

namespace {

TEST(QualifiedHostName, FromHostsAndResolverConfiguration) {
    struct {
        const char* hostName;
        const char* hosts;
        const char* resolver;
        const char* expected;
    } const cases[] = {
        {"vm", "127.0.0.1 localhost\n127.0.1.1 vm.example.com vm\n", "", "vm.example.com"},
        {"vm", "127.0.0.1 localhost\n127.0.0.1 runsc\n127.0.0.1 vm\n", "", "vm"},
        {"vm", "127.0.0.1\tlocalhost localhost.localdomain vm vm.example.com\n", "", "vm"},
        {"VM", "10.0.0.5 Vm.Corp.Example vm\n", "", "Vm.Corp.Example"},
        {"vm", "# 10.0.0.1 vm.wrong vm\n10.0.0.2 vm.right vm # old: vm.other\n", "", "vm.right"},
        {"vm", "10.0.0.2 vm.first vm\n10.0.0.3 vm.second vm\n", "", "vm.first"},
        {"vm", "10.0.0.2 vm2.example.com vm2\n10.0.0.3\n", "domain example.org\n",
         "vm.example.org"},
        {"vm", "", "nameserver 10.0.0.53\nsearch a.example b.example\n", "vm.a.example"},
        {"vm", "", "search a.example\ndomain b.example\n", "vm.b.example"},
        {"vm", "", "domain b.example\nsearch a.example\n", "vm.a.example"},
        {"vm", "", "; domain commented.example\nsearch .\n", "vm"},
        {"vm.dotted.example", "", "domain other.example\n", "vm.dotted.example"},
        {"vm", "", "", "vm"},
        {"vm", "10.0.0.2 vm.example.com vm", "domain other.example", "vm.example.com"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qualifiedHostName(c.hostName, c.hosts, c.resolver), c.expected)
            << c.hostName << " / " << c.hosts << " / " << c.resolver;
    }
}

TEST(QualifiedHostName, NeverALoopbackAlias) {
    const char* hosts = "127.0.0.1 localhost vm\n::1 ip6-localhost ip6-loopback\n";
    for (const char* hostName :
         {"", "localhost", "LOCALHOST", "localhost.localdomain", "ip6-localhost", "localhost6"}) {
        EXPECT_EQ(qualifiedHostName(hostName, hosts, "domain example.org\n"), "") << hostName;
    }
}

TEST(IsLoopbackAlias, KnownAliasesAndTheirDomainForms) {
    for (const char* alias :
         {"localhost", "LocalHost", "localhost.localdomain", "localhost4",
          "localhost4.localdomain4", "localhost6.localdomain6", "ip6-localhost", "ip6-loopback"}) {
        EXPECT_TRUE(isLoopbackAlias(alias)) << alias;
    }
    for (const char* name :
         {"vm", "localhost-builder", "mylocalhost", "vm.localhost.example", "loopback-1", ""}) {
        EXPECT_FALSE(isLoopbackAlias(name)) << name;
    }
}

}  // namespace
