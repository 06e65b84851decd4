#include "report/csv/SummaryCsv.h"

#include "report/table/SummaryTable.h"

namespace kavr::report {

QByteArray SummaryCsv(const QList<ProtocolRecord> &records, const GroupStatistics &statistics,
                      const ReportScope &scope, const CsvFormat &format)
{
    const QList<TableColumn<SummaryFigure>> &columns = SummaryTableColumns();
    QString text = CsvLine(TableTitles(columns, true), format.separator);
    for (const SummaryFigure &figure : SummaryFigures(records, statistics, scope))
        text += CsvLine(CsvFields(columns, figure, format, true), format.separator);
    return CsvDocument(text);
}

} // namespace kavr::report
