// The journal of a test in progress and its recovery at start-up, without a window: a journal
// cut or damaged anywhere (a line is taken only whole), two journals of one code side by side,
// and the recovery's cases (a torn last line, a protocol saved after all, a code recovered
// before, a journal that cannot be read, a journal in a fallback folder, a lock left without
// its journal).
#include "error/KavrError.h"
#include "platform/files/FileLock.h"
#include "support/FakeClock.h"
#include "support/JournalTool.h"
#include "support/TestFiles.h"
#include "support/TestSettings.h"
#include "testing/core/CodePage.h"
#include "testing/core/JournalLine.h"
#include "testing/core/JournalReader.h"
#include "testing/core/JournalRecovery.h"
#include "testing/core/Protocol.h"
#include "testing/core/SubjectEntryCheck.h"
#include "testing/core/TestJournal.h"
#include "testing/core/TestRun.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <atomic>
#include <cerrno>
#include <memory>
#include <thread>
#include <vector>

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

enum class Damage {
    None,
    CutInLastLine,
    LastLineOverwritten,
    ZerosAfterEnd,
    MiddleLine,
    CutInFirstLine,
    OnlyZeros,
    NotAJournal,
    RecordOutOfTurn,
    ExtremeTime,
    HostileCode,
    UnknownVariant
};
// What a reader makes of it: the whole test, the test without its last event, the test up to a
// damaged line, a test stopped as it began, nothing.
enum class Read { Whole, LastEventLost, UpToDamage, Empty, Unreadable };
// The launcher of a journal step that sees Result as a workstation sees a network share of that
// kind (support/share_shim.cpp); with a machine given, the step runs as on that one.
QStringList OnShare(const QByteArray &kind, const QString &machine = {})
{
    const QString sanitizer = qEnvironmentVariable("ASAN_OPTIONS");
    QStringList launcher{u"env"_s, u"LD_PRELOAD="_s + QString::fromUtf8(KAVR_SHARE_SHIM), u"KAVR_SHARE="_s + QString::fromLatin1(kind),
                         u"ASAN_OPTIONS="_s + sanitizer + (sanitizer.isEmpty() ? u""_s : u":"_s) + u"verify_asan_link_order=0"_s};
    if (!machine.isEmpty())
        launcher << u"KAVR_BOOT_ID="_s + machine;
    return launcher;
}

// Flips one bit inside line n (from 1) of a journal.
QByteArray FlipBitInLine(QByteArray bytes, int n)
{
    qsizetype start = 0;
    for (int i = 1; i < n; ++i)
        start = bytes.indexOf('\n', start) + 1;
    bytes[start + 1] = char(bytes.at(start + 1) ^ 0x04);
    return bytes;
}

enum class Recovery {
    TornLastLine,
    AlreadySaved,
    OtherTestSaved,
    RecoveredBefore,
    JournalOutlivedRecovery,
    Unreadable,
    InFallback,
    DamagedInTheMiddle,
    LastLineDamaged,
    LaterVersion,
    Empty,
    Stopped
};

} // namespace

class TestJournalRecovery : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void damagedJournal_data();
    void damagedJournal();
    void twoJournalsOfOneCodeStayApart();
    void recovery_data();
    void recovery();
    void damagedJournalIsNeverRemoved_data();
    void damagedJournalIsNeverRemoved();
    void longestAcceptedCodeIsJournaledAndRecovered();
    void locksOfLiveAndGoneOwners();
    void lockKilledAsItWasGivenBack();
    void liveTestElsewhereIsNamed();
    void readOnlyLockAndJournalAreTaken();
    void lockIsHeldFromItsName();
    void abandonedJournalOnAShare_data();
    void abandonedJournalOnAShare();
    void liveOwnersLockIsNeverTaken_data();
    void liveOwnersLockIsNeverTaken();
    void ownerKeepsItsLockBeating_data();
    void ownerKeepsItsLockBeating();
    void sweepTouchesOnlyWhatTheProgramLeft();
    void protocolWhereTheStartEmptiesItHoldsNothing();
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

void TestJournalRecovery::damagedJournal_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<Read>("read");
    QTest::newRow("whole") << Damage::None << Read::Whole;
    QTest::newRow("cut inside the last line") << Damage::CutInLastLine << Read::LastEventLost;
    // A whole line, as a power cut may leave it: read up to it, and kept.
    QTest::newRow("last line overwritten") << Damage::LastLineOverwritten << Read::UpToDamage;
    QTest::newRow("zeros after the end, as a power cut leaves them") << Damage::ZerosAfterEnd << Read::Whole;
    QTest::newRow("a line in the middle damaged") << Damage::MiddleLine << Read::UpToDamage;
    QTest::newRow("a record out of turn") << Damage::RecordOutOfTurn << Read::UpToDamage;
    QTest::newRow("a clock reading no test reaches") << Damage::ExtremeTime << Read::UpToDamage;
    QTest::newRow("cut inside the first line") << Damage::CutInFirstLine << Read::Empty;
    QTest::newRow("only zeros, as a power cut right after F1 leaves it") << Damage::OnlyZeros << Read::Empty;
    QTest::newRow("not a journal") << Damage::NotAJournal << Read::Unreadable;
    QTest::newRow("a code that cannot name a file") << Damage::HostileCode << Read::Unreadable;
    // A variant added later, whose journal only a program that knows it can recover.
    QTest::newRow("a variant this program does not know")
        << Damage::UnknownVariant << Read::Unreadable;
}

