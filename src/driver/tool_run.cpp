#include "driver/tool_run.h"

#include <iostream>
#include <memory>

#include "driver/message_counter.h"
#include "driver/run.h"
#include "driver/verbose_reports.h"

namespace {

// Statuses that scripts test; -1 for an option without a value stays as it was.
constexpr int statusSucceeded = 0;
constexpr int statusWouldChange = 1;
constexpr int statusMessages = 2;

}  // namespace

bool usesToolOptions(const toolOptions& tools) {
    return tools.help || tools.version || tools.check || tools.diff || tools.strict ||
           tools.explain || tools.verbose;
}

int runWithToolOptions(const std::string& programName, const commandLine& parsed) {
    const toolOptions& tools = parsed.tools;
    if (tools.help) {
        printHelp(std::cout, programName);
        return statusSucceeded;
    }
    if (tools.version) {
        std::cout << "fillwright " << FILLWRIGHT_VERSION << std::endl;
        return statusSucceeded;
    }
    const messageCounter messages;
    std::unique_ptr<verboseReports> reports;
    if (tools.verbose) {
        reports = std::make_unique<verboseReports>(messages.passedTo());
    }
    bool wouldChange = false;
    if (parsed.positional.size() >= 2) {
        wouldChange = run(parsed.positional, parsed.options, tools);
    } else {
        printUsage(programName);
    }
    std::cout.flush();
    if ((tools.check || tools.diff || tools.strict) && messages.anyWritten()) {
        return statusMessages;
    }
    return wouldChange ? statusWouldChange : statusSucceeded;
}
