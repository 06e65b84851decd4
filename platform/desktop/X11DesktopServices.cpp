#include "platform/desktop/X11DesktopServices.h"

#include "assets/SoundBank.h"
#include "platform/desktop/SoundPlayer.h"

#include <QCursor>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

// Xlib comes last: its macros (None, Bool, Status, ...) clash with names in Qt's headers.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace kavr::platform {

namespace {

constexpr int kMaxGroups = XkbNumKbdGroups;

// The X display Qt is connected to; null on any other platform (offscreen, Wayland).
Display *X11Display()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

QByteArray RulesNames(Display *display)
{
    const Atom atom = XInternAtom(display, "_XKB_RULES_NAMES", True);
    if (atom == None)
        return {};
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char *data = nullptr;
    QByteArray names;
    if (XGetWindowProperty(display, DefaultRootWindow(display), atom, 0, 1024, False, XA_STRING,
                           &type, &format, &items, &after, &data) == Success && data && format == 8)
        names = QByteArray(reinterpret_cast<const char *>(data), qsizetype(items));
    if (data)
        XFree(data);
    return names;
}

QString SymbolsName(Display *display)
{
    XkbDescPtr keyboard = XkbAllocKeyboard();
    if (!keyboard)
        return {};
    QString symbols;
    if (XkbGetNames(display, XkbSymbolsNameMask, keyboard) == Success && keyboard->names
        && keyboard->names->symbols != None) {
        if (char *name = XGetAtomName(display, keyboard->names->symbols)) {
            symbols = QString::fromLatin1(name);
            XFree(name);
        }
    }
    XkbFreeKeyboard(keyboard, 0, True);
    return symbols;
}

// The layouts of the current XKB groups: what setxkbmap recorded, else the keymap's own name.
QStringList CurrentLayouts(Display *display)
{
    const QStringList layouts = X11DesktopServices::LayoutsFromRulesNames(RulesNames(display));
    return layouts.isEmpty() ? X11DesktopServices::LayoutsFromSymbols(SymbolsName(display)) : layouts;
}

bool HasXkb(Display *display)
{
    int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    return XkbQueryExtension(display, &opcode, &event, &error, &major, &minor);
}

} // namespace

X11DesktopServices::X11DesktopServices() = default;
X11DesktopServices::~X11DesktopServices() = default;

void X11DesktopServices::PlaySound(const std::string &name)
{
    if (!m_player)
        m_player = std::make_unique<SoundPlayer>();
    const QString soundName = QString::fromStdString(name);
    const assets::PcmSound sound = assets::DecodeWave(assets::WaveData(soundName));
    m_player->play(soundName, sound);
    // A sound that cannot be played gives the display's bell, the desktop's alert sound.
    if (!m_player->isPlaying()) {
        if (Display *display = X11Display()) {
            XBell(display, 0);
            XFlush(display);
        }
    }
}

void X11DesktopServices::LoadKeyboardLayout(const std::string &layoutId)
{
    const QString layout = XkbLayoutFor(layoutId);
    Display *display = X11Display();
    if (layout.isEmpty() || !display || !HasXkb(display))
        return;
    const int group = int(CurrentLayouts(display).indexOf(layout));
    if (group < 0 || group >= kMaxGroups)
        return; // the layout is not configured: nothing to switch to
    XkbLockGroup(display, XkbUseCoreKbd, unsigned(group));
    XFlush(display);
}

void X11DesktopServices::SetCursorPos(int x, int y)
{
    QCursor::setPos(x, y);
}

void X11DesktopServices::WaitForWindowSystem()
{
    // Xlib shares Qt's connection: the reply comes once every request before it, Qt's too, is done.
    if (Display *display = X11Display())
        XSync(display, False);
}

void X11DesktopServices::ShowTaskbar()
{
    // A program cannot hide or show an X desktop's panels, and this one never hides them.
}

bool X11DesktopServices::AddSystemMenuEntry(std::uintptr_t, unsigned, const std::string &)
{
    return false; // no window manager's window menu can be extended through X11
}

bool X11DesktopServices::IsSystemCommand(const void *, unsigned &) const
{
    return false;
}

QString X11DesktopServices::XkbLayoutFor(const std::string &layoutId)
{
    if (layoutId == "00000409")
        return QStringLiteral("us");
    if (layoutId == "00000419")
        return QStringLiteral("ru");
    return {};
}

QStringList X11DesktopServices::LayoutsFromRulesNames(const QByteArray &rulesNames)
{
    const QList<QByteArray> fields = rulesNames.split('\0');
    if (fields.size() < 3 || fields.at(2).trimmed().isEmpty())
        return {};
    QStringList layouts;
    for (const QByteArray &layout : fields.at(2).split(','))
        layouts << QString::fromLatin1(layout.trimmed());
    return layouts;
}

QStringList X11DesktopServices::LayoutsFromSymbols(const QString &symbols)
{
    // The rules put the first layout right after the base ("pc") and mark the others ":N".
    const QStringList parts = symbols.split(QLatin1Char('+'));
    QStringList layouts;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        QString part = parts.at(i);
        int group = i == 1 ? 0 : -1;
        const qsizetype colon = part.indexOf(QLatin1Char(':'));
        if (colon >= 0) {
            bool ok = false;
            group = part.mid(colon + 1).toInt(&ok) - 1;
            if (!ok)
                group = -1;
            part.truncate(colon);
        }
        if (group < 0 || group >= kMaxGroups)
            continue;
        if (layouts.size() <= group)
            layouts.resize(group + 1);
        layouts[group] = part.section(QLatin1Char('('), 0, 0);
    }
    return layouts;
}

} // namespace kavr::platform
