#include "dir/dir_iterator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <stdexcept>

#include "support/repeated_text.h"
#include "support/scratch_dir.h"
#include "support/test_log.h"

namespace {

// Records every call as "file|dir <path> <depth>", sorted afterwards because
// the platform's listing order is not defined; messages go to its own log.
struct walkerLog {
    testLog record;
};

class recordingWalker : private walkerLog, public dirIterator {
public:
    explicit recordingWalker(bool fullPaths) : dirIterator(fullPaths, record.log) {}

    std::string messages() { return record.takeErrors(); }

    bool enterDirectory(const std::string& path, int depth) override {
        calls.push_back("dir " + path + " " + std::to_string(depth));
        return onDirectory ? onDirectory(path) : true;
    }
    bool processFile(const std::string& path, int depth) override {
        calls.push_back("file " + path + " " + std::to_string(depth));
        if (onFile) {
            onFile(path);
        }
        return true;
    }
    std::vector<std::string> sortedCalls() const {
        std::vector<std::string> sorted = calls;
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }

    std::function<bool(const std::string&)> onDirectory;
    std::function<void(const std::string&)> onFile;
    std::vector<std::string> calls;
};

using calls = std::vector<std::string>;

TEST(DirIterator, MissingOrEmptyStartingDirectory) {
    scratchDir dir;
    dir.makeDirectory("empty");
    recordingWalker walker(true);
    EXPECT_FALSE(walker.walk(dir.at("missing"), 0));
    EXPECT_TRUE(walker.walk(dir.at("empty"), 0));
    EXPECT_EQ(walker.messages(), "");
    EXPECT_TRUE(walker.calls.empty());
}

TEST(DirIterator, FullPathsDepthsAndDotNames) {
    scratchDir dir;
    dir.write("d/a.pre", "");
    dir.write("d/.pre", "");
    dir.write("d/.git/config", "");
    dir.write("d/sub/a.pre", "");
    dir.write("d/sub/deeper/x", "");
    calls expected = {"dir D/.git 0",         "dir D/sub 0",          "dir D/sub/deeper 1",
                      "file D/.git/config 1", "file D/.pre 0",        "file D/a.pre 0",
                      "file D/sub/a.pre 1",   "file D/sub/deeper/x 2"};
#ifndef _WIN32
    // Windows keeps no names of dots only nor names ending in a dot.
    dir.write("d/...", "");
    dir.write("d/a.", "");
    expected.push_back("file D/a. 0");
#endif
    recordingWalker walker(true);
    EXPECT_TRUE(walker.walk(dir.at("d"), 0));
    for (std::string& call : expected) {
        call.replace(call.find('D'), 1, dir.at("d"));
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(walker.sortedCalls(), expected);
}

TEST(DirIterator, BareNamesWhenFullPathsIsOff) {
    scratchDir dir;
    dir.write("d/sub/a.pre", "");
    recordingWalker walker(false);
    EXPECT_TRUE(walker.walk(dir.at("d"), 3));
    EXPECT_EQ(walker.sortedCalls(), (calls{"dir sub 3", "file a.pre 4"}));
}

TEST(DirIterator, TrailingSeparatorsAreKeptInThePaths) {
    scratchDir dir;
    dir.write("d/sub/a.pre", "");
    std::vector<std::string> starts = {dir.at("d") + "/"};
#ifdef _WIN32
    starts.push_back(dir.at("d") + "\\");
#endif
    for (const std::string& start : starts) {
        recordingWalker walker(true);
        EXPECT_TRUE(walker.walk(start, 0));
        EXPECT_EQ(walker.sortedCalls(),
                  (calls{"dir " + start + "/sub 0", "file " + start + "/sub/a.pre 1"}));
    }
}

TEST(DirIterator, RefusedDirectoryIsNotEnteredAndTheWalkGoesOn) {
    scratchDir dir;
    dir.write("d/skip/inner", "");
    dir.write("d/take/inner", "");
    recordingWalker walker(true);
    walker.onDirectory = [](const std::string& path) {
        return path.find("skip") == std::string::npos;
    };
    EXPECT_TRUE(walker.walk(dir.at("d"), 0));
    EXPECT_EQ(walker.sortedCalls(),
              (calls{"dir " + dir.at("d/skip") + " 0", "dir " + dir.at("d/take") + " 0",
                     "file " + dir.at("d/take/inner") + " 1"}));
}

TEST(DirIterator, UnlistableSubdirectoryIsReportedAndItsSiblingsStillWalked) {
    scratchDir dir;
    dir.write("d/gone/inner", "");
    dir.write("d/kept/inner", "");
    dir.write("d/file", "");
    recordingWalker walker(true);
    // The directory disappears between its listing entry and its walk.
    walker.onDirectory = [](const std::string& path) {
        if (path.find("gone") != std::string::npos) {
            std::filesystem::remove_all(path);
        }
        return true;
    };
    EXPECT_FALSE(walker.walk(dir.at("d"), 0));
    EXPECT_EQ(walker.messages(),
              "Cannot open directory \"" + dir.at("d/gone") + "\" for listing\n");
    EXPECT_EQ(walker.sortedCalls(),
              (calls{"dir " + dir.at("d/gone") + " 0", "dir " + dir.at("d/kept") + " 0",
                     "file " + dir.at("d/file") + " 0", "file " + dir.at("d/kept/inner") + " 1"}));
}

TEST(DirIterator, ExceptionsFromTheSubclassPassThroughTheWalk) {
    scratchDir dir;
    dir.write("d/sub/a", "");
    recordingWalker walker(true);
    walker.onFile = [](const std::string&) { throw std::runtime_error("stop"); };
    EXPECT_THROW(walker.walk(dir.at("d"), 0), std::runtime_error);
    // The walk is usable again: nothing of the abandoned walk is left behind.
    walker.onFile = nullptr;
    walker.calls.clear();
    EXPECT_TRUE(walker.walk(dir.at("d"), 0));
    EXPECT_EQ(walker.calls.size(), 2u);
}

#ifndef _WIN32
TEST(DirIterator, LinksBackToAnAncestorOrOutOfTheTreeAreNotEntered) {
    scratchDir dir;
    dir.write("d/sub/a", "");
    dir.write("d/z/c", "");
    dir.write("elsewhere/b", "");
    std::filesystem::create_directory_symlink("..", dir.path() / "d/sub/up");
    std::filesystem::create_directory_symlink(dir.path() / "elsewhere", dir.path() / "d/there");
    // A link that stays in the tree is followed, by whatever spelling.
    std::filesystem::create_directory_symlink(dir.path() / "d/sub/../z", dir.path() / "d/a-link");
    recordingWalker walker(true);
    EXPECT_TRUE(walker.walk(dir.at("d"), 0));
    EXPECT_EQ(walker.messages(),
              "Not entering \"" + dir.at("d/sub/up") +
                  "\": it leads back to a directory being walked\n"
                  "Not entering \"" +
                  dir.at("d/there") + "\": it is a link that leads out of the tree\n" +
                  "Not entering \"" + dir.at("d/z") + "\": it was walked already\n");
    EXPECT_EQ(walker.sortedCalls(),
              (calls{"dir " + dir.at("d/a-link") + " 0", "dir " + dir.at("d/sub") + " 0",
                     "dir " + dir.at("d/sub/up") + " 1", "dir " + dir.at("d/there") + " 0",
                     "dir " + dir.at("d/z") + " 0", "file " + dir.at("d/a-link/c") + " 1",
                     "file " + dir.at("d/sub/a") + " 1"}));
}

// Two links in each directory to the next would take 2^12 walks; every way
// in but the first is refused, the directories themselves and the links.
TEST(DirIterator, EachDirectoryIsWalkedOnceWhateverLinksLeadToIt) {
    scratchDir dir;
    for (int i = 0; i <= 12; ++i) {
        const std::string next = "../n" + std::to_string(i + 1);
        dir.write("d/n" + std::to_string(i) + "/file", "");
        for (const char* name : {"/a", "/b"}) {
            if (i < 12) {
                std::filesystem::create_directory_symlink(
                    next, dir.path() / ("d/n" + std::to_string(i) + name));
            }
        }
    }
    recordingWalker walker(true);
    EXPECT_TRUE(walker.walk(dir.at("d"), 0));
    const std::string messages = walker.messages();
    EXPECT_EQ(std::count_if(walker.calls.begin(), walker.calls.end(),
                            [](const std::string& call) { return call.rfind("file", 0) == 0; }),
              13);
    EXPECT_EQ(occurrences(messages, "\n"), 24u) << messages;
    EXPECT_EQ(occurrences(messages, ": it was walked already\n"), 24u);
}
#endif

}  // namespace
