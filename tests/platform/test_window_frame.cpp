// The real program under a real window manager on a private X server: IceWM, a small one a lab's
// Debian desktop may have, which honours what a window asks of its frame. The main window covers
// the work area (IceWM's task bar left aside), and its frame offers neither to resize it, to
// maximise it nor to minimise it: not as shown, not after the manager's own keys restore it and
// size it, maximise it or minimise it, and it follows the work area when a panel comes.
#include "harness/ProgramRun.h"
#include "harness/XInput.h"
#include "harness/XvfbSession.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// Xlib last: its macros clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

using namespace kavr::harness;
using namespace Qt::StringLiterals;

namespace {

const QString WindowManager = u"icewm"_s;
const char *const MainTitle = "KAVR.IM";

enum class Act { Nothing, RestoreAndSize, RestoreMaximiseMinimise, AddPanel };

QString Text(const QRect &r)
{
    return u"%1,%2 %3x%4"_s.arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

class WindowFrameTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void frameKeepsTheWorkArea_data();
    void frameKeepsTheWorkArea();

private:
    Atom atom(const char *name) const { return XInternAtom(m_display, name, False); }
    // A property of 32-bit items (XA_CARDINAL, XA_WINDOW, XA_ATOM); empty when it is missing.
    QList<unsigned long> property(Window window, const char *name, Atom type) const;
    Window root() const { return DefaultRootWindow(m_display); }
    QRect workArea() const;
    // The main window among the manager's clients; 0 while there is none.
    Window mainWindow() const;
    QRect clientGeometry(Window window) const;
    // The manager's frame: the window's ancestor right below the root, its border included.
    QRect frameGeometry(Window window) const;
    // What is wrong with the window and its frame now; empty when nothing is.
    QString problems(Window window) const;
    bool startWindowManager();
    void addPanel(int width);

    XvfbSession m_x;
    XInput m_input;
    Display *m_display = nullptr;
    QTemporaryDir m_home;
    QProcess m_manager;
    Window m_panel = 0;
};

void WindowFrameTest::initTestCase()
{
    if (QStandardPaths::findExecutable(WindowManager).isEmpty())
        QSKIP("IceWM is not installed (Debian package icewm): no real window manager to frame the "
              "program");
    QVERIFY2(m_x.start(), "Xvfb did not start");
    QVERIFY2(m_input.open(m_x.display()), qPrintable(m_input.errorString()));
    m_display = XOpenDisplay(m_x.display().toLocal8Bit().constData());
    QVERIFY(m_display);
    QVERIFY(m_home.isValid());
}

void WindowFrameTest::cleanupTestCase()
{
    if (m_display)
        XCloseDisplay(m_display);
}

void WindowFrameTest::cleanup()
{
    if (m_panel) {
        XDestroyWindow(m_display, m_panel);
        XSync(m_display, False);
        m_panel = 0;
    }
    if (m_manager.state() != QProcess::NotRunning) {
        m_manager.terminate();
        if (!m_manager.waitForFinished(5000))
            m_manager.kill();
        m_manager.waitForFinished(5000);
    }
    // What a manager leaves on the root window would tell the next row's wait it is up.
    for (const char *name : {"_NET_SUPPORTING_WM_CHECK", "_NET_WORKAREA"})
        XDeleteProperty(m_display, root(), atom(name));
    XSync(m_display, False);
}

QList<unsigned long> WindowFrameTest::property(Window window, const char *name, Atom type) const
{
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    QList<unsigned long> items;
    if (XGetWindowProperty(m_display, window, atom(name), 0, 4096, False, type, &actualType,
                           &format, &count, &after, &data)
            == Success
        && data && format == 32) {
        const auto *values = reinterpret_cast<const unsigned long *>(data);
        items = QList<unsigned long>(values, values + count);
    }
    if (data)
        XFree(data);
    return items;
}

QRect WindowFrameTest::workArea() const
{
    const QList<unsigned long> area = property(root(), "_NET_WORKAREA", XA_CARDINAL);
    return area.size() >= 4 ? QRect(int(area[0]), int(area[1]), int(area[2]), int(area[3]))
                            : QRect();
}

Window WindowFrameTest::mainWindow() const
{
    for (unsigned long client : property(root(), "_NET_CLIENT_LIST", XA_WINDOW)) {
        char *name = nullptr;
        const bool main = XFetchName(m_display, client, &name) && name
            && qstrcmp(name, MainTitle) == 0;
        if (name)
            XFree(name);
        if (main)
            return client;
    }
    return 0;
}

QRect WindowFrameTest::clientGeometry(Window window) const
{
    XWindowAttributes attributes{};
    int x = 0, y = 0;
    Window child = 0;
    if (!XGetWindowAttributes(m_display, window, &attributes)
        || !XTranslateCoordinates(m_display, window, root(), 0, 0, &x, &y, &child))
        return {};
    return {x, y, attributes.width, attributes.height};
}

QRect WindowFrameTest::frameGeometry(Window window) const
{
    Window frame = window;
    for (;;) {
        Window rootWindow = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(m_display, frame, &rootWindow, &parent, &children, &count))
            return {};
        if (children)
            XFree(children);
        if (parent == rootWindow)
            break;
        frame = parent;
    }
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(m_display, frame, &attributes))
        return {};
    const int border = attributes.border_width;
    return {attributes.x, attributes.y, attributes.width + 2 * border,
            attributes.height + 2 * border};
}

