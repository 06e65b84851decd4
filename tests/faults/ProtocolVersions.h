#pragma once
// The big protocols that save_loop saves one after another, each telling its own version in
// its first and last lines, so that a file on disk can be checked against the whole of it.
#include <QString>
#include <QStringList>

namespace kavr::test {

inline QStringList ProtocolVersion(int version, int lines = 20'000)
{
    QStringList protocol;
    protocol.reserve(lines + 2);
    protocol << QStringLiteral("версия %1").arg(version);
    for (int i = 0; i < lines; ++i)
        protocol << QStringLiteral("%1 строка %2 протокола, который пишется снова и снова").arg(version).arg(i);
    protocol << QStringLiteral("конец версии %1").arg(version);
    return protocol;
}

} // namespace kavr::test
