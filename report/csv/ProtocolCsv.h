#pragma once
// The protocols of a folder as one CSV table, one row per protocol (the conventions of
// CsvFormat.h). Figures keep the protocol's decimals.
#include "report/csv/CsvFormat.h"
#include "report/read/ProtocolRecord.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace kavr::report {

// Code, name (left out without names), date and time, variant, instruction time, answer
// time, N[+], N[-], N[0], Tcp, SD, V, then time, panel, key, picture, answer and mark of placements 1 to 12, and last
// "Восстановлен": "да" for a recovered protocol (an interrupted test), empty otherwise.
QStringList ProtocolCsvTitles(bool withNames = true);
// One protocol's fields, unquoted.
QStringList ProtocolCsvFields(const ProtocolRecord &record, const CsvFormat &format,
                              bool withNames = true);
QByteArray ProtocolCsv(const QList<ProtocolRecord> &records, const CsvFormat &format,
                       bool withNames = true);

} // namespace kavr::report