QString WindowFrameTest::problems(Window window) const
{
    QStringList found;
    const QList<unsigned long> state = property(window, "WM_STATE", atom("WM_STATE"));
    if (state.isEmpty() || state.first() != NormalState)
        found << u"not shown normally (WM_STATE %1)"_s.arg(state.isEmpty() ? -1
                                                                           : long(state.first()));

    // Maximised to the work area: the frame covers it, the window lies inside it.
    const QRect area = workArea();
    const QRect client = clientGeometry(window);
    const QRect frame = frameGeometry(window);
    if (!frame.contains(area) || !area.contains(client))
        found << u"frame %1 and window %2 do not fill the work area %3"_s.arg(
            Text(frame), Text(client), Text(area));

    // A window whose smallest and largest sizes are the size it has is one no manager resizes.
    XSizeHints hints{};
    long supplied = 0;
    const bool read = XGetWMNormalHints(m_display, window, &hints, &supplied);
    const QSize min(hints.min_width, hints.min_height);
    const QSize max(hints.max_width, hints.max_height);
    if (!read || !(hints.flags & PMinSize) || !(hints.flags & PMaxSize) || min != client.size()
        || max != client.size())
        found << u"the frame may resize the window of %1x%2: WM_NORMAL_HINTS %3 minimum %4x%5, "
                 "maximum %6x%7"_s.arg(client.width())
                     .arg(client.height())
                     .arg(hints.flags, 0, 16)
                     .arg(min.width())
                     .arg(min.height())
                     .arg(max.width())
                     .arg(max.height());

    // What the manager says its frame and keys offer for the window.
    for (const char *action : {"_NET_WM_ACTION_MAXIMIZE_HORZ", "_NET_WM_ACTION_MAXIMIZE_VERT",
                               "_NET_WM_ACTION_MINIMIZE"})
        if (property(window, "_NET_WM_ALLOWED_ACTIONS", XA_ATOM).contains(atom(action)))
            found << u"the manager allows %1"_s.arg(QLatin1String(action));
    return found.join(u"; "_s);
}

