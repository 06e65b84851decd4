#include "report/table/ProtocolTable.h"

#include "parameters/Figures.h"
#include "testing/core/Protocol.h"

namespace kavr::report {

namespace {

// The protocol's own title of its column k: 0 the placement number, then time, panel, key,
// picture and answer.
QString ProtocolTitle(int k)
{
    return protocol::ColumnTitles[k].trimmed().toString();
}

QList<TableColumn<ProtocolRecord>> MakeProtocolColumns()
{
    using R = const ProtocolRecord &;
    using Cell = TableCell;
    QList<TableColumn<ProtocolRecord>> columns = {
        {QStringLiteral("Код"), [](R r) { return Cell::fromFile(r.code); }},
        {QStringLiteral("Имя"), [](R r) { return Cell::fromFile(r.name); }, true},
        {QStringLiteral("Дата ПФО"), [](R r) { return Cell::setUpDate(r.dateTime); }},
        {QStringLiteral("Вариант"), [](R r) { return Cell::fromFile(r.variant); }},
        {QStringLiteral("Время изучения инструкции, сек"),
         [](R r) { return Cell::fixed(r.instructionSeconds, 0); }},
        {QStringLiteral("T ответа, сек"), [](R r) { return Cell::fixed(r.answerSeconds, 0); }},
        {QStringLiteral("N[+]"), [](R r) { return Cell::count(r.score.correct); }},
        {QStringLiteral("N[-]"), [](R r) { return Cell::count(r.score.wrong); }},
        {QStringLiteral("N[0]"), [](R r) { return Cell::count(r.score.missing); }},
        {QStringLiteral("Tcp, сек"), [](R r) { return Cell::fixed(r.score.mean, 2); }},
        {QStringLiteral("SD, сек"), [](R r) { return Cell::fixed(r.score.sd, 2); }},
        {QStringLiteral("V, %"), [](R r) { return Cell::fixed(r.score.cv, 0); }},
    };
    for (int i = 1; i <= FigureCount; ++i) {
        for (const TableColumn<ChoiceRecord> &placement : PlacementColumns()) {
            columns.append({QStringLiteral("%1: %2").arg(i).arg(placement.title),
                            [i, cell = placement.cell](R r) { return cell(r.choices[i]); }});
        }
    }
    columns.append({QStringLiteral("Восстановлен"), [](R r) {
                        return r.recovered ? Cell::own(QStringLiteral("да")) : Cell::empty();
                    }});
    return columns;
}

} // namespace

const QList<TableColumn<ChoiceRecord>> &PlacementColumns()
{
    using C = const ChoiceRecord &;
    using Cell = TableCell;
    static const QList<TableColumn<ChoiceRecord>> columns = {
        {ProtocolTitle(1), [](C c) { return Cell::fixed(c.Time, 2); }},
        {ProtocolTitle(2), [](C c) { return Cell::count(c.PanelNo); }},
        {ProtocolTitle(3), [](C c) { return Cell::count(c.Key); }},
        {ProtocolTitle(4), [](C c) { return Cell::count(c.PictureNo); }},
        {ProtocolTitle(5), [](C c) { return Cell::count(c.Answer); }},
        {QStringLiteral("Отметка"), [](C c) { return Cell::own(protocol::RowMark(c).toString()); }},
    };
    return columns;
}

const QList<TableColumn<ProtocolRecord>> &ProtocolTableColumns()
{
    static const QList<TableColumn<ProtocolRecord>> columns = MakeProtocolColumns();
    return columns;
}

} // namespace kavr::report
