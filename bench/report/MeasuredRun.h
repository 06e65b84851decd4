#pragma once
// One run of a program, timed from outside: wall time from the start to its end, the processor
// time it used and its peak resident memory as the kernel counts it for that child alone
// (wait4's ru_utime and ru_stime, ru_maxrss). Standard output and standard error go to the
// files named.
#include <QString>
#include <QStringList>

#include <optional>

namespace kavr::bench {

struct Measured
{
    int exitCode = -1;
    double seconds = 0;
    double cpuSeconds = 0; // user and system time of the child: what a busy machine hides least
    double peakRssMb = 0;
};

std::optional<Measured> MeasureRun(const QString &program, const QStringList &arguments,
                                   const QString &stdoutPath, const QString &stderrPath);

} // namespace kavr::bench
