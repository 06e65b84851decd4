#include "XvfbSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QThread>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace kavr::test {

XvfbSession::XvfbSession() = default;

XvfbSession::~XvfbSession()
{
    if (m_connection)
        XCloseDisplay(m_connection);
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
        for (int i = 0; i < 100 && !m_connection; ++i) {
            QThread::msleep(50);
            if (m_server.state() == QProcess::NotRunning)
                break;
            m_connection = XOpenDisplay(m_display.toLocal8Bit().constData());
        }
        if (m_connection)
            return true;
    }
    return false;
}

QString XvfbSession::xdotool(const QStringList &args) const
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(QStringLiteral("xdotool"), args);
    process.waitForFinished(20000);
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

QImage XvfbSession::grab(const QRect &area) const
{
    XImage *image = XGetImage(m_connection, DefaultRootWindow(m_connection), area.x(), area.y(),
                              unsigned(area.width()), unsigned(area.height()), AllPlanes, ZPixmap);
    if (!image)
        return {};
    QImage result(area.size(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            result.setPixel(x, y, QRgb(XGetPixel(image, x, y)) | 0xFF000000u);
    XDestroyImage(image);
    return result;
}

QProcessEnvironment XvfbSession::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return env;
}

double MeanDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.isNull())
        return 255.0;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const QRgb *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const QRgb *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            sum += qAbs(qRed(p[col]) - qRed(q[col])) + qAbs(qGreen(p[col]) - qGreen(q[col]))
                + qAbs(qBlue(p[col]) - qBlue(q[col]));
    }
    return double(sum) / (3.0 * x.width() * x.height());
}

} // namespace kavr::test
