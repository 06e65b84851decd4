// The real program under a private X server, driven through XTest only: log-in through the
// about box, subject entry, one practice placement, F1, the 30 s exposure read off the screen,
// ten placements (two of them wrong) and the time-out; then the protocol file it wrote.
#include "assets/PictureCatalogue.h"
#include "harness/FigureSet.h"
#include "harness/MonotonicTime.h"
#include "harness/ProgramRun.h"
#include "harness/ProtocolCheck.h"
#include "harness/ScreenMap.h"
#include "harness/TenPlacements.h"
#include "harness/XInput.h"
#include "harness/XvfbSession.h"
#include "parameters/TestVariant.h"
#include "testing/BoardGeometry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <X11/keysym.h>

using namespace kavr;
using namespace kavr::harness;

class EndToEndTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void wholeTestWritesItsProtocol();
    void cleanupTestCase();

private:
    QPoint at(QPoint client) const { return m_run.at(client); }
    void shot(const QString &name) { m_x.saveScreenshot(qEnvironmentVariable("KAVR_E2E_SHOTS"), name); }

    XvfbSession m_x;
    XInput m_input;
    ProgramRun m_run{m_x, m_input};
};

void EndToEndTest::initTestCase()
{
    QVERIFY2(m_x.start(), "Xvfb did not start");
    QVERIFY2(m_input.open(m_x.display()), qPrintable(m_input.errorString()));
    // The protocol goes beside the executable: run a copy in a folder of our own.
    QVERIFY(m_run.prepare(QStringLiteral(KAVR_PROGRAM)));
    QVERIFY2(m_run.start(), qPrintable(QStringLiteral("the main window did not appear\n") + m_run.standardError()));
}

void EndToEndTest::cleanupTestCase()
{
    m_run.stop();
}

void EndToEndTest::wholeTestWritesItsProtocol()
{
    const QString code = QStringLiteral("Тест-01");
    const QString name = QStringLiteral("Иванов И.И.");

    // Log-in: "О программе" from the window's context menu, OK by Enter.
    m_input.click(at(screen::MenuPoint), 3);
    QTest::qWait(300);
    m_input.click(at(screen::MenuPoint + screen::AboutItemOffset));
    QTest::qWait(500);
    bool about = false;
    for (const TopLevel &window : m_run.otherWindows())
        about = about || window.name == QLatin1String("About");
    QVERIFY2(about, "the about box did not open");
    shot(QStringLiteral("about"));
    m_input.key(XK_Return);
    QTest::qWait(500);
    shot(QStringLiteral("entry"));

    // Subject entry: code, name, variant B, Enter.
    m_input.click(at(screen::CodeField.center()));
    m_input.type(code, 40);
    m_input.click(at(screen::NameField.center()));
    m_input.type(name, 40);
    m_input.click(at(screen::VariantBox.center()));
    m_input.key(XK_Down);
    shot(QStringLiteral("entry-filled"));
    m_input.key(XK_Return);
    QTest::qWait(800);
    shot(QStringLiteral("instruction"));

    // One practice placement: the first palette figure onto practice panel 1.
    const FigureSet palette(assets::PaletteBase);
    const QRect palette1 = screen::PaletteImageArea(1);
    QVERIFY2(palette.recognise(m_run.grab(palette1)) != 0, "the practice palette is not shown");
    m_input.click(at(palette1.center()));
    m_input.click(at(screen::PracticePanelArea(1).center()));
    QTest::qWait(300);
    QCOMPARE(palette.recognise(m_run.grab(palette1)), 0); // the figure left the palette

    // F1: the exposure. Read which figure lies on which panel.
    m_input.key(XK_F1);
    QTest::qWait(1000);
    shot(QStringLiteral("exposure"));
    const FigureSet exposed(TestVariants[1].exposurePictures);
    FiguresSeen seen;
    for (int panel = 1; panel <= 12; ++panel) {
        const int figure = seen.keyOrder[panel] = exposed.recognise(m_run.grab(screen::TaskImageArea(panel)));
        QVERIFY2(figure != 0, qPrintable(QStringLiteral("panel %1 shows no figure of set B").arg(panel)));
        QVERIFY(seen.panelOf[figure] == 0);
        seen.panelOf[figure] = panel;
    }

    // The answer phase: wait for the answer row, read it.
    const FigureSet offeredSet(TestVariants[1].answerPictures);
    QElapsedTimer clock;
    clock.start();
    while (offeredSet.recognise(m_run.grab(screen::AnswerImageArea(1))) == 0) {
        QVERIFY2(clock.elapsed() < 35'000, "the answer row did not appear");
        QThread::msleep(5);
    }
    const std::int64_t answerSeen = MonotonicNs();
    shot(QStringLiteral("answer"));
    for (int position = 1; position <= 12; ++position) {
        seen.offered[position] = offeredSet.recognise(m_run.grab(screen::AnswerImageArea(position)));
        QVERIFY(seen.offered[position] >= 1);
    }

    const QList<Placement> placements = PlaceTen(m_input, [this](QPoint p) { return at(p); }, seen, answerSeen);
    shot(QStringLiteral("placed"));

    // The time-out ends the test and writes the protocol.
    const QString path = QDir(m_run.resultDir()).filePath(code + QStringLiteral(".IM.txt"));
    while (!QFile::exists(path)) {
        QVERIFY2(clock.elapsed() < 100'000, "no protocol after the answer time");
        QTest::qWait(200);
    }
    QTest::qWait(300);
    shot(QStringLiteral("finished"));
    QCOMPARE(m_run.resultFiles(), QStringList{code + QStringLiteral(".IM.txt")});

    // Windows-1251, CR LF after every line, whole and consistent (ProtocolCheck); then what
    // this test did.
    const ProtocolReport protocol = ProtocolCheck::checkFile(path);
    QVERIFY2(protocol.problems.isEmpty(), qPrintable(protocol.problems.join(QLatin1Char('\n'))));
    const report::ProtocolRecord &record = *protocol.record;
    QCOMPARE(protocol.lines.size(), 23);
    QCOMPARE(protocol.headerBlocks, 1);
    QCOMPARE(protocol.instructionLines, 1);
    QCOMPARE(record.code, code);
    QCOMPARE(record.name, name);
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d$")).match(record.dateTime).hasMatch(),
             qPrintable(record.dateTime));
    QCOMPARE(record.variant, QStringLiteral("Вариант B"));
    CheckTenPlacements(record, placements, seen);
}

QTEST_GUILESS_MAIN(EndToEndTest)
#include "test_e2e.moc"
