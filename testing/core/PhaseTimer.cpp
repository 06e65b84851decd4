#include "testing/core/PhaseTimer.h"

namespace kavr {

namespace {

using namespace std::chrono_literals;

// A sleep of up to a minute overshoots by at most 60 ms; one that ends 100 ms ahead leaves a
// last sleep whose overshoot is a tenth of a millisecond and its rounding to whole ones.
constexpr auto WakeAhead = 100ms;
// When nearing() comes: room for work that touches what ending() needs, then for the sleeps.
constexpr auto NearingLead = 250ms;
// The last stretch, watched on the clock: the last sleep's rounding and overshoot, the work
// done on ending(), and room for a busy moment of the machine.
constexpr auto EndingLead = 10ms;

int WholeMsBelow(PhaseTimer::Clock::duration d)
{
    return int(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

} // namespace

PhaseTimer::PhaseTimer(QObject *parent) : QObject(parent)
{
    m_step.setSingleShot(true);
    m_step.setTimerType(Qt::PreciseTimer);
    connect(&m_step, &QTimer::timeout, this, &PhaseTimer::sleepOrFire);
}

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
    ++m_generation;
    m_active = true;
    m_deadline = Clock::now() + std::chrono::milliseconds(m_intervalMs);
    m_nearingSent = false;
    m_step.start(0); // never fires within start(), however short the period

}

void PhaseTimer::stop()
{
    ++m_generation;
    m_active = false;
    m_step.stop();
}

void PhaseTimer::sleepOrFire()
{
    if (!m_active)
        return;
    auto left = m_deadline - Clock::now();
    if (!m_nearingSent) {
        if (left > NearingLead) {
            m_step.start(WholeMsBelow(left - NearingLead));
            return;
        }
        m_nearingSent = true;
        const std::uint64_t period = m_generation;
        emit nearing();
        if (!m_active || m_generation != period)
            return;
        left = m_deadline - Clock::now();
    }
    if (left > 2 * WakeAhead) {
        m_step.start(WholeMsBelow(left - WakeAhead));
        return;
    }
    if (left > EndingLead) {
        m_step.start(WholeMsBelow(left - EndingLead));
        return;
    }
    const std::uint64_t firing = m_generation;
    emit ending();
    if (!m_active || m_generation != firing)
        return;
    while (Clock::now() < m_deadline) {
    }
    emit timeout();
    if (m_active && m_generation == firing) {
        m_deadline += std::chrono::milliseconds(m_intervalMs);
        m_nearingSent = false;
        m_step.start(0); // from the event loop, which may have work waiting
    }
}

} // namespace kavr
