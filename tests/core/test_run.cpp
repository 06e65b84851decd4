// The test without its window, on a clock moved by hand: scripted tests whose protocols and
// journals are compared byte for byte with the files kept in tests/golden (KAVR_UPDATE_GOLDEN=1
// writes them instead, for a change that means to alter a format); a journal taken anywhere
// recovers as the protocol the test then saves; steps outside their stage change nothing; the
// placements' times; the variant a set-up takes from the list.
#include "error/KavrError.h"
#include "support/FakeClock.h"
#include "support/GoldenScript.h"
#include "support/TestFiles.h"
#include "support/TestSettings.h"
#include "testing/core/CodePage.h"
#include "testing/core/JournalLine.h"
#include "testing/core/JournalReader.h"
#include "testing/core/JournalRecovery.h"
#include "testing/core/TestRun.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace kavr;
using namespace kavr::test;
using namespace Qt::StringLiterals;

namespace {

// The file compared, or written when asked to.
void Golden(const QString &name, const QByteArray &actual)
{
    const QString path = GoldenDir() + u'/' + name;
    if (qEnvironmentVariable("KAVR_UPDATE_GOLDEN") == u"1"_s) {
        QVERIFY(WriteAll(path, actual));
        return;
    }
    const QByteArray expected = ReadAll(path);
    QVERIFY2(!expected.isEmpty(), qPrintable(path));
    QCOMPARE(actual, expected);
}

// The journal's protocol as the next start in a folder of its own recovers it.
QByteArray Recovered(const QByteArray &journal, const QString &code)
{
    QTemporaryDir next;
    const QString result = next.filePath(u"Result"_s);
    if (!QDir().mkpath(result) || !WriteAll(result + u'/' + JournalFileName(code), journal))
        return {};
    const QStringList recovered =
        RecoverJournals({result, {}}).paths(RecoveryReport::Kind::Recovered);
    return recovered.size() == 1 ? ReadAll(recovered.first()) : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(kavr::test::Script)

class TestRunTest : public QObject
{
    Q_OBJECT
private slots:
    void goldenFiles_data();
    void goldenFiles();
    void recoveredIsWhatTheTestSaves_data();
    void recoveredIsWhatTheTestSaves();
    void stepsOutsideTheirStageChangeNothing();
    void placementsAreTimedFromTheirMark();
    void setUpClearsTheRecords();
    void variantOfTheList_data();
    void variantOfTheList();
};

void TestRunTest::goldenFiles_data()
{
    QTest::addColumn<Script>("script");
    for (const auto &[name, script] : GoldenScripts())
        QTest::newRow(qPrintable(name)) << script;
}

void TestRunTest::goldenFiles()
{
    QFETCH(Script, script);
    const QString row = QString::fromLatin1(QTest::currentDataTag());
    QTemporaryDir dir;
    const QString resultDir = dir.filePath(u"Result"_s);
    const QString protocolPath = resultDir + u'/' + ProtocolFileName(script.code);
    if (script.end == End::SaveRefused)
        QVERIFY(QDir().mkpath(protocolPath)); // a folder the protocol cannot replace
    auto test = std::make_unique<ScriptedRun>(script, resultDir);
    if (script.end == End::TimedOut)
        test->timeOut();
    if (script.end == End::Killed)
        test->clock.advanceMs(777);

    if (script.end == End::AllPlaced || script.end == End::TimedOut) {
        QVERIFY2(test->errors.isEmpty(), qPrintable(test->errors.join(u'\n')));
        Golden(row + u".IM.txt"_s, ReadAll(protocolPath));
        return;
    }
    QCOMPARE(test->errors.size(), script.end == End::SaveRefused ? 1 : 0);
    if (script.end == End::SaveRefused) // the operator is told where the test is kept
        QVERIFY2(test->errors.first().endsWith(
                     u"Тест сохранён в журнале "_s
                     + QDir::toNativeSeparators(test->run().journal()->path())
                     + u"; протокол будет восстановлен при следующем запуске программы"_s),
                 qPrintable(test->errors.first()));
    // What a killed program leaves: the journal, closed without a word.
    const QByteArray journal = ReadAll(resultDir + u'/' + JournalFileName(script.code));
    test.reset();
    if (script.end == End::SaveRefused) { // nothing may follow the end, not even a step in time
        QStringList end = *journal::DecodeLine(
            journal.chopped(1).sliced(journal.lastIndexOf('\n', journal.size() - 2) + 1));
        const QStringList after{journal::LineEvent.toString(),
                                QString::number(end.at(1).toLongLong() + 1), end.at(2),
                                u"строка"_s};
        QVERIFY(ReadJournal(journal).damagedLine == 0);
        QVERIFY(ReadJournal(journal + journal::EncodeLine(after)).damagedLine > 0);
    }
    Golden(row + u".IM.journal"_s, journal);
    // A test that ended recovers as what it would have saved; one killed, as its own file.
    Golden(script.end == End::SaveRefused ? u"complete.IM.txt"_s : row + u".IM.recovered.txt"_s,
           Recovered(journal, script.code));
}

void TestRunTest::recoveredIsWhatTheTestSaves_data()
{
    QTest::addColumn<Script>("script");
    const Script base{u"Сидоров-3"_s, u"Сидоров С.С."_s, 1, RussianSettings(), 5, 17'345, {}, 0,
                      End::TimedOut};
    Script row = base;
    QTest::newRow("answer phase just begun") << row;
    row.placements = {{3, 3, 1'234, 987}, {5, 7, 2'125, 1'003}};
    row.pickedAtEnd = 8;
    row.priorityGranted = false;
    QTest::newRow("two placed, a third picked") << row;
    row = base;
    for (int figure = 1; figure <= 11; ++figure)
        row.placements << Placement{figure,
                                    figure == 4       ? 5
                                        : figure == 5 ? 4
                                                      : figure,
                                    1'000 + 37 * figure, 555};
    QTest::newRow("eleven placed") << row;
    row = base;
    row.placements = {{12, 12, 2'500, 500}};
    row.setUpAgainDuringExposure = true;
    row.priorityGranted = false;
    QTest::newRow("set up again during the exposure") << row;
    row = base;
    row.settings = American();
    row.placements = Paced({{1, 1}, {2, 2}, {3, 3}});
    QTest::newRow("American settings") << row;
}

void TestRunTest::recoveredIsWhatTheTestSaves()
{
    QFETCH(Script, script);
    QTemporaryDir dir;
    const QString resultDir = dir.filePath(u"Result"_s);
    ScriptedRun test(script, resultDir);
    const QByteArray journal = ReadAll(test.run().journal()->path());
    QVERIFY(!journal.isEmpty());

    // Killed here, the journal is all there is; run on, the answer time runs out at this moment.
    test.finish();
    QVERIFY2(test.errors.isEmpty(), qPrintable(test.errors.join(u'\n')));
    const QByteArray saved = ReadAll(test.run().protocolPath());
    QVERIFY(!saved.isEmpty());
    QVERIFY(!QFileInfo::exists(test.run().journal()->path())); // the journal went with the save
    QCOMPARE(Recovered(journal, script.code), saved);
    QCOMPARE(ReadJournal(journal).test->priority,
             script.priorityGranted ? u"granted"_s : u"refused"_s);
    // The same test journaled by the program before the grant was: format 1, read as ever.
    QList<QByteArray> earlier = journal.split('\n');
    earlier.removeIf([](const QByteArray &line) { return line.startsWith("priority\t"); });
    earlier[0] = journal::EncodeLine({journal::EarlierMagic.toString()}).chopped(1);
    QCOMPARE(Recovered(earlier.join('\n'), script.code), saved);
    QCOMPARE(FromWindows1251(saved).count(u"Результаты выполнения теста"_s),
             script.setUpAgainDuringExposure ? 2 : 1);
}

void TestRunTest::stepsOutsideTheirStageChangeNothing()
{
    // Every step tried in every stage: those that do not belong there leave the test as it was.
    QTemporaryDir dir;
    FakeClock clock;
    TestRun run(clock, RussianSettings(), {dir.filePath(u"Result"_s), {}}, {});
    const auto same = [](const TestState &a, const TestState &b) {
        bool choices = true;
        for (int i = 1; i <= FigureCount; ++i)
            choices = choices && a.Choices[i].PanelNo == b.Choices[i].PanelNo
                && a.Choices[i].Time == b.Choices[i].Time
                && a.Choices[i].PictureNo == b.Choices[i].PictureNo;
        return a.Stage == b.Stage && a.SessionOpen == b.SessionOpen && a.ChoiceNo == b.ChoiceNo
            && a.SelectedFigure == b.SelectedFigure && a.MarkTime == b.MarkTime
            && a.ResultLog == b.ResultLog && choices;
    };
    // Which stages (Stage, SessionOpen) each step may change anything in.
    const QList<std::pair<const char *, std::function<bool(TestRun &)>>> steps = {
        {"log-in 0 1", [](TestRun &r) { return r.logIn(); }},
        {"start 2", [](TestRun &r) { return r.start(); }},
        {"answer 3", [](TestRun &r) { return r.beginAnswer(); }},
        {"pick 3-", [](TestRun &r) { return r.pick(4, 4); }},
        {"place 3-", [](TestRun &r) { return r.place(4, 4); }},
    };
    const auto stageName = [](const TestState &s) -> QString {
        return QString::number(s.Stage) + (s.Stage == 3 && !s.SessionOpen ? u"-"_s : QString());
    };
    const std::function<void(TestRun &)> advance[] = {
        [](TestRun &r) { r.open(); },
        [](TestRun &r) { r.logIn(); },
        [](TestRun &r) {
            r.setUp(u"Х-1"_s, u"Х."_s, 0);
            r.instructionShown();
        },
        [](TestRun &r) { r.start(); },
        [](TestRun &r) { r.beginAnswer(); },
        [](TestRun &r) {
            r.stopAnswer();
            r.composeResult();
        },
    };
    int tried = 0;
    for (const auto &go : advance) {
        go(run);
        clock.advanceMs(100);
        const QString stage = stageName(run.state());
        for (const auto &[name, step] : steps) {
            const bool belongs = QString::fromLatin1(name).split(u' ').mid(1).contains(stage);
            if (belongs)
                continue; // its effect is the other tests' business
            // Tried on a copy of this run's state, so that every step meets the same stage.
            // A figure in hand, so that a placement would have something to place.
            TestRun copy(clock, RussianSettings(), run.state());
            copy.pickPractice(4);
            const TestState before = copy.state();
            QVERIFY2(!step(copy), qPrintable(stage + u": "_s + QLatin1String(name)));
            QVERIFY2(same(copy.state(), before), qPrintable(stage + u": "_s + QLatin1String(name)));
            ++tried;
        }
    }
    QCOMPARE(tried, 6 * 5 - 6); // each step belongs in one stage but the log-in, in two
}

void TestRunTest::placementsAreTimedFromTheirMark()
{
    Script script{u"Т-2"_s,
                  u"Т."_s,
                  0,
                  RussianSettings(),
                  9,
                  1'000,
                  {{1, 1, 1'250, 875}, {2, 2, 3'001, 0}},
                  3,
                  End::TimedOut};
    QTemporaryDir dir;
    ScriptedRun test(script, dir.filePath(u"Result"_s));
    const TestState &s = test.run().state();
    QCOMPARE(s.Choices[1].Time, 2.125); // choosing counts too
    QCOMPARE(s.Choices[2].Time, 3.001);
    QCOMPARE(s.MarkTime, test.clock.ClockMs() - 1'234);
    QCOMPARE(s.Choices[3].PictureNo, test.offerPositionOf(3)); // picked, not placed
    test.timeOut();
    // The pick in progress is charged with all the time since the last placement.
    QCOMPARE(s.Choices[3].Time, 60.0 - 2.125 - 3.001);
    QCOMPARE(s.Choices[3].PanelNo, -1);
    QCOMPARE(s.Choices[4].Time, 0.0);
    QCOMPARE(s.AnswerTime, 60.0);
    QCOMPARE(s.Stage, 4);
}

void TestRunTest::setUpClearsTheRecords()
{
    // A set-up run again during the exposure finds records and marks of the first: all go.
    FakeClock clock;
    QTemporaryDir dir;
    TestRun run(clock, RussianSettings(), {dir.filePath(u"Result"_s), {}}, {});
    run.logIn();
    run.setUp(u"Ю-4"_s, u"Ю."_s, 1);
    run.instructionShown();
    run.start();
    run.beginAnswer();
    run.pick(2, 7);
    clock.advanceMs(3'000);
    run.place(5, 7);
    const Permutation first = run.state().KeyOrder;
    const Permutation offer = run.setUp(u"Ю-4"_s, u"Ю."_s, 1);
    run.instructionShown();
    QVERIFY(IsPermutation(run.state().KeyOrder) && IsPermutation(offer));
    for (int i = 1; i <= FigureCount; ++i) {
        QCOMPARE(run.state().Choices[i].Time, 0.0);
        QCOMPARE(run.state().Choices[i].PanelNo, -1);
    }
    QCOMPARE(run.state().SelectedFigure, 0);
    QCOMPARE(run.state().MarkTime, clock.ClockMs());
    QCOMPARE(run.state().Stage, 2);
    QCOMPARE(run.state().ResultLog.size(), 3 + 1 + 3); // headers, instruction, headers again
    QVERIFY(first != run.state().KeyOrder || offer != first); // drawn again
}

void TestRunTest::variantOfTheList_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("variant");
    QTest::newRow("first item") << 0 << u"Вариант A"_s << 0;
    QTest::newRow("second item") << 1 << u"Вариант B"_s << 1;
    QTest::newRow("text typed over the second") << 1 << u"что-то"_s << 0;
    QTest::newRow("Cyrillic В typed over the second") << 1 << u"Вариант В"_s << 0;
    QTest::newRow("second's text with the first selected") << 0 << u"Вариант B"_s << 0;
    QTest::newRow("nothing selected") << -1 << u"Вариант B"_s << 0;
    QTest::newRow("past the list") << VariantCount << u"Вариант B"_s << 0;
}

void TestRunTest::variantOfTheList()
{
    QFETCH(int, selected);
    QFETCH(QString, text);
    QFETCH(int, variant);
    QCOMPARE(TestRun::VariantOfList(selected, text), variant);
}

QTEST_MAIN(TestRunTest)
#include "test_run.moc"
