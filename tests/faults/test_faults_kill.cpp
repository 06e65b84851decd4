// A process killed in the middle of saving a protocol: save_loop saves big protocols of one
// code over and over and is killed (SIGKILL) at random moments, half of them while it holds
// the new file open. Each time the protocol on disk must be one whole version, never a part;
// what else is left in the folder must be a whole copy under the save's temporary name (a
// replacement links the new file there before renaming it), and is counted.
#include "ProtocolVersions.h"
#include "testing/core/ProtocolFile.h"
#include "support/TestFiles.h"

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

    const QRegularExpression saveTemporary(u"^"_s + QRegularExpression::escape(FileName) + u"\\.[A-Za-z0-9]{6}$"_s);
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

QTEST_GUILESS_MAIN(FaultsKillTest)
#include "test_faults_kill.moc"
