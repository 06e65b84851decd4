#pragma once
// Placement-level data as a CSV table, one row per placement record, twelve per protocol: the
// columns of PlacementTable.h in the conventions of CsvFormat.h, the date as ISO 8601 and the
// time of day as hh:mm:ss where they can be read for sure.
#include "report/csv/CsvFormat.h"
#include "report/read/ProtocolRecord.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace kavr::report {

// localDateFormat: the report's short date format, for reading the protocols' dates.
QByteArray PlacementCsv(const QList<ProtocolRecord> &records, const CsvFormat &format,
                        const QString &localDateFormat, bool withNames);

} // namespace kavr::report
