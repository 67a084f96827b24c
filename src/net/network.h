#pragma once

#include <cstdint>
#include <string>

#include "events/event_report.h"

// While any instance lives the socket library stays started: the first live
// instance starts it, the last one to end stops it.
class network {
public:
    network();
    ~network();
    network(const network&) = delete;
    network& operator=(const network&) = delete;

    // Live instances.
    static std::int32_t instanceCount();
};

// The report of a failed socket-library call; its code is the library's
// error number.
class networkEvent : public eventReport {
public:
    using eventReport::eventReport;
    ~networkEvent() override;
    std::string codeText(int code) const override;
};

// True when result is 0; otherwise raises a networkEvent with code, text and
// function as its context, and returns false.
bool networkCheck(int result, int code, const std::string& text, const char* function);
