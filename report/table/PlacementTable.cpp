#include "report/table/PlacementTable.h"

#include "report/read/ProtocolDate.h"
#include "report/table/ProtocolTable.h"
#include "testing/core/Protocol.h"

namespace kavr::report {

namespace {

QList<TableColumn<Placement>> MakeColumns()
{
    using P = const Placement &;
    using Cell = TableCell;
    QList<TableColumn<Placement>> columns = {
        {QStringLiteral("Код"), [](P p) { return Cell::fromFile(p.record.code); }},
        {QStringLiteral("Имя"), [](P p) { return Cell::fromFile(p.record.name); }, true},
        {QStringLiteral("Дата"), [](P p) { return p.date; }},
        {QStringLiteral("Время суток"), [](P p) { return p.timeOfDay; }},
        {QStringLiteral("Вариант"), [](P p) { return Cell::fromFile(p.record.variant); }},
        {QStringLiteral("Восстановлен"),
         [](P p) { return p.record.recovered ? Cell::own(QStringLiteral("да")) : Cell::empty(); }},
        {protocol::ColumnTitles[0].trimmed().toString(), [](P p) { return Cell::count(p.number); }},
    };
    for (const TableColumn<ChoiceRecord> &column : PlacementColumns())
        columns.append(
            {column.title, [cell = column.cell](P p) { return cell(p.record.choices[p.number]); }});
    columns.append({QStringLiteral("Поставлена"),
                    [](P p) { return Cell::count(int(p.record.choices[p.number].placed())); }});
    columns.append({QStringLiteral("Верно"),
                    [](P p) { return Cell::count(int(p.record.choices[p.number].correct())); }});
    return columns;
}

} // namespace

Placement FirstPlacement(const ProtocolRecord &record, const QString &localDateFormat)
{
    // The date and the time of day apart; where they cannot be read for sure, the protocol's
    // text rather than nothing.
    Placement placement{record, 1, TableCell::fromFile(record.dateTime), TableCell::empty()};
    const ProtocolDate read = ReadProtocolDate(record.dateTime, localDateFormat);
    if (read.date) {
        placement.date = TableCell::day(*read.date, read.date->toString(Qt::ISODate));
        if (read.time)
            placement.timeOfDay = TableCell::timeOfDay(
                *read.time, read.time->toString(QStringLiteral("HH:mm:ss")));
    }
    return placement;
}

const QList<TableColumn<Placement>> &PlacementTableColumns()
{
    static const QList<TableColumn<Placement>> columns = MakeColumns();
    return columns;
}

} // namespace kavr::report
