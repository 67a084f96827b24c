#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Runs one job at a time on a thread of its own, so that the reads and writes
// of a large file go on while the expansion works. The thread starts with the
// first job: small files, which are most files, never start one.
class backgroundWorker {
public:
    backgroundWorker() = default;
    backgroundWorker(const backgroundWorker&) = delete;
    backgroundWorker& operator=(const backgroundWorker&) = delete;
    // Finishes the job in hand first.
    ~backgroundWorker();

    // Waits for the job in hand, then hands over this one.
    void post(std::function<void()> job);
    // Returns once no job is in hand: what the last job did is then visible.
    void wait();

private:
    void serve();

    std::mutex lock;
    std::condition_variable changed;
    std::function<void()> job;
    bool stopping = false;
    std::thread thread;
};
