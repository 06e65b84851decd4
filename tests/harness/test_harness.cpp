// The harness's eyes and hands: what ScreenWatcher reads off a private X server and when it
// says a change happened, compared with changes made at known moments by a second connection;
// the dates XInput gives its events and the keys it types; the conditions and the figures
// recognised; and the protocol check on protocols the program's own code writes, whole and
// broken.
#include "assets/JpegDecoder.h"
#include "assets/PictureCatalogue.h"
#include "harness/FigureSet.h"
#include "harness/MonotonicTime.h"
#include "harness/ProtocolCheck.h"
#include "harness/ScreenWatcher.h"
#include "harness/XInput.h"
#include "harness/XvfbSession.h"
#include "parameters/Figures.h"
#include "parameters/TestVariant.h"
#include "support/ScriptedTest.h"
#include "support/TestSettings.h"
#include "testing/BoardGeometry.h"
#include "testing/core/ProtocolFile.h"

#include <QStringEncoder>
#include <QTest>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <thread>

using namespace kavr;
using namespace kavr::harness;
using namespace Qt::StringLiterals;

namespace {

constexpr std::int64_t Ms = NsPerMs;
// Bounds loose enough for a CI machine running other tests beside this one, tight enough to
// catch a wrong clock, a date off by a polling period or a swapped bracket.
constexpr std::int64_t Slack = 8 * Ms;

// A plain window of one colour on a connection of its own, so that another thread may change it.
class ColourWindow
{
public:
    // A window that is not mapped at once is an ordinary top-level one, as a program's window
    // is; the others are override-redirect, as menus are.
    ColourWindow(const QString &display, const QRect &geometry, QRgb colour, bool mapNow = true)
    {
        m_display = XOpenDisplay(display.toLocal8Bit().constData());
        XSetWindowAttributes attributes{};
        attributes.override_redirect = mapNow ? True : False;
        attributes.background_pixel = colour & 0xFFFFFF;
        m_window = XCreateWindow(m_display, DefaultRootWindow(m_display), geometry.x(), geometry.y(),
                                 unsigned(geometry.width()), unsigned(geometry.height()), 0, CopyFromParent,
                                 InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
        if (mapNow)
            map();
    }
    ~ColourWindow()
    {
        XDestroyWindow(m_display, m_window);
        XCloseDisplay(m_display);
    }

    // Each returns the moments just before the request was sent and just after the server had
    // done it.
    std::pair<std::int64_t, std::int64_t> map()
    {
        const std::int64_t before = MonotonicNs();
        XMapWindow(m_display, m_window);
        XSync(m_display, False);
        return {before, MonotonicNs()};
    }
    std::pair<std::int64_t, std::int64_t> fill(QRgb colour)
    {
        const std::int64_t before = MonotonicNs();
        XSetWindowBackground(m_display, m_window, colour & 0xFFFFFF);
        XClearWindow(m_display, m_window);
        XSync(m_display, False);
        return {before, MonotonicNs()};
    }
    void put(const QImage &picture)
    {
        QImage image = picture.convertToFormat(QImage::Format_RGB32);
        XImage *x = XCreateImage(m_display, DefaultVisual(m_display, DefaultScreen(m_display)), 24, ZPixmap, 0,
                                 reinterpret_cast<char *>(image.bits()), unsigned(image.width()),
                                 unsigned(image.height()), 32, int(image.bytesPerLine()));
        XPutImage(m_display, m_window, DefaultGC(m_display, DefaultScreen(m_display)), x, 0, 0, 0, 0,
                  unsigned(image.width()), unsigned(image.height()));
        XSync(m_display, False);
        x->data = nullptr;
        XDestroyImage(x);
    }

private:
    Display *m_display = nullptr;
    Window m_window = 0;
};

// A picture with structure in every channel, so that a swapped or shifted read shows.
QImage Pattern(int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 7 + seed) % 256, (y * 5 + seed * 3) % 256, ((x ^ y) + seed * 11) % 256));
    return image;
}

} // namespace

class HarnessTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void grabReadsThePixelsOfTheArea_data();
    void grabReadsThePixelsOfTheArea();
    void grabRefusesAreasOffTheScreen();

    void conditions_data();
    void conditions();

    void changeIsDatedWithinItsBracket_data();
    void changeIsDatedWithinItsBracket();
    void everyProbeGetsItsOwnDate();
    void probeHoldingAtOnceIsDatedFromSince();
    void nothingChangingEndsAtTheDeadline();

    void mapOfAWindowIsDatedAndSmallOnesIgnored();
    void clickIsDatedBetweenSendingAndItsArrival();
    void typedTextArrivesAsItsKeysyms_data();
    void typedTextArrivesAsItsKeysyms();

    void figuresAreRecognised_data();
    void figuresAreRecognised();

    void protocolCheck_data();
    void protocolCheck();

private:
    XvfbSession m_x;
    ScreenWatcher m_watcher;
};

void HarnessTest::initTestCase()
{
    QVERIFY2(m_x.start(QStringLiteral("640x480x24")), "Xvfb did not start");
    QVERIFY2(m_watcher.open(m_x.display()), qPrintable(m_watcher.errorString()));
    QCOMPARE(m_watcher.screenSize(), QSize(640, 480));
}

void HarnessTest::grabReadsThePixelsOfTheArea_data()
{
    QTest::addColumn<QRect>("window");
    QTest::addColumn<QRect>("area"); // in the window
    QTest::newRow("whole window") << QRect(10, 20, 64, 48) << QRect(0, 0, 64, 48);
    QTest::newRow("inner part, odd size") << QRect(100, 50, 166, 146) << QRect(3, 5, 37, 33);
    QTest::newRow("one row") << QRect(300, 300, 200, 10) << QRect(0, 4, 200, 1);
}

void HarnessTest::grabReadsThePixelsOfTheArea()
{
    QFETCH(QRect, window);
    QFETCH(QRect, area);
    ColourWindow shown(m_x.display(), window, 0xFF000000);
    const QImage pattern = Pattern(window.width(), window.height(), window.x());
    shown.put(pattern);
    const QImage read = m_watcher.grab(area.translated(window.topLeft()));
    QCOMPARE(read.format(), QImage::Format_RGB32);
    QCOMPARE(read, pattern.copy(area));
}

void HarnessTest::grabRefusesAreasOffTheScreen()
{
    QVERIFY(m_watcher.grab(QRect(600, 400, 100, 100)).isNull());
    QVERIFY(m_watcher.grab(QRect(-1, 0, 10, 10)).isNull());
    QVERIFY(m_watcher.grab(QRect(0, 0, 0, 10)).isNull());
}

void HarnessTest::conditions_data()
{
    QTest::addColumn<QImage>("shown");
    QTest::addColumn<bool>("oneOf");
    QTest::addColumn<bool>("blueText");
    const QImage a = Pattern(40, 30, 1);
    QImage slightlyOff = a;
    slightlyOff.setPixel(0, 0, qRgb(0, 0, 0)); // one pixel: still the same picture
    QImage blue(40, 30, QImage::Format_RGB32);
    blue.fill(Qt::white);
    for (int x = 0; x < 25; ++x)
        blue.setPixel(x, 10, qRgb(20, 20, 250));
    QTest::newRow("the picture itself") << a << true << false;
    QTest::newRow("the picture, one pixel off") << slightlyOff << true << false;
    // In grey only, so that no pixel passes for blue.
    const QImage grey = Pattern(40, 30, 90).convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_RGB32);
    QTest::newRow("another picture") << grey << false << false;
    QTest::newRow("another size") << a.copy(0, 0, 39, 30) << false << false;
    QTest::newRow("blue text, 25 pixels") << blue << false << true;
    QImage fewBlue = blue;
    for (int x = 5; x < 25; ++x)
        fewBlue.setPixel(x, 10, qRgb(255, 255, 255));
    QTest::newRow("blue, too few pixels") << fewBlue << false << false;
}

void HarnessTest::conditions()
{
    QFETCH(QImage, shown);
    QFETCH(bool, oneOf);
    QFETCH(bool, blueText);
    const QList<QImage> pictures{Pattern(40, 30, 7), Pattern(40, 30, 1)};
    QCOMPARE(ShowsOneOf(pictures, 4.0)(shown), oneOf);
    QCOMPARE(ShowsNoneOf(pictures, 4.0)(shown), !oneOf);
    QCOMPARE(HasColour(0xFF0000FF, 20, 40)(shown), blueText);
}

