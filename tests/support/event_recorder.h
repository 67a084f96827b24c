#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "events/event_report.h"

// Registers itself for its lifetime and keeps the printed form, tag and code
// of every report delivered meanwhile.
class eventRecorder : public eventListener {
public:
    eventRecorder() { eventRegistry::instance().add(key, *this); }
    ~eventRecorder() override { eventRegistry::instance().remove(key); }
    eventRecorder(const eventRecorder&) = delete;
    eventRecorder& operator=(const eventRecorder&) = delete;

    bool onEvent(eventReport& report) override {
        std::ostringstream out;
        report.print(out);
        lines.push_back(out.str());
        tags.push_back(report.tag);
        codes.push_back(report.code);
        return true;
    }

    std::vector<std::string> lines;
    std::vector<int> tags;
    std::vector<int> codes;

private:
    static constexpr int key = 1000;
};
