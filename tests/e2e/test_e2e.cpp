// The real program under a private X server, driven with xdotool only: log-in through the
// about box, subject entry, one practice placement, F1, the 30 s exposure read off the screen,
// ten placements (two of them wrong) and the time-out; then the protocol file it wrote.
#include "XvfbSession.h"
#include "assets/PictureCatalogue.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace kavr;
using namespace kavr::test;

namespace {

// Where the boards lie in the window's client area (the layers fill it from 0, 0).
QRect TaskImageArea(int panel)
{
    const int c = (panel - 1) % 4, r = (panel - 1) / 4;
    return {115 + 200 * c + 2, 4 + 152 * r + 2, 166, 146};
}

QRect AnswerImageArea(int position)
{
    const int c = (position - 1) % 6, r = (position - 1) / 6;
    return {88 + 8 + 136 * c + 3, 472 + 19 + 125 * r + 3, 127, 112};
}

// The catalogue picture among candidates that the screen area shows; 0 when none is close.
int Recognise(const QImage &shown, int firstNumber)
{
    int best = 0;
    double bestDifference = 8.0;
    for (int n = firstNumber; n < firstNumber + 12; ++n) {
        const double difference = MeanDifference(shown, assets::LoadPicture(n));
        if (difference < bestDifference) {
            best = n;
            bestDifference = difference;
        }
    }
    return best;
}

} // namespace

class EndToEndTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void wholeTestWritesItsProtocol();
    void cleanupTestCase();

private:
    QPoint at(int x, int y) const { return m_origin + QPoint(x, y); }
    void click(QPoint p, int button = 1);
    QImage grab(const QRect &clientArea) const { return m_x.grab(clientArea.translated(m_origin)); }
    void shot(const QString &name);

    XvfbSession m_x;
    QTemporaryDir m_dir;
    QProcess m_program;
    QPoint m_origin;
};

void EndToEndTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(m_x.start(), "Xvfb did not start");
    // The protocol goes beside the executable: run a copy in a folder of our own.
    const QString program = m_dir.filePath(QStringLiteral("kavr-im"));
    QVERIFY(QFile::copy(QStringLiteral(KAVR_PROGRAM), program));
    QProcessEnvironment env = m_x.environment();
    env.insert(QStringLiteral("LC_ALL"), QString());
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("LC_NUMERIC"), QStringLiteral("ru_RU.UTF-8"));
    env.insert(QStringLiteral("LC_TIME"), QStringLiteral("ru_RU.UTF-8"));
    m_program.setProcessEnvironment(env);
    m_program.setProcessChannelMode(QProcess::ForwardedChannels);
    m_program.start(program, {});
    QVERIFY(m_program.waitForStarted());
    const QString window = m_x.xdotool({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--name"), QStringLiteral("^KAVR.IM$")});
    QVERIFY2(!window.isEmpty(), "the main window did not appear");
    const QString geometry = m_x.xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"),
                                          window.section(QLatin1Char('\n'), 0, 0)});
    const QRegularExpressionMatch x = QRegularExpression(QStringLiteral("X=(\\d+)")).match(geometry);
    const QRegularExpressionMatch y = QRegularExpression(QStringLiteral("Y=(\\d+)")).match(geometry);
    m_origin = QPoint(x.captured(1).toInt(), y.captured(1).toInt());
    QTest::qWait(500);
}

void EndToEndTest::cleanupTestCase()
{
    if (m_program.state() != QProcess::NotRunning) {
        m_program.terminate();
        if (!m_program.waitForFinished(5000))
            m_program.kill();
    }
}

void EndToEndTest::click(QPoint p, int button)
{
    m_x.xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(p.x()),
                 QString::number(p.y()), QStringLiteral("click"), QString::number(button)});
}

