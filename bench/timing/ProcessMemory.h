#pragma once
// Peak resident memory (VmHWM) read from /proc while the process still runs.
#include <QtGlobal>

#include <optional>

namespace kavr::bench {

// Of one process, in MiB.
std::optional<double> PeakRssMb(qint64 pid);
// Summed over the process and all its descendants (a browser's many processes), in MiB.
std::optional<double> PeakRssOfTreeMb(qint64 pid);

} // namespace kavr::bench
