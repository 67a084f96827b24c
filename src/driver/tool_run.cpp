#include "driver/tool_run.h"

#include <memory>

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

int runWithToolOptions(const std::string& programName, const commandLine& parsed, runLog& log) {
    const toolOptions& tools = parsed.tools;
    if (tools.help) {
        log.output(helpText(programName));
        return statusSucceeded;
    }
    if (tools.version) {
        log.output("fillwright " FILLWRIGHT_VERSION "\n");
        return statusSucceeded;
    }
    runLog::settings settings;
    settings.showVerdicts = tools.check || tools.diff;
    log.choose(settings);
    std::unique_ptr<verboseReports> reports;
    if (tools.verbose) {
        reports = std::make_unique<verboseReports>(log);
    }
    if (parsed.positional.size() >= 2) {
        run(parsed.positional, parsed.options, tools, log);
    } else {
        printUsage(log, programName);
    }
    if ((tools.check || tools.diff || tools.strict) && log.messageCount() > 0) {
        return statusMessages;
    }
    return (tools.check || tools.diff) && log.anyChange() ? statusWouldChange : statusSucceeded;
}
