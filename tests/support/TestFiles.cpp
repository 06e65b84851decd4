#include "support/TestFiles.h"

#include "error/KavrError.h"

#include <QFile>

namespace kavr::test {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString SaveProtocol(const SaveTarget &target, const QString &code, const QStringList &lines)
{
    const SaveOutcome outcome = TrySaveProtocol(target, code, lines);
    if (!outcome.error.isEmpty())
        throw KavrError(outcome.error);
    return outcome.path;
}

} // namespace kavr::test
