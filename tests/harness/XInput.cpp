#include "harness/XInput.h"

#include "harness/MonotonicTime.h"

// Xlib last: its macros clash with Qt's names.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace kavr::harness {

XInput::~XInput()
{
    if (m_display)
        XCloseDisplay(m_display);
}

bool XInput::open(const QString &display)
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
    // Key codes without any keysym, from the top, as spare keys for typing.
    int low = 0, high = 0, perCode = 0;
    XDisplayKeycodes(m_display, &low, &high);
    KeySym *map = XGetKeyboardMapping(m_display, KeyCode(low), high - low + 1, &perCode);
    for (int code = high; map && code >= low; --code) {
        bool empty = true;
        for (int i = 0; i < perCode; ++i)
            empty = empty && map[(code - low) * perCode + i] == NoSymbol;
        if (empty)
            m_spare << (unsigned char)code;
    }
    if (map)
        XFree(map);
    return true;
}

std::int64_t XInput::syncDated()
{
    const std::int64_t before = MonotonicNs();
    XSync(m_display, False);
    return before + (MonotonicNs() - before) / 2;
}

void XInput::moveTo(QPoint screen)
{
    XTestFakeMotionEvent(m_display, -1, screen.x(), screen.y(), CurrentTime);
    XSync(m_display, False);
}

QPoint XInput::pointer() const
{
    Window root = 0, child = 0;
    int x = 0, y = 0, windowX = 0, windowY = 0;
    unsigned int buttons = 0;
    XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &x, &y, &windowX, &windowY, &buttons);
    return {x, y};
}

std::int64_t XInput::click(QPoint screen, int button)
{
    moveTo(screen);
    XTestFakeButtonEvent(m_display, unsigned(button), True, CurrentTime);
    XSync(m_display, False);
    XTestFakeButtonEvent(m_display, unsigned(button), False, CurrentTime);
    ++m_clicks;
    return syncDated();
}

void XInput::doubleClick(QPoint screen)
{
    moveTo(screen);
    for (int i = 0; i < 2; ++i) {
        XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
        XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
    }
    XSync(m_display, False);
    m_clicks += 2;
}

unsigned char XInput::keyCodeFor(unsigned long keysym)
{
    if (const auto it = m_mapped.find(keysym); it != m_mapped.end())
        return it->second;
    const KeyCode code = XKeysymToKeycode(m_display, KeySym(keysym));
    if (code != 0
        && (XkbKeycodeToKeysym(m_display, code, 0, 0) == keysym || XkbKeycodeToKeysym(m_display, code, 0, 1) == keysym))
        return code;
    if (m_spare.isEmpty()) {
        // Every spare key is taken: the one given out first serves again, once the program
        // has surely read what was typed with it.
        if (m_mapped.empty())
            return 0;
        auto oldest = m_mapped.begin();
        for (auto it = m_mapped.begin(); it != m_mapped.end(); ++it)
            if (m_order.indexOf(it->first) < m_order.indexOf(oldest->first))
                oldest = it;
        m_spare << oldest->second;
        m_order.removeOne(oldest->first);
        m_mapped.erase(oldest);
        SleepForMs(300);
    }
    const unsigned char spare = m_spare.takeFirst();
    KeySym both[2] = {KeySym(keysym), KeySym(keysym)};
    XChangeKeyboardMapping(m_display, spare, 2, both, 1);
    XSync(m_display, False);
    m_mapped[keysym] = spare;
    m_order << keysym;
    SleepForMs(20); // the program reloads its key map first
    return spare;
}

void XInput::press(unsigned long keysym, bool down)
{
    if (const unsigned char code = keyCodeFor(keysym))
        XTestFakeKeyEvent(m_display, code, down, CurrentTime);
}

std::int64_t XInput::key(unsigned long keysym, int modifiers)
{
    const unsigned char code = keyCodeFor(keysym);
    // A keysym on the shifted level needs Shift held.
    if (code != 0 && XkbKeycodeToKeysym(m_display, code, 0, 0) != keysym
        && XkbKeycodeToKeysym(m_display, code, 0, 1) == keysym)
        modifiers |= Shift;
    if (modifiers & Shift)
        press(XK_Shift_L, true);
    if (modifiers & Control)
        press(XK_Control_L, true);
    if (modifiers & Alt)
        press(XK_Alt_L, true);
    if (code != 0)
        XTestFakeKeyEvent(m_display, code, True, CurrentTime);
    const std::int64_t pressed = syncDated();
    if (code != 0)
        XTestFakeKeyEvent(m_display, code, False, CurrentTime);
    if (modifiers & Alt)
        press(XK_Alt_L, false);
    if (modifiers & Control)
        press(XK_Control_L, false);
    if (modifiers & Shift)
        press(XK_Shift_L, false);
    XSync(m_display, False);
    ++m_keys;
    return pressed;
}

std::int64_t XInput::key(const char *keysymName)
{
    return key(XStringToKeysym(keysymName));
}

void XInput::type(const QString &text, int pauseMs)
{
    bool first = true;
    for (const char32_t c : text.toUcs4()) {
        if (!first && pauseMs > 0)
            SleepForMs(pauseMs);
        first = false;
        // Latin-1 keysyms are the characters themselves; the others are Unicode keysyms.
        const unsigned long keysym = c == U'\n' ? XK_Linefeed : c < 0x100 ? c : 0x01000000ul | c;
        key(keysym);
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
    XSync(m_display, False);
}

} // namespace kavr::harness
