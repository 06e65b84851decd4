// Files a hostile lab member (or anyone, through the temporary folder) plants where the program
// looks at its start: a FIFO as a journal's lock or as a protocol, a journal that is a link to
// /dev/zero, a protocol name that is a link to another user's file, a journal whose code could
// never name a file. The real program, under a private X server, must show its window within a
// few seconds, leave every planted file as it was (its kind, its link, its bytes) and touch
// nothing the link points to; what it leaves alone in Result is named on the log-in layer.
#include "harness/Operator.h"
#include "harness/ProgramRun.h"
#include "harness/XInput.h"
#include "harness/XvfbSession.h"
#include "support/JournalTool.h"
#include "support/TestFiles.h"
#include "testing/core/JournalLine.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace kavr;
using namespace kavr::harness;
using namespace kavr::test;
using namespace Qt::StringLiterals;

namespace {

// A window later than this is a start that waited on something it should have left alone.
constexpr qint64 WindowWithinMs = 5'000;

enum class Plant { FifoLock, FifoProtocol, JournalToZero, JournalToZeroInTemp, ProtocolLinkedAway,
                   HostileCode };

// What a name is: its kind, where it points, its bytes.
QString Fingerprint(const QString &path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return u"missing"_s;
    if (S_ISLNK(st.st_mode))
        return u"link to "_s + QFileInfo(path).symLinkTarget();
    if (S_ISFIFO(st.st_mode))
        return u"fifo"_s;
    return u"file "_s + QString::fromLatin1(QCryptographicHash::hash(ReadAll(path), QCryptographicHash::Sha1).toHex());
}

// A test killed after three placements: its journal and its lock, left as a kill leaves them.
QString KilledJournal(const QString &dir, const QString &code)
{
    const JournalTool::Result made = JournalTool::run({u"journal"_s, dir, code, u"3"_s});
    return made.ok ? made.lines.value(0) : QString();
}

} // namespace

class PlantedTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void plantedFile_data();
    void plantedFile();

private:
    XvfbSession m_x;
    XInput m_input;
};

void PlantedTest::initTestCase()
{
    QVERIFY2(m_x.start(), "Xvfb did not start");
    QVERIFY2(m_input.open(m_x.display()), qPrintable(m_input.errorString()));
}

void PlantedTest::plantedFile_data()
{
    QTest::addColumn<Plant>("plant");
    QTest::addColumn<bool>("named"); // on the log-in layer
    QTest::addColumn<QString>("recovered"); // the protocol recovered beside it; empty: none
    QTest::newRow("a FIFO as a journal's lock") << Plant::FifoLock << true << QString();
    QTest::newRow("a FIFO as the protocol of a killed test")
        << Plant::FifoProtocol << true << u"Канал.IM.recovered.txt"_s;
    QTest::newRow("a journal linked to /dev/zero") << Plant::JournalToZero << true << QString();
    // The temporary folder is everyone's: the program neither writes nor looks there.
    QTest::newRow("a journal linked to /dev/zero, and a real journal, in the temporary folder")
        << Plant::JournalToZeroInTemp << false << QString();
    QTest::newRow("the protocol and its recovered name linked to another user's file")
        << Plant::ProtocolLinkedAway << false << u"Ссылка (2).IM.recovered.txt"_s;
    QTest::newRow("a journal whose code holds a line break and a colon, named as markup")
        << Plant::HostileCode << true << QString();
}

