#pragma once

#include "events/event_report.h"
#include "record/run_log.h"

// Shows every event report on standard error while it lives: the failures
// that are silent by design (the network's, for one) become visible. They
// are notes of the run's log, not messages. Other listeners still see each
// report.
class verboseReports : public eventListener {
public:
    explicit verboseReports(runLog& log);
    verboseReports(const verboseReports&) = delete;
    verboseReports& operator=(const verboseReports&) = delete;
    ~verboseReports() override;

    bool onEvent(eventReport& report) override;

private:
    // Before the keys listeners are usually given, so that it sees every report.
    static constexpr int key = -1;
    runLog& log;
};
