#pragma once

#include <csignal>
#include <functional>
#include <sys/resource.h>

#include <QtGlobal>

// Runs `work` with files limited to `bytes` (RLIMIT_FSIZE; 0 = no limit), so
// that writing fails as on a full disk.
inline void withSizeLimit(qint64 bytes, const std::function<void()>& work)
{
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    if (bytes > 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limited{rlim_t(bytes), saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    work();
    setrlimit(RLIMIT_FSIZE, &saved);
}
