// Storms of random input over the real program under a private X server, in every stage of a
// test: the log-in, the subject entry, the instruction, the exposure, the answer phase and the
// closing message. Each stage is stormed for its budget, then moved on the way an operator
// would; the exposure and the answer phase are stormed until the program itself ends them.
// Whatever comes, the program must not die, must end a test with exactly one whole protocol
// named after the code given at the set-up, and must write nothing outside its Result folder.
//
// KAVR_STORM_STAGE_SECONDS  budget of the log-in, entry, instruction and closing stages (6)
// KAVR_STORM_MINUTES        keep starting new tests until this much time has passed (0: one)
// KAVR_STORM_SEED           seed of the random input (printed; random when not given)
// KAVR_STORM_REPORT         file the summary is appended to
// KAVR_STORM_SHOTS          folder for a screenshot when a stage does not end
// KAVR_WINDOWS_ZIP, KAVR_WINDOW_LIST
//                           storm kavr-im.exe of this Windows package under Wine instead, each
//                           test from the zip unpacked anew (window-list.exe: the Windows build's)
#include "Storm.h"
#include "harness/Operator.h"
#include "harness/ProgramRun.h"
#include "harness/ProtocolCheck.h"
#include "harness/StageProbe.h"
#include "harness/WineProgram.h"
#include "harness/WineSession.h"
#include "harness/XInput.h"
#include "harness/XvfbSession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <X11/keysym.h>
#include <memory>

using namespace kavr::harness;
using namespace Qt::StringLiterals;
using kavr::test::Storm;

namespace {

const QList<Stage> AllStages = {Stage::LogIn, Stage::SubjectEntry, Stage::Instruction,
                                Stage::Exposure, Stage::Answer, Stage::Finished};
constexpr int PauseMs = 40;

int Setting(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

struct Totals
{
    QMap<Stage, int> actions;        // storm actions sent in each stage
    QMap<QString, int> kinds;        // storm actions by kind
    int tests = 0;                   // tests run to their end
    int protocols = 0;               // protocols checked whole
    int cleanExits = 0;              // exits by the exit button in the entry stages
    int repeatedSetUps = 0;          // protocols with more than one header block
    int placements = 0;              // placements recorded in the protocols
    QStringList codes;
};

} // namespace

class StormTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void escapeInEntryStagesEndsCleanly_data();
    void escapeInEntryStagesEndsCleanly();
    void stormThroughEveryStage();

private:
    // A run of the program in folders of its own, not started yet: the Linux program, or the
    // Windows package unpacked anew.
    std::unique_ptr<ProgramUnderTest> newRun();
    void runTest(int number, Totals &totals);
    void checkNothingWritten(const ProgramUnderTest &run);
    void checkProtocol(const ProgramUnderTest &run, const QString &knownCode, Totals &totals);
    void report(const Totals &totals, qint64 ms);
    QString shot(const QString &name) const;

    XvfbSession m_x;
    XInput m_input;
    quint32 m_seed = 0;
    int m_runs = 0;
    // Under Wine: the session of every run, and the folders of the runs.
    QTemporaryDir m_wineRoot;
    std::unique_ptr<WineSession> m_wine;
};

void StormTest::initTestCase()
{
    QVERIFY2(m_x.start(), "Xvfb did not start");
    QVERIFY2(m_input.open(m_x.display()), "no XTest on the private X server");
    bool given = false;
    m_seed = quint32(qEnvironmentVariableIntValue("KAVR_STORM_SEED", &given));
    if (!given)
        m_seed = QRandomGenerator::global()->bounded(1'000'000u);
    qInfo("storm seed %u (KAVR_STORM_SEED=%u repeats it)", m_seed, m_seed);
    if (!qEnvironmentVariableIsEmpty("KAVR_WINDOWS_ZIP")) {
        QVERIFY(m_wineRoot.isValid());
        m_wine = std::make_unique<WineSession>(m_x, m_wineRoot.path(), qEnvironmentVariable("KAVR_WINDOW_LIST"));
        QString why;
        QVERIFY2(m_wine->create(96, &why), qPrintable(why));
        qInfo("the Windows package under Wine: %s", qPrintable(qEnvironmentVariable("KAVR_WINDOWS_ZIP")));
    }
}

