#pragma once

#include <sys/resource.h>

// User and system time of the whole process, all its threads, in seconds. For the tests and
// the benchmarks that check the console does not spin.
inline double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) {
        return double(time.tv_sec) + double(time.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}
