// Protocols read back: the golden files kept with the tests, and files the program's own code
// wrote (complete, time-out, set up twice, set up again after the start, nothing placed,
// Cyrillic codes) give back their figures; converted files are still read; damaged and cut
// files are refused at the right line.
#include "report/read/ProtocolReader.h"
#include "support/GoldenScript.h"
#include "support/ScriptedTest.h"
#include "support/TestFiles.h"
#include "testing/core/CodePage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace kavr;
using namespace kavr::report;
using namespace kavr::test;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(kavr::test::ScriptedTest)

namespace {

using Mutation = std::function<void(QStringList &lines)>;

// The protocol's lines changed, saved the program's way.
QByteArray Mutated(const Mutation &mutate)
{
    QStringList lines = CompleteTest().lines();
    mutate(lines);
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += *ToWindows1251(line) + "\r\n";
    return bytes;
}

void CompareRecords(const ProtocolRecord &actual, const ProtocolRecord &expected)
{
    QCOMPARE(actual.code, expected.code);
    QCOMPARE(actual.name, expected.name);
    QCOMPARE(actual.dateTime, expected.dateTime);
    QCOMPARE(actual.setUps, expected.setUps);
    QCOMPARE(actual.instructionSeconds, expected.instructionSeconds);
    QCOMPARE(actual.finishTime, expected.finishTime);
    QCOMPARE(actual.variant, expected.variant);
    QCOMPARE(actual.answerSeconds, expected.answerSeconds);
    QCOMPARE(actual.score.placed, expected.score.placed);
    QCOMPARE(actual.score.correct, expected.score.correct);
    QCOMPARE(actual.score.wrong, expected.score.wrong);
    QCOMPARE(actual.score.missing, expected.score.missing);
    QCOMPARE(actual.score.mean, expected.score.mean);
    QCOMPARE(actual.score.sd, expected.score.sd);
    QCOMPARE(actual.score.cv, expected.score.cv);
    for (int i = 1; i <= 12; ++i) {
        const ChoiceRecord &a = actual.choices[i];
        const ChoiceRecord &e = expected.choices[i];
        QCOMPARE(a.Time, e.Time);
        QCOMPARE(a.PanelNo, e.PanelNo);
        QCOMPARE(a.Key, e.Key);
        QCOMPARE(a.PictureNo, e.PictureNo);
        QCOMPARE(a.Answer, e.Answer);
    }
}

} // namespace

class TestProtocolReader : public QObject
{
    Q_OBJECT

private slots:
    void readsWhatTheProgramWrote_data();
    void readsWhatTheProgramWrote();
    void readsTheGoldenProtocols();
    void manySetUps();
    void convertedFiles_data();
    void convertedFiles();
    void refusals_data();
    void refusals();
    void cutAtEveryLine();
    void cutAtEveryByte();
    void fileLevelRefusals();
};

void TestProtocolReader::readsWhatTheProgramWrote_data()
{
    QTest::addColumn<ScriptedTest>("test");
    QTest::newRow("complete, Russian settings") << CompleteTest();
    QTest::newRow("time-out, American settings") << TimeOutTest();
    QTest::newRow("set up twice before the start") << TwiceSetUpTest();
    QTest::newRow("set up again after the start") << SetUpAgainAfterStartTest();
    QTest::newRow("nothing placed") << NothingPlacedTest();
    QTest::newRow("Cyrillic code") << CyrillicCodeTest();
    ScriptedTest spreadWide = CompleteTest();
    spreadWide.choices[1].Time = 41.0; // one slow placement among quick ones: V of three digits
    QTest::newRow("V of 100 % and more") << spreadWide;
}

void TestProtocolReader::readsWhatTheProgramWrote()
{
    QFETCH(ScriptedTest, test);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = test.save(dir.filePath(u"Result"_s));
    QCOMPARE(QFileInfo(path).fileName(), test.code + u".IM.txt"_s);

    const ReadOutcome outcome = ReadProtocolFile(path);
    QVERIFY2(outcome.record,
             qPrintable(
                 QStringLiteral("line %1: %2").arg(outcome.error.line).arg(outcome.error.message)));
    QCOMPARE(outcome.record->path, path);
    CompareRecords(*outcome.record, test.expected());
}

