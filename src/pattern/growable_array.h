#pragma once

#include <cstddef>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>

#include "pattern/atl_exception.h"

// A zero-filled array whose count can be set freely; growth reserves some
// room ahead. A failed growth leaves the array as it was.
template <typename T>
class growableArray {
public:
    // growthStep 0 lets the step follow the count.
    explicit growableArray(std::size_t growthStep = 0) : growthStep(growthStep) {}
    ~growableArray() { delete[] storage; }
    growableArray(const growableArray&) = delete;
    growableArray& operator=(const growableArray&) = delete;

    // False when the storage could not be allocated.
    bool setCount(std::size_t newCount) {
        if (newCount == 0) {
            delete[] storage;
            storage = nullptr;
            used = 0;
            allocated = 0;
            return true;
        }
        if (newCount > allocated) {
            std::size_t newCapacity = newCount;
            if (storage != nullptr) {
                std::size_t step = growthStep;
                if (step == 0) {
                    step = used / 8;
                    step = step < 4 ? 4 : (step > 1024 ? 1024 : step);
                }
                if (allocated + step > newCapacity) {
                    newCapacity = allocated + step;
                }
            } else if (growthStep > newCapacity) {
                newCapacity = growthStep;
            }
            if (newCapacity > std::numeric_limits<std::size_t>::max() / sizeof(T)) {
                return false;
            }
            T* grown = new (std::nothrow) T[newCapacity]();
            if (grown == nullptr) {
                return false;
            }
            if (storage != nullptr) {
                std::memcpy(grown, storage, used * sizeof(T));
                delete[] storage;
            }
            storage = grown;
            allocated = newCapacity;
        }
        used = newCount;
        return true;
    }

    std::size_t count() const { return used; }
    std::size_t capacity() const { return allocated; }

    // Every access is checked: the engine must never touch memory outside
    // the array, whatever a program or a text holds.
    T& at(std::ptrdiff_t index) { return storage[checked(index)]; }
    const T& at(std::ptrdiff_t index) const { return storage[checked(index)]; }

private:
    std::size_t checked(std::ptrdiff_t index) const {
        if (index < 0 || static_cast<std::size_t>(index) >= used) {
            throw CAtlException(E_INVALIDARG);
        }
        return static_cast<std::size_t>(index);
    }

    T* storage = nullptr;
    std::size_t used = 0;
    std::size_t allocated = 0;
    std::size_t growthStep;
};
