// Saves that fail the Windows way, against kavr-im.exe from the zip under Wine, the package
// unpacked as a lab might into C:\Лаборатория психолога\KAVR.IM (Cyrillic letters and a blank
// on the way to every file): an earlier protocol of the code given the read-only attribute
// (attrib +r), one held open by another program that lets no one replace it (as a spreadsheet
// holds it), and Result deleted before the start. The subject places the twelve figures at
// once. A failed save shows a message box that names the file, says why and where the protocol
// went, read as Windows copies a message box (Ctrl+C); the protocol is whole there and the
// earlier file untouched. Without Result, the save makes it and says nothing.
#include "harness/MonotonicTime.h"
#include "harness/Operator.h"
#include "harness/ProtocolCheck.h"
#include "harness/WineProgram.h"
#include "harness/WineSession.h"
#include "harness/XInput.h"
#include "harness/XvfbSession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <X11/keysym.h>
#include <memory>

using namespace kavr::harness;
using namespace Qt::StringLiterals;

namespace {

enum class Fault { ReadOnly, HeldOpen, NoResult };

const QString Separator = u"---------------------------\n"_s;

} // namespace

Q_DECLARE_METATYPE(Fault)

class WineFaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void failedSave_data();
    void failedSave();
    void cleanupTestCase();

private:
    void shot(const QString &name) const
    {
        m_x.saveScreenshot(qEnvironmentVariable("KAVR_E2E_SHOTS"), u"wine-fault-"_s + name);
    }

    XvfbSession m_x;
    XInput m_input;
    QTemporaryDir m_root;
    std::unique_ptr<WineSession> m_wine;
    std::unique_ptr<WineProgram> m_run;
};

void WineFaultsTest::initTestCase()
{
    QVERIFY2(m_x.start(), "Xvfb did not start");
    QVERIFY2(m_input.open(m_x.display()), qPrintable(m_input.errorString()));
    QVERIFY(m_root.isValid());
    m_wine = std::make_unique<WineSession>(m_x, m_root.path(), QStringLiteral(KAVR_WINDOW_LIST));
    QString why;
    QVERIFY2(m_wine->create(96, &why), qPrintable(why));
    const QString lab = m_wine->unixPath(u"C:\\Лаборатория психолога"_s);
    QVERIFY(WineSession::unpack(QStringLiteral(KAVR_WINDOWS_ZIP), lab));
    m_run = std::make_unique<WineProgram>(m_x, m_input, *m_wine, lab + u"/KAVR.IM/kavr-im.exe"_s);
    QCOMPARE(m_wine->dosPath(m_run->exe()), u"C:\\Лаборатория психолога\\KAVR.IM\\kavr-im.exe"_s);
}

void WineFaultsTest::cleanupTestCase()
{
    if (m_wine)
        m_wine->stop();
}

void WineFaultsTest::failedSave_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("reason"); // what the message says after the file's name
    QTest::newRow("read-only earlier protocol")
        << Fault::ReadOnly << u"Архив-1"_s << u" (файл защищён от записи)"_s;
    QTest::newRow("earlier protocol held open")
        << Fault::HeldOpen << u"Открыт 2"_s << u" (файл открыт другой программой); закройте его там, чтобы следующий протокол этого кода лёг на место"_s;
    QTest::newRow("Result deleted") << Fault::NoResult << u"Новый-3"_s << QString();
}

