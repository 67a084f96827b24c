#include "driver/command_line.h"

#include "driver/exit_status.h"
#include "driver/run.h"
#include "driver/tool_run.h"
#include "events/text.h"

namespace {

void reportUnknownOption(runLog& log, const std::string& argument) {
    log.message("Unknown option " + quoted(argument) + "; see fillwright --help");
}

}  // namespace

parseOutcome parseArguments(int argc, const char* const* argv, commandLine& parsed, runLog& log) {
    // A mistyped tool option could turn a dry run into a real one: nothing
    // is read or written when there is one, wherever it stands.
    for (int i = 1; i < argc; ++i) {
        if (kindOfWord(argv[i]) == optionWord::unknownOption) {
            reportUnknownOption(log, argv[i]);
            return parseOutcome::unknownOption;
        }
    }
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (readToolOption(argument, parsed.tools) == optionWord::toolOption) {
            continue;
        }
        // A lone "-" is a name: standard input as the substitutions file.
        if (argument.empty() || argument.front() != '-' || argument == standardInputName) {
            parsed.positional.push_back(argument);
            continue;
        }
        const std::size_t equals = argument.find('=');
        if (equals != std::string::npos) {
            parsed.options.assign(argument.substr(1, equals - 1), argument.substr(equals + 1));
        } else if (i + 1 == argc || kindOfWord(argv[i + 1]) == optionWord::toolOption) {
            log.message("Keyword " + withControlsEscaped(argument) + " has no value");
            return parseOutcome::optionWithoutValue;
        } else {
            parsed.options.assign(argument.substr(1), argv[++i]);
        }
    }
    return parseOutcome::parsed;
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
        const optionWord word =
            argc < 2 ? optionWord::other : readToolOption(argv[1], parsed.tools);
        if (word == optionWord::unknownOption) {
            reportUnknownOption(log, argv[1]);
            return exitStatus::misused;
        }
        if (word == optionWord::other) {
            printUsage(log, programName);
            return exitStatus::succeeded;
        }
    } else {
        switch (parseArguments(argc, argv, parsed, log)) {
            case parseOutcome::optionWithoutValue:
                return exitStatus::optionWithoutValue;
            case parseOutcome::unknownOption:
                return exitStatus::misused;
            case parseOutcome::parsed:
                break;
        }
    }
    if (parsed.tools.any()) {
        return runWithToolOptions(programName, parsed, log);
    }
    if (parsed.positional.size() >= 2) {
        run(parsed.positional, parsed.options, parsed.tools, log);
    } else {
        printUsage(log, programName);
    }
    return exitStatus::succeeded;
}
