#include "driver/verbose_reports.h"

#include <sstream>

verboseReports::verboseReports(runLog& log) : log(log) {
    eventRegistry::instance().add(key, *this);
}

verboseReports::~verboseReports() {
    eventRegistry::instance().remove(key);
}

bool verboseReports::onEvent(eventReport& report) {
    std::ostringstream line;
    report.print(line);
    log.note(line.str());
    return false;
}
