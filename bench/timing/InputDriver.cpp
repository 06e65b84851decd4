#include "InputDriver.h"

#include "MonotonicTime.h"

#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace kavr::bench {

namespace {

// Sends what is queued and waits for the server to have handled it; dated at the middle.
std::int64_t SyncDated(Display *display)
{
    const std::int64_t before = MonotonicNs();
    XSync(display, False);
    return before + (MonotonicNs() - before) / 2;
}

} // namespace

InputDriver::InputDriver() = default;

InputDriver::~InputDriver()
{
    if (m_display)
        XCloseDisplay(m_display);
}

bool InputDriver::open(const QString &display)
{
    m_display = XOpenDisplay(display.toLocal8Bit().constData());
    if (!m_display) {
        m_error = QStringLiteral("cannot open display %1").arg(display);
        return false;
    }
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(m_display, &event, &error, &major, &minor)) {
        m_error = QStringLiteral("the X server has no XTest extension");
        return false;
    }
    return true;
}

void InputDriver::moveTo(QPoint point)
{
    XTestFakeMotionEvent(m_display, -1, point.x(), point.y(), CurrentTime);
    XSync(m_display, False);
}

std::int64_t InputDriver::click(QPoint point, int button)
{
    moveTo(point);
    XTestFakeButtonEvent(m_display, unsigned(button), True, CurrentTime);
    XSync(m_display, False);
    XTestFakeButtonEvent(m_display, unsigned(button), False, CurrentTime);
    return SyncDated(m_display);
}

std::int64_t InputDriver::key(const char *keysymName)
{
    return sendKey(XStringToKeysym(keysymName));
}

std::int64_t InputDriver::sendKey(unsigned long keysym)
{
    const KeyCode code = XKeysymToKeycode(m_display, keysym);
    if (code == 0)
        return MonotonicNs();
    // A keysym on the shifted level needs Shift held.
    const bool shifted = XkbKeycodeToKeysym(m_display, code, 0, 0) != keysym
                         && XkbKeycodeToKeysym(m_display, code, 0, 1) == keysym;
    const KeyCode shift = XKeysymToKeycode(m_display, XK_Shift_L);
    if (shifted)
        XTestFakeKeyEvent(m_display, shift, True, CurrentTime);
    XTestFakeKeyEvent(m_display, code, True, CurrentTime);
    const std::int64_t pressed = SyncDated(m_display);
    XTestFakeKeyEvent(m_display, code, False, CurrentTime);
    if (shifted)
        XTestFakeKeyEvent(m_display, shift, False, CurrentTime);
    XSync(m_display, False);
    return pressed;
}

void InputDriver::type(const QString &text)
{
    for (const QChar c : text) {
        unsigned long keysym = 0;
        if (c == QLatin1Char(' '))
            keysym = XK_space;
        else if (c == QLatin1Char('.'))
            keysym = XK_period;
        else if (c.isLetterOrNumber() && c.unicode() < 128)
            keysym = c.unicode(); // Latin-1 keysyms are the characters themselves
        if (keysym != 0) {
            sendKey(keysym);
            SleepForMs(15);
        }
    }
}

} // namespace kavr::bench
