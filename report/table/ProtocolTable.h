#pragma once
// The protocols of a folder as one table, one row per protocol. Figures keep the protocol's
// decimals.
//
// Columns: code, name (personal), date and time, variant, instruction time, answer time, N[+],
// N[-], N[0], Tcp, SD, V, then time, panel, key, picture, answer and mark of placements 1 to
// 12, and last "Восстановлен": "да" for a recovered protocol (an interrupted test), empty
// otherwise.
#include "report/read/ProtocolRecord.h"
#include "report/table/TableColumn.h"
#include "testing/core/ChoiceRecord.h"

#include <QList>

namespace kavr::report {

// A protocol row after its number, as the protocol has it: time, panel, key, picture, answer
// and mark (the placement-level table shares them).
const QList<TableColumn<ChoiceRecord>> &PlacementColumns();

const QList<TableColumn<ProtocolRecord>> &ProtocolTableColumns();

} // namespace kavr::report
