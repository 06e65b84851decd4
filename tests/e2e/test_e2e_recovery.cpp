// The real program under a private X server, killed (SIGKILL) at chosen moments of a test and
// started again on the same folders, as a crash or a power cut would leave it. The start after
// the kill must turn the journal of the test in progress into <code>.IM.recovered.txt, remove
// the journal and its lock, and name the file in the maroon line of the log-in layer; the
// recovered protocol is read back through the report's reader and compared, row by row, with
// what the test did and when (its dated clicks). The rows share one program folder: each runs
// its test on the program the row before started again, so the recovered files add up there.
#include "harness/KillAndRecover.h"
#include "harness/ProgramRun.h"
#include "harness/XInput.h"
#include "harness/XvfbSession.h"

#include <QTest>

using namespace kavr::harness;
using namespace Qt::StringLiterals;

class RecoveryTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void killedTestIsRecovered_data();
    void killedTestIsRecovered();
    void cleanupTestCase();

private:
    XvfbSession m_x;
    XInput m_input;
    ProgramRun m_run{m_x, m_input};
    // How late the program may act on a click the harness dated: its event loop, on a machine
    // shared with other work.
    KillAndRecover m_test{m_x, m_input, m_run, 0.050};
};

void RecoveryTest::initTestCase()
{
    QVERIFY2(m_x.start(), "Xvfb did not start");
    QVERIFY2(m_input.open(m_x.display()), qPrintable(m_input.errorString()));
    QVERIFY(m_run.prepare(QStringLiteral(KAVR_PROGRAM)));
    QVERIFY2(m_test.startAndLogIn(), qPrintable(m_run.standardError()));
    // A new folder: nothing to recover, nothing to tell.
    QVERIFY(!m_test.person().refusalShown());
    QCOMPARE(m_run.resultFiles(), QStringList());
}

void RecoveryTest::cleanupTestCase()
{
    m_run.stop();
}

void RecoveryTest::killedTestIsRecovered_data()
{
    QTest::addColumn<Interruption>("plan");
    QTest::addColumn<bool>("refuseFirst"); // a refused entry before the valid one

    QTest::newRow("during the exposure")
        << Interruption{u"Пр-1"_s, u"Петров П.П."_s, 1, true, {}, {}, 0} << false;
    QTest::newRow("after the first placement")
        << Interruption{u"Пр-22"_s, u"Сидорова А.Б."_s, 0, false, {7}, {7}, 0} << true;
    QTest::newRow("after four placements")
        << Interruption{u"Прерв-333"_s, u"Кузнецов В.В."_s, 1, false, {2, 9, 5, 1}, {2, 12, 5, 1}, 0} << false;
    QTest::newRow("picked, not placed")
        << Interruption{u"ПН4"_s, u"Орлова Е.Д."_s, 0, false, {4, 6, 10}, {11, 6, 10}, 3} << false;
    QTest::newRow("right after the twelfth placement")
        << Interruption{u"Все-12"_s, u"Фёдоров Ю.Ю."_s, 1, false, {12, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
                        {12, 1, 2, 4, 3, 5, 6, 7, 8, 9, 10, 11}, 0} << false;
}

void RecoveryTest::killedTestIsRecovered()
{
    QFETCH(Interruption, plan);
    QFETCH(bool, refuseFirst);
    if (refuseFirst) {
        m_test.refuseEntry(plan.name);
        if (QTest::currentTestFailed())
            return;
    }
    m_test.play(plan);
    if (QTest::currentTestFailed())
        return;
    m_run.kill();
    if (plan.positions.size() < 12) {
        // What the start will find: the journal of the test and the lock of a process gone.
        const QStringList left = m_run.resultFiles();
        QVERIFY2(left.contains(plan.code + u".IM.journal"_s) && left.contains(plan.code + u".IM.journal.lock"_s),
                 qPrintable(left.join(u", "_s)));
    }

    // The start after the kill, and the log-in.
    QVERIFY2(m_test.startAndLogIn(), qPrintable(m_run.standardError()));
    m_test.checkRecovered(plan);
}

QTEST_GUILESS_MAIN(RecoveryTest)
#include "test_e2e_recovery.moc"
