#include "builtins/built_ins.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "support/test_log.h"

namespace {

using entries = std::map<std::string, std::string>;

adapterInfo adapterAt(unsigned char a, unsigned char b, unsigned char c, unsigned char d) {
    adapterInfo adapter{};
    adapter.address.storage[0] = 2;
    adapter.address.storage[4] = a;
    adapter.address.storage[5] = b;
    adapter.address.storage[6] = c;
    adapter.address.storage[7] = d;
    adapter.address.addressLength = 16;
    return adapter;
}

machineFacts exampleMachine() {
    machineFacts facts;
    facts.adapters = {adapterAt(192, 0, 2, 10), adapterAt(127, 0, 0, 1)};
    facts.currentDirectoryKnown = true;
    facts.currentDirectory = "/srv/config";
    return facts;
}

struct builtInsResult {
    entries table;
    std::string messages;
};

builtInsResult builtIns(const entries& supplied, const std::string& canonicalKeyword = "FQDN",
                        const machineFacts& facts = exampleMachine()) {
    subsTable table;
    for (const auto& entry : supplied) {
        table.assign(entry.first, entry.second);
    }
    testLog record;
    addBuiltIns(table, canonicalKeyword, facts, record.log);
    builtInsResult result;
    result.messages = record.takeErrors();
    result.table = entries(table.all().begin(), table.all().end());
    return result;
}

TEST(BuiltIns, ExampleMachineGetsEveryKeyword) {
    const builtInsResult result = builtIns({{"FQDN", "alpha.example.org"}});
    EXPECT_EQ(result.messages, "");
    EXPECT_EQ(result.table, (entries{
                                {"CANONICAL", "alpha.example.org"},
                                {"DOMAIN", "example.org"},
                                {"E_ROOTDN", "dc%3dalpha%2cdc%3dexample%2cdc%3dorg"},
                                {"E_STUBDN", "dc%3dexample%2cdc%3dorg"},
                                {"FQDN", "alpha.example.org"},
                                {"HOST", "alpha"},
                                {"HTTPS_PORT", "443"},
                                {"HTTP_PORT", "80"},
                                {"IPaddr", "192.0.2.10"},
                                {"LOCAL_DIR", "/srv/config"},
                                {"ROOTDN", "dc=alpha,dc=example,dc=org"},
                                {"ROOT_DN", "alpha,dc=example,dc=org"},
                                {"STUBDN", "dc=example,dc=org"},
                                {"STUB_DN", "example,dc=org"},
                            }));
}

struct derivationCase {
    entries supplied;
    std::string canonicalKeyword;
    entries expected;  // a subset of the resulting table
    std::string message;
};

TEST(BuiltIns, SuppliedValuesWinAndFeedTheDerivations) {
    const std::string fqdn = "alpha.example.org";
    const derivationCase cases[] = {
        {{{"FQDN", fqdn}}, "HOST", {{"CANONICAL", "alpha"}}, ""},
        {{{"FQDN", fqdn}}, "IPaddr", {{"CANONICAL", "192.0.2.10"}}, ""},
        {{{"FQDN", "beta.test.example"}},
         "FQDN",
         {{"HOST", "beta"},
          {"DOMAIN", "test.example"},
          {"ROOTDN", "dc=beta,dc=test,dc=example"},
          {"STUBDN", "dc=test,dc=example"},
          {"ROOT_DN", "beta,dc=test,dc=example"},
          {"STUB_DN", "test,dc=example"}},
         ""},
        {{{"FQDN", fqdn}, {"DOMAIN", "corp.example"}},
         "FQDN",
         {{"STUBDN", "dc=corp,dc=example"}, {"ROOTDN", "dc=alpha,dc=example,dc=org"}},
         ""},
        {{{"FQDN", fqdn}, {"ROOTDN", "cn=x,dc=y"}},
         "FQDN",
         {{"E_ROOTDN", "cn%3dx%2cdc%3dy"}, {"ROOT_DN", "x,dc=y"}},
         ""},
        {{{"FQDN", fqdn}, {"ROOTDN", "ab"}, {"STUBDN", ""}},
         "FQDN",
         {{"ROOT_DN", ""}, {"STUB_DN", ""}},
         ""},
        {{{"FQDN", "alpha"}},
         "FQDN",
         {{"HOST", "alpha"},
          {"DOMAIN", "alpha"},
          {"ROOTDN", "dc=alpha"},
          {"STUBDN", "dc=alpha"},
          {"ROOT_DN", "alpha"},
          {"STUB_DN", "alpha"}},
         "bad FQDN name \"alpha\"\n"},
        {{{"FQDN", ""}},
         "FQDN",
         {{"HOST", ""},
          {"DOMAIN", ""},
          {"ROOTDN", "dc="},
          {"STUBDN", "dc="},
          {"E_ROOTDN", "dc%3d"},
          {"E_STUBDN", "dc%3d"},
          {"ROOT_DN", ""},
          {"STUB_DN", ""}},
         "bad FQDN name \"\"\n"},
        {{}, "FQDN", {{"HOST", ""}, {"CANONICAL", ""}}, "bad FQDN name \"\"\n"},
        {{{"FQDN", "a..b."}},
         "FQDN",
         {{"HOST", "a"},
          {"DOMAIN", ".b."},
          {"ROOTDN", "dc=a,dc=,dc=b,dc="},
          {"STUBDN", "dc=,dc=b,dc="}},
         ""},
        {{{"FQDN", fqdn}, {"HTTP_PORT", "81"}, {"CANONICAL", "mine"}, {"ipaddr", "10.1.1.1"}},
         "IPaddr",
         {{"HTTP_PORT", "81"},
          {"HTTPS_PORT", "443"},
          {"CANONICAL", "mine"},
          {"ipaddr", "10.1.1.1"}},
         ""},
        {{{"FQDN", fqdn}, {"ipaddr", "10.1.1.1"}}, "IPaddr", {{"CANONICAL", "10.1.1.1"}}, ""},
        {{{"FQDN", fqdn}, {"host", "h"}}, "HOST", {{"CANONICAL", "h"}}, ""},
    };
    for (const derivationCase& c : cases) {
        const builtInsResult result = builtIns(c.supplied, c.canonicalKeyword);
        for (const auto& expected : c.expected) {
            const auto found = result.table.find(expected.first);
            ASSERT_NE(found, result.table.end()) << expected.first;
            EXPECT_EQ(found->second, expected.second) << expected.first;
        }
        EXPECT_EQ(result.messages, c.message);
    }
}

TEST(BuiltIns, NoInterfacesAndNoCurrentDirectoryLeaveThoseKeywordsOut) {
    const builtInsResult result = builtIns({{"FQDN", "a.b"}}, "IPaddr", machineFacts{});
    EXPECT_EQ(result.table.count("IPaddr"), 0u);
    EXPECT_EQ(result.table.count("LOCAL_DIR"), 0u);
    EXPECT_EQ(result.table.at("CANONICAL"), "");
    EXPECT_EQ(result.table.size(), 12u);  // FQDN and eleven built-ins
}

TEST(BuiltIns, OnlyLoopbackGivesTheLoopbackAddress) {
    machineFacts facts;
    facts.adapters = {adapterAt(127, 0, 0, 1)};
    EXPECT_EQ(builtIns({{"FQDN", "a.b"}}, "FQDN", facts).table.at("IPaddr"), "127.0.0.1");
}

TEST(BuiltIns, PercentEncodeKeepsOnlyTheUnreservedSet) {
    const std::pair<std::string, std::string> cases[] = {
        {"AZaz09!()*-._~`", "AZaz09!()*-._~`"},
        {"=, \"", "%3d%2c%20%22"},
        {"#$%&'+,/:;<=>?@[\\]^{|}",
         "%23%24%25%26%27%2b%2c%2f%3a%3b%3c%3d%3e%3f%40%5b%5c%5d%5e%7b%7c%7d"},
        {"\t\x7f\xe9", "%9%7f%e9"},
        {std::string("\0\x01\x1f\x80\xff", 5), "%0%1%1f%80%ff"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(percentEncode(c.first), c.second);
    }
}

TEST(BuiltIns, DomainToDnAndDottedQuad) {
    EXPECT_EQ(domainToDn("a.b.c"), "dc=a,dc=b,dc=c");
    EXPECT_EQ(domainToDn("alpha"), "dc=alpha");
    EXPECT_EQ(domainToDn(""), "dc=");
    EXPECT_EQ(domainToDn("a..b"), "dc=a,dc=,dc=b");
    EXPECT_EQ(domainToDn("a."), "dc=a,dc=");
    EXPECT_EQ(dottedQuad(adapterAt(10, 0, 0, 1).address), "10.0.0.1");
    EXPECT_EQ(dottedQuad(adapterAt(255, 255, 255, 255).address), "255.255.255.255");
    EXPECT_EQ(dottedQuad(adapterAt(0, 0, 0, 0).address), "0.0.0.0");
}

}  // namespace
