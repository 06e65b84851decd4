#pragma once
// The protocols of a folder as one CSV table, one row per protocol: the columns of
// ProtocolTable.h in the conventions of CsvFormat.h.
#include "report/csv/CsvFormat.h"
#include "report/read/ProtocolRecord.h"

#include <QByteArray>
#include <QList>

namespace kavr::report {

QByteArray ProtocolCsv(const QList<ProtocolRecord> &records, const CsvFormat &format,
                       bool withNames = true);

} // namespace kavr::report
