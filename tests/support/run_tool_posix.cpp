#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/run_tool.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

fs::path toolPath() {
    static const fs::path path = fs::absolute(FILLWRIGHT_TOOL);
    return path;
}

int optionFailureStatus() {
    return 255;
}

const char* nativeLineEnd() {
    return "\n";
}

toolResult runTool(const std::vector<std::string>& arguments, const fs::path& workingDirectory,
                   const std::string& standardInput) {
    scratchDir capture;
    capture.write("stdin", standardInput);
    const std::string inPath = capture.at("stdin");
    const std::string outPath = capture.at("stdout");
    const std::string errPath = capture.at("stderr");
    const std::string program = toolPath().string();

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0) {
        const int in = open(inPath.c_str(), O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 ||
            dup2(err, 2) < 0 || chdir(workingDirectory.c_str()) != 0) {
            _exit(127);
        }
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    toolResult result;
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        result.exitStatus = -1000;
        return result;
    }
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.standardOutput = capture.read("stdout");
    result.standardError = capture.read("stderr");
    return result;
}
