#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <tuple>
#include <utility>

#include "io/file_identity.h"

// The outputs of a run that writes none (--check, --diff). Each new text goes
// to a file of its own in a private directory, so that an output of any size
// is compared a block at a time, and so that a later template or include
// that reads an output reads its new text, as in a real run.
class previewOutputs {
public:
    enum class outcome { created, changed, unchanged };

    // Lines go to report; with showDiffs each created or changed line is
    // followed by the diff.
    previewOutputs(std::ostream& report, bool showDiffs);
    previewOutputs(const previewOutputs&) = delete;
    previewOutputs& operator=(const previewOutputs&) = delete;
    ~previewOutputs();

    // False when the private directory could not be made.
    bool isReady() const { return !directory.empty(); }
    // A name that ends in a separator: a real run cannot open it as a file.
    static bool namesDirectory(const std::string& output);
    // A fresh file for the new text of one output.
    std::string newTextFile();
    // Reports the output as the new text would leave it; from now on the new
    // text stands for the output.
    outcome settle(const std::string& output, const std::string& newText);
    // The file that reading path opens: the new text of the output that path
    // names, when the run has made one, else path itself.
    std::string readPathOf(const std::string& path) const;
    bool anyChange() const { return changes > 0; }

private:
    using fileKey = std::pair<std::uint64_t, std::uint64_t>;
    using placeKey = std::tuple<std::uint64_t, std::uint64_t, std::string>;

    // Where a name leads: the file itself when it exists, and the directory
    // and name it would be made as. False when the directory is unknown.
    static bool keysOf(const std::string& path, bool& exists, fileKey& file, placeKey& place);
    static outcome compare(const std::string& current, const std::string& newText);
    static bool isLink(const std::string& output);

    std::ostream& report;
    bool showDiffs;
    std::string directory;
    std::size_t filesMade = 0;
    std::size_t changes = 0;
    // New texts by the identity of the output they stand for.
    std::map<fileKey, std::string> byFile;
    std::map<placeKey, std::string> byPlace;
};
