#include "events/event_report.h"

#include "events/text.h"

namespace {

template <std::size_t N>
const char* lookup(const char* const (&texts)[N], std::int32_t value, const char* unknown) {
    auto index = static_cast<std::uint32_t>(value);
    return index < N ? texts[index] : unknown;
}

}  // namespace

const char* severityText(std::int32_t severity) {
    static const char* const texts[] = {"Success", "Warning", "Failure", "Severe", "Fatal"};
    return lookup(texts, severity, "<unknown eventSeverity>");
}

const char* domainText(std::int32_t domain) {
    static const char* const texts[] = {
        "commonEvent",    "O/S",        "OpenSSL", "LDAP",   "utils",
        "Authentication", "networking", "PKE",     "assert", "Apache"};
    return lookup(texts, domain, "<unknown eventDomain>");
}

const char* commonEventText(std::int32_t code) {
    static const char* const texts[] = {"duplicate value",
                                        "unknown value",
                                        "value out of range",
                                        "invalid return value",
                                        "function reports failure",
                                        "function unexpectedly returned",
                                        "function not implemented",
                                        "?infinite? loop",
                                        "recursion not valid",
                                        "bad format",
                                        "Expected data is not available",
                                        "Exception caught",
                                        "Memory allocation failure",
                                        "comment",
                                        "Data mis-match",
                                        "Time-out expired",
                                        "Access refused",
                                        "Insufficient space",
                                        "Bad sequence of operations"};
    return lookup(texts, code, "<unknown eventCommon>");
}

eventReport::eventReport(int tag, eventDomain domain, eventSeverity severity, int code,
                         const std::string& text, const std::string& context)
    : severity(severity), tag(tag), domain(domain), code(code), text(text), context(context) {}

eventReport::~eventReport() {
    deliver();
}

std::string eventReport::codeText(int code) const {
    return toDecimal(code);
}

std::ostream& eventReport::print(std::ostream& out) const {
    out << severityText(severity) << ": " << domainText(domain) << '/' << codeText(code) << ' '
        << quoted(text);
    if (!details.empty()) {
        out << " { ";
        for (const std::string& detail : details) {
            out << quoted(detail) << ' ';
        }
        out << '}';
    }
    if (!context.empty()) {
        out << " | " << context;
    }
    return out;
}

void eventReport::deliver() {
    if (delivered) {
        return;
    }
    delivered = true;
    eventRegistry::instance().deliver(*this);
}

commonEvent::~commonEvent() {
    deliver();
}

std::string commonEvent::codeText(int code) const {
    return commonEventText(code);
}

assertEvent::assertEvent(const std::string& expression, const char* file, int line)
    : eventReport(31, domainAssert, Fatal, 0, expression,
                  std::string(file) + " @ " + toDecimal(line)) {}

assertEvent::~assertEvent() {
    deliver();
}

std::string assertEvent::codeText(int) const {
    return "assert failure";
}

eventRegistry& eventRegistry::instance() {
    static eventRegistry registry;
    return registry;
}

bool eventRegistry::add(std::int32_t key, eventListener& listener) {
    return listeners.emplace(key, &listener).second;
}

void eventRegistry::remove(std::int32_t key) {
    listeners.erase(key);
}

void eventRegistry::deliver(eventReport& report) {
    for (const auto& keyAndListener : listeners) {
        if (keyAndListener.second->onEvent(report)) {
            return;
        }
    }
}
