#pragma once
// What one run of the program or of the browser peer measured, in milliseconds.
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>
#include <utility>

namespace kavr::bench {

struct RunResult
{
    bool placements = false;            // a run with twelve placements, else one left to time out
    QString error;                      // empty when the run went through
    std::optional<double> startupMs;    // process start -> window mapped
    std::optional<double> prepareMs;    // Enter -> instruction screen painted (program only)
    std::optional<double> onsetMs;      // start key -> figures on screen
    std::optional<double> exposureMs;   // figures on screen -> figures hidden
    std::optional<double> answerMs;     // answer screen -> closing message (runs without placement)
    QList<double> placementErrorsMs;    // recorded time - time measured outside, per placement
    // The same with the recorded time exact: from the program's journal (its protocol rounds
    // to hundredths), the peer's as recorded.
    QList<double> exactErrorsMs;
    std::optional<double> peakRssMb;    // of the process (the browser: of all its processes)
    double widestBracketMs = 0;         // the widest time bracket of any screen change dated
    // The program's processor priority as its journal says, read once the exposure is over:
    // "granted", "refused" or "unknown", and how or why (empty for the peer).
    QString priority;
    QString priorityNote;
    // Each input sent and screen change seen, on CLOCK_MONOTONIC, for --trace.
    QList<std::pair<QString, std::int64_t>> events;
};

} // namespace kavr::bench
