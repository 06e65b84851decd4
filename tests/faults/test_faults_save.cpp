// The protocol's save at the end of a test, when the Result folder cannot take it: missing,
// read-only, a file of that name, a folder where the protocol should go, an earlier protocol
// made read-only, a full disk, regional settings the protocol's code page lacks. The test runs
// without its window (whose message box a failed save reaches is the placement tests' business)
// on a clock moved by hand; the save and the journal are the real ones. Each fault ends
// with the message box's text naming the file and why, the protocol recoverable from the
// fallback folder, byte for byte what the Result file would have held, an earlier protocol of
// that code untouched, and no journal left behind. The test runs as an ordinary user would:
// when the tests run as root (who ignores permission bits), as-user.sh runs it as nobody, real
// and effective ids alike, but for the full disk, which only root can mount.
#include "FullDisk.h"
#include "error/KavrError.h"
#include "support/GoldenScript.h"
#include "support/TestFiles.h"
#include "support/TestSettings.h"
#include "testing/core/CodePage.h"
#include "testing/core/JournalRecovery.h"
#include "testing/core/ProtocolFile.h"
#include "testing/core/TestRun.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kavr;
using namespace kavr::test;
using namespace Qt::StringLiterals;

namespace {

const QString Code = u"Петров-12"_s;
const QString FileName = Code + u".IM.txt"_s;
const QByteArray Earlier = "an earlier protocol of this code\r\n";

QStringList Entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QString Native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

constexpr QFile::Permissions ReadOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
    | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
constexpr QFile::Permissions Open = ReadOnly | QFile::WriteOwner;

struct NoGuard
{
};

// A test with twelve placements, four of them wrong, run into test; the twelfth, which ends the
// test and so saves the protocol, inside LastClick. What the Result file would have held.
template <typename LastClick = NoGuard>
QByteArray RunToTheEnd(std::optional<ScriptedRun> &test, const QString &result,
                       const QString &fallback, const FormatSettings &format = RussianSettings())
{
    QList<Placement> placements = Paced({{1, 2},
                                         {2, 1},
                                         {3, 3},
                                         {4, 4},
                                         {5, 5},
                                         {6, 6},
                                         {7, 7},
                                         {8, 9},
                                         {9, 8},
                                         {10, 10},
                                         {11, 11},
                                         {12, 12}});
    const Placement last = placements.takeLast();
    test.emplace(
        Script{Code, u"Петров П.П."_s, 1, format, 12, 12'000, placements, 0, End::AllPlaced},
        result, QStringList{fallback});
    test->pick(last);
    {
        [[maybe_unused]] const LastClick guard;
        test->place(last);
    }
    return EncodeProtocol(test->run().state().ResultLog);
}

// The message's first line: the file and why it could not be.
QString CannotCreate(const QString &path, const QString &reason)
{
    return u"Cannot create file "_s + Native(path) + u" ("_s + reason + u')';
}

} // namespace

class FaultsSaveTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void earlierProtocol_data();
    void earlierProtocol();
    void unwritableResultFallsBack_data();
    void unwritableResultFallsBack();
    void fullDiskFallsBack();
    void fullEverywhereLeavesNothingHalfWritten();
    void separatorsOutsideTheCodePageStillSave();

private:
    void checkFellBack(const ScriptedRun &test, const QByteArray &expected, const QString &reason);
    QString m_base, m_app, m_result, m_fallback;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::optional<ScriptedRun> m_test;
};

void FaultsSaveTest::init()
{
    m_test.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_base = m_dir->path();
    QFile::setPermissions(m_base, Open);
    m_app = m_base + u"/app"_s;
    m_result = m_app + u"/Result"_s;
    m_fallback = m_base + u"/home"_s;
    QVERIFY(QDir().mkpath(m_app));
    QVERIFY(QDir().mkpath(m_fallback));
}

void FaultsSaveTest::checkFellBack(const ScriptedRun &test, const QByteArray &expected,
                                   const QString &reason)
{
    // Everything before the save stays done: stage 4, the protocol whole; one message naming
    // both files and why, and the whole protocol in the fallback folder, with no journal.
    QCOMPARE(test.run().state().Stage, 4);
    QCOMPARE(test.run().state().ResultLog.size(), 23);
    QCOMPARE(test.errors.size(), 1);
    const QString fallbackFile = m_fallback + u'/' + FileName;
    QCOMPARE(test.errors.first(),
             CannotCreate(m_result + u'/' + FileName, reason) + u"\nПротокол сохранён в файле "_s
                 + Native(fallbackFile));
    QCOMPARE(ReadAll(fallbackFile), expected);
    QCOMPARE(Entries(m_fallback), QStringList{FileName});
}