void TestJournalRecovery::damagedJournal()
{
    QFETCH(Damage, damage);
    QFETCH(Read, read);
    const QByteArray whole = ReadAll(WriteJournal(m_result));
    const qsizetype last = LastLineStart(whole);
    const qsizetype firstPlace = whole.indexOf("place");
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
        changed[firstPlace] = 'P';
        variants << changed;
        break;
    }
    case Damage::CutInFirstLine:
        for (qsizetype cut = 1; cut < whole.indexOf('\n'); ++cut)
            variants << whole.first(cut) << whole.first(cut) + QByteArray(300, '\0');
        variants << whole.first(whole.indexOf('\n') + 1) + "start\t3";
        break;
    case Damage::OnlyZeros: variants << QByteArray() << QByteArray(whole.size(), '\0'); break;
    case Damage::NotAJournal: variants << "Результаты выполнения теста\r\n"_ba; break;
    case Damage::RecordOutOfTurn:
        variants << whole + journal::EncodeLine({u"place"_s, u"50000"_s, SetUp.toString(Qt::ISODateWithMs),
                                                 u"6"_s, u"1"_s, u"1"_s, u"1.5"_s});
        break;
    case Damage::ExtremeTime:
        variants << whole + journal::EncodeLine({u"place"_s, u"9223372036854775807"_s, SetUp.toString(Qt::ISODateWithMs),
                                                 u"4"_s, u"1"_s, u"5"_s, u"1.5"_s});
        break;
    case Damage::UnknownVariant:
        variants << whole
                + journal::EncodeLine({u"variant"_s, u"50000"_s, SetUp.toString(Qt::ISODateWithMs),
                                       u"Вариант C"_s});
        break;
    case Damage::HostileCode: {
        QByteArray changed = whole;
        const qsizetype start = whole.indexOf('\n') + 1;
        const qsizetype end = whole.indexOf('\n', start) + 1;
        QStringList fields = *journal::DecodeLine(QByteArrayView(whole).sliced(start, end - start - 1));
        fields[3] = u"../../Общее/Иванов"_s;
        variants << changed.replace(start, end - start, journal::EncodeLine(fields));
        break;
    }
    }
    const qsizetype damagedAt = damage == Damage::MiddleLine
        ? whole.lastIndexOf('\n', firstPlace) + 1
        : damage == Damage::LastLineOverwritten ? last
                                                : whole.size();
    const QByteArray upTo = read == Read::LastEventLost ? whole.first(last)
                                                        : whole.first(damagedAt);
    const QStringList expected = ProtocolOf(upTo);
    for (const QByteArray &bytes : variants) {
        const JournalReadOutcome outcome = ReadJournal(bytes);
        QCOMPARE(bool(outcome.test), read == Read::Whole || read == Read::LastEventLost || read == Read::UpToDamage);
        QCOMPARE(outcome.empty, read == Read::Empty);
        QCOMPARE(outcome.damagedLine > 0, read == Read::UpToDamage);
        QCOMPARE(outcome.newer, damage == Damage::UnknownVariant);
        if (outcome.test)
            QCOMPARE(outcome.test->protocolLines(), expected);
        else
            QVERIFY(!outcome.error.isEmpty());
        if (read == Read::UpToDamage)
            QCOMPARE(outcome.damagedLine, int(bytes.first(damagedAt).count('\n') + 1));
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
    // A third starting up leaves journals alone while their tests run, and names them: two
    // workstations may bear one name.
    const RecoveryReport running = RecoverJournals({m_result, {}});
    QCOMPARE(running.paths(RecoveryReport::Kind::Undecided),
             (QStringList{second.path(), first.path()})); // by name
    QCOMPARE(running.entries.size(), 2);
    QVERIFY(running.removed.isEmpty());
    first.answerBegan(10, SetUp);
    second.variant(u"Вариант B"_s, 20, SetUp);
    QCOMPARE(ReadJournal(ReadAll(first.path())).test->state.ResultLog, lines);
    QCOMPARE(ReadJournal(ReadAll(second.path())).test->state.ResultLog, other);
    QCOMPARE(ReadJournal(ReadAll(second.path())).test->state.VariantIndex, 1);
    // Once the first has saved its protocol only the second's journal and lock are left.
    first.discard();
    QCOMPARE(Entries(m_result), (QStringList{Code + u" (2).IM.journal"_s, Code + u" (2).IM.journal.lock"_s}));
}

