// The X11 desktop services against a real X server, started by run-under-xvfb.sh: the pointer
// lands where asked, the keyboard layout switches between the configured XKB groups, and keys
// then type characters of that layout.
#include "platform/desktop/X11DesktopServices.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

// Xlib last: its macros clash with Qt's names.
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace kavr::platform;
using namespace Qt::StringLiterals;

namespace {

Display *X11Display()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

int Group()
{
    XkbStateRec state{};
    XkbGetState(X11Display(), XkbUseCoreKbd, &state);
    return state.group;
}

void LockGroup(int group)
{
    XkbLockGroup(X11Display(), XkbUseCoreKbd, unsigned(group));
    XSync(X11Display(), False);
}

bool SetLayouts(const QString &layouts)
{
    return QProcess::execute(u"setxkbmap"_s, {u"-layout"_s, layouts}) == 0;
}

// A window that keeps the text of every key pressed in it.
class KeyWindow : public QWindow
{
public:
    QString typed;

protected:
    void keyPressEvent(QKeyEvent *event) override { typed += event->text(); }
};

} // namespace

class TestX11Xvfb : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void pointerLandsOnThePoint_data();
    void pointerLandsOnThePoint();

    void groupFollowsTheLayout_data();
    void groupFollowsTheLayout();
    void layoutNotConfiguredChangesNothing_data();
    void layoutNotConfiguredChangesNothing();
    void keymapNameServesWithoutTheRulesRecord();
    void keysTypeCharactersOfTheActiveLayout();
};

void TestX11Xvfb::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
    QVERIFY(X11Display());
}

void TestX11Xvfb::pointerLandsOnThePoint_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::newRow("123, 456") << QPoint(123, 456);
    QTest::newRow("origin") << QPoint(0, 0);
    QTest::newRow("bottom right") << QPoint(1279, 1023);
    QTest::newRow("first answer image") << QPoint(63, 68);
}

void TestX11Xvfb::pointerLandsOnThePoint()
{
    QFETCH(QPoint, point);
    X11DesktopServices services;
    services.SetCursorPos(point.x(), point.y());

    QProcess xdotool;
    xdotool.start(u"xdotool"_s, {u"getmouselocation"_s});
    QVERIFY(xdotool.waitForFinished(10000));
    const QString location = QString::fromLatin1(xdotool.readAllStandardOutput());
    const QRegularExpressionMatch match = QRegularExpression(u"x:(\\d+) y:(\\d+)"_s).match(location);
    QVERIFY2(match.hasMatch(), qPrintable(location));
    QCOMPARE(QPoint(match.captured(1).toInt(), match.captured(2).toInt()), point);
}

void TestX11Xvfb::groupFollowsTheLayout_data()
{
    QTest::addColumn<QString>("layouts");
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("group");
    QTest::newRow("us,ru: Russian") << u"us,ru"_s << u"00000419"_s << 1;
    QTest::newRow("us,ru: English") << u"us,ru"_s << u"00000409"_s << 0;
    QTest::newRow("ru,us: English") << u"ru,us"_s << u"00000409"_s << 1;
    QTest::newRow("ru,us: Russian") << u"ru,us"_s << u"00000419"_s << 0;
    QTest::newRow("de,us,ru: Russian") << u"de,us,ru"_s << u"00000419"_s << 2;
}

void TestX11Xvfb::groupFollowsTheLayout()
{
    QFETCH(QString, layouts);
    QFETCH(QString, id);
    QFETCH(int, group);
    QVERIFY(SetLayouts(layouts));
    LockGroup(group == 0 ? 1 : 0);
    QVERIFY(Group() != group);

    X11DesktopServices services;
    services.LoadKeyboardLayout(id.toStdString());
    QCOMPARE(Group(), group);
    services.LoadKeyboardLayout(id.toStdString()); // again: stays
    QCOMPARE(Group(), group);
}

void TestX11Xvfb::layoutNotConfiguredChangesNothing_data()
{
    QTest::addColumn<QString>("layouts");
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("group");
    QTest::newRow("us only: Russian") << u"us"_s << u"00000419"_s << 0;
    QTest::newRow("us,de: Russian") << u"us,de"_s << u"00000419"_s << 1;
    QTest::newRow("us,ru: unknown identifier") << u"us,ru"_s << u"00000407"_s << 1;
}

void TestX11Xvfb::layoutNotConfiguredChangesNothing()
{
    QFETCH(QString, layouts);
    QFETCH(QString, id);
    QFETCH(int, group);
    QVERIFY(SetLayouts(layouts));
    LockGroup(group);
    QCOMPARE(Group(), group);

    X11DesktopServices services;
    services.LoadKeyboardLayout(id.toStdString());
    QCOMPARE(Group(), group);
}

// Keymaps loaded by other means than setxkbmap may leave no _XKB_RULES_NAMES on the root
// window; the layouts then come from the keymap's symbols name.
void TestX11Xvfb::keymapNameServesWithoutTheRulesRecord()
{
    QVERIFY(SetLayouts(u"ru,us"_s));
    Display *display = X11Display();
    XDeleteProperty(display, DefaultRootWindow(display), XInternAtom(display, "_XKB_RULES_NAMES", False));
    LockGroup(0);

    X11DesktopServices services;
    services.LoadKeyboardLayout("00000409");
    QCOMPARE(Group(), 1);
    services.LoadKeyboardLayout("00000419");
    QCOMPARE(Group(), 0);
}

void TestX11Xvfb::keysTypeCharactersOfTheActiveLayout()
{
    QVERIFY(SetLayouts(u"us,ru"_s));
    KeyWindow window;
    window.setGeometry(100, 100, 200, 100);
    window.show();
    window.requestActivate();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    Display *display = X11Display();
    const KeyCode q = XKeysymToKeycode(display, XK_q);
    auto press = [&] {
        window.typed.clear();
        XTestFakeKeyEvent(display, q, True, CurrentTime);
        XTestFakeKeyEvent(display, q, False, CurrentTime);
        XSync(display, False);
    };

    X11DesktopServices services;
    services.LoadKeyboardLayout("00000419");
    press();
    QTRY_COMPARE(window.typed, u"й"_s);
    services.LoadKeyboardLayout("00000409");
    press();
    QTRY_COMPARE(window.typed, u"q"_s);
}

QTEST_MAIN(TestX11Xvfb)
#include "test_x11_xvfb.moc"
