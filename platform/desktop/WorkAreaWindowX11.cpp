#include "platform/desktop/WorkAreaWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <memory>

// Xlib comes last: its macros (None, Bool, Status, ...) clash with names in Qt's headers.
#include <X11/Xlib.h>

namespace kavr::platform {

namespace {

// The X display Qt is connected to; null on any other platform (offscreen, Wayland).
Display *X11Display()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

void FixSize(QWindow &window, QSize size)
{
    window.setMinimumSize(size);
    window.setMaximumSize(size);
    if (window.size() != size)
        window.resize(size);
}

// Answers what the window manager made of the window, once all news of a change are in (the
// move and the resize of one reconfiguration arrive one after the other). heldOn: the work area
// the window's fixed size answers to, null until the size is fixed.
void Settle(QWindow &window, QRect &heldOn)
{
    const Qt::WindowStates states = window.windowStates();
    if (!window.isVisible() || !window.screen()
        || states & (Qt::WindowMinimized | Qt::WindowFullScreen))
        return;
    const QRect area = window.screen()->availableGeometry();
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    if (frame == client)
        return; // no window manager frames it (yet): there is no frame to resize it with
    if (states & Qt::WindowMaximized) {
        if (heldOn == area) {
            if (area.contains(client))
                return;
            // The size was fixed between the manager's framing and its maximising (the frame's
            // extents came before the new size): the maximised window then keeps the size it
            // was shown with and overflows the work area. Its part inside the work area is the
            // size the manager would have given it.
            const QRect inside = client & area;
            if (inside.isEmpty())
                return;
            FixSize(window, inside.size());
            XSync(X11Display(), False);
            return;
        }
        if (!heldOn.isValid()) {
            // Maximised once the frame covers the work area with the window inside it; until
            // the manager is done the window may keep the size it was shown with, its frame
            // overflowing the work area.
            if (!area.contains(client) || !frame.contains(area))
                return;
            FixSize(window, client.size());
            heldOn = area;
            XSync(X11Display(), False); // sent now, not with Qt's next event: before a user acts
            return;
        }
    }
    // The manager took the maximised state away from a window of fixed size (Openbox does), a
    // user restored it, or the work area changed under it: the program puts the frame on the
    // work area itself, as a maximised window's would be.
    FixSize(window, area.size() - (frame.size() - client.size()));
    if (frame.topLeft() != area.topLeft())
        window.setFramePosition(area.topLeft());
    heldOn = area;
    XSync(X11Display(), False);
}

} // namespace

void KeepOnWorkArea(QWindow &window)
{
    if (!X11Display())
        return;
    // Settles after the events at hand, all of one change, are handled.
    auto *settle = new QTimer(&window);
    settle->setSingleShot(true);
    settle->setInterval(0);
    auto heldOn = std::make_shared<QRect>();
    QObject::connect(settle, &QTimer::timeout, &window,
                     [&window, heldOn] { Settle(window, *heldOn); });
    const auto later = [settle] { settle->start(); };
    QObject::connect(&window, &QWindow::xChanged, settle, later);
    QObject::connect(&window, &QWindow::yChanged, settle, later);
    QObject::connect(&window, &QWindow::widthChanged, settle, later);
    QObject::connect(&window, &QWindow::heightChanged, settle, later);
    QObject::connect(&window, &QWindow::windowStateChanged, settle, later);
    QObject::connect(&window, &QWindow::visibleChanged, settle, later);
    auto watched = std::make_shared<QMetaObject::Connection>();
    const auto watch = [settle, later, watched](QScreen *screen) {
        QObject::disconnect(*watched);
        if (screen)
            *watched = QObject::connect(screen, &QScreen::availableGeometryChanged, settle, later);
        settle->start();
    };
    QObject::connect(&window, &QWindow::screenChanged, settle, watch);
    watch(window.screen());
}

} // namespace kavr::platform
