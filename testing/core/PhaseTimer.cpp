#include "testing/core/PhaseTimer.h"

#include <algorithm>

namespace kavr {

namespace {

using namespace std::chrono_literals;

// A sleep of up to a minute overshoots by at most 60 ms; one that ends 100 ms ahead leaves a
// last sleep whose overshoot is a tenth of a millisecond and its rounding to whole ones.
constexpr Clock::Time WakeAhead = 100ms;
// When nearing() comes: room for work that touches what ending() needs, then for the sleeps.
constexpr Clock::Time NearingLead = 250ms;
// The last stretch, watched on the clock: the last sleep's rounding and overshoot, the work
// done on ending(), and room for a busy moment of the machine.
constexpr Clock::Time EndingLead = 10ms;
// Each request of the backstop's coarse timer lies between: on Windows (Qt's dispatcher) one of
// 20 ms or less becomes a multimedia timer, the very mechanism the backstop must not share, and
// one of 20 s or more is rounded to whole seconds.
constexpr Clock::Time ShortestBackstopStep = 21ms;
constexpr Clock::Time LongestBackstopStep = 19'999ms;

} // namespace

PhaseTimer::PhaseTimer(Clock &clock, QObject *parent)
    : QObject(parent),
      m_clock(clock),
      m_step(clock.timer(Clock::TimerKind::Precise, [this] { sleepOrFire(); })),
      m_backstop(clock.timer(Clock::TimerKind::Coarse, [this] { backstop(); }))
{
}

PhaseTimer::~PhaseTimer() = default;

void PhaseTimer::setInterval(int ms)
{
    m_intervalMs = ms;
}

void PhaseTimer::start(int ms)
{
    m_intervalMs = ms;
    start();
}

void PhaseTimer::start()
{
    arm(m_clock.monotonic());
}

void PhaseTimer::startFrom(Clock::Time begun, int ms)
{
    m_intervalMs = ms;
    arm(begun);
}

void PhaseTimer::stop()
{
    ++m_generation;
    m_active = false;
    m_step->cancel();
    m_backstop->cancel();
}

void PhaseTimer::arm(Clock::Time begun)
{
    ++m_generation;
    m_active = true;
    m_deadline = begun + std::chrono::milliseconds(m_intervalMs);
    m_nearingSent = false;
    m_endingSent = false;
    m_step->setFor(m_clock.monotonic()); // from the event loop, never within start()
    armBackstop();
}

// Towards BackstopMs after the deadline, in steps the coarse timer keeps.
void PhaseTimer::armBackstop()
{
    const Clock::Time now = m_clock.monotonic();
    const Clock::Time left = m_deadline + std::chrono::milliseconds(BackstopMs) - now;
    m_backstop->setFor(now + std::clamp(left, ShortestBackstopStep, LongestBackstopStep));
}

void PhaseTimer::sleepOrFire()
{
    if (!m_active)
        return;
    Clock::Time left = m_deadline - m_clock.monotonic();
    if (!m_nearingSent) {
        if (left > NearingLead) {
            m_step->setFor(m_deadline - NearingLead);
            return;
        }
        m_nearingSent = true;
        const std::uint64_t period = m_generation;
        emit nearing();
        if (!m_active || m_generation != period)
            return;
        left = m_deadline - m_clock.monotonic();
    }
    if (left > 2 * WakeAhead) {
        m_step->setFor(m_deadline - WakeAhead);
        return;
    }
    if (left > EndingLead) {
        m_step->setFor(m_deadline - EndingLead);
        return;
    }
    fire();
}

// The precise timer has not ended the period by shortly after its deadline: it will not.
void PhaseTimer::backstop()
{
    if (!m_active)
        return;
    if (m_clock.monotonic() < m_deadline + std::chrono::milliseconds(BackstopMs)) {
        armBackstop(); // a step on the way, or a coarse timer that rang a little early
        return;
    }
    m_step->cancel();
    fire();
}

void PhaseTimer::fire()
{
    const std::uint64_t firing = m_generation;
    if (!m_endingSent) {
        m_endingSent = true;
        emit ending();
        if (!m_active || m_generation != firing)
            return;
    }
    m_clock.waitUntil(m_deadline);
    emit timeout();
    if (m_active && m_generation == firing)
        arm(m_deadline); // the next period from this deadline, its first steps from the event loop
}

} // namespace kavr