// The about box's OK can run the set-up any number of times before the start.
void TestProtocolReader::readsTheGoldenProtocols()
{
    // The protocols kept as files, not the writer's output of today: a reader that drifts from
    // the format they hold fails here. What they hold is what the scripted test recorded.
    int read = 0;
    for (const auto &[name, script] : GoldenScripts()) {
        if (script.end == End::SaveRefused)
            continue; // its protocol is complete's
        const bool killed = script.end == End::Killed;
        const QString file = GoldenDir() + u'/' + name
            + (killed ? u".IM.recovered.txt"_s : u".IM.txt"_s);
        const ReadOutcome outcome = ReadProtocolFile(file);
        QVERIFY2(outcome.record, qPrintable(file + u": "_s + outcome.error.message));
        const ProtocolRecord &record = *outcome.record;
        QTemporaryDir dir;
        ScriptedRun test(script, dir.path());
        if (script.end == End::TimedOut)
            test.timeOut();
        if (killed)
            test.finish(); // recovered as the answer time running out at the last event
        const TestState &state = test.run().state();
        QCOMPARE(record.recovered, killed);
        QCOMPARE(record.code, script.code);
        QCOMPARE(record.name, script.name);
        QCOMPARE(record.variant, test.run().variantText());
        QCOMPARE(record.answerSeconds, std::round(state.AnswerTime));
        QCOMPARE(record.score.placed, ScoreChoices(state.Choices).placed);
        for (int i = 1; i <= FigureCount; ++i) {
            const ChoiceRecord &got = record.choices[i];
            const ChoiceRecord &made = state.Choices[i];
            QCOMPARE(got.Time, std::round(made.Time * 100) / 100);
            QCOMPARE(got.PanelNo, made.PanelNo);
            QCOMPARE(got.Key, made.Key);
            QCOMPARE(got.PictureNo, made.PictureNo);
            QCOMPARE(got.Answer, made.Answer);
        }
        ++read;
    }
    QCOMPARE(read, 3);
}

void TestProtocolReader::manySetUps()
{
    ScriptedTest test = TwiceSetUpTest();
    test.setUps = 5;
    const ReadOutcome outcome = ReadProtocol(test.bytes());
    QVERIFY(outcome.record);
    QCOMPARE(outcome.record->setUps, 5);
    QCOMPARE(outcome.record->name, test.name);
    QCOMPARE(outcome.record->dateTime, u"07.12.2026 14:05:09"_s);
}

void TestProtocolReader::convertedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray original = CompleteTest().bytes();
    const QString text = FromWindows1251(original);
    QByteArray lf = original;
    lf.replace("\r\n", "\n");
    QTest::newRow("as written") << original;
    QTest::newRow("LF line ends") << lf;
    QTest::newRow("last line end missing") << original.chopped(2);
    QTest::newRow("blank lines at the end") << original + "\r\n  \r\n";
    QTest::newRow("UTF-8") << text.toUtf8();
    QTest::newRow("UTF-8 with BOM") << "\xEF\xBB\xBF" + text.toUtf8();
}

void TestProtocolReader::convertedFiles()
{
    QFETCH(QByteArray, bytes);
    const ReadOutcome outcome = ReadProtocol(bytes);
    QVERIFY2(outcome.record, qPrintable(outcome.error.message));
    CompareRecords(*outcome.record, CompleteTest().expected());
}

void TestProtocolReader::refusals_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("message"); // a part of it

    auto replace = [](int line, const QString &from, const QString &to) -> Mutation {
        return [=](QStringList &lines) {
            QVERIFY2(lines[line - 1].contains(from), qPrintable(lines[line - 1]));
            lines[line - 1].replace(from, to);
        };
    };
    auto add = [](QByteArray bytes) { return bytes; };

    QTest::newRow("empty file") << QByteArray() << 0 << u"empty"_s;
    QTest::newRow("not a protocol") << add("name;score\r\nx;1\r\n") << 1 << u"title"_s;
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << 1 << u"title"_s;
    QTest::newRow("code line differs")
        << Mutated([](QStringList &l) { l[2] = u"Иванов-02"_s; }) << 3 << u"differs"_s;
    QTest::newRow("subject line garbled")
        << Mutated(replace(2, u"  Имя: "_s, u" Имя: "_s)) << 2 << u"code, name and date"_s;
    QTest::newRow("instruction line missing")
        << Mutated([](QStringList &l) { l.removeAt(3); }) << 4 << u"instruction time"_s;
    QTest::newRow("finish line garbled")
        << Mutated(replace(5, u"окончания"_s, u"окончание"_s)) << 5 << u"finish time"_s;
    QTest::newRow("variant line garbled")
        << Mutated(replace(6, u"экспозиции  30"_s, u"экспозиции 30"_s)) << 6 << u"variant"_s;
    QTest::newRow("N[+] disagrees with the marks")
        << Mutated(replace(7, u"N[+] = 9,  N[-] = 3"_s, u"N[+] = 10,  N[-] = 2"_s)) << 7
        << u"do not agree"_s;
    QTest::newRow("N[0] out of range")
        << Mutated(replace(7, u"N[0] = 0"_s, u"N[0] = 13"_s)) << 7 << u"out of range"_s;
    QTest::newRow("V without per-cent sign")
        << Mutated(replace(8, u"%"_s, u"#"_s)) << 8 << u"Tcp, SD and V"_s;
    QTest::newRow("Tcp line garbled") << Mutated(replace(9, u","_s, u""_s)) << 9 << u"Tcp"_s;
    QTest::newRow("SD line missing")
        << Mutated([](QStringList &l) { l.removeAt(9); }) << 10 << u"SD line"_s;
    QTest::newRow("column titles changed")
        << Mutated(replace(11, u"Ключ"_s, u"Ключи"_s)) << 11 << u"column titles"_s;
    QTest::newRow("rows swapped") << Mutated([](QStringList &l) { l.swapItemsAt(13, 14); }) << 14
                                  << u"placement number 4 where 3 belongs"_s;
    QTest::newRow("panel out of range")
        << Mutated(replace(12, u"        5     7"_s, u"       13     7"_s)) << 12 << u"panel 13"_s;
    QTest::newRow("mark disagrees with key and answer")
        << Mutated(replace(14, u"    -"_s, u"    +"_s)) << 14 << u"does not agree"_s;
    QTest::newRow("letter in a row")
        << Mutated(replace(16, u"10,88"_s, u"10,8B"_s)) << 16 << u"row of placement 5"_s;
    QTest::newRow("text after the last row")
        << Mutated([](QStringList &l) { l << QString() << u"подпись"_s; }) << 25
        << u"after the twelfth row"_s;
    QTest::newRow("line too long")
        << Mutated([](QStringList &l) { l[1] += QString(5000, u'x'); }) << 2 << u"longer than"_s;
}

