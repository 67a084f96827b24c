#include "expand/background_worker.h"

#include <utility>

backgroundWorker::~backgroundWorker() {
    if (!thread.joinable()) {
        return;
    }
    {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait(guard, [this] { return !job; });
        stopping = true;
    }
    changed.notify_all();
    thread.join();
}

void backgroundWorker::post(std::function<void()> next) {
    {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait(guard, [this] { return !job; });
        job = std::move(next);
    }
    if (!thread.joinable()) {
        thread = std::thread([this] { serve(); });
    }
    changed.notify_all();
}

void backgroundWorker::wait() {
    std::unique_lock<std::mutex> guard(lock);
    changed.wait(guard, [this] { return !job; });
}

void backgroundWorker::serve() {
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        changed.wait(guard, [this] { return job || stopping; });
        if (!job) {
            return;
        }
        // Run unlocked: wait() and post() wait for the job to end, so nothing
        // else touches it meanwhile.
        guard.unlock();
        job();
        guard.lock();
        job = nullptr;
        changed.notify_all();
    }
}