void TestJournalRecovery::recovery_data()
{
    QTest::addColumn<Recovery>("situation");
    QTest::addColumn<QString>("recovered"); // the file written, empty for none
    QTest::addColumn<QString>("journalLeft"); // what is left of the journal, empty for nothing
    QTest::addColumn<QString>("notice");      // the operator's line, %1 the journal's path
    const QString first = Code + u".IM.recovered.txt"_s;
    const QString journal = Code + u".IM.journal"_s;
    const QString recoveredLine = u"Восстановлен протокол прерванного теста: "_s + first;
    QTest::newRow("a torn last line") << Recovery::TornLastLine << first << QString() << recoveredLine;
    QTest::newRow("protocol saved after all") << Recovery::AlreadySaved << QString() << QString() << QString();
    QTest::newRow("protocol of another test of the code") << Recovery::OtherTestSaved << first << QString() << recoveredLine;
    QTest::newRow("a code recovered before") << Recovery::RecoveredBefore << Code + u" (2).IM.recovered.txt"_s
                                             << QString() << u"Восстановлен протокол прерванного теста: "_s + Code + u" (2).IM.recovered.txt"_s;
    // The start that recovered it was stopped before it could tell: the next one tells.
    QTest::newRow("recovered, but the journal not yet removed")
        << Recovery::JournalOutlivedRecovery << Code + u" (2).IM.recovered.txt"_s << QString()
        << u"Восстановлен протокол прерванного теста: "_s + Code + u" (2).IM.recovered.txt"_s;
    QTest::newRow("a journal that cannot be read") << Recovery::Unreadable << QString() << journal
                                                   << u"Не удалось восстановить протокол из журнала: %1"_s;
    QTest::newRow("a journal in a fallback folder") << Recovery::InFallback << first << QString() << recoveredLine;
    QTest::newRow("damaged in the middle: recovered up to it, kept beside")
        << Recovery::DamagedInTheMiddle << first << journal + u".damaged"_s
        << u"Восстановлен протокол прерванного теста до строки 7 журнала, дальше журнал повреждён (он сохранён как "_s
               + journal + u".damaged): "_s + first;
    QTest::newRow("its last whole line damaged: recovered up to it, kept beside")
        << Recovery::LastLineDamaged << first << journal + u".damaged"_s
        << u"Восстановлен протокол прерванного теста до строки 14 журнала, дальше журнал повреждён (он сохранён как "_s
            + journal + u".damaged): "_s + first;
    QTest::newRow("a later version's journal: left, and why")
        << Recovery::LaterVersion << QString() << journal
        << u"Не удалось восстановить протокол из журнала: %1 (журнал записан более новой версией программы)"_s;
    QTest::newRow("the program closing: left for the next start")
        << Recovery::Stopped << QString() << journal
        << u"Ещё журналов: 1; они будут разобраны при следующем запуске"_s;
    QTest::newRow("nothing but a start cut short: removed, and said")
        << Recovery::Empty << QString() << QString() << u"Тест прерван в самом начале, журнал пуст и удалён: "_s + journal;
}

void TestJournalRecovery::recovery()
{
    QFETCH(Recovery, situation);
    QFETCH(QString, recovered);
    QFETCH(QString, journalLeft);
    QFETCH(QString, notice);
    const SaveTarget target{m_result, {m_fallback}};
    const QString journal = WriteJournal(situation == Recovery::InFallback ? m_fallback : m_result);
    QByteArray bytes = ReadAll(journal);
    QByteArray readable = bytes; // what recovery can make out of it
    const QByteArray earlier = "an earlier recovered protocol\r\n";
    switch (situation) {
    case Recovery::TornLastLine: bytes.chop(7); readable = bytes; break;
    case Recovery::AlreadySaved: SaveProtocol(target, Code, ProtocolOf(bytes)); break;
    case Recovery::OtherTestSaved:
        SaveProtocol(target, Code, ProtocolOf(ReadAll(WriteJournal(m_dir->path(), u"Время изучения инструкции  13 сек"_s))));
        break;
    case Recovery::RecoveredBefore: QVERIFY(WriteAll(m_result + u'/' + Code + u".IM.recovered.txt"_s, earlier)); break;
    case Recovery::JournalOutlivedRecovery:
        QVERIFY(WriteAll(m_result + u'/' + Code + u".IM.recovered.txt"_s, earlier));
        SaveRecoveredProtocol(target, Code, ProtocolOf(bytes));
        break;
    case Recovery::Unreadable: bytes[bytes.indexOf("KAVR")] = 'k'; break;
    case Recovery::InFallback: break;
    case Recovery::DamagedInTheMiddle:
        bytes[bytes.indexOf("answer")] = 'A';
        readable = bytes.first(bytes.lastIndexOf('\n', bytes.indexOf("Answer")) + 1);
        break;
    case Recovery::LastLineDamaged:
        readable = bytes.first(LastLineStart(bytes));
        bytes = readable + QByteArray(bytes.size() - readable.size() - 1, '#') + '\n';
        break;
    case Recovery::LaterVersion:
        bytes.replace(0, bytes.indexOf('\n') + 1, journal::EncodeLine({u"KAVR.IM journal 3"_s}));
        break;
    case Recovery::Empty: bytes = bytes.first(bytes.indexOf('\n') + 3); break;
    case Recovery::Stopped: break;
    }
    QVERIFY(WriteAll(journal, bytes));
    const QStringList before = Entries(m_result);

    const std::atomic<bool> stop = situation == Recovery::Stopped;
    const RecoveryReport report = RecoverJournals(target, &stop);
    const QString left = journalLeft.isEmpty() ? QString() : QFileInfo(journal).absolutePath() + u'/' + journalLeft;
    QVERIFY(!QFileInfo::exists(journal + u".lock"_s));
    QCOMPARE(QFileInfo::exists(journal), left == journal);
    if (!left.isEmpty())
        QCOMPARE(ReadAll(left), bytes); // kept as found, for whoever maintains the program
    QCOMPARE(report.noticeLines(m_result), notice.isEmpty() ? QStringList() : QStringList{QString(notice).replace(u"%1"_s, QFileInfo(journal).fileName())});
    QStringList expected = before;
    expected.removeAll(QFileInfo(journal).fileName());
    if (!left.isEmpty() && QFileInfo(left).absolutePath() == QFileInfo(m_result).absoluteFilePath())
        expected << QFileInfo(left).fileName();
    if (!recovered.isEmpty()) {
        // The protocol as the program would have saved it at the journal's last whole event.
        const QByteArray saved = ReadAll(m_result + u'/' + recovered);
        QCOMPARE(saved, EncodeProtocol(ProtocolOf(readable)));
        QVERIFY(saved.startsWith(EncodeProtocol(protocol::HeaderLines(Code, u"Петров П.П."_s, SetUp, RussianSettings()))));
        if (!expected.contains(recovered))
            expected << recovered;
    }
    QCOMPARE(report.removed,
             situation == Recovery::AlreadySaved ? QStringList{journal} : QStringList());
    if (situation == Recovery::RecoveredBefore)
        QCOMPARE(ReadAll(m_result + u'/' + Code + u".IM.recovered.txt"_s), earlier);
    // Nothing else is left: no temporary file, no lock.
    QStringList after = Entries(m_result);
    expected.sort();
    after.sort();
    QCOMPARE(after, expected);
}

