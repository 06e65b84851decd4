#pragma once
// A clock the test moves by hand. Its timers ring as it moves: advanceMs() goes from timer to
// timer in the order of their times, sets the clock to each one's time and rings it, so the
// program's own path from a timer to its handlers runs as it would, in no real time at all.
#include "testing/core/Clock.h"

#include <list>
#include <vector>

namespace kavr::test {

class FakeClock final : public Clock
{
public:
    FakeClock();
    ~FakeClock() override;

    Time monotonic() const override { return m_now; }
    QDateTime now() const override;
    std::unique_ptr<Timer> timer(TimerKind kind, std::function<void()> ring) override;
    // The clock moves as a real one would while the program watches it.
    void waitUntil(Time when) override;

    // Moves the clock on, ringing every timer whose time comes, in order.
    void advanceMs(qint64 ms);
    void setWall(const QDateTime &wall);
    // Precise timers never ring from now on, as when the system lost one.
    void losePreciseTimers() { m_losePrecise = true; }
    // How far ahead each coarse timer was set, in the order set.
    const std::vector<Time> &coarseRequests() const { return m_coarseRequests; }

private:
    struct Pending;
    class FakeTimer;

    Time m_now;
    Time m_wallStart;
    QDateTime m_wall{QDate(2026, 12, 7), QTime(14, 5, 9)};
    bool m_losePrecise = false;
    std::list<Pending *> m_timers;
    std::vector<Time> m_coarseRequests;
};

} // namespace kavr::test