void FaultsSaveTest::earlierProtocol_data()
{
    QTest::addColumn<int>("mode"); // of the earlier protocol; 0: none, no Result folder either
    QTest::addColumn<bool>("replaced");
    // Made read-only on purpose: writing it is not permitted, as the read-only attribute says
    // on Windows. Another operator's protocol, which this user may not write but the folder lets
    // it replace, is replaced: test_faults_operators runs two real operators for that.
    QTest::newRow("none, Result missing") << 0 << true;
    QTest::newRow("no write bit") << 0444 << false;
    QTest::newRow("written before, 0644") << 0644 << true;
}

void FaultsSaveTest::earlierProtocol()
{
    QFETCH(int, mode);
    QFETCH(bool, replaced);
    const QString earlier = m_result + u'/' + FileName;
    if (mode) {
        QVERIFY(QDir().mkpath(m_result));
        QVERIFY(WriteAll(earlier, Earlier));
        QVERIFY(::chmod(QFile::encodeName(earlier).constData(), mode_t(mode)) == 0);
    }

    const QByteArray expected = RunToTheEnd(m_test, m_result, m_fallback);
    if (replaced) {
        QVERIFY2(m_test->errors.isEmpty(), qPrintable(m_test->errors.join(u'\n')));
        QCOMPARE(ReadAll(earlier), expected);
        QCOMPARE(Entries(m_fallback), QStringList());
    } else {
        checkFellBack(*m_test, expected, u"файл защищён от записи"_s);
        QCOMPARE(ReadAll(earlier), Earlier);
        QCOMPARE(int(QFileInfo(earlier).permissions()
                     & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)),
                 0);
    }
    QCOMPARE(Entries(m_result), QStringList{FileName}); // and no journal
}

// A file named Result, or a folder in place of the protocol, are the save's own tests, which
// run on Windows too; here what only an ordinary user meets.
void FaultsSaveTest::unwritableResultFallsBack_data()
{
    QTest::addColumn<bool>("resultExists"); // read-only; else missing in a read-only folder
    QTest::addColumn<QString>("reason");
    QTest::newRow("Result read-only") << true << u"нет прав на запись"_s;
    QTest::newRow("Result missing, program folder read-only")
        << false << u"папку нельзя создать или в неё нельзя писать"_s;
}

void FaultsSaveTest::unwritableResultFallsBack()
{
    QFETCH(bool, resultExists);
    QFETCH(QString, reason);
    if (::geteuid() == 0)
        QSKIP("root ignores permission bits: run through as-user.sh");
    if (resultExists) {
        QVERIFY(QDir().mkpath(m_result));
        QVERIFY(WriteAll(m_result + u'/' + FileName, Earlier));
        QVERIFY(QFile::setPermissions(m_result, ReadOnly));
    } else {
        QVERIFY(QFile::setPermissions(m_app, ReadOnly));
    }
    const QByteArray expected = RunToTheEnd(m_test, m_result, m_fallback);
    QFile::setPermissions(m_app, Open);
    QFile::setPermissions(m_result, Open);

    checkFellBack(*m_test, expected, reason);
    // What stood in Result stands as it was.
    if (resultExists)
        QCOMPARE(ReadAll(m_result + u'/' + FileName), Earlier);
    QCOMPARE(Entries(m_result), resultExists ? QStringList{FileName} : QStringList());
    QCOMPARE(Entries(m_base), (QStringList{u"app"_s, u"home"_s}));
}

void FaultsSaveTest::fullDiskFallsBack()
{
    QVERIFY(QDir().mkpath(m_result));
    FullDisk disk(m_result);
    if (!disk.mounted())
        QSKIP(qPrintable(u"no tmpfs may be mounted here ("_s + disk.error()
                         + u"); fullEverywhereLeavesNothingHalfWritten stands in"_s));
    QVERIFY(WriteAll(m_result + u'/' + FileName, Earlier));
    QVERIFY(disk.fill(u"filler"_s) > 0);

    const QByteArray expected = RunToTheEnd(m_test, m_result, m_fallback);
    checkFellBack(*m_test, expected, u"на диске нет места"_s);
    QCOMPARE(ReadAll(m_result + u'/' + FileName), Earlier);
    QCOMPARE(Entries(m_result), (QStringList{u"filler"_s, FileName}));
}