void TestProtocolReader::refusals()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, line);
    QFETCH(QString, message);
    const ReadOutcome outcome = ReadProtocol(bytes);
    QVERIFY(!outcome.record);
    QCOMPARE(outcome.error.line, line);
    QVERIFY2(outcome.error.message.contains(message), qPrintable(outcome.error.message));
}

// A file cut after any whole line is refused, naming its last line and saying it is cut short.
void TestProtocolReader::cutAtEveryLine()
{
    const QStringList lines = TwiceSetUpTest().lines();
    QCOMPARE(lines.size(), 26);
    for (int kept = 1; kept < lines.size(); ++kept) {
        QByteArray bytes;
        for (int i = 0; i < kept; ++i)
            bytes += *ToWindows1251(lines.at(i)) + "\r\n";
        const ReadOutcome outcome = ReadProtocol(bytes);
        QVERIFY2(!outcome.record, qPrintable(QString::number(kept)));
        QCOMPARE(outcome.error.line, kept);
        QVERIFY2(outcome.error.message.contains(u"cut short"_s), qPrintable(outcome.error.message));
    }
}

// Wherever a copy stops, what is left is never taken for a whole protocol (only the final
// line end may go missing), and the message says the file is cut short.
void TestProtocolReader::cutAtEveryByte()
{
    for (const ScriptedTest &test : {CompleteTest(), TimeOutTest(), NothingPlacedTest()}) {
        const QByteArray bytes = test.bytes();
        for (qsizetype size = 0; size < bytes.size() - 2; ++size) {
            const ReadOutcome outcome = ReadProtocol(bytes.first(size));
            QVERIFY2(!outcome.record,
                     qPrintable(QStringLiteral("%1 of %2 bytes of %3")
                                    .arg(size)
                                    .arg(bytes.size())
                                    .arg(test.code)));
            QVERIFY(outcome.error.line >= 0 && outcome.error.line <= 23);
            QVERIFY2(outcome.error.message.contains(size == 0 ? u"empty"_s : u"cut short"_s),
                     qPrintable(QStringLiteral("%1 bytes: line %2: %3")
                                    .arg(size)
                                    .arg(outcome.error.line)
                                    .arg(outcome.error.message)));
        }
    }
}

void TestProtocolReader::fileLevelRefusals()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const ReadOutcome missing = ReadProtocolFile(dir.filePath(u"gone.IM.txt"_s));
    QVERIFY(!missing.record);
    QCOMPARE(missing.error.line, 0);
    QVERIFY(missing.error.message.startsWith(u"cannot be opened"_s));

    QFile large(dir.filePath(u"large.IM.txt"_s));
    QVERIFY(large.open(QIODevice::WriteOnly));
    const QByteArray protocol = CompleteTest().bytes();
    QVERIFY(large.write(protocol + QByteArray(MaxProtocolBytes, ' ')) > MaxProtocolBytes);
    large.close();
    const ReadOutcome tooLarge = ReadProtocolFile(large.fileName());
    QVERIFY(!tooLarge.record);
    QCOMPARE(tooLarge.error.line, 0);
    QVERIFY(tooLarge.error.message.contains(u"larger than"_s));
}

QTEST_GUILESS_MAIN(TestProtocolReader)
#include "test_protocolreader.moc"
