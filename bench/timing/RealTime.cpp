#include "RealTime.h"

#include <QDir>

#include <cerrno>
#include <cstring>
#include <sched.h>

namespace kavr::bench {

namespace {

QString SetThread(pid_t tid, int priority)
{
    const sched_param parameter{priority};
    if (::sched_setscheduler(tid, SCHED_FIFO | SCHED_RESET_ON_FORK, &parameter) == 0)
        return {};
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

QString SetRealTime(int priority)
{
    return SetThread(0, priority);
}

QString SetProcessRealTime(qint64 pid, int priority)
{
    if (pid <= 0)
        return QStringLiteral("no process");
    const QStringList threads =
        QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    if (threads.isEmpty())
        return QStringLiteral("no threads in /proc/%1/task").arg(pid);
    for (const QString &thread : threads)
        if (const QString why = SetThread(pid_t(thread.toLongLong()), priority); !why.isEmpty())
            return QStringLiteral("thread %1: %2").arg(thread, why);
    return {};
}

} // namespace kavr::bench
