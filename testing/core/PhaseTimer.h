#pragma once
// Times the phases of the test to their end on the monotonic clock, to a small fraction of a
// millisecond. A QTimer fires up to a whole millisecond late even as a precise one (the event
// loop sleeps in whole milliseconds), and Linux lets each poll() overshoot by 0.1% of its
// timeout: 30 ms on the exposure, 60 ms on the answer time. So the timer sleeps in steps that
// end short of the deadline and spends the last few milliseconds watching the clock.
//
// Used like a QTimer: start(ms), stop(), isActive(), interval(), timeout(). It repeats, each
// period counted from the previous deadline, until stopped or started anew. Shortly before
// each timeout it signals ending(), for work that must be done by the deadline (drawing the
// screen that the timeout puts up); no event is handled between the two. A quarter of a
// second before, from the event loop, it signals nearing(): memory untouched for the whole
// period may have gone cold (on a virtual machine, back to the host), and touching what
// ending() needs then keeps ending() short.
#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>

namespace kavr {

class PhaseTimer : public QObject
{
    Q_OBJECT
public:
    using Clock = std::chrono::steady_clock;

    explicit PhaseTimer(QObject *parent = nullptr);

    void setInterval(int ms);
    int interval() const { return m_intervalMs; }
    bool isActive() const { return m_active; }
    // The end of the running period.
    Clock::time_point deadline() const { return m_deadline; }

    void start(int ms);
    void start();
    void stop();

signals:
    void nearing();
    void ending();
    void timeout();

private:
    void sleepOrFire();

    QTimer m_step;
    int m_intervalMs = 1000;
    bool m_active = false;
    bool m_nearingSent = false;
    std::uint64_t m_generation = 0; // a start or stop from within timeout() ends the period it fired for
    Clock::time_point m_deadline;
};

} // namespace kavr
