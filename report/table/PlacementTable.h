#pragma once
// Placement-level data: one row per placement record, twelve per protocol, so that R, SPSS,
// jamovi or a pivot table read it as it is.
//
// Columns: code, name (personal), date (a date where it can be read for sure, else as the
// protocol writes it), time of day (likewise), variant, recovered ("да" for an interrupted
// test), the row number, and the row as the protocol has it: time, panel, key, picture
// (position in the answer row), answer and mark; then placed and correct as 1 or 0 (a figure
// not placed is not correct). In a row not placed, key, picture and answer are what the record
// held: a figure picked at the time-out, or zeros.
#include "report/read/ProtocolRecord.h"
#include "report/table/TableColumn.h"

#include <QList>
#include <QString>

namespace kavr::report {

// One row of the table: placement number of record.
struct Placement
{
    const ProtocolRecord &record;
    int number; // 1-12
    TableCell date; // the record's date and time of day, read once for its twelve rows
    TableCell timeOfDay;
};

// The first of the record's rows, its date and time of day read with localDateFormat (the
// report's short date format); the others differ in number alone.
Placement FirstPlacement(const ProtocolRecord &record, const QString &localDateFormat);

const QList<TableColumn<Placement>> &PlacementTableColumns();

} // namespace kavr::report
