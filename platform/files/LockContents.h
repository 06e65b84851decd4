#pragma once
// What a lock file says of its owner, one "key=value" line each after a first line that names
// the format. Locks of the program's earlier versions (Qt's lock files: process id, program,
// host, machine id, one per line) are read too, for the host they name.
#include <QByteArray>
#include <QString>

namespace kavr::platform::lock {

// Whether the owner holds its lock as the system keeps locks (flock): where it could not (a
// file system that keeps none), an examiner on its machine asks whether its process runs.
enum class Held { Unknown, Yes, No };

struct Owner
{
    qint64 pid = 0;
    QString host;
    QString boot; // the machine's start, where the system gives one an id
    QString started; // when the process started, in the system's own count (a process id reused
        // since is another's); empty where unknown
    Held held = Held::Unknown;
};

// What a lock says of owner (host: this workstation's), with a token of its own: no two locks
// ever say the same.
QByteArray Contents(const Owner &owner);
// This workstation as its locks name it (Owner::host).
QString ThisHost();
Owner Parse(const QByteArray &bytes);

} // namespace kavr::platform::lock