void EndToEndTest::shot(const QString &name)
{
    const QString folder = qEnvironmentVariable("KAVR_E2E_SHOTS");
    if (!folder.isEmpty())
        m_x.grab(QRect(0, 0, 1280, 1024)).save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

void EndToEndTest::wholeTestWritesItsProtocol()
{
    const QString code = QStringLiteral("Тест-01");
    const QString name = QStringLiteral("Иванов И.И.");

    // Log-in: "О программе" from the window's context menu, OK by Enter.
    click(at(600, 700), 3);
    QTest::qWait(300);
    click(at(600 + 30, 700 + 12));
    QTest::qWait(500);
    QVERIFY2(!m_x.xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                           QStringLiteral("^About$")}).isEmpty(), "the about box did not open");
    shot(QStringLiteral("about"));
    m_x.xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    QTest::qWait(500);
    shot(QStringLiteral("entry"));

    // Subject entry: code, name, variant B, Enter.
    click(at(303 + 16 + 150, 208 + 28 + 14));
    m_x.xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), code});
    click(at(303 + 16 + 150, 296 + 28 + 14));
    m_x.xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), name});
    click(at(303 + 98 + 60, 120 + 30 + 14));
    m_x.xdotool({QStringLiteral("key"), QStringLiteral("Down")});
    shot(QStringLiteral("entry-filled"));
    m_x.xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    QTest::qWait(800);
    shot(QStringLiteral("instruction"));

    // One practice placement: the first palette figure onto practice panel 1.
    const QRect palette1(0 + 520 + 77 + 10 + 3, 352 + 8 + 200 + 24 + 3, 37, 33);
    QVERIFY2(Recognise(grab(palette1), 1013) != 0, "the practice palette is not shown");
    click(at(palette1.center().x(), palette1.center().y()));
    click(at(520 + 104 + 30, 352 + 8 + 24 + 26));
    QTest::qWait(300);
    QCOMPARE(Recognise(grab(palette1), 1013), 0); // the figure left the palette

    // F1: the exposure. Read which figure lies on which panel.
    m_x.xdotool({QStringLiteral("key"), QStringLiteral("F1")});
    QTest::qWait(1000);
    shot(QStringLiteral("exposure"));
    int keyOrder[13] = {};
    int panelOf[13] = {};
    for (int panel = 1; panel <= 12; ++panel) {
        const int number = Recognise(grab(TaskImageArea(panel)), 101);
        QVERIFY2(number != 0, qPrintable(QStringLiteral("panel %1 shows no figure of set B").arg(panel)));
        keyOrder[panel] = number - 100;
        QVERIFY(panelOf[keyOrder[panel]] == 0);
        panelOf[keyOrder[panel]] = panel;
    }

    // The answer phase: wait for the answer row, read it.
    QElapsedTimer clock;
    clock.start();
    while (Recognise(grab(AnswerImageArea(1)), 113) == 0) {
        QVERIFY2(clock.elapsed() < 35'000, "the answer row did not appear");
        QThread::msleep(5);
    }
    qint64 mark = clock.elapsed();
    shot(QStringLiteral("answer"));
    int offered[13] = {};
    for (int position = 1; position <= 12; ++position) {
        offered[position] = Recognise(grab(AnswerImageArea(position)), 113) - 112;
        QVERIFY(offered[position] >= 1);
    }

    // Ten placements: positions 1..10; the 4th and 7th go wrong, onto the panels of the two
    // figures that are never placed (positions 11 and 12), which leaves every right panel free.
    struct Placement { int position, panel; double seconds; };
    QList<Placement> placements;
    for (int position = 1; position <= 10; ++position) {
        const int panel = position == 4 ? panelOf[offered[11]]
                        : position == 7 ? panelOf[offered[12]]
                                        : panelOf[offered[position]];
        QThread::msleep(250 + 60 * position);
        const QPoint pick = at(AnswerImageArea(position).center().x(), AnswerImageArea(position).center().y());
        const QRect target = TaskImageArea(panel);
        m_x.xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(pick.x()),
                     QString::number(pick.y()), QStringLiteral("click"), QStringLiteral("1"),
                     QStringLiteral("mousemove"), QStringLiteral("--sync"),
                     QString::number(m_origin.x() + target.center().x()),
                     QString::number(m_origin.y() + target.center().y()), QStringLiteral("click"),
                     QStringLiteral("1")});
        const qint64 now = clock.elapsed();
        placements << Placement{position, panel, (now - mark) / 1000.0};
        mark = now;
    }
    shot(QStringLiteral("placed"));

    // The time-out ends the test and writes the protocol.
    QFile file(m_dir.filePath(QStringLiteral("Result/") + code + QStringLiteral(".IM.txt")));
    while (!file.exists()) {
        QVERIFY2(clock.elapsed() < 100'000, "no protocol after the answer time");
        QTest::qWait(200);
    }
    QTest::qWait(300);
    shot(QStringLiteral("finished"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();

    // Windows-1251, CR LF after every line, nothing else.
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
    QVERIFY(bytes.contains(QByteArray("\xCA\xEE\xE4: ", 5))); // "Код: "
    QStringDecoder decoder("windows-1251");
    const QString text = decoder(bytes);
    QVERIFY(!decoder.hasError());
    QStringList lines = text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.takeLast(), QString());
    QCOMPARE(lines.size(), 23);
    QCOMPARE(lines[0], QStringLiteral("Результаты выполнения теста \"Образная память\""));
    QVERIFY2(QRegularExpression(QStringLiteral("^Код: Тест-01  Имя: Иванов И\\.И\\.  Дата ПФО: \\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d$"))
                 .match(lines[1]).hasMatch(), qPrintable(lines[1]));
    QCOMPARE(lines[2], code);
    QVERIFY2(QRegularExpression(QStringLiteral("^Время изучения инструкции +\\d+ сек$")).match(lines[3]).hasMatch(), qPrintable(lines[3]));
    QVERIFY2(QRegularExpression(QStringLiteral("^Время окончания теста : \\d\\d:\\d\\d:\\d\\d$")).match(lines[4]).hasMatch(), qPrintable(lines[4]));
    QCOMPARE(lines[5], QStringLiteral("Вариант B. Время экспозиции  30 сек. Время для ответа  60 сек."));
    QCOMPARE(lines[6], QStringLiteral("T ответа =  60 сек,  N[+] = 8,  N[-] = 2,  N[0] = 2"));
    QCOMPARE(lines[10], QStringLiteral("N выбора      Время N панели  Ключ N рисунка Ответ"));

    double placedSum = 0;
    for (int i = 1; i <= 12; ++i) {
        const QString row = lines[10 + i];
        QCOMPARE(row.size(), 55);
        QCOMPARE(row.left(8).trimmed().toInt(), i);
        const double seconds = row.mid(8, 11).trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
        const int panel = row.mid(19, 9).trimmed().toInt();
        const int key = row.mid(28, 6).trimmed().toInt();
        const int picture = row.mid(34, 10).trimmed().toInt();
        const int answer = row.mid(44, 6).trimmed().toInt();
        const QString mark = row.mid(50).trimmed();
        if (i <= 10) {
            const Placement &p = placements[i - 1];
            QCOMPARE(panel, p.panel);
            QCOMPARE(key, keyOrder[p.panel]);
            QCOMPARE(picture, p.position);
            QCOMPARE(answer, offered[p.position]);
            QCOMPARE(mark, key == answer ? QStringLiteral("+") : QStringLiteral("-"));
            QCOMPARE(mark == QLatin1String("-"), i == 4 || i == 7);
            // Timed from outside: xdotool's own start-up lies between the click and our clock.
            const double tolerance = i == 1 ? 0.3 : 0.1;
            QVERIFY2(qAbs(seconds - p.seconds) <= tolerance,
                     qPrintable(QStringLiteral("row %1: %2 s in the protocol, %3 s measured").arg(i).arg(seconds).arg(p.seconds)));
            placedSum += seconds;
        } else {
            QCOMPARE(panel, -1);
            QCOMPARE(mark, QString());
            QCOMPARE(key, 0);
            QCOMPARE(picture, 0);
            QCOMPARE(answer, 0);
            // Row 11 carries the rest of the 60 s; row 12 nothing.
            QCOMPARE(seconds > 0, i == 11);
            if (i == 11)
                QVERIFY2(qAbs(placedSum + seconds - 60.0) < 0.25, qPrintable(QString::number(placedSum + seconds)));
        }
    }
}

QTEST_GUILESS_MAIN(EndToEndTest)
#include "test_e2e.moc"
