#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/run_tool.h"
#include "support/scratch_dir.h"

// Trees made with Windows tools, or moved between Windows and POSIX machines,
// give the same outputs on both, or a message where they cannot.
namespace {

using files = std::vector<std::pair<std::string, std::string>>;

struct treeCase {
    const char* what;
    files tree;  // "subs" is the substitutions file, which holds K=start unless given
    // Each output as the tool writes it with line feeds; nullptr when absent.
    std::vector<std::pair<std::string, const char*>> outputs;
    std::string messages;
};

const std::string bom = "\xEF\xBB\xBF";
// "$H\n" in UTF-16.
const std::string utf16LittleEndian("\xFF\xFE$\0H\0\n\0", 8);
const std::string utf16BigEndian("\xFE\xFF\0$\0H\0\n", 8);

// Windows reads text files in text mode, which ends them at a Ctrl-Z; the
// last byte is the old end-of-file mark, a Ctrl-Z before it loses the rest.
#ifdef _WIN32
const char* const ctrlZMessage = " stopped at a Ctrl-Z byte (0x1A) before the end of the file\n";
const char* const lastByteCtrlZOutput = "a\nb\n";
#else
const char* const lastByteCtrlZOutput = "a\nb\x1a\n";
#endif

const treeCase cases[] = {
    {"substitutions file with a UTF-8 mark",
     {{"subs", bom + "K=v\n"}, {"tree/t.pre", "$(K)\n"}},
     {{"tree/t", "v\n"}},
     ""},
    {"template with a UTF-8 mark before a directive",
     {{"tree/t.pre", bom + ">>K=v\n$(K)\n"}},
     {{"tree/t", "\xEF\xBB\xBFv\n"}},
     ""},
    {"template that is only a UTF-8 mark", {{"tree/t.pre", bom}}, {{"tree/t", "\xEF\xBB\xBF"}}, ""},
    {"include with a UTF-8 mark before a directive",
     {{"tree/t.pre", "a\n>>include i\n$(K)\n"}, {"tree/i", bom + ">>K=v\nb\n"}},
     {{"tree/t", "a\nb\nv\n"}},
     ""},
    {"UTF-16 template leaves its old output",
     {{"tree/t.pre", utf16LittleEndian}, {"tree/t", "old"}, {"tree/u.pre", utf16BigEndian}},
     {{"tree/t", "old"}, {"tree/u", nullptr}},
     "Template \"tree/t.pre\" is UTF-16 text; save it as UTF-8 or ANSI\n"
     "Template \"tree/u.pre\" is UTF-16 text; save it as UTF-8 or ANSI\n"},
    {"UTF-16 include is skipped",
     {{"tree/t.pre", "a\n>>include i\n$(K)\n"}, {"tree/i", utf16BigEndian}},
     {{"tree/t", "a\nstart\n"}},
     "Include file \"tree/i\" is UTF-16 text; save it as UTF-8 or ANSI; directive ignored\n"},
    {"UTF-16 substitutions file adds nothing",
     {{"subs", std::string("\xFF\xFEK\0=\0v\0", 8)}, {"tree/t.pre", "$(K)\n"}},
     {{"tree/t", "$(K)\n"}},
     "Substitutions file \"subs\" is UTF-16 text; save it as UTF-8 or ANSI\n"},
    {"Ctrl-Z as the last byte",
     {{"tree/t.pre", "a\nb\x1a"}},
     {{"tree/t", lastByteCtrlZOutput}},
     ""},
#ifdef _WIN32
    {"Ctrl-Z before the end of a template",
     {{"tree/t.pre", "a\r\nb\x1a\r\nc\r\n"}},
     {{"tree/t", "a\nb\n"}},
     std::string("Reading \"tree/t.pre\"") + ctrlZMessage +
         "Failed to process \"tree/t.pre\" correctly\n"},
    {"Ctrl-Z before the end of an include",
     {{"tree/t.pre", ">>include i\nc\n"}, {"tree/i", "a\x1a\x1a"}},
     {{"tree/t", "a\nc\n"}},
     std::string("Reading \"tree/i\"") + ctrlZMessage +
         "Failed to process include file \"tree/i\" correctly\n"
         "Failed to process \"tree/t.pre\" correctly\n"},
    {"Ctrl-Z before the end of the substitutions file",
     {{"subs", "K=v\r\n\x1aL=w\r\n"}, {"tree/t.pre", "$(K)$(L)\n"}},
     {{"tree/t", "v$(L)\n"}},
     std::string("Reading \"subs\"") + ctrlZMessage},
#else
    {"Ctrl-Z is an ordinary byte on POSIX",
     {{"subs", "K=v\x1a\nL=w\n"}, {"tree/t.pre", "a\x1a\n$(K)$(L)\n"}},
     {{"tree/t", "a\x1a\nv\x1aw\n"}},
     ""},
    {"a backslash is part of a POSIX name",
     {{"tree/d/we\\ird.pre", ">>include common\n"},
      {"tree/d/common", "right\n"},
      {"tree/d/we\\common", "wrong\n"}},
     {{"tree/d/we\\ird", "right\n"}},
     ""},
    // Each template shows the one expanded before it; names that sort
    // differently by bytes, by lower case and by upper case.
    {"POSIX walks in the order of NTFS",
     {{"tree/B.pre", "$(K)\n>>K=B\n"},
      {"tree/a_b.pre", "$(K)\n>>K=a_b\n"},
      {"tree/ab.pre", "$(K)\n>>K=ab\n"},
      {"tree/a.pre", "$(K)\n>>K=a\n"},
      {"tree/c/in.pre", "$(K)\n>>K=c/in\n"},
      {"tree/x.pre", "$(K)\n>>K=x\n"},
      {"tree/X.pre", "$(K)\n>>K=X\n"}},
     {{"tree/a", "start\n"},
      {"tree/ab", "a\n"},
      {"tree/a_b", "ab\n"},
      {"tree/B", "a_b\n"},
      {"tree/c/in", "B\n"},
      {"tree/X", "c/in\n"},
      {"tree/x", "X\n"}},
     ""},
#endif
};

TEST(PortableTree, GivesTheSameOutputsOrSaysWhyNot) {
    for (const treeCase& c : cases) {
        scratchDir dir;
        dir.write("subs", "K=start\n");
        for (const auto& [name, content] : c.tree) {
            dir.write(name, content);
        }
        const toolResult result =
            runTool({"tree", "subs", "-FQDN=alpha.example.org", "-IPaddr=192.0.2.10"}, dir.path());
        EXPECT_EQ(result.exitStatus, 0) << c.what;
        EXPECT_EQ(result.standardError, c.messages) << c.what;
        for (const auto& [name, expected] : c.outputs) {
            if (expected == nullptr) {
                EXPECT_FALSE(dir.exists(name)) << c.what << ": " << name;
            } else {
                EXPECT_EQ(dir.read(name), withNativeLineEnds(expected)) << c.what << ": " << name;
            }
        }
    }
}

}  // namespace
