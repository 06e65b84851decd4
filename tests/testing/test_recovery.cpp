// The journal kept by the main window and what the next start makes of it (that a recovered
// protocol is the one the test would have saved is the run's tests' business): a window closed
// during the test leaves its exposure or answer phase to be recovered, and no protocol; the
// operator is told on the log-in layer until the first valid entry.
#include "support/FormFixture.h"
#include "support/TestFiles.h"
#include "testing/core/CodePage.h"
#include "testing/core/JournalRecovery.h"
#include "ui/FigureImage.h"
#include "ui/Panel.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace kavr;
using namespace kavr::test;
using namespace Qt::StringLiterals;

namespace {

enum class Closed { Instruction, Exposure, AnswerPhase };
// Why the recovery's notice could not be shown at this start.
enum class Late { SubjectAtWork, ClosedBeforeLogIn, SettingsDamaged, SettingsUnwritable };

void PlaceFigure(FormFixture &f, int figure, int onPanelOf, qint64 pickMs, qint64 placeMs)
{
    f.clock.advanceMs(pickMs);
    f.click(f.form->boards().AnswerImages[f.offerPositionOf(figure)]);
    f.clock.advanceMs(placeMs);
    f.click(f.form->boards().TaskPanels[f.panelOf(onPanelOf)]);
}

QStringList Entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class RecoveryTest : public QObject
{
    Q_OBJECT

private slots:
    void closingDuringTheTest_data();
    void closingDuringTheTest();
    void operatorIsToldUntilValidEntry();
    void noticeReachesTheNextStart_data();
    void noticeReachesTheNextStart();
};

void RecoveryTest::closingDuringTheTest_data()
{
    QTest::addColumn<Closed>("closed");
    QTest::addColumn<QString>("counts"); // line 7 of the recovered protocol; empty: no journal
    QTest::newRow("instruction") << Closed::Instruction << QString();
    QTest::newRow("exposure") << Closed::Exposure << u"T ответа =   0 сек,  N[+] = 0,  N[-] = 0,  N[0] = 12"_s;
    QTest::newRow("answer phase") << Closed::AnswerPhase << u"T ответа =   5 сек,  N[+] = 1,  N[-] = 0,  N[0] = 11"_s;
}

void RecoveryTest::closingDuringTheTest()
{
    QFETCH(Closed, closed);
    QFETCH(QString, counts);
    FormFixture f;
    f.enterSubject();
    if (closed == Closed::Exposure)
        f.pressKey(Qt::Key_F1);
    if (closed == Closed::AnswerPhase) {
        f.startAnswerPhase();
        PlaceFigure(f, 6, 6, 3'000, 2'000);
    }
    const int stage = f.form->run().state().Stage;
    f.form->close();
    // No protocol, no tick after the close, the taskbar shown.
    QVERIFY(!f.form->phases().isActive());
    QTest::qWait(20);
    QCOMPARE(f.form->run().state().Stage, stage);
    QCOMPARE(f.desktop.calls.last(), u"ShowTaskbar"_s);
    QVERIFY(!QFileInfo::exists(f.resultDir() + u"/Код-7.IM.txt"_s));
    f.about.reset();
    f.form.reset();

    // The next start.
    const RecoveryReport report = RecoverJournals({f.resultDir(), {}});
    if (counts.isEmpty()) {
        QVERIFY(report.paths(RecoveryReport::Kind::Recovered).isEmpty());
        QCOMPARE(Entries(f.resultDir()), QStringList());
        return;
    }
    QCOMPARE(report.paths(RecoveryReport::Kind::Recovered), QStringList{f.resultDir() + u"/Код-7.IM.recovered.txt"_s});
    const QStringList lines = FromWindows1251(ReadAll(report.paths(RecoveryReport::Kind::Recovered).first())).split(u"\r\n"_s);
    QCOMPARE(lines.size(), 24);
    QCOMPARE(lines.at(6), counts);
    QCOMPARE(Entries(f.resultDir()), QStringList{u"Код-7.IM.recovered.txt"_s});
}

void RecoveryTest::operatorIsToldUntilValidEntry()
{
    FormFixture f;
    const QStringList notice{u"Восстановлен протокол прерванного теста: А-1.IM.recovered.txt"_s,
                             u"Восстановлен протокол прерванного теста: Б-2.IM.recovered.txt"_s};
    RecoveryReport report;
    for (const QString &name : {u"А-1"_s, u"Б-2"_s})
        report.entries << RecoveryReport::Entry{RecoveryReport::Kind::Recovered, f.resultDir() + u'/' + name + u".IM.recovered.txt"_s};
    f.form->setRecoveryNotice(report);
    QVERIFY(f.form->logInNotice->isHidden()); // nothing before the entry controls appear
    f.logIn();
    QVERIFY(f.form->logInNotice->isVisible());
    QCOMPARE(f.form->logInNotice->text(), notice.join(u'\n'));
    QVERIFY(f.form->logInNotice->height() >= f.form->logInNotice->heightForWidth(f.form->logInNotice->width()));
    // A refused entry says why, above the notice, which stays.
    f.form->EditUser->setText(u"../x"_s);
    f.form->EditPassword->setText(u"Петров"_s);
    f.pressKey(Qt::Key_Return);
    QCOMPARE(f.form->run().state().Stage, 1);
    const QStringList shown = f.form->logInNotice->text().split(u'\n');
    QCOMPARE(shown.size(), 3);
    QVERIFY(shown.first().startsWith(u"Код обследуемого "_s));
    QCOMPARE(shown.mid(1), notice);
    // The first valid entry takes it away for good.
    f.form->EditUser->setText(u"12"_s);
    f.pressKey(Qt::Key_Return);
    QCOMPARE(f.form->run().state().Stage, 2);
    QVERIFY(f.form->logInNotice->isHidden());
    f.logIn();
    QVERIFY(f.form->logInNotice->isHidden());
}

void RecoveryTest::noticeReachesTheNextStart_data()
{
    QTest::addColumn<Late>("late");
    // The start's recovery ends on a slow share while the subject is already at work.
    QTest::newRow("a subject at work") << Late::SubjectAtWork;
    QTest::newRow("the window closed before the log-in") << Late::ClosedBeforeLogIn;
    QTest::newRow("the settings file damaged") << Late::SettingsDamaged;
    // Told when the window closes instead, since the next start cannot be.
    QTest::newRow("the settings file cannot be written") << Late::SettingsUnwritable;
}

void RecoveryTest::noticeReachesTheNextStart()
{
    QFETCH(Late, late);
    QTemporaryDir settings;
    QString file = settings.filePath(u"kavr-im.ini"_s);
    if (late == Late::SettingsDamaged)
        QVERIFY(WriteAll(file, "[recovery]\nunseen=@Invalid(\n"));
    if (late == Late::SettingsUnwritable) {
        QVERIFY(WriteAll(settings.filePath(u"file"_s), {}));
        file = settings.filePath(u"file/kavr-im.ini"_s); // no folder can be made there
    }
    // Two lines: a list in the settings file, as one line is a string.
    QStringList lines;
    {
        FormFixture f;
        f.form->setCarriedNoticeFile(file);
        // Protocols recovered into this start's Result: named there by their names, and by their
        // full paths at the next start, which may run from elsewhere.
        RecoveryReport report;
        for (const QString &name : {u"А-1"_s, u"Б-2"_s}) {
            const QString recovered = f.resultDir() + u'/' + name + u".IM.recovered.txt"_s;
            report.entries << RecoveryReport::Entry{RecoveryReport::Kind::Recovered, recovered};
            lines << u"Восстановлен протокол прерванного теста: "_s
                    + QDir::toNativeSeparators(recovered);
        }
        // A test still running elsewhere: the next start finds it again, and says so itself.
        report.entries << RecoveryReport::Entry{RecoveryReport::Kind::Undecided,
                                                f.resultDir() + u"/В-3.IM.journal"_s, u"ЛАБ-2"_s};
        if (late != Late::ClosedBeforeLogIn) {
            f.logIn(); // a damaged file shows nothing of what it holds
            QVERIFY2(!f.form->logInNotice->text().contains(u'@'),
                     qPrintable(f.form->logInNotice->text()));
            f.enterSubject(u"12"_s, u"Петров"_s, 0);
            f.pressKey(Qt::Key_F1);
        }
        f.form->setRecoveryNotice(report);
        QVERIFY(f.form->logInNotice->isHidden()); // the subject's screens stay as they are
        f.form->close();
        QCOMPARE(f.errors.size(), late == Late::SettingsUnwritable ? 1 : 0);
        if (late == Late::SettingsUnwritable)
            QVERIFY2(f.errors.first().contains(lines.join(u'\n')), qPrintable(f.errors.first()));
    }
    // The next start's entry controls name them, with the paths in full, once.
    for (const bool first : {true, false}) {
        FormFixture f;
        f.form->setCarriedNoticeFile(file);
        f.logIn();
        const QString shown = f.form->logInNotice->text();
        QCOMPARE(shown.contains(lines.join(u'\n')), first && late != Late::SettingsUnwritable);
        QVERIFY2(!shown.contains(u'@') && !shown.contains(u"В-3"_s), qPrintable(shown));
    }
}

QTEST_MAIN(RecoveryTest)
#include "test_recovery.moc"