void TestJournalRecovery::damagedJournalIsNeverRemoved_data()
{
    QTest::addColumn<int>("line");         // the line with a bit flipped
    QTest::addColumn<bool>("earlier");     // a protocol of the code with the same title and subject
    QTest::addColumn<bool>("damagedTaken"); // "<journal>.damaged" is there already
    QTest::addColumn<bool>("recovered");   // a protocol is recovered up to the damage
    for (bool earlier : {false, true}) {
        const char *protocol = earlier ? ", an earlier protocol of the code" : "";
        QTest::addRow("magic line%s", protocol) << 1 << earlier << false << false;
        QTest::addRow("start line%s", protocol) << 2 << earlier << false << false;
        QTest::addRow("title line%s", protocol) << 3 << earlier << false << true;
        QTest::addRow("subject line%s", protocol) << 4 << earlier << false << true;
        QTest::addRow("code line%s", protocol) << 5 << earlier << false << true;
    }
    QTest::newRow("a line in the middle, its .damaged name taken") << 7 << false << true << true;
}

void TestJournalRecovery::damagedJournalIsNeverRemoved()
{
    QFETCH(int, line);
    QFETCH(bool, earlier);
    QFETCH(bool, damagedTaken);
    QFETCH(bool, recovered);
    const SaveTarget target{m_result, {}};
    const QString journal = WriteJournal(m_result);
    const QByteArray damaged = FlipBitInLine(ReadAll(journal), line);
    QVERIFY(WriteAll(journal, damaged));
    if (earlier)
        SaveProtocol(target, Code, ProtocolOf(ReadAll(WriteJournal(m_dir->path(), u"Время изучения инструкции  13 сек"_s))));
    const QByteArray before = "a journal kept before\n";
    if (damagedTaken)
        QVERIFY(WriteAll(journal + u".damaged"_s, before));
    const QString kept = recovered ? journal + (damagedTaken ? u" (2).damaged"_s : u".damaged"_s) : journal;

    // However often the program starts, the journal's bytes stay, and the operator is told.
    for (int start = 1; start <= 2; ++start) {
        const RecoveryReport report = RecoverJournals(target);
        QCOMPARE(ReadAll(kept), damaged);
        QVERIFY(report.removed.isEmpty());
        const QString name = QFileInfo(kept).fileName();
        if (start == 1 || !recovered)
            QVERIFY2(report.noticeLines(m_result).join(u'\n').contains(name), qPrintable(name));
    }
    if (damagedTaken)
        QCOMPARE(ReadAll(journal + u".damaged"_s), before);
    QCOMPARE(QFileInfo::exists(m_result + u'/' + Code + u".IM.recovered.txt"_s), recovered);
    QVERIFY(!QFileInfo::exists(m_result + u'/' + Code + u" (2).IM.recovered.txt"_s));
}

void TestJournalRecovery::longestAcceptedCodeIsJournaledAndRecovered()
{
    // The longest code the entry takes: every name made of it fits a file system's 255 bytes.
    QString code = u"Ж"_s.repeated(100);
    while (!CheckSubjectCode(code + u'x'))
        code += u'x';
    QCOMPARE(LongestFileNameBytes(code), 255);
    QVERIFY(CheckSubjectCode(code + u'x'));
    TestJournal first{TestJournal::FileSync()}, second{TestJournal::FileSync()};
    const QStringList lines{u"строка"_s};
    QVERIFY(first.begin({m_result, {}}, code, RussianSettings(), lines, u"Вариант A"_s, 1, SetUp));
    // The longest journal name of all: the 99th, for the last of many tests of one code.
    for (int n = 2; n <= TestJournal::MaxJournalNumber; ++n)
        QVERIFY(WriteAll(m_result + u'/' + JournalFileName(code, n) + u".lock"_s, {}));
    QVERIFY(QFile::remove(m_result + u'/' + JournalFileName(code, TestJournal::MaxJournalNumber) + u".lock"_s));
    QVERIFY(second.begin({m_result, {}}, code, RussianSettings(), lines, u"Вариант B"_s, 1, SetUp));
    QCOMPARE(QFileInfo(second.path()).fileName(), JournalFileName(code, TestJournal::MaxJournalNumber));
    second.answerBegan(2, SetUp);
    const QByteArray journal = ReadAll(second.path());
    QVERIFY(ReadJournal(journal).test);
    QCOMPARE(SaveRecoveredProtocol({m_result, {}}, code, ReadJournal(journal).test->protocolLines()),
             m_result + u'/' + code + u".IM.recovered.txt"_s);
}

