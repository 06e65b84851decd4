#include "testing/core/Clock.h"

#include <chrono>

namespace kavr {

qint64 SystemClock::ClockMs() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

double SecondsSince(const Clock &clock, qint64 mark)
{
    const qint64 elapsedMs = clock.ClockMs() - mark;
    return double(elapsedMs) / 1000.0;
}

} // namespace kavr
