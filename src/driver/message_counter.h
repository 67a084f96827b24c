#pragma once

#include <cstddef>
#include <iostream>
#include <streambuf>

// Counts what is written to standard error while it lives, passing it on
// unchanged: a run's status under --check or --strict says whether any
// message was written.
class messageCounter : private std::streambuf {
public:
    messageCounter();
    messageCounter(const messageCounter&) = delete;
    messageCounter& operator=(const messageCounter&) = delete;
    ~messageCounter() override;

    bool anyWritten() const { return written > 0; }
    // Standard error's own buffer, for writes that are not messages.
    std::streambuf* passedTo() const { return target; }

private:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

    std::streambuf* target;
    std::size_t written = 0;
};