void HarnessTest::changeIsDatedWithinItsBracket_data()
{
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<bool>("coarseUntilClose");
    QTest::newRow("soon, fine polling") << 30 << false;
    QTest::newRow("later, coarse then fine") << 400 << true;
}

void HarnessTest::changeIsDatedWithinItsBracket()
{
    QFETCH(int, delayMs);
    QFETCH(bool, coarseUntilClose);
    const QRect area(200, 200, 60, 40);
    ColourWindow window(m_x.display(), area, 0xFFF0F0F0);
    const std::int64_t start = MonotonicNs();
    const std::int64_t due = start + delayMs * Ms;
    std::pair<std::int64_t, std::int64_t> done;
    std::thread changer([&] {
        SleepUntilNs(due);
        done = window.fill(0xFF0000FF);
    });
    WatchPace pace;
    if (coarseUntilClose)
        pace.fineFromNs = due - 50 * Ms;
    const auto seen = m_watcher.waitFor({{QStringLiteral("blue"), area.adjusted(10, 10, -10, -10), HasColour(0xFF0000FF, 100, 2)}},
                                        start, start + 5000 * Ms, pace)[0];
    changer.join();
    QVERIFY(seen.has_value());
    // The screen changed between the two moments the other connection noted: the bracket must
    // overlap that span, and be narrow.
    QVERIFY2(seen->lastFalseNs <= done.second, qPrintable(QString::number(ToMs(seen->lastFalseNs - done.second))));
    QVERIFY2(seen->firstTrueNs >= done.first, qPrintable(QString::number(ToMs(done.first - seen->firstTrueNs))));
    QVERIFY2(seen->uncertaintyNs() < Slack / 2, qPrintable(QString::number(ToMs(seen->uncertaintyNs()))));
    QVERIFY(std::abs(seen->atNs() - (done.first + done.second) / 2) < Slack);
}

void HarnessTest::everyProbeGetsItsOwnDate()
{
    const QRect left(20, 300, 50, 50), right(120, 300, 50, 50);
    ColourWindow first(m_x.display(), left, 0xFFFFFFFF);
    ColourWindow second(m_x.display(), right, 0xFFFFFFFF);
    const std::int64_t start = MonotonicNs();
    std::pair<std::int64_t, std::int64_t> one, two;
    std::thread changer([&] {
        SleepUntilNs(start + 40 * Ms);
        one = first.fill(0xFFFF0000);
        SleepUntilNs(start + 140 * Ms);
        two = second.fill(0xFFFF0000);
    });
    const auto seen = m_watcher.waitFor({{QStringLiteral("left"), left, HasColour(0xFFFF0000, 100, 2)},
                                         {QStringLiteral("right"), right, HasColour(0xFFFF0000, 100, 2)}},
                                        start, start + 5000 * Ms);
    changer.join();
    QVERIFY(seen[0] && seen[1]);
    QVERIFY(std::abs(seen[0]->atNs() - one.first) < Slack);
    QVERIFY(std::abs(seen[1]->atNs() - two.first) < Slack);
    QVERIFY(std::abs(seen[1]->atNs() - seen[0]->atNs() - (two.first - one.first)) < Slack);
}

void HarnessTest::probeHoldingAtOnceIsDatedFromSince()
{
    const QRect area(400, 40, 30, 30);
    ColourWindow window(m_x.display(), area, 0xFF00FF00);
    const std::int64_t since = MonotonicNs() - 250 * Ms;
    const auto seen = m_watcher.waitFor({{QString(), area, HasColour(0xFF00FF00, 100, 2)}}, since, MonotonicNs() + 1000 * Ms)[0];
    QVERIFY(seen.has_value());
    QCOMPARE(seen->lastFalseNs, since);
    QVERIFY(seen->firstTrueNs > since + 250 * Ms);
}

