#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

enum eventSeverity : std::int32_t { Success, Warning, Failure, Severe, Fatal };

enum eventDomain : std::int32_t {
    domainCommon,
    domainOS,
    domainOpenSSL,
    domainLDAP,
    domainUtils,
    domainAuthentication,
    domainNetworking,
    domainPKE,
    domainAssert,
    domainApache
};

enum eventCommon : std::int32_t {
    duplicateValue,
    unknownValue,
    valueOutOfRange,
    invalidReturnValue,
    functionReportsFailure,
    functionUnexpectedlyReturned,
    functionNotImplemented,
    infiniteLoop,
    recursionNotValid,
    badFormat,
    expectedDataNotAvailable,
    exceptionCaught,
    memoryAllocationFailure,
    comment,
    dataMisMatch,
    timeOutExpired,
    accessRefused,
    insufficientSpace,
    badSequenceOfOperations
};

// Printed texts; values outside the enumerations get an "<unknown ...>" text.
const char* severityText(std::int32_t severity);
const char* domainText(std::int32_t domain);
const char* commonEventText(std::int32_t code);

// A report of one failure, built where it is detected and delivered to the
// registry's listeners when it is destroyed. Reports are never thrown.
class eventReport {
public:
    eventReport(int tag, eventDomain domain, eventSeverity severity, int code,
                const std::string& text, const std::string& context);
    eventReport(const eventReport&) = delete;
    eventReport& operator=(const eventReport&) = delete;
    virtual ~eventReport();

    virtual std::string codeText(int code) const;
    std::ostream& print(std::ostream& out) const;

    // Hands the report to the listeners, at most once.
    void deliver();

    eventSeverity severity;
    int tag;
    eventDomain domain;
    int code;
    std::string text;
    std::string context;
    std::vector<std::string> details;
    bool delivered = false;
};

class commonEvent : public eventReport {
public:
    using eventReport::eventReport;
    ~commonEvent() override;
    std::string codeText(int code) const override;
};

class assertEvent : public eventReport {
public:
    assertEvent(const std::string& expression, const char* file, int line);
    ~assertEvent() override;
    std::string codeText(int code) const override;
};

class eventListener {
public:
    virtual ~eventListener() = default;
    // True when the report has been dealt with: later listeners do not see it.
    virtual bool onEvent(eventReport& report) = 0;
};

// The process-wide listeners, visited in ascending key order. The registry
// does not own them.
class eventRegistry {
public:
    static eventRegistry& instance();

    // False when the key is already taken.
    bool add(std::int32_t key, eventListener& listener);
    void remove(std::int32_t key);
    void deliver(eventReport& report);

private:
    eventRegistry() = default;
    std::map<std::int32_t, eventListener*> listeners;
};
