#include <sys/file.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "io/tree_lock.h"

// flock on the directory's own descriptor: a lock on the open directory,
// which every run opening the same directory meets, and which the system
// drops when the run ends however it ends.
struct treeLock::state {
    int descriptor;
    bool held;
};

namespace {

bool tryLock(int descriptor, int operation) {
    for (;;) {
        if (::flock(descriptor, operation) == 0) {
            return true;
        }
        if (errno != EINTR) {
            return false;
        }
    }
}

}  // namespace

treeLock::treeLock(const directory& tree, kind wanted, const std::function<void()>& longWait)
    : platform(new state{static_cast<int>(tree.native()), false}) {
    const int operation = wanted == kind::exclusive ? LOCK_EX : LOCK_SH;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!(platform->held = tryLock(platform->descriptor, operation | LOCK_NB))) {
        if (errno != EWOULDBLOCK) {
            return;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            longWait();
            platform->held = tryLock(platform->descriptor, operation);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

treeLock::~treeLock() {
    if (platform->held) {
        ::flock(platform->descriptor, LOCK_UN);
    }
}

bool treeLock::held() const {
    return platform->held;
}
