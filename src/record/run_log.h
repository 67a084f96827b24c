#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// What a run did to one output, or would do under --check.
enum class outputVerdict { created, changed, unchanged, refused, failed };

// "created", "changed", ...
const char* verdictWord(outputVerdict verdict);

// Where in the input a message points; an empty file for none, line 0 for no line.
struct messagePlace {
    std::string file;
    std::uint64_t line = 0;
};

// The run's record: every message, verdict and table source passes through
// it. It writes the console lines (messages on standard error, reports on
// standard output), counts the messages, and, when asked to keep records,
// holds everything for a report after the run.
class runLog {
public:
    struct loggedMessage {
        std::string text;  // as printed, without the last line end
        messagePlace place;
    };
    struct templateRecord {
        std::string templatePath;
        std::string output;
        std::optional<outputVerdict> verdict;
        std::vector<loggedMessage> messages;
        std::string diff;
    };
    struct tableEntry {
        std::string keyword;
        std::string value;
        std::string source;
        messagePlace place;  // of a keyword directive
    };
    struct settings {
        // A created, changed or unchanged line on standard output for each
        // output settled.
        bool showVerdicts = false;
        // Standard output holds nothing but the report made at the end.
        bool holdOutput = false;
        // Records are kept for that report.
        bool keepRecords = false;
    };

    runLog(std::ostream& errors, std::ostream& output);
    runLog(std::ostream& errors, std::ostream& output, const settings& chosen);
    runLog(const runLog&) = delete;
    runLog& operator=(const runLog&) = delete;

    // Settings chosen once the command line is read, before the run.
    void choose(const settings& chosen) { config = chosen; }

    // A message on standard error; it counts towards the exit status. A
    // message of several lines counts once.
    void message(const std::string& text, messagePlace place = {});
    // A line on standard error that is no message: it does not count.
    void note(const std::string& text);
    // Text for standard output as it is (help, explanations), unless held.
    void output(std::string_view text);
    // The report made at the end, on standard output whatever is held.
    void report(std::string_view text);

    // Messages and verdicts until endTemplate belong to this template.
    void beginTemplate(const std::string& templatePath, const std::string& outputPath);
    // The output's verdict; created, changed and unchanged show as a line
    // when verdicts are shown. A failure recorded later stays a failure.
    void verdict(outputVerdict given);
    // The template failed after its output was settled.
    void templateFailed();
    void diff(std::string_view text);
    void endTemplate();

    // A keyword of the table, or one set by a directive (with its place).
    void tableSource(const std::string& keyword, const std::string& value,
                     const std::string& source, messagePlace place = {});

    std::size_t messageCount() const { return messagesWritten; }
    // Messages since the current template began.
    std::size_t templateMessageCount() const { return messagesWritten - messagesBeforeTemplate; }
    // Some output was, or would be, created or changed.
    bool anyChange() const { return changes > 0; }

    const std::vector<templateRecord>& templates() const { return templateRecords; }
    // Messages tied to no template.
    const std::vector<loggedMessage>& otherMessages() const { return runMessages; }
    const std::vector<tableEntry>& table() const { return tableEntries; }

private:
    templateRecord* current();

    std::ostream& errors;
    std::ostream& standardOutput;
    settings config;
    std::size_t messagesWritten = 0;
    std::size_t messagesBeforeTemplate = 0;
    std::size_t changes = 0;
    bool inTemplate = false;
    std::string currentOutput;
    std::optional<outputVerdict> currentVerdict;
    std::vector<templateRecord> templateRecords;
    std::vector<loggedMessage> runMessages;
    std::vector<tableEntry> tableEntries;
};
