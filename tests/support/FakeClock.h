#pragma once
// A clock the test moves by hand.
#include "testing/core/Clock.h"

namespace kavr::test {

class FakeClock final : public Clock
{
public:
    qint64 ClockMs() const override { return m_ms; }
    QDateTime now() const override { return m_wall.addMSecs(m_ms - m_start); }

    void advanceMs(qint64 ms) { m_ms += ms; }
    void setWall(const QDateTime &wall) { m_wall = wall; m_start = m_ms; }

private:
    qint64 m_ms = 5'000'000;
    qint64 m_start = 5'000'000;
    QDateTime m_wall{QDate(2026, 12, 7), QTime(14, 5, 9)};
};

} // namespace kavr::test
