#include "testing/core/Clock.h"

#include "platform/timing/PreciseWait.h"

#include <QTimer>

namespace kavr {

namespace {

using namespace std::chrono;

class EventLoopTimer final : public Clock::Timer
{
public:
    EventLoopTimer(Qt::TimerType type, std::function<void()> ring)
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(type);
        m_timer.callOnTimeout(&m_timer, std::move(ring)); // ends with the timer
    }

    void setFor(Clock::Time when) override
    {
        // Whole milliseconds, rounded up: a timer never rings before its time.
        const Clock::Time left = when - steady_clock::now().time_since_epoch();
        m_timer.start(int(std::max<qint64>(0, ceil<milliseconds>(left).count())));
    }
    void cancel() override { m_timer.stop(); }

private:
    QTimer m_timer;
};

} // namespace

Clock::Time SystemClock::monotonic() const
{
    return duration_cast<Time>(steady_clock::now().time_since_epoch());
}

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

std::unique_ptr<Clock::Timer> SystemClock::timer(TimerKind kind, std::function<void()> ring)
{
    return std::make_unique<EventLoopTimer>(kind == TimerKind::Precise ? Qt::PreciseTimer : Qt::CoarseTimer,
                                            std::move(ring));
}

void SystemClock::waitUntil(Time when)
{
    platform::WaitUntil(steady_clock::time_point(duration_cast<steady_clock::duration>(when)));
}

double SecondsSince(const Clock &clock, qint64 mark)
{
    const qint64 elapsedMs = clock.ClockMs() - mark;
    return double(elapsedMs) / 1000.0;
}

} // namespace kavr
