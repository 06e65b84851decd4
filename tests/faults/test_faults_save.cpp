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
#include "support/FakeClock.h"
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

enum class Fault { ReadOnlyResult, MissingInReadOnlyFolder, FileNamedResult, FolderInPlaceOfFile };

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

// A test without its window, formatted as the window has it, and the errors it would show.
struct RunFixture
{
    explicit RunFixture(const SaveTarget &target, const FormatSettings &format = RussianSettings())
        : run(std::make_unique<TestRun>(clock, format.encodable(), target, TestJournal::FileSync()))
    {
    }
    FakeClock clock;
    std::unique_ptr<TestRun> run;
    QStringList errors;
};

// A test with twelve placements, three of them wrong; the twelfth, which ends the test and so
// saves the protocol, inside LastClick.
template <typename LastClick = NoGuard> QByteArray RunToTheEnd(RunFixture &f)
{
    TestRun &run = *f.run;
    run.logIn();
    const Permutation offer = run.setUp(Code, u"Петров П.П."_s, 1);
    run.instructionShown();
    f.clock.advanceMs(12'000);
    run.start();
    run.exposureShown(true, {});
    f.clock.advanceMs(30'000);
    run.beginAnswer();
    const auto positionOf = [&](int figure) {
        int i = 1;
        while (run.state().KeyOrder[offer[i]] != figure)
            ++i;
        return i;
    };
    const auto panelOf = [&](int figure) {
        int i = 1;
        while (run.state().KeyOrder[i] != figure)
            ++i;
        return i;
    };
    const int panels[13] = {0, 2, 1, 3, 4, 5, 6, 7, 9, 8, 10, 11, 12};
    for (int figure = 1; figure <= 12; ++figure) {
        f.clock.advanceMs(2'345);
        run.pick(positionOf(figure), figure);
        const int panel = panelOf(panels[figure]);
        std::optional<LastClick> guard; // around the last placement, which saves
        if (figure == 12)
            guard.emplace();
        if (run.place(panel, run.state().KeyOrder[panel])) {
            run.stopAnswer();
            run.composeResult();
            try {
                run.save();
            } catch (const KavrError &e) {
                f.errors << e.message();
            }
        }
    }
    // What the Result file would have held.
    return EncodeProtocol(run.state().ResultLog);
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
    void missingResultIsCreated();
    void earlierProtocol_data();
    void earlierProtocol();
    void unwritableResultFallsBack_data();
    void unwritableResultFallsBack();
    void fullDiskFallsBack();
    void fullEverywhereLeavesNothingHalfWritten();
    void separatorsOutsideTheCodePageStillSave();

private:
    void checkFinished(const RunFixture &f);
    void checkFellBack(const RunFixture &f, const QByteArray &expected, const QString &reason);
    QString m_base, m_app, m_result, m_fallback;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void FaultsSaveTest::init()
{
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

void FaultsSaveTest::checkFinished(const RunFixture &f)
{
    // Everything before the save stays done: stage 4, the protocol whole.
    QCOMPARE(f.run->state().Stage, 4);
    QCOMPARE(f.run->state().ResultLog.size(), 23);
}

void FaultsSaveTest::checkFellBack(const RunFixture &f, const QByteArray &expected,
                                   const QString &reason)
{
    // One message naming both files and why, and the whole protocol in the fallback folder.
    QCOMPARE(f.errors.size(), 1);
    const QString fallbackFile = m_fallback + u'/' + FileName;
    QCOMPARE(f.errors.first(), CannotCreate(m_result + u'/' + FileName, reason)
                                   + u"\nПротокол сохранён в файле "_s + Native(fallbackFile));
    QCOMPARE(ReadAll(fallbackFile), expected);
}

void FaultsSaveTest::missingResultIsCreated()
{
    RunFixture f(SaveTarget{m_result, {m_fallback}});
    const QByteArray expected = RunToTheEnd(f);
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(u'\n')));
    checkFinished(f);
    QCOMPARE(Entries(m_result), QStringList{FileName}); // and no journal
    QCOMPARE(ReadAll(m_result + u'/' + FileName), expected);
    QCOMPARE(Entries(m_fallback), QStringList());
}

void FaultsSaveTest::earlierProtocol_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("replaced");
    // Made read-only on purpose: writing it is not permitted, as the read-only attribute says
    // on Windows. Another operator's protocol, which this user may not write but the folder lets
    // it replace, is replaced: test_faults_operators runs two real operators for that.
    QTest::newRow("no write bit") << 0444 << false;
    QTest::newRow("written before, 0644") << 0644 << true;
}

void FaultsSaveTest::earlierProtocol()
{
    QFETCH(int, mode);
    QFETCH(bool, replaced);
    const QString earlier = m_result + u'/' + FileName;
    QVERIFY(QDir().mkpath(m_result));
    QVERIFY(WriteAll(earlier, Earlier));
    QVERIFY(::chmod(QFile::encodeName(earlier).constData(), mode_t(mode)) == 0);

    RunFixture f(SaveTarget{m_result, {m_fallback}});
    const QByteArray expected = RunToTheEnd(f);
    checkFinished(f);
    if (replaced) {
        QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(u'\n')));
        QCOMPARE(ReadAll(earlier), expected);
        QCOMPARE(Entries(m_fallback), QStringList());
    } else {
        checkFellBack(f, expected, u"файл защищён от записи"_s);
        QCOMPARE(ReadAll(earlier), Earlier);
        QCOMPARE(int(QFileInfo(earlier).permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)), 0);
        QCOMPARE(Entries(m_fallback), QStringList{FileName}); // and no journal
    }
    QCOMPARE(Entries(m_result), QStringList{FileName});
}

