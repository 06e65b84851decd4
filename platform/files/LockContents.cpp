#include "platform/files/LockContents.h"

#include <QList>
#include <QSysInfo>

namespace kavr::platform::lock {

namespace {

constexpr QByteArrayView Magic = "KAVR.IM lock 1";
constexpr qsizetype MaxHostLength = 64;

// A host name goes on the operator's screen: nothing but printable characters, and not long.
QString Printable(const QByteArray &bytes)
{
    QString text;
    for (QChar c : QString::fromUtf8(bytes).left(MaxHostLength))
        if (c.isPrint())
            text += c;
    return text;
}

} // namespace

QByteArray Contents(qint64 pid, const QString &boot)
{
    return Magic.toByteArray() + "\npid=" + QByteArray::number(pid) + "\nhost="
        + QSysInfo::machineHostName().toUtf8() + "\nboot=" + boot.toUtf8() + '\n';
}

QString ThisHost()
{
    return Printable(QSysInfo::machineHostName().toUtf8());
}

Owner Parse(const QByteArray &bytes)
{
    Owner owner;
    const QList<QByteArray> lines = bytes.split('\n');
    if (lines.first() != Magic) {
        if (lines.size() >= 3) {
            owner.pid = lines.at(0).toLongLong();
            owner.host = Printable(lines.at(2));
        }
        return owner;
    }
    for (const QByteArray &line : lines) {
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray key = line.first(equals), value = line.sliced(equals + 1);
        if (key == "pid")
            owner.pid = value.toLongLong();
        else if (key == "host")
            owner.host = Printable(value);
        else if (key == "boot")
            owner.boot = QString::fromUtf8(value);
    }
    return owner;
}

} // namespace kavr::platform::lock
