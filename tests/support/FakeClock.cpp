#include "support/FakeClock.h"

#include <algorithm>

namespace kavr::test {

using namespace std::chrono;

struct FakeClock::Pending
{
    TimerKind kind;
    std::function<void()> ring;
    bool armed = false;
    Time when{};
    quint64 order = 0; // among timers due at once, the one set first rings first
};

class FakeClock::FakeTimer final : public Clock::Timer
{
public:
    FakeTimer(FakeClock &clock, TimerKind kind, std::function<void()> ring)
        : m_clock(clock), m_pending(new Pending{kind, std::move(ring)})
    {
        m_clock.m_timers.push_back(m_pending);
    }
    ~FakeTimer() override
    {
        m_clock.m_timers.remove(m_pending);
        delete m_pending;
    }
    void setFor(Time when) override
    {
        static quint64 order = 0;
        if (m_pending->kind == TimerKind::Coarse)
            m_clock.m_coarseRequests.push_back(when - m_clock.m_now);
        m_pending->armed = true;
        m_pending->when = when;
        m_pending->order = ++order;
    }
    void cancel() override { m_pending->armed = false; }

private:
    FakeClock &m_clock;
    Pending *m_pending;
};

FakeClock::FakeClock() : m_now(milliseconds(5'000'000)), m_wallStart(m_now)
{
}

FakeClock::~FakeClock() = default;

QDateTime FakeClock::now() const
{
    return m_wall.addMSecs(duration_cast<milliseconds>(m_now - m_wallStart).count());
}

std::unique_ptr<Clock::Timer> FakeClock::timer(TimerKind kind, std::function<void()> ring)
{
    return std::make_unique<FakeTimer>(*this, kind, std::move(ring));
}

void FakeClock::waitUntil(Time when)
{
    m_now = std::max(m_now, when);
}

void FakeClock::advanceMs(qint64 ms)
{
    const Time target = m_now + milliseconds(ms);
    for (;;) {
        Pending *next = nullptr;
        for (Pending *pending : m_timers) {
            if (!pending->armed || pending->when > target)
                continue;
            if (m_losePrecise && pending->kind == TimerKind::Precise) {
                pending->armed = false;
                continue;
            }
            if (!next || pending->when < next->when || (pending->when == next->when && pending->order < next->order))
                next = pending;
        }
        if (!next)
            break;
        m_now = std::max(m_now, next->when);
        next->armed = false;
        const std::function<void()> ring = next->ring; // it may set, cancel or destroy timers, this one too
        ring();
    }
    m_now = std::max(m_now, target);
}

void FakeClock::setWall(const QDateTime &wall)
{
    m_wall = wall;
    m_wallStart = m_now;
}

} // namespace kavr::test
