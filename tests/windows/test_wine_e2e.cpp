// The Windows package as a lab gets it: the zip unpacked into a folder of its own and run by
// Wine in a fresh prefix, with a virtual desktop on a private Xvfb (so the window has its frame
// and its system menu), Russian regional settings and the lab's fonts. The operator logs in
// through "О программе" in the system menu; then a whole test as the Linux end-to-end test
// runs it, read off the screen, and the protocol beside the executable. At 100 % and at 150 %
// (Wine's LogPixels) the pointer must land on the physical pixel the program meant. Started
// from the zip's folder view, as Explorer runs it out of the temporary folder, the program
// warns at the log-in and takes no subject.
#include "assets/PictureCatalogue.h"
#include "harness/FigureSet.h"
#include "harness/MonotonicTime.h"
#include "harness/Operator.h"
#include "harness/ProtocolCheck.h"
#include "harness/ScreenMap.h"
#include "harness/StageProbe.h"
#include "harness/TenPlacements.h"
#include "harness/WineProgram.h"
#include "harness/WineSession.h"
#include "harness/XInput.h"
#include "harness/XvfbSession.h"
#include "parameters/TestVariant.h"
#include "testing/BoardGeometry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <X11/keysym.h>
#include <optional>

using namespace kavr;
using namespace kavr::harness;
using namespace Qt::StringLiterals;

namespace {

// Where the program puts the pointer (its own points, in the controls it names): on the first
// figure of the practice palette when the instruction shows, on the first answer figure when
// the answer time starts.
const QPoint PalettePointer = screen::PalettePanelArea(1).topLeft() + QPoint(21, 10);
const QPoint AnswerPointer = screen::AnswerPanelArea(1).topLeft() + QPoint(63, 68);

} // namespace

class WineEndToEndTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void wholeTestFromTheZip();
    void refusedInTheTemporaryFolder();
    void pointerAtScaledDpi();
    void cleanupTestCase();

private:
    // Starts the program and waits for its main window: its client area on the screen.
    std::optional<WinWindow> start();
    // "О программе" from the system menu, opened from the keyboard; the about box's OK. The
    // screenshots' names begin with shots.
    void logIn(const WinWindow &main, const QString &shots = {});
    // Waits until the probe sees stage; false after ms.
    bool waitForStage(Stage stage, int ms) const;
    QImage grab(const QRect &client) const { return m_x.grab(client.translated(m_origin)); }
    Stage stage() const
    {
        return StageProbe([this](const QRect &area) { return m_x.grab(area); }, m_origin).stage();
    }
    QPoint at(QPoint client) const { return client + m_origin; }
    void shot(const QString &name) const { m_x.saveScreenshot(qEnvironmentVariable("KAVR_E2E_SHOTS"), u"wine-"_s + name); }

    XvfbSession m_x;
    XInput m_input;
    QTemporaryDir m_root;
    std::unique_ptr<WineSession> m_wine;
    QString m_exe, m_resultDir;
    QPoint m_origin;
};

