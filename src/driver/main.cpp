#include "driver/command_line.h"

#ifndef _WIN32
#include <csignal>
#endif

int main(int argc, char** argv) {
#ifndef _WIN32
    // A closed standard error stream, or a pipe whose reader went away, is an
    // ordinary failed write; the signal would end the run half way.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    return fillwrightMain(argc, argv);
}