void HarnessTest::nothingChangingEndsAtTheDeadline()
{
    const QRect area(500, 100, 30, 30);
    ColourWindow window(m_x.display(), area, 0xFFFFFFFF);
    const std::int64_t start = MonotonicNs();
    WatchPace pace;
    pace.fineFromNs = start + 100 * Ms;
    const auto seen = m_watcher.waitFor({{QString(), area, HasColour(0xFF0000FF, 1, 2)}}, start, start + 200 * Ms, pace)[0];
    const std::int64_t returned = MonotonicNs();
    QVERIFY(!seen.has_value());
    QVERIFY(returned >= start + 200 * Ms);
    QVERIFY2(returned < start + 200 * Ms + Slack, qPrintable(QString::number(ToMs(returned - start))));
}

void HarnessTest::mapOfAWindowIsDatedAndSmallOnesIgnored()
{
    m_watcher.watchMaps();
    ColourWindow small(m_x.display(), QRect(5, 5, 50, 50), 0xFFFFFFFF, false);
    ColourWindow big(m_x.display(), QRect(30, 40, 420, 320), 0xFFFFFFFF, false);
    const std::int64_t start = MonotonicNs();
    std::pair<std::int64_t, std::int64_t> mapped;
    std::thread mapper([&] {
        SleepUntilNs(start + 30 * Ms);
        small.map();
        SleepUntilNs(start + 80 * Ms);
        mapped = big.map();
    });
    const auto seen = m_watcher.waitForMappedWindow(QSize(400, 300), start + 5000 * Ms);
    mapper.join();
    QVERIFY(seen.has_value());
    QCOMPARE(seen->geometry, QRect(30, 40, 420, 320));
    QVERIFY(seen->atNs >= mapped.first);
    QVERIFY2(seen->atNs - mapped.second < Slack, qPrintable(QString::number(ToMs(seen->atNs - mapped.second))));
    QVERIFY(!m_watcher.waitForMappedWindow(QSize(400, 300), MonotonicNs() + 100 * Ms).has_value());
}

void HarnessTest::clickIsDatedBetweenSendingAndItsArrival()
{
    // A window that receives the button release: the release is dated after the call began and
    // within a fraction of a millisecond of its arrival, on either side (the date is the middle
    // of a round trip, and the server may take the event anywhere within it).
    Display *display = XOpenDisplay(m_x.display().toLocal8Bit().constData());
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = 0xFFFFFF;
    attributes.event_mask = ButtonReleaseMask;
    const Window window = XCreateWindow(display, DefaultRootWindow(display), 300, 100, 80, 60, 0, CopyFromParent,
                                        InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel | CWEventMask,
                                        &attributes);
    XMapWindow(display, window);
    XSync(display, False);
    std::int64_t received = 0;
    std::thread receiver([&] {
        XEvent event;
        do
            XNextEvent(display, &event);
        while (event.type != ButtonRelease);
        received = MonotonicNs();
    });
    XInput input;
    QVERIFY2(input.open(m_x.display()), qPrintable(input.errorString()));
    const std::int64_t before = MonotonicNs();
    const std::int64_t dated = input.click(QPoint(340, 130));
    receiver.join();
    QVERIFY(dated >= before);
    QVERIFY2(std::abs(received - dated) < Slack, qPrintable(QString::number(ToMs(received - dated))));
    XDestroyWindow(display, window);
    XCloseDisplay(display);
}

void HarnessTest::typedTextArrivesAsItsKeysyms_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("the layout's own keys, shifted ones too") << u"Ab-1. z"_s;
    QTest::newRow("Cyrillic, CJK, emoji, a combining mark") << u"Тёст-01 李🙂е\u0301"_s;
    QTest::newRow("the same again, keys already mapped") << u"тёТ李"_s;
    QTest::newRow("a line break") << u"И\nИ"_s;
}

