#include "driver/command_line.h"

#include "driver/run.h"
#include "driver/tool_run.h"
#include "events/text.h"

bool parseArguments(int argc, const char* const* argv, commandLine& parsed, runLog& log) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (readToolOption(argument, parsed.tools)) {
            continue;
        }
        if (argument.empty() || argument.front() != '-') {
            parsed.positional.push_back(argument);
            continue;
        }
        const std::size_t equals = argument.find('=');
        if (equals != std::string::npos) {
            parsed.options.assign(argument.substr(1, equals - 1), argument.substr(equals + 1));
        } else if (i + 1 == argc) {
            log.message("Keyword " + withControlsEscaped(argument) + " has no value");
            return false;
        } else {
            parsed.options.assign(argument.substr(1), argv[++i]);
        }
    }
    return true;
}

void printUsage(runLog& log, const std::string& programName) {
    log.message("Usage: " + withControlsEscaped(programName) +
                " <starting dir> <file of substitutions> [-F/H/I]\n"
                "[Any options of the form -<keyword>=<value> will be added to the substitutions");
}

int fillwrightMain(int argc, const char* const* argv, std::ostream& errors, std::ostream& output) {
    const std::string programName = (argc > 0 && argv[0] != nullptr) ? argv[0] : "";
    runLog log(errors, output);
    commandLine parsed;
    if (argc <= 2) {
        // A lone argument draws the usage text, unless it is a tool option.
        if (argc < 2 || !readToolOption(argv[1], parsed.tools)) {
            printUsage(log, programName);
            return 0;
        }
    } else if (!parseArguments(argc, argv, parsed, log)) {
        return -1;
    }
    if (usesToolOptions(parsed.tools)) {
        return runWithToolOptions(programName, parsed, log);
    }
    if (parsed.positional.size() >= 2) {
        run(parsed.positional, parsed.options, parsed.tools, log);
    } else {
        printUsage(log, programName);
    }
    return 0;
}