void WineEndToEndTest::initTestCase()
{
    QVERIFY2(m_x.start(), "Xvfb did not start");
    QVERIFY2(m_input.open(m_x.display()), qPrintable(m_input.errorString()));
    QVERIFY(m_root.isValid());
    // Unpacked as a lab unpacks it, into a folder of its own.
    const QString app = m_root.filePath(u"lab"_s);
    QVERIFY(WineSession::unpack(QStringLiteral(KAVR_WINDOWS_ZIP), app));
    m_exe = app + u"/KAVR.IM/kavr-im.exe"_s;
    m_resultDir = app + u"/KAVR.IM/Result"_s;
    QVERIFY(QFileInfo::exists(m_exe));
    QCOMPARE(QDir(m_resultDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    // Nothing but the programs (the report with its console twin) and the lab's note: no DLL
    // beside them.
    QCOMPARE(QDir(app + u"/KAVR.IM"_s).entryList(QDir::Files, QDir::Name),
             (QStringList{u"README.txt"_s, u"kavr-im-report.com"_s, u"kavr-im-report.exe"_s,
                          u"kavr-im.exe"_s}));

    m_wine = std::make_unique<WineSession>(m_x, m_root.path(), QStringLiteral(KAVR_WINDOW_LIST));
    QString why;
    QVERIFY2(m_wine->create(96, &why), qPrintable(why));
}

void WineEndToEndTest::cleanupTestCase()
{
    if (m_wine)
        m_wine->stop();
}

std::optional<WinWindow> WineEndToEndTest::start()
{
    if (!m_wine->launch(m_exe))
        return std::nullopt;
    const std::optional<WinWindow> main = m_wine->waitForMainWindow(60'000);
    if (main) {
        m_origin = main->client.topLeft();
        QTest::qWait(1000); // its first paint
    }
    return main;
}

bool WineEndToEndTest::waitForStage(Stage stage, int ms) const
{
    QElapsedTimer clock;
    clock.start();
    while (this->stage() != stage) {
        if (clock.elapsed() > ms)
            return false;
        QTest::qWait(50);
    }
    return true;
}

void WineEndToEndTest::logIn(const WinWindow &main, const QString &shots)
{
    // The system menu from the keyboard; the entry is its last item.
    m_input.key(XK_space, XInput::Alt);
    QTest::qWait(500);
    shot(shots + u"system-menu"_s);
    m_input.key(XK_Up);
    m_input.key(XK_Return);
    QElapsedTimer clock;
    clock.start();
    std::optional<WinWindow> about;
    while (!(about = m_wine->ownedBy(main.handle, u"About"_s)) && clock.elapsed() < 10'000)
        QTest::qWait(200);
    QVERIFY2(about, "no about box");
    QTest::qWait(500); // painted
    shot(shots + u"about"_s);
    m_input.key(XK_Return);
    QVERIFY2(waitForStage(Stage::SubjectEntry, 5000), "no subject entry after the about box");
}

void WineEndToEndTest::wholeTestFromTheZip()
{
    const QString code = u"Тест-01"_s;
    const QString name = u"Иванов И.И."_s;
    const std::optional<WinWindow> main = start();
    QVERIFY2(main, qPrintable(u"no main window\n"_s + m_wine->programOutput()));
    QCOMPARE(main->dpi, 96);
    QVERIFY(waitForStage(Stage::LogIn, 5000));
    logIn(*main);
    if (QTest::currentTestFailed())
        return;
    // Unpacked into a folder of its own: nothing amiss.
    QVERIFY(TextBands(grab(screen::RefusalLine.adjusted(0, 0, 0, 200))).isEmpty());

    // Subject entry: the code and name typed as Unicode, variant B, Enter.
    m_input.click(at(screen::CodeField.center()));
    m_wine->type(code);
    m_input.click(at(screen::NameField.center()));
    m_wine->type(name);
    m_input.click(at(screen::VariantBox.center()));
    m_input.key(XK_Down);
    shot(u"entry-filled"_s);
    m_input.key(XK_Return);
    QVERIFY2(waitForStage(Stage::Instruction, 5000), "no instruction after the entry");
    QCOMPARE(m_wine->mainWindow()->title, u"KAVR.IM Вариант B"_s);
    QTest::qWait(300);
    QCOMPARE(m_input.pointer(), at(PalettePointer));
    shot(u"instruction"_s);

    // One practice placement, then F1 and the figures of the exposure.
    const FigureSet palette(assets::PaletteBase);
    const QRect palette1 = screen::PaletteImageArea(1);
    QVERIFY2(palette.recognise(grab(palette1)) != 0, "the practice palette is not shown");
    m_input.click(at(palette1.center()));
    m_input.click(at(screen::PracticePanelArea(1).center()));
    QTest::qWait(300);
    QCOMPARE(palette.recognise(grab(palette1)), 0);
    m_input.key(XK_F1);
    QTest::qWait(1000);
    shot(u"exposure"_s);
    QCOMPARE(stage(), Stage::Exposure);
    const FigureSet exposed(TestVariants[1].exposurePictures);
    FiguresSeen seen;
    for (int panel = 1; panel <= 12; ++panel) {
        const int figure = seen.keyOrder[panel] = exposed.recognise(grab(screen::TaskImageArea(panel)));
        QVERIFY2(figure != 0, qPrintable(u"panel %1 shows no figure of set B"_s.arg(panel)));
        QVERIFY(seen.panelOf[figure] == 0);
        seen.panelOf[figure] = panel;
    }

    // The answer row after the 30 s, and the pointer on its first figure.
    const FigureSet offeredSet(TestVariants[1].answerPictures);
    QElapsedTimer clock;
    clock.start();
    while (offeredSet.recognise(grab(screen::AnswerImageArea(1))) == 0) {
        QVERIFY2(clock.elapsed() < 35'000, "the answer row did not appear");
        QThread::msleep(5);
    }
    const std::int64_t answerSeen = MonotonicNs();
    QVERIFY2(clock.elapsed() > 27'000, qPrintable(u"the answer row came after %1 ms"_s.arg(clock.elapsed())));
    shot(u"answer"_s);
    QCOMPARE(m_input.pointer(), at(AnswerPointer));
    for (int position = 1; position <= 12; ++position) {
        seen.offered[position] = offeredSet.recognise(grab(screen::AnswerImageArea(position)));
        QVERIFY(seen.offered[position] >= 1);
    }

    const QList<Placement> placements = PlaceTen(m_input, [this](QPoint p) { return at(p); }, seen, answerSeen);
    shot(u"placed"_s);

    // The time-out: the protocol beside the executable.
    const QString path = QDir(m_resultDir).filePath(code + u".IM.txt"_s);
    while (!QFile::exists(path)) {
        QVERIFY2(clock.elapsed() < 100'000, "no protocol after the answer time");
        QTest::qWait(200);
    }
    QTest::qWait(500);
    shot(u"finished"_s);
    QCOMPARE(QDir(m_resultDir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{code + u".IM.txt"_s});

    const ProtocolReport protocol = ProtocolCheck::checkFile(path);
    QVERIFY2(protocol.problems.isEmpty(), qPrintable(protocol.problems.join(u'\n')));
    const report::ProtocolRecord &record = *protocol.record;
    QCOMPARE(protocol.lines.size(), 23);
    QCOMPARE(record.code, code);
    QCOMPARE(record.name, name);
    // The regional settings of the prefix: Russian date, 24-hour time.
    QVERIFY2(QRegularExpression(u"^\\d\\d\\.\\d\\d\\.\\d{4} \\d{1,2}:\\d\\d:\\d\\d$"_s).match(record.dateTime).hasMatch(),
             qPrintable(record.dateTime));
    QCOMPARE(record.variant, u"Вариант B"_s);
    CheckTenPlacements(record, placements, seen);
    m_wine->stop();
}

void WineEndToEndTest::refusedInTheTemporaryFolder()
{
    // Explorer's "open" on the zip and a double click on kavr-im.exe in its folder view: Windows
    // unpacks it into the user's temporary folder and runs it from there.
    const QString zip = QStringLiteral(KAVR_WINDOWS_ZIP);
    const QString temporary = m_wine->temporaryFolder();
    QVERIFY(!temporary.isEmpty());
    const QString folder = temporary + u"/Temp1_"_s + QFileInfo(zip).fileName();
    QVERIFY(WineSession::unpack(zip, folder));
    WineProgram run(m_x, m_input, *m_wine, folder + u"/KAVR.IM/kavr-im.exe"_s);
    qInfo("started as %s", qPrintable(m_wine->dosPath(run.exe())));
    QVERIFY2(run.start(), qPrintable(run.standardError()));
    Operator person(m_x, m_input, run);
    QCOMPARE(person.stage(), Stage::LogIn);
    QVERIFY(!person.refusalShown());

    // The warning comes with the entry controls, before any subject sits down.
    person.logIn();
    QCOMPARE(person.stage(), Stage::SubjectEntry);
    const qsizetype warning = person.noticeLines();
    QVERIFY2(warning >= 2, qPrintable(u"%1 lines of notice"_s.arg(warning)));
    shot(u"temporary-folder"_s);

    // A valid entry is refused, its reason above the warning, and nothing is written.
    person.fillCode(u"Врем-1"_s);
    person.fillName(u"Сидоров С.С."_s);
    person.pressEnter();
    QCOMPARE(person.stage(), Stage::SubjectEntry);
    QCOMPARE(run.mainTitle(), u"KAVR.IM"_s);
    QVERIFY(person.noticeLines() > warning);
    shot(u"temporary-folder-refused"_s);
    QCOMPARE(run.resultFiles(), QStringList());
    person.clickNowhere();
    m_input.key(XK_Escape);
    QVERIFY2(run.waitForCleanExit(15'000), qPrintable(run.exitDescription()));
    QCOMPARE(run.resultFiles(), QStringList());
    QCOMPARE(run.outsideWrites(), QStringList());
    m_wine->stop();
}

void WineEndToEndTest::pointerAtScaledDpi()
{
    QString why;
    QVERIFY2(m_wine->setDpi(144, &why), qPrintable(why));
    const std::optional<WinWindow> main = start();
    QVERIFY2(main, qPrintable(u"no main window\n"_s + m_wine->programOutput()));
    QCOMPARE(main->dpi, 144);
    shot(u"scaled-start"_s);
    logIn(*main, u"scaled-"_s);
    if (QTest::currentTestFailed())
        return;
    // The program's points are device-independent: on the screen 1.5 times as far from the
    // client area's corner. A click there reaches the field meant.
    auto physical = [this](QPoint logical) { return m_origin + QPoint(qRound(logical.x() * 1.5), qRound(logical.y() * 1.5)); };
    m_input.click(physical(screen::CodeField.center()));
    m_wine->type(u"Масштаб"_s);
    m_input.click(physical(screen::NameField.center()));
    m_wine->type(u"Петров П.П."_s);
    m_input.key(XK_Return);
    QTest::qWait(1500);
    shot(u"scaled-instruction"_s);
    QVERIFY2(m_wine->mainWindow()->title.startsWith(u"KAVR.IM Вариант"_s), "no test set up after the entry");
    const QPoint expected = physical(PalettePointer);
    const QPoint pointer = m_input.pointer();
    QVERIFY2((pointer - expected).manhattanLength() <= 1,
             qPrintable(u"the pointer is at %1, %2; expected %3, %4"_s.arg(pointer.x()).arg(pointer.y()).arg(expected.x()).arg(expected.y())));
    m_wine->stop();
}

QTEST_GUILESS_MAIN(WineEndToEndTest)
#include "test_wine_e2e.moc"
