#include "XInput.h"

// Xlib last: its macros clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace kavr::test {

XInput::~XInput()
{
    if (m_display)
        XCloseDisplay(m_display);
}

bool XInput::open(const QString &display)
{
    m_display = XOpenDisplay(display.toLocal8Bit().constData());
    int event = 0, error = 0, major = 0, minor = 0;
    return m_display && XTestQueryExtension(m_display, &event, &error, &major, &minor);
}

void XInput::flush()
{
    XSync(m_display, False);
}

void XInput::click(QPoint screen, int button)
{
    XTestFakeMotionEvent(m_display, -1, screen.x(), screen.y(), CurrentTime);
    XTestFakeButtonEvent(m_display, unsigned(button), True, CurrentTime);
    XTestFakeButtonEvent(m_display, unsigned(button), False, CurrentTime);
    flush();
    ++m_clicks;
}

void XInput::doubleClick(QPoint screen)
{
    XTestFakeMotionEvent(m_display, -1, screen.x(), screen.y(), CurrentTime);
    for (int i = 0; i < 2; ++i) {
        XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
        XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
    }
    flush();
    m_clicks += 2;
}

void XInput::press(unsigned long keysym, bool down)
{
    const KeyCode code = XKeysymToKeycode(m_display, KeySym(keysym));
    if (code != 0)
        XTestFakeKeyEvent(m_display, code, down, CurrentTime);
}

void XInput::key(unsigned long keysym, int modifiers)
{
    if (modifiers & Shift)
        press(XK_Shift_L, true);
    if (modifiers & Control)
        press(XK_Control_L, true);
    if (modifiers & Alt)
        press(XK_Alt_L, true);
    press(keysym, true);
    press(keysym, false);
    if (modifiers & Alt)
        press(XK_Alt_L, false);
    if (modifiers & Control)
        press(XK_Control_L, false);
    if (modifiers & Shift)
        press(XK_Shift_L, false);
    flush();
    ++m_keys;
}

void XInput::typeAscii(const QString &text)
{
    for (const QChar c : text) {
        const char latin = c.toLatin1();
        if (c.isUpper())
            key(XK_a + unsigned(c.toLower().toLatin1() - 'a'), Shift);
        else if (c.isLower())
            key(XK_a + unsigned(latin - 'a'));
        else if (c.isDigit())
            key(XK_0 + unsigned(latin - '0'));
        else if (c == u'-')
            key(XK_minus);
        else if (c == u'.')
            key(XK_period);
        else if (c == u' ')
            key(XK_space);
    }
}

namespace {

QString WindowName(Display *display, Window window)
{
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    QString name;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success && data) {
        name = QString::fromUtf8(reinterpret_cast<const char *>(data), int(count));
        XFree(data);
    }
    if (name.isEmpty()) {
        char *plain = nullptr;
        if (XFetchName(display, window, &plain) && plain) {
            name = QString::fromLatin1(plain);
            XFree(plain);
        }
    }
    return name;
}

} // namespace

QList<TopLevel> XInput::topLevels() const
{
    QList<TopLevel> result;
    Window root = 0, parent = 0;
    Window *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count))
        return result;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(m_display, children[i], &attributes)
            || attributes.map_state != IsViewable)
            continue;
        TopLevel window;
        window.id = children[i];
        window.name = WindowName(m_display, children[i]);
        window.geometry = QRect(attributes.x, attributes.y, attributes.width, attributes.height);
        window.popup = attributes.override_redirect;
        result << window;
    }
    if (children)
        XFree(children);
    return result;
}

void XInput::requestClose(unsigned long window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(m_display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(m_display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(m_display, window, False, NoEventMask, &event);
    flush();
}

} // namespace kavr::test