namespace {

// Every file write past 256 bytes fails, as on a disk full everywhere.
struct FileSizeLimit
{
    FileSizeLimit()
    {
        getrlimit(RLIMIT_FSIZE, &old);
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit tight = old;
        tight.rlim_cur = 256;
        setrlimit(RLIMIT_FSIZE, &tight);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
    }
    struct rlimit old {};
    void (*oldHandler)(int) = nullptr;
};

} // namespace

void FaultsSaveTest::fullEverywhereLeavesNothingHalfWritten()
{
    QVERIFY(QDir().mkpath(m_result));
    QVERIFY(WriteAll(m_result + u'/' + FileName, Earlier));
    RunToTheEnd<FileSizeLimit>(m_test, m_result, m_fallback);
    QCOMPARE(m_test->run().state().Stage, 4);
    QCOMPARE(m_test->errors.size(), 1);
    const QString message = m_test->errors.first();
    QVERIFY2(message.startsWith(CannotCreate(m_result + u'/' + FileName, u"на диске нет места"_s) + u'\n'),
             qPrintable(message));
    QVERIFY2(message.contains(u"не удалось"_s) && message.contains(Native(m_fallback)), qPrintable(message));
    // Nothing can be saved, and nothing is cut: the earlier protocol stands, no partial file.
    QCOMPARE(ReadAll(m_result + u'/' + FileName), Earlier);
    QCOMPARE(Entries(m_fallback), QStringList());
    // The journal stays, whole up to the last line the full disk let through (the twelfth
    // pick), and the next start recovers the test from it: eleven placed, four of them wrong.
    const QString journal = Code + u".IM.journal"_s;
    QCOMPARE(Entries(m_result), (QStringList{journal, journal + u".lock"_s, FileName}));
    m_test.reset();
    const RecoveryReport recovery = RecoverJournals(SaveTarget{m_result, {m_fallback}});
    QCOMPARE(recovery.paths(RecoveryReport::Kind::Recovered), QStringList{m_result + u'/' + Code + u".IM.recovered.txt"_s});
    const QStringList lines = FromWindows1251(ReadAll(recovery.paths(RecoveryReport::Kind::Recovered).first())).split(u"\r\n"_s);
    QCOMPARE(lines.size(), 24); // 23 and the empty rest after the last line end
    QVERIFY2(lines.at(6).endsWith(u"N[+] = 7,  N[-] = 4,  N[0] = 1"_s), qPrintable(lines.at(6)));
    QCOMPARE(Entries(m_result), (QStringList{Code + u".IM.recovered.txt"_s, FileName}));
}

void FaultsSaveTest::separatorsOutsideTheCodePageStillSave()
{
    // Regional settings whose decimal mark and date and time separators Windows-1251 lacks: an
    // Arabic decimal separator, right-to-left marks in the date, a narrow no-break space and an
    // Arabic comma in the time. The protocol is saved all the same, with ASCII in their place.
    FormatSettings arabic;
    arabic.decimalSeparator = u"\u066B"_s;
    arabic.shortDateFormat = u"d\u200F/M\u200F/yyyy"_s;
    arabic.longTimeFormat = u"HH\u202Fmm\u060Css"_s;
    const QByteArray expected = RunToTheEnd(m_test, m_result, m_fallback, arabic);
    QVERIFY2(m_test->errors.isEmpty(), qPrintable(m_test->errors.join(u'\n')));
    QCOMPARE(ReadAll(m_result + u'/' + FileName), expected);
    const QStringList lines = FromWindows1251(expected).split(u"\r\n"_s);
    QVERIFY2(QRegularExpression(u"Дата ПФО: \\d+/\\d+/\\d{4} \\d\\d \\d\\d:\\d\\d$"_s)
                 .match(lines.at(1))
                 .hasMatch(),
             qPrintable(lines.at(1)));
    QVERIFY2(QRegularExpression(u"^\\d\\.\\d\\d$"_s).match(lines.at(8)).hasMatch(), qPrintable(lines.at(8))); // Tcp
    QVERIFY2(QRegularExpression(u"^ +1 +\\d+\\.\\d\\d "_s).match(lines.at(11)).hasMatch(),
             qPrintable(lines.at(11)));
    QVERIFY(lines.at(4).contains(QRegularExpression(u"^Время окончания теста : \\d\\d \\d\\d:\\d\\d$"_s)));
}

QTEST_MAIN(FaultsSaveTest)
#include "test_faults_save.moc"
