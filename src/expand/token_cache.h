#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "driver/subs_table.h"

// Remembers what token names resolved to, so that the names a template
// repeats on every line cost a hash instead of a walk through the table.
// Values are pointers into the table: they follow changes of a value, but
// anything that adds a keyword or switches tables must call forget().
class tokenCache {
public:
    tokenCache() : slots(slotCount) {}

    // The value of the keyword spelled name, or null.
    const std::string* find(const char* name, std::size_t length, const subsTable& table) {
        slot& candidate = slots[hashOf(name, length) & (slotCount - 1)];
        if (candidate.generation == generation && sameName(candidate.name, name, length)) {
            return candidate.value;
        }
        candidate.name.assign(name, length);
        candidate.value = table.find(candidate.name);
        candidate.generation = generation;
        return candidate.value;
    }

    void forget() { ++generation; }

private:
    static constexpr std::size_t slotCount = 1024;

    struct slot {
        std::string name;
        const std::string* value = nullptr;
        std::uint64_t generation = 0;
    };

    // Cheap rather than good: a collision only costs a lookup in the table.
    static std::size_t hashOf(const char* name, std::size_t length) {
        if (length == 0) {
            return 0;
        }
        const auto byteAt = [name](std::size_t i) { return static_cast<unsigned char>(name[i]); };
        return length * 977 + byteAt(0) * 31 + byteAt(length / 2) * 7 + byteAt(length - 1);
    }

    // Names are short: two overlapping fixed-size compares beat a loop or a
    // call, and never read outside either name.
    static bool sameName(const std::string& known, const char* name, std::size_t length) {
        if (known.size() != length) {
            return false;
        }
        const char* other = known.data();
        if (length > 16) {
            return std::memcmp(other, name, length) == 0;
        }
        if (length >= 8) {
            return sameBytes<8>(other, name) && sameBytes<8>(other + length - 8, name + length - 8);
        }
        if (length >= 4) {
            return sameBytes<4>(other, name) && sameBytes<4>(other + length - 4, name + length - 4);
        }
        return length == 0 || (other[0] == name[0] && other[length / 2] == name[length / 2] &&
                               other[length - 1] == name[length - 1]);
    }

    template <std::size_t size>
    static bool sameBytes(const char* a, const char* b) {
        using word = std::conditional_t<size == 8, std::uint64_t, std::uint32_t>;
        word first;
        word second;
        std::memcpy(&first, a, size);
        std::memcpy(&second, b, size);
        return first == second;
    }

    std::vector<slot> slots;
    std::uint64_t generation = 1;
};
