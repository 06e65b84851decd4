#pragma once
// A private X server for tests and benches that drive the real program: Xvfb on a free
// display, and the screen read back through a ScreenWatcher of its own. Input goes through
// XInput, on a connection of the caller's.
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QSize>
#include <QString>

#include <memory>

namespace kavr::harness {

class ScreenWatcher;

class XvfbSession final
{
public:
    XvfbSession();
    // Stops the server.
    ~XvfbSession();
    XvfbSession(const XvfbSession &) = delete;
    XvfbSession &operator=(const XvfbSession &) = delete;

    // False when no server came up on any free display.
    bool start(const QString &screen = QStringLiteral("1280x1024x24"));
    QString display() const { return m_display; }
    // The server's process, for a caller that sets its scheduling; 0 before start().
    qint64 processId() const { return m_server.processId(); }
    QSize screenSize() const;

    // A part of the screen as it is now, Format_RGB32; null when it leaves the screen.
    QImage grab(const QRect &area) const;
    QImage grabScreen() const { return grab(QRect(QPoint(0, 0), screenSize())); }
    // The whole screen as a PNG in folder, named name.png; the path, or empty when folder is
    // empty or the file could not be written.
    QString saveScreenshot(const QString &folder, const QString &name) const;
    // The environment for a program shown on this server.
    QProcessEnvironment environment() const;

private:
    QProcess m_server;
    QString m_display;
    std::unique_ptr<ScreenWatcher> m_screen;
};

} // namespace kavr::harness