void TestJournalRecovery::locksOfLiveAndGoneOwners()
{
    QVERIFY(QDir().mkpath(m_result));
    // A lock left by a program that was killed: its owner gone, whatever process id it names.
    const QString orphan = m_result + u'/' + Code + u".IM.journal.lock"_s;
    QVERIFY(JournalTool::run({u"lock"_s, orphan}).ok);
    QVERIFY(QFileInfo::exists(orphan));
    // A test that has just begun elsewhere: its lock taken, its journal not yet written.
    const QString live = m_fallback + u'/' + Code + u" (2).IM.journal.lock"_s;
    const JournalTool running({u"hold-lock"_s, live});
    QVERIFY(running.ready());
    // A killed test's journal beside a live one's.
    const QString killed = JournalTool::run({u"journal"_s, m_fallback, Code, u"5"_s}).lines.value(0);
    QCOMPARE(killed, m_fallback + u'/' + Code + u".IM.journal"_s);
    const QString liveJournal = m_fallback + u'/' + Code + u" (2).IM.journal"_s;
    QVERIFY(WriteAll(liveJournal, ReadAll(killed)));

    const RecoveryReport report = RecoverJournals({m_result, {m_fallback}});
    QCOMPARE(report.paths(RecoveryReport::Kind::Recovered), QStringList{m_result + u'/' + Code + u".IM.recovered.txt"_s});
    QCOMPARE(report.paths(RecoveryReport::Kind::Undecided), QStringList{liveJournal});
    QCOMPARE(report.entries.size(), 2);
    QCOMPARE(Entries(m_result), QStringList{Code + u".IM.recovered.txt"_s});
    QCOMPARE(Entries(m_fallback),
             (QStringList{QFileInfo(liveJournal).fileName(), QFileInfo(live).fileName()}));
    // Five placed, the fourth wrong, the sixth figure in hand.
    QVERIFY(FromWindows1251(ReadAll(report.paths(RecoveryReport::Kind::Recovered).first()))
                .contains(u"N[+] = 4,  N[-] = 1,  N[0] = 7"_s));
}

void TestJournalRecovery::lockKilledAsItWasGivenBack()
{
    if (QByteArrayView(KAVR_SHARE_SHIM).isEmpty())
        QSKIP("Windows gives a lock back at its own name");
    // A lock is given back through a temporary name of its owner's: a kill between the rename
    // and the removal leaves it there. A killed program's goes at the next start, a live one's
    // stays.
    QVERIFY(QDir().mkpath(m_result));
    const QString killed = m_result + u"/.Иванов.IM.journal.lock.0badf00d.tmp"_s;
    QVERIFY(JournalTool::run({u"lock"_s, killed}).ok);
    const QString releasing = m_fallback + u"/.Иванов.IM.journal.lock.5eed5eed.tmp"_s;
    const JournalTool owner({u"hold-lock"_s, releasing});
    QVERIFY(owner.ready());
    QVERIFY(RecoverJournals({m_result, {m_fallback}}).entries.isEmpty());
    QCOMPARE(Entries(m_result), QStringList());
    QCOMPARE(Entries(m_fallback), QStringList{QFileInfo(releasing).fileName()});
}

void TestJournalRecovery::liveTestElsewhereIsNamed()
{
    if (QByteArrayView(KAVR_SHARE_SHIM).isEmpty())
        QSKIP("a held lock is rewritten here through another handle, which Windows refuses");
    // A test running on another workstation, its lock held (a share that passes locks on, or a
    // file server that still holds a powered-off workstation's handle).
    QVERIFY(QDir().mkpath(m_result));
    const QString journal = JournalTool::run({u"journal"_s, m_result, Code, u"2"_s}).lines.value(0);
    const QString lock = journal + u".lock"_s;
    QVERIFY(QFile::remove(lock));
    const JournalTool owner({u"hold-lock"_s, lock});
    QVERIFY(owner.ready());
    QByteArray contents = ReadAll(lock);
    const qsizetype host = contents.indexOf("host=") + 5;
    contents.replace(host, contents.indexOf('\n', host) - host, "ЛАБ-3");
    QFile file(lock);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents) == contents.size());
    file.close();
    const RecoveryReport report = RecoverJournals({m_result, {}});
    QCOMPARE(report.noticeLines(m_result),
             QStringList{u"Журнал оставлен: тест, возможно, ещё идёт на рабочем месте ЛАБ-3: "_s + QFileInfo(journal).fileName()});
    QVERIFY(QFileInfo::exists(journal));
}

void TestJournalRecovery::readOnlyLockAndJournalAreTaken()
{
    // A lab that protects Result's files, or restored Result from read-only media: a killed
    // test's lock and journal read-only (Windows: the attribute).
    QVERIFY(QDir().mkpath(m_result));
    const QString journal = JournalTool::run({u"journal"_s, m_result, Code, u"5"_s}).lines.value(0);
    for (const QString &file : QStringList{journal, journal + u".lock"_s})
        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    const RecoveryReport report = RecoverJournals({m_result, {}});
    QCOMPARE(report.paths(RecoveryReport::Kind::Recovered), QStringList{m_result + u'/' + Code + u".IM.recovered.txt"_s});
    QCOMPARE(Entries(m_result), QStringList{Code + u".IM.recovered.txt"_s});
}