bool WindowFrameTest::startWindowManager()
{
    QProcessEnvironment env = m_x.environment();
    env.insert(u"HOME"_s, m_home.path()); // the manager's settings and state stay the test's
    m_manager.setProcessEnvironment(env);
    m_manager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_manager.start(WindowManager, {});
    if (!m_manager.waitForStarted(10'000))
        return false;
    // Running once it manages the screen and has put its task bar aside: a window shown before
    // would be maximised over the whole screen, and IceWM leaves it so when its bar comes.
    const QRect screen(0, 0, DisplayWidth(m_display, DefaultScreen(m_display)),
                       DisplayHeight(m_display, DefaultScreen(m_display)));
    for (int i = 0; i < 100; ++i) {
        if (!property(root(), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW).isEmpty()
            && workArea().isValid() && workArea() != screen)
            return true;
        QTest::qWait(100);
    }
    return false;
}

// A dock of the given width along the screen's left side, which the work area then leaves out:
// a panel added while the program runs.
void WindowFrameTest::addPanel(int width)
{
    const int height = DisplayHeight(m_display, DefaultScreen(m_display));
    m_panel = XCreateSimpleWindow(m_display, root(), 0, 0, unsigned(width), unsigned(height), 0, 0,
                                  0x3366cc);
    const unsigned long dock = atom("_NET_WM_WINDOW_TYPE_DOCK");
    XChangeProperty(m_display, m_panel, atom("_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&dock), 1);
    const long strut[12] = {width, 0, 0, 0, 0, height - 1, 0, 0, 0, 0, 0, 0};
    XChangeProperty(m_display, m_panel, atom("_NET_WM_STRUT_PARTIAL"), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char *>(strut), 12);
    XChangeProperty(m_display, m_panel, atom("_NET_WM_STRUT"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(strut), 4);
    XMapWindow(m_display, m_panel);
    XSync(m_display, False);
}

void WindowFrameTest::frameKeepsTheWorkArea_data()
{
    QTest::addColumn<Act>("act");
    QTest::newRow("as shown") << Act::Nothing;
    QTest::newRow("restored, sized by the keyboard") << Act::RestoreAndSize;
    QTest::newRow("restored, maximise and minimise keys") << Act::RestoreMaximiseMinimise;
    QTest::newRow("a panel added") << Act::AddPanel;
}

void WindowFrameTest::frameKeepsTheWorkArea()
{
    QFETCH(Act, act);
    QVERIFY2(startWindowManager(), "IceWM did not come up");
    ProgramRun run(m_x, m_input);
    QVERIFY(run.prepare(QStringLiteral(KAVR_PROGRAM)));
    QVERIFY(run.launch());
    Window window = 0;
    QTRY_VERIFY_WITH_TIMEOUT((window = mainWindow()) != 0, 20'000);
    // Maximised by the manager before anyone acts.
    QTRY_VERIFY2_WITH_TIMEOUT(frameGeometry(window).contains(workArea())
                                  && workArea().contains(clientGeometry(window)),
                              qPrintable(problems(window)), 30'000);

    if (act == Act::RestoreAndSize || act == Act::RestoreMaximiseMinimise) {
        // The manager's keys act on the window that has the focus.
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = atom("_NET_ACTIVE_WINDOW");
        event.xclient.format = 32;
        event.xclient.data.l[0] = 2; // as a pager asks
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(m_display, root(), False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &event);
        XSync(m_display, False);
        QTRY_COMPARE(property(root(), "_NET_ACTIVE_WINDOW", XA_WINDOW),
                     QList<unsigned long>{window});
        m_input.key(XK_F5, XInput::Alt); // IceWM: restore
        QTest::qWait(500);
    }
    if (act == Act::RestoreAndSize) {
        m_input.key(XK_F8, XInput::Alt); // IceWM: size, then the arrows move an edge
        QTest::qWait(300);
        for (int i = 0; i < 10; ++i) {
            m_input.key(XK_Right);
            m_input.key(XK_Down);
        }
        m_input.key(XK_Return);
        QTest::qWait(500);
    }
    if (act == Act::RestoreMaximiseMinimise) {
        m_input.key(XK_F10, XInput::Alt); // IceWM: maximise
        QTest::qWait(500);
        m_input.key(XK_F9, XInput::Alt); // IceWM: minimise
        QTest::qWait(500);
    }
    if (act == Act::AddPanel) {
        const QRect before = workArea();
        addPanel(before.width() / 10);
        QTRY_VERIFY(workArea() != before);
    }

    QTRY_COMPARE_WITH_TIMEOUT(problems(window), QString(), 30'000);
    qInfo("frame %s, window %s, work area %s", qPrintable(Text(frameGeometry(window))),
          qPrintable(Text(clientGeometry(window))), qPrintable(Text(workArea())));
    QVERIFY2(run.running(), qPrintable(run.exitDescription() + u'\n' + run.standardError()));
}

QTEST_GUILESS_MAIN(WindowFrameTest)
#include "test_window_frame.moc"
