// Durations from clock readings: whole milliseconds divided by 1000.
#include "support/FakeClock.h"
#include "testing/core/Clock.h"

#include <QTest>

#include <thread>

using namespace kavr;

class TestClock : public QObject
{
    Q_OBJECT

private slots:
    void secondsSince_data();
    void secondsSince();
    void systemClockIsMonotonicMilliseconds();
};

void TestClock::secondsSince_data()
{
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<double>("seconds");

    QTest::newRow("nothing") << qint64(0) << 0.0;
    QTest::newRow("one millisecond") << qint64(1) << 0.001;
    QTest::newRow("2125 ms") << qint64(2125) << 2.125;
    QTest::newRow("1005 ms") << qint64(1005) << 1.005;
    QTest::newRow("exposure") << qint64(30000) << 30.0;
    QTest::newRow("answer time and a late tick") << qint64(60016) << 60.016;
    QTest::newRow("across a day") << qint64(86'400'000 + 5) << 86400.005;
}

void TestClock::secondsSince()
{
    QFETCH(qint64, elapsedMs);
    QFETCH(double, seconds);

    test::FakeClock clock;
    const qint64 mark = clock.ClockMs();
    clock.advanceMs(elapsedMs);
    QCOMPARE(SecondsSince(clock, mark), seconds);
    // A mark in the future gives a negative duration rather than wrapping.
    QCOMPARE(SecondsSince(clock, mark + 2 * elapsedMs), -seconds);
}

void TestClock::systemClockIsMonotonicMilliseconds()
{
    SystemClock clock;
    const qint64 mark = clock.ClockMs();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const double seconds = SecondsSince(clock, mark);
    QVERIFY2(seconds >= 0.020 && seconds < 5.0, qPrintable(QString::number(seconds)));
    // Whole milliseconds: a thousand times the duration is an integer.
    QCOMPARE(seconds * 1000.0, std::round(seconds * 1000.0));
    QVERIFY(clock.now().isValid());
}

QTEST_GUILESS_MAIN(TestClock)
#include "test_clock.moc"
