#pragma once
// A private X server for tests that drive the real program: Xvfb on a free display, the
// screen read back with XGetImage, input sent with xdotool.
#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>

struct _XDisplay;

namespace kavr::test {

class XvfbSession
{
public:
    XvfbSession();
    ~XvfbSession();

    bool start(const QString &screen = QStringLiteral("1280x1024x24"));
    QString display() const { return m_display; }

    // Runs xdotool with args; returns its standard output, trimmed.
    QString xdotool(const QStringList &args) const;
    // A part of the screen as it is now.
    QImage grab(const QRect &area) const;
    // The environment for a program shown on this server.
    QProcessEnvironment environment() const;

private:
    QProcess m_server;
    QString m_display;
    _XDisplay *m_connection = nullptr;
};

// Mean absolute difference of two images of one size, per channel, 0..255.
double MeanDifference(const QImage &a, const QImage &b);

} // namespace kavr::test