void TestJournalRecovery::lockIsHeldFromItsName()
{
    // A test's lock made over and over while other starts examine it and take it when they find
    // it abandoned: two threads here and another process. A live owner's lock is always held,
    // and never taken.
    QVERIFY(QDir().mkpath(m_result));
    const QString path = m_result + u"/Петров.IM.journal.lock"_s;
    JournalTool process({u"examine"_s, path});
    QVERIFY(process.ready());
    std::atomic<int> live = 0; // the owner's round while its lock exists, else 0
    std::atomic<bool> done = false;
    std::atomic<int> examined = 0, takenFromLive = 0;
    const auto examiner = [&] {
        while (!done) {
            const int before = live;
            platform::FileLock::Claim claim = platform::FileLock::examine(path);
            if (claim.state() == platform::FileLock::Claim::State::Abandoned && before != 0 && live == before)
                ++takenFromLive;
            if (claim.state() == platform::FileLock::Claim::State::Abandoned)
                claim.remove();
            ++examined;
        }
    };
    std::thread first(examiner), second(examiner);
    int unheld = 0, made = 0;
    for (int round = 1; round <= 300; ++round) {
        auto lock = platform::FileLock::create(path, platform::FileSharing::Folder, nullptr);
        if (!lock)
            continue; // Windows: the last round's lock goes only as the examiners close it
        ++made;
        live = round;
        for (int look = 0; look < 3; ++look)
            unheld += platform::FileLock::examine(path).state() != platform::FileLock::Claim::State::Held;
        live = 0;
    }
    done = true;
    first.join();
    second.join();
    const JournalTool::Result other = process.finish();
    QVERIFY(other.ok);
    QVERIFY(examined > 0 && made > 0);
    QCOMPARE(unheld, 0);
    QCOMPARE(takenFromLive.load(), 0);
}

void TestJournalRecovery::abandonedJournalOnAShare_data()
{
    QTest::addColumn<QByteArray>("share");
    QTest::addColumn<int>("recoverers");
    QTest::addColumn<int>("rounds");
    // Another workstation's test killed long ago, its lock not held: two starting at once.
    QTest::newRow("no locks between workstations: two starts at once") << "nolocks"_ba << 2 << 20;
    // This machine's killed test whose process id another program has now.
    QTest::newRow("NFS: exclusive locks only on files open for writing") << "nfs"_ba << 1 << 1;
    QTest::newRow("a failing lock manager (ENOLCK)") << "enolck"_ba << 1 << 1;
}

void TestJournalRecovery::abandonedJournalOnAShare()
{
    QFETCH(QByteArray, share);
    QFETCH(int, recoverers);
    QFETCH(int, rounds);
    if (QByteArrayView(KAVR_SHARE_SHIM).isEmpty())
        QSKIP("the shares are those of Linux");
    QVERIFY(QDir().mkpath(m_result));
    const QString recovered = Code + u".IM.recovered.txt"_s;
    for (int round = 1; round <= rounds; ++round) {
        const QString journal =
            JournalTool::run({u"journal"_s, m_result, Code, u"5"_s}, OnShare(share)).lines.value(0);
        QVERIFY(!journal.isEmpty());
        const QString lock = journal + u".lock"_s;
        QByteArray owner = ReadAll(lock);
        if (share == "nolocks") {
            owner.replace(owner.indexOf("boot=") + 5, 8, "00000000"); // another machine's
            QFile file(lock);
            QVERIFY(WriteAll(lock, owner) && file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-600), QFileDevice::FileModificationTime));
        } else {
            const qsizetype pid = owner.indexOf("pid=") + 4;
            owner.replace(pid, owner.indexOf('\n', pid) - pid, QByteArray::number(QCoreApplication::applicationPid()));
            QVERIFY(WriteAll(lock, owner));
        }
        std::vector<std::unique_ptr<JournalTool>> starts;
        for (int i = 0; i < recoverers; ++i) {
            // Workstations of their own where the share passes no locks.
            const QString machine = share == "nolocks" ? QUuid::createUuid().toString(QUuid::WithoutBraces) : QString();
            starts.push_back(std::make_unique<JournalTool>(QStringList{u"recover-at-eof"_s, m_result}, OnShare(share, machine)));
            QVERIFY(starts.back()->ready());
        }
        for (auto &start : starts)
            start->go();
        for (auto &start : starts)
            QVERIFY(start->finish().ok);
        QCOMPARE(Entries(m_result).join(u", "_s), recovered);
        QVERIFY(FromWindows1251(ReadAll(m_result + u'/' + recovered)).contains(u"N[+] = 4,  N[-] = 1,  N[0] = 7"_s));
        QVERIFY(QFile::remove(m_result + u'/' + recovered));
    }
}

void TestJournalRecovery::liveOwnersLockIsNeverTaken_data()
{
    QTest::addColumn<QStringList>("owner"); // the test's own process: how it sees the share
    QTest::addColumn<QStringList>("examiner"); // a start beside it
    QTest::addColumn<bool>("locked"); // whether the test could lock its journal there
    const QString enolck = u"KAVR_SHARE=enolck"_s;
    const QString elsewhere = u"KAVR_BOOT_ID="_s
        + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QTest::newRow("its lock manager failing (ENOLCK), the examiner's working")
        << QStringList{enolck} << QStringList{} << true;
    QTest::newRow("both lock managers failing")
        << QStringList{enolck} << QStringList{enolck} << true;
    // Each workstation compares the lock's time with the server's as it sees them both.
    QTest::newRow("another workstation's test, seen by one whose file times are five minutes ahead")
        << QStringList{elsewhere} << QStringList{u"KAVR_FILE_TIME_SHIFT_MS=300000"_s} << true;
    QTest::newRow("a share that maps every file to one owner")
        << QStringList{u"KAVR_SHARE=oneowner"_s} << QStringList{u"KAVR_SHARE=oneowner"_s} << true;
    // Dated by its own clock there: a lock dated minutes ago would be taken at once elsewhere,
    // so the journal goes to a folder of its own instead.
    QTest::newRow("such a share, its workstation's clock five minutes behind")
        << QStringList{u"KAVR_SHARE=oneowner"_s, u"KAVR_CLOCK_SHIFT_MS=-300000"_s, elsewhere}
        << QStringList{u"KAVR_SHARE=oneowner"_s} << false;
}

