#include "driver/verbose_reports.h"

verboseReports::verboseReports(std::streambuf* standardError) : out(standardError) {
    eventRegistry::instance().add(key, *this);
}

verboseReports::~verboseReports() {
    eventRegistry::instance().remove(key);
}

bool verboseReports::onEvent(eventReport& report) {
    report.print(out) << std::endl;
    return false;
}
