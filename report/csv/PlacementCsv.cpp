#include "report/csv/PlacementCsv.h"

#include "parameters/Figures.h"
#include "report/table/PlacementTable.h"

namespace kavr::report {

QByteArray PlacementCsv(const QList<ProtocolRecord> &records, const CsvFormat &format,
                        const QString &localDateFormat, bool withNames)
{
    const QList<TableColumn<Placement>> &columns = PlacementTableColumns();
    // Built line by line as UTF-8: 120 000 lines are some 12 MB, twice that as UTF-16.
    QByteArray csv = CsvDocument(CsvLine(TableTitles(columns, withNames), format.separator));
    csv.reserve(records.size() * FigureCount * 110);
    for (const ProtocolRecord &record : records) {
        Placement placement = FirstPlacement(record, localDateFormat);
        for (; placement.number <= FigureCount; ++placement.number)
            csv += CsvLine(CsvFields(columns, placement, format, withNames), format.separator)
                       .toUtf8();
    }
    return csv;
}

} // namespace kavr::report
