// The Windows package as a lab gets it: the zip unpacked into a folder of its own and run by
// Wine in a fresh prefix, with a virtual desktop on a private Xvfb (so the window has its frame
// and its system menu), Russian regional settings and the lab's fonts. The operator logs in
// through "О программе" in the system menu; then a whole test as the Linux end-to-end test
// runs it, read off the screen, and the protocol beside the executable. At 100 % and at 150 %
// (Wine's LogPixels) the pointer must land on the physical pixel the program meant.
//
// What X cannot tell of the Windows desktop (where a client area lies, which window owns which,
// the DPI) comes from window-list.exe, run in the same Wine session; it also types the
// Cyrillic texts, as Unicode input: Wine makes nothing of X keys remapped to Cyrillic keysyms.
#include "harness/FigureSet.h"
#include "harness/MonotonicTime.h"
#include "harness/ProtocolCheck.h"
#include "harness/ScreenMap.h"
#include "harness/StageProbe.h"
#include "harness/XInput.h"
#include "harness/XvfbSession.h"
#include "testing/BoardGeometry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
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

struct WinWindow
{
    quint64 handle = 0;
    quint64 owner = 0;
    QString className;
    QString title;
    QRect frame;
    QRect client; // on the screen, physical pixels
    int dpi = 0;
};

QRect ParseRect(const QString &text)
{
    const QStringList n = text.split(u' ');
    return n.size() == 4 ? QRect(n[0].toInt(), n[1].toInt(), n[2].toInt(), n[3].toInt()) : QRect();
}

// A Wine prefix of its own on the test's X server, made as a lab machine would be set up.
class WineSession
{
public:
    WineSession(const XvfbSession &x, const QString &root, const QString &lister)
        : m_lister(lister)
    {
        m_env = x.environment();
        m_env.insert(u"WINEPREFIX"_s, root + u"/prefix"_s);
        m_env.insert(u"WINEDEBUG"_s, u"-all"_s);
        m_env.insert(u"WINEDLLOVERRIDES"_s, u"mscoree,mshtml="_s); // no Mono or Gecko offered
        // A Russian Windows: Wine takes its locale, code page and regional settings from the
        // C library's, compiled into the test's own folder.
        m_env.insert(u"LOCPATH"_s, root + u"/locale"_s);
        m_env.insert(u"LC_ALL"_s, u"ru_RU.UTF-8"_s);
        m_root = root;
    }
    ~WineSession() { stop(); }

