#include "platform/timing/PreciseWait.h"

namespace kavr::platform {

void WaitUntil(std::chrono::steady_clock::time_point until)
{
    // A Sleep() may last until the next tick of the system's timer, 15.6 ms away by default.
    while (std::chrono::steady_clock::now() < until) {
    }
}

} // namespace kavr::platform
