#pragma once

#include <functional>
#include <memory>

#include "io/directory.h"

// One run per tree at a time: a lock tied to the identity of the tree's
// starting directory, so that every spelling of its path and every link to
// it meet the same lock, and nothing is left in the tree. Runs that write
// take it alone; runs that only look share it.
class treeLock {
public:
    enum class kind { shared, exclusive };

    // Waits for the lock, however long; longWait is called once if it has
    // not come within a second. Not held when the system refuses it.
    treeLock(const directory& tree, kind wanted, const std::function<void()>& longWait);
    treeLock(const treeLock&) = delete;
    treeLock& operator=(const treeLock&) = delete;
    ~treeLock();

    bool held() const;

private:
    struct state;
    std::unique_ptr<state> platform;
};
