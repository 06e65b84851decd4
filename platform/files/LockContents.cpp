#include "platform/files/LockContents.h"

#include <QList>
#include <QRandomGenerator>
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

QByteArray Contents(const Owner &owner)
{
    QByteArray contents = Magic.toByteArray() + "\npid=" + QByteArray::number(owner.pid)
        + "\nhost=" + QSysInfo::machineHostName().toUtf8() + "\nboot=" + owner.boot.toUtf8() + '\n';
    if (!owner.started.isEmpty())
        contents += "started=" + owner.started.toUtf8() + '\n';
    if (owner.held != Held::Unknown)
        contents += QByteArray("held=") + (owner.held == Held::Yes ? "yes" : "no") + '\n';
    return contents + "token=" + QByteArray::number(QRandomGenerator::system()->generate64(), 16)
        + '\n';
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
        else if (key == "started")
            owner.started = QString::fromUtf8(value);
        else if (key == "held")
            owner.held = value == "yes" ? Held::Yes : value == "no" ? Held::No : Held::Unknown;
    }
    return owner;
}

} // namespace kavr::platform::lock
