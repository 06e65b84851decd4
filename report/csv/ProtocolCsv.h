#pragma once
// The protocols of a folder as one CSV table, one row per protocol (CsvFormat.h). Figures keep
// the protocol's decimals.
//
// Columns: code, name (personal), date and time, variant, instruction time, answer time, N[+],
// N[-], N[0], Tcp, SD, V, then time, panel, key, picture, answer and mark of placements 1 to
// 12, and last "Восстановлен": "да" for a recovered protocol (an interrupted test), empty
// otherwise.
#include "report/csv/CsvFormat.h"
#include "report/read/ProtocolRecord.h"
#include "testing/core/ChoiceRecord.h"

#include <QByteArray>
#include <QList>

namespace kavr::report {

// A protocol row after its number, as the protocol has it: time, panel, key, picture, answer
// and mark (the placement-level table shares them).
const QList<CsvColumn<ChoiceRecord>> &PlacementColumns();

const QList<CsvColumn<ProtocolRecord>> &ProtocolCsvColumns();
QByteArray ProtocolCsv(const QList<ProtocolRecord> &records, const CsvFormat &format,
                       bool withNames = true);

} // namespace kavr::report
