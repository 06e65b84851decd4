// The real program under a private X server, with a Result folder it may not write. The
// operator types hostile codes and names, each refused with the maroon line and nothing
// written; then a name over two lines, and keys after the set-up. The subject places
// the twelve figures; the save fails, the program shows its message box ("KAVR.IM", the error
// icon), the protocol is whole in the home folder, the program goes on after OK and ends
// normally when its window is closed.
#include "harness/Operator.h"
#include "harness/ProgramRun.h"
#include "harness/ProtocolCheck.h"
#include "harness/XInput.h"
#include "harness/XvfbSession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <X11/keysym.h>
#include <unistd.h>

using namespace kavr::harness;
using namespace Qt::StringLiterals;

class FaultsXvfbTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void hostileEntriesAndFailedSave();

private:
    XvfbSession m_x;
    XInput m_input;
};

void FaultsXvfbTest::initTestCase()
{
    QVERIFY2(m_x.start(), "Xvfb did not start");
    QVERIFY2(m_input.open(m_x.display()), qPrintable(m_input.errorString()));
}

void FaultsXvfbTest::hostileEntriesAndFailedSave()
{
    ProgramRun run(m_x, m_input);
    QVERIFY(run.prepare(QStringLiteral(KAVR_PROGRAM)));
    if (::geteuid() == 0 && !run.ownUser())
        QSKIP("the program would run as root, whom no folder refuses");
    // The folder is the installer's, not the program user's, and open to reading only.
    if (::geteuid() == 0)
        QCOMPARE(::chown(QFile::encodeName(run.resultDir()).constData(), 0, 0), 0);
    QVERIFY(QFile::setPermissions(run.resultDir(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                                       | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
    QVERIFY2(run.start(), qPrintable(run.standardError()));
    Operator person(m_x, m_input, run);
    person.logIn();
    QCOMPARE(person.stage(), Stage::SubjectEntry);

    const QList<std::pair<QString, QString>> refused = {
        {u"../x"_s, u"Иванов"_s},     {u"..\\x"_s, u"Иванов"_s},    {u"/tmp/x"_s, u"Иванов"_s},
        {u"C:x"_s, u"Иванов"_s},      {u"con"_s, u"Иванов"_s},      {u"Nul.txt"_s, u"Иванов"_s},
        {u"COM9"_s, u"Иванов"_s},     {u"x "_s, u"Иванов"_s},       {u" x"_s, u"Иванов"_s},
        {u"x."_s, u"Иванов"_s},       {u"Код😀"_s, u"Иванов"_s},    {u"李01"_s, u"Иванов"_s},
        {QString(201, u'7'), u"Иванов"_s},
        {u"77"_s, u"Ли 李"_s},        {u"77"_s, u"Иванов 🙂"_s},    {u"77"_s, u"Пе\u0301тров"_s},
    };
    for (const auto &[code, name] : refused) {
        person.fillCode(code);
        person.fillName(name);
        person.pressEnter();
        QVERIFY2(person.stage() == Stage::SubjectEntry, qPrintable(u"accepted: "_s + code + u" / "_s + name));
        QVERIFY2(person.refusalShown(), qPrintable(u"no reason shown for "_s + code + u" / "_s + name));
    }
    qInfo("%lld hostile entries typed, each refused with its reason", qlonglong(refused.size()));

    // A name typed over two lines: the line field takes no line break, so the name comes in
    // as one line and is accepted. What is typed after the set-up reaches nothing.
    person.fillCode(u"Тест-7"_s);
    person.fillName(u"Иванов\nИ.И."_s);
    person.pressEnter();
    QCOMPARE(person.stage(), Stage::Instruction);
    m_input.type(u"ЗЗЗ 1\n"_s, 20);
    person.clickNowhere();
    m_input.type(u"qq\n"_s, 20);

    person.startTest();
    QCOMPARE(person.stage(), Stage::Exposure);
    QElapsedTimer clock;
    clock.start();
    while (person.stage() != Stage::Answer) {
        QVERIFY2(clock.elapsed() < 40'000, "the answer phase did not come");
        QTest::qWait(200);
    }
    QTest::qWait(300);
    person.placeAll();

    // The message box of the failed save.
    QList<TopLevel> boxes;
    for (clock.restart(); boxes.isEmpty() && clock.elapsed() < 10'000; QTest::qWait(200))
        boxes = run.messageBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(person.stage(), Stage::Finished);
    const QImage box = m_x.grab(boxes.first().geometry);
    if (const QString folder = qEnvironmentVariable("KAVR_FAULT_SHOTS"); !folder.isEmpty())
        box.save(QDir(folder).filePath(u"failed-save-message.png"_s));
    int red = 0;
    for (int y = 0; y < box.height(); ++y)
        for (int x = 0; x < box.width(); ++x) {
            const QColor c(box.pixel(x, y));
            red += c.red() > 180 && c.green() < 90 && c.blue() < 90 ? 1 : 0;
        }
    QVERIFY2(red > 40, "the message box shows no error icon");

    // The protocol is whole in the home folder, under the code set up, the name in one line.
    QCOMPARE(QDir(run.resultDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    const QString saved = QDir(run.homeDir()).filePath(u"Тест-7.IM.txt"_s);
    const ProtocolReport protocol = ProtocolCheck::checkFile(saved);
    QVERIFY2(protocol.problems.isEmpty(), qPrintable(protocol.problems.join(u'\n')));
    QCOMPARE(protocol.placed, 12);
    QCOMPARE(protocol.headerBlocks, 1);
    QCOMPARE(protocol.record->code, u"Тест-7"_s);
    QCOMPARE(protocol.record->name, u"ИвановИ.И."_s);

    // OK; the program carries on until its window is closed.
    m_input.click(boxes.first().geometry.center()); // gives the box the keyboard
    m_input.key(XK_Return);
    QTest::qWait(500);
    QVERIFY(run.messageBoxes().isEmpty());
    QVERIFY(run.running());
    QCOMPARE(person.stage(), Stage::Finished);
    m_input.requestClose(run.mainWindow());
    QVERIFY2(run.waitForCleanExit(15'000), qPrintable(run.exitDescription() + u'\n' + run.standardError()));
    QCOMPARE(run.outsideWrites(), QStringList{saved});
}

QTEST_GUILESS_MAIN(FaultsXvfbTest)
#include "test_faults_xvfb.moc"
