#include "report/table/SummaryTable.h"

#include "parameters/Figures.h"

namespace kavr::report {

namespace {

using Cell = TableCell;

void Cells(QList<SummaryFigure> &rows, const QString &section, const VariantGroup &group,
           const PerFigure<CellFigures> &cells)
{
    for (int k = 1; k <= FigureCount; ++k) {
        const CellFigures &c = cells[k];
        const QString element = QString::number(k);
        const auto add = [&](const QString &measure, const TableCell &value) {
            rows.append({section, group.variant, element, measure, value});
        };
        add(QStringLiteral("Испытуемых"), Cell::count(c.subjects));
        add(QStringLiteral("Верно"), Cell::count(c.correct));
        add(QStringLiteral("Доля верных"), Cell::fixed(c.share(), 3));
        add(QStringLiteral("Размещений"), Cell::count(c.time.n));
        add(QStringLiteral("Среднее время, сек"),
            Cell::fixed(c.time.n ? std::optional<double>(c.time.mean) : std::nullopt, 2));
    }
}

} // namespace

const QList<TableColumn<SummaryFigure>> &SummaryTableColumns()
{
    using S = const SummaryFigure &;
    static const QList<TableColumn<SummaryFigure>> columns = {
        {QStringLiteral("Раздел"), [](S s) { return Cell::own(s.section); }},
        {QStringLiteral("Вариант"), [](S s) { return Cell::fromFile(s.variant); }},
        {QStringLiteral("Элемент"), [](S s) { return Cell::fromFile(s.element); }},
        {QStringLiteral("Показатель"), [](S s) { return Cell::own(s.measure); }},
        {QStringLiteral("Значение"), [](S s) { return s.value; }},
    };
    return columns;
}

QList<SummaryFigure> SummaryFigures(const QList<ProtocolRecord> &records,
                                    const GroupStatistics &statistics, const ReportScope &scope)
{
    QList<SummaryFigure> rows;
    const QString choice = QStringLiteral("Отбор");
    rows.append(
        {choice, {}, scope.folder, QStringLiteral("Файлов протоколов"), Cell::count(scope.files)});
    rows.append({choice, {}, scope.folder, QStringLiteral("Прочитано"), Cell::count(scope.read)});
    rows.append(
        {choice, {}, scope.selection, QStringLiteral("Отобрано"), Cell::count(scope.selected)});
    rows.append({choice,
                 {},
                 scope.selection,
                 QStringLiteral("Без читаемой даты, не отобрано"),
                 Cell::count(scope.undated)});
    rows.append({choice,
                 {},
                 {},
                 QStringLiteral("Восстановленных (тест прерван), не в расчётах"),
                 Cell::count(scope.recovered)});

    for (const VariantGroup &group : statistics.groups) {
        for (size_t k = 0; k < Indicators.size(); ++k) {
            const Descriptive &d = group.indicators[k];
            const QString name = IndicatorName(Indicators[k]);
            const auto add = [&](const QString &measure, const TableCell &value) {
                rows.append({QStringLiteral("Показатели"), group.variant, name, measure, value});
            };
            const auto figure = [&](std::optional<double> value) {
                return Cell::fixed(d.n ? value : std::nullopt, 2);
            };
            add(QStringLiteral("Испытуемых"), Cell::count(d.n));
            add(QStringLiteral("Среднее"), figure(d.mean));
            add(QStringLiteral("SD"), figure(d.sd));
            add(QStringLiteral("Медиана"), figure(d.median));
            add(QStringLiteral("Минимум"), figure(d.min));
            add(QStringLiteral("Максимум"), figure(d.max));
        }
    }
    for (const VariantGroup &group : statistics.groups)
        Cells(rows, QStringLiteral("Панель"), group, group.panels);
    for (const VariantGroup &group : statistics.groups)
        Cells(rows, QStringLiteral("Фигура"), group, group.figures);
    for (const VariantGroup &group : statistics.groups) {
        for (int r : group.members) {
            const ZScores &z = statistics.z.at(r);
            const QString &code = records.at(r).code;
            rows.append({QStringLiteral("Испытуемый"), group.variant, code,
                         QStringLiteral("z N[+] в этой папке, не норма"),
                         Cell::fixed(z.correct, 2)});
            rows.append({QStringLiteral("Испытуемый"), group.variant, code,
                         QStringLiteral("z Tcp в этой папке, не норма"), Cell::fixed(z.mean, 2)});
        }
    }
    return rows;
}

} // namespace kavr::report
