#pragma once
// The protocols of a folder as one self-contained HTML page: a table of all subjects, each row
// with a small chart of the twelve placement times, coloured correct / wrong / not placed.
// Inline CSS and SVG only: no script, no external resource (a Content-Security-Policy says
// so to the browser). Written as well-formed XML, so that tools can read it back.
#include "report/ProtocolRecord.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace kavr::report {

// Bar classes of the chart, by RowMark.
inline constexpr char CorrectBarClass[] = "ok";
inline constexpr char WrongBarClass[] = "wrong";
inline constexpr char NotPlacedBarClass[] = "none";

// source names the folder read, shown under the title. UTF-8.
QByteArray HtmlReport(const QList<ProtocolRecord> &records, const QString &decimalMark,
                      const QString &source);

} // namespace kavr::report
