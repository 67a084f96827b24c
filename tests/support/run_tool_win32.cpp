#include <windows.h>

#include "support/run_tool.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

// Quotes one argument so that the C runtime's splitting gives it back unchanged.
std::string quoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) {
        return argument;
    }
    std::string result = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        result.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        result.push_back(c);
    }
    result.append(backslashes * 2, '\\');
    result.push_back('"');
    return result;
}

// The console streams are text mode on Windows; tests compare plain line feeds.
std::string withLineFeeds(std::string text) {
    std::string::size_type at = 0;
    while ((at = text.find("\r\n", at)) != std::string::npos) {
        text.erase(at, 1);
    }
    return text;
}

HANDLE inheritableFile(const std::string& path) {
    SECURITY_ATTRIBUTES security{sizeof(security), nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &security,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

fs::path toolPath() {
    static const fs::path path = fs::absolute(FILLWRIGHT_TOOL);
    return path;
}

int optionFailureStatus() {
    return -1;
}

const char* nativeLineEnd() {
    return "\r\n";
}

toolResult runTool(const std::vector<std::string>& arguments, const fs::path& workingDirectory,
                   const std::string& standardInput) {
    scratchDir capture;
    capture.write("stdin", standardInput);
    const std::string program = toolPath().string();
    std::string commandLine = quoteArgument(program);
    for (const std::string& argument : arguments) {
        commandLine += ' ' + quoteArgument(argument);
    }

    toolResult result;
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    HANDLE in = CreateFileA(capture.at("stdin").c_str(), GENERIC_READ, FILE_SHARE_READ,
                            &inheritable, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE out = inheritableFile(capture.at("stdout"));
    HANDLE err = inheritableFile(capture.at("stderr"));
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    const std::string directory = workingDirectory.string();
    const BOOL started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        0, nullptr, directory.c_str(), &startup, &process);
    CloseHandle(in);
    CloseHandle(out);
    CloseHandle(err);
    if (!started) {
        result.exitStatus = -1000;
        return result;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    result.exitStatus = static_cast<int>(code);
    result.standardOutput = withLineFeeds(capture.read("stdout"));
    result.standardError = withLineFeeds(capture.read("stderr"));
    return result;
}
