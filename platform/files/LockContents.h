#pragma once
// What a lock file says of its owner, one "key=value" line each after a first line that names
// the format. Locks of the program's earlier versions (Qt's lock files: process id, program,
// host, machine id, one per line) are read too, for the host they name.
#include <QByteArray>
#include <QString>

namespace kavr::platform::lock {

struct Owner
{
    qint64 pid = 0;
    QString host;
    QString boot; // the machine's start, where the system gives one an id
};

QByteArray Contents(qint64 pid, const QString &boot);
// This workstation as its locks name it (Owner::host).
QString ThisHost();
Owner Parse(const QByteArray &bytes);

} // namespace kavr::platform::lock