std::unique_ptr<ProgramUnderTest> StormTest::newRun()
{
    ++m_runs;
    if (m_wine) {
        const QString folder = m_wineRoot.filePath(u"lab-%1"_s.arg(m_runs));
        if (!WineSession::unpack(qEnvironmentVariable("KAVR_WINDOWS_ZIP"), folder))
            return nullptr;
        return std::make_unique<WineProgram>(m_x, m_input, *m_wine, folder + u"/KAVR.IM/kavr-im.exe"_s);
    }
    auto run = std::make_unique<ProgramRun>(m_x, m_input);
    if (!run->prepare(QStringLiteral(KAVR_PROGRAM)))
        return nullptr;
    if (m_runs == 1)
        qInfo("the program runs as %s", run->ownUser() ? "a user of its own" : "the test's user");
    return run;
}

void StormTest::checkNothingWritten(const ProgramUnderTest &run)
{
    const QStringList written = run.outsideWrites();
    QVERIFY2(written.isEmpty(), qPrintable(QStringLiteral("written outside Result: ") + written.join(QStringLiteral(", "))));
}

void StormTest::checkProtocol(const ProgramUnderTest &run, const QString &knownCode, Totals &totals)
{
    const QStringList files = run.resultFiles();
    QVERIFY2(files.size() == 1, qPrintable(QStringLiteral("Result holds: ") + files.join(QStringLiteral(", "))));
    const QString name = files.first();
    QVERIFY2(name.endsWith(QLatin1String(".IM.txt")), qPrintable(name));
    const QString code = name.chopped(7);
    QFile file(QDir(run.resultDir()).filePath(name));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const ProtocolReport protocol = ProtocolCheck::check(bytes, code);
    const QString shown = QStringLiteral("\n--- ") + name + QStringLiteral(":\n")
        + QString(QStringDecoder("windows-1251")(bytes));
    QVERIFY2(protocol.problems.isEmpty(), qPrintable(protocol.problems.join(QLatin1Char('\n')) + shown));
    // The keys typed after the set-up never reach the code.
    QVERIFY2(knownCode.isEmpty() || code == knownCode,
             qPrintable(QStringLiteral("named %1, set up as %2").arg(code, knownCode) + shown));
    ++totals.protocols;
    totals.placements += protocol.placed;
    totals.repeatedSetUps += protocol.headerBlocks > 1 ? 1 : 0;
    totals.codes << code;
}

