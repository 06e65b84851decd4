#pragma once
// Placement-level data: one CSV row per placement record, twelve per protocol, so that R, SPSS,
// jamovi or a pivot table read it as it is. The CSV conventions of CsvFormat.h.
//
// Columns: code, name (personal), date (ISO when it can be read for sure, else as the
// protocol writes it), time of day (likewise, hh:mm:ss), variant, recovered ("да" for an
// interrupted test), the row number, and the row as the protocol has it: time, panel, key,
// picture (position in the answer row), answer and mark; then placed and correct as 1 or 0
// (a figure not placed is not correct). In a row not placed, key, picture and answer are what
// the record held: a figure picked at the time-out, or zeros.
#include "report/csv/CsvFormat.h"
#include "report/read/ProtocolRecord.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace kavr::report {

// One row of the table: placement number of record.
struct Placement
{
    const ProtocolRecord &record;
    int number; // 1-12
    QString date; // the record's date and time of day, read once for its twelve rows
    QString timeOfDay;
};

const QList<CsvColumn<Placement>> &PlacementCsvColumns();
// localDateFormat: the report's short date format, for reading the protocols' dates.
QByteArray PlacementCsv(const QList<ProtocolRecord> &records, const CsvFormat &format,
                        const QString &localDateFormat, bool withNames);

} // namespace kavr::report
