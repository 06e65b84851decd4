#pragma once
// The group at a glance as one CSV table in long form, one figure per row: the rows and
// columns of SummaryTable.h in the conventions of CsvFormat.h.
#include "report/csv/CsvFormat.h"
#include "report/figures/GroupStatistics.h"
#include "report/read/ProtocolRecord.h"
#include "report/select/ReportScope.h"

#include <QByteArray>
#include <QList>

namespace kavr::report {

QByteArray SummaryCsv(const QList<ProtocolRecord> &records, const GroupStatistics &statistics,
                      const ReportScope &scope, const CsvFormat &format);

} // namespace kavr::report
