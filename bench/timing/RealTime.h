#pragma once
// The display path held at one real-time priority while the bench measures, so that only the
// program's own priority differs between its runs: the X server and the watcher at SCHED_FIFO,
// reset at a fork so that whatever either starts runs at the ordinary policy.
#include <QString>

namespace kavr::bench {

// The calling thread. Empty when set, else why not.
QString SetRealTime(int priority);
// Every thread process pid has now. Empty when all were set, else why not.
QString SetProcessRealTime(qint64 pid, int priority);

} // namespace kavr::bench
