#include "report/csv/ProtocolCsv.h"

#include "report/table/ProtocolTable.h"

namespace kavr::report {

QByteArray ProtocolCsv(const QList<ProtocolRecord> &records, const CsvFormat &format,
                       bool withNames)
{
    const QList<TableColumn<ProtocolRecord>> &columns = ProtocolTableColumns();
    QString text = CsvLine(TableTitles(columns, withNames), format.separator);
    for (const ProtocolRecord &record : records)
        text += CsvLine(CsvFields(columns, record, format, withNames), format.separator);
    return CsvDocument(text);
}

} // namespace kavr::report
