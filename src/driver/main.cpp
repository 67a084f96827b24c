#include <iostream>

#include "driver/command_line.h"

#ifndef _WIN32
#include <csignal>
#endif

int main(int argc, char** argv) {
#ifndef _WIN32
    // A closed standard error stream, or a pipe whose reader went away, is an
    // ordinary failed write; the signal would end the run half way. So is a
    // write past a file-size limit: that template fails, the run goes on.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    return fillwrightMain(argc, argv, std::cerr, std::cout);
}
