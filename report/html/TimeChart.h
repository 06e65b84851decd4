#pragma once
// The twelve placement times of one protocol as a bar chart (inline SVG): bars in row order on
// a scale of the longest time rounded up to whole 5 s steps (each chart its own, so that one
// subject who sat out the whole answer time does not flatten the others), correct, wrong and
// not placed apart in grey and in print. Two sizes:
//   - Page, for the subject's page: each bar labelled with its time and its row number,
//     gridlines with their seconds; correct solid dark, wrong hatched, not placed drawn as an
//     outline only (the page's style sheet gives the classes their look);
//   - TableRow, for a row of the group page's table: the scale's top as its only label, each
//     bar coloured dark, middle or light and telling its row, time, panel, key and answer on
//     hover.
#include "report/read/ProtocolRecord.h"
#include "testing/core/Format.h"

#include <QString>

namespace kavr::report {

enum class TimeChartSize { Page, TableRow };

// Bar classes of the chart, by RowMark.
inline constexpr char CorrectBarClass[] = "ok";
inline constexpr char WrongBarClass[] = "wrong";
inline constexpr char NotPlacedBarClass[] = "none";

QString TimeChart(const ProtocolRecord &record, const FormatSettings &numbers, TimeChartSize size);

} // namespace kavr::report