void PlantedTest::plantedFile()
{
    QFETCH(Plant, plant);
    QFETCH(bool, named);
    QFETCH(QString, recovered);
    ProgramRun run(m_x, m_input);
    QVERIFY(run.prepare(QStringLiteral(KAVR_PROGRAM)));
    const QString result = run.resultDir();
    const QString away = QDir(run.homeDir()).absoluteFilePath(u"../чужой.txt"_s); // another user's file
    QVERIFY(WriteAll(away, "записи другого пользователя"));
    QStringList planted; // names that must stay as they are
    const auto fifo = [&](const QString &path) {
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0666) == 0);
        planted << path;
    };
    const auto link = [&](const QString &target, const QString &path) {
        QVERIFY(QFile::link(target, path));
        planted << path;
    };
    switch (plant) {
    case Plant::FifoLock: {
        const QString journal = KilledJournal(result, u"Замок"_s);
        QVERIFY(QFile::remove(journal + u".lock"_s));
        fifo(journal + u".lock"_s);
        planted << journal;
        break;
    }
    case Plant::FifoProtocol:
        QVERIFY(!KilledJournal(result, u"Канал"_s).isEmpty());
        fifo(result + u"/Канал.IM.txt"_s);
        break;
    case Plant::JournalToZero: link(u"/dev/zero"_s, result + u"/Ноль.IM.journal"_s); break;
    case Plant::JournalToZeroInTemp: {
        link(u"/dev/zero"_s, run.tmpDir() + u"/Ноль.IM.journal"_s);
        const QString copy = KilledJournal(run.tmpDir(), u"Копия"_s);
        QVERIFY(QFile::remove(copy + u".lock"_s));
        planted << copy;
        break;
    }
    case Plant::ProtocolLinkedAway:
        QVERIFY(!KilledJournal(result, u"Ссылка"_s).isEmpty());
        link(away, result + u"/Ссылка.IM.txt"_s);
        link(away, result + u"/Ссылка.IM.recovered.txt"_s);
        break;
    case Plant::HostileCode: {
        const QString journal = KilledJournal(result, u"Код"_s);
        QByteArray bytes = ReadAll(journal);
        const qsizetype start = bytes.indexOf('\n') + 1, end = bytes.indexOf('\n', start);
        QStringList fields = *journal::DecodeLine(QByteArrayView(bytes).sliced(start, end - start));
        fields[3] = u"Иванов:\nвторая строка"_s; // a colon (Windows) and a line break
        bytes.replace(start, end - start + 1, journal::EncodeLine(fields));
        const QString hostile = result + u"/<h1>Код.IM.journal"_s;
        QVERIFY(WriteAll(hostile, bytes));
        QVERIFY(QFile::remove(journal) && QFile::remove(journal + u".lock"_s));
        planted << hostile;
        break;
    }
    }
    QStringList before;
    for (const QString &path : planted)
        before << Fingerprint(path);
    const QString awayBefore = Fingerprint(away);

    QElapsedTimer clock;
    clock.start();
    QVERIFY2(run.start(), qPrintable(u"no window: "_s + run.standardError()));
    QVERIFY2(clock.elapsed() < WindowWithinMs, qPrintable(u"the window came after %1 ms"_s.arg(clock.elapsed())));

    QStringList after;
    for (const QString &path : planted)
        after << Fingerprint(path);
    QCOMPARE(after, before);
    QCOMPARE(Fingerprint(away), awayBefore);
    // Result holds what was planted there and a recovered protocol where one is due: nothing
    // made of a hostile code, nothing left half done.
    QStringList expected;
    for (const QString &path : planted)
        if (QFileInfo(path).absolutePath() == QFileInfo(result).absoluteFilePath())
            expected << QFileInfo(path).fileName();
    if (!recovered.isEmpty())
        expected << recovered;
    QStringList files = run.resultFiles();
    expected.sort();
    files.sort();
    QCOMPARE(files, expected);
    QCOMPARE(run.outsideWrites(), QStringList());

    Operator person(m_x, m_input, run);
    person.logIn();
    QCOMPARE(person.stage(), Stage::SubjectEntry);
    QCOMPARE(person.refusalShown(), named || !recovered.isEmpty());
    run.saveScreenshot(qEnvironmentVariable("KAVR_FAULT_SHOTS"),
                       u"planted-%1"_s.arg(QString::fromUtf8(QTest::currentDataTag()).replace(u' ', u'-')));
    run.stop();
}

QTEST_MAIN(PlantedTest)
#include "test_faults_planted.moc"
