#pragma once

#include <sys/resource.h>

#include <csignal>
#include <cstddef>

// While it lives, writes past the given size fail in this process and in the
// programs it starts, as on a full disk: a regular file that cannot be
// written, now that outputs may not be links to a full device. POSIX only.
class fileSizeLimit {
public:
    explicit fileSizeLimit(std::size_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        // Ignored, the signal leaves a failed write behind instead of ending
        // the writer; the programs started keep that.
        savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    fileSizeLimit(const fileSizeLimit&) = delete;
    fileSizeLimit& operator=(const fileSizeLimit&) = delete;
    ~fileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, savedHandler);
    }

private:
    rlimit saved{};
    void (*savedHandler)(int) = nullptr;
};
