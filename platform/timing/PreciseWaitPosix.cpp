#include "platform/timing/PreciseWait.h"

#include <cerrno>
#include <ctime>
#include <sys/prctl.h>

namespace kavr::platform {

namespace {

using namespace std::chrono;

// Spun, not slept: the wake-up's own latency and a margin.
constexpr nanoseconds SpinLast = 500us;

} // namespace

void WaitUntil(steady_clock::time_point until)
{
    // A sleep may end up to 50 µs late by default; the thread asks for none.
    static const bool exact = ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
    (void)exact;
    const steady_clock::time_point wake = until - SpinLast;
    if (steady_clock::now() < wake) {
        // steady_clock is CLOCK_MONOTONIC on Linux.
        const auto since = duration_cast<nanoseconds>(wake.time_since_epoch()).count();
        const timespec at{time_t(since / 1'000'000'000), long(since % 1'000'000'000)};
        while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
        }
    }
    while (steady_clock::now() < until) {
    }
}

} // namespace kavr::platform