void StormTest::runTest(int number, Totals &totals)
{
    const int stageMs = Setting("KAVR_STORM_STAGE_SECONDS", 6) * 1000;
    const std::unique_ptr<ProgramUnderTest> program = newRun();
    QVERIFY(program);
    ProgramUnderTest &run = *program;
    QVERIFY2(run.start(), qPrintable(run.standardError()));
    Operator person(m_x, m_input, run);
    Storm storm(m_input, run.origin(), run.clientSize(), m_seed + quint32(number), totals.kinds);
    storm.setFrameKeysLeftOut(m_wine != nullptr);
    // Every other test the operator's code is the one set up, so that the protocol's name is
    // known beforehand; in the others the storm's own typing may become the code.
    storm.setEntryMayEnd(number % 2 == 1);
    // And every other test ends by the answer time, the others mostly by the twelfth placement.
    storm.setPicksSeldom(number % 2 == 0);
    const QString knownCode = QStringLiteral("storm-%1").arg(number + 1);
    QString enteredCode;

    QMap<Stage, qint64> spent;
    QMap<Stage, int> failedAdvances;
    Stage stage = person.stage();
    QList<TopLevel> windows = run.otherWindows();
    QElapsedTimer visit, probeClock, total;
    visit.start();
    probeClock.start();
    total.start();
    QString path = StageName(stage);
    QString title = run.mainTitle();
    for (;;) {
        QVERIFY2(total.elapsed() < 8 * 60 * 1000, qPrintable(QStringLiteral("one test took too long: ") + path));
        if (!run.running()) {
            // The exit button (focused and pressed by Space) may end the entry stages; nothing
            // else may end the program.
            const bool entry = stage == Stage::LogIn || stage == Stage::SubjectEntry;
            QVERIFY2(entry && run.waitForCleanExit(0),
                     qPrintable(QStringLiteral("the program %1 in stage %2 (%3)\n%4")
                                    .arg(run.exitDescription(), StageName(stage), path, run.standardError())));
            QVERIFY(QDir(run.resultDir()).isEmpty());
            checkNothingWritten(run);
            ++totals.cleanExits;
            QVERIFY2(totals.cleanExits < 20, "the entry stages keep ending");
            QVERIFY(run.start());
            stage = person.stage();
            path += QStringLiteral(" > exit > ") + StageName(stage);
            visit.restart();
            continue;
        }
        if (probeClock.elapsed() >= 400) {
            probeClock.restart();
            const Stage now = person.stage();
            // A set-up and F1 may both fall between two looks; the title tells the set-up.
            const QString nowTitle = run.mainTitle();
            if (now != stage || nowTitle != title) {
                path += (now == stage ? QStringLiteral(" > set up again > ") : QStringLiteral(" > ")) + StageName(now);
                stage = now;
                title = nowTitle;
                visit.restart();
            }
            windows = run.otherWindows();
            const QList<TopLevel> boxes = run.messageBoxes();
            QVERIFY2(boxes.isEmpty(), qPrintable(QStringLiteral("a message box in stage %1").arg(StageName(stage))));
            const qint64 limit = stage == Stage::Exposure ? 45'000 : stage == Stage::Answer ? 75'000 : -1;
            if (limit > 0 && visit.elapsed() > limit)
                QFAIL(qPrintable(QStringLiteral("the %1 does not end (%2; screen in %3)\n%4")
                                     .arg(StageName(stage), path, shot(QStringLiteral("stuck")), run.backtrace())));
        }

        const bool timed = stage == Stage::Exposure || stage == Stage::Answer;
        if (timed || spent[stage] < stageMs) {
            QElapsedTimer step;
            step.start();
            storm.act(stage, windows);
            ++totals.actions[stage];
            QTest::qWait(PauseMs);
            spent[stage] += step.elapsed();
            continue;
        }

        // The budget is spent: move on as the operator or the subject would, once the program
        // has caught up with the storm.
        QTest::qWait(800);
        if (stage == Stage::LogIn) {
            person.logIn();
        } else if (stage == Stage::SubjectEntry) {
            person.settle();
            person.fillCode(knownCode);
            person.fillName(QStringLiteral("Stormov S.S."));
            person.pressEnter();
            if (person.stage() == Stage::Instruction)
                enteredCode = knownCode;
        } else if (stage == Stage::Instruction) {
            person.startTest();
        } else {
            break; // finished, and its closing message stormed
        }
        probeClock.restart();
        const Stage now = person.stage();
        if (now == stage && ++failedAdvances[stage] >= 5)
            QFAIL(qPrintable(QStringLiteral("the %1 cannot be left (%2; screen in %3)")
                                 .arg(StageName(stage), path, shot(QStringLiteral("stuck")))));
        if (now != stage) {
            path += QStringLiteral(" > ") + StageName(now);
            stage = now;
            visit.restart();
        }
        title = run.mainTitle();
    }
    qInfo("test %d: %s", number + 1, qPrintable(path));

    // The operator closes the window; the program ends normally.
    person.settle();
    run.requestClose();
    QVERIFY2(run.waitForCleanExit(15'000),
             qPrintable(QStringLiteral("at close the program %1\n%2").arg(run.exitDescription(), run.standardError())));
    ++totals.tests;
    checkProtocol(run, enteredCode, totals);
    checkNothingWritten(run);
}

void StormTest::escapeInEntryStagesEndsCleanly_data()
{
    QTest::addColumn<bool>("loggedIn");
    QTest::newRow("log-in") << false;
    QTest::newRow("subject entry") << true;
}

void StormTest::escapeInEntryStagesEndsCleanly()
{
    QFETCH(bool, loggedIn);
    const std::unique_ptr<ProgramUnderTest> program = newRun();
    QVERIFY(program);
    ProgramUnderTest &run = *program;
    QVERIFY2(run.start(), qPrintable(run.standardError()));
    Operator person(m_x, m_input, run);
    if (loggedIn) {
        person.logIn();
        QCOMPARE(person.stage(), Stage::SubjectEntry);
        person.fillCode(QStringLiteral("abc"));
    } else {
        QCOMPARE(person.stage(), Stage::LogIn);
    }
    person.clickNowhere();
    m_input.key(XK_Escape);
    QVERIFY2(run.waitForCleanExit(10'000), qPrintable(run.exitDescription()));
    QVERIFY(QDir(run.resultDir()).isEmpty());
    checkNothingWritten(run);
}

void StormTest::stormThroughEveryStage()
{
    const qint64 minutes = Setting("KAVR_STORM_MINUTES", 0);
    Totals totals;
    QElapsedTimer clock;
    clock.start();
    for (int number = 0; number == 0 || clock.elapsed() < minutes * 60'000; ++number) {
        runTest(number, totals);
        if (QTest::currentTestFailed()) {
            report(totals, clock.elapsed());
            return;
        }
    }
    report(totals, clock.elapsed());
    for (Stage stage : AllStages)
        QVERIFY2(totals.actions.value(stage) > 0, qPrintable(QStringLiteral("the storm never reached stage ") + StageName(stage)));
}

QString StormTest::shot(const QString &name) const
{
    const QString folder = qEnvironmentVariable("KAVR_STORM_SHOTS", QDir::tempPath());
    return m_x.saveScreenshot(folder, QStringLiteral("storm-%1-%2").arg(name).arg(m_seed));
}

void StormTest::report(const Totals &totals, qint64 ms)
{
    QStringList lines;
    lines << QStringLiteral("storm seed %1, %2 s, %3 tests run to their end, %4 protocols whole, %5 clean exits in the entry stages")
                 .arg(m_seed).arg(ms / 1000).arg(totals.tests).arg(totals.protocols).arg(totals.cleanExits);
    lines << QStringLiteral("input sent: %1 clicks (a double click counts 2), %2 keys").arg(m_input.clicks()).arg(m_input.keys());
    QStringList stages;
    for (Stage stage : AllStages)
        stages << QStringLiteral("%1 %2").arg(StageName(stage)).arg(totals.actions.value(stage));
    lines << QStringLiteral("storm actions by stage: ") + stages.join(QStringLiteral(", "));
    QStringList kinds;
    for (auto it = totals.kinds.cbegin(); it != totals.kinds.cend(); ++it)
        kinds << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
    lines << QStringLiteral("storm actions by kind: ") + kinds.join(QStringLiteral(", "));
    lines << QStringLiteral("protocols: codes %1; %2 placements; %3 with a repeated set-up")
                 .arg(totals.codes.join(QStringLiteral(", "))).arg(totals.placements).arg(totals.repeatedSetUps);
    for (const QString &line : lines)
        qInfo("%s", qPrintable(line));
    const QString path = qEnvironmentVariable("KAVR_STORM_REPORT");
    QFile file(path);
    if (!path.isEmpty() && file.open(QIODevice::Append | QIODevice::Text))
        file.write((lines.join(QLatin1Char('\n')) + QStringLiteral("\n\n")).toUtf8());
}

QTEST_GUILESS_MAIN(StormTest)
#include "test_storm.moc"