    // A new prefix in Russian: the virtual desktop the size of the screen, Wine's own fonts (Tahoma, Marlett, MS Sans Serif: Debian keeps them outside the prefix)
    // and Liberation in place of Arial, Times New Roman and Courier New; logPixels the DPI.
    bool create(QSize desktop, int logPixels, QString *why)
    {
        QDir().mkpath(m_root + u"/locale"_s);
        if (!run({u"localedef"_s, u"-i"_s, u"ru_RU"_s, u"-f"_s, u"UTF-8"_s, m_root + u"/locale/ru_RU.UTF-8"_s}, 60'000, why)
            || !run({u"wineboot"_s, u"-i"_s}, 180'000, why))
            return false;
        const QString fonts = m_root + u"/prefix/drive_c/windows/Fonts"_s;
        for (const QFileInfo &font : QDir(u"/usr/share/wine/fonts"_s).entryInfoList(QDir::Files))
            QFile::copy(font.absoluteFilePath(), fonts + u'/' + font.fileName());
        return setDpi(logPixels, why, desktop);
    }

    bool setDpi(int logPixels, QString *why, QSize desktop = {})
    {
        stop(); // read at the start of the session
        QString reg = u"REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"LogPixels\"=dword:%1\n"_s
                          .arg(logPixels, 8, 16, QLatin1Char('0'));
        if (desktop.isValid())
            reg += u"\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n\"Desktop\"=\"Default\"\n"
                   "\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n\"Default\"=\"%1x%2\"\n"
                   "\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\n\"Arial\"=\"Liberation Sans\"\n"
                   "\"Times New Roman\"=\"Liberation Serif\"\n\"Courier New\"=\"Liberation Mono\"\n"_s
                       .arg(desktop.width())
                       .arg(desktop.height());
        const QString file = m_root + u"/settings.reg"_s;
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(reg.toLatin1()) != reg.size())
            return false;
        out.close();
        return run({u"wine"_s, u"regedit"_s, u"/S"_s, windowsPath(file)}, 60'000, why)
            && run({u"wineserver"_s, u"-w"_s}, 60'000, why);
    }

    static QString windowsPath(const QString &path) { return u"Z:"_s + QDir::toNativeSeparators(path); }

    // Starts exe in its own folder, as a double click would.
    bool launch(const QString &exe)
    {
        m_program.setProcessEnvironment(m_env);
        m_program.setWorkingDirectory(QFileInfo(exe).absolutePath());
        m_program.setProcessChannelMode(QProcess::MergedChannels);
        m_program.start(u"wine"_s, {windowsPath(exe)});
        return m_program.waitForStarted(10'000);
    }

    QList<WinWindow> windows() const
    {
        QList<WinWindow> list;
        for (const QString &line : QString::fromUtf8(lister({u"windows"_s})).split(u'\n', Qt::SkipEmptyParts)) {
            const QStringList f = line.split(u'\t');
            if (f.size() == 7)
                list << WinWindow{f[0].toULongLong(), f[1].toULongLong(), f[2], f[3], ParseRect(f[4]), ParseRect(f[5]), f[6].toInt()};
        }
        return list;
    }

    // The program's main window: the unowned window of a Qt class titled after it.
    std::optional<WinWindow> mainWindow() const
    {
        for (const WinWindow &w : windows())
            if (w.owner == 0 && w.className.startsWith(u"Qt"_s) && w.title.startsWith(u"KAVR.IM"_s))
                return w;
        return std::nullopt;
    }

    std::optional<WinWindow> ownedBy(quint64 owner, const QString &title) const
    {
        for (const WinWindow &w : windows())
            if (w.owner == owner && w.title == title)
                return w;
        return std::nullopt;
    }

    void type(const QString &text) const { lister({u"type"_s, text}); }

    // Ends every process of the prefix.
    void stop()
    {
        QString ignored;
        run({u"wineserver"_s, u"-k"_s}, 30'000, &ignored);
        m_program.waitForFinished(10'000);
    }

    QString programOutput() { return QString::fromLocal8Bit(m_program.readAll()); }

private:
    QByteArray lister(const QStringList &arguments) const
    {
        QProcess p;
        p.setProcessEnvironment(m_env);
        p.start(u"wine"_s, QStringList{windowsPath(m_lister)} + arguments);
        p.waitForFinished(30'000);
        return p.readAllStandardOutput();
    }

    bool run(const QStringList &command, int ms, QString *why) const
    {
        QProcess p;
        p.setProcessEnvironment(m_env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(command.first(), command.mid(1));
        if (p.waitForFinished(ms) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
            return true;
        *why = command.join(u' ') + u" failed: "_s + QString::fromLocal8Bit(p.readAll());
        return false;
    }

    QProcessEnvironment m_env;
    QString m_root;
    QString m_lister;
    QProcess m_program;
};

} // namespace

class WineEndToEndTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void wholeTestFromTheZip();
    void pointerAtScaledDpi();
    void cleanupTestCase();

private:
    // Starts the program and waits for its main window: its client area on the screen.
    std::optional<WinWindow> start();
    // "О программе" from the system menu, opened from the keyboard; the about box's OK.
    void logIn(const WinWindow &main);
    // Waits until the probe sees stage; false after ms.
    bool waitForStage(Stage stage, int ms) const;
    QImage grab(const QRect &client) const { return m_x.grab(client.translated(m_origin)); }
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
    QVERIFY(QDir().mkpath(app));
    QProcess unzip;
    unzip.setWorkingDirectory(app);
    unzip.start(u"cmake"_s, {u"-E"_s, u"tar"_s, u"xf"_s, QStringLiteral(KAVR_WINDOWS_ZIP)});
    QVERIFY(unzip.waitForFinished(60'000) && unzip.exitCode() == 0);
    m_exe = app + u"/KAVR.IM/kavr-im.exe"_s;
    m_resultDir = app + u"/KAVR.IM/Result"_s;
    QVERIFY(QFileInfo::exists(m_exe));
    QCOMPARE(QDir(m_resultDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    // Nothing but the two programs and the lab's note: no DLL beside them.
    QCOMPARE(QDir(app + u"/KAVR.IM"_s).entryList(QDir::Files, QDir::Name),
             (QStringList{u"README.txt"_s, u"kavr-im-report.exe"_s, u"kavr-im.exe"_s}));

    m_wine = std::make_unique<WineSession>(m_x, m_root.path(), QStringLiteral(KAVR_WINDOW_LIST));
    QString why;
    QVERIFY2(m_wine->create(m_x.screenSize(), 96, &why), qPrintable(why));
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
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 60'000) {
        if (const auto main = m_wine->mainWindow()) {
            m_origin = main->client.topLeft();
            QTest::qWait(1000); // its first paint
            return main;
        }
        QTest::qWait(300);
    }
    return std::nullopt;
}

bool WineEndToEndTest::waitForStage(Stage stage, int ms) const
{
    const StageProbe probe([this](const QRect &area) { return m_x.grab(area); }, m_origin);
    QElapsedTimer clock;
    clock.start();
    while (probe.stage() != stage) {
        if (clock.elapsed() > ms)
            return false;
        QTest::qWait(50);
    }
    return true;
}

void WineEndToEndTest::logIn(const WinWindow &main)
{
    // The system menu from the keyboard; the entry is its last item.
    m_input.key(XK_space, XInput::Alt);
    QTest::qWait(500);
    shot(u"system-menu"_s);
    m_input.key(XK_Up);
    m_input.key(XK_Return);
    QElapsedTimer clock;
    clock.start();
    std::optional<WinWindow> about;
    while (!(about = m_wine->ownedBy(main.handle, u"About"_s)) && clock.elapsed() < 10'000)
        QTest::qWait(200);
    QVERIFY2(about, "no about box");
    shot(u"about"_s);
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
    const FigureSet palette(PaletteBase);
    const QRect palette1 = screen::PaletteImageArea(1);
    QVERIFY2(palette.recognise(grab(palette1)) != 0, "the practice palette is not shown");
    m_input.click(at(palette1.center()));
    m_input.click(at(screen::PracticePanelArea(1).center()));
    QTest::qWait(300);
    QCOMPARE(palette.recognise(grab(palette1)), 0);
    m_input.key(XK_F1);
    QTest::qWait(1000);
    shot(u"exposure"_s);
    QCOMPARE(StageProbe([this](const QRect &area) { return m_x.grab(area); }, m_origin).stage(), Stage::Exposure);
    const FigureSet exposed(ExposureBase + VariantBOffset);
    int keyOrder[13] = {};
    int panelOf[13] = {};
    for (int panel = 1; panel <= 12; ++panel) {
        keyOrder[panel] = exposed.recognise(grab(screen::TaskImageArea(panel)));
        QVERIFY2(keyOrder[panel] != 0, qPrintable(u"panel %1 shows no figure of set B"_s.arg(panel)));
        QVERIFY(panelOf[keyOrder[panel]] == 0);
        panelOf[keyOrder[panel]] = panel;
    }

    // The answer row after the 30 s, and the pointer on its first figure.
    const FigureSet offeredSet(AnswerBase + VariantBOffset);
    QElapsedTimer clock;
    clock.start();
    while (offeredSet.recognise(grab(screen::AnswerImageArea(1))) == 0) {
        QVERIFY2(clock.elapsed() < 35'000, "the answer row did not appear");
        QThread::msleep(5);
    }
    std::int64_t mark = MonotonicNs();
    QVERIFY2(clock.elapsed() > 27'000, qPrintable(u"the answer row came after %1 ms"_s.arg(clock.elapsed())));
    shot(u"answer"_s);
    QCOMPARE(m_input.pointer(), at(AnswerPointer));
    int offered[13] = {};
    for (int position = 1; position <= 12; ++position) {
        offered[position] = offeredSet.recognise(grab(screen::AnswerImageArea(position)));
        QVERIFY(offered[position] >= 1);
    }

    // Ten placements; the 4th and 7th onto the panels of the two figures never placed.
    struct Placement { int position, panel; double seconds; };
    QList<Placement> placements;
    for (int position = 1; position <= 10; ++position) {
        const int panel = position == 4 ? panelOf[offered[11]]
                        : position == 7 ? panelOf[offered[12]]
                                        : panelOf[offered[position]];
        QThread::msleep(250 + 60 * position);
        m_input.click(at(screen::AnswerImageArea(position).center()));
        const std::int64_t placed = m_input.click(at(screen::TaskImageArea(panel).center()));
        placements << Placement{position, panel, ToMs(placed - mark) / 1000.0};
        mark = placed;
    }
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
    QCOMPARE(record.answerSeconds, 60.0);
    QCOMPARE(record.score.correct, 8);
    QCOMPARE(record.score.wrong, 2);
    QCOMPARE(record.score.missing, 2);
    for (int i = 1; i <= 10; ++i) {
        const ChoiceRecord &row = record.choices[i];
        const Placement &p = placements[i - 1];
        QCOMPARE(row.PanelNo, p.panel);
        QCOMPARE(row.Key, keyOrder[p.panel]);
        QCOMPARE(row.PictureNo, p.position);
        QCOMPARE(row.Answer, offered[p.position]);
        QCOMPARE(!row.correct(), i == 4 || i == 7);
        const double tolerance = i == 1 ? 0.3 : 0.1;
        QVERIFY2(qAbs(row.Time - p.seconds) <= tolerance,
                 qPrintable(u"row %1: %2 s in the protocol, %3 s measured"_s.arg(i).arg(row.Time).arg(p.seconds)));
    }
    QCOMPARE(record.choices[11].Time > 0, true);
    QCOMPARE(record.choices[12].PanelNo, -1);
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
    logIn(*main);
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
