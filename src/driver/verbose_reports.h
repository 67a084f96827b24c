#pragma once

#include <ostream>
#include <streambuf>

#include "events/event_report.h"

// Shows every event report on standard error while it lives: the failures
// that are silent by design (the network's, for one) become visible. Other
// listeners still see each report.
class verboseReports : public eventListener {
public:
    // Written straight to this buffer, so that reports do not count as messages.
    explicit verboseReports(std::streambuf* standardError);
    verboseReports(const verboseReports&) = delete;
    verboseReports& operator=(const verboseReports&) = delete;
    ~verboseReports() override;

    bool onEvent(eventReport& report) override;

private:
    // Before the keys listeners are usually given, so that it sees every report.
    static constexpr int key = -1;
    std::ostream out;
};
