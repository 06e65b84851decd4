#pragma once
// The harness's one time base: CLOCK_MONOTONIC in nanoseconds. The program's own clock
// (std::chrono::steady_clock) reads the same clock, so a reading here and one there compare.
#include <cerrno>
#include <cstdint>
#include <ctime>

namespace kavr::harness {

constexpr std::int64_t NsPerMs = 1'000'000;

inline std::int64_t MonotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

inline void SleepUntilNs(std::int64_t when)
{
    const timespec until{time_t(when / 1'000'000'000), long(when % 1'000'000'000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

inline void SleepForMs(double ms)
{
    SleepUntilNs(MonotonicNs() + std::int64_t(ms * double(NsPerMs)));
}

inline double ToMs(std::int64_t ns)
{
    return double(ns) / double(NsPerMs);
}

} // namespace kavr::harness
