#pragma once
// The last moments before a deadline, waited on the monotonic clock itself, the event loop
// aside, as exactly as the system lets an ordinary program. A program that spins for long on a
// busy machine is taken off its core now and then, for milliseconds; one that sleeps and wakes
// is put back at once. So on Linux the wait sleeps to a fraction of a millisecond before the
// deadline (an absolute sleep, with the least timer slack) and spins the rest; Windows's sleeps
// are as coarse as its timer resolution (up to 15.6 ms), so there it spins.
#include <chrono>

namespace kavr::platform {

void WaitUntil(std::chrono::steady_clock::time_point until);

} // namespace kavr::platform
