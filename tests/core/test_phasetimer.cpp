// The phase timer: never before its deadline, nearing() and ending() first, one of each and one
// timeout per period counted from the previous deadline, nothing after a stop or once started
// anew.
#include "testing/core/PhaseTimer.h"

#include <QSignalSpy>
#include <QTest>

#include <thread>
#include <vector>

using namespace kavr;
using namespace std::chrono_literals;
using Clock = PhaseTimer::Clock;

class PhaseTimerTest : public QObject
{
    Q_OBJECT

private slots:
    void endsAfterEndingNeverBeforeTheDeadline_data();
    void endsAfterEndingNeverBeforeTheDeadline();
    void repeatsFromEachDeadline();
    void stopOrRestartCancelsThePeriod();
    void stopOnEndingLeavesOutTheTimeout();
    void busyEventLoopGivesOneLateTimeout();
};

void PhaseTimerTest::endsAfterEndingNeverBeforeTheDeadline_data()
{
    QTest::addColumn<int>("ms");
    QTest::newRow("within the last sleep") << 5;
    QTest::newRow("one sleep") << 150;
    QTest::newRow("two sleeps") << 450;
}

void PhaseTimerTest::endsAfterEndingNeverBeforeTheDeadline()
{
    QFETCH(int, ms);
    PhaseTimer timer;
    std::vector<std::pair<char, Clock::time_point>> seen;
    connect(&timer, &PhaseTimer::nearing, this, [&] { seen.emplace_back('n', Clock::now()); });
    connect(&timer, &PhaseTimer::ending, this, [&] { seen.emplace_back('e', Clock::now()); });
    connect(&timer, &PhaseTimer::timeout, this, [&] {
        seen.emplace_back('t', Clock::now());
        timer.stop();
    });
    const Clock::time_point started = Clock::now();
    timer.start(ms);
    QCOMPARE(timer.interval(), ms);
    QVERIFY(timer.isActive());
    QVERIFY(timer.deadline() >= started + std::chrono::milliseconds(ms));
    QTRY_VERIFY_WITH_TIMEOUT(!timer.isActive(), ms + 5000);
    QCOMPARE(seen.size(), 3u);
    QCOMPARE(seen[0].first, 'n');
    QCOMPARE(seen[1].first, 'e');
    QCOMPARE(seen[2].first, 't');
    QVERIFY(seen[1].second < timer.deadline());
    QVERIFY(seen[2].second >= timer.deadline());
}

void PhaseTimerTest::repeatsFromEachDeadline()
{
    PhaseTimer timer;
    QSignalSpy nearings(&timer, &PhaseTimer::nearing);
    std::vector<Clock::time_point> ends, deadlines;
    connect(&timer, &PhaseTimer::timeout, this, [&] {
        ends.push_back(Clock::now());
        deadlines.push_back(timer.deadline());
        if (ends.size() == 2)
            std::this_thread::sleep_for(40ms); // a slow handler does not shift the later periods
        if (ends.size() == 4)
            timer.stop();
    });
    timer.start(60);
    const Clock::time_point first = timer.deadline();
    QTRY_VERIFY_WITH_TIMEOUT(!timer.isActive(), 5000);
    QCOMPARE(ends.size(), 4u);
    QCOMPARE(nearings.count(), 4);
    for (std::size_t k = 0; k < ends.size(); ++k) {
        QVERIFY(deadlines[k] == first + std::chrono::milliseconds(60 * k));
        QVERIFY(ends[k] >= deadlines[k]);
    }
    QTest::qWait(150);
    QCOMPARE(ends.size(), 4u);
}

void PhaseTimerTest::stopOrRestartCancelsThePeriod()
{
    PhaseTimer timer;
    QSignalSpy endings(&timer, &PhaseTimer::ending);
    QSignalSpy timeouts(&timer, &PhaseTimer::timeout);
    timer.start(400);
    QTest::qWait(30);
    timer.stop();
    QVERIFY(!timer.isActive());
    QTest::qWait(500);
    QCOMPARE(endings.count(), 0);
    QCOMPARE(timeouts.count(), 0);

    std::vector<Clock::time_point> ends;
    connect(&timer, &PhaseTimer::timeout, this, [&] {
        ends.push_back(Clock::now());
        timer.stop();
    });
    timer.start(400);
    QTest::qWait(50);
    const Clock::time_point restarted = Clock::now();
    timer.start(120); // the first deadline no longer counts
    QTRY_VERIFY_WITH_TIMEOUT(!timer.isActive(), 5000);
    QTest::qWait(400); // past the first deadline
    QCOMPARE(ends.size(), 1u);
    QVERIFY(ends[0] >= restarted + 120ms);
    QCOMPARE(timer.interval(), 120);
}

void PhaseTimerTest::stopOnEndingLeavesOutTheTimeout()
{
    PhaseTimer timer;
    QSignalSpy timeouts(&timer, &PhaseTimer::timeout);
    connect(&timer, &PhaseTimer::ending, &timer, &PhaseTimer::stop);
    timer.start(40);
    QTRY_VERIFY_WITH_TIMEOUT(!timer.isActive(), 5000);
    QTest::qWait(60);
    QCOMPARE(timeouts.count(), 0);
}

void PhaseTimerTest::busyEventLoopGivesOneLateTimeout()
{
    PhaseTimer timer;
    QSignalSpy endings(&timer, &PhaseTimer::ending);
    std::vector<Clock::time_point> ends;
    connect(&timer, &PhaseTimer::timeout, this, [&] {
        ends.push_back(Clock::now());
        timer.stop();
    });
    timer.start(30);
    std::this_thread::sleep_for(120ms); // the event loop is held up past the deadline
    QTRY_VERIFY_WITH_TIMEOUT(!timer.isActive(), 5000);
    QTest::qWait(60);
    QCOMPARE(ends.size(), 1u);
    QCOMPARE(endings.count(), 1);
    QVERIFY(ends[0] >= timer.deadline());
}

QTEST_GUILESS_MAIN(PhaseTimerTest)
#include "test_phasetimer.moc"