void TestJournalRecovery::liveOwnersLockIsNeverTaken()
{
    QFETCH(QStringList, owner);
    QFETCH(QStringList, examiner);
    QFETCH(bool, locked);
    if (QByteArrayView(KAVR_SHARE_SHIM).isEmpty())
        QSKIP("the shares are those of Linux");
    QVERIFY(QDir().mkpath(m_result));
    const JournalTool test({u"beat"_s, m_result, Code, u"100"_s}, OnShare({}) + owner);
    QCOMPARE(test.ready(), locked);
    if (!locked) {
        QCOMPARE(Entries(m_result), QStringList());
        // The log-in says so before anyone is tested.
        const JournalTool::Result check = JournalTool::run({u"workplace"_s, m_result},
                                                           OnShare({}) + owner);
        QVERIFY(check.ok);
        QVERIFY2(
            check.lines.join(u'\n').contains(u"нельзя сделать файл блокировки журнала теста"_s),
            qPrintable(check.lines.join(u'\n')));
        return;
    }
    const QString journal = m_result + u'/' + Code + u".IM.journal"_s;
    for (int start = 0; start < 3; ++start) {
        const JournalTool::Result next = JournalTool::run({u"recover"_s, m_result},
                                                          OnShare({}) + examiner);
        QVERIFY(next.ok);
        QCOMPARE(next.lines.value(0).section(u'\t', 0, 1),
                 QString::number(int(RecoveryReport::Kind::Undecided)) + u'\t' + journal);
    }
    QCOMPARE(
        Entries(m_result),
        (QStringList{QFileInfo(journal).fileName(), QFileInfo(journal).fileName() + u".lock"_s}));
}

void TestJournalRecovery::ownerKeepsItsLockBeating_data()
{
    QTest::addColumn<QStringList>("owner");
    QTest::addColumn<bool>("lockTaken"); // another start removes the lock while the test runs
    QTest::addColumn<QString>("said"); // what the test says of its journal at the end
    // The lock's contents, the start and the answer phase written; every write after refused.
    QTest::newRow("a disk full from the first pick on")
        << QStringList{u"KAVR_FAIL_WRITE=4+:"_s + QString::number(ENOSPC)} << false
        << u"журнал теста не удалось дописать (на диске нет места)"_s;
    QTest::newRow("its lock taken by another start")
        << QStringList{} << true << u"блокировка журнала теста потеряна"_s;
}

void TestJournalRecovery::ownerKeepsItsLockBeating()
{
    QFETCH(QStringList, owner);
    QFETCH(bool, lockTaken);
    QFETCH(QString, said);
    if (QByteArrayView(KAVR_SHARE_SHIM).isEmpty())
        QSKIP("writes are refused by a shim of Linux's");
    QVERIFY(QDir().mkpath(m_result));
    JournalTool test({u"beat"_s, m_result, Code, u"50"_s}, OnShare({}) + owner);
    QVERIFY(test.ready());
    const QString lock = m_result + u'/' + Code + u".IM.journal.lock"_s;
    const QDateTime dated = QFileInfo(lock).lastModified();
    if (lockTaken) {
        QVERIFY(QFile::remove(lock));
        QTest::qWait(1'500); // some thirty beats
    } else {
        QTRY_VERIFY2_WITH_TIMEOUT(QFileInfo(lock).lastModified() > dated,
                                  "the lock is dated no more: another start would take it", 10'000);
    }
    const JournalTool::Result end = test.finish();
    QVERIFY2(end.lines.value(0).startsWith(said), qPrintable(end.lines.join(u'\n')));
}

void TestJournalRecovery::sweepTouchesOnlyWhatTheProgramLeft()
{
    if (QByteArrayView(KAVR_SHARE_SHIM).isEmpty())
        QSKIP("Windows leaves none of these names");
    QVERIFY(QDir().mkpath(m_result));
    // A probe made on a share without nameless files, its maker killed.
    QVERIFY(JournalTool::run({u"probe"_s, m_result}, OnShare("oneowner")).ok);
    const QStringList probe = Entries(m_result);
    QCOMPARE(probe.size(), 1);
    QVERIFY2(QRegularExpression(u"^\\.kavr-probe\\.[0-9a-f]{8}\\.tmp$"_s)
                 .match(probe.first())
                 .hasMatch(),
             qPrintable(probe.first()));
    // Subjects' protocols whose codes begin as the program's own scratch names do, and what
    // killed programs leave; all of it three minutes old.
    const QByteArray protocol = EncodeProtocol(ProtocolOf(ReadAll(WriteJournal(m_dir->path()))));
    const QStringList subjects{u".kavr-probe.7.IM.txt"_s, u".KAVR-CLOCK-3.IM.txt"_s,
                               u".kavr-probe.0badf00d.tmp.IM.txt"_s,
                               u".Ж.IM.journal.lock.0badf00d.TMP.IM.txt"_s};
    const QStringList leftovers{
        u".kavr-clock-12-0badf00d"_s, u"..kavr-probe.0badf00d.tmp.5eed5eed.tmp"_s,
        u"..Ж.IM.journal.lock.0badf00d.tmp.5eed5eed.tmp"_s, u".Ж.IM.journal.lock.0badf00d.tmp"_s,
        u".Ж.IM.recovered.txt.0badf00d.tmp"_s};
    for (const QString &name : subjects + leftovers)
        QVERIFY(WriteAll(m_result + u'/' + name, protocol));
    // A save killed before its rename: the protocol of Ж, and a newer one of Петров beside its old.
    QVERIFY(WriteAll(m_result + u"/.Ж.IM.txt.0badf00d.tmp"_s, protocol));
    QVERIFY(WriteAll(m_result + u"/.Петров.IM.txt.0badf00d.tmp"_s, protocol));
    QVERIFY(WriteAll(m_result + u"/Петров.IM.txt"_s, "an earlier protocol\r\n"));
    for (const QString &name : Entries(m_result)) {
        QFile file(m_result + u'/' + name);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-180),
                                 QFileDevice::FileModificationTime));
    }

    const RecoveryReport report = RecoverJournals({m_result, {}});
    QStringList expected = subjects;
    expected << u"Ж.IM.txt"_s << u"Петров.IM.txt"_s << u"Петров.IM.recovered.txt"_s;
    expected.sort();
    QCOMPARE(Entries(m_result), expected);
    QCOMPARE(report.paths(RecoveryReport::Kind::Recovered),
             QStringList{m_result + u"/Петров.IM.recovered.txt"_s});
    for (const QString &name : subjects + QStringList{u"Ж.IM.txt"_s, u"Петров.IM.recovered.txt"_s})
        QCOMPARE(ReadAll(m_result + u'/' + name), protocol);
    QCOMPARE(ReadAll(m_result + u"/Петров.IM.txt"_s), "an earlier protocol\r\n"_ba);
}

