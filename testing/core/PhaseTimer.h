#pragma once
// Times the phases of the test to their end on the test's clock, to a small fraction of a
// millisecond. A timer of the event loop rings up to a whole millisecond late even as a precise
// one (the event loop sleeps in whole milliseconds), and Linux lets each poll() overshoot by
// 0.1% of its timeout: 30 ms on the exposure, 60 ms on the answer time. So the timer sleeps in
// steps that end short of the deadline and spends the last few milliseconds watching the clock.
//
// Used like a QTimer: start(ms), stop(), isActive(), interval(), timeout(). It repeats, each
// period counted from the previous deadline, until stopped or started anew. Shortly before
// each timeout it signals ending(), for work that must be done by the deadline (drawing the
// screen that the timeout puts up); no event is handled between the two. A quarter of a
// second before, from the event loop, it signals nearing(): memory untouched for the whole
// period may have gone cold (on a virtual machine, back to the host), and touching what
// ending() needs then keeps ending() short.
//
// The end of a period is certain: should the precise timer fail to ring (once, under Wine, a
// test sat in its answer phase for good), a coarse timer of another mechanism ends the period
// BackstopMs after its deadline (at most 50 ms more: the coarse timer's steps), late but never
// lost.
#include "testing/core/Clock.h"

#include <QObject>

#include <cstdint>
#include <memory>

namespace kavr {

class PhaseTimer final : public QObject
{
    Q_OBJECT
public:
    static constexpr int BackstopMs = 100;

    explicit PhaseTimer(Clock &clock, QObject *parent = nullptr);
    ~PhaseTimer() override;

    void setInterval(int ms);
    int interval() const { return m_intervalMs; }
    bool isActive() const { return m_active; }
    // The end of the running period, on the clock's monotonic reading.
    Clock::Time deadline() const { return m_deadline; }

    void start(int ms);
    void start();
    // A period counted from an earlier reading of the clock: from the moment the screen that
    // began it was handed to the window system.
    void startFrom(Clock::Time begun, int ms);
    void stop();

signals:
    void nearing();
    void ending();
    void timeout();

private:
    void arm(Clock::Time begun);
    void sleepOrFire();
    void armBackstop();
    void backstop();
    void fire();

    Clock &m_clock;
    std::unique_ptr<Clock::Timer> m_step;
    std::unique_ptr<Clock::Timer> m_backstop;
    int m_intervalMs = 1000;
    bool m_active = false;
    bool m_nearingSent = false;
    bool m_endingSent = false;
    std::uint64_t m_generation = 0; // a start or stop from within a signal ends the period it came from
    Clock::Time m_deadline{};
};

} // namespace kavr
