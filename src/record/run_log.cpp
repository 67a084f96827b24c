#include "record/run_log.h"

#include "events/shown_text.h"

const char* verdictWord(outputVerdict verdict) {
    switch (verdict) {
        case outputVerdict::created:
            return "created";
        case outputVerdict::changed:
            return "changed";
        case outputVerdict::unchanged:
            return "unchanged";
        case outputVerdict::refused:
            return "refused";
        case outputVerdict::failed:
            break;
    }
    return "failed";
}

runLog::runLog(std::ostream& errors, std::ostream& output) : runLog(errors, output, settings{}) {}

runLog::runLog(std::ostream& errors, std::ostream& output, const settings& chosen)
    : errors(errors), standardOutput(output), config(chosen) {}

runLog::templateRecord* runLog::current() {
    return inTemplate && config.keepRecords ? &templateRecords.back() : nullptr;
}

void runLog::message(const std::string& text, messagePlace place) {
    // Each message flushes: it must reach a terminal or log before the work
    // that follows it, even if the run is then killed.
    errors << text << std::endl;
    ++messagesWritten;
    if (!config.keepRecords) {
        return;
    }
    if (templateRecord* record = current()) {
        record->messages.push_back({text, std::move(place)});
    } else {
        runMessages.push_back({text, std::move(place)});
    }
}

void runLog::note(const std::string& text) {
    errors << text << std::endl;
}

void runLog::output(std::string_view text) {
    if (!config.holdOutput) {
        standardOutput << text;
        standardOutput.flush();
    }
}

void runLog::report(std::string_view text) {
    standardOutput << text;
    standardOutput.flush();
}

void runLog::beginTemplate(const std::string& templatePath, const std::string& outputPath) {
    inTemplate = true;
    currentOutput = outputPath;
    currentVerdict.reset();
    messagesBeforeTemplate = messagesWritten;
    if (config.keepRecords) {
        templateRecords.push_back({templatePath, outputPath, std::nullopt, {}, {}});
    }
}

void runLog::verdict(outputVerdict given) {
    if (given == outputVerdict::created || given == outputVerdict::changed) {
        ++changes;
    }
    const bool settled = given != outputVerdict::refused && given != outputVerdict::failed;
    if (config.showVerdicts && settled && inTemplate) {
        output(std::string(verdictWord(given)) + " " + shownText(currentOutput) + "\n");
    }
    if (currentVerdict != outputVerdict::failed) {
        currentVerdict = given;
    }
    if (templateRecord* record = current()) {
        record->verdict = currentVerdict;
    }
}

void runLog::templateFailed() {
    currentVerdict = outputVerdict::failed;
    if (templateRecord* record = current()) {
        record->verdict = currentVerdict;
    }
}

void runLog::diff(std::string_view text) {
    output(text);
    if (templateRecord* record = current()) {
        record->diff.append(text);
    }
}

void runLog::endTemplate() {
    inTemplate = false;
}

void runLog::tableSource(const std::string& keyword, const std::string& value,
                         const std::string& source, messagePlace place) {
    std::string line = shownText(keyword) + '=' + shownText(value) + '\t' + source;
    if (!place.file.empty()) {
        line += " in " + shownText(place.file) + " line " + std::to_string(place.line);
    }
    output(line + "\n");
    if (config.keepRecords) {
        tableEntries.push_back({keyword, value, source, std::move(place)});
    }
}
