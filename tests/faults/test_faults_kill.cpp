// A process killed in the middle of saving a protocol: save_loop saves big protocols of one
// code over and over and is killed (SIGKILL) at random moments, half of them while it holds
// the new file open. Each time the protocol on disk must be one whole version, never a part;
// what else is left in the folder must be a whole copy under the save's temporary name (a
// replacement links the new file there before renaming it), and is counted.
// Two workstations saving into one shared Result at once: two save_loop processes, of the same
// code or of others; every read of the folder meanwhile finds whole protocols, never a mixed
// or a cut one.
#include "ProtocolVersions.h"
#include "support/TestFiles.h"
#include "testing/core/ProtocolFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>

using namespace kavr;
using namespace kavr::test;
using namespace Qt::StringLiterals;

namespace {

const QString Code = u"Убит-1"_s;
const QString FileName = Code + u".IM.txt"_s;
constexpr int Rounds = 60;

// Runs save_loop to its end; true when it saved every version.
bool SaveVersions(const QString &program, const QString &dir, int first, int last)
{
    QProcess child;
    child.start(program, {dir, Code, QString::number(first), QString::number(last)});
    return child.waitForFinished(120'000) && child.exitStatus() == QProcess::NormalExit
        && child.exitCode() == 0;
}

// Whether process pid has a file below dir open.
bool HoldsFileIn(qint64 pid, const QString &dir)
{
    const QDir fds(u"/proc/%1/fd"_s.arg(pid));
    for (const QString &fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        if (QFile::symLinkTarget(fds.filePath(fd)).startsWith(dir + u'/'))
            return true;
    return false;
}

} // namespace

class FaultsKillTest : public QObject
{
    Q_OBJECT

private slots:
    void killedSaveLeavesWholeProtocol();
    void twoWorkstationsSaveIntoOneFolder_data();
    void twoWorkstationsSaveIntoOneFolder();
};

void FaultsKillTest::killedSaveLeavesWholeProtocol()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString result = dir.filePath(u"Result"_s);
    const QString path = result + u'/' + FileName;
    const QString program = QStringLiteral(KAVR_SAVE_LOOP);
    QHash<int, QByteArray> versions;
    auto bytesOf = [&versions](int version) {
        if (!versions.contains(version))
            versions.insert(version, EncodeProtocol(ProtocolVersion(version)));
        return versions.value(version);
    };

    // The version a file holds whole, or -1.
    auto wholeVersion = [&bytesOf](const QString &file) {
        const QByteArray bytes = ReadAll(file);
        const QRegularExpressionMatch first = QRegularExpression(u"^версия (\\d+)\r\n"_s)
                                                  .match(QString(QStringDecoder("windows-1251")(bytes.left(40))));
        return first.hasMatch() && bytes == bytesOf(first.captured(1).toInt()) ? first.captured(1).toInt() : -1;
    };
    // The earlier protocol, saved whole.
    QVERIFY(SaveVersions(program, result, 0, 0));
    QCOMPARE(wholeVersion(path), 0);

    const QRegularExpression saveTemporary(u"^\\."_s + QRegularExpression::escape(FileName) + u"\\.[0-9a-f]{8}\\.tmp$"_s);
    QStringList strays;
    int whileOpen = 0;
    for (int round = 1; round <= Rounds; ++round) {
        QProcess child;
        child.start(program, {result, Code, QString::number(2 * round)});
        QVERIFY(child.waitForStarted());
        // After one whole save, so that every round replaces a file.
        QVERIFY2(child.waitForReadyRead(60'000), "save_loop saved nothing");
        const qint64 pid = child.processId();
        if (round % 2 == 0) {
            QThread::usleep(QRandomGenerator::global()->bounded(200'000u));
        } else {
            // Wait for the save to hold its file open, then a moment more.
            for (int i = 0; i < 2'000'000 && !HoldsFileIn(pid, result); ++i) {
            }
            QThread::usleep(QRandomGenerator::global()->bounded(500u));
        }
        whileOpen += HoldsFileIn(pid, result) ? 1 : 0;
        ::kill(pid_t(pid), SIGKILL);
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        // The protocol is one whole version of this round's; a file left beside it is a whole
        // copy under the save's temporary name (linked there, killed before the rename).
        const int version = wholeVersion(path);
        QVERIFY2(version == 2 * round || version == 2 * round + 1,
                 qPrintable(u"round %1: the protocol is %2"_s.arg(round).arg(version)));
        for (const QString &entry : QDir(result).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
            if (entry == FileName || strays.contains(entry))
                continue;
            QVERIFY2(saveTemporary.match(entry).hasMatch(), qPrintable(u"a stray file "_s + entry));
            QVERIFY2(wholeVersion(result + u'/' + entry) >= 0, qPrintable(u"a cut temporary file "_s + entry));
            strays << entry;
        }
    }
    qInfo("%d kills, %d of them while the save held its file open; the protocol was whole every "
          "time; %lld whole copies left under temporary names: %s", Rounds, whileOpen,
          qlonglong(strays.size()), qPrintable(strays.join(u", "_s)));
    QVERIFY2(whileOpen >= Rounds / 4, "too few kills came in the middle of a save");

    // A later save still goes through, and leaves no temporary file of its own.
    QVERIFY(SaveVersions(program, result, 1000, 1000));
    QCOMPARE(ReadAll(path), bytesOf(1000));
}

void FaultsKillTest::twoWorkstationsSaveIntoOneFolder_data()
{
    QTest::addColumn<QString>("codeA");
    QTest::addColumn<QString>("codeB");
    QTest::newRow("one code") << Code << Code;
    QTest::newRow("two codes") << u"Сидоров-1"_s << u"Сидоров-2"_s;
    // One file on a Windows share, two here.
    QTest::newRow("codes apart only in case") << u"иванов-1"_s << u"Иванов-1"_s;
}

void FaultsKillTest::twoWorkstationsSaveIntoOneFolder()
{
    QFETCH(QString, codeA);
    QFETCH(QString, codeB);
    constexpr int Saves = 24;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString result = dir.filePath(u"Result"_s);
    QVERIFY(QDir().mkpath(result));
    // Workstation A saves versions 0 and 1 by turns, B versions 100 and 101.
    const QList<int> versions{0, 1, 100, 101};
    QHash<int, QByteArray> bytes;
    for (int version : versions)
        bytes.insert(version, EncodeProtocol(ProtocolVersion(version)));
    auto versionOf = [&bytes](const QByteArray &file) {
        for (auto it = bytes.cbegin(); it != bytes.cend(); ++it)
            if (it.value() == file)
                return it.key();
        return -1;
    };

    QProcess a, b;
    const QString program = QStringLiteral(KAVR_SAVE_LOOP);
    a.start(program, {result, codeA, u"0"_s, QString::number(Saves - 1)});
    b.start(program, {result, codeB, u"100"_s, QString::number(100 + Saves - 1)});
    QVERIFY(a.waitForStarted() && b.waitForStarted());
    QSet<int> seen;
    int reads = 0;
    while (a.state() != QProcess::NotRunning || b.state() != QProcess::NotRunning) {
        for (const QString &entry : QDir(result).entryList(QDir::Files | QDir::Hidden)) {
            if (!entry.endsWith(u".IM.txt"_s))
                continue; // a save's temporary file, not yet in place
            const QByteArray file = ReadAll(result + u'/' + entry);
            if (file.isEmpty() && !QFileInfo::exists(result + u'/' + entry))
                continue;
            const int version = versionOf(file);
            QVERIFY2(version >= 0, qPrintable(u"%1 is not one whole protocol after %2 reads"_s.arg(entry).arg(reads)));
            QVERIFY2(entry == ProtocolFileName(version < 100 ? codeA : codeB),
                     qPrintable(u"%1 holds version %2"_s.arg(entry).arg(version)));
            seen << version;
            ++reads;
        }
        a.waitForFinished(1);
        b.waitForFinished(1);
    }
    QCOMPARE(a.exitCode(), 0);
    QCOMPARE(b.exitCode(), 0);
    qInfo("%d whole reads while both saved; versions seen: %d", reads, int(seen.size()));
    QVERIFY2(reads >= 10, "the folder was hardly read while the saves ran");
    // The last save of each stands whole, and nothing else is left.
    const QStringList files = QDir(result).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    QStringList expected{ProtocolFileName(codeA), ProtocolFileName(codeB)};
    expected.removeDuplicates();
    expected.sort();
    QStringList sorted = files;
    sorted.sort();
    QCOMPARE(sorted, expected);
    for (const QString &file : files)
        QVERIFY(versionOf(ReadAll(result + u'/' + file)) >= 0);
    // Both workstations' protocols were read while they saved, so the saves overlapped.
    QVERIFY(seen.intersects({0, 1}) && seen.intersects({100, 101}));
}

QTEST_GUILESS_MAIN(FaultsKillTest)
#include "test_faults_kill.moc"
