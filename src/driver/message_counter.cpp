#include "driver/message_counter.h"

messageCounter::messageCounter() : target(std::cerr.rdbuf(this)) {}

messageCounter::~messageCounter() {
    std::cerr.rdbuf(target);
}

messageCounter::int_type messageCounter::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) {
        return traits_type::not_eof(c);
    }
    ++written;
    return target->sputc(traits_type::to_char_type(c));
}

std::streamsize messageCounter::xsputn(const char* s, std::streamsize n) {
    written += static_cast<std::size_t>(n);
    return target->sputn(s, n);
}

int messageCounter::sync() {
    return target->pubsync();
}
