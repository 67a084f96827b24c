#include "driver/tool_run.h"

#include <memory>

#include "driver/exit_status.h"
#include "driver/run.h"
#include "driver/verbose_reports.h"
#include "record/json_report.h"

namespace {

// The run's work and its status, once the settings are chosen.
int runAndJudge(const std::string& programName, const commandLine& parsed, runLog& log) {
    const toolOptions& tools = parsed.tools;
    for (const std::string& prefix : tools.environmentPrefixes) {
        if (prefix.empty()) {
            // Every variable of the environment would enter the table.
            log.message("Option --env= needs a prefix, as in --env=APP_");
            return exitStatus::misused;
        }
    }
    std::unique_ptr<verboseReports> reports;
    if (tools.verbose) {
        reports = std::make_unique<verboseReports>(log);
    }
    bool valuesTaken = true;
    if (parsed.positional.size() >= 2) {
        valuesTaken = run(parsed.positional, parsed.options, tools, log);
    } else {
        printUsage(log, programName);
    }
    if (!valuesTaken || ((tools.previews() || tools.strict) && log.messageCount() > 0)) {
        return exitStatus::misused;
    }
    return tools.previews() && log.anyChange() ? exitStatus::wouldChange : exitStatus::succeeded;
}

}  // namespace

int runWithToolOptions(const std::string& programName, const commandLine& parsed, runLog& log) {
    const toolOptions& tools = parsed.tools;
    if (tools.help) {
        log.output(helpText(programName));
        return exitStatus::succeeded;
    }
    if (tools.version) {
        log.output("fillwright " FILLWRIGHT_VERSION "\n");
        return exitStatus::succeeded;
    }
    runLog::settings settings;
    settings.showVerdicts = tools.previews() || tools.verbose;
    settings.holdOutput = tools.json;
    settings.keepRecords = tools.json;
    log.choose(settings);
    const int status = runAndJudge(programName, parsed, log);
    if (tools.json) {
        log.report(jsonReport::of(log, status));
    }
    return status;
}
