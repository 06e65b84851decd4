#pragma once
// Ends a process the bench started: politely first, then for good.
#include <QProcess>

namespace kavr::bench {

inline void StopProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(2000);
    }
}

} // namespace kavr::bench
