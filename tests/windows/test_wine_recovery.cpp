// A test cut short on Windows: kavr-im.exe from the zip under Wine, interrupted as a lab's
// machine interrupts it, then started again from the same folder. Either the program's process
// is killed (a crash, the task manager) while the Wine session goes on, or the whole session
// ends (a restart, a log-off): the program started next is then again the session's first and
// gets the very process id the killed one wrote into its lock, so that id tells nothing; only
// whether the lock can be removed does. Either way the start must recover the protocol beside
// the exe, remove the journal and its lock, and name the file after the log-in, and the
// protocol must say what the subject did, row by row, as the Linux kill test checks it.
#include "harness/KillAndRecover.h"
#include "harness/WineProgram.h"
#include "harness/WineSession.h"
#include "harness/XInput.h"
#include "harness/XvfbSession.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kavr::harness;
using namespace Qt::StringLiterals;

class WineRecoveryTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void interruptedTestIsRecovered_data();
    void interruptedTestIsRecovered();
    void cleanupTestCase();

private:
    XvfbSession m_x;
    XInput m_input;
    QTemporaryDir m_root;
    std::unique_ptr<WineSession> m_wine;
    std::unique_ptr<WineProgram> m_run;
    std::unique_ptr<KillAndRecover> m_test;
};

void WineRecoveryTest::initTestCase()
{
    QVERIFY2(m_x.start(), "Xvfb did not start");
    QVERIFY2(m_input.open(m_x.display()), qPrintable(m_input.errorString()));
    QVERIFY(m_root.isValid());
    const QString app = m_root.filePath(u"lab"_s);
    QVERIFY(WineSession::unpack(QStringLiteral(KAVR_WINDOWS_ZIP), app));
    m_wine = std::make_unique<WineSession>(m_x, m_root.path(), QStringLiteral(KAVR_WINDOW_LIST));
    QString why;
    QVERIFY2(m_wine->create(96, &why), qPrintable(why));
    m_run = std::make_unique<WineProgram>(m_x, m_input, *m_wine, app + u"/KAVR.IM/kavr-im.exe"_s);
    // Wine passes X clicks on a little later than the Linux program gets them.
    m_test = std::make_unique<KillAndRecover>(m_x, m_input, *m_run, 0.1, u"wine-"_s);
    QVERIFY2(m_test->startAndLogIn(), qPrintable(m_run->standardError()));
    QVERIFY(!m_test->person().refusalShown());
    QCOMPARE(m_run->resultFiles(), QStringList());
}

void WineRecoveryTest::cleanupTestCase()
{
    if (m_wine)
        m_wine->stop();
}

void WineRecoveryTest::interruptedTestIsRecovered_data()
{
    QTest::addColumn<Interruption>("plan");
    QTest::addColumn<bool>("sessionEnds"); // else the program's process alone is killed

    QTest::newRow("killed during the exposure")
        << Interruption{u"Окно-1"_s, u"Петров П.П."_s, 1, true, {}, {}, 0} << false;
    QTest::newRow("killed after four placements")
        << Interruption{u"Прерв-22"_s, u"Кузнецов В.В."_s, 0, false, {2, 9, 5, 1}, {2, 12, 5, 1}, 0} << false;
    QTest::newRow("session ended after a placement and a pick")
        << Interruption{u"Сеанс-333"_s, u"Орлова Е.Д."_s, 1, false, {7}, {11}, 3} << true;
}

void WineRecoveryTest::interruptedTestIsRecovered()
{
    QFETCH(Interruption, plan);
    QFETCH(bool, sessionEnds);
    if (sessionEnds) {
        // A machine just started: the program is the first of its session.
        m_run->endSession();
        QVERIFY2(m_test->startAndLogIn(), qPrintable(m_run->standardError()));
    }
    m_test->play(plan);
    if (QTest::currentTestFailed())
        return;
    const quint32 killed = m_run->windowsProcessId();
    QVERIFY(killed != 0);
    if (sessionEnds)
        m_run->endSession();
    else
        m_run->kill();
    QVERIFY(!m_run->running());

    // What the start will find: the journal of the test, and the lock that names the process
    // gone.
    const QString journal = plan.code + u".IM.journal"_s;
    const QStringList left = m_run->resultFiles();
    QVERIFY2(left.contains(journal) && left.contains(journal + u".lock"_s), qPrintable(left.join(u", "_s)));
    QFile lock(QDir(m_run->resultDir()).filePath(journal + u".lock"_s));
    QVERIFY(lock.open(QIODevice::ReadOnly));
    const QRegularExpressionMatch pid = QRegularExpression(u"(?m)^pid=(\\d+)$"_s).match(QString::fromUtf8(lock.readAll()));
    QVERIFY2(pid.hasMatch() && pid.captured(1).toUInt() == killed,
             qPrintable(u"the lock names %1, the program was %2"_s.arg(pid.captured(1)).arg(killed)));

    QVERIFY2(m_test->startAndLogIn(), qPrintable(m_run->standardError()));
    // The trap: after the end of a session, the program that finds the lock has the very id
    // the lock names.
    if (sessionEnds)
        QCOMPARE(m_run->windowsProcessId(), killed);
    qInfo("the killed program was process %u, the next is %u", killed, m_run->windowsProcessId());
    m_test->checkRecovered(plan);
}

QTEST_GUILESS_MAIN(WineRecoveryTest)
#include "test_wine_recovery.moc"