void WineFaultsTest::failedSave()
{
    QFETCH(Fault, fault);
    QFETCH(QString, code);
    QFETCH(QString, reason);
    const QString name = u"Смирнова Ё.Ж."_s;
    const QString intended = QDir(m_run->resultDir()).filePath(code + u".IM.txt"_s);
    const QString fallback = QDir(m_wine->profileFolder()).filePath(code + u".IM.txt"_s);
    const QByteArray earlier = QStringEncoder("windows-1251")(u"Протокол прежнего теста\r\n"_s);

    // The fault, as the lab or another program made it.
    std::unique_ptr<QProcess> holder;
    if (fault == Fault::NoResult) {
        QVERIFY(QDir(m_run->resultDir()).removeRecursively());
    } else {
        QFile file(intended);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(earlier) == earlier.size());
        file.close();
    }
    if (fault == Fault::ReadOnly) {
        QCOMPARE(m_wine->runProgram({u"attrib"_s, u"+r"_s, m_wine->dosPath(intended)}, 30'000), 0);
        QVERIFY(!(QFileInfo(intended).permissions() & QFile::WriteOwner)); // Wine keeps the attribute so
    } else if (fault == Fault::HeldOpen) {
        holder = m_wine->startProgram({m_wine->dosPath(QStringLiteral(KAVR_JOURNAL_TOOL)), u"hold-open"_s,
                                       m_wine->dosPath(intended)});
        QVERIFY(holder->waitForReadyRead(30'000));
        QCOMPARE(holder->readLine().trimmed(), QByteArray("ready"));
    }

    const QStringList files = m_run->resultFiles();

    // The log-in: Result takes files (or is made for the probe and goes again): nothing to say.
    QVERIFY2(m_run->start(), qPrintable(m_run->standardError()));
    Operator person(m_x, m_input, *m_run);
    person.logIn();
    QCOMPARE(person.stage(), Stage::SubjectEntry);
    QVERIFY(!person.refusalShown());
    QCOMPARE(QFileInfo::exists(m_run->resultDir()), fault != Fault::NoResult);

    // The test, the twelve figures placed as soon as they come.
    person.fillCode(code);
    person.fillName(name);
    person.pressEnter();
    QCOMPARE(person.stage(), Stage::Instruction);
    person.startTest();
    QCOMPARE(person.stage(), Stage::Exposure);
    QElapsedTimer clock;
    clock.start();
    while (person.stage() != Stage::Answer) {
        QVERIFY2(clock.elapsed() < 35'000, "the answer phase did not come");
        QTest::qWait(100);
    }
    QTest::qWait(300);
    std::int64_t last = 0;
    for (int i = 1; i <= 12; ++i) {
        last = person.place(i, i);
        QTest::qWait(50);
    }

    QList<TopLevel> boxes;
    if (fault == Fault::NoResult) {
        // Saved into the Result made for it, and nothing said.
        for (clock.restart(); !QFileInfo::exists(intended) && clock.elapsed() < 10'000;)
            QTest::qWait(100);
        QTest::qWait(1500);
        shot(u"saved"_s);
        QVERIFY(m_run->messageBoxes().isEmpty());
        QCOMPARE(m_run->resultFiles(), QStringList{code + u".IM.txt"_s});
    } else {
        for (clock.restart(); boxes.isEmpty() && clock.elapsed() < 15'000; QTest::qWait(50))
            boxes = m_run->messageBoxes();
        const double waited = ToMs(MonotonicNs() - last) / 1000.0;
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(person.stage(), Stage::Finished);
        // A file held open is tried again for 3 s; a read-only one is left at once.
        if (fault == Fault::HeldOpen)
            QVERIFY2(waited >= 3.0, qPrintable(u"the message came %1 s after the last placement"_s.arg(waited)));
        else
            QVERIFY2(waited < 2.5, qPrintable(u"the message came %1 s after the last placement"_s.arg(waited)));
        shot(QString::fromUtf8(QTest::currentDataTag()).replace(u' ', u'-'));

        const QStringList parts = m_run->messageText(boxes.first()).split(Separator);
        QVERIFY2(parts.size() >= 4, qPrintable(parts.join(Separator)));
        QCOMPARE(parts[1], u"KAVR.IM\n"_s);
        QCOMPARE(parts[2], u"Cannot create file %1%2\nПротокол сохранён в файле %3.\n"_s
                               .arg(m_wine->dosPath(intended), reason, m_wine->dosPath(fallback)));
        // The earlier protocol as it was, nothing else left in Result.
        QFile file(intended);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), earlier);
        QCOMPARE(m_run->resultFiles(), files);
        if (fault == Fault::ReadOnly) {
            QString attributes;
            m_wine->runProgram({u"attrib"_s, m_wine->dosPath(intended)}, 30'000, &attributes);
            QVERIFY2(attributes.left(attributes.indexOf(u"C:"_s)).contains(u'R'), qPrintable(attributes));
        }
    }

    // The protocol, whole, where the message said.
    const QString saved = fault == Fault::NoResult ? intended : fallback;
    const ProtocolReport protocol = ProtocolCheck::checkFile(saved);
    QVERIFY2(protocol.problems.isEmpty(), qPrintable(protocol.problems.join(u'\n')));
    QCOMPARE(protocol.placed, 12);
    QCOMPARE(protocol.record->code, code);
    QCOMPARE(protocol.record->name, name);

    // OK; the program goes on until its window is closed, and ends cleanly.
    if (!boxes.isEmpty()) {
        m_input.key(XK_Return);
        QTest::qWait(500);
        QVERIFY(m_run->messageBoxes().isEmpty());
        QVERIFY(m_run->running());
    }
    m_run->requestClose();
    QVERIFY2(m_run->waitForCleanExit(15'000), qPrintable(m_run->exitDescription()));
    const QStringList written = m_run->outsideWrites();
    QCOMPARE(written, fault == Fault::NoResult ? QStringList() : QStringList{fallback});
    if (holder) {
        holder->closeWriteChannel();
        QVERIFY(holder->waitForFinished(10'000));
    }
}

QTEST_GUILESS_MAIN(WineFaultsTest)
#include "test_wine_faults.moc"
