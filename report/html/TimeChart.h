#pragma once
// The twelve placement times of one protocol as a bar chart (inline SVG) for the subject's
// page: bars in row order, each labelled with its time, on a scale of whole 5 s steps. The
// bars stay apart in grey and in print: correct solid dark, wrong hatched, not placed drawn
// as an outline only.
#include "report/read/ProtocolRecord.h"
#include "testing/core/Format.h"

#include <QString>

namespace kavr::report {

QString TimeChart(const ProtocolRecord &record, const FormatSettings &numbers);

} // namespace kavr::report
