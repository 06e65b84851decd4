#pragma once
// The test's clock. Durations come from a monotonic millisecond count, so an interval across
// midnight or a change of the system clock still comes out right; the wall clock is read only
// for the dates and times printed in the protocol. Tests drive both through FakeClock.
#include <QDateTime>
#include <QtGlobal>

namespace kavr {

class Clock
{
public:
    virtual ~Clock() = default;
    // A reading in whole milliseconds; only differences between readings mean anything.
    virtual qint64 ClockMs() const = 0;
    // Local date and time, for the protocol's printed dates and times.
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock
{
public:
    qint64 ClockMs() const override;
    QDateTime now() const override;
};

// Seconds from an earlier reading to a fresh one: whole milliseconds divided by 1000.
double SecondsSince(const Clock &clock, qint64 mark);

} // namespace kavr