void HarnessTest::typedTextArrivesAsItsKeysyms()
{
    QFETCH(QString, text);
    // A window under the pointer takes the keys (no window manager: the focus follows it).
    Display *display = XOpenDisplay(m_x.display().toLocal8Bit().constData());
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.event_mask = KeyPressMask;
    const Window window = XCreateWindow(display, DefaultRootWindow(display), 200, 200, 100, 100, 0, CopyFromParent,
                                        InputOutput, CopyFromParent, CWOverrideRedirect | CWEventMask, &attributes);
    XMapWindow(display, window);
    XSync(display, False);
    const KeyCode enter = XKeysymToKeycode(display, XK_Return);
    QList<std::pair<unsigned, unsigned>> pressed; // key code, state
    std::thread receiver([&] {
        for (;;) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != KeyPress)
                continue;
            if (event.xkey.keycode == enter)
                return;
            pressed << std::pair(event.xkey.keycode, event.xkey.state);
        }
    });
    XInput input;
    QVERIFY2(input.open(m_x.display()), qPrintable(input.errorString()));
    input.moveTo(QPoint(250, 250));
    input.type(text);
    input.key(XK_Return);
    receiver.join();

    // Read back on a connection opened now, which knows the keys mapped meanwhile.
    Display *fresh = XOpenDisplay(m_x.display().toLocal8Bit().constData());
    QList<unsigned long> got;
    for (const auto &[code, state] : pressed) {
        const KeySym keysym = XkbKeycodeToKeysym(fresh, KeyCode(code), 0, (state & ShiftMask) ? 1 : 0);
        if (!IsModifierKey(keysym))
            got << keysym;
    }
    QList<unsigned long> expected;
    for (const char32_t c : text.toUcs4())
        expected << (c == U'\n' ? XK_Linefeed : c < 0x100 ? c : 0x01000000ul | c);
    QCOMPARE(got, expected);
    QCOMPARE(input.keys(), text.toUcs4().size() + 1);
    XCloseDisplay(fresh);
    XDestroyWindow(display, window);
    XCloseDisplay(display);
}

void HarnessTest::figuresAreRecognised_data()
{
    QTest::addColumn<int>("shownBase");
    QTest::addColumn<int>("figure");
    QTest::addColumn<int>("setBase");
    QTest::addColumn<int>("recognised");
    const TestVariant &a = TestVariants[0], &b = TestVariants[1];
    QTest::newRow("exposure A, figure 5") << a.exposurePictures << 5 << a.exposurePictures << 5;
    QTest::newRow("answer row B, last figure") << b.answerPictures << FigureCount << b.answerPictures << FigureCount;
    QTest::newRow("palette, figure 1") << assets::PaletteBase << 1 << assets::PaletteBase << 1;
    QTest::newRow("variant B's figure among A's") << b.exposurePictures << 3 << a.exposurePictures << 0;
    QTest::newRow("answer figure among the exposure's") << a.answerPictures << 7 << a.exposurePictures << 0;
}

void HarnessTest::figuresAreRecognised()
{
    QFETCH(int, shownBase);
    QFETCH(int, figure);
    QFETCH(int, setBase);
    QFETCH(int, recognised);
    const QImage picture = assets::LoadPicture(shownBase + figure);
    const QRect area(QPoint(150, 100), picture.size());
    ColourWindow window(m_x.display(), area, 0xFFF0F0F0);
    window.put(picture);
    const FigureSet set(setBase);
    QCOMPARE(set.recognise(m_x.grab(area)), recognised);
    QCOMPARE(set.recognise(m_x.grab(area), 3), recognised);
}

namespace {

// The fixtures as the program writes them: on Russian Windows settings, each offered figure
// placed once (the fixtures' rows 10 and 11 repeat answers of rows 6 and 12).
kavr::test::ScriptedTest OnRussianSettings(kavr::test::ScriptedTest test)
{
    test.settings = kavr::test::RussianSettings();
    if (test.choices[11].placed()) {
        test.choices[10].Answer = 4;
        test.choices[11].Answer = 12;
    }
    return test;
}

QByteArray Edited(const kavr::test::ScriptedTest &test, const std::function<void(QStringList &)> &edit)
{
    QStringList lines = test.lines();
    edit(lines);
    return EncodeProtocol(lines);
}

} // namespace

