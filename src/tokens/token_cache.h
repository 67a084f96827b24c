#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "io/text_file.h"
#include "table/subs_table.h"

// A keyword's value as the cache hands it out: a short value also as a copy
// with padding after it, so that it can be written with one fixed-size move.
struct cachedValue {
    const std::string* text = nullptr;
    std::size_t size = 0;  // the text's, without a load through the pointer
    char shortCopy[shortPiece] = {};

    paddedText padded() const { return {size <= shortPiece ? shortCopy : text->data(), size}; }
};

// A name's length and first 16 bytes in two words, so that short names
// compare in three steps. Only bytes of the name are read: the loads
// overlap rather than run past its end.
struct packedName {
    static constexpr std::size_t capacity = 16;

    std::uint64_t first = 0;
    std::uint64_t second = 0;
    std::size_t length = 0;

    static packedName of(const char* name, std::size_t length) {
        packedName packed;
        packed.length = length;
        const std::size_t kept = length < capacity ? length : capacity;
        if (kept > 8) {
            packed.first = load<8>(name);
            packed.second = load<8>(name + kept - 8) >> (8 * (capacity - kept));
        } else if (kept >= 4) {
            packed.first = load<4>(name) | load<4>(name + kept - 4) << (8 * (kept - 4));
        } else {
            for (std::size_t i = 0; i < kept; ++i) {
                packed.first |= std::uint64_t{static_cast<unsigned char>(name[i])} << (8 * i);
            }
        }
        return packed;
    }

    // One product, whose top bits spread a template's few names well enough:
    // short, as every token waits for it. The length is left out: names of
    // the same first 16 bytes and different lengths are long and rare.
    std::uint64_t hash() const { return (first ^ second) * 0x9e3779b97f4a7c15u; }

    bool operator==(const packedName& other) const {
        return first == other.first && second == other.second && length == other.length;
    }

private:
    template <std::size_t size>
    static std::uint64_t load(const char* bytes) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes, size);
        return word;
    }
};

// Remembers what token names resolved to, so that the names a template
// repeats on every line cost a hash instead of a walk through the table.
// Values are copied from the table: anything that changes the table, or
// switches tables, must call forget().
class tokenCache {
    struct slot;

public:
    // Looks names up in one table. It holds what every lookup needs in plain
    // values: kept in a loop's locals, they need no reload after each byte the
    // loop stores, as members reached through a pointer would.
    class reader {
    public:
        // The value of the keyword spelled name, or null.
        const cachedValue* find(const char* name, std::size_t length) {
            const packedName packed = packedName::of(name, length);
            if (length <= packedName::capacity) {
                return find(packed, name);
            }
            slot& candidate = slots[packed.hash() >> (64 - slotBits)];
            if (candidate.generation == generation && candidate.name == packed &&
                std::memcmp(candidate.longName.data(), name, length) == 0) {
                return candidate.value.text != nullptr ? &candidate.value : nullptr;
            }
            return remember(candidate, packed, name, generation, *table);
        }
        // The value of a name packed whole (no longer than packedName::capacity);
        // its text is null and its size 0 when no keyword has the name. One
        // branch for the whole comparison, as it runs for every token.
        const cachedValue& findPacked(const packedName& packed, const char* name) {
            slot& candidate = slots[packed.hash() >> (64 - slotBits)];
            if (((candidate.name.first ^ packed.first) | (candidate.name.second ^ packed.second) |
                 (candidate.name.length ^ packed.length) | (candidate.generation ^ generation)) !=
                0) {
                // Packed again from the name, so that the packed name need
                // not be kept in memory on the path of every token.
                remember(candidate, packedName::of(name, packed.length), name, generation, *table);
            }
            return candidate.value;
        }
        // The same for a name packed whole, or null.
        const cachedValue* find(const packedName& packed, const char* name) {
            const cachedValue& value = findPacked(packed, name);
            return value.text != nullptr ? &value : nullptr;
        }

    private:
        friend class tokenCache;
        reader(slot* slots, std::uint64_t generation, const subsTable& table)
            : slots(slots), generation(generation), table(&table) {}

        slot* slots;
        std::uint64_t generation;
        const subsTable* table;
    };

    // Valid until the next forget(). The slots are made on the first use, so
    // that a run with no template to expand never builds them.
    reader readerOf(const subsTable& table) {
        if (slots.empty()) {
            slots.resize(slotCount);
        }
        return {slots.data(), generation, table};
    }

    void forget() { ++generation; }

private:
    static constexpr unsigned slotBits = 10;
    static constexpr std::size_t slotCount = std::size_t{1} << slotBits;

    // A slot takes whole cache lines, its name and value in the first.
    struct alignas(64) slot {
        packedName name;
        std::uint64_t generation = 0;
        cachedValue value;
        std::string longName;
    };

    // Kept out of the lookup that every token makes: a miss is rare.
    [[gnu::noinline]] static const cachedValue* remember(slot& candidate, const packedName& packed,
                                                         const char* name, std::uint64_t generation,
                                                         const subsTable& table) {
        candidate.name = packed;
        candidate.longName.assign(name, packed.length);
        candidate.generation = generation;
        const std::string* text = table.find(candidate.longName);
        candidate.value.text = text;
        candidate.value.size = 0;
        if (text == nullptr) {
            return nullptr;
        }
        candidate.value.size = text->size();
        if (text->size() <= shortPiece) {
            std::memcpy(candidate.value.shortCopy, text->data(), text->size());
        }
        return &candidate.value;
    }

    std::vector<slot> slots;
    std::uint64_t generation = 1;
};
