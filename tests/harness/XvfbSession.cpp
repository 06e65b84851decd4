#include "harness/XvfbSession.h"

#include "harness/ScreenWatcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QThread>

namespace kavr::harness {

XvfbSession::XvfbSession() = default;

XvfbSession::~XvfbSession()
{
    m_screen.reset();
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(3000))
            m_server.kill();
        m_server.waitForFinished(1000);
    }
}

bool XvfbSession::start(const QString &screen)
{
    for (int n = 90 + int(QCoreApplication::applicationPid() % 50); n < 400; ++n) {
        if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n))
            || QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
            continue;
        m_display = QStringLiteral(":%1").arg(n);
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.start(QStringLiteral("Xvfb"), {m_display, QStringLiteral("-screen"), QStringLiteral("0"), screen,
                                                QStringLiteral("-noreset"), QStringLiteral("-nolisten"),
                                                QStringLiteral("tcp")});
        if (!m_server.waitForStarted(5000))
            return false;
        auto watcher = std::make_unique<ScreenWatcher>();
        bool open = false;
        for (int i = 0; i < 100 && !open; ++i) {
            QThread::msleep(50);
            if (m_server.state() == QProcess::NotRunning)
                break;
            open = watcher->open(m_display);
        }
        if (open) {
            m_screen = std::move(watcher);
            return true;
        }
    }
    return false;
}

QSize XvfbSession::screenSize() const
{
    return m_screen ? m_screen->screenSize() : QSize();
}

QImage XvfbSession::grab(const QRect &area) const
{
    return m_screen ? m_screen->grab(area) : QImage();
}

QString XvfbSession::saveScreenshot(const QString &folder, const QString &name) const
{
    if (folder.isEmpty())
        return {};
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    return grabScreen().save(path) ? path : QString();
}

QProcessEnvironment XvfbSession::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return env;
}

} // namespace kavr::harness
