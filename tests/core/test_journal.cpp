// The journal of a test in progress and its recovery at start-up, without a window: a journal
// cut or damaged anywhere (a line is taken only whole), two journals of one code side by side,
// and the recovery's cases (a torn last line, a protocol saved after all, a code recovered
// before, a journal that cannot be read, a journal in a fallback folder, a lock left without
// its journal).
#include "testing/core/CodePage.h"
#include "testing/core/JournalLine.h"
#include "testing/core/JournalReader.h"
#include "testing/core/JournalRecovery.h"
#include "testing/core/Protocol.h"
#include "testing/core/TestJournal.h"
#include "support/TestFiles.h"
#include "support/TestSettings.h"

#include <QDir>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kavr;
using namespace kavr::test;
using namespace Qt::StringLiterals;

namespace {

const QString Code = u"Петров-12"_s;
const QDateTime SetUp(QDate(2026, 12, 7), QTime(14, 5, 9));
constexpr qint64 AnswerStartMs = 31'000;

// A test of three placements (the third wrong) and a fourth figure picked, journaled into dir
// with the program's own writer; returns the journal's path. The journal stays, as after a kill.
QString WriteJournal(const QString &dir, const QString &instruction = u"Время изучения инструкции  12 сек"_s)
{
    TestJournal journal{TestJournal::FileSync()};
    QStringList lines = protocol::HeaderLines(Code, u"Петров П.П."_s, SetUp, RussianSettings());
    lines << instruction;
    if (!journal.begin({dir, {}}, Code, RussianSettings(), lines, u"Вариант B"_s, 1'000,
                       SetUp.addSecs(12)))
        return {};
    journal.answerBegan(AnswerStartMs, SetUp.addSecs(42));
    qint64 ms = AnswerStartMs;
    for (int i = 1; i <= 4; ++i) {
        ChoiceRecord record;
        record.PictureNo = i;
        record.Answer = i + 1;
        ms += 1'500;
        journal.pick(i, record, ms, SetUp.addMSecs(ms + 11'000));
        if (i == 4)
            break;
        ms += 1'250;
        record.PanelNo = 13 - i;
        record.Key = i == 3 ? 7 : i + 1;
        record.Time = 2.75;
        journal.place(i, record, ms, SetUp.addMSecs(ms + 11'000));
    }
    return journal.path();
}

// Where the journal's last line begins.
qsizetype LastLineStart(const QByteArray &bytes)
{
    return bytes.lastIndexOf('\n', bytes.size() - 2) + 1;
}

QStringList Entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList ProtocolOf(const QByteArray &journal)
{
    const JournalReadOutcome read = ReadJournal(journal);
    return read.test ? read.test->protocolLines() : QStringList{u"unreadable: "_s + read.error};
}

enum class Damage { None, CutInLastLine, LastLineOverwritten, ZerosAfterEnd, MiddleLine, CutInFirstLine,
                    NotAJournal, RecordOutOfTurn };
enum class Recovery { TornLastLine, AlreadySaved, OtherTestSaved, RecoveredBefore, JournalOutlivedRecovery,
                       Unreadable, InFallback };

} // namespace

class TestJournalRecovery : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void wholeJournalGivesTheTestsState();
    void damagedJournal_data();
    void damagedJournal();
    void twoJournalsOfOneCodeStayApart();
    void recovery_data();
    void recovery();
    void lockWithoutJournal();
    void noticeNamesAtMostThree();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_result, m_fallback;
};

void TestJournalRecovery::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_result = m_dir->filePath(u"Result"_s);
    m_fallback = m_dir->filePath(u"home"_s);
    QVERIFY(QDir().mkpath(m_fallback));
}

void TestJournalRecovery::wholeJournalGivesTheTestsState()
{
    const QString path = WriteJournal(m_result);
    QCOMPARE(path, m_result + u'/' + Code + u".IM.journal"_s);
    const JournalReadOutcome read = ReadJournal(ReadAll(path));
    QVERIFY2(read.test, qPrintable(read.error));
    const InterruptedTest &t = *read.test;
    QCOMPARE(t.code, Code);
    QCOMPARE(t.choiceNo, 4);
    QCOMPARE(t.choices[3].PanelNo, 10);
    QCOMPARE(t.choices[4].PictureNo, 4);
    QCOMPARE(t.choices[4].PanelNo, -1);
    // As a time-out at the last pick: 9.75 s of answer time, 1.5 s for the figure in hand.
    const QStringList lines = t.protocolLines();
    QCOMPARE(lines.size(), 23);
    QCOMPARE(lines.at(1), u"Код: Петров-12  Имя: Петров П.П.  Дата ПФО: 07.12.2026 14:05:09"_s);
    QCOMPARE(lines.at(3), u"Время изучения инструкции  12 сек"_s);
    QCOMPARE(lines.at(4), u"Время окончания теста : 14:06:00"_s);
    QCOMPARE(lines.at(5), u"Вариант B. Время экспозиции  30 сек. Время для ответа  60 сек."_s);
    QCOMPARE(lines.at(6), u"T ответа =  10 сек,  N[+] = 2,  N[-] = 1,  N[0] = 9"_s);
    QCOMPARE(lines.at(13), u"       3       2,75       10     7         3     4    -"_s);
    QCOMPARE(lines.at(14), u"       4       1,50       -1     0         4     5     "_s);
    QCOMPARE(lines.at(15), u"       5       0,00       -1     0         0     0     "_s);
}

void TestJournalRecovery::damagedJournal_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<bool>("lastEventLost");
    QTest::newRow("whole") << Damage::None << true << false;
    QTest::newRow("cut inside the last line") << Damage::CutInLastLine << true << true;
    QTest::newRow("last line overwritten") << Damage::LastLineOverwritten << true << true;
    QTest::newRow("zeros after the end, as a power cut leaves them") << Damage::ZerosAfterEnd << true << false;
    QTest::newRow("a line in the middle damaged") << Damage::MiddleLine << false << false;
    QTest::newRow("cut inside the first line") << Damage::CutInFirstLine << false << false;
    QTest::newRow("not a journal") << Damage::NotAJournal << false << false;
    QTest::newRow("a record out of turn") << Damage::RecordOutOfTurn << false << false;
}

void TestJournalRecovery::damagedJournal()
{
    QFETCH(Damage, damage);
    QFETCH(bool, readable);
    QFETCH(bool, lastEventLost);
    const QByteArray whole = ReadAll(WriteJournal(m_result));
    const qsizetype last = LastLineStart(whole);
    QList<QByteArray> variants; // every cut of a line, where the damage is a cut
    switch (damage) {
    case Damage::None: variants << whole; break;
    case Damage::CutInLastLine:
        for (qsizetype cut = last + 1; cut < whole.size(); ++cut)
            variants << whole.first(cut);
        break;
    case Damage::LastLineOverwritten: variants << whole.first(last) + QByteArray(whole.size() - last - 1, '#') + '\n'; break;
    case Damage::ZerosAfterEnd: variants << whole + QByteArray(4096, '\0'); break;
    case Damage::MiddleLine: {
        QByteArray changed = whole;
        changed[whole.indexOf("place")] = 'P';
        variants << changed;
        break;
    }
    case Damage::CutInFirstLine:
        for (qsizetype cut = 1; cut < whole.indexOf('\n'); ++cut)
            variants << whole.first(cut);
        break;
    case Damage::NotAJournal: variants << "Результаты выполнения теста\r\n"_ba; break;
    case Damage::RecordOutOfTurn:
        variants << whole + journal::EncodeLine({u"place"_s, u"50000"_s, SetUp.toString(Qt::ISODateWithMs),
                                                 u"6"_s, u"1"_s, u"1"_s, u"1.5"_s});
        break;
    }
    const QStringList expected = ProtocolOf(lastEventLost ? whole.first(last) : whole);
    for (const QByteArray &bytes : variants) {
        const JournalReadOutcome read = ReadJournal(bytes);
        QCOMPARE(bool(read.test), readable);
        if (readable)
            QCOMPARE(read.test->protocolLines(), expected);
        else
            QVERIFY(!read.error.isEmpty());
    }
}

void TestJournalRecovery::twoJournalsOfOneCodeStayApart()
{
    // Two workstations testing subjects of one code into one shared folder.
    TestJournal first{TestJournal::FileSync()}, second{TestJournal::FileSync()};
    const QStringList lines{u"первый"_s}, other{u"второй"_s};
    QVERIFY(first.begin({m_result, {}}, Code, RussianSettings(), lines, u"Вариант A"_s, 1, SetUp));
    QVERIFY(second.begin({m_result, {}}, Code, RussianSettings(), other, u"Вариант A"_s, 1, SetUp));
    QCOMPARE(first.path(), m_result + u'/' + Code + u".IM.journal"_s);
    QCOMPARE(second.path(), m_result + u'/' + Code + u" (2).IM.journal"_s);
    // A third starting up leaves journals alone while their tests run.
    const RecoveryReport running = RecoverJournals({m_result, {}});
    QVERIFY(running.recovered.isEmpty() && running.unreadable.isEmpty() && running.removed.isEmpty());
    first.answerBegan(10, SetUp);
    second.variant(u"Вариант B"_s, 20, SetUp);
    QCOMPARE(ReadJournal(ReadAll(first.path())).test->lines, lines);
    QCOMPARE(ReadJournal(ReadAll(second.path())).test->lines, other);
    QCOMPARE(ReadJournal(ReadAll(second.path())).test->variant, u"Вариант B"_s);
    // Once the first has saved its protocol only the second's journal and lock are left.
    first.discard();
    QCOMPARE(Entries(m_result), (QStringList{Code + u" (2).IM.journal"_s, Code + u" (2).IM.journal.lock"_s}));
}

void TestJournalRecovery::recovery_data()
{
    QTest::addColumn<Recovery>("situation");
    QTest::addColumn<QString>("recovered"); // the file written, empty for none
    QTest::addColumn<bool>("journalStays");
    const QString first = Code + u".IM.recovered.txt"_s;
    QTest::newRow("a torn last line") << Recovery::TornLastLine << first << false;
    QTest::newRow("protocol saved after all") << Recovery::AlreadySaved << QString() << false;
    QTest::newRow("protocol of another test of the code") << Recovery::OtherTestSaved << first << false;
    QTest::newRow("a code recovered before") << Recovery::RecoveredBefore << Code + u" (2).IM.recovered.txt"_s << false;
    QTest::newRow("recovered, but the journal not yet removed") << Recovery::JournalOutlivedRecovery << QString() << false;
    QTest::newRow("a journal that cannot be read") << Recovery::Unreadable << QString() << true;
    QTest::newRow("a journal in a fallback folder") << Recovery::InFallback << first << false;
}

void TestJournalRecovery::recovery()
{
    QFETCH(Recovery, situation);
    QFETCH(QString, recovered);
    QFETCH(bool, journalStays);
    const SaveTarget target{m_result, {m_fallback}};
    const QString journal = WriteJournal(situation == Recovery::InFallback ? m_fallback : m_result);
    QByteArray bytes = ReadAll(journal);
    const QByteArray earlier = "an earlier recovered protocol\r\n";
    switch (situation) {
    case Recovery::TornLastLine: bytes.chop(7); break;
    case Recovery::AlreadySaved: SaveProtocol(target, Code, ProtocolOf(bytes)); break;
    case Recovery::OtherTestSaved:
        SaveProtocol(target, Code, ProtocolOf(ReadAll(WriteJournal(m_dir->path(), u"Время изучения инструкции  13 сек"_s))));
        break;
    case Recovery::RecoveredBefore: QVERIFY(WriteAll(m_result + u'/' + Code + u".IM.recovered.txt"_s, earlier)); break;
    case Recovery::JournalOutlivedRecovery:
        QVERIFY(WriteAll(m_result + u'/' + Code + u".IM.recovered.txt"_s, earlier));
        SaveRecoveredProtocol(target, Code, ProtocolOf(bytes));
        break;
    case Recovery::Unreadable: bytes[bytes.indexOf("answer")] = 'A'; break;
    case Recovery::InFallback: break;
    }
    QVERIFY(WriteAll(journal, bytes));
    const QStringList before = Entries(m_result);

    const RecoveryReport report = RecoverJournals(target);
    QCOMPARE(QFileInfo::exists(journal), journalStays);
    QVERIFY(!QFileInfo::exists(journal + u".lock"_s));
    if (journalStays) {
        QCOMPARE(ReadAll(journal), bytes);
        QCOMPARE(report.unreadable, QStringList{journal});
        QCOMPARE(report.noticeLines(m_result),
                 QStringList{u"Не удалось восстановить протокол из журнала: "_s + QDir::toNativeSeparators(journal)});
    }
    QStringList expected = before;
    if (!journalStays)
        expected.removeAll(QFileInfo(journal).fileName());
    if (recovered.isEmpty()) {
        QVERIFY(report.recovered.isEmpty());
        QCOMPARE(Entries(m_result), expected);
        QCOMPARE(report.removed, journalStays ? QStringList() : QStringList{journal});
        return;
    }
    const QString path = m_result + u'/' + recovered;
    QCOMPARE(report.recovered, QStringList{path});
    QCOMPARE(report.noticeLines(m_result), QStringList{u"Восстановлен протокол прерванного теста: "_s + recovered});
    // The protocol as the program would have saved it at the journal's last whole event.
    const QByteArray saved = ReadAll(path);
    QCOMPARE(saved, EncodeProtocol(ProtocolOf(bytes)));
    QVERIFY(saved.startsWith(EncodeProtocol(protocol::HeaderLines(Code, u"Петров П.П."_s, SetUp, RussianSettings()))));
    if (situation == Recovery::RecoveredBefore)
        QCOMPARE(ReadAll(m_result + u'/' + Code + u".IM.recovered.txt"_s), earlier);
    // Nothing else is left: no temporary file, no lock, the journal gone.
    expected << recovered;
    QStringList after = Entries(m_result);
    expected.sort();
    after.sort();
    QCOMPARE(after, expected);
}

void TestJournalRecovery::lockWithoutJournal()
{
    // Stopped between removing the journal and unlocking: a lock of a process that is gone.
    QVERIFY(QDir().mkpath(m_result));
    const QString orphan = m_result + u'/' + Code + u".IM.journal.lock"_s;
    QByteArray contents;
    {
        QLockFile own(orphan);
        QVERIFY(own.tryLock(0));
        contents = ReadAll(orphan);
    }
    contents.replace(0, contents.indexOf('\n'), "2147483646"); // no such process
    QVERIFY(WriteAll(orphan, contents));
    // A test just begun elsewhere: its lock taken, its journal not yet written.
    const QString live = m_fallback + u'/' + Code + u" (2).IM.journal.lock"_s;
    QLockFile running(live);
    QVERIFY(running.tryLock(0));

    const RecoveryReport report = RecoverJournals({m_result, {m_fallback}});
    QVERIFY(report.recovered.isEmpty() && report.unreadable.isEmpty() && report.removed.isEmpty());
    QCOMPARE(Entries(m_result), QStringList());
    QCOMPARE(Entries(m_fallback), QStringList{QFileInfo(live).fileName()});
}

void TestJournalRecovery::noticeNamesAtMostThree()
{
    RecoveryReport report;
    for (const char *name : {"1", "2", "3", "4"})
        report.recovered << m_result + u'/' + QString::fromLatin1(name) + u".IM.recovered.txt"_s;
    report.unreadable << m_fallback + u"/5.IM.journal"_s;
    QCOMPARE(report.noticeLines(m_result),
             (QStringList{u"Восстановлен протокол прерванного теста: 1.IM.recovered.txt"_s,
                          u"Восстановлен протокол прерванного теста: 2.IM.recovered.txt"_s,
                          u"Восстановлен протокол прерванного теста: 3.IM.recovered.txt"_s,
                          u"и ещё 2"_s}));
    report.recovered = QStringList{m_fallback + u"/1.IM.recovered.txt"_s}; // outside Result: the whole path
    QCOMPARE(report.noticeLines(m_result).first(),
             u"Восстановлен протокол прерванного теста: "_s + QDir::toNativeSeparators(report.recovered.first()));
}

QTEST_GUILESS_MAIN(TestJournalRecovery)
#include "test_journal.moc"