void FaultsSaveTest::unwritableResultFallsBack_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("reason");
    const QString noFolder = u"папку нельзя создать или в неё нельзя писать"_s;
    QTest::newRow("Result read-only") << Fault::ReadOnlyResult << u"нет прав на запись"_s;
    QTest::newRow("Result missing, program folder read-only") << Fault::MissingInReadOnlyFolder << noFolder;
    QTest::newRow("a file named Result") << Fault::FileNamedResult << noFolder;
    QTest::newRow("a folder in place of the protocol") << Fault::FolderInPlaceOfFile << u"это папка"_s;
}

void FaultsSaveTest::unwritableResultFallsBack()
{
    QFETCH(Fault, fault);
    QFETCH(QString, reason);
    const bool permissions = fault == Fault::ReadOnlyResult || fault == Fault::MissingInReadOnlyFolder;
    if (permissions && ::geteuid() == 0)
        QSKIP("root ignores permission bits: run through as-user.sh");
    QStringList resultBefore;
    switch (fault) {
    case Fault::ReadOnlyResult:
        QVERIFY(QDir().mkpath(m_result));
        QVERIFY(WriteAll(m_result + u'/' + FileName, Earlier));
        QVERIFY(QFile::setPermissions(m_result, ReadOnly));
        break;
    case Fault::MissingInReadOnlyFolder:
        QVERIFY(QFile::setPermissions(m_app, ReadOnly));
        break;
    case Fault::FileNamedResult:
        QVERIFY(WriteAll(m_result, "not a folder"));
        break;
    case Fault::FolderInPlaceOfFile:
        QVERIFY(QDir().mkpath(m_result + u'/' + FileName));
        QVERIFY(WriteAll(m_result + u'/' + FileName + u"/inside"_s, Earlier));
        break;
    }
    const QFileInfo before(m_result);
    const QByteArray resultBytes = before.isFile() ? ReadAll(m_result) : QByteArray();
    if (before.isDir())
        resultBefore = Entries(m_result);

    RunFixture f(SaveTarget{m_result, {m_fallback}});
    const QByteArray expected = RunToTheEnd(f);
    QFile::setPermissions(m_app, Open);
    if (QFileInfo(m_result).isDir())
        QFile::setPermissions(m_result, Open);

    checkFinished(f);
    checkFellBack(f, expected, reason);
    QCOMPARE(Entries(m_fallback), QStringList{FileName});
    // What stood in Result stands as it was.
    QCOMPARE(QFileInfo(m_result).isFile(), before.isFile());
    QCOMPARE(QFileInfo(m_result).isDir(), before.isDir());
    if (before.isFile())
        QCOMPARE(ReadAll(m_result), resultBytes);
    if (before.isDir())
        QCOMPARE(Entries(m_result), resultBefore);
    if (fault == Fault::ReadOnlyResult)
        QCOMPARE(ReadAll(m_result + u'/' + FileName), Earlier);
    if (fault == Fault::FolderInPlaceOfFile)
        QCOMPARE(ReadAll(m_result + u'/' + FileName + u"/inside"_s), Earlier);
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

    RunFixture f(SaveTarget{m_result, {m_fallback}});
    const QByteArray expected = RunToTheEnd(f);
    checkFinished(f);
    checkFellBack(f, expected, u"на диске нет места"_s);
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
    RunFixture f(SaveTarget{m_result, {m_fallback}});
    RunToTheEnd<FileSizeLimit>(f);
    checkFinished(f);
    QCOMPARE(f.errors.size(), 1);
    const QString message = f.errors.first();
    QVERIFY2(message.startsWith(CannotCreate(m_result + u'/' + FileName, u"на диске нет места"_s) + u'\n'),
             qPrintable(message));
    QVERIFY2(message.contains(u"не удалось"_s) && message.contains(Native(m_fallback)), qPrintable(message));
    // Nothing can be saved, and nothing is cut: the earlier protocol stands, no partial file.
    QCOMPARE(ReadAll(m_result + u'/' + FileName), Earlier);
    QCOMPARE(Entries(m_fallback), QStringList());
    // The journal stays, whole up to the last line the full disk let through (the twelfth
    // pick), and the next start recovers the test from it.
    const QString journal = Code + u".IM.journal"_s;
    QCOMPARE(Entries(m_result), (QStringList{journal, journal + u".lock"_s, FileName}));
    f.run.reset();
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
    RunFixture f(SaveTarget{m_result, {m_fallback}}, arabic);
    f.clock.setWall(QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9)));
    const QByteArray expected = RunToTheEnd(f);
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(u'\n')));
    QCOMPARE(ReadAll(m_result + u'/' + FileName), expected);
    const QStringList lines = FromWindows1251(expected).split(u"\r\n"_s);
    QVERIFY2(lines.at(1).endsWith(u"Дата ПФО: 7/12/2026 14 05:09"_s), qPrintable(lines.at(1)));
    QVERIFY2(QRegularExpression(u"^\\d\\.\\d\\d$"_s).match(lines.at(8)).hasMatch(), qPrintable(lines.at(8))); // Tcp
    QVERIFY2(lines.at(11).startsWith(u"       1       2.35"_s), qPrintable(lines.at(11)));
    QVERIFY(lines.at(4).contains(QRegularExpression(u"^Время окончания теста : \\d\\d \\d\\d:\\d\\d$"_s)));
}

QTEST_MAIN(FaultsSaveTest)
#include "test_faults_save.moc"
