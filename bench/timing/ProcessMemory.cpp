#include "ProcessMemory.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>

namespace kavr::bench {

namespace {

qint64 ParentOf(const QString &pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    // "pid (comm) state ppid ...": the command name may hold blanks and parentheses.
    const QByteArray stat = file.readAll();
    const qsizetype close = stat.lastIndexOf(')');
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() : -1;
}

} // namespace

std::optional<double> PeakRssMb(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return std::nullopt;
}

std::optional<double> PeakRssOfTreeMb(qint64 pid)
{
    QHash<qint64, QList<qint64>> children;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 child = entry.toLongLong(&number);
        if (number)
            children[ParentOf(entry)] << child;
    }
    std::optional<double> total;
    QList<qint64> pending{pid};
    while (!pending.isEmpty()) {
        const qint64 next = pending.takeLast();
        if (const auto own = PeakRssMb(next))
            total = total.value_or(0.0) + *own;
        pending << children.value(next);
    }
    return total;
}

} // namespace kavr::bench