void HarnessTest::protocolCheck_data()
{
    using namespace kavr::test;
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("problem"); // a part of the problem reported; empty: none
    QTest::addColumn<int>("placed");
    QTest::addColumn<int>("headers");

    const ScriptedTest complete = OnRussianSettings(CompleteTest());
    for (const ScriptedTest &t : {complete, OnRussianSettings(TwiceSetUpTest()), OnRussianSettings(SetUpAgainAfterStartTest()),
                                  OnRussianSettings(NothingPlacedTest()), OnRussianSettings(CyrillicCodeTest())})
        QTest::newRow(qPrintable(u"whole: "_s + t.code)) << t.bytes() << t.code << QString()
                                                          << ScoreChoices(t.choices).placed
                                                          << t.setUps + (t.setUpAgainAfterStart ? 1 : 0);

    auto broken = [](const char *name, const QByteArray &bytes, const QString &code, const QString &problem) {
        QTest::newRow(name) << bytes << code << problem << 0 << 0;
    };
    const QString code = complete.code;
    const QByteArray bytes = complete.bytes();
    broken("LF line ends", QByteArray(bytes).replace("\r\n", "\n"), code, u"other than CR LF"_s);
    broken("a byte order mark", "\xEF\xBB\xBF" + bytes, code, u"byte order mark"_s);
    broken("UTF-8", complete.lines().join(u"\r\n"_s).toUtf8() + "\r\n", code, u"not in Windows-1251"_s);
    broken("the last line cut", bytes.chopped(2), code, u"no CR LF"_s);
    broken("a blank line after the rows", bytes + "\r\n", code, u"text after the last row"_s);
    broken("named for another code", bytes, u"Иванов-02"_s, u"file named for"_s);
    broken("a decimal point", Edited(complete, [](QStringList &l) { l[11].replace(u',', u'.'); }), code,
           u"row 1 "_s);
    broken("phase lengths", Edited(complete, [](QStringList &l) { l[5].replace(u" 30 "_s, u" 20 "_s); }), code,
           u"variant line"_s);
    broken("a wrong mark", Edited(complete, [](QStringList &l) { l[11].chop(1); l[11] += u'-'; }), code,
           u"refused at line 12"_s);
    broken("Tcp not the rows' mean", Edited(complete, [](QStringList &l) { l[8] = u"9,99"_s; }), code,
           u"the rows give"_s);
    ScriptedTest t = complete;
    t.answerSeconds = 50;
    broken("rows not adding up to the answer time", t.bytes(), code, u"rows add up to"_s);
    t = complete;
    t.choices[2].PanelNo = t.choices[1].PanelNo;
    t.choices[2].Key = t.choices[1].Key;
    broken("a panel placed twice", t.bytes(), code, u"a panel placed twice"_s);
    t = complete;
    t.choices[2].PictureNo = t.choices[1].PictureNo;
    broken("a figure placed twice", t.bytes(), code, u"a figure placed twice"_s);
    t = CompleteTest();
    t.settings = American();
    broken("American settings", t.bytes(), code, u"no dated code line"_s);
    t = complete;
    t.choices[3].PanelNo = -1;
    broken("a placement after an unplaced row", t.bytes(), code, u"placed after an unplaced row"_s);
    const ScriptedTest again = OnRussianSettings(SetUpAgainAfterStartTest());
    broken("no instruction time after the last set-up",
           Edited(again, [](QStringList &l) { l.removeAt(l.size() - 20); }), again.code,
           u"right before the results"_s);
}

void HarnessTest::protocolCheck()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, code);
    QFETCH(QString, problem);
    QFETCH(int, placed);
    QFETCH(int, headers);
    const ProtocolReport report = ProtocolCheck::check(bytes, code);
    const QString problems = report.problems.join(u'\n');
    if (problem.isEmpty()) {
        QVERIFY2(report.problems.isEmpty(), qPrintable(problems));
        QVERIFY(report.record.has_value());
        QCOMPARE(report.record->code, code);
        QCOMPARE(report.placed, placed);
        QCOMPARE(report.headerBlocks, headers);
        QCOMPARE(report.lines.size(), 3 * headers + report.instructionLines + 19);
    } else {
        QVERIFY2(problems.contains(problem), qPrintable(u"expected «"_s + problem + u"», got:\n"_s + problems));
    }
}

QTEST_GUILESS_MAIN(HarnessTest)
#include "test_harness.moc"
