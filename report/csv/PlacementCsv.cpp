#include "report/csv/PlacementCsv.h"

#include "report/csv/ProtocolCsv.h"
#include "report/read/ProtocolDate.h"
#include "testing/core/Figures.h"
#include "testing/core/Protocol.h"

namespace kavr::report {

namespace {

QList<CsvColumn<Placement>> MakeColumns()
{
    using P = const Placement &;
    using F = const CsvFormat &;
    QList<CsvColumn<Placement>> columns = {
        {QStringLiteral("Код"), [](P p, F) { return CsvText(p.record.code); }},
        {QStringLiteral("Имя"), [](P p, F) { return CsvText(p.record.name); }, true},
        {QStringLiteral("Дата"), [](P p, F) { return p.date; }},
        {QStringLiteral("Время суток"), [](P p, F) { return p.timeOfDay; }},
        {QStringLiteral("Вариант"), [](P p, F) { return CsvText(p.record.variant); }},
        {QStringLiteral("Восстановлен"),
         [](P p, F) { return p.record.recovered ? QStringLiteral("да") : QString(); }},
        {protocol::ColumnTitles[0].trimmed().toString(),
         [](P p, F) { return QString::number(p.number); }},
    };
    for (const CsvColumn<ChoiceRecord> &column : PlacementColumns())
        columns.append({column.title, [value = column.value](P p, F f) {
                            return value(p.record.choices[p.number], f);
                        }});
    columns.append({QStringLiteral("Поставлена"), [](P p, F) {
                        return QString::number(int(p.record.choices[p.number].placed()));
                    }});
    columns.append({QStringLiteral("Верно"), [](P p, F) {
                        return QString::number(int(p.record.choices[p.number].correct()));
                    }});
    return columns;
}

} // namespace

const QList<CsvColumn<Placement>> &PlacementCsvColumns()
{
    static const QList<CsvColumn<Placement>> columns = MakeColumns();
    return columns;
}

QByteArray PlacementCsv(const QList<ProtocolRecord> &records, const CsvFormat &format,
                        const QString &localDateFormat, bool withNames)
{
    const QList<CsvColumn<Placement>> &columns = PlacementCsvColumns();
    // Built line by line as UTF-8: 120 000 lines are some 12 MB, twice that as UTF-16.
    QByteArray csv = CsvDocument(CsvLine(CsvTitles(columns, withNames), format.separator));
    csv.reserve(records.size() * FigureCount * 110);
    for (const ProtocolRecord &record : records) {
        // The date and the time of day apart; where they cannot be read for sure, the
        // protocol's text rather than nothing.
        Placement placement{record, 0, CsvText(record.dateTime), QString()};
        const ProtocolDate read = ReadProtocolDate(record.dateTime, localDateFormat);
        if (read.date) {
            placement.date = read.date->toString(Qt::ISODate);
            if (read.time)
                placement.timeOfDay = read.time->toString(QStringLiteral("HH:mm:ss"));
        }
        for (placement.number = 1; placement.number <= FigureCount; ++placement.number)
            csv += CsvLine(CsvFields(columns, placement, format, withNames), format.separator)
                       .toUtf8();
    }
    return csv;
}

} // namespace kavr::report
