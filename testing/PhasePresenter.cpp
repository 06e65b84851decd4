#include "testing/PhasePresenter.h"

#include <QWidget>

namespace kavr {

PhasePresenter::PhasePresenter(QWidget *window, Clock &clock, std::function<void()> drain)
    : m_window(window),
      m_clock(clock),
      m_drain(std::move(drain)),
      m_timer(clock),
      m_drawAheadTimer(clock.timer(Clock::TimerKind::Coarse, [this] { drawAhead(); }))
{
    connect(&m_timer, &PhaseTimer::nearing, this, [this] { m_frame.warm(); });
    connect(&m_timer, &PhaseTimer::ending, this, [this] { drawLast(); });
    connect(&m_timer, &PhaseTimer::timeout, this, [this] { putUpLast(); });
}

PhasePresenter::~PhasePresenter() = default;

void PhasePresenter::begin(const Screen &first, int ms, const Screen &last, int drawAheadMs)
{
    stop();
    m_last = last;
    m_lastSetUp = false;
    first.show();
    m_frame.draw(m_window, first.region());
    // What the window system has still to do for the screen before takes nothing from the
    // flush that begins the phase, nor from the one that ends it.
    m_drain();
    // The clock read, then the flush, as at the deadline that ends the phase. Read after it,
    // the phase would count from whenever the program got its core back: the flush wakes the
    // window system, which may take this very core first (always, where it runs at real-time
    // priority) and lengthen the phase by its whole drawing of the screen.
    const Clock::Time begun = m_clock.monotonic();
    m_frame.show();
    m_timer.startFrom(begun, ms);
    m_drawAheadTimer->setFor(begun + std::chrono::milliseconds(drawAheadMs));
}

void PhasePresenter::beginNext(int ms, const Screen &last, int drawAheadMs)
{
    const Clock::Time begun = m_timer.deadline();
    stop();
    m_last = last;
    m_lastSetUp = false;
    m_timer.startFrom(begun, ms);
    // From the event loop: Windows may put the screen just flushed up only then (Wine does).
    m_drawAheadTimer->setFor(begun + std::chrono::milliseconds(drawAheadMs));
}

void PhasePresenter::stop()
{
    m_timer.stop();
    m_drawAheadTimer->cancel();
    m_frame.discard();
}

void PhasePresenter::setUpLast()
{
    if (!m_lastSetUp && m_last.setUp)
        m_last.setUp();
    m_lastSetUp = true;
}

// Long before the deadline, while nothing can be clicked or nothing is expected to be, the
// drawing that takes longer than the moments before it: the controls changed for it and back,
// with no event handled between, so nothing of it shows early.
void PhasePresenter::drawAhead()
{
    if (!m_timer.isActive())
        return;
    setUpLast();
    m_frame.drawAhead(m_window, m_last.region(), m_last.show, m_last.hide);
}

// Just before the deadline: into the back buffer, a copy of the drawing made ahead (or, without
// one, the controls changed and drawn now).
void PhasePresenter::drawLast()
{
    if (!m_frame.hasDrawingAhead()) {
        setUpLast();
        m_last.show();
    }
    m_frame.draw(m_window, m_last.region());
    m_drain();
}

// At the deadline: on screen in one piece, then the controls as it shows them, no event between.
void PhasePresenter::putUpLast()
{
    m_frame.show();
    m_last.show();
    m_timer.stop(); // one period a phase; the next begins with beginNext()
    emit phaseEnded();
}

} // namespace kavr