void TestJournalRecovery::protocolWhereTheStartEmptiesItHoldsNothing()
{
    if (QByteArrayView(KAVR_SHARE_SHIM).isEmpty())
        QSKIP("Windows empties no folder at start");
    // A journal kept where it outlives a restart, its protocol saved only into /tmp. The build
    // may itself lie below /tmp (a clone made there): then /var/tmp lasts.
    const QString beside = QCoreApplication::applicationDirPath();
    QTemporaryDir lasting((platform::FolderSurvivesRestart(beside) ? beside : u"/var/tmp"_s)
                          + u"/kavr-lasting-XXXXXX"_s);
    QTemporaryDir emptied(u"/tmp/kavr-emptied-XXXXXX"_s);
    QVERIFY(lasting.isValid() && emptied.isValid());
    if (!platform::FolderSurvivesRestart(lasting.path()))
        QSKIP("no folder here outlives a restart");
    QVERIFY(!platform::FolderSurvivesRestart(emptied.path()));
    const QString result = lasting.filePath(u"Result"_s);
    const SaveTarget target{result, {emptied.path()}};
    const QString journal = WriteJournal(result);
    SaveProtocol({emptied.path(), {}}, Code, ProtocolOf(ReadAll(journal)));
    const RecoveryReport report = RecoverJournals(target);
    QCOMPARE(report.paths(RecoveryReport::Kind::Recovered),
             QStringList{result + u'/' + Code + u".IM.recovered.txt"_s});
    QVERIFY(report.removed.isEmpty());
    // Nor does the test's own journal go for such a protocol; for one in Result it does.
    FakeClock clock;
    TestRun run(clock, RussianSettings(), {result, {emptied.path()}}, {});
    run.logIn();
    run.setUp(u"Сидоров"_s, u"Сидоров С.С."_s, 0);
    run.instructionShown();
    run.start();
    run.exposureShown(true, {});
    const QString running = run.journal()->path();
    QVERIFY(!running.isEmpty());
    const QString planted = result + u"/Сидоров.IM.txt"_s; // Result refuses the protocol
    QVERIFY(QDir().mkpath(planted));
    run.stopAnswer();
    run.composeResult();
    bool refused = false;
    try {
        run.save();
    } catch (const KavrError &) {
        refused = true;
    }
    QVERIFY(refused);
    QCOMPARE(run.protocolPath(), emptied.filePath(u"Сидоров.IM.txt"_s));
    QVERIFY(QFileInfo::exists(running));
    QVERIFY(QDir(planted).removeRecursively());
    run.save();
    QCOMPARE(run.protocolPath(), planted);
    QVERIFY(!QFileInfo::exists(running));
}

void TestJournalRecovery::noticeNamesAtMostThree()
{
    using Kind = RecoveryReport::Kind;
    RecoveryReport report;
    report.entries << RecoveryReport::Entry{Kind::Unreadable, m_fallback + u"/5.IM.journal"_s};
    for (const char *name : {"1", "2", "3", "4"})
        report.entries << RecoveryReport::Entry{Kind::Recovered, m_result + u'/' + QString::fromLatin1(name) + u".IM.recovered.txt"_s};
    QCOMPARE(report.noticeLines(m_result),
             (QStringList{u"Восстановлен протокол прерванного теста: 1.IM.recovered.txt"_s,
                          u"Восстановлен протокол прерванного теста: 2.IM.recovered.txt"_s,
                          u"Восстановлен протокол прерванного теста: 3.IM.recovered.txt"_s,
                          u"и ещё 2"_s}));
    report.entries = {{Kind::Recovered, m_fallback + u"/1.IM.recovered.txt"_s}}; // outside Result: the whole path
    QCOMPARE(report.noticeLines(m_result).first(),
             u"Восстановлен протокол прерванного теста: "_s + QDir::toNativeSeparators(m_fallback + u"/1.IM.recovered.txt"_s));
}

QTEST_GUILESS_MAIN(TestJournalRecovery)
#include "test_journal.moc"
