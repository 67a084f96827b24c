#include <windows.h>

#include <string>
#include <vector>

#include "io/tree_lock.h"

// Named kernel objects built from the directory's volume serial and file
// index: one mutex per reader's place. A run that only looks takes any one
// of them, a run that writes takes them all at once. Mutexes are released
// by the system when a run ends however it ends.
struct treeLock::state {
    std::vector<HANDLE> places;
    std::vector<HANDLE> taken;
};

namespace {

constexpr DWORD readerPlaces = MAXIMUM_WAIT_OBJECTS;

HANDLE placeMutex(const fileIdentity& tree, DWORD place) {
    const std::string name = "fillwright-tree-" + std::to_string(tree.volume) + "-" +
                             std::to_string(tree.file) + "-" + std::to_string(place);
    // Seen by every session where the account may make global objects;
    // else within its own session.
    HANDLE mutex = CreateMutexA(nullptr, FALSE, ("Global\\" + name).c_str());
    if (mutex == nullptr) {
        mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    }
    return mutex;
}

bool acquired(DWORD result, DWORD count) {
    return (result >= WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + count) ||
           (result >= WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + count);
}

}  // namespace

treeLock::treeLock(const directory& tree, kind wanted, const std::function<void()>& longWait)
    : platform(new state) {
    for (DWORD place = 0; place < readerPlaces; ++place) {
        const HANDLE mutex = placeMutex(tree.identity(), place);
        if (mutex == nullptr) {
            return;
        }
        platform->places.push_back(mutex);
    }
    const BOOL all = wanted == kind::exclusive;
    DWORD result = WaitForMultipleObjects(readerPlaces, platform->places.data(), all, 1000);
    if (result == WAIT_TIMEOUT) {
        longWait();
        result = WaitForMultipleObjects(readerPlaces, platform->places.data(), all, INFINITE);
    }
    if (!acquired(result, readerPlaces)) {
        return;
    }
    if (all) {
        platform->taken = platform->places;
    } else {
        const DWORD index =
            result >= WAIT_ABANDONED_0 ? result - WAIT_ABANDONED_0 : result - WAIT_OBJECT_0;
        platform->taken.push_back(platform->places[index]);
    }
}

treeLock::~treeLock() {
    for (HANDLE mutex : platform->taken) {
        ReleaseMutex(mutex);
    }
    for (HANDLE mutex : platform->places) {
        CloseHandle(mutex);
    }
}

bool treeLock::held() const {
    return !platform->taken.empty();
}
