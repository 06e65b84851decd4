#pragma once
// The test's clock: what it reads and what wakes the program at a time it chose. Durations come
// from a monotonic clock, so an interval across midnight or a change of the system clock still
// comes out right; the wall clock is read only for the dates and times printed in the protocol.
// Tests drive all of it through FakeClock, which moves only when told and rings the timers
// whose time has come as it moves.
#include <QDateTime>
#include <QtGlobal>

#include <chrono>
#include <functional>
#include <memory>

namespace kavr {

class Clock
{
public:
    // A reading of the monotonic clock; only differences between readings mean anything.
    using Time = std::chrono::nanoseconds;

    virtual ~Clock() = default;

    virtual Time monotonic() const = 0;
    // The reading in whole milliseconds, as the protocol's times are taken.
    qint64 ClockMs() const { return std::chrono::duration_cast<std::chrono::milliseconds>(monotonic()).count(); }
    // Local date and time, for the protocol's printed dates and times.
    virtual QDateTime now() const = 0;

    // A single-shot timer on this clock: it rings, from the event loop, once the clock has
    // reached the time it was set for (later by the system's latency, never earlier). Two
    // kinds, each through a mechanism of its own, so that one that fails to ring does not take
    // the other with it: Precise (Windows: a multimedia timer and a posted event; to the
    // millisecond) and Coarse (Windows: WM_TIMER; within 5 % of what is left, at least 20 ms).
    class Timer
    {
    public:
        virtual ~Timer() = default;
        // Rings at when; replaces an earlier setting.
        virtual void setFor(Time when) = 0;
        virtual void cancel() = 0;
    };
    enum class TimerKind { Precise, Coarse };
    virtual std::unique_ptr<Timer> timer(TimerKind kind, std::function<void()> ring) = 0;

    // Returns once the clock reads when or later, the event loop aside: the last moments before
    // a deadline, watched on the clock itself.
    virtual void waitUntil(Time when) = 0;
};

class SystemClock final : public Clock
{
public:
    Time monotonic() const override;
    QDateTime now() const override;
    std::unique_ptr<Timer> timer(TimerKind kind, std::function<void()> ring) override;
    void waitUntil(Time when) override;
};

// Seconds from an earlier reading to a fresh one: whole milliseconds divided by 1000.
double SecondsSince(const Clock &clock, qint64 mark);

} // namespace kavr
